// Run control, the ten download fetchSlots and the per-page chain (save, links, numbers, next take).
// Everything runs on the event-loop thread; long steps yield so other fetchSlots and the user stay live.
#include "harvest/HarvestEngine.h"

#include "harvest/Address.h"
#include "harvest/AnsiBytes.h"
#include "harvest/Download.h"
#include "harvest/FaxNumbers.h"
#include "harvest/Links.h"
#include "harvest/PageFiles.h"
#include "harvest/WebLinks.h"
#include "store/Database.h"
#include "text/HtmlToText.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>

namespace tarnwick {

namespace {

// Long loops hand control to the event loop at least this often.
constexpr qint64 kSliceMs = 4;

constexpr std::array<std::int32_t, 8> kAdvanceSteps = {1000,  5000,   10000,  20000,
                                                       50000, 100000, 200000, 500000};

char Fold(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool ContainsNoCase(std::string_view text, std::string_view pattern) {
    if (pattern.empty()) {
        return true;
    }
    const auto it = std::search(text.begin(), text.end(), pattern.begin(), pattern.end(),
                                [](char a, char b) { return Fold(a) == Fold(b); });
    return it != text.end();
}

// A line break before every "fax" (any letter case), which becomes lower case, so that each
// number's label starts a text line.
std::string BreakBeforeFax(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 64);
    std::size_t copied = 0;
    for (std::size_t i = 0; i + 3 <= text.size(); ++i) {
        if (Fold(text[i]) == 'f' && Fold(text[i + 1]) == 'a' && Fold(text[i + 2]) == 'x') {
            out.append(text.substr(copied, i - copied)).append("\r\nfax");
            i += 2;
            copied = i + 1;
        }
    }
    out.append(text.substr(copied));
    return out;
}

// On the secure web a queued website is split as written: a query may hold "http://" or "/".
HostPath SecureAddress(const std::string& website) {
    WebUrl url = WebsiteUrl(website, true);
    return HostPath{std::move(url.host), std::move(url.path)};
}

std::int32_t Increment(std::int32_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) + 1u);
}

} // namespace

struct HarvestEngine::Impl {
    enum class Phase { Idle, Fetching, PageChain, Waiting };
    enum class Start { Started, Skipped, NotStarted };

    struct Slot {
        std::unique_ptr<Download> download;
        // A slot with nothing to fetch looks again after the idle time-out.
        std::unique_ptr<QTimer> waitTimer;
        std::string host;
        std::string path;
        bool secureWeb = false;
        Phase phase = Phase::Idle;
        // Raised by every take; a page chain or socket event of an earlier download of the
        // slot finds it changed after a yield and ends.
        std::uint64_t generation = 0;
    };

    // What a page chain needs of its download, copied when the server closed.
    struct PageJob {
        int slot = 0;
        std::uint64_t generation = 0;
        std::string host;
        std::string path;
        bool secureWeb = false;
        WebUrl url; // of the last response, for resolving the page's links
    };

    Impl(HarvestEngine& owner, EngineServices s)
        : q(owner)
        , services(std::move(s)) {
        enabled.fill(true);
        enabled[Index(Button::cmdNextSearch)] = false;
        enabled[Index(Button::cmdStop)] = false;
        enabled[Index(Button::cmdResume)] = false;
        slice.start();
        const DownloadRoutes routes{services.resolve, services.resolveSecure, services.trustedAuthorities};
        for (int i = 0; i < kSlotCount; ++i) {
            Slot& slot = fetchSlots[static_cast<std::size_t>(i)];
            slot.download = std::make_unique<Download>(routes);
            slot.download->SetTickInterval(tickMs);
            slot.download->SetTimeouts(timeout, timeout2);
            slot.waitTimer = std::make_unique<QTimer>();
            slot.waitTimer->setSingleShot(true);
            Download* download = slot.download.get();
            QObject::connect(download, &Download::requestSent, &q, [this] { SetProgress(0); });
            QObject::connect(download, &Download::hopStarted, &q, [this, i] { OnHop(i); });
            QObject::connect(
                download, &Download::progress, &q,
                [this, i](std::int64_t bytes, std::int64_t length) { OnProgress(i, bytes, length); });
            QObject::connect(download, &Download::finished, &q,
                             [this, i](Download::Outcome outcome) { OnFinished(i, outcome); });
            QObject::connect(slot.waitTimer.get(), &QTimer::timeout, &q, [this, i] { OnWaitOver(i); });
        }
    }

