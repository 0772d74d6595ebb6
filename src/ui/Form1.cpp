// The main window's controls, placed from their design geometry in twips, and its handlers. Run
// logic stays in the engine: every button forwards to it and every list, text and state is shown
// from it.
#include "ui/Form1.h"

#include "listbuilder/SearchEngines.h"
#include "ui/AnsiText.h"
#include "ui/FormControls.h"
#include "ui/OnTop.h"
#include "ui/OptionControls.h"
#include "ui/QtSettingsStore.h"
#include "ui/Skin.h"
#include "ui/frmExport.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTextDocument>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <limits>
#include <utility>

static void InitMainWindowResources() {
    Q_INIT_RESOURCE(mainwindow);
}

namespace tarnwick {
namespace {

constexpr int kDesignClientWidth = 11535;
constexpr int kDesignClientHeight = 10200;
constexpr std::int64_t kMaxCounter = std::numeric_limits<std::int32_t>::max();

QStringList EngineItems(bool secureWeb) {
    QStringList items;
    for (const std::string& text : EngineListTexts(secureWeb)) {
        items.append(QString::fromStdString(text));
    }
    return items;
}

} // namespace

Form1::Form1(HarvestEngine& engine, SettingsStore& settings, Branding branding, QWidget* parent)
    : QMainWindow(parent)
    , engine_(engine)
    , settings_(settings)
    , branding_(std::move(branding)) {
    InitMainWindowResources();
    setObjectName(QStringLiteral("Form1"));
    QFont font;
    font.setFamilies(
        {QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    setFont(font);
    setWindowIcon(QIcon(QStringLiteral(":/icons/tarnwick.svg")));

    openFolder = [](const QUrl& folder) { QDesktopServices::openUrl(folder); };
    BuildControls();
    BuildMenus();
    BindEngine();
    resize(layout_.Px(kDesignClientWidth), layout_.Px(kDesignClientHeight) + menuBar()->sizeHint().height());
}

Form1::~Form1() = default;

void Form1::BuildControls() {
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);

    Combo1_ = AddCombo(client_, "Combo1", QStringLiteral("Which Search Type?"), EngineItems(false));
    layout_.Place(Combo1_, 60, 60, 2235, 315);
    Combo2_ = AddCombo(client_, "Combo2", QStringLiteral("How Many Results?"),
                       {QStringLiteral("~100 Domains"), QStringLiteral("~200 Domains"),
                        QStringLiteral("~500 Domains"), QStringLiteral("~1000 Domains"),
                        QStringLiteral("~5000 Domains"), QStringLiteral("~10000 Domains")});
    layout_.Place(Combo2_, 60, 480, 2235, 315);

    Command1_ = AddPictureButton(client_, "Command1", QStringLiteral("Start"), QStringLiteral("start.svg"),
                                 QStringLiteral("Begin Harvesting Faxes"), false);
    layout_.Place(Command1_, 2340, 60, 1095, 735);
    cmdNextSearch_ =
        AddPictureButton(client_, "cmdNextSearch", QStringLiteral("Next"), QStringLiteral("next.svg"),
                         QStringLiteral("Skip to your next search string"), false);
    layout_.Place(cmdNextSearch_, 3480, 60, 1095, 735);
    cmdStop_ = AddPictureButton(client_, "cmdStop", QStringLiteral("Stop"), QStringLiteral("stop.svg"),
                                QStringLiteral("Stop harvesting faxes"), false);
    layout_.Place(cmdStop_, 4620, 60, 1095, 735);
    cmdResume_ =
        AddPictureButton(client_, "cmdResume", QStringLiteral("Resume"), QStringLiteral("resume.svg"),
                         QStringLiteral("Resume harvesting emails"), false);
    layout_.Place(cmdResume_, 5760, 60, 1095, 735);
    cmdWebsite_ = AddButton(client_, "cmdWebsite", QStringLiteral("Visit ") + branding_.websiteAddress,
                            QStringLiteral("Open Browser"));
    layout_.Place(cmdWebsite_, 6900, 60, 2055, 735);

    cmdDoSearch_ = AddButton(client_, "cmdDoSearch", QStringLiteral("Start Search"), {});
    cmdDoSearch_->hide();
    txtSearch_ = new QLineEdit(QStringLiteral("Google Search"), client_);
    txtSearch_->setObjectName(QStringLiteral("txtSearch"));
    txtSearch_->hide();

    // Searches
    Frame1_ = new QGroupBox(QStringLiteral("Searches"), client_);
    Frame1_->setObjectName(QStringLiteral("Frame1"));
    layout_.Place(Frame1_, 60, 840, 4275, 6255);
    layout_.PlaceAutoSized(AddLabel(Frame1_, QStringLiteral("Search Strings"), true), 120, 300);
    layout_.Place(AddLabel(Frame1_, QStringLiteral("Enter a new Search String:"), false), 120, 480, 2505,
                  315);
    cmdAdd_ = AddPictureButton(Frame1_, "cmdAdd", QStringLiteral("Add"), QStringLiteral("add.svg"),
                               QStringLiteral("Add"), true);
    layout_.Place(cmdAdd_, 120, 780, 500, 500);
    cmbDel_ = AddPictureButton(Frame1_, "cmbDel", QStringLiteral("Del"), QStringLiteral("delete.svg"),
                               QStringLiteral("Delete"), true);
    layout_.Place(cmbDel_, 660, 780, 500, 500);
    Text1_ = new QLineEdit(Frame1_);
    Text1_->setObjectName(QStringLiteral("Text1"));
    layout_.Place(Text1_, 1200, 960, 2175, 315);
    List1_ = AddList(Frame1_, "List1");
    layout_.Place(List1_, 120, 1320, 4035, 2010);
    layout_.PlaceAutoSized(AddLabel(Frame1_, QStringLiteral("Preview - Next 20 Sites Queued:"), true), 120,
                           3420);
    List2_ = AddList(Frame1_, "List2");
    layout_.Place(List2_, 120, 3720, 4035, 2400);

    // Fax number data
    Frame2_ = new QGroupBox(QStringLiteral("Emails"), client_);
    Frame2_->setObjectName(QStringLiteral("Frame2"));
    layout_.Place(Frame2_, 4380, 840, 4275, 6255);
    layout_.PlaceAutoSized(AddLabel(Frame2_, QStringLiteral("Fax Number Data"), true), 120, 360);
    cmdViewDatabase_ = AddButton(Frame2_, "cmdViewDatabase", QStringLiteral("View Fax Database"),
                                 QStringLiteral("Spider.mdb stores all thefaxes you have found"));
    layout_.Place(cmdViewDatabase_, 120, 600, 4035, 855);
    Command2_ = AddButton(Frame2_, "Command2", QStringLiteral("Export Numbers to List"),
                          QStringLiteral("Export all the faxes you have found"));
    layout_.Place(Command2_, 120, 1500, 4035, 855);
    Command3_ = AddButton(Frame2_, "Command3", QStringLiteral("Delete All Fax Numbers"),
                          QStringLiteral("Delete all saved faxes"));
    layout_.Place(Command3_, 120, 2400, 4035, 855);
    layout_.PlaceAutoSized(AddLabel(Frame2_, QStringLiteral("Preview - Last 20 Numbers Found:"), true), 180,
                           3420);
    List3_ = AddList(Frame2_, "List3");
    layout_.Place(List3_, 120, 3720, 4035, 2205);

    // Options, top to bottom
    Frame4_ = new QGroupBox(QStringLiteral("Options"), client_);
    Frame4_->setObjectName(QStringLiteral("Frame4"));
    // One row taller than the options of old, for the secure-web check box; the statistics
    // frame below moves down by as much.
    layout_.Place(Frame4_, 8700, 840, 2595, 4215);
    constexpr int left = 120;
    constexpr int width = 2355;
    layout_.Place(AddLabel(Frame4_, QStringLiteral("Auto Search Advance:"), true), left, 240, width, 240);
    chkAuto_ = AddCheck(Frame4_, "chkAuto", QStringLiteral("Enable"),
                        QStringLiteral("Click to enable Auto Search Advance"));
    layout_.Place(chkAuto_, left, 480, width, 240);
    auto* advanceLabel =
        AddLabel(Frame4_, QStringLiteral("Advancd after this many websites are scanned:"), false);
    advanceLabel->setWordWrap(true);
    layout_.Place(advanceLabel, left, 720, width, 390);
    cmbAdvance_ = AddCombo(Frame4_, "cmbAdvance", QStringLiteral("cmbAdvance"),
                           {QStringLiteral("1,000"), QStringLiteral("5,000"), QStringLiteral("10,000"),
                            QStringLiteral("20,000"), QStringLiteral("50,000"), QStringLiteral("100,000"),
                            QStringLiteral("200,000"), QStringLiteral("500,000")});
    layout_.Place(cmbAdvance_, left, 1125, width, 315);
    layout_.Place(AddLabel(Frame4_, QStringLiteral("After last search:"), false), left, 1470, width, 240);
    cmbLastSearch_ = AddCombo(Frame4_, "cmbLastSearch", QStringLiteral("cmbLastSearch"),
                              {QStringLiteral("Stop Immediately"), QStringLiteral("Continue Until Stopped")});
    layout_.Place(cmbLastSearch_, left, 1710, width, 315);
    layout_.Place(AddLabel(Frame4_, QStringLiteral("Audio:"), true), left, 2085, width, 240);
    chkAudioEmail_ = AddCheck(Frame4_, "chkAudioEmail", QStringLiteral("On Fax Found"));
    layout_.Place(chkAudioEmail_, left, 2325, width, 240);
    chkAudioNext_ = AddCheck(Frame4_, "chkAudioNext", QStringLiteral("On Next Search"));
    layout_.Place(chkAudioNext_, left, 2565, width, 240);
    chkAudioFinished_ = AddCheck(Frame4_, "chkAudioFinished", QStringLiteral("On Finished"));
    layout_.Place(chkAudioFinished_, left, 2805, width, 240);
    layout_.Place(AddLabel(Frame4_, QStringLiteral("Other:"), true), left, 3075, width, 240);
    chkAddFax_ = AddCheck(Frame4_, "chkAddFax", QStringLiteral("Add \"fax\" to searches"),
                          QStringLiteral("Adds the word \"fax\" to all your searches"));
    layout_.Place(chkAddFax_, left, 3315, width, 240);
    chkNonUS_ = AddCheck(Frame4_, "chkNonUS", QStringLiteral("Allow International"),
                         QStringLiteral("Allows Non-US numbers"));
    layout_.Place(chkNonUS_, left, 3555, width, 240);
    chkSecureWeb_ = AddCheck(Frame4_, "chkSecureWeb", QStringLiteral("Secure web (https)"),
                             QStringLiteral("Fetch https sites, follow redirects and every link of a page"));
    layout_.Place(chkSecureWeb_, left, 3795, width, 240);

    // Statistics: a caption per counter with its value label beside it
    Frame3_ = new QGroupBox(QStringLiteral("Statistics"), client_);
    Frame3_->setObjectName(QStringLiteral("Frame3"));
    layout_.Place(Frame3_, 8700, 5100, 2595, 1995);
    layout_.Place(AddLabel(Frame3_, QStringLiteral("This Session"), true), left, 240, 1500, 240);
    layout_.Place(AddLabel(Frame3_, QStringLiteral("Historically"), true), left, 1260, 1500, 240);
    const std::array<std::pair<const char*, int>, 5> counters = {{{"Sites Scanned:", 480},
                                                                  {"Sites Found:", 720},
                                                                  {"Numbers Found:", 960},
                                                                  {"Sites Scanned:", 1500},
                                                                  {"Numbers Found:", 1740}}};
    for (std::size_t i = 0; i < counters.size(); ++i) {
        layout_.Place(AddLabel(Frame3_, QLatin1String(counters[i].first), false), left, counters[i].second,
                      1560, 240);
        lblStats_[i] = AddLabel(Frame3_, QStringLiteral("0"), false);
        lblStats_[i]->setObjectName(QStringLiteral("lblStats"));
        lblStats_[i]->setProperty("index", int(i));
        layout_.Place(lblStats_[i], 1680, counters[i].second, 795, 240);
    }

    // Status bar along the bottom edge of the client area, with the progress bar kept over panel 4
    StatusBar1_ = new QWidget(client_);
    StatusBar1_->setObjectName(QStringLiteral("StatusBar1"));
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        panels_[i] = new QLabel(StatusBar1_);
        panels_[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        // The panels show addresses taken from web pages: a tag in one is text, never markup.
        panels_[i]->setTextFormat(Qt::PlainText);
    }
    // Only panel 1 exists until the load adds the other three.
    for (std::size_t i = 1; i < panels_.size(); ++i) {
        panels_[i]->hide();
    }
    StatusBar1_->setFixedHeight(fontMetrics().height() + 10);
    // Opaque, so nothing behind it shows through between and inside the panels.
    StatusBar1_->setAutoFillBackground(true);
    pb1_ = new QProgressBar(client_);
    pb1_->setObjectName(QStringLiteral("pb1"));
    pb1_->setRange(0, 100);
    pb1_->setValue(0);
    pb1_->setTextVisible(false);

    connect(chkSecureWeb_, &QCheckBox::toggled, this, &Form1::FillCombo1);
    BindOptions();

    connect(Command1_, &QToolButton::clicked, this, [this] { Act([this] { engine_.Command1_Click(); }); });
    connect(cmdNextSearch_, &QToolButton::clicked, this,
            [this] { Act([this] { engine_.cmdNextSearch_Click(); }); });
    connect(cmdStop_, &QToolButton::clicked, this, [this] { Act([this] { engine_.cmdStop_Click(); }); });
    connect(cmdResume_, &QToolButton::clicked, this, [this] { Act([this] { engine_.cmdResume_Click(); }); });
    connect(cmdDoSearch_, &QPushButton::clicked, this,
            [this] { Act([this] { engine_.cmdDoSearch_Click(); }); });
    connect(cmdWebsite_, &QPushButton::clicked, this, &Form1::websiteRequested);
    connect(cmdAdd_, &QToolButton::clicked, this, &Form1::AddSearch);
    connect(Text1_, &QLineEdit::returnPressed, this, &Form1::AddSearch);
    connect(cmbDel_, &QToolButton::clicked, this, [this] {
        const QList<QListWidgetItem*> selected = List1_->selectedItems();
        const int row = selected.isEmpty() ? -1 : List1_->row(selected.first());
        Act([this, row] { engine_.cmbDel_Click(row); });
    });
    connect(cmdViewDatabase_, &QPushButton::clicked, this, &Form1::ViewDatabase);
    connect(Command2_, &QPushButton::clicked, this, &Form1::ShowExport);
    connect(Command3_, &QPushButton::clicked, this, [this] { Act([this] { engine_.Command3_Click(); }); });
}

void Form1::BuildMenus() {
    struct Entry {
        const char* menuName;
        QString menu;
        const char* itemName;
        QString item;
    };
    const std::array<Entry, 3> entries = {
        {{"mnuFile", QStringLiteral("File"), "mnuFileItem", QStringLiteral("Exit")},
         {"mnuHelp", QStringLiteral("Help"), "mnuHelpItem", QStringLiteral("View Help File")},
         {"mnuAbout", QStringLiteral("About"), "mnuAboutItem", QStringLiteral("About this software")}}};
    std::array<QAction*, 3> items{};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        QMenu* menu = menuBar()->addMenu(entries[i].menu);
        menu->setObjectName(QLatin1String(entries[i].menuName));
        items[i] = menu->addAction(entries[i].item);
        items[i]->setObjectName(QLatin1String(entries[i].itemName));
    }
    auto* browseNumbers = new QAction(QStringLiteral("Browse Numbers…"), this);
    browseNumbers->setObjectName(QStringLiteral("mnuBrowseNumbers"));
    browseNumbers->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    findChild<QMenu*>(QStringLiteral("mnuFile"))->insertAction(items[0], browseNumbers);
    connect(browseNumbers, &QAction::triggered, this, &Form1::ShowNumbers);
    connect(items[0], &QAction::triggered, this, &QWidget::close);
    connect(items[1], &QAction::triggered, this, &Form1::helpRequested);
    connect(items[2], &QAction::triggered, this, &Form1::aboutRequested);
}

void Form1::BindEngine() {
    frame_.setSingleShot(true);
    connect(&frame_, &QTimer::timeout, this, &Form1::Redraw);
    connect(&engine_.view(), &RunView::buttonEnabledChanged, this, [this](Button button, bool enabled) {
        Redraw(); // a new run state shows together with what led to it
        ShowButton(button, enabled);
    });
    connect(&engine_.view(), &RunView::listChanged, this, [this](ListId list) {
        listDirty_[static_cast<std::size_t>(list)] = true;
        MarkChanged();
    });
    connect(&engine_.view(), &RunView::statusTextChanged, this, [this](int panel, const QString&) {
        if (panel >= 1 && panel <= int(panels_.size())) {
            panelDirty_[std::size_t(panel - 1)] = true;
            MarkChanged();
        }
    });
    connect(&engine_.view(), &RunView::progressChanged, this, [this] {
        progressDirty_ = true;
        MarkChanged();
    });
    connect(&engine_, &HarvestEngine::statisticsChanged, this, [this] {
        statsDirty_ = true;
        MarkChanged();
    });
    connect(&engine_.view(), &RunView::harvestingChanged, this, [this] {
        txtSearch_->setText(FromAnsi(engine_.txtSearch()));
        Redraw();
    });
    connect(&engine_, &HarvestEngine::harvestEnded, this, &Form1::Redraw);

    for (const Button button : {Button::Command1, Button::cmdNextSearch, Button::cmdStop, Button::cmdResume,
                                Button::cmdViewDatabase, Button::Command2, Button::Command3}) {
        ShowButton(button, engine_.IsEnabled(button));
    }
    for (const ListId list : {ListId::List1, ListId::List2, ListId::List3}) {
        ShowList(list);
    }
    for (int panel = 1; panel <= int(panels_.size()); ++panel) {
        ShowPanel(panel);
    }
    pb1_->setValue(engine_.ProgressValue());
}

void Form1::MarkChanged() {
    if (frame_.isActive()) {
        return;
    }
    // Without a harvest, changes come at the pace of the user's actions and show at once.
    const qint64 since = sinceRedraw_.isValid() ? sinceRedraw_.elapsed() : kFrameMs;
    if (!engine_.harvesting() || since >= kFrameMs) {
        Redraw();
    } else {
        frame_.start(int(kFrameMs - since));
    }
}

void Form1::Redraw() {
    frame_.stop();
    const bool any = progressDirty_ || statsDirty_ ||
                     std::find(listDirty_.begin(), listDirty_.end(), true) != listDirty_.end() ||
                     std::find(panelDirty_.begin(), panelDirty_.end(), true) != panelDirty_.end();
    if (!any) {
        return;
    }
    for (std::size_t i = 0; i < listDirty_.size(); ++i) {
        if (std::exchange(listDirty_[i], false)) {
            ShowList(static_cast<ListId>(i));
        }
    }
    for (std::size_t i = 0; i < panelDirty_.size(); ++i) {
        if (std::exchange(panelDirty_[i], false)) {
            ShowPanel(int(i) + 1);
        }
    }
    if (std::exchange(progressDirty_, false)) {
        pb1_->setValue(engine_.ProgressValue());
    }
    if (std::exchange(statsDirty_, false)) {
        StatsD();
    }
    ++redraws_;
    sinceRedraw_.start();
}

void Form1::Act(const std::function<void()>& action) {
    action();
    Redraw();
}

void Form1::ShowPanel(int panel) {
    QLabel* const label = panels_[std::size_t(panel - 1)];
    const QString text = FromAnsi(engine_.StatusText(panel));
    if (label->text() == text) {
        return;
    }
    label->setText(text);
    // The panels keep their widths, so a long text is cut; the whole of it is one hover away.
    // Tooltips take what looks like markup as markup, so such a text is shown escaped.
    label->setToolTip(Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap)
                                                : text);
}

