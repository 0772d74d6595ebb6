// The chain of one arrived page: save the page files, queue its links, store its numbers. Each
// step is a call queued on the event loop, and a step that works through many lines or numbers
// hands back after a short slice, so chains run in the order their pages arrived, never one
// inside another, and the window and the other slots stay live.
// A page that arrived is always saved, scanned and its numbers stored; once the harvest has
// stopped its links are no longer queued and the status bar keeps the stop's texts.
#pragma once

#include "harvest/RunView.h"
#include "harvest/SlotPool.h"

#include <QElapsedTimer>
#include <QObject>
#include <cstdint>
#include <memory>

namespace tarnwick {

class HarvestStats;
class PhraseList;
class RunView;
class WorkQueue;
struct EngineServices;
struct Options;

class PageChain final : public QObject {
    Q_OBJECT
public:
    // Long steps hand control back to the event loop at least this often.
    static constexpr qint64 kSliceMs = 4;

    PageChain(const EngineServices& services, const Options& options, RunView& view, HarvestStats& stats,
              WorkQueue& queue, PhraseList& phrases, QObject* parent = nullptr);
    ~PageChain() override;

    // Starts the chain of a page that arrived; its first step runs from the event loop.
    void Begin(PageJob job);

    std::int32_t FaxesFoundCount() const { return faxesFoundCount_; }
    void ResetFaxesFound() { faxesFoundCount_ = 0; }

signals:
    // The chain of the slot's page is over: `complete` unless its page file could not be read.
    void ended(int slot, bool complete);

private:
    struct Run;
    using RunPtr = std::shared_ptr<Run>;

    void Later(RunPtr run, void (PageChain::*step)(const RunPtr&));
    void Say(StatusPanel panel, std::string text);
    bool SliceOver(const QElapsedTimer& slice) const { return slice.elapsed() >= kSliceMs; }

    void SavePage(const RunPtr& run);
    void GetLinks(const RunPtr& run);
    void ClassicLinks(const RunPtr& run);
    void SecureLinks(const RunPtr& run);
    void FindFaxNumbers(const RunPtr& run);
    void FindWebFaxNumbers(const RunPtr& run);
    void FindClassicFaxNumbers(const RunPtr& run);
    void StoreNumbers(const RunPtr& run);
    void StoreNumber(const Run& run, const struct FoundFax& fax);
    void End(const RunPtr& run, bool complete);

    const EngineServices& services_;
    const Options& options_;
    RunView& view_;
    HarvestStats& stats_;
    WorkQueue& queue_;
    PhraseList& phrases_;
    std::int32_t faxesFoundCount_ = 0;
};

} // namespace tarnwick