    ~Impl() {
        for (Slot& slot : fetchSlots) {
            QObject::disconnect(slot.download.get(), nullptr, nullptr, nullptr);
            QObject::disconnect(slot.waitTimer.get(), nullptr, nullptr, nullptr);
            slot.waitTimer->stop();
            slot.download->Abort();
        }
    }

    static std::size_t Index(Button b) { return static_cast<std::size_t>(b); }
    Slot& At(int i) { return fetchSlots[static_cast<std::size_t>(i)]; }
    Database& db() { return services.database; }

    // ---- announcements -------------------------------------------------------------------

    void SetHarvesting(bool on) {
        if (harvesting != on) {
            harvesting = on;
            emit q.harvestingChanged(on);
        }
    }

    void SetEnabled(Button b, bool on) {
        if (enabled[Index(b)] != on) {
            enabled[Index(b)] = on;
            emit q.buttonEnabledChanged(b, on);
        }
    }

    void UpdateNextButton() { SetEnabled(Button::cmdNextSearch, harvesting && list1.size() > 1); }

    void SetStatus(int panel, std::string text) {
        if (panel < 1 || panel > 4) {
            return;
        }
        auto& current = status[static_cast<std::size_t>(panel)];
        if (current != text) {
            current = std::move(text);
            emit q.statusTextChanged(panel, AnsiToQString(current));
        }
    }

    void SetProgress(int value) {
        if (progress != value) {
            progress = value;
            emit q.progressChanged(value);
        }
    }

    std::vector<std::string>& ListOf(ListId id) {
        switch (id) {
        case ListId::List1:
            return list1;
        case ListId::List2:
            return list2;
        case ListId::List3:
            break;
        }
        return list3;
    }

    void Changed(ListId id) { emit q.listChanged(id); }

    void PlaySound(const char* file) {
        services.sounds.PlaySoundFile(services.appFolder + "/sounds/" + file);
    }

    // The one place pending events run. Callers re-check the run state afterwards.
    void Yield() {
        QCoreApplication::processEvents();
        slice.restart();
    }

    void YieldWhenSliceIsOver() {
        if (slice.elapsed() >= kSliceMs) {
            Yield();
        }
    }

    bool Alive(int i, std::uint64_t generation) { return harvesting && At(i).generation == generation; }

    // ---- fetchSlots ---------------------------------------------------------------------------

    void StopTimer(Slot& slot) { slot.waitTimer->stop(); }

    // Ends whatever the slot was doing; its socket's close is then not taken for a finished page.
    void CloseSlot(Slot& slot) {
        slot.phase = Phase::Idle;
        StopTimer(slot);
        slot.download->Abort();
    }

    // Nothing to fetch: the slot looks again at its idle time-out.
    void Wait(Slot& slot) {
        slot.host.clear();
        slot.path.clear();
        slot.phase = Phase::Waiting;
        slot.waitTimer->start(tickMs * std::max<int>(1, timeout));
    }

    void OnWaitOver(int i) {
        Slot& slot = At(i);
        if (!harvesting || slot.phase != Phase::Waiting) {
            return;
        }
        CloseSlot(slot);
        TakeNextWebsite(i);
    }

    void OnHop(int i) {
        const Download& download = *At(i).download;
        SetStatus(1, std::string("Downloading: ") + (download.url().https ? "https://" : "http://") +
                         download.host() + download.path());
    }

    void OnProgress(int i, std::int64_t bytes, std::int64_t length) {
        Slot& slot = At(i);
        if (!harvesting || slot.phase != Phase::Fetching) {
            return;
        }
        SetStatus(1, "Downloading: " + slot.download->host() + slot.download->path() + " (" +
                         std::to_string(bytes) + ")");
        if (length >= 1) {
            const float percent = std::fabs(static_cast<float>(bytes) / static_cast<float>(length) * 100.0f);
            if (percent <= 100.0f) {
                SetProgress(static_cast<int>(std::lround(percent)));
            }
        }
    }

