// The numbers table: rows in store order, kept in step by appending what is new and removing
// what is gone, so the views over it never reset.
#include "ui/NumbersModel.h"

#include "store/NumbersCsv.h"
#include "text/Cp1252.h"
#include "ui/AnsiText.h"

#include <QChar>
#include <algorithm>

namespace tarnwick {
namespace {

constexpr char kColumnBreak = '\x1f';

// Lower case of each byte of the code page, through Unicode so that letters of the 128..159
// block (S caron, OE, Z caron, Y diaeresis) fold like the rest.
struct FoldTable {
    std::array<char, 256> lower{};
    FoldTable() {
        for (int byte = 0; byte < 256; ++byte) {
            const char16_t lowered =
                QChar(Cp1252ToUnicode(static_cast<unsigned char>(byte))).toLower().unicode();
            const char folded = UnicodeToCp1252(lowered);
            lower[std::size_t(byte)] = folded == '?' && lowered != u'?' ? static_cast<char>(byte) : folded;
        }
    }
};

char Fold(char byte) {
    static const FoldTable table;
    return table.lower[static_cast<unsigned char>(byte)];
}

void AppendFolded(std::string& out, std::string_view text) {
    for (const char c : text) {
        out.push_back(Fold(c));
    }
}

int CompareFolded(std::string_view left, std::string_view right) {
    const std::size_t common = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto a = static_cast<unsigned char>(Fold(left[i]));
        const auto b = static_cast<unsigned char>(Fold(right[i]));
        if (a != b) {
            return a < b ? -1 : 1;
        }
    }
    return left.size() == right.size() ? 0 : left.size() < right.size() ? -1 : 1;
}

int Compare(std::string_view left, std::string_view right) {
    const int order = left.compare(right);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

} // namespace

NumbersModel::DateKey NumbersModel::MakeDateKey(std::string_view date) {
    DateKey key{};
    for (std::size_t i = 0; i < 8 * key.size(); ++i) {
        const std::uint64_t byte = i < date.size() ? static_cast<unsigned char>(date[i]) : 0;
        key[i / 8] |= byte << (8 * (7 - i % 8));
    }
    return key;
}

NumbersModel::NumbersModel(Database& database, QObject* parent)
    : QAbstractTableModel(parent)
    , database_(database) {}

int NumbersModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int NumbersModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant NumbersModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const Row& row = rows_[std::size_t(index.row())];
    switch (index.column()) {
    case Number:
        return FromAnsi(row.fax);
    case Region:
        return FromAnsi(regions_[std::size_t(row.region)]);
    case Website:
        return FromAnsi(row.website);
    case Search:
        return FromAnsi(row.search);
    case Found:
        return FromAnsi(std::string(IsoDate(row.date)));
    default:
        return {};
    }
}

QVariant NumbersModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const std::array<QString, ColumnCount> kTitles = {
        QStringLiteral("Number"), QStringLiteral("Region"), QStringLiteral("Website"),
        QStringLiteral("Search"), QStringLiteral("Found")};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return kTitles[std::size_t(section)];
}

bool NumbersModel::Refresh() {
    // The mark is read first: whatever is stored after it moves it again for the next poll.
    const auto mark = database_.ChangeMark();
    if (!mark) {
        readable_ = false;
        return false;
    }
    if (readable_ && mark_ == mark) {
        return true;
    }
    // The last known row is read again: if it is still the same record, everything before it is
    // unchanged unless the count says otherwise, and only the rows after it are new.
    auto fresh = database_.FaxDetailsFrom(rows_.empty() ? 0 : rows_.back().id);
    if (!fresh) {
        readable_ = false;
        return false;
    }
    const bool lastKept = rows_.empty() || (!fresh->empty() && SameRecord(rows_.back(), fresh->front()));
    if (lastKept && !rows_.empty()) {
        fresh->erase(fresh->begin());
    }
    if (lastKept && std::size_t(database_.CountFaxes()) == rows_.size() + fresh->size()) {
        Append(std::move(*fresh));
    } else {
        auto all = database_.FaxDetailsFrom(0);
        if (!all) {
            readable_ = false;
            return false;
        }
        Resync(std::move(*all));
    }
    mark_ = mark;
    readable_ = true;
    emit regionsChanged();
    return true;
}

