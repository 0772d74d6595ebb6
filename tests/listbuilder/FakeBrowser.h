// A browser that serves canned pages: navigation completes on the next turn of the event loop,
// and every call is recorded so tests can see what the List builder asked for.
#pragma once

#include "listbuilder/Browser.h"

#include <QObject>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tarnwick::testing {

// Rendered pages for the secure-web mode, by page key. Navigate shows the page keyed by the address;
// activating a control shows the page its target key names, at the address `locations` gives
// (the key itself when none), as a form posted back to the same address does.
struct FakeSite {
    std::map<std::string, RenderedPage> pages;
    std::map<std::string, std::map<std::size_t, std::string>> controlTargets; // key -> element -> key
    std::map<std::string, std::string> locations;
    std::map<std::string, int> statuses;
};

class FakeBrowser final : public QObject, public Browser {
    Q_OBJECT
public:
    FakeSite site;
    // Every element activated, as "<page key>#<index>".
    std::vector<std::string> activations;

    // The body of the page at an address; pages not listed have an empty body.
    std::map<std::string, std::string> pages;
    // Document-complete events raised per loaded page, as a page with frames does.
    int completesPerPage = 1;
    // The next body reads that fail.
    int failingReads = 0;
    // Addresses whose load fails; the browser then shows its own error page, whose body is
    // still served from `pages`.
    std::set<std::string> failingLoads;
    // Body reads are answered only by ReleaseHeldReads, as a slow page script would.
    bool holdBodyReads = false;

    std::vector<std::string> navigations;
    int stops = 0;
    int bodyReads = 0;

    void Navigate(const std::string& address) override;
    void Stop() override;
    std::string LocationURL() const override { return location_; }
    bool LastLoadFailed() const override { return failingLoads.count(location_) > 0; }
    void ReadBodyHtml(BodyHtmlCallback done) override;
    void SetDocumentCompleteHandler(std::function<void()> handler) override;
    void ReadRenderedPage(RenderedPageCallback done) override;
    void ActivateElement(std::size_t index) override;
    int LastHttpStatus() const override;

    // The user goes to a page (answers a consent page, say): shows it and completes its load.
    void UserShows(const std::string& key);

    // Raises one more document-complete event for whatever is shown now.
    void RaiseDocumentComplete();
    // Answers every held body read now.
    void ReleaseHeldReads();

private:
    void Show(const std::string& key);

    std::string location_;
    std::string key_;
    std::function<void()> documentComplete_;
    std::vector<std::function<void()>> heldReads_;
    int loadGeneration_ = 0; // a newer navigation or a stop cancels the pending completion
};

} // namespace tarnwick::testing