    void OnFinished(int i, Download::Outcome outcome) {
        Slot& slot = At(i);
        if (!harvesting || slot.phase != Phase::Fetching) {
            return;
        }
        switch (outcome) {
        case Download::Outcome::Page:
            FinishDownload(i);
            return;
        case Download::Outcome::TimedOut:
        case Download::Outcome::Unreachable:
            // The host is skipped from now on; on the secure web it may be a redirect's target.
            timedOutHosts += slot.secureWeb ? HostName(slot.download->host()) : slot.host;
            break;
        case Download::Outcome::TooManyRedirects:
        case Download::Outcome::Failed:
            break;
        }
        CloseSlot(slot);
        TakeNextWebsite(i);
    }

    // The download is complete; its page chain runs from the event loop, never from inside the
    // socket's own signal, because the chain ends by starting the slot's next download.
    void FinishDownload(int i) {
        Slot& slot = At(i);
        slot.phase = Phase::PageChain;
        StopTimer(slot);
        PageJob job{i,
                    slot.generation,
                    slot.download->host(),
                    slot.download->path(),
                    slot.secureWeb,
                    slot.download->url()};
        QMetaObject::invokeMethod(
            &q, [this, job = std::move(job)] { RunPageChain(job); }, Qt::QueuedConnection);
    }

    void EndChainHere(const PageJob& job) {
        Slot& slot = At(job.slot);
        if (slot.generation == job.generation && slot.phase == Phase::PageChain) {
            slot.phase = Phase::Idle;
        }
    }

    void RunPageChain(const PageJob& job) {
        Slot& slot = At(job.slot);
        if (!Alive(job.slot, job.generation) || slot.phase != Phase::PageChain) {
            EndChainHere(job);
            return;
        }
        std::string page = slot.download->TakePage();
        q.CountEvent(0);
        if (job.secureWeb) {
            fetched.Add(job.host + job.path);
        }
        SetStatus(1, "Finished: " + job.host + job.path);
        if (!SavePage(job, std::move(page))) {
            EndChainHere(job);
            return;
        }
        if (!GetLinks(job)) {
            EndChainHere(job);
            return;
        }
        FindFaxNumbers(job);
    }

    bool SavePage(const PageJob& job, std::string page) {
        if (!Alive(job.slot, job.generation)) {
            return false;
        }
        SetStatus(2, "Saving to HTML");
        Yield();
        if (!Alive(job.slot, job.generation)) {
            return false;
        }
        WriteTextLine(PageFilePath(services.appFolder, job.slot), page);
        Yield();
        if (!Alive(job.slot, job.generation)) {
            return false;
        }
        const std::string flat = Flatten(page);
        std::string().swap(page);
        WriteTextLine(FlatPageFilePath(services.appFolder, job.slot), flat);
        return true;
    }

    // Queues the first new link of every line of the page file. False when the chain ends here.
    bool GetLinks(const PageJob& job) {
        if (!Alive(job.slot, job.generation)) {
            return false;
        }
        SetStatus(2, "Getting Links");
        Yield();
        if (!Alive(job.slot, job.generation)) {
            SetStatus(2, "");
            return false;
        }
        const std::optional<std::string> content = ReadWholeFile(PageFilePath(services.appFolder, job.slot));
        if (!content) {
            return false;
        }
        if (job.secureWeb) {
            return GetEveryLink(job, *content);
        }
        const std::string directory = UrlDirectory(job.host + job.path);
        bool stopped = false;
        for (const std::string_view line : SplitReaderLines(*content)) {
            YieldWhenSliceIsOver();
            if (!Alive(job.slot, job.generation)) {
                stopped = true;
                break;
            }
            if (!ContainsNoCase(line, "href=")) {
                continue;
            }
            const std::optional<std::string> link = LinkOfLine(std::string(line));
            if (!link) {
                continue;
            }
            QueueLink(NormaliseLink(*link, directory));
        }
        SetStatus(2, "");
        return !stopped && Alive(job.slot, job.generation);
    }

    // The secure web's links: every href of every line, resolved against the last response's
    // address or the page's <base>, never one this run has fetched.
    bool GetEveryLink(const PageJob& job, const std::string& content) {
        WebUrl base = job.url;
        if (const std::optional<std::string> baseHref = BaseHrefOf(content)) {
            if (std::optional<WebUrl> declared = ResolveUrl(*baseHref, job.url)) {
                base = std::move(*declared);
            }
        }
        bool stopped = false;
        for (const std::string_view line : SplitAllLines(content)) {
            YieldWhenSliceIsOver();
            if (!Alive(job.slot, job.generation)) {
                stopped = true;
                break;
            }
            for (const std::string& href : HrefValuesOfLine(line)) {
                std::optional<std::string> address = LinkWebsite(href, base);
                if (address && !fetched.Contains(*address)) {
                    QueueLink(std::move(*address));
                }
            }
        }
        SetStatus(2, "");
        return !stopped && Alive(job.slot, job.generation);
    }

