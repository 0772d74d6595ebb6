// The List builder's logic: turns the phrase in txtSearch into result-page queries, queues the
// result domains of each page and hands over to the harvest or to the next phrase.
#pragma once

#include "listbuilder/Browser.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <string>

namespace tarnwick {

class HarvestEngine;

class ListBuilder final : public QObject {
    Q_OBJECT
public:
    ListBuilder(HarvestEngine& engine, Browser& browser, QObject* parent = nullptr);
    ~ListBuilder() override;

    // Reads the phrase and options and sends the first query.
    void Form_Load();

    const std::string& searchTerms() const { return searchTerms_; }
    const std::string& engine() const { return engineName_; }
    std::int32_t wantedResults() const { return wantedResults_; }
    std::int32_t pagePosition() const { return pagePosition_; }
    std::int32_t foundTotal() const { return foundTotal_; }
    std::int32_t foundOnPage() const { return foundOnPage_; }
    bool listFinished() const { return listFinished_; }
    const QString& Text1() const { return text1_; }

signals:
    void text1Changed(const QString& text);
    void hideRequested();
    // The window is to be unloaded. Receivers must defer the deletion of this object.
    void unloadRequested();

private:
    void QueryFirstPage();
    void QueryNextPage();
    void WebBrowser1_DocumentComplete();
    void ExtractResultLinks(const std::string& pageHtml);
    void SetText1(const QString& text);
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
};

} // namespace tarnwick
