// Qt WebEngine behind the List builder's browser interface.
#include "ui/WebEngineBrowser.h"

#include "ui/AnsiText.h"

#include <QUrl>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace tarnwick {

WebEngineBrowser::WebEngineBrowser(QWebEngineView& view, QObject* parent)
    : QObject(parent)
    , view_(&view) {
    // A failed load completes too: the error page brings no results, so the build ends instead of
    // waiting for ever.
    connect(&view, &QWebEngineView::loadFinished, this, [this](bool ok) {
        loadFailed_ = !ok;
        if (documentComplete_)
            documentComplete_();
    });
}

void WebEngineBrowser::Navigate(const std::string& address) {
    if (view_)
        view_->load(QUrl(FromAnsi(address), QUrl::TolerantMode));
}

void WebEngineBrowser::Stop() {
    if (view_)
        view_->stop();
}

std::string WebEngineBrowser::LocationURL() const {
    return view_ ? ToAnsi(view_->url().toString()) : std::string();
}

bool WebEngineBrowser::LastLoadFailed() const {
    return loadFailed_;
}

void WebEngineBrowser::ReadBodyHtml(BodyHtmlCallback done) {
    if (!view_) {
        done(std::nullopt);
        return;
    }
    view_->page()->runJavaScript(QStringLiteral("document.body ? document.body.innerHTML : null"),
                                 [done = std::move(done)](const QVariant& result) {
                                     if (result.typeId() == QMetaType::QString)
                                         done(ToAnsi(result.toString()));
                                     else
                                         done(std::nullopt);
                                 });
}

void WebEngineBrowser::SetDocumentCompleteHandler(std::function<void()> handler) {
    documentComplete_ = std::move(handler);
}

} // namespace tarnwick
