// The stored numbers as a table, kept in step with the store by polling, and the view of it that
// searches, filters by region and sorts.
#pragma once

#include "store/Database.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <array>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tarnwick {

class NumbersModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Number, Region, Website, Search, Found, ColumnCount };

    explicit NumbersModel(Database& database, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Brings the rows in step with the store when it changed: new records are inserted and gone
    // ones removed, so views keep their sort, selection and place. False when the store could not
    // be read; the rows read before are kept then.
    bool Refresh();
    bool Readable() const { return readable_; }

    // Deletes the record of a row from the store and the table; false when the store refused.
    bool DeleteRow(int row);
    FaxDetails Details(int row) const;

    // Regions in name order, each with its number of rows; a region whose rows are all gone
    // keeps its place with 0.
    int RegionCount() const { return int(regions_.size()); }
    QString RegionName(int region) const;
    int RegionTotal(int region) const { return regionTotals_[std::size_t(region)]; }
    std::vector<int> RegionsByName() const;

    // The search text in the stored code page, folded; nothing when it holds a character the
    // store can never hold, so no row matches.
    static std::optional<std::string> FoldNeedle(const QString& text);
    bool Matches(int row, const std::string& foldedNeedle, int region) const;
    bool Less(int left, int right, int column) const;

signals:
    void regionsChanged();

private:
    struct Row {
        std::int64_t id = 0;
        std::string fax;
        std::string date;
        std::string website;
        std::string search;
        int region = 0;
        std::string folded; // the shown texts, folded and joined, for the search
    };

    Row MakeRow(FaxDetails record);
    bool SameRecord(const Row& row, const FaxDetails& record) const;
    void Append(std::vector<FaxDetails> records);
    void Resync(std::vector<FaxDetails> records);
    void RemoveRows(int first, int last);
    int RegionOf(const std::string& location);

    Database& database_;
    using DateKey = std::array<std::uint64_t, 3>;
    static DateKey MakeDateKey(std::string_view date);

    std::vector<Row> rows_; // in row id order
    // Each row's date as big-endian numbers, ordered like the text, kept apart from the rows so
    // that sorting 100,000 rows by date reads one dense array.
    std::vector<DateKey> dateKeys_;
    std::vector<std::string> regions_;
    std::vector<int> regionTotals_;
    std::unordered_map<std::string, int> regionIndex_;
    std::optional<StoreChangeMark> mark_;
    bool readable_ = false;
};

// Searches every shown column and filters by region on the model's own texts, without the
// variants of the generic roles, so a keystroke over 100,000 rows stays quick.
class NumbersFilter final : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit NumbersFilter(NumbersModel& model, QObject* parent = nullptr);

    void SetSearch(const QString& text);
    void SetRegion(int region); // -1 for every region
    int Region() const { return region_; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    NumbersModel& model_;
    std::optional<std::string> needle_{std::string()};
    int region_ = -1;
};

} // namespace tarnwick
