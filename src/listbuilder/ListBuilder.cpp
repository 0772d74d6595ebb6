// The List builder's paging and hand-over logic.
#include "listbuilder/ListBuilder.h"

#include "harvest/HarvestEngine.h"
#include "listbuilder/ResultLinks.h"
#include "listbuilder/SearchQuery.h"
#include "store/Database.h"

#include <QPointer>

namespace tarnwick {

namespace {

constexpr std::int32_t kFewestToHarvest = 21;

QString Number(std::int32_t value) {
    return QString::number(value);
}

} // namespace

ListBuilder::ListBuilder(HarvestEngine& engine, Browser& browser, QObject* parent)
    : QObject(parent)
    , harvest_(engine)
    , browser_(browser) {
    browser_.SetDocumentCompleteHandler([this] { WebBrowser1_DocumentComplete(); });
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
    QueryFirstPage();
}

void ListBuilder::QueryFirstPage() {
    // The previous phrase's websites must not be harvested under this one.
    if (!harvest_.EmptyQueueForSearch()) {
        listFinished_ = true;
        emit unloadRequested();
        return;
    }
    browser_.Navigate(FirstPageAddress(engineName_, searchTerms_, secureWeb_));
}

bool ListBuilder::Current() const {
    return build_ == harvest_.ListBuild();
}

void ListBuilder::WebBrowser1_DocumentComplete() {
    // Events from frames, or repeated for one page, are skipped while that page is handled.
    if (listFinished_ || extracting_ || !Current() || browser_.LocationURL().size() <= 8)
        return;
    // The browser's own error page holds no results: the build ends as on a page without any.
    if (browser_.LastLoadFailed()) {
        ExtractResultLinks(std::string());
        return;
    }
    extracting_ = true;
    QPointer<ListBuilder> self(this);
    browser_.ReadBodyHtml([self](std::optional<std::string> bodyHtml) {
        // A window already unloaded, or a later build under way, is not ours to feed.
        if (!self || !self->Current())
            return;
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
    for (const std::string& website : ExtractResultDomains(pageHtml, foundText_, secureWeb_)) {
        ++foundOnPage_;
        // Counted only once queued, so the counter never runs ahead of the queue.
        if (harvest_.Store().AddWebsite(website))
            harvest_.CountEvent(Counted::WebsiteFound);
        ++foundTotal_;
    }
    SetText1(QStringLiteral("Extracted ") + Number(foundTotal_) + QStringLiteral(" unique results."));
    extracting_ = false;
    QueryNextPage();
}

void ListBuilder::QueryNextPage() {
    if (foundTotal_ < wantedResults_ && foundOnPage_ > 0) {
        pagePosition_ += engineName_ == "Yahoo" ? 20 : 100;
        browser_.Navigate(NextPageAddress(engineName_, searchTerms_, pagePosition_, secureWeb_));
        return;
    }
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
    if (self)
        emit unloadRequested();
}

void ListBuilder::SetText1(const QString& text) {
    text1_ = text;
    emit text1Changed(text1_);
}

} // namespace tarnwick
