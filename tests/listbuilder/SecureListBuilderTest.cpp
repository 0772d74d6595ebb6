// The List builder with the secure-web option against a fake browser: each engine's first page,
// paging through the page's own next control, wrapped links, the pause, pages that need the user
// and Stop during that wait.
#include "BuilderHarness.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>

namespace tarnwick::testing {
namespace {

struct EngineCase {
    const char* name;
    int index; // in the engine list
    std::string firstPage;
    std::function<std::string(const std::string& target)> wrap; // the engine's wrapping of a result
    PageElement next;                                           // the engine's next control
    std::string ownLink;                                        // a link into the engine itself
};

std::string Base64Url(const std::string& bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string out;
    std::uint32_t bits = 0;
    int held = 0;
    for (const char c : bytes) {
        bits = (bits << 8) | static_cast<unsigned char>(c);
        held += 8;
        while (held >= 6) {
            held -= 6;
            out += kAlphabet[(bits >> held) & 0x3F];
        }
    }
    if (held > 0) {
        out += kAlphabet[(bits << (6 - held)) & 0x3F];
    }
    return out;
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == ':' || c == '/') {
            out += c == ':' ? "%3A" : "%2F";
        } else {
            out += c;
        }
    }
    return out;
}

PageElement Element(std::string tag, std::string id, std::string className, std::string label,
                    std::string type = "", bool inForm = false) {
    PageElement e;
    e.tag = std::move(tag);
    e.id = std::move(id);
    e.className = std::move(className);
    e.label = std::move(label);
    e.type = std::move(type);
    e.inForm = inForm;
    return e;
}

std::vector<EngineCase> Engines() {
    PageElement googleNext = Element("a", "pnnext", "", "Next");
    PageElement yahooNext = Element("a", "", "next", "Next");
    yahooNext.rel = "next";
    PageElement bingNext = Element("a", "", "sb_pagN sb_pagN_bp", "");
    bingNext.ariaLabel = "Next page";
    const PageElement ddgNext = Element("input", "", "btn btn--alt", "Next", "submit", true);
    return {
        {"Google", 0, "https://www.google.com/search?q=dental+labs+fax&hl=en&filter=0",
         [](const std::string& t) { return "https://www.google.com/url?q=" + Escaped(t) + "&sa=U"; },
         googleNext, "https://www.google.co.uk/preferences"},
        {"Yahoo", 1, "https://search.yahoo.com/search?p=dental+labs+fax",
         [](const std::string& t) {
             return "https://r.search.yahoo.com/_ylt=A/RV=2/RU=" + Escaped(t) + "/RK=2/RS=x";
         },
         yahooNext, "https://s.yimg.com/rz/p/yahoo.png"},
        {"Bing", 2, "https://www.bing.com/search?q=dental+labs+fax",
         [](const std::string& t) {
             return "https://www.bing.com/ck/a?!&&p=1&u=a1" + Base64Url(t) + "&ntb=1";
         },
         bingNext, "https://go.microsoft.com/fwlink/"},
        {"DuckDuckGo", 3, "https://html.duckduckgo.com/html/?q=dental+labs+fax",
         [](const std::string& t) { return "https://duckduckgo.com/l/?uddg=" + Escaped(t) + "&rut=1"; },
         ddgNext, "https://duckduckgo.com/settings"},
    };
}

class SecureListBuilderTest : public ::testing::Test {
protected:
    SecureListBuilderTest() {
        engine.options().chkSecureWeb = true;
        h.settings.values["searchPause"] = "0";
    }

    // Page `number` of a chain of result pages keyed "<first>" then "<first>#2", "<first>#3"…, each
    // with `perPage` results (wrapped as the engine wraps them) and the engine's next control.
    void AddResultPages(const EngineCase& e, int pages, int perPage, const std::string& location = {}) {
        for (int number = 1; number <= pages; ++number) {
            const std::string key = Key(e, number);
            RenderedPage page;
            page.links.push_back(e.ownLink);
            page.links.push_back("https://www.youtube.com/watch?v=1"); // only Google's own
            for (int i = 0; i < perPage; ++i) {
                const std::string domain = "p" + std::to_string(number) + "r" + std::to_string(i) +
                                           (i % 3 == 0   ? ".co.uk"
                                            : i % 3 == 1 ? ".ca"
                                                         : ".com");
                page.links.push_back(e.wrap("https://www." + domain + "/fax"));
            }
            page.elements = {Element("a", "", "", "Images"), e.next};
            launcher.site.pages[key] = page;
            launcher.site.controlTargets[key][1] = Key(e, number + 1);
            if (!location.empty()) {
                launcher.site.locations[key] = location;
            }
        }
    }
    static std::string Key(const EngineCase& e, int number) {
        return number == 1 ? e.firstPage : e.firstPage + "#" + std::to_string(number);
    }

