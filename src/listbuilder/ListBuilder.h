// The List builder's logic: turns the phrase in txtSearch into result-page queries, queues the
// result domains of each page and hands over to the harvest or to the next phrase.
#pragma once

#include "listbuilder/Browser.h"
#include "listbuilder/SearchEngines.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>

namespace tarnwick {

class HarvestEngine;

// The pause between result pages in the secure-web mode: a random source and a one-shot timer, so
// tests can draw and fire it themselves.
struct PagePacing {
    std::function<double()> uniform;                                    // in [0, 1]
    std::function<void(int milliseconds, std::function<void()>)> after; // runs the step once, later
    // A next control that brings no page within this time ends the build as a page without results.
    int nextPageTimeoutMs = 60000;
};

inline constexpr int kMostResultPages = 50;

class ListBuilder final : public QObject {
    Q_OBJECT
public:
    ListBuilder(HarvestEngine& engine, Browser& browser, QObject* parent = nullptr);
    ~ListBuilder() override;

    // Reads the phrase and options and sends the first query.
    void Form_Load();
    // Replaces the random source and timer of the pause between result pages; before Form_Load.
    void SetPacing(PagePacing pacing);

    const std::string& searchTerms() const { return searchTerms_; }
    const std::string& engine() const { return engineName_; }
    std::int32_t wantedResults() const { return wantedResults_; }
    std::int32_t pagePosition() const { return pagePosition_; }
    std::int32_t foundTotal() const { return foundTotal_; }
    std::int32_t foundOnPage() const { return foundOnPage_; }
    bool listFinished() const { return listFinished_; }
    const QString& Text1() const { return text1_; }
    bool waitingForUser() const { return waitingForUser_; }
    std::int32_t pagesRead() const { return pagesRead_; }

signals:
    void text1Changed(const QString& text);
    void hideRequested();
    // The window is to be unloaded. Receivers must defer the deletion of this object.
    void unloadRequested();
    // A page needs the user: the window is to come to the front.
    void userNeeded();

private:
    void QueryFirstPage();
    void QueryNextPage();
    void WebBrowser1_DocumentComplete();
    void ExtractResultLinks(const std::string& pageHtml);
    void FinishBuild();
    void SetText1(const QString& text);
    // The secure-web mode: rendered pages, the page's own next control, the pause and the wait.
    void ReadSecurePage();
    void HandleSecurePage(const RenderedPage& page);
    void ExtractSecureLinks(const std::vector<std::string>& links);
    void QueryNextSecurePage();
    void CountDownPause(int remainingMs);
    void FollowNextControl();
    void NextPageNeverCame();
    void WaitForUser();
    void EndWaitForUser();
    void StopWaiting();
    bool Current() const; // this build is still the harvest's current one

    HarvestEngine& harvest_;
    Browser& browser_;

    std::string searchTerms_;
    std::string engineName_ = "Google";
    std::int32_t wantedResults_ = 100;
    std::int32_t pagePosition_ = 1;
    std::int32_t foundTotal_ = 0;
    std::int32_t foundOnPage_ = 0;
    std::string foundText_;
    bool listFinished_ = false;
    bool secureWeb_ = false; // read from the option at load
    QString text1_ = QStringLiteral("Status...");
    // Set while a page is being read and extracted: events arriving meanwhile are skipped.
    bool extracting_ = false;
    std::uint64_t build_ = 0;

    SearchEngine secureEngine_ = SearchEngine::Google;
    std::set<std::string> foundDomains_; // lower case: a repeat is an equal domain
    std::int32_t pagesRead_ = 0;
    std::optional<std::size_t> nextControl_;
    std::string searchPause_ = "8";
    PagePacing pacing_;
    QTimer nextPageWatch_;
    bool pausing_ = false;
    bool waitingForUser_ = false;
};

} // namespace tarnwick
