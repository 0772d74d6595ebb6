// The façade: builds the units, wires them and forwards the main window's routines to them.
#include "harvest/HarvestEngine.h"

#include "harvest/PageChain.h"
#include "harvest/PhraseList.h"
#include "harvest/RunControl.h"
#include "harvest/SlotPool.h"
#include "harvest/WorkQueue.h"
#include "store/Database.h"

#include <algorithm>
#include <array>

namespace tarnwick {

namespace {

constexpr std::array<std::int32_t, 8> kAdvanceSteps = {1000,  5000,   10000,  20000,
                                                       50000, 100000, 200000, 500000};

bool IsPanel(int panel) {
    return panel >= 1 && panel <= 4;
}

} // namespace

struct HarvestEngine::Units {
    explicit Units(EngineServices s)
        : services(std::move(s))
        , stats(services.settings)
        , phrases(view, services.database)
        , queue(view, services.database, stats)
        , pool(services, view)
        , chain(services, options, view, stats, queue, phrases)
        , run(services, options, view, stats, phrases, queue, pool, chain) {}

    Database& db() { return services.database; }

    EngineServices services;
    Options options;
    RunView view;
    HarvestStats stats;
    PhraseList phrases;
    WorkQueue queue;
    SlotPool pool;
    PageChain chain;
    RunControl run;
};

HarvestEngine::HarvestEngine(EngineServices services, QObject* parent)
    : QObject(parent)
    , d(std::make_unique<Units>(std::move(services))) {
    connect(&d->stats, &HarvestStats::changed, this, &HarvestEngine::statisticsChanged);
    connect(&d->run, &RunControl::harvestEnded, this, &HarvestEngine::harvestEnded);
}

HarvestEngine::~HarvestEngine() = default;

void HarvestEngine::SetListBuilder(ListBuilderLauncher* launcher) {
    d->run.SetListBuilder(launcher);
}

void HarvestEngine::LoadRunState() {
    d->view.SetHarvesting(false);
    SetTimeouts(10, 30);
    d->run.ResetSitesSinceAdvance();
    d->chain.ResetFaxesFound();
    d->queue.skipped().Clear();
    d->run.ReportUnwritableStore();
    ShowRecentFaxes();
    ShowSearches();
    if (d->phrases.Count() > 0) {
        LoadWebsiteBatch();
        if (!d->queue.ListEmpty()) {
            d->view.SetEnabled(Button::cmdResume, true);
        }
    }
}

void HarvestEngine::Shutdown() {
    d->view.SetHarvesting(false);
    d->pool.CloseAll();
    d->stats.Save();
}

void HarvestEngine::Command1_Click() {
    d->run.BeginSearch(false);
}

void HarvestEngine::StartNextSearch() {
    d->run.BeginSearch(true);
}

void HarvestEngine::cmdDoSearch_Click() {
    d->run.DoSearch();
}

void HarvestEngine::cmdStop_Click() {
    d->run.Stop();
}

void HarvestEngine::cmdResume_Click() {
    d->run.Resume();
}

void HarvestEngine::cmdNextSearch_Click() {
    d->run.Next();
}

void HarvestEngine::cmdAdd_Click(const std::string& text) {
    d->phrases.Add(text);
    d->view.UpdateNextButton();
}

void HarvestEngine::cmbDel_Click(int selectedIndex) {
    const std::size_t count = d->phrases.Count();
    if (selectedIndex < 0) {
        if (count > 0) {
            d->services.prompts.ShowMessage("You must select a search to delete.", FocusTarget::None);
        }
    } else if (static_cast<std::size_t>(selectedIndex) >= count) {
        // Nothing at that index: nothing to delete.
    } else if (selectedIndex > 0) {
        d->phrases.DeleteAt(static_cast<std::size_t>(selectedIndex));
    } else if (d->view.harvesting()) {
        d->services.prompts.ShowMessage(
            "You cannot delete the current search while the spider is harvesting faxes.", FocusTarget::None);
    } else if (IsEnabled(Button::cmdResume)) {
        if (d->services.prompts.ConfirmOkCancel(
                "You will not be able to resume the current search if it is deleted.\r\n\r\nContinue?",
                "Confirm Delete")) {
            d->view.SetEnabled(Button::cmdResume, false);
            DeleteAllWebsites();
            d->phrases.DropCurrent();
        }
    } else {
        d->phrases.DropCurrent();
    }
    d->view.UpdateNextButton();
}

void HarvestEngine::Command3_Click() {
    if (!d->services.prompts.ConfirmOkCancel("Are you sure you want to delete all faxes from the database?",
                                             "Confirm")) {
        return;
    }
    DeleteAllFaxes();
    d->services.prompts.ShowMessage("All faxes have been deleted.", FocusTarget::None);
}

bool HarvestEngine::DeleteAllWebsites() {
    return d->queue.EmptyAll();
}

bool HarvestEngine::EmptyQueueForSearch() {
    return d->run.EmptyQueueForSearch();
}

std::uint64_t HarvestEngine::ListBuild() const {
    return d->run.ListBuild();
}

bool HarvestEngine::DeleteExportedFaxes(const std::vector<FaxRecord>& records) {
    if (!d->db().DeleteFaxRecords(records)) {
        return false;
    }
    d->view.List(ListId::List3) = d->db().RecentFaxes();
    d->view.Changed(ListId::List3);
    d->stats.ResetSessionNumbers();
    return true;
}

bool HarvestEngine::DeleteAllFaxes() {
    d->db().DeleteAllFaxes();
    d->view.List(ListId::List3).clear();
    d->view.Changed(ListId::List3);
    d->stats.ResetSessionNumbers();
    return true;
}

void HarvestEngine::ShowRecentFaxes() {
    std::vector<std::string> recent = d->db().RecentFaxes();
    if (recent.empty()) {
        return;
    }
    d->view.List(ListId::List3) = std::move(recent);
    d->view.Changed(ListId::List3);
}

void HarvestEngine::ShowSearches() {
    d->phrases.LoadStored();
}

bool HarvestEngine::LoadWebsiteBatch() {
    if (!d->queue.LoadBatch()) {
        return false;
    }
    d->view.SetEnabled(Button::cmdResume, false);
    return true;
}

void HarvestEngine::RemoveFirstPhrase() {
    d->phrases.RemoveFirstFromList();
}

void HarvestEngine::CountEvent(Counted what) {
    d->stats.Count(what);
}

void HarvestEngine::CountEvent(int kind) {
    if (kind >= 0 && kind <= 2) {
        d->stats.Count(static_cast<Counted>(kind));
    } else {
        emit statisticsChanged();
    }
}

RunView& HarvestEngine::view() {
    return d->view;
}

bool HarvestEngine::harvesting() const {
    return d->view.harvesting();
}

bool HarvestEngine::IsEnabled(Button button) const {
    return d->view.IsEnabled(button);
}

const std::vector<std::string>& HarvestEngine::List(ListId list) const {
    return d->view.List(list);
}

const std::string& HarvestEngine::StatusText(StatusPanel panel) const {
    return d->view.StatusText(panel);
}

const std::string& HarvestEngine::StatusText(int panel) const {
    static const std::string kNone;
    return IsPanel(panel) ? d->view.StatusText(static_cast<StatusPanel>(panel)) : kNone;
}

int HarvestEngine::ProgressValue() const {
    return d->view.progress();
}

const Statistics& HarvestEngine::Stats() const {
    return d->stats.Get();
}

std::int32_t HarvestEngine::FaxesFoundCount() const {
    return d->chain.FaxesFoundCount();
}

const std::string& HarvestEngine::txtSearch() const {
    return d->view.txtSearch();
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
        d->run.SetAdvanceAfter(kAdvanceSteps[static_cast<std::size_t>(index)]);
    }
}

std::int32_t HarvestEngine::AdvanceAfter() const {
    return d->run.advanceAfter();
}

void HarvestEngine::SetStatistics(const Statistics& stats) {
    d->stats.Set(stats);
}

void HarvestEngine::SaveStatistics() {
    d->stats.Save();
}

void HarvestEngine::SetStatusText(StatusPanel panel, const std::string& text) {
    d->view.SetStatus(panel, text);
}

void HarvestEngine::SetStopEnabled(bool enabled) {
    d->view.SetEnabled(Button::cmdStop, enabled);
}

SettingsStore& HarvestEngine::Settings() {
    return d->services.settings;
}

void HarvestEngine::SetStatusText(int panel, const std::string& text) {
    if (IsPanel(panel)) {
        d->view.SetStatus(static_cast<StatusPanel>(panel), text);
    }
}

void HarvestEngine::SetTimeouts(std::int16_t idleSeconds, std::int16_t totalSeconds) {
    d->pool.SetTimeouts(idleSeconds, totalSeconds);
}

void HarvestEngine::SetTickInterval(int milliseconds) {
    d->pool.SetTickInterval(milliseconds);
}

std::string HarvestEngine::TimedOutHosts() const {
    return d->queue.skipped().Text();
}

} // namespace tarnwick