    // Counted only once queued, so the counter never runs ahead of the queue.
    void QueueLink(std::string address) {
        if (!db().WebsiteKnown(address, list2) && db().TryAddWebsite(address)) {
            q.CountEvent(1);
        }
    }

    // Stores the page's new numbers. Once begun it runs to the end even when the harvest is
    // stopped meanwhile; only the hand-on to the next website depends on the run state.
    void FindFaxNumbers(const PageJob& job) {
        SetStatus(2, "Getting Faxes");
        if (!harvesting) {
            EndChainHere(job);
            return;
        }
        const std::string flatPath = FlatPageFilePath(services.appFolder, job.slot);
        std::string joined;
        if (const std::optional<std::string> content = ReadWholeFile(flatPath)) {
            joined = Flatten(*content);
        }
        const std::string text = HtmlToText(BreakBeforeFax(joined));
        WriteTextLine(flatPath, text);
        const std::vector<FoundFax> found = ScanFaxNumbers(text, options.chkNonUS);
        const std::string website = job.host + job.path;
        for (const FoundFax& fax : found) {
            std::string probe = fax.number;
            if (db().FaxExists(probe)) {
                continue;
            }
            StoreNumber(fax, website);
            Yield();
        }
        SetStatus(2, "");
        if (Alive(job.slot, job.generation)) {
            TakeNextWebsite(job.slot);
        } else {
            EndChainHere(job);
        }
    }

    // Previewed, sounded and counted only once stored, so the counters never run ahead of the
    // database.
    void StoreNumber(const FoundFax& fax, const std::string& website) {
        std::string number = fax.number;
        std::string search = list1.empty() ? std::string() : list1.front();
        if (!db().TryAddFax(number, website, search, fax.location)) {
            return;
        }
        faxesFoundCount = Increment(faxesFoundCount);
        if (list3.size() > 20) {
            list3.erase(list3.begin());
        }
        list3.push_back(fax.number + " | " + fax.location);
        Changed(ListId::List3);
        if (options.chkAudioEmail) {
            PlaySound("foundfax.wav");
        }
        q.CountEvent(2);
        SetStatus(3, "Found " + std::to_string(faxesFoundCount) + " faxes");
    }

    // ---- run control ---------------------------------------------------------------------

    void TakeNextWebsite(int i) {
        Slot& slot = At(i);
        // A skipped host hands the slot straight to the next website: a loop, not recursion.
        for (;;) {
            if (!harvesting) {
                return;
            }
            CloseSlot(slot);
            const std::uint64_t generation = ++slot.generation;
            sitesSinceAdvance = Increment(sitesSinceAdvance);
            if (sitesSinceAdvance > advanceAfter && options.chkAuto) {
                sitesSinceAdvance = 0;
                q.cmdNextSearch_Click();
                // Only at the last phrase under "Continue Until Stopped" does the harvest go
                // on; the slot then goes on with it instead of falling idle for good.
                if (!Alive(i, generation)) {
                    return;
                }
            }
            Yield();
            if (!Alive(i, generation)) {
                return;
            }
            if (list2.empty()) {
                return;
            }
            list2.erase(list2.begin());
            strURL = list2.empty() ? std::string() : list2.front();
            const std::string next = NextQueuedWebsite();
            if (!Alive(i, generation)) {
                // The harvest ended or moved to the next phrase: the work list is no longer ours.
                Changed(ListId::List2);
                return;
            }
            if (!next.empty()) {
                std::string queued = next;
                db().DeleteWebsite(queued);
            }
            list2.push_back(next);
            Changed(ListId::List2);
            // A work list down to the website just queued: that website is the head now, the
            // one handed to this slot, instead of being dropped unfetched by the next take.
            if (strURL.empty() && list2.size() == 1 && !next.empty()) {
                strURL = next;
            }
            if (StartDownload(i) != Start::Skipped) {
                return;
            }
        }
    }

