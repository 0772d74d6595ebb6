// The numbers window: a table over the store's numbers, read through the store library only.
#include "ui/NumbersWindow.h"

#include "store/NumbersCsv.h"
#include "ui/AnsiText.h"
#include "ui/Skin.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

namespace tarnwick {
namespace {

constexpr const char* kSortKey = "tblNumbersSort";
constexpr const char* kWidthsKey = "tblNumbersWidths";
constexpr std::array<int, NumbersModel::ColumnCount> kDefaultWidths = {130, 150, 240, 180, 90};
constexpr int kMinWidth = 20;
constexpr int kMaxWidth = 4000;

// Comma-separated whole numbers within [low, high]; nothing when any part is not one, since the
// settings file is the user's and may have been edited.
std::optional<std::vector<int>> ReadNumbers(const std::string& text, std::size_t count, int low, int high) {
    const QStringList parts = QString::fromStdString(text).split(QLatin1Char(','));
    if (std::size_t(parts.size()) != count) {
        return std::nullopt;
    }
    std::vector<int> values;
    for (const QString& part : parts) {
        bool ok = false;
        const int value = part.toInt(&ok);
        if (!ok || value < low || value > high) {
            return std::nullopt;
        }
        values.push_back(value);
    }
    return values;
}

// A field of a tab-separated line: tabs and line breaks inside it would split it.
QString TsvField(QString text) {
    for (const QChar c : {QLatin1Char('\t'), QLatin1Char('\r'), QLatin1Char('\n')}) {
        text.replace(c, QLatin1Char(' '));
    }
    return text;
}

} // namespace

NumbersWindow::NumbersWindow(Database& database, SettingsStore& settings, QString appFolder,
                             std::function<bool()> secureWeb, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , settings_(settings)
    , appFolder_(std::move(appFolder))
    , secureWeb_(std::move(secureWeb))
    , model_(database)
    , filter_(model_) {
    setObjectName(QStringLiteral("frmNumbers"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Numbers"));
    BuildControls();

    openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    chooseFile = [this](const QString& startPath, std::function<void(const QString&)> answer) {
        auto* dialog = new QFileDialog(this, QStringLiteral("Export CSV"), startPath,
                                       QStringLiteral("CSV files (*.csv);;All files (*)"));
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(dialog, &QFileDialog::finished, this, [dialog, answer = std::move(answer)](int result) {
            const QStringList chosen = dialog->selectedFiles();
            answer(result == QDialog::Accepted && !chosen.isEmpty() ? chosen.first() : QString());
        });
        dialog->open();
    };
    confirmYesNo = [this](const QString& question, std::function<void(bool)> answer) {
        auto* box = new QMessageBox(QMessageBox::Question, windowTitle(), question,
                                    QMessageBox::Yes | QMessageBox::No, this);
        box->setDefaultButton(QMessageBox::No);
        box->setAttribute(Qt::WA_DeleteOnClose);
        connect(box, &QMessageBox::finished, this,
                [answer = std::move(answer)](int result) { answer(result == QMessageBox::Yes); });
        box->open();
    };
    showWarning = [this](const QString& message) {
        auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), message, QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    };

    connect(&model_, &NumbersModel::regionsChanged, this, &NumbersWindow::FillRegions);
    connect(&filter_, &QAbstractItemModel::rowsInserted, this, &NumbersWindow::ShowStatus);
    connect(&filter_, &QAbstractItemModel::rowsRemoved, this, &NumbersWindow::ShowStatus);
    connect(&filter_, &QAbstractItemModel::layoutChanged, this, &NumbersWindow::ShowStatus);
    connect(&filter_, &QAbstractItemModel::modelReset, this, &NumbersWindow::ShowStatus);

    model_.Refresh();
    FillRegions();
    // The rows are read before sorting is turned on, so they are sorted once rather than placed
    // one by one.
    RestoreLayout();
    connect(table_->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, &NumbersWindow::SaveSort);
    ShowStatus();

    // The store is read on this timer only, never per stored number, so a harvest never waits
    // for the window.
    connect(&poll_, &QTimer::timeout, this, &NumbersWindow::Poll);
    poll_.start(kPollMs);
    saveWidths_.setSingleShot(true);
    saveWidths_.setInterval(500);
    connect(&saveWidths_, &QTimer::timeout, this, &NumbersWindow::SaveWidths);
    ApplyColours(*this);
}

void NumbersWindow::BuildControls() {
    auto* findLabel = new QLabel(QStringLiteral("Search:"), this);
    txtFind_ = new QLineEdit(this);
    txtFind_->setObjectName(QStringLiteral("txtFind"));
    txtFind_->setClearButtonEnabled(true);
    findLabel->setBuddy(txtFind_);
    auto* regionLabel = new QLabel(QStringLiteral("Region:"), this);
    cmbRegion_ = new QComboBox(this);
    cmbRegion_->setObjectName(QStringLiteral("cmbRegion"));
    cmbRegion_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    regionLabel->setBuddy(cmbRegion_);
    cmdExportCsv_ = new QPushButton(QStringLiteral("Export CSV…"), this);
    cmdExportCsv_->setObjectName(QStringLiteral("cmdExportCsv"));

    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("tblNumbers"));
    table_->setModel(&filter_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setContextMenuPolicy(Qt::CustomContextMenu);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    // Fixed row heights spare the view from measuring 100,000 rows.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->installEventFilter(this);

    auto* statusBar = new QStatusBar(this);
    statusBar->setSizeGripEnabled(false);
    status_ = new QLabel(statusBar);
    status_->setObjectName(QStringLiteral("lblNumbersStatus"));
    statusBar->addWidget(status_, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(findLabel);
    top->addWidget(txtFind_, 1);
    top->addWidget(regionLabel);
    top->addWidget(cmbRegion_);
    top->addWidget(cmdExportCsv_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->addLayout(top);
    layout->addWidget(table_, 1);
    layout->addWidget(statusBar);
    resize(860, 520);

    connect(txtFind_, &QLineEdit::textChanged, this, [this](const QString& text) {
        filter_.SetSearch(text);
        ShowStatus();
    });
    connect(cmbRegion_, &QComboBox::currentIndexChanged, this, [this](int index) {
        filter_.SetRegion(index < 0 ? -1 : cmbRegion_->itemData(index).toInt());
        ShowStatus();
    });
    connect(cmdExportCsv_, &QPushButton::clicked, this, &NumbersWindow::ExportCsv);
    connect(table_, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { OpenWebsite(index.row()); });
    connect(table_, &QTableView::customContextMenuRequested, this, &NumbersWindow::ShowContextMenu);
    connect(table_->horizontalHeader(), &QHeaderView::sectionResized, this, [this] { saveWidths_.start(); });
}

void NumbersWindow::RestoreLayout() {
    const auto widths =
        ReadNumbers(settings_.Read(kWidthsKey, std::string()), kDefaultWidths.size(), kMinWidth, kMaxWidth);
    for (int column = 0; column < NumbersModel::ColumnCount; ++column) {
        table_->setColumnWidth(column,
                               widths ? (*widths)[std::size_t(column)] : kDefaultWidths[std::size_t(column)]);
    }
    const auto sort =
        ReadNumbers(settings_.Read(kSortKey, std::string()), 2, 0, NumbersModel::ColumnCount - 1);
    // Newest first until the user chooses otherwise.
    int column = NumbersModel::Found;
    Qt::SortOrder order = Qt::DescendingOrder;
    if (sort && (*sort)[1] <= 1) {
        column = (*sort)[0];
        order = (*sort)[1] == 0 ? Qt::AscendingOrder : Qt::DescendingOrder;
    }
    // Sorting turned on sorts once, by the indicator.
    table_->horizontalHeader()->setSortIndicator(column, order);
    table_->setSortingEnabled(true);
}

void NumbersWindow::SaveWidths() {
    QStringList widths;
    for (int column = 0; column < NumbersModel::ColumnCount; ++column) {
        widths << QString::number(std::clamp(table_->columnWidth(column), kMinWidth, kMaxWidth));
    }
    const std::string text = widths.join(QLatin1Char(',')).toStdString();
    if (settings_.Read(kWidthsKey, std::string()) != text) {
        settings_.Write(kWidthsKey, text);
    }
}

void NumbersWindow::SaveSort(int column, Qt::SortOrder order) {
    settings_.Write(kSortKey, std::to_string(column) + (order == Qt::AscendingOrder ? ",0" : ",1"));
}

void NumbersWindow::closeEvent(QCloseEvent* event) {
    saveWidths_.stop();
    SaveWidths();
    poll_.stop();
    QWidget::closeEvent(event);
}

void NumbersWindow::Poll() {
    // Rows stored while the user looks further down must not push the rows under their eyes away.
    const bool scrolled = table_->verticalScrollBar()->value() > 0;
    const QPersistentModelIndex anchor = scrolled ? table_->indexAt(QPoint(0, 0)) : QModelIndex();
    model_.Refresh();
    if (anchor.isValid()) {
        table_->scrollTo(anchor, QAbstractItemView::PositionAtTop);
    }
    ShowStatus();
}

// Rebuilt only when an entry changes, so an open drop-down is left alone while nothing does.
void NumbersWindow::FillRegions() {
    const int current = cmbRegion_->currentIndex() < 0 ? -1 : cmbRegion_->currentData().toInt();
    QList<std::pair<QString, int>> entries = {{QStringLiteral("All regions"), -1}};
    for (const int region : model_.RegionsByName()) {
        if (model_.RegionTotal(region) > 0 || region == current) {
            entries.append(
                {QStringLiteral("%1 (%2)").arg(model_.RegionName(region)).arg(model_.RegionTotal(region)),
                 region});
        }
    }
    bool same = cmbRegion_->count() == entries.size();
    for (int i = 0; same && i < entries.size(); ++i) {
        same = cmbRegion_->itemText(i) == entries[i].first &&
               cmbRegion_->itemData(i).toInt() == entries[i].second;
    }
    if (same) {
        return;
    }
    const QSignalBlocker quiet(cmbRegion_);
    cmbRegion_->clear();
    for (const auto& [text, region] : entries) {
        cmbRegion_->addItem(text, region);
    }
    cmbRegion_->setCurrentIndex(std::max(0, cmbRegion_->findData(current)));
}

void NumbersWindow::ShowStatus() {
    const QString text = StatusText();
    if (status_->text() != text) {
        status_->setText(text);
    }
    cmdExportCsv_->setEnabled(model_.Readable());
}

QString NumbersWindow::StatusText() const {
    const QString counts = QStringLiteral("%1 of %2 numbers").arg(filter_.rowCount()).arg(model_.rowCount());
    if (!model_.Readable()) {
        return QStringLiteral("The stored numbers could not be read. ") + counts;
    }
    return counts;
}

int NumbersWindow::SourceRow(int shownRow) const {
    return filter_.mapToSource(filter_.index(shownRow, 0)).row();
}

QString NumbersWindow::SelectedRowsText() const {
    QList<int> shown;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
        shown << index.row();
    }
    std::sort(shown.begin(), shown.end());
    QStringList lines;
    QStringList header;
    for (int column = 0; column < NumbersModel::ColumnCount; ++column) {
        header << model_.headerData(column, Qt::Horizontal).toString();
    }
    lines << header.join(QLatin1Char('\t'));
    for (const int row : shown) {
        QStringList fields;
        for (int column = 0; column < NumbersModel::ColumnCount; ++column) {
            fields << TsvField(filter_.index(row, column).data().toString());
        }
        lines << fields.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void NumbersWindow::CopySelectedRows() const {
    if (table_->selectionModel()->hasSelection()) {
        QApplication::clipboard()->setText(SelectedRowsText());
    }
}

void NumbersWindow::CopyNumber(int shownRow) const {
    if (shownRow >= 0 && shownRow < filter_.rowCount()) {
        QApplication::clipboard()->setText(filter_.index(shownRow, NumbersModel::Number).data().toString());
    }
}

void NumbersWindow::OpenWebsite(int shownRow) {
    if (shownRow < 0 || shownRow >= filter_.rowCount() || !openUrl) {
        return;
    }
    const QString website = filter_.index(shownRow, NumbersModel::Website).data().toString().trimmed();
    if (website.isEmpty()) {
        return;
    }
    const QString scheme =
        secureWeb_ && secureWeb_() ? QStringLiteral("https://") : QStringLiteral("http://");
    const QUrl url(scheme + website, QUrl::TolerantMode);
    // The stored text comes from pages: only an address of the scheme chosen here is handed on.
    if (url.isValid() && !url.host().isEmpty() && url.scheme() + QStringLiteral("://") == scheme) {
        openUrl(url);
    }
}

void NumbersWindow::DeleteNumber(int shownRow) {
    if (shownRow < 0 || shownRow >= filter_.rowCount()) {
        return;
    }
    if (!confirmYesNo) {
        return;
    }
    const QPersistentModelIndex row = filter_.index(shownRow, 0);
    const QString number = filter_.index(shownRow, NumbersModel::Number).data().toString();
    QPointer<NumbersWindow> self(this);
    confirmYesNo(QStringLiteral("Delete the number %1?").arg(number), [self, row, number](bool yes) {
        // The row may have moved or gone while the question was open.
        if (self && yes && row.isValid()) {
            self->DeleteRow(row, number);
        }
    });
}

void NumbersWindow::DeleteRow(const QPersistentModelIndex& row, const QString& number) {
    const bool deleted = model_.DeleteRow(filter_.mapToSource(row).row());
    ShowStatus();
    if (deleted) {
        emit numberDeleted();
    } else if (showWarning) {
        showWarning(QStringLiteral("The number %1 could not be deleted.").arg(number));
    }
}

QMenu* NumbersWindow::ShowContextMenu(const QPoint& viewportPoint) {
    const QModelIndex index = table_->indexAt(viewportPoint);
    if (!index.isValid()) {
        return nullptr;
    }
    table_->setCurrentIndex(index);
    const QPersistentModelIndex row = index;
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("mnuNumber"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto onRow = [this, row](void (NumbersWindow::*action)(int)) {
        return [this, row, action] {
            if (row.isValid()) {
                (this->*action)(row.row());
            }
        };
    };
    connect(menu->addAction(QStringLiteral("Copy number")), &QAction::triggered, this, [this, row] {
        if (row.isValid()) {
            CopyNumber(row.row());
        }
    });
    connect(menu->addAction(QStringLiteral("Open website")), &QAction::triggered, this,
            onRow(&NumbersWindow::OpenWebsite));
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("Delete number")), &QAction::triggered, this,
            onRow(&NumbersWindow::DeleteNumber));
    menu->popup(table_->viewport()->mapToGlobal(viewportPoint));
    return menu;
}

void NumbersWindow::ExportCsv() {
    if (!model_.Readable()) {
        return;
    }
    if (!chooseFile) {
        return;
    }
    QPointer<NumbersWindow> self(this);
    chooseFile(appFolder_ + QStringLiteral("/numbers.csv"), [self](const QString& fileName) {
        if (self && !fileName.isEmpty()) {
            self->WriteCsv(fileName);
        }
    });
}

// The rows shown once the file is chosen: the search and filter of that moment.
void NumbersWindow::WriteCsv(const QString& fileName) {
    if (!model_.Readable()) {
        return;
    }
    std::vector<FaxDetails> shown;
    shown.reserve(std::size_t(filter_.rowCount()));
    for (int row = 0; row < filter_.rowCount(); ++row) {
        shown.push_back(model_.Details(SourceRow(row)));
    }
    const std::string text = NumbersCsv(shown);
    // Written beside and moved into place, so a failed write leaves an existing file as it was;
    // a file the user may not change is not replaced either.
    const QFileInfo existing(fileName);
    QSaveFile file(fileName);
    const bool written = (!existing.exists() || existing.isWritable()) && file.open(QIODevice::WriteOnly) &&
                         file.write(text.data(), qint64(text.size())) == qint64(text.size()) && file.commit();
    if (!written && showWarning) {
        showWarning(QStringLiteral("The numbers could not be written to %1.").arg(fileName));
    }
}

bool NumbersWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy)) {
            CopySelectedRows();
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            OpenWebsite(table_->currentIndex().row());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tarnwick
