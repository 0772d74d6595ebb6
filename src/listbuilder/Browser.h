// The five operations the List builder needs of a web browser, so the builder can run
// against a real web engine in the window or a fake one in tests.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace tarnwick {

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
};

} // namespace tarnwick
