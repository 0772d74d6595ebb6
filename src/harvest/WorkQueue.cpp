#include "harvest/WorkQueue.h"

#include "harvest/HarvestStats.h"
#include "harvest/RunView.h"
#include "harvest/TextPasses.h"
#include "harvest/WebAddress.h"
#include "store/Database.h"

namespace tarnwick {

void SkippedHosts::Add(const std::string& host, bool secureWeb) {
    if (!secureWeb) {
        classic_ += host;
        return;
    }
    std::string key = Key(host);
    if (!secureKeys_.insert(key).second) {
        return;
    }
    secureOrder_.push_back(std::move(key));
    if (secureOrder_.size() > kSecureCapacity) {
        secureKeys_.erase(secureOrder_.front());
        secureOrder_.pop_front();
    }
}

bool SkippedHosts::Contains(const std::string& host, bool secureWeb) const {
    if (!secureWeb) {
        return ContainsText(classic_, host, LetterCase::Ignore);
    }
    return secureKeys_.contains(Key(host));
}

std::string SkippedHosts::Text() const {
    std::string text = classic_;
    for (const std::string& key : secureOrder_) {
        text += key.substr(0, key.rfind(':'));
    }
    return text;
}

void SkippedHosts::Clear() {
    classic_.clear();
    secureKeys_.clear();
    secureOrder_.clear();
}

// Host names compare without letter case; a host without a port is its own key.
std::string SkippedHosts::Key(const std::string& host) {
    std::string name = HostName(host);
    for (char& c : name) {
        c = FoldAscii(c);
    }
    return name + ":" + std::to_string(HostPort(host));
}

// The secure web queues a link exactly as resolved: a query may hold "http://" that the classic
// cleaning would cut out, making the website one that is never fetched as linked.
WebsiteText WorkQueue::TextOf(bool secureWeb) {
    return secureWeb ? WebsiteText::AsGiven : WebsiteText::Cleaned;
}

WorkQueue::WorkQueue(RunView& view, Database& database, HarvestStats& stats)
    : view_(view)
    , db_(database)
    , stats_(stats) {}

bool WorkQueue::ListEmpty() const {
    return view_.List(ListId::List2).empty();
}

std::size_t WorkQueue::ListSize() const {
    return view_.List(ListId::List2).size();
}

bool WorkQueue::LoadBatch() {
    std::vector<std::string> batch = db_.TakeWebsiteBatch();
    if (batch.empty()) {
        return false;
    }
    view_.List(ListId::List2) = std::move(batch);
    view_.Changed(ListId::List2);
    return true;
}

bool WorkQueue::EmptyAll() {
    const bool done = db_.DeleteAllWebsites();
    ClearList();
    stats_.ResetSessionSites();
    return done;
}

void WorkQueue::ClearList() {
    view_.List(ListId::List2).clear();
    view_.Changed(ListId::List2);
}

std::optional<std::string> WorkQueue::TakeHead() {
    auto& list = view_.List(ListId::List2);
    if (list.empty()) {
        return std::nullopt;
    }
    list.erase(list.begin());
    return list.empty() ? std::string() : list.front();
}

const std::vector<std::string>& WorkQueue::Window(std::size_t size) {
    auto& list = view_.List(ListId::List2);
    // Bounded by `size` tries, so a table that cannot delete cannot keep the take here.
    for (std::size_t tries = list.size(); tries < size; ++tries) {
        std::string website = db_.FirstQueuedWebsite();
        if (website.empty()) {
            break;
        }
        db_.DeleteWebsite(website, WebsiteText::AsGiven);
        list.push_back(std::move(website));
        view_.Changed(ListId::List2);
    }
    return list;
}

std::string WorkQueue::RemoveAt(std::size_t index) {
    auto& list = view_.List(ListId::List2);
    std::string website = std::move(list[index]);
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
    view_.Changed(ListId::List2);
    return website;
}

void WorkQueue::Requeue(const std::string& website) {
    view_.List(ListId::List2).push_back(website);
    view_.Changed(ListId::List2);
}

std::string WorkQueue::FirstQueued() {
    return db_.FirstQueuedWebsite();
}

void WorkQueue::Append(const std::string& website, bool secureWeb) {
    if (!website.empty()) {
        db_.DeleteWebsite(website, TextOf(secureWeb));
    }
    view_.List(ListId::List2).push_back(website);
    view_.Changed(ListId::List2);
}

void WorkQueue::DropEmptyHead() {
    const auto& list = view_.List(ListId::List2);
    if (!list.empty() && list.front().empty()) {
        ClearList();
    }
}

void WorkQueue::QueueLink(const std::string& address, bool secureWeb) {
    const WebsiteText text = TextOf(secureWeb);
    if (!db_.WebsiteKnown(address, view_.List(ListId::List2), text) && db_.AddWebsite(address, text)) {
        stats_.Count(Counted::WebsiteFound);
    }
}

} // namespace tarnwick
