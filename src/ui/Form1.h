// The main window: phrases, previews, run buttons, options, statistics and status bar, bound to the
// harvest engine, which owns the lists, button states, texts and counters shown here.
#pragma once

#include "harvest/HarvestEngine.h"
#include "ui/Branding.h"
#include "ui/NumbersWindow.h"
#include "ui/OptionControls.h"
#include "ui/TwipLayout.h"
#include "ui/frmExport.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <array>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QToolButton;
class QUrl;

namespace tarnwick {

class Form1 final : public QMainWindow {
    Q_OBJECT
public:
    Form1(HarvestEngine& engine, SettingsStore& settings, Branding branding, QWidget* parent = nullptr);
    ~Form1() override;

    // The window's load: settings, statistics, captions, help, run values, lists. Call once, before show.
    void Load();
    void StatsD();
    void FocusControl(FocusTarget target);

    // Opens the application folder; replaceable so tests need no file browser.
    std::function<void(const QUrl&)> openFolder;
    // Prepares each export window before it is shown (tests replace its dialogs here).
    std::function<void(frmExport&)> prepareExport;

    frmExport* exportWindow() const { return export_; }
    NumbersWindow* numbersWindow() const { return numbers_; }
    // The design geometry in twips of a control laid out by this window.
    QRect TwipGeometry(const QWidget* control) const { return layout_.Geometry(control); }
    // The option controls with their settings keys and defaults, in the order they are loaded.
    const std::vector<OptionControl>& OptionTable() const { return options_; }
    // How often engine changes have been drawn so far.
    int RedrawCount() const { return redraws_; }
    static constexpr int kFrameMs = 50;

signals:
    void helpRequested();
    void aboutRequested();
    void websiteRequested();
    // Unload, after the harvest has stopped: the other windows close now, and the program ends
    // unless a window that outlives the main window is still open.
    void unloading();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    void BindEngine();
    void LoadSettings();
    void ShowSkinLabels();
    void LayoutMainWindow();
    void PlaceStatusBar();
    // Each option control writes its setting when it changes and tells the engine.
    void BindOptions();
    // The engine list: four engines with the secure-web option, two without; keeps the selection
    // when it is still offered.
    void FillCombo1(bool secureWeb);
    void ShowList(ListId list);
    void ShowPanel(int panel);
    void ShowButton(Button button, bool enabled);
    // During a harvest, engine changes are drawn at frame rate: the first change of a quiet spell
    // at once, the rest of a burst together at the next frame.
    void MarkChanged();
    void Redraw();
    // A user's action shows its effect at once.
    void Act(const std::function<void()>& action);
    void AddSearch();
    void ViewDatabase();
    void ShowExport();
    void ShowNumbers();

    HarvestEngine& engine_;
    SettingsStore& settings_;
    Branding branding_;
    TwipLayout layout_{*this};
    std::vector<OptionControl> options_;
    bool loading_ = false;

    QWidget* client_ = nullptr;
    QComboBox* Combo1_ = nullptr;
    QComboBox* Combo2_ = nullptr;
    QToolButton* Command1_ = nullptr;
    QToolButton* cmdNextSearch_ = nullptr;
    QToolButton* cmdStop_ = nullptr;
    QToolButton* cmdResume_ = nullptr;
    QPushButton* cmdWebsite_ = nullptr;
    QPushButton* cmdDoSearch_ = nullptr;
    QLineEdit* txtSearch_ = nullptr;
    QGroupBox* Frame1_ = nullptr;
    QGroupBox* Frame2_ = nullptr;
    QGroupBox* Frame3_ = nullptr;
    QGroupBox* Frame4_ = nullptr;
    QToolButton* cmdAdd_ = nullptr;
    QToolButton* cmbDel_ = nullptr;
    QLineEdit* Text1_ = nullptr;
    QListWidget* List1_ = nullptr;
    QListWidget* List2_ = nullptr;
    QListWidget* List3_ = nullptr;
    QPushButton* cmdViewDatabase_ = nullptr;
    QPushButton* Command2_ = nullptr;
    QPushButton* Command3_ = nullptr;
    QCheckBox* chkAuto_ = nullptr;
    QComboBox* cmbAdvance_ = nullptr;
    QComboBox* cmbLastSearch_ = nullptr;
    QCheckBox* chkAudioEmail_ = nullptr;
    QCheckBox* chkAudioNext_ = nullptr;
    QCheckBox* chkAudioFinished_ = nullptr;
    QCheckBox* chkAddFax_ = nullptr;
    QCheckBox* chkNonUS_ = nullptr;
    QCheckBox* chkSecureWeb_ = nullptr;
    std::array<QLabel*, 5> lblStats_{};
    std::array<QPointer<QLabel>, 5> skinStats_{};
    QWidget* StatusBar1_ = nullptr;
    std::array<QLabel*, 4> panels_{};
    QProgressBar* pb1_ = nullptr;
    QPointer<frmExport> export_;
    QPointer<NumbersWindow> numbers_;

    std::array<bool, 3> listDirty_{};
    std::array<bool, 4> panelDirty_{};
    bool progressDirty_ = false;
    bool statsDirty_ = false;
    QTimer frame_;
    QElapsedTimer sinceRedraw_;
    int redraws_ = 0;
};

} // namespace tarnwick