NumbersModel::Row NumbersModel::MakeRow(FaxDetails record) {
    Row row;
    row.id = record.row;
    row.region = RegionOf(record.location);
    row.folded.reserve(record.fax.size() + record.location.size() + record.website.size() +
                       record.search.size() + 14);
    for (const std::string_view text : {std::string_view(record.fax), std::string_view(record.location),
                                        std::string_view(record.website), std::string_view(record.search)}) {
        AppendFolded(row.folded, text);
        row.folded.push_back(kColumnBreak);
    }
    row.folded += IsoDate(record.date);
    row.fax = std::move(record.fax);
    row.date = std::move(record.date);
    row.website = std::move(record.website);
    row.search = std::move(record.search);
    return row;
}

bool NumbersModel::SameRecord(const Row& row, const FaxDetails& record) const {
    return row.id == record.row && row.fax == record.fax && row.date == record.date &&
           row.website == record.website && row.search == record.search &&
           regions_[std::size_t(row.region)] == record.location;
}

int NumbersModel::RegionOf(const std::string& location) {
    const auto [found, added] = regionIndex_.try_emplace(location, int(regions_.size()));
    if (added) {
        regions_.push_back(location);
        regionTotals_.push_back(0);
    }
    ++regionTotals_[std::size_t(found->second)];
    return found->second;
}

void NumbersModel::Append(std::vector<FaxDetails> records) {
    if (records.empty()) {
        return;
    }
    const int first = rowCount();
    beginInsertRows({}, first, first + int(records.size()) - 1);
    rows_.reserve(rows_.size() + records.size());
    dateKeys_.reserve(rows_.capacity());
    for (FaxDetails& record : records) {
        dateKeys_.push_back(MakeDateKey(record.date));
        rows_.push_back(MakeRow(std::move(record)));
    }
    endInsertRows();
}

void NumbersModel::RemoveRows(int first, int last) {
    beginRemoveRows({}, first, last);
    for (int i = first; i <= last; ++i) {
        --regionTotals_[std::size_t(rows_[std::size_t(i)].region)];
    }
    rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
    dateKeys_.erase(dateKeys_.begin() + first, dateKeys_.begin() + last + 1);
    endRemoveRows();
}

// Both sides are in row id order: rows whose record is gone or changed go first, then the
// records not shown yet come in at their place, in runs.
void NumbersModel::Resync(std::vector<FaxDetails> records) {
    std::vector<bool> kept(rows_.size(), false);
    std::size_t j = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        while (j < records.size() && records[j].row < rows_[i].id) {
            ++j;
        }
        kept[i] = j < records.size() && SameRecord(rows_[i], records[j]);
    }
    for (int last = int(rows_.size()) - 1; last >= 0; --last) {
        if (kept[std::size_t(last)]) {
            continue;
        }
        int first = last;
        while (first > 0 && !kept[std::size_t(first - 1)]) {
            --first;
        }
        RemoveRows(first, last);
        last = first;
    }
    std::size_t at = 0;
    for (std::size_t next = 0; next < records.size();) {
        if (at < rows_.size() && rows_[at].id == records[next].row) {
            ++at;
            ++next;
            continue;
        }
        std::size_t end = next;
        while (end < records.size() && (at >= rows_.size() || records[end].row != rows_[at].id)) {
            ++end;
        }
        beginInsertRows({}, int(at), int(at + (end - next)) - 1);
        std::vector<Row> run;
        std::vector<DateKey> keys;
        run.reserve(end - next);
        for (std::size_t k = next; k < end; ++k) {
            keys.push_back(MakeDateKey(records[k].date));
            run.push_back(MakeRow(std::move(records[k])));
        }
        dateKeys_.insert(dateKeys_.begin() + std::ptrdiff_t(at), keys.begin(), keys.end());
        rows_.insert(rows_.begin() + std::ptrdiff_t(at), std::make_move_iterator(run.begin()),
                     std::make_move_iterator(run.end()));
        endInsertRows();
        at += end - next;
        next = end;
    }
}