void Form1::ShowButton(Button button, bool enabled) {
    QWidget* const widgets[] = {Command1_,        cmdNextSearch_, cmdStop_, cmdResume_,
                                cmdViewDatabase_, Command2_,      Command3_};
    widgets[static_cast<int>(button)]->setEnabled(enabled);
}

void Form1::ShowList(ListId list) {
    QListWidget* const widgets[] = {List1_, List2_, List3_};
    QListWidget* const widget = widgets[static_cast<int>(list)];
    const std::vector<std::string>& items = engine_.List(list);

    // Keep the selection when the selected entry is still at its place.
    const QList<QListWidgetItem*> selected = widget->selectedItems();
    const int row = selected.isEmpty() ? -1 : widget->row(selected.first());
    const QString text = selected.isEmpty() ? QString() : selected.first()->text();

    widget->setUpdatesEnabled(false);
    const int common = std::min(widget->count(), int(items.size()));
    for (int i = 0; i < common; ++i) {
        const QString wanted = FromAnsi(items[std::size_t(i)]);
        if (widget->item(i)->text() != wanted) {
            widget->item(i)->setText(wanted);
        }
    }
    while (widget->count() > int(items.size())) {
        delete widget->takeItem(widget->count() - 1);
    }
    for (std::size_t i = std::size_t(common); i < items.size(); ++i) {
        widget->addItem(FromAnsi(items[i]));
    }
    widget->clearSelection();
    if (row >= 0 && row < widget->count() && widget->item(row)->text() == text) {
        widget->item(row)->setSelected(true);
    }
    widget->setUpdatesEnabled(true);

    if (list == ListId::List1) {
        txtSearch_->setText(FromAnsi(engine_.txtSearch()));
    }
}

