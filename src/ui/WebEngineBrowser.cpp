// Qt WebEngine behind the List builder's browser interface.
#include "ui/WebEngineBrowser.h"

#include "ui/AnsiText.h"

#include <QUrl>
#include <QVariant>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

namespace tarnwick {

namespace {

// Runs apart from the page's own scripts, which can neither see nor replace what is kept here.
constexpr quint32 kWorld = QWebEngineScript::ApplicationWorld;

// Every anchor's resolved address, and what the next-page and challenge rules look at; the
// elements are kept for ActivateElement in the same order.
const char* const kReadPage = R"JS((function () {
  var links = [];
  var anchors = document.querySelectorAll('a[href], area[href]');
  for (var i = 0; i < anchors.length; ++i) links.push(String(anchors[i].href));
  var found = document.querySelectorAll('a, button, input, form, [id], [class], [rel], [aria-label]');
  var elements = [];
  for (var j = 0; j < found.length; ++j) {
    var e = found[j];
    var tag = e.tagName.toLowerCase();
    var label = '';
    if (tag === 'input') label = String(e.value || '');
    else if (tag === 'a' || tag === 'button') label = String(e.textContent || '').trim().slice(0, 200);
    var type = (tag === 'input' || tag === 'button') ? String(e.type || '').toLowerCase() : '';
    elements.push([tag, String(e.id || ''), String(e.getAttribute('class') || ''),
                   String(e.getAttribute('rel') || ''), String(e.getAttribute('aria-label') || ''),
                   label, type, e.closest('form') !== null]);
  }
  window.tarnwickElements = Array.prototype.slice.call(found);
  return {links: links, elements: elements};
})())JS";

PageElement ElementFrom(const QVariantList& fields) {
    PageElement e;
    if (fields.size() < 8) {
        return e;
    }
    e.tag = ToAnsi(fields[0].toString());
    e.id = ToAnsi(fields[1].toString());
    e.className = ToAnsi(fields[2].toString());
    e.rel = ToAnsi(fields[3].toString());
    e.ariaLabel = ToAnsi(fields[4].toString());
    e.label = ToAnsi(fields[5].toString());
    e.type = ToAnsi(fields[6].toString());
    e.inForm = fields[7].toBool();
    return e;
}

std::optional<RenderedPage> PageFrom(const QVariant& result) {
    if (result.typeId() != QMetaType::QVariantMap) {
        return std::nullopt;
    }
    const QVariantMap map = result.toMap();
    RenderedPage page;
    for (const QVariant& link : map.value(QStringLiteral("links")).toList()) {
        page.links.push_back(ToAnsi(link.toString()));
    }
    for (const QVariant& element : map.value(QStringLiteral("elements")).toList()) {
        page.elements.push_back(ElementFrom(element.toList()));
    }
    return page;
}

} // namespace

WebEngineBrowser::WebEngineBrowser(QWebEngineView& view, QObject* parent)
    : QObject(parent)
    , view_(&view) {
    // A failed load completes too: the error page brings no results, so the build ends instead of
    // waiting for ever.
    connect(&view, &QWebEngineView::loadFinished, this, [this](bool ok) {
        loadFailed_ = !ok;
        if (documentComplete_) {
            documentComplete_();
        }
    });
    // An engine's "too many requests" answer arrives as a failed load with its HTTP status.
    connect(view.page(), &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
        if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
            httpStatus_ = 0;
        } else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus &&
                   info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain) {
            httpStatus_ = info.errorCode();
        }
    });
}

void WebEngineBrowser::Navigate(const std::string& address) {
    if (view_) {
        view_->load(QUrl(FromAnsi(address), QUrl::TolerantMode));
    }
}

void WebEngineBrowser::Stop() {
    if (view_) {
        view_->stop();
    }
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
                                     if (result.typeId() == QMetaType::QString) {
                                         done(ToAnsi(result.toString()));
                                     } else {
                                         done(std::nullopt);
                                     }
                                 });
}

void WebEngineBrowser::ReadRenderedPage(RenderedPageCallback done) {
    if (!view_) {
        done(std::nullopt);
        return;
    }
    view_->page()->runJavaScript(
        QString::fromLatin1(kReadPage), kWorld,
        [done = std::move(done)](const QVariant& result) { done(PageFrom(result)); });
}

void WebEngineBrowser::ActivateElement(std::size_t index) {
    if (!view_) {
        return;
    }
    // click() on a submit button submits its form with every hidden field, as the user's click does.
    view_->page()->runJavaScript(
        QStringLiteral("(function () { var e = window.tarnwickElements; if (e && e[%1]) e[%1].click(); })()")
            .arg(index),
        kWorld);
}

int WebEngineBrowser::LastHttpStatus() const {
    return httpStatus_;
}

void WebEngineBrowser::SetDocumentCompleteHandler(std::function<void()> handler) {
    documentComplete_ = std::move(handler);
}

} // namespace tarnwick
