// The List builder window: shows the result pages while the builder pages through them, and
// the launcher through which the harvest engine loads and unloads it.
#pragma once

#include "harvest/HarvestEngine.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class QLineEdit;
class QWebEngineProfile;
class QWebEngineView;

namespace tarnwick {

class ListBuilder;
class WebEngineBrowser;

class ListBuilderWindow final : public QWidget {
    Q_OBJECT
public:
    // `profile` keeps cookies and cache between windows (the secure-web mode); none shows the pages
    // in the engine's default profile, which keeps nothing.
    explicit ListBuilderWindow(HarvestEngine& engine, QWebEngineProfile* profile = nullptr,
                               QWidget* parent = nullptr);
    ~ListBuilderWindow() override;

    // Form_Load: reads the phrase and options and sends the first query.
    void Load();

    QWebEngineView* WebBrowser1() const { return webBrowser1_; }
    QLineEdit* Text1() const { return text1_; }
    ListBuilder& Builder() const { return *builder_; }

signals:
    // The builder has finished with this window.
    void unloadRequested();

private:
    QWebEngineView* webBrowser1_ = nullptr;
    QLineEdit* text1_ = nullptr;
    std::unique_ptr<WebEngineBrowser> browser_;
    std::unique_ptr<ListBuilder> builder_; // declared after the browser: goes first
};

// Loads and shows a fresh window for the phrase in txtSearch, and unloads it when the builder or
// the engine asks. Unloading is deferred, because the builder asks from inside its own routines.
class ListBuilderWindowLauncher final : public ListBuilderLauncher {
public:
    explicit ListBuilderWindowLauncher(HarvestEngine& engine);
    ~ListBuilderWindowLauncher() override;

    void LoadListBuilder() override;
    void UnloadListBuilder() override;

    ListBuilderWindow* Window() const { return window_; }
    // The persistent web profile of the secure-web mode in the "browser" subfolder of the
    // application folder, made on first use; one for all windows, as it may be opened only once.
    QWebEngineProfile* SecureProfile();

private:
    HarvestEngine& engine_;
    QPointer<ListBuilderWindow> window_;
    QPointer<QWebEngineProfile> profile_;
    std::vector<QPointer<ListBuilderWindow>> profileWindows_; // shown in profile_, maybe not yet deleted
};

} // namespace tarnwick