    std::string NextQueuedWebsite() {
        std::string website = db().FirstQueuedWebsite();
        if (!website.empty()) {
            return website;
        }
        if (list1.size() > 1) {
            EndHarvest();
            std::string phrase = list1.front();
            db().DeleteSearch(phrase);
            list1.erase(list1.begin());
            Changed(ListId::List1);
            const bool emptied = q.DeleteAllWebsites();
            list2.clear();
            Changed(ListId::List2);
            UpdateNextButton();
            if (!emptied) {
                ReportQueueNotEmptied();
                return {};
            }
            q.StartNextSearch();
            return {};
        }
        if (!list2.empty() && harvesting && list2.front().empty()) {
            list2.clear();
            Changed(ListId::List2);
        }
        if (list2.empty()) {
            if (options.cmbLastSearch != 1) {
                EndHarvest();
            } else if (!dryAnnounced) {
                // Idle fetchSlots look again at every idle time-out; the sound marks only the
                // moment the queue ran dry.
                dryAnnounced = true;
                if (options.chkAudioFinished) {
                    PlaySound("finished.wav");
                }
            }
        }
        return {};
    }

    Start StartDownload(int i) {
        Slot& slot = At(i);
        if (!harvesting) {
            return Start::NotStarted;
        }
        const bool secureWeb = options.chkSecureWeb;
        HostPath address = secureWeb ? SecureAddress(strURL) : SplitAddress(strURL);
        if (address.host.empty()) {
            Wait(slot);
            return Start::NotStarted;
        }
        if (ContainsNoCase(timedOutHosts, secureWeb ? HostName(address.host) : address.host)) {
            return Start::Skipped;
        }
        dryAnnounced = false;
        slot.host = std::move(address.host);
        slot.path = std::move(address.path);
        slot.secureWeb = secureWeb;
        if (secureWeb) {
            fetched.Add(slot.host + slot.path);
        }
        SetStatus(1, std::string("Downloading: ") + (secureWeb ? "https://" : "http://") + slot.host +
                         slot.path);
        const std::uint64_t generation = slot.generation;
        Yield();
        if (!Alive(i, generation)) {
            return Start::NotStarted;
        }
        slot.phase = Phase::Idle;
        slot.download->Abort();
        slot.phase = Phase::Fetching;
        slot.download->SetAllowPrivateAddresses(options.allowPrivateAddresses);
        slot.download->Start(slot.host, slot.path, secureWeb);
        return Start::Started;
    }

    void Halt(bool queueRanDry) {
        SetHarvesting(false);
        dryAnnounced = false;
        SetEnabled(Button::cmdStop, false);
        SetEnabled(Button::Command1, true);
        SetEnabled(Button::cmdViewDatabase, true);
        SetEnabled(Button::Command2, true);
        SetEnabled(Button::Command3, true);
        UpdateNextButton();
        if (db().CountWebsites() > 0) {
            SetEnabled(Button::cmdResume, true);
        }
        for (Slot& slot : fetchSlots) {
            if (slot.phase != Phase::PageChain) {
                slot.phase = Phase::Idle;
            }
            StopTimer(slot);
            slot.download->Abort();
        }
        SetProgress(100);
        SetStatus(1, "Stopped");
        SetStatus(2, queueRanDry ? "No more websites queued" : "");
        SetStatus(3, queueRanDry ? "Try a different search" : "");
        SetStatus(4, "");
        if (options.chkAudioFinished) {
            PlaySound("finished.wav");
        }
        emit q.harvestEnded();
    }

    void EndHarvest() { Halt(true); }

    // A search must not start on the previous phrase's websites: it stops as on Stop instead.
    bool EmptyQueueForSearch() {
        if (q.DeleteAllWebsites()) {
            return true;
        }
        Halt(false);
        ReportQueueNotEmptied();
        return false;
    }

    void ReportQueueNotEmptied() { SetStatus(1, "Cannot empty the website queue"); }

    void ReportUnwritableStore() {
        if (!db().CanWrite()) {
            SetStatus(1, "Cannot write to spider.mdb");
        }
    }

