#include "harvest/PageChain.h"

#include "harvest/FaxNumbers.h"
#include "harvest/HarvestStats.h"
#include "harvest/Links.h"
#include "harvest/PageFiles.h"
#include "harvest/PhraseList.h"
#include "harvest/RunView.h"
#include "harvest/TextPasses.h"
#include "harvest/WebLinks.h"
#include "harvest/WorkQueue.h"
#include "store/Database.h"
#include "text/HtmlToText.h"
#include "webfax/WebFax.h"

#include <QMetaObject>

namespace tarnwick {

struct PageChain::Run {
    PageJob job;
    std::string search; // the phrase the page was fetched for
    std::string content;
    std::vector<std::string_view> lines;
    std::size_t nextLine = 0;
    std::vector<std::string> hrefs; // secure links: those of the line being queued
    std::size_t nextHref = 0;
    std::size_t linksTaken = 0; // at most kMaxLinksPerPage from one page
    std::string directory;      // classic links: the page directory
    WebUrl base;                // secure links: the address links resolve against
    std::vector<FoundFax> found;
    std::size_t nextNumber = 0;
};

PageChain::PageChain(const EngineServices& services, const Options& options, RunView& view,
                     HarvestStats& stats, WorkQueue& queue, PhraseList& phrases, QObject* parent)
    : QObject(parent)
    , services_(services)
    , options_(options)
    , view_(view)
    , stats_(stats)
    , queue_(queue)
    , phrases_(phrases) {}

PageChain::~PageChain() = default;

void PageChain::Begin(PageJob job) {
    auto run = std::make_shared<Run>();
    run->search = phrases_.Current();
    run->job = std::move(job);
    Later(std::move(run), &PageChain::SavePage);
}

void PageChain::Later(RunPtr run, void (PageChain::*step)(const RunPtr&)) {
    QMetaObject::invokeMethod(
        this, [this, run = std::move(run), step] { (this->*step)(run); }, Qt::QueuedConnection);
}

// After a stop the status bar keeps the stop's texts.
void PageChain::Say(StatusPanel panel, std::string text) {
    if (view_.harvesting()) {
        view_.SetStatus(panel, std::move(text));
    }
}

void PageChain::SavePage(const RunPtr& run) {
    const PageJob& job = run->job;
    stats_.Count(Counted::WebsiteScanned);
    if (job.secureWeb) {
        queue_.fetched().Add(job.host + job.path);
    }
    Say(StatusPanel::Download, "Finished: " + job.host + job.path);
    Say(StatusPanel::Step, "Saving to HTML");
    WriteTextLine(PageFilePath(services_.appFolder, job.slot), job.page);
    WriteTextLine(FlatPageFilePath(services_.appFolder, job.slot), Flatten(job.page));
    std::string().swap(run->job.page);
    Later(run, &PageChain::GetLinks);
}

// Reads the page file back for its links; a page file that cannot be read ends the chain.
void PageChain::GetLinks(const RunPtr& run) {
    const PageJob& job = run->job;
    Say(StatusPanel::Step, "Getting Links");
    if (!view_.harvesting()) {
        Later(run, &PageChain::FindFaxNumbers);
        return;
    }
    std::optional<std::string> content = ReadWholeFile(PageFilePath(services_.appFolder, job.slot));
    if (!content) {
        End(run, false);
        return;
    }
    run->content = std::move(*content);
    if (job.secureWeb) {
        run->base = job.url;
        if (const std::optional<std::string> baseHref = BaseHrefOf(run->content)) {
            if (std::optional<WebUrl> declared = ResolveUrl(*baseHref, job.url)) {
                run->base = std::move(*declared);
            }
        }
        run->lines = SplitAllLines(run->content);
        SecureLinks(run);
    } else {
        run->directory = UrlDirectory(job.host + job.path);
        run->lines = SplitReaderLines(run->content);
        ClassicLinks(run);
    }
}

// The first link of every line that holds "href=".
void PageChain::ClassicLinks(const RunPtr& run) {
    QElapsedTimer slice;
    slice.start();
    for (; run->nextLine < run->lines.size() && view_.harvesting(); ++run->nextLine) {
        if (SliceOver(slice)) {
            Later(run, &PageChain::ClassicLinks);
            return;
        }
        const std::string_view line = run->lines[run->nextLine];
        if (!ContainsText(line, "href=", LetterCase::Ignore)) {
            continue;
        }
        if (const std::optional<std::string> link = LinkOfLine(std::string(line))) {
            queue_.QueueLink(NormaliseLink(*link, run->directory), false);
            if (++run->linksTaken == kMaxLinksPerPage) {
                break;
            }
        }
    }
    Say(StatusPanel::Step, "");
    Later(run, &PageChain::FindFaxNumbers);
}

// Every href of every line, resolved against the last response's address or the page's
// <base>, never one this run has fetched. One line may hold thousands of links, so the slice
// is checked between links too.
void PageChain::SecureLinks(const RunPtr& run) {
    QElapsedTimer slice;
    slice.start();
    while (view_.harvesting()) {
        const bool lineLeft = run->nextHref < run->hrefs.size();
        if (!lineLeft && run->nextLine >= run->lines.size()) {
            break;
        }
        if (SliceOver(slice)) {
            Later(run, &PageChain::SecureLinks);
            return;
        }
        if (!lineLeft) {
            run->hrefs = HrefValuesOfLine(run->lines[run->nextLine++]);
            run->nextHref = 0;
            continue;
        }
        std::optional<std::string> address = LinkWebsite(run->hrefs[run->nextHref++], run->base);
        if (!address) {
            continue;
        }
        if (!queue_.fetched().Contains(*address)) {
            queue_.QueueLink(*address, true);
        }
        if (++run->linksTaken == kMaxLinksPerPage) {
            break;
        }
    }
    Say(StatusPanel::Step, "");
    Later(run, &PageChain::FindFaxNumbers);
}

void PageChain::FindFaxNumbers(const RunPtr& run) {
    run->lines.clear();
    run->hrefs.clear();
    std::string().swap(run->content);
    Say(StatusPanel::Step, "Getting Faxes");
    if (run->job.secureWeb) {
        FindWebFaxNumbers(run);
    } else {
        FindClassicFaxNumbers(run);
    }
    StoreNumbers(run);
}

// Today's pages are read as a browser reads them: from the page as received, in its own
// character set, with the host's country deciding how national-form numbers are read.
void PageChain::FindWebFaxNumbers(const RunPtr& run) {
    const PageJob& job = run->job;
    if (const std::optional<std::string> page = ReadWholeFile(PageFilePath(services_.appFolder, job.slot))) {
        run->found =
            tarnwick::FindWebFaxNumbers(*page, job.contentType, HostName(job.url.host), options_.chkNonUS);
    }
}

// The numbers that follow "fax" in the text of the flat page file, which keeps that text.
void PageChain::FindClassicFaxNumbers(const RunPtr& run) {
    const std::string flatPath = FlatPageFilePath(services_.appFolder, run->job.slot);
    std::string joined;
    if (const std::optional<std::string> content = ReadWholeFile(flatPath)) {
        joined = Flatten(*content);
    }
    const std::string text = HtmlToText(BreakBeforeFax(joined));
    WriteTextLine(flatPath, text);
    run->found = ScanFaxNumbers(text, options_.chkNonUS);
}

void PageChain::StoreNumbers(const RunPtr& run) {
    QElapsedTimer slice;
    slice.start();
    for (; run->nextNumber < run->found.size(); ++run->nextNumber) {
        if (SliceOver(slice)) {
            Later(run, &PageChain::StoreNumbers);
            return;
        }
        const FoundFax& fax = run->found[run->nextNumber];
        std::string probe = fax.number;
        if (!services_.database.FaxExists(probe)) {
            StoreNumber(*run, fax);
        }
    }
    Say(StatusPanel::Step, "");
    End(run, true);
}

// Previewed, sounded and counted only once stored, so the counters never run ahead of the
// database.
void PageChain::StoreNumber(const Run& run, const FoundFax& fax) {
    if (!services_.database.AddFax(fax.number, run.job.host + run.job.path, run.search, fax.location)) {
        return;
    }
    faxesFoundCount_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(faxesFoundCount_) + 1u);
    std::vector<std::string>& preview = view_.List(ListId::List3);
    if (preview.size() > 20) {
        preview.erase(preview.begin());
    }
    preview.push_back(fax.number + " | " + fax.location);
    view_.Changed(ListId::List3);
    if (options_.chkAudioEmail) {
        PlaySound(services_, "foundfax.wav");
    }
    stats_.Count(Counted::NumberStored);
    Say(StatusPanel::Result, "Found " + std::to_string(faxesFoundCount_) + " faxes");
}

void PageChain::End(const RunPtr& run, bool complete) {
    // A page read after the harvest stopped has its counts saved with it, as the stop saved those
    // before it.
    if (!view_.harvesting()) {
        stats_.Save();
    }
    emit ended(run->job.slot, complete);
}

} // namespace tarnwick
