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

class FakeBrowser final : public QObject, public Browser {
    Q_OBJECT
public:
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

    // Raises one more document-complete event for whatever is shown now.
    void RaiseDocumentComplete();
    // Answers every held body read now.
    void ReleaseHeldReads();

private:
    std::string location_;
    std::function<void()> documentComplete_;
    std::vector<std::function<void()>> heldReads_;
    int loadGeneration_ = 0; // a newer navigation or a stop cancels the pending completion
};

} // namespace tarnwick::testing
