// The "Numbers" window: every stored number with where it came from, searchable, filtered by
// region, sortable, copied, opened, deleted one by one and exported as CSV; it follows the store
// while a harvest runs.
#pragma once

#include "harvest/HarvestEngine.h"
#include "ui/NumbersModel.h"

#include <QPersistentModelIndex>
#include <QTimer>
#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;
class QUrl;

namespace tarnwick {

class NumbersWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPollMs = 1000;

    // secureWeb answers, at the moment a website is opened, whether the secure-web option is on.
    NumbersWindow(Database& database, SettingsStore& settings, QString appFolder,
                  std::function<bool()> secureWeb, QWidget* parent = nullptr);

    // Replaceable so tests need no browser and no dialog. The dialogs answer later, through the
    // function they are given: a harvest goes on while they are open, and no event loop of theirs
    // runs its steps.
    std::function<void(const QUrl&)> openUrl;
    // The save dialog, given the starting path; an empty answer means cancelled.
    std::function<void(const QString& startPath, std::function<void(const QString&)> answer)> chooseFile;
    std::function<void(const QString& question, std::function<void(bool yes)> answer)> confirmYesNo;
    std::function<void(const QString& message)> showWarning;

    // Reads what the store changed since the last look; the window's timer calls it every second.
    void Poll();
    QString StatusText() const;
    // The selected rows in shown order, tab-separated under the header, as Ctrl+C copies them.
    QString SelectedRowsText() const;
    void CopySelectedRows() const;
    void OpenWebsite(int shownRow);
    void CopyNumber(int shownRow) const;
    void DeleteNumber(int shownRow);
    void ExportCsv();
    // The context menu of a shown row, opened at the given point of the table's viewport.
    QMenu* ShowContextMenu(const QPoint& viewportPoint);

    NumbersModel& model() { return model_; }
    NumbersFilter& filter() { return filter_; }
    QTableView* table() const { return table_; }

signals:
    // A number was deleted from the store, so previews of recent numbers may show it no more.
    void numberDeleted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void RestoreLayout();
    void SaveWidths();
    void SaveSort(int column, Qt::SortOrder order);
    void FillRegions();
    void ShowStatus();
    int SourceRow(int shownRow) const;
    void DeleteRow(const QPersistentModelIndex& row, const QString& number);
    void WriteCsv(const QString& fileName);

    SettingsStore& settings_;
    QString appFolder_;
    std::function<bool()> secureWeb_;
    NumbersModel model_;
    NumbersFilter filter_;
    QLineEdit* txtFind_ = nullptr;
    QComboBox* cmbRegion_ = nullptr;
    QPushButton* cmdExportCsv_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* status_ = nullptr;
    QTimer poll_;
    QTimer saveWidths_;
};

} // namespace tarnwick
