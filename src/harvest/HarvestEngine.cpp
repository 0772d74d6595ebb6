// Run control, the ten download fetchSlots and the per-page chain (save, links, numbers, next take).
// Everything runs on the event-loop thread; long steps yield so other fetchSlots and the user stay live.
#include "harvest/HarvestEngine.h"

#include "harvest/Address.h"
#include "harvest/AnsiBytes.h"
#include "harvest/FaxNumbers.h"
#include "harvest/Links.h"
#include "harvest/PageFiles.h"
#include "store/Database.h"
#include "text/HtmlToText.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMetaObject>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>

namespace tarnwick {

namespace {

// A download stops being read here and is handled as if the server had closed: one endless
// or huge response must not exhaust memory.
constexpr std::size_t kPageCap = 8u * 1024u * 1024u;

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

// The value of a "Content-Length" header line as a 32-bit number: the text after the first
// space, blanks around it allowed; 0 when it is not a whole number in range.
std::int32_t ContentLengthOf(std::string_view line) {
    const std::size_t space = line.find(' ');
    std::string_view rest = space == std::string_view::npos ? line : line.substr(space + 1);
    while (!rest.empty() && rest.front() == ' ') {
        rest.remove_prefix(1);
    }
    while (!rest.empty() && rest.back() == ' ') {
        rest.remove_suffix(1);
    }
    bool negative = false;
    if (!rest.empty() && (rest.front() == '-' || rest.front() == '+')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    if (rest.empty()) {
        return 0;
    }
    std::int64_t value = 0;
    for (const char c : rest) {
        if (c < '0' || c > '9') {
            return 0;
        }
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<std::int32_t>::max()) {
            return 0;
        }
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::int32_t Increment(std::int32_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) + 1u);
}

std::int16_t Tick(std::int16_t value) {
    return value < std::numeric_limits<std::int16_t>::max() ? static_cast<std::int16_t>(value + 1) : value;
}

} // namespace

struct HarvestEngine::Impl {
    enum class Phase { Idle, Fetching, PageChain, Waiting };
    enum class Start { Started, Skipped, NotStarted };

    struct Slot {
        std::unique_ptr<QTcpSocket> socket;
        std::unique_ptr<QTimer> timer;
        std::string host;
        std::string path;
        std::string data;
        std::int32_t bytes = 0;
        std::int32_t length = 0;
        bool headerDone = false;
        std::size_t headerScanFrom = 0;
        std::int16_t idleTicks = 0;
        std::int16_t totalTicks = 0;
        bool idleTimerOn = false;
        bool totalTimerOn = false;
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
    };

    Impl(HarvestEngine& owner, EngineServices s)
        : q(owner)
        , services(std::move(s)) {
        enabled.fill(true);
        enabled[Index(Button::cmdNextSearch)] = false;
        enabled[Index(Button::cmdStop)] = false;
        enabled[Index(Button::cmdResume)] = false;
        slice.start();
        for (int i = 0; i < kSlotCount; ++i) {
            Slot& slot = fetchSlots[static_cast<std::size_t>(i)];
            slot.socket = std::make_unique<QTcpSocket>();
            slot.socket->setProxy(QNetworkProxy::NoProxy); // a raw HTTP client cannot use a proxy
            slot.timer = std::make_unique<QTimer>();
            slot.timer->setInterval(tickMs);
            QObject::connect(slot.socket.get(), &QTcpSocket::connected, &q, [this, i] { OnConnected(i); });
            QObject::connect(slot.socket.get(), &QTcpSocket::readyRead, &q, [this, i] { OnDataArrival(i); });
            QObject::connect(slot.socket.get(), &QTcpSocket::disconnected, &q, [this, i] { OnClose(i); });
            QObject::connect(slot.timer.get(), &QTimer::timeout, &q, [this, i] { OnTick(i); });
        }
    }