    // Start and the move to the next phrase: steps 1 to 5 of Start.
    void BeginSearch(bool freshListBuilder) {
        SetEnabled(Button::cmdResume, false);
        SetEnabled(Button::cmdViewDatabase, false);
        SetEnabled(Button::Command2, false);
        SetEnabled(Button::Command3, false);
        if (!EmptyQueueForSearch()) {
            return;
        }
        fetched.Clear();
        ReportUnwritableStore();
        if (options.chkAudioNext) {
            PlaySound("nextsearch.wav");
        }
        if (list1.empty()) {
            services.prompts.ShowMessage("Please enter at least one search term before begining your search.",
                                         FocusTarget::Text1);
            return;
        }
        if (options.Combo1 < 0) {
            services.prompts.ShowMessage("Please enter a search type before begining your search.",
                                         FocusTarget::Combo1);
            return;
        }
        if (options.Combo2 < 0) {
            services.prompts.ShowMessage(
                "Please select the number of search results to retrieve before begining your search.",
                FocusTarget::Combo2);
            return;
        }
        // Whatever an earlier build still has under way is dropped from here on.
        ++listBuild;
        if (freshListBuilder && launcher != nullptr) {
            launcher->UnloadListBuilder();
        }
        txtSearch = list1.front();
        if (launcher != nullptr) {
            launcher->LoadListBuilder();
        }
    }

    HarvestEngine& q;
    EngineServices services;
    ListBuilderLauncher* launcher = nullptr;

    bool harvesting = false;
    std::array<Slot, kSlotCount> fetchSlots;
    std::int16_t timeout = 10;
    std::int16_t timeout2 = 30;
    int tickMs = 1000;
    std::string strURL;
    std::int32_t sitesSinceAdvance = 0;
    std::int32_t advanceAfter = 10000;
    std::string timedOutHosts;
    std::int32_t faxesFoundCount = 0;
    bool dryAnnounced = false;
    std::uint64_t listBuild = 0;
    FetchedWebsites fetched; // secure web: what this run fetched, never queued again

    Statistics stats;
    Options options;
    std::vector<std::string> list1;
    std::vector<std::string> list2;
    std::vector<std::string> list3;
    std::string txtSearch;
    std::array<bool, 7> enabled{};
    std::array<std::string, 5> status; // panels 1 to 4
    int progress = 0;
    QElapsedTimer slice;
};

HarvestEngine::HarvestEngine(EngineServices services, QObject* parent)
    : QObject(parent)
    , d(std::make_unique<Impl>(*this, std::move(services))) {}

HarvestEngine::~HarvestEngine() = default;

void HarvestEngine::SetListBuilder(ListBuilderLauncher* launcher) {
    d->launcher = launcher;
}

void HarvestEngine::LoadRunState() {
    d->SetHarvesting(false);
    SetTimeouts(10, 30);
    d->sitesSinceAdvance = 0;
    d->faxesFoundCount = 0;
    d->timedOutHosts.clear();
    d->ReportUnwritableStore();
    ShowRecentFaxes();
    ShowSearches();
    if (!d->list1.empty()) {
        LoadWebsiteBatch();
        if (!d->list2.empty()) {
            d->SetEnabled(Button::cmdResume, true);
        }
    }
}

void HarvestEngine::Shutdown() {
    d->SetHarvesting(false);
    for (Impl::Slot& slot : d->fetchSlots) {
        d->CloseSlot(slot);
    }
}

void HarvestEngine::Command1_Click() {
    d->BeginSearch(false);
}

void HarvestEngine::StartNextSearch() {
    d->BeginSearch(true);
}

void HarvestEngine::cmdDoSearch_Click() {
    d->SetHarvesting(true);
    d->dryAnnounced = false;
    d->SetEnabled(Button::cmdViewDatabase, false);
    d->SetEnabled(Button::Command2, false);
    d->SetEnabled(Button::Command3, false);
    d->SetEnabled(Button::cmdStop, true);
    d->SetEnabled(Button::cmdResume, false);
    d->SetEnabled(Button::Command1, false);
    if (d->list1.size() > 1) {
        d->SetEnabled(Button::cmdNextSearch, true);
    }
    d->sitesSinceAdvance = 0;
    if (d->list2.empty()) {
        LoadWebsiteBatch();
    }
    const int slotsToStart = static_cast<int>(std::min<std::size_t>(d->list2.size() + 1, kSlotCount));
    for (int i = 0; i < slotsToStart; ++i) {
        d->TakeNextWebsite(i);
    }
}