void Form1::StatsD() {
    const Statistics& stats = engine_.Stats();
    const std::array<std::int32_t, 5> values = {stats.sessionSitesScanned, stats.sessionSitesFound,
                                                stats.sessionNumbersFound, stats.histSitesScanned,
                                                stats.histNumbersFound};
    for (std::size_t i = 0; i < values.size(); ++i) {
        const QString text = QString::number(values[i]);
        if (lblStats_[i]->text() != text) {
            lblStats_[i]->setText(text);
        }
        if (skinStats_[i] && skinStats_[i]->text() != text) {
            skinStats_[i]->setText(text);
        }
    }
}

void Form1::FocusControl(FocusTarget target) {
    switch (target) {
    case FocusTarget::Text1:
        Text1_->setFocus();
        break;
    case FocusTarget::Combo1:
        Combo1_->setFocus();
        break;
    case FocusTarget::Combo2:
        Combo2_->setFocus();
        break;
    case FocusTarget::None:
        break;
    }
}

void Form1::FillCombo1(bool secureWeb) {
    const QStringList items = EngineItems(secureWeb);
    // Cleared first when its engine goes, so that the list does not move it to another engine.
    if (Combo1_->currentIndex() >= items.size()) {
        Combo1_->setCurrentIndex(-1);
    }
    while (Combo1_->count() > items.size()) {
        Combo1_->removeItem(Combo1_->count() - 1);
    }
    for (qsizetype i = Combo1_->count(); i < items.size(); ++i) {
        Combo1_->addItem(items[i]);
    }
}