    bool Finished() {
        return BuilderHarness::RunUntil([this] { return launcher.unloadRequests > 0; });
    }

    BuilderHarness h;
    FakeLauncher& launcher = *h.launcher;
    HarvestEngine& engine = *h.engine;
};

// Three pages of six results, the last without a next control: too few to harvest, so the queue
// keeps every domain found.
TEST_F(SecureListBuilderTest, EachEnginePagesThroughItsOwnNextControlAndUnwrapsItsLinks) {
    for (const EngineCase& e : Engines()) {
        BuilderHarness local;
        local.engine->options().chkSecureWeb = true;
        local.settings.values["searchPause"] = "0";
        FakeLauncher& l = *local.launcher;
        launcher.site = {};
        // DuckDuckGo posts its form back to one address; the others have pages of their own.
        AddResultPages(e, 3, 6, e.index == 3 ? "https://html.duckduckgo.com/html/" : "");
        launcher.site.pages[Key(e, 3)].elements.pop_back();
        l.site = launcher.site;
        local.Start({"dental labs"}, e.index, 0);
        ASSERT_TRUE(BuilderHarness::RunUntil([&] { return l.unloadRequests > 0; })) << e.name;

        EXPECT_EQ(l.navigations, std::vector<std::string>{e.firstPage}) << e.name;
        std::vector<std::string> queued = local.QueuedWebsites();
        std::sort(queued.begin(), queued.end());
        std::vector<std::string> expected;
        for (int page = 1; page <= 3; ++page) {
            for (const char* domain : {"r0.co.uk", "r1.ca", "r2.com", "r3.co.uk", "r4.ca", "r5.com"}) {
                // Google owns youtube.com; every other engine's results include it once.
                expected.push_back("p" + std::to_string(page) + domain);
            }
        }
        if (e.index != 0) {
            expected.push_back("youtube.com");
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(queued, expected) << e.name;
        EXPECT_EQ(local.engine->StatusText(2), "Not enough results") << e.name;
    }
}

TEST_F(SecureListBuilderTest, EachEngineFillsAHundredResultBuildAndTheHarvestStarts) {
    for (const EngineCase& e : Engines()) {
        BuilderHarness local;
        local.engine->options().chkSecureWeb = true;
        local.settings.values["searchPause"] = "0";
        launcher.site = {};
        AddResultPages(e, 9, 15, e.index == 3 ? "https://html.duckduckgo.com/html/" : "");
        local.launcher->site = launcher.site;
        // The result domains do not resolve, so the harvest may end again before the build is
        // checked: what counts is that it started.
        bool harvestStarted = false;
        QObject::connect(&local.engine->view(), &RunView::harvestingChanged, local.engine.get(),
                         [&](bool on) { harvestStarted = harvestStarted || on; });
        local.Start({"dental labs"}, e.index, 0);
        ASSERT_TRUE(BuilderHarness::RunUntil([&] { return local.launcher->unloadRequests > 0; })) << e.name;
        // 15 new domains a page (and youtube.com once where the engine does not own it): the seventh
        // page crosses 100.
        EXPECT_EQ(local.engine->Stats().sessionSitesFound, e.index == 0 ? 105 : 106) << e.name;
        EXPECT_TRUE(harvestStarted) << e.name;
        local.engine->cmdStop_Click();
    }
}

TEST_F(SecureListBuilderTest, ARepeatIsAnEqualDomainNotOneInsideAnEarlierOne) {
    const EngineCase e = Engines()[0];
    RenderedPage page;
    page.links = {"https://www.myexample.com/",
                  "https://example.com/",
                  "https://EXAMPLE.com/b",
                  "https://shop.example.com/",
                  "https://www.google.co.uk/search?q=x",
                  "https://www.youtube.com/"};
    launcher.site.pages[e.firstPage] = page;
    h.Start({"dental labs"}, e.index, 0);
    ASSERT_TRUE(Finished());
    EXPECT_EQ(h.QueuedWebsites(), (std::vector<std::string>{"myexample.com", "example.com"}));
    EXPECT_EQ(engine.StatusText(2), "Not enough results");
}

TEST_F(SecureListBuilderTest, APageWithoutANextControlEndsTheBuild) {
    const EngineCase e = Engines()[2];
    AddResultPages(e, 2, 15);
    launcher.site.pages[Key(e, 2)].elements.pop_back();
    h.Start({"dental labs"}, e.index, 0);
    ASSERT_TRUE(Finished());
    // Bing does not own youtube.com: it counts once.
    EXPECT_EQ(engine.Stats().sessionSitesFound, 31);
    EXPECT_EQ(launcher.CurrentBrowser(), nullptr);
    EXPECT_NE(engine.StatusText(2), "Not enough results");
    engine.cmdStop_Click();
}

TEST_F(SecureListBuilderTest, AtMostFiftyResultPagesPerPhrase) {
    const EngineCase e = Engines()[1];
    AddResultPages(e, 60, 1);
    h.Start({"dental labs"}, e.index, 5);
    ASSERT_TRUE(Finished());
    // One new domain a page, and youtube.com once.
    EXPECT_EQ(engine.Stats().sessionSitesFound, kMostResultPages + 1);
    engine.cmdStop_Click();
}

TEST_F(SecureListBuilderTest, PauseIsDrawnFromTheSettingAndCountedDownInText1) {
    const EngineCase e = Engines()[0];
    AddResultPages(e, 2, 15);
    h.settings.values["searchPause"] = "8";
    std::vector<int> ticks;
    std::vector<std::function<void()>> pending;
    std::vector<QString> text1;
    double uniform = 1.0;
    launcher.prepare = [&](ListBuilder& builder) {
        builder.SetPacing({[&] { return uniform; },
                           [&](int ms, std::function<void()> step) {
                               ticks.push_back(ms);
                               pending.push_back(std::move(step));
                           }});
        QObject::connect(&builder, &ListBuilder::text1Changed, &builder,
                         [&](const QString& text) { text1.push_back(text); });
    };
    h.Start({"dental labs"}, e.index, 0);
    ASSERT_TRUE(BuilderHarness::RunUntil([&] { return !pending.empty(); }));
    EXPECT_EQ(ticks, std::vector<int>{1000});
    EXPECT_EQ(text1.back(), QStringLiteral("Next page in 12 s"));
    // Nothing moves on while the pause lasts, even when the page completes again.
    launcher.CurrentBrowser()->RaiseDocumentComplete();
    BuilderHarness::RunUntil([] { return false; }, 50);
    EXPECT_TRUE(launcher.CurrentBrowser()->activations.empty());
    EXPECT_EQ(engine.Stats().sessionSitesFound, 15);

    // Each tick shows one second less; the page is asked for once the whole pause has passed.
    std::vector<QString> countdown;
    for (std::size_t next = 0; launcher.CurrentBrowser()->activations.empty() && next < 20; ++next) {
        ASSERT_LT(next, pending.size());
        countdown.push_back(text1.back());
        uniform = 0.3; // the pause after the next page: 8 * (0.5 + 0.3) = 6.4 s
        pending[next]();
    }
    EXPECT_EQ(countdown.size(), 12u);
    EXPECT_EQ(countdown.back(), QStringLiteral("Next page in 1 s"));
    EXPECT_EQ(std::accumulate(ticks.begin(), ticks.end(), 0), 12000);
    EXPECT_EQ(launcher.CurrentBrowser()->activations, std::vector<std::string>{e.firstPage + "#1"});
    ASSERT_TRUE(BuilderHarness::RunUntil([&] { return pending.size() == 13; }));
    EXPECT_EQ(engine.Stats().sessionSitesFound, 30);
    EXPECT_EQ(text1.back(), QStringLiteral("Next page in 7 s"));
    EXPECT_EQ(ticks.back(), 400) << "the fraction first, then whole seconds";
    engine.cmdStop_Click();
}

TEST_F(SecureListBuilderTest, ANextControlThatBringsNoPageEndsTheBuild) {
    const EngineCase e = Engines()[2];
    AddResultPages(e, 2, 25);
    launcher.site.controlTargets.erase(Key(e, 1)); // its script does nothing
    h.settings.values["searchPause"] = "0";
    std::vector<QString> text1;
    launcher.prepare = [&](ListBuilder& builder) {
        builder.SetPacing({[] { return 0.5; }, [](int, std::function<void()>) {}, 50});
        QObject::connect(&builder, &ListBuilder::text1Changed, &builder,
                         [&](const QString& text) { text1.push_back(text); });
    };
    h.Start({"dental labs"}, e.index, 0);
    ASSERT_TRUE(BuilderHarness::RunUntil(
        [&] { return launcher.CurrentBrowser() && !launcher.CurrentBrowser()->activations.empty(); }));
    EXPECT_EQ(launcher.CurrentBrowser()->activations, std::vector<std::string>{e.firstPage + "#1"});
    ASSERT_TRUE(Finished());
    // The page's 25 results and the engine's own youtube.com link, which only Google owns.
    EXPECT_EQ(text1.back(), QStringLiteral("Finished! Extracted 26 results."));
    EXPECT_EQ(engine.Stats().sessionSitesFound, 26);
    engine.cmdStop_Click();
}

class NeedsUserTest : public SecureListBuilderTest {
protected:
    bool Waiting() {
        return BuilderHarness::RunUntil(
            [this] { return launcher.Builder() && launcher.Builder()->waitingForUser(); });
    }
};

TEST_F(NeedsUserTest, ConsentPageWaitsForTheUserThenTheBuildGoesOn) {
    const EngineCase e = Engines()[0];
    AddResultPages(e, 2, 15);
    // The first address lands on the consent page; once answered, the result page shows.
    const std::string results = e.firstPage + "#answered";
    launcher.site.pages[results] = launcher.site.pages[e.firstPage];
    launcher.site.controlTargets[results] = launcher.site.controlTargets[e.firstPage];
    launcher.site.locations[results] = e.firstPage;
    launcher.site.locations[e.firstPage] =
        "https://consent.google.com/ml?continue=https://www.google.com/search";
    launcher.site.pages[e.firstPage] =
        RenderedPage{{"https://policies.example.com/"}, {Element("button", "", "", "Accept all")}};
    int shown = 0;
    launcher.prepare = [&](ListBuilder& builder) {
        QObject::connect(&builder, &ListBuilder::userNeeded, &builder, [&] { ++shown; });
    };
    h.Start({"dental labs"}, e.index, 0);
    ASSERT_TRUE(Waiting());
    ListBuilder& builder = *launcher.Builder();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(builder.Text1(),
              QStringLiteral("Waiting for you: answer the page shown here, then the search goes on."));
    EXPECT_EQ(engine.StatusText(1), "Waiting for you");
    EXPECT_EQ(engine.StatusText(3), "Answer the page in the List Builder window");
    EXPECT_TRUE(engine.IsEnabled(Button::cmdStop));
    EXPECT_EQ(engine.Stats().sessionSitesFound, 0);
    // Further loads of a page that needs the user keep the wait.
    launcher.CurrentBrowser()->RaiseDocumentComplete();
    BuilderHarness::RunUntil([] { return false; }, 50);
    EXPECT_TRUE(builder.waitingForUser());
    EXPECT_EQ(launcher.unloadRequests, 0);

    launcher.CurrentBrowser()->UserShows(results);
    ASSERT_TRUE(Finished());
    EXPECT_EQ(engine.Stats().sessionSitesFound, 30);
    EXPECT_NE(engine.StatusText(2), "Not enough results");
    EXPECT_NE(engine.StatusText(1), "Waiting for you");
    EXPECT_EQ(launcher.navigations, std::vector<std::string>{e.firstPage});
    engine.cmdStop_Click();
}

TEST_F(NeedsUserTest, SorryPageWithStatus429WaitsAndStopEndsTheWait) {
    const EngineCase e = Engines()[0];
    launcher.site.locations[e.firstPage] = "https://www.google.com/sorry/index?continue=x";
    launcher.site.statuses[e.firstPage] = 429;
    launcher.site.pages[e.firstPage] = RenderedPage{{}, {Element("form", "captcha-form", "", "")}};
    h.Start({"dental labs", "second phrase"}, e.index, 0);
    ASSERT_TRUE(Waiting());
    engine.cmdStop_Click();
    ASSERT_TRUE(Finished());
    EXPECT_EQ(engine.StatusText(1), "Stopped");
    EXPECT_FALSE(engine.IsEnabled(Button::cmdStop));
    EXPECT_FALSE(engine.harvesting());
    // The phrase is kept and no other phrase is tried.
    EXPECT_EQ(engine.List(ListId::List1).size(), 2u);
    EXPECT_EQ(launcher.loadedPhrases.size(), 1u);
    EXPECT_EQ(launcher.hides, 1);
}

TEST_F(NeedsUserTest, ChallengeOnTheEnginesOwnHostIsHandedToTheUser) {
    const EngineCase e = Engines()[3];
    launcher.site.pages[e.firstPage] = RenderedPage{
        {"https://www.example.com/"},
        {Element("div", "", "anomaly-modal__modal", ""), Element("div", "", "anomaly-modal", "")}};
    h.Start({"dental labs"}, e.index, 0);
    ASSERT_TRUE(Waiting());
    EXPECT_EQ(engine.Stats().sessionSitesFound, 0);
}

} // namespace
} // namespace tarnwick::testing
