// Canned-page browser for the List builder tests.
#include "FakeBrowser.h"

#include <QTimer>

namespace tarnwick::testing {

void FakeBrowser::Navigate(const std::string& address) {
    navigations.push_back(address);
    location_ = address;
    const int generation = ++loadGeneration_;
    QTimer::singleShot(0, this, [this, generation] {
        for (int i = 0; i < completesPerPage && generation == loadGeneration_; ++i)
            RaiseDocumentComplete();
    });
}

void FakeBrowser::Stop() {
    ++stops;
    ++loadGeneration_;
}

void FakeBrowser::ReadBodyHtml(BodyHtmlCallback done) {
    ++bodyReads;
    auto answer = [this, done = std::move(done), address = location_] {
        if (failingReads > 0) {
            --failingReads;
            done(std::nullopt);
            return;
        }
        const auto page = pages.find(address);
        done(page == pages.end() ? std::string() : page->second);
    };
    if (holdBodyReads) {
        heldReads_.push_back(std::move(answer));
        return;
    }
    QTimer::singleShot(0, this, std::move(answer));
}

void FakeBrowser::ReleaseHeldReads() {
    auto held = std::move(heldReads_);
    heldReads_.clear();
    for (auto& answer : held)
        answer();
}

void FakeBrowser::SetDocumentCompleteHandler(std::function<void()> handler) {
    documentComplete_ = std::move(handler);
}

void FakeBrowser::RaiseDocumentComplete() {
    if (documentComplete_)
        documentComplete_();
}

} // namespace tarnwick::testing