void Form1::BindOptions() {
    // The secure-web option comes before the engine list: the engines offered depend on it, so a
    // stored engine is chosen from the right list when the settings are loaded.
    options_ = {CheckOption<&Options::chkAuto>(chkAuto_, "chkAuto", false),
                AdvanceOption(cmbAdvance_, "cmbAdvance", 2),
                IndexOption<&Options::cmbLastSearch>(cmbLastSearch_, "cmbLastSearch", 0),
                CheckOption<&Options::chkAudioEmail>(chkAudioEmail_, "chkAudioEmail", true),
                CheckOption<&Options::chkAudioNext>(chkAudioNext_, "chkAudioNext", true),
                CheckOption<&Options::chkAudioFinished>(chkAudioFinished_, "chkAudioFinished", true),
                CheckOption<&Options::chkAddFax>(chkAddFax_, "chkAddFax", true),
                CheckOption<&Options::chkNonUS>(chkNonUS_, "chkNonUS", true),
                CheckOption<&Options::chkSecureWeb>(chkSecureWeb_, "chkSecureWeb", false),
                IndexOption<&Options::Combo1>(Combo1_, "Combo1", -1),
                IndexOption<&Options::Combo2>(Combo2_, "Combo2", -1)};
    for (const OptionControl& option : options_) {
        OnValueChanged(option, this, [this, option](int value) {
            option.apply(engine_, value);
            // The controls take their stored values without writing them back.
            if (!loading_) {
                settings_.Write(option.key, std::to_string(value));
            }
        });
    }
}

