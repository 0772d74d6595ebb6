// The five operations the List builder needs of a web browser, so the builder can run
// against a real web engine in the window or a fake one in tests.
#pragma once

#include "listbuilder/PageControls.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

// A page as the browser shows it after its scripts ran.
struct RenderedPage {
    std::vector<std::string> links;    // every anchor's resolved href, in page order
    std::vector<PageElement> elements; // what PageControls looks at, in page order
};

class Browser {
public:
    // The body HTML as single-byte text, or nothing when it could not be read.
    using BodyHtmlCallback = std::function<void(std::optional<std::string> bodyHtml)>;

    virtual ~Browser() = default;
    virtual void Navigate(const std::string& address) = 0;
    virtual void Stop() = 0;
    virtual std::string LocationURL() const = 0;
    // Whether the page shown now failed to load (an untrusted certificate, an unreachable host):
    // what is shown then is the browser's own error page.
    virtual bool LastLoadFailed() const = 0;
    // Reads the HTML inside the body of the top-level document; the callback may run later.
    virtual void ReadBodyHtml(BodyHtmlCallback done) = 0;
    // Called after a document has loaded, possibly more than once per page; an empty handler
    // detaches.
    virtual void SetDocumentCompleteHandler(std::function<void()> handler) = 0;

    // The secure-web mode reads pages as rendered and pages through their own controls.
    using RenderedPageCallback = std::function<void(std::optional<RenderedPage> page)>;
    // Reads the page shown now; nothing when it could not be read. The callback may run later.
    virtual void ReadRenderedPage(RenderedPageCallback done) = 0;
    // Clicks element `index` of the page last read (a submit button submits its form).
    virtual void ActivateElement(std::size_t index) = 0;
    // The HTTP status of the page shown now, 0 when unknown.
    virtual int LastHttpStatus() const = 0;
};

} // namespace tarnwick
