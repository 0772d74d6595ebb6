// Canned-page browser for the List builder tests.
#include "FakeBrowser.h"

#include <QTimer>

namespace tarnwick::testing {

void FakeBrowser::Navigate(const std::string& address) {
    navigations.push_back(address);
    Show(address);
}

void FakeBrowser::Show(const std::string& key) {
    key_ = key;
    const auto location = site.locations.find(key);
    location_ = location == site.locations.end() ? key : location->second;
    const int generation = ++loadGeneration_;
    QTimer::singleShot(0, this, [this, generation] {
        for (int i = 0; i < completesPerPage && generation == loadGeneration_; ++i) {
            RaiseDocumentComplete();
        }
    });
}

void FakeBrowser::ReadRenderedPage(RenderedPageCallback done) {
    ++bodyReads;
    QTimer::singleShot(0, this, [this, done = std::move(done), key = key_] {
        const auto page = site.pages.find(key);
        done(page == site.pages.end() ? RenderedPage{} : page->second);
    });
}

void FakeBrowser::ActivateElement(std::size_t index) {
    activations.push_back(key_ + "#" + std::to_string(index));
    const auto targets = site.controlTargets.find(key_);
    if (targets == site.controlTargets.end()) {
        return;
    }
    const auto target = targets->second.find(index);
    if (target != targets->second.end()) {
        Show(target->second);
    }
}

int FakeBrowser::LastHttpStatus() const {
    const auto status = site.statuses.find(key_);
    return status == site.statuses.end() ? 200 : status->second;
}

void FakeBrowser::UserShows(const std::string& key) {
    Show(key);
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
    for (auto& answer : held) {
        answer();
    }
}

void FakeBrowser::SetDocumentCompleteHandler(std::function<void()> handler) {
    documentComplete_ = std::move(handler);
}

void FakeBrowser::RaiseDocumentComplete() {
    if (documentComplete_) {
        documentComplete_();
    }
}

} // namespace tarnwick::testing