void Form1::LoadSettings() {
    loading_ = true;
    for (const OptionControl& option : options_) {
        ShowValue(option, StoredValue(settings_, option));
    }
    loading_ = false;

    // The engine reads the options at the moment of use; give it what the controls now show.
    for (const OptionControl& option : options_) {
        option.apply(engine_, ShownValue(option));
    }
    // No control: an intranet harvest or a test web on loopback is set up in the store by hand.
    engine_.options().allowPrivateAddresses = ReadNumber(settings_, "allowPrivateAddresses", 0, 0, 1) == 1;

    Statistics stats = engine_.Stats();
    stats.sessionSitesScanned = 0;
    stats.sessionSitesFound = 0;
    stats.sessionNumbersFound = 0;
    stats.histNumbersFound = std::int32_t(ReadNumber(settings_, "lHistEmailFound", 0, 0, kMaxCounter));
    stats.histSitesScanned = std::int32_t(ReadNumber(settings_, "lHistWebScanned", 0, 0, kMaxCounter));
    engine_.SetStatistics(stats);
}

void Form1::ShowSkinLabels() {
    const QList<SkinLabel*> made = MakeSkinLabels(*this, {Frame1_, Frame2_, Frame4_, Frame3_});
    // A skinned copy covers its label, so the copies of the statistics values must follow every
    // later StatsD, or the window would show the counters of the moment it loaded.
    for (SkinLabel* skinned : made) {
        for (std::size_t i = 0; i < lblStats_.size(); ++i) {
            if (skinned->parentWidget() == Frame3_ && skinned->geometry() == lblStats_[i]->geometry()) {
                skinStats_[i] = skinned;
            }
        }
    }
}