void HarvestEngine::cmdStop_Click() {
    d->Halt(false);
}

void HarvestEngine::cmdResume_Click() {
    d->SetEnabled(Button::cmdResume, false);
    cmdDoSearch_Click();
}

void HarvestEngine::cmdNextSearch_Click() {
    if (d->list1.size() < 2) {
        if (d->options.cmbLastSearch == 1) {
            if (d->options.chkAudioFinished) {
                d->PlaySound("finished.wav");
            }
        } else {
            cmdStop_Click();
        }
        return;
    }
    cmdStop_Click();
    std::string phrase = d->list1.front();
    d->db().DeleteSearch(phrase);
    d->list1.erase(d->list1.begin());
    d->Changed(ListId::List1);
    if (!d->EmptyQueueForSearch()) {
        return;
    }
    d->list2.clear();
    d->Changed(ListId::List2);
    d->UpdateNextButton();
    Command1_Click();
}

void HarvestEngine::cmdAdd_Click(const std::string& text) {
    d->list1.push_back(text);
    d->Changed(ListId::List1);
    std::string phrase = text;
    d->db().AddSearch(phrase);
    d->UpdateNextButton();
}

void HarvestEngine::cmbDel_Click(int selectedIndex) {
    auto& list1 = d->list1;
    if (selectedIndex < 0) {
        if (!list1.empty()) {
            d->services.prompts.ShowMessage("You must select a search to delete.", FocusTarget::None);
        }
    } else if (static_cast<std::size_t>(selectedIndex) >= list1.size()) {
        // Nothing at that index: nothing to delete.
    } else if (selectedIndex > 0) {
        std::string phrase = list1[static_cast<std::size_t>(selectedIndex)];
        d->db().DeleteSearch(phrase);
        list1.erase(list1.begin() + selectedIndex);
        d->Changed(ListId::List1);
    } else if (d->harvesting) {
        d->services.prompts.ShowMessage(
            "You cannot delete the current search while the spider is harvesting faxes.", FocusTarget::None);
    } else if (IsEnabled(Button::cmdResume)) {
        if (d->services.prompts.ConfirmOkCancel(
                "You will not be able to resume the current search if it is deleted.\r\n\r\nContinue?",
                "Confirm Delete")) {
            d->SetEnabled(Button::cmdResume, false);
            std::string phrase = list1.front();
            d->db().DeleteSearch(phrase);
            DeleteAllWebsites();
            list1.erase(list1.begin());
            d->Changed(ListId::List1);
        }
    } else {
        std::string phrase = list1.front();
        d->db().DeleteSearch(phrase);
        list1.erase(list1.begin());
        d->Changed(ListId::List1);
    }
    d->UpdateNextButton();
}

void HarvestEngine::Command3_Click() {
    if (!d->services.prompts.ConfirmOkCancel("Are you sure you want to delete all faxes from the database?",
                                             "Confirm")) {
        return;
    }
    DeleteAllFaxes();
    d->list3.clear();
    d->Changed(ListId::List3);
    d->services.prompts.ShowMessage("All faxes have been deleted.", FocusTarget::None);
}

bool HarvestEngine::DeleteAllWebsites() {
    const bool done = d->db().DeleteAllWebsites();
    d->list2.clear();
    d->Changed(ListId::List2);
    d->stats.sessionSitesScanned = 0;
    d->stats.sessionSitesFound = 0;
    return done;
}

bool HarvestEngine::EmptyQueueForSearch() {
    return d->EmptyQueueForSearch();
}

std::uint64_t HarvestEngine::ListBuild() const {
    return d->listBuild;
}

bool HarvestEngine::DeleteExportedFaxes(const std::vector<FaxRecord>& records) {
    if (!d->db().DeleteFaxRecords(records)) {
        return false;
    }
    d->list3 = d->db().RecentFaxes();
    d->Changed(ListId::List3);
    d->stats.sessionNumbersFound = 0;
    return true;
}

bool HarvestEngine::DeleteAllFaxes() {
    d->db().DeleteAllFaxes();
    d->list3.clear();
    d->Changed(ListId::List3);
    d->stats.sessionNumbersFound = 0;
    return true;
}