    ~Impl() {
        for (Slot& slot : fetchSlots) {
            QObject::disconnect(slot.socket.get(), nullptr, nullptr, nullptr);
            QObject::disconnect(slot.timer.get(), nullptr, nullptr, nullptr);
            slot.timer->stop();
            slot.socket->abort();
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

    void StopTimer(Slot& slot) {
        slot.idleTimerOn = false;
        slot.totalTimerOn = false;
        slot.timer->stop();
    }

    // Ends whatever the slot was doing; its socket's close is then not taken for a finished page.
    void CloseSlot(Slot& slot) {
        slot.phase = Phase::Idle;
        StopTimer(slot);
        slot.socket->abort();
    }

    // Nothing to fetch: the slot looks again at its idle time-out.
    void Wait(Slot& slot) {
        slot.host.clear();
        slot.path.clear();
        slot.phase = Phase::Waiting;
        slot.idleTicks = 0;
        slot.idleTimerOn = true;
        slot.totalTimerOn = false;
        slot.timer->start(tickMs);
    }

    void OnTick(int i) {
        Slot& slot = At(i);
        if (!harvesting) {
            StopTimer(slot);
            return;
        }
        bool due = false;
        if (slot.idleTimerOn) {
            slot.idleTicks = Tick(slot.idleTicks);
            due = slot.idleTicks >= timeout;
        }
        if (!due && slot.totalTimerOn) {
            slot.totalTicks = Tick(slot.totalTicks);
            due = slot.totalTicks >= timeout2;
        }
        if (!due) {
            return;
        }
        if (slot.phase == Phase::Fetching) {
            timedOutHosts += slot.host;
        }
        CloseSlot(slot);
        TakeNextWebsite(i);
    }

    void OnConnected(int i) {
        Slot& slot = At(i);
        if (slot.phase != Phase::Fetching) {
            return;
        }
        SetProgress(0);
        const std::string request = BuildRequest(slot.host, slot.path);
        slot.socket->write(request.data(), static_cast<qint64>(request.size()));
    }

    void OnDataArrival(int i) {
        Slot& slot = At(i);
        if (!harvesting || slot.phase != Phase::Fetching) {
            return;
        }
        slot.idleTicks = 0;
        const QByteArray chunk = slot.socket->read(static_cast<qint64>(kPageCap - slot.data.size()));
        slot.data.append(chunk.constData(), static_cast<std::size_t>(chunk.size()));
        slot.bytes += static_cast<std::int32_t>(chunk.size());
        SetStatus(1, "Downloading: " + slot.host + slot.path + " (" + std::to_string(slot.bytes) + ")");
        if (slot.length >= 1) {
            const float percent =
                std::fabs(static_cast<float>(slot.bytes) / static_cast<float>(slot.length) * 100.0f);
            if (percent <= 100.0f) {
                SetProgress(static_cast<int>(std::lround(percent)));
            }
        }
        if (!slot.headerDone) {
            const std::size_t end = slot.data.find("\r\n\r\n", slot.headerScanFrom);
            if (end == std::string::npos) {
                slot.headerScanFrom = slot.data.size() >= 3 ? slot.data.size() - 3 : 0;
            } else {
                slot.headerDone = true;
                slot.bytes -= static_cast<std::int32_t>(end + 4);
                slot.length = ContentLengthOfHeader(std::string_view(slot.data).substr(0, end));
            }
        }
        if (slot.data.size() >= kPageCap) {
            FinishDownload(i);
        }
    }

    static std::int32_t ContentLengthOfHeader(std::string_view header) {
        std::size_t start = 0;
        while (start <= header.size()) {
            const std::size_t end = std::min(header.find("\r\n", start), header.size());
            const std::string_view line = header.substr(start, end - start);
            if (line.find("Content-Length") != std::string_view::npos) {
                return ContentLengthOf(line);
            }
            start = end + 2;
        }
        return 0;
    }

    void OnClose(int i) {
        if (!harvesting || At(i).phase != Phase::Fetching) {
            return;
        }
        FinishDownload(i);
    }

    // The download is complete; its page chain runs from the event loop, never from inside the
    // socket's own signal, because the chain ends by starting the slot's next download.
    void FinishDownload(int i) {
        Slot& slot = At(i);
        slot.phase = Phase::PageChain;
        StopTimer(slot);
        if (slot.socket->state() != QAbstractSocket::UnconnectedState) {
            slot.socket->abort();
        }
        PageJob job{i, slot.generation, slot.host, slot.path};
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
        // What arrived together with the close is still in the socket's buffer.
        if (slot.socket->bytesAvailable() > 0 && slot.data.size() < kPageCap) {
            const QByteArray rest = slot.socket->read(static_cast<qint64>(kPageCap - slot.data.size()));
            slot.data.append(rest.constData(), static_cast<std::size_t>(rest.size()));
            slot.bytes += static_cast<std::int32_t>(rest.size());
        }
        slot.socket->abort();
        q.CountEvent(0);
        std::string page = StripHeader(slot.data);
        std::string().swap(slot.data);
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
            std::string address = NormaliseLink(*link, directory);
            // Counted only once queued, so the counter never runs ahead of the queue.
            if (!db().WebsiteKnown(address, list2) && db().TryAddWebsite(address)) {
                q.CountEvent(1);
            }
        }
        SetStatus(2, "");
        return !stopped && Alive(job.slot, job.generation);
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
        HostPath address = SplitAddress(strURL);
        if (address.host.empty()) {
            Wait(slot);
            return Start::NotStarted;
        }
        if (ContainsNoCase(timedOutHosts, address.host)) {
            return Start::Skipped;
        }
        dryAnnounced = false;
        slot.host = std::move(address.host);
        slot.path = std::move(address.path);
        std::string().swap(slot.data);
        slot.bytes = 0;
        slot.length = 0;
        slot.headerDone = false;
        slot.headerScanFrom = 0;
        SetStatus(1, "Downloading: http://" + slot.host + slot.path);
        const std::uint64_t generation = slot.generation;
        Yield();
        if (!Alive(i, generation)) {
            return Start::NotStarted;
        }
        slot.idleTicks = 0;
        slot.totalTicks = 0;
        slot.idleTimerOn = true;
        slot.totalTimerOn = true;
        slot.timer->start(tickMs);
        slot.phase = Phase::Idle;
        slot.socket->abort();
        slot.phase = Phase::Fetching;
        const Endpoint endpoint =
            services.resolve ? services.resolve(slot.host) : Endpoint{AnsiToQString(slot.host), 80};
        slot.socket->connectToHost(endpoint.host, endpoint.port);
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
            slot.socket->abort();
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
    d->timeout = 10;
    d->timeout2 = 30;
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

void HarvestEngine::SetStatusText(int panel, const std::string& text) {
    d->SetStatus(panel, text);
}

void HarvestEngine::SetTimeouts(std::int16_t idleSeconds, std::int16_t totalSeconds) {
    d->timeout = idleSeconds;
    d->timeout2 = totalSeconds;
}

void HarvestEngine::SetTickInterval(int milliseconds) {
    d->tickMs = std::max(1, milliseconds);
    for (Impl::Slot& slot : d->fetchSlots) {
        slot.timer->setInterval(d->tickMs);
    }
}

const std::string& HarvestEngine::TimedOutHosts() const {
    return d->timedOutHosts;
}

} // namespace tarnwick