void Form1::Load() {
    LoadSettings();
    StatsD();
    setWindowTitle(branding_.programName + QStringLiteral(" by ") + branding_.companyName);
    cmdWebsite_->setText(QStringLiteral("Visit ") + branding_.websiteAddress);
    for (QLabel* panel : panels_) {
        panel->show();
    }
    ShowSkinLabels();
    ApplyColours(*this);
    if (settings_.Read("showHelp", "1") == "1") {
        emit helpRequested();
    }
    Act([this] { engine_.LoadRunState(); });
    LayoutMainWindow();
}

void Form1::AddSearch() {
    Act([this] { engine_.cmdAdd_Click(ToAnsi(Text1_->text())); });
    Text1_->clear();
}

void Form1::ViewDatabase() {
    if (openFolder) {
        openFolder(QUrl::fromLocalFile(QString::fromStdString(engine_.AppFolder())));
    }
}

void Form1::ShowExport() {
    if (!export_) {
        export_ = new frmExport(engine_, this);
        if (prepareExport) {
            prepareExport(*export_);
        }
    }
    ShowInFront(*export_);
}

void Form1::ShowNumbers() {
    if (!numbers_) {
        numbers_ = new NumbersWindow(
            engine_.Store(), settings_, QString::fromStdString(engine_.AppFolder()),
            [this] { return chkSecureWeb_->isChecked(); }, this);
        connect(numbers_, &NumbersWindow::numberDeleted, this,
                [this] { Act([this] { engine_.ShowRecentFaxes(); }); });
    }
    ShowInFront(*numbers_);
}

void Form1::closeEvent(QCloseEvent* event) {
    engine_.Shutdown();
    if (export_) {
        export_->close();
    }
    if (numbers_) {
        numbers_->close();
    }
    emit unloading();
    event->accept();
}

} // namespace tarnwick