void HarvestEngine::ShowRecentFaxes() {
    std::vector<std::string> recent = d->db().RecentFaxes();
    if (recent.empty()) {
        return;
    }
    d->list3 = std::move(recent);
    d->Changed(ListId::List3);
}

void HarvestEngine::ShowSearches() {
    const std::vector<std::string> searches = d->db().Searches();
    d->list1.insert(d->list1.end(), searches.begin(), searches.end());
    d->Changed(ListId::List1);
}

bool HarvestEngine::LoadWebsiteBatch() {
    std::vector<std::string> batch = d->db().TakeWebsiteBatch();
    if (batch.empty()) {
        return false;
    }
    d->list2 = std::move(batch);
    d->Changed(ListId::List2);
    d->SetEnabled(Button::cmdResume, false);
    return true;
}

void HarvestEngine::RemoveFirstPhrase() {
    if (!d->list1.empty()) {
        d->list1.erase(d->list1.begin());
        d->Changed(ListId::List1);
    }
}

void HarvestEngine::CountEvent(int kind) {
    Statistics& s = d->stats;
    switch (kind) {
    case 0:
        s.sessionSitesScanned = Increment(s.sessionSitesScanned);
        s.histSitesScanned = Increment(s.histSitesScanned);
        d->services.settings.Write("lHistWebScanned", std::to_string(s.histSitesScanned));
        break;
    case 1:
        s.sessionSitesFound = Increment(s.sessionSitesFound);
        break;
    case 2:
        s.sessionNumbersFound = Increment(s.sessionNumbersFound);
        s.histNumbersFound = Increment(s.histNumbersFound);
        d->services.settings.Write("lHistEmailFound", std::to_string(s.histNumbersFound));
        break;
    default:
        break;
    }
    emit statisticsChanged();
}

bool HarvestEngine::harvesting() const {
    return d->harvesting;
}

bool HarvestEngine::IsEnabled(Button button) const {
    return d->enabled[Impl::Index(button)];
}

const std::vector<std::string>& HarvestEngine::List(ListId list) const {
    return d->ListOf(list);
}

const std::string& HarvestEngine::StatusText(int panel) const {
    static const std::string kNone;
    return panel >= 1 && panel <= 4 ? d->status[static_cast<std::size_t>(panel)] : kNone;
}

int HarvestEngine::ProgressValue() const {
    return d->progress;
}

const Statistics& HarvestEngine::Stats() const {
    return d->stats;
}

std::int32_t HarvestEngine::FaxesFoundCount() const {
    return d->faxesFoundCount;
}

const std::string& HarvestEngine::txtSearch() const {
    return d->txtSearch;
}

const std::string& HarvestEngine::AppFolder() const {
    return d->services.appFolder;
}

Database& HarvestEngine::Store() {
    return d->db();
}

Options& HarvestEngine::options() {
    return d->options;
}

void HarvestEngine::SetAdvanceIndex(int index) {
    d->options.cmbAdvance = index;
    if (index >= 0 && index < static_cast<int>(kAdvanceSteps.size())) {
        d->advanceAfter = kAdvanceSteps[static_cast<std::size_t>(index)];
    }
}

std::int32_t HarvestEngine::AdvanceAfter() const {
    return d->advanceAfter;
}

void HarvestEngine::SetStatistics(const Statistics& stats) {
    d->stats = stats;
    emit statisticsChanged();
}

void HarvestEngine::SetStopEnabled(bool enabled) {
    d->SetEnabled(Button::cmdStop, enabled);
}

SettingsStore& HarvestEngine::Settings() {
    return d->services.settings;
}

void HarvestEngine::SetStatusText(int panel, const std::string& text) {
    d->SetStatus(panel, text);
}

void HarvestEngine::SetTimeouts(std::int16_t idleSeconds, std::int16_t totalSeconds) {
    d->timeout = idleSeconds;
    d->timeout2 = totalSeconds;
    for (Impl::Slot& slot : d->fetchSlots) {
        slot.download->SetTimeouts(idleSeconds, totalSeconds);
    }
}

void HarvestEngine::SetTickInterval(int milliseconds) {
    d->tickMs = std::max(1, milliseconds);
    for (Impl::Slot& slot : d->fetchSlots) {
        slot.download->SetTickInterval(d->tickMs);
    }
}

const std::string& HarvestEngine::TimedOutHosts() const {
    return d->timedOutHosts;
}

} // namespace tarnwick
