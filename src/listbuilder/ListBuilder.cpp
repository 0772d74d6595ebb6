// The List builder's paging and hand-over logic.
#include "listbuilder/ListBuilder.h"

#include "harvest/HarvestEngine.h"
#include "listbuilder/ResultLinks.h"
#include "listbuilder/SearchQuery.h"
#include "store/Database.h"

#include <QPointer>
#include <QRandomGenerator>
#include <QTimer>

namespace tarnwick {

namespace {

constexpr std::int32_t kFewestToHarvest = 21;

QString Number(std::int32_t value) {
    return QString::number(value);
}

const char* const kWaitingText = "Waiting for you: answer the page shown here, then the search goes on.";

std::string ShortEngineName(SearchEngine engine) {
    switch (engine) {
    case SearchEngine::Yahoo:
        return "Yahoo";
    case SearchEngine::Bing:
        return "Bing";
    case SearchEngine::DuckDuckGo:
        return "DuckDuckGo";
    case SearchEngine::Google:
        break;
    }
    return "Google";
}

} // namespace

ListBuilder::ListBuilder(HarvestEngine& engine, Browser& browser, QObject* parent)
    : QObject(parent)
    , harvest_(engine)
    , browser_(browser) {
    browser_.SetDocumentCompleteHandler([this] { WebBrowser1_DocumentComplete(); });
    pacing_.uniform = [] { return QRandomGenerator::global()->generateDouble(); };
    pacing_.after = [this](int milliseconds, std::function<void()> step) {
        QTimer::singleShot(milliseconds, this, std::move(step));
    };
    nextPageWatch_.setSingleShot(true);
    connect(&nextPageWatch_, &QTimer::timeout, this, &ListBuilder::NextPageNeverCame);
    // Stop in the main window ends a wait for the user as it ends a harvest.
    connect(&harvest_, &HarvestEngine::harvestEnded, this, [this] {
        if (waitingForUser_ && Current()) {
            StopWaiting();
        }
    });
}

void ListBuilder::SetPacing(PagePacing pacing) {
    pacing_ = std::move(pacing);
}

ListBuilder::~ListBuilder() {
    browser_.SetDocumentCompleteHandler({});
}

void ListBuilder::Form_Load() {
    build_ = harvest_.ListBuild();
    listFinished_ = false;
    foundTotal_ = 0;
    foundText_.clear();
    const Options& options = harvest_.options();
    searchTerms_ = SearchTermsFor(harvest_.txtSearch(), options.chkAddFax);
    wantedResults_ = WantedResultsFor(options.Combo2);
    engineName_ = EngineFor(EngineListText(options.Combo1));
    secureWeb_ = options.chkSecureWeb;
    pagePosition_ = 1;
    if (secureWeb_) {
        searchTerms_ = EncodeQueryTerms(harvest_.txtSearch(), options.chkAddFax);
        secureEngine_ = SecureEngineFor(EngineListText(options.Combo1, true));
        engineName_ = ShortEngineName(secureEngine_);
        searchPause_ = harvest_.Settings().Read("searchPause", "8");
        foundDomains_.clear();
        pagesRead_ = 0;
    }
    QueryFirstPage();
}

void ListBuilder::QueryFirstPage() {
    // The previous phrase's websites must not be harvested under this one.
    if (!harvest_.EmptyQueueForSearch()) {
        listFinished_ = true;
        emit unloadRequested();
        return;
    }
    browser_.Navigate(secureWeb_ ? SecureFirstPageAddress(secureEngine_, searchTerms_)
                                 : FirstPageAddress(engineName_, searchTerms_));
}

bool ListBuilder::Current() const {
    return build_ == harvest_.ListBuild();
}

void ListBuilder::WebBrowser1_DocumentComplete() {
    // Events from frames, or repeated for one page, are skipped while that page is handled.
    if (listFinished_ || extracting_ || pausing_ || !Current() || browser_.LocationURL().size() <= 8) {
        return;
    }
    if (secureWeb_) {
        ReadSecurePage();
        return;
    }
    // The browser's own error page holds no results: the build ends as on a page without any.
    if (browser_.LastLoadFailed()) {
        ExtractResultLinks(std::string());
        return;
    }
    extracting_ = true;
    QPointer<ListBuilder> self(this);
    browser_.ReadBodyHtml([self](std::optional<std::string> bodyHtml) {
        // A window already unloaded, or a later build under way, is not ours to feed.
        if (!self || !self->Current()) {
            return;
        }
        // A body that cannot be read ignores the page; a further event may read it again.
        if (!bodyHtml || self->listFinished_) {
            self->extracting_ = false;
            return;
        }
        self->ExtractResultLinks(*bodyHtml);
    });
}

void ListBuilder::ExtractResultLinks(const std::string& pageHtml) {
    foundOnPage_ = 0;
    for (const std::string& website : ExtractResultDomains(pageHtml, foundText_)) {
        ++foundOnPage_;
        // Counted only once queued, so the counter never runs ahead of the queue.
        if (harvest_.Store().AddWebsite(website)) {
            harvest_.CountEvent(Counted::WebsiteFound);
        }
        ++foundTotal_;
    }
    SetText1(QStringLiteral("Extracted ") + Number(foundTotal_) + QStringLiteral(" unique results."));
    extracting_ = false;
    QueryNextPage();
}

void ListBuilder::QueryNextPage() {
    if (foundTotal_ < wantedResults_ && foundOnPage_ > 0) {
        pagePosition_ += engineName_ == "Yahoo" ? 20 : 100;
        browser_.Navigate(NextPageAddress(engineName_, searchTerms_, pagePosition_));
        return;
    }
    FinishBuild();
}

void ListBuilder::FinishBuild() {
    listFinished_ = true;
    foundText_.clear();
    SetText1(QStringLiteral("Finished! Extracted ") + Number(foundTotal_) + QStringLiteral(" results."));
    browser_.Stop();
    emit hideRequested();
    if (foundTotal_ < kFewestToHarvest) {
        harvest_.SetStatusText(StatusPanel::Download, "Stopped");
        harvest_.SetStatusText(StatusPanel::Step, "Not enough results");
        if (harvest_.List(ListId::List1).size() < 2) {
            harvest_.SetStatusText(StatusPanel::Result, "Add more search terms");
            emit unloadRequested();
            return;
        }
        harvest_.RemoveFirstPhrase();
        harvest_.SetStatusText(StatusPanel::Result, "Trying next search");
        // Unloads this window and opens a fresh one for the new first phrase.
        harvest_.StartNextSearch();
        return;
    }
    // Starting the harvest lets pending events run, which may already have unloaded this window.
    QPointer<ListBuilder> self(this);
    harvest_.cmdDoSearch_Click();
    if (self) {
        emit unloadRequested();
    }
}

void ListBuilder::ReadSecurePage() {
    extracting_ = true;
    QPointer<ListBuilder> self(this);
    browser_.ReadRenderedPage([self](std::optional<RenderedPage> page) {
        if (!self || !self->Current()) {
            return;
        }
        self->extracting_ = false;
        if (!page || self->listFinished_) {
            return;
        }
        self->HandleSecurePage(*page);
    });
}

void ListBuilder::HandleSecurePage(const RenderedPage& page) {
    nextPageWatch_.stop();
    const PageSigns signs{browser_.LocationURL(), browser_.LastHttpStatus(), HoldsChallenge(page.elements)};
    if (NeedsUser(secureEngine_, signs)) {
        WaitForUser();
        return;
    }
    // Any other failed load is no result page: it ends the build as one without results, unless
    // the user is answering a page, whose own loads may fail on the way.
    if (browser_.LastLoadFailed()) {
        if (!waitingForUser_) {
            foundOnPage_ = 0;
            QueryNextSecurePage();
        }
        return;
    }
    if (waitingForUser_) {
        EndWaitForUser();
    }
    ExtractSecureLinks(page.links);
    ++pagesRead_;
    nextControl_ = FindNextControl(page.elements);
    QueryNextSecurePage();
}

void ListBuilder::ExtractSecureLinks(const std::vector<std::string>& links) {
    foundOnPage_ = 0;
    for (const std::string& link : links) {
        std::string domain = ResultDomain(secureEngine_, link);
        if (domain.empty() || !foundDomains_.insert(domain).second) {
            continue;
        }
        ++foundOnPage_;
        if (harvest_.Store().AddWebsite(domain)) {
            harvest_.CountEvent(Counted::WebsiteFound);
        }
        ++foundTotal_;
    }
    SetText1(QStringLiteral("Extracted ") + Number(foundTotal_) + QStringLiteral(" unique results."));
}

void ListBuilder::QueryNextSecurePage() {
    if (foundTotal_ >= wantedResults_ || foundOnPage_ == 0 || pagesRead_ >= kMostResultPages ||
        !nextControl_) {
        FinishBuild();
        return;
    }
    const int pause = PauseMilliseconds(searchPause_, pacing_.uniform());
    if (pause == 0) {
        FollowNextControl();
        return;
    }
    // Events of the page just read, from frames or late scripts, must not read it a second time.
    pausing_ = true;
    CountDownPause(pause);
}

// Text1 counts the pause down in whole seconds; the first tick takes the fraction, so every later
// one ends on a whole second.
void ListBuilder::CountDownPause(int remainingMs) {
    SetText1(QStringLiteral("Next page in ") + Number(PauseSecondsShown(remainingMs)) + QStringLiteral(" s"));
    const int tick = remainingMs % 1000 == 0 ? 1000 : remainingMs % 1000;
    QPointer<ListBuilder> self(this);
    const std::uint64_t build = build_;
    pacing_.after(tick, [self, build, left = remainingMs - tick] {
        if (!self || self->build_ != build || !self->Current() || self->listFinished_) {
            return;
        }
        if (left > 0) {
            self->CountDownPause(left);
        } else {
            self->FollowNextControl();
        }
    });
}

void ListBuilder::FollowNextControl() {
    pausing_ = false;
    const std::size_t control = *nextControl_;
    nextControl_.reset();
    nextPageWatch_.start(pacing_.nextPageTimeoutMs);
    browser_.ActivateElement(control);
}

// A control whose script does nothing, or a page that never finishes loading, must not hold the
// build for ever: it ends as on a page that brought nothing new.
void ListBuilder::NextPageNeverCame() {
    if (!Current() || listFinished_ || extracting_ || waitingForUser_) {
        return;
    }
    foundOnPage_ = 0;
    QueryNextSecurePage();
}

void ListBuilder::WaitForUser() {
    nextPageWatch_.stop(); // the user takes as long as they need
    if (waitingForUser_) {
        return;
    }
    waitingForUser_ = true;
    emit userNeeded();
    SetText1(QString::fromLatin1(kWaitingText));
    harvest_.SetStatusText(StatusPanel::Download, "Waiting for you");
    harvest_.SetStatusText(StatusPanel::Result, "Answer the page in the List Builder window");
    harvest_.SetStopEnabled(true);
}

void ListBuilder::EndWaitForUser() {
    waitingForUser_ = false;
    harvest_.SetStopEnabled(false);
    harvest_.SetStatusText(StatusPanel::Download, "");
    harvest_.SetStatusText(StatusPanel::Result, "");
}

void ListBuilder::StopWaiting() {
    // The harvest's stop has already set the status bar and the buttons.
    waitingForUser_ = false;
    listFinished_ = true;
    browser_.Stop();
    emit hideRequested();
    emit unloadRequested();
}

void ListBuilder::SetText1(const QString& text) {
    text1_ = text;
    emit text1Changed(text1_);
}

} // namespace tarnwick
