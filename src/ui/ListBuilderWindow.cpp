// The List builder window and its launcher.
#include "ui/ListBuilderWindow.h"

#include "listbuilder/ListBuilder.h"
#include "ui/WebEngineBrowser.h"

#include <QLineEdit>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace tarnwick {

ListBuilderWindow::ListBuilderWindow(HarvestEngine& engine, QWebEngineProfile* profile, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("List Builder - Finding matching websites..."));
    resize(800, 600);

    webBrowser1_ = new QWebEngineView(this);
    webBrowser1_->setObjectName(QStringLiteral("WebBrowser1"));
    if (profile != nullptr) {
        webBrowser1_->setPage(new QWebEnginePage(profile, webBrowser1_));
    }
    webBrowser1_->setToolTip(QStringLiteral("Searching for unique .com, .net and .org domain names."));

    text1_ = new QLineEdit(QStringLiteral("Status..."), this);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setReadOnly(true);
    text1_->setToolTip(
        QStringLiteral("This shows the number of unique .com, .org and .net domain names found."));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(webBrowser1_, 1);
    layout->addWidget(text1_);

    browser_ = std::make_unique<WebEngineBrowser>(*webBrowser1_);
    builder_ = std::make_unique<ListBuilder>(engine, *browser_);
    connect(builder_.get(), &ListBuilder::text1Changed, text1_, &QLineEdit::setText);
    connect(builder_.get(), &ListBuilder::hideRequested, this, &QWidget::hide);
    connect(builder_.get(), &ListBuilder::unloadRequested, this, &ListBuilderWindow::unloadRequested);
    connect(builder_.get(), &ListBuilder::userNeeded, this, [this] {
        show();
        raise();
        activateWindow();
    });
}

ListBuilderWindow::~ListBuilderWindow() = default;

void ListBuilderWindow::Load() {
    builder_->Form_Load();
}

ListBuilderWindowLauncher::ListBuilderWindowLauncher(HarvestEngine& engine)
    : engine_(engine) {}

ListBuilderWindowLauncher::~ListBuilderWindowLauncher() {
    delete window_.data();
    // A profile must outlive its pages: windows still waiting for their deferred deletion go first.
    for (const QPointer<ListBuilderWindow>& window : profileWindows_) {
        delete window.data();
    }
    delete profile_.data();
}

void ListBuilderWindowLauncher::LoadListBuilder() {
    // A window still loaded belongs to an earlier build whose queue has just been emptied: start afresh.
    UnloadListBuilder();
    QWebEngineProfile* profile = engine_.options().chkSecureWeb ? SecureProfile() : nullptr;
    auto* window = new ListBuilderWindow(engine_, profile);
    if (profile != nullptr) {
        std::erase_if(profileWindows_, [](const QPointer<ListBuilderWindow>& w) { return w.isNull(); });
        profileWindows_.emplace_back(window);
    }
    window->setAttribute(Qt::WA_DeleteOnClose);
    window_ = window;
    QObject::connect(window, &ListBuilderWindow::unloadRequested, window, [this, window] {
        if (window_ == window) {
            window_.clear();
        }
        window->hide();
        window->deleteLater();
    });
    window->show();
    window->Load();
}

QWebEngineProfile* ListBuilderWindowLauncher::SecureProfile() {
    if (profile_) {
        return profile_;
    }
    auto* profile = new QWebEngineProfile(QStringLiteral("browser"));
    const QString folder = QString::fromStdString(engine_.AppFolder()) + QStringLiteral("/browser");
    profile->setPersistentStoragePath(folder);
    profile->setCachePath(folder + QStringLiteral("/cache"));
    profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    // An engine's consent is often a session cookie: it must hold at the next start too.
    profile->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
    profile_ = profile;
    return profile_;
}

void ListBuilderWindowLauncher::UnloadListBuilder() {
    if (!window_) {
        return;
    }
    ListBuilderWindow* window = window_;
    window_.clear();
    window->hide();
    window->deleteLater();
}

} // namespace tarnwick