bool NumbersModel::DeleteRow(int row) {
    if (row < 0 || row >= rowCount()) {
        return false;
    }
    const Row& doomed = rows_[std::size_t(row)];
    if (!database_.DeleteFaxRecords({{doomed.id, doomed.fax}})) {
        return false;
    }
    RemoveRows(row, row);
    emit regionsChanged();
    return true;
}

FaxDetails NumbersModel::Details(int row) const {
    const Row& shown = rows_[std::size_t(row)];
    return {shown.id,      shown.fax,    shown.date,
            shown.website, shown.search, regions_[std::size_t(shown.region)]};
}

QString NumbersModel::RegionName(int region) const {
    return FromAnsi(regions_[std::size_t(region)]);
}

std::vector<int> NumbersModel::RegionsByName() const {
    std::vector<int> order(regions_.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = int(i);
    }
    std::sort(order.begin(), order.end(), [this](int a, int b) {
        const int byName = CompareFolded(regions_[std::size_t(a)], regions_[std::size_t(b)]);
        return byName != 0 ? byName < 0 : regions_[std::size_t(a)] < regions_[std::size_t(b)];
    });
    return order;
}

std::optional<std::string> NumbersModel::FoldNeedle(const QString& text) {
    std::string needle;
    needle.reserve(std::size_t(text.size()));
    for (const QChar c : text) {
        const QChar lowered = c.toLower();
        const char byte = UnicodeToCp1252(lowered.unicode());
        if ((byte == '?' && lowered != QLatin1Char('?')) || byte == kColumnBreak) {
            return std::nullopt;
        }
        needle.push_back(Fold(byte));
    }
    return needle;
}

bool NumbersModel::Matches(int row, const std::string& foldedNeedle, int region) const {
    const Row& candidate = rows_[std::size_t(row)];
    return (region < 0 || candidate.region == region) &&
           (foldedNeedle.empty() || candidate.folded.find(foldedNeedle) != std::string::npos);
}

bool NumbersModel::Less(int left, int right, int column) const {
    int order = 0;
    if (column == Found) {
        const DateKey& a = dateKeys_[std::size_t(left)];
        const DateKey& b = dateKeys_[std::size_t(right)];
        order = a != b ? (a < b ? -1 : 1) : 0;
    }
    const Row& a = rows_[std::size_t(left)];
    const Row& b = rows_[std::size_t(right)];
    switch (order != 0 ? ColumnCount : column) {
    case Number:
        order = Compare(a.fax, b.fax);
        break;
    case Region:
        order = CompareFolded(regions_[std::size_t(a.region)], regions_[std::size_t(b.region)]);
        break;
    case Website:
        order = CompareFolded(a.website, b.website);
        break;
    case Search:
        order = CompareFolded(a.search, b.search);
        break;
    case Found:
        // Dates longer than the key are told apart by their text.
        order = Compare(a.date, b.date);
        break;
    default:
        break;
    }
    // Equal texts keep store order (rows are in row id order), so a sort is the same every time.
    return order != 0 ? order < 0 : left < right;
}

NumbersFilter::NumbersFilter(NumbersModel& model, QObject* parent)
    : QSortFilterProxyModel(parent)
    , model_(model) {
    setSourceModel(&model);
    setDynamicSortFilter(true);
}

void NumbersFilter::SetSearch(const QString& text) {
    needle_ = NumbersModel::FoldNeedle(text);
    invalidateFilter();
}

void NumbersFilter::SetRegion(int region) {
    region_ = region;
    invalidateFilter();
}

bool NumbersFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    return needle_ && model_.Matches(sourceRow, *needle_, region_);
}

bool NumbersFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    return model_.Less(left.row(), right.row(), left.column());
}

} // namespace tarnwick
