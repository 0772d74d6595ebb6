// Today's engines with the secure-web option: query encoding, first pages, link unwrapping,
// registrable domains, engine-owned domains, pages for the user and next-page controls.
#include "listbuilder/SearchEngines.h"

#include "listbuilder/PageControls.h"
#include "listbuilder/PublicSuffix.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(SecureEngines, ListOffersFourEnginesOnlyWithTheOption) {
    EXPECT_EQ(EngineListTexts(false), (std::vector<std::string>{"Google Search", "Yahoo Search"}));
    EXPECT_EQ(EngineListTexts(true), (std::vector<std::string>{"Google Search", "Yahoo Search", "Bing Search",
                                                               "DuckDuckGo Search"}));
    EXPECT_EQ(SecureEngineFor("Bing Search"), SearchEngine::Bing);
    EXPECT_EQ(SecureEngineFor("DuckDuckGo Search"), SearchEngine::DuckDuckGo);
    EXPECT_EQ(SecureEngineFor("Yahoo Search"), SearchEngine::Yahoo);
    EXPECT_EQ(SecureEngineFor("bing search"), SearchEngine::Google);
}

TEST(SecureEngines, TermsAreEncodedAsTheAddressBarDoes) {
    struct Case {
        std::string phrase;
        bool addFax;
        std::string encoded;
    };
    const Case cases[] = {
        {"dental labs", true, "dental+labs+fax"},
        {"dental labs", false, "dental+labs"},
        {"a&b=c#d%e+f", false, "a%26b%3Dc%23d%25e%2Bf"},
        {"caf\xE9", false, "caf%C3%A9"},             // Windows-1252 e acute as UTF-8
        {"\x80 5", false, "%E2%82%AC+5"},            // the euro sign of the code page
        {"keep-._*~/?", false, "keep-._*%7E%2F%3F"}, // only the form-safe marks stay bare
        {"", true, "+fax"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncodeQueryTerms(c.phrase, c.addFax), c.encoded) << c.phrase;
    }
}

TEST(SecureEngines, FirstPageOfEachEngine) {
    const std::pair<SearchEngine, std::string> cases[] = {
        {SearchEngine::Google, "https://www.google.com/search?q=red+barn+fax&hl=en&filter=0"},
        {SearchEngine::Yahoo, "https://search.yahoo.com/search?p=red+barn+fax"},
        {SearchEngine::Bing, "https://www.bing.com/search?q=red+barn+fax"},
        {SearchEngine::DuckDuckGo, "https://html.duckduckgo.com/html/?q=red+barn+fax"},
    };
    for (const auto& [engine, address] : cases) {
        EXPECT_EQ(SecureFirstPageAddress(engine, "red+barn+fax"), address);
    }
}

TEST(SecureEngines, WrappedLinksAreUnwrapped) {
    struct Case {
        const char* name;
        std::string link;
        std::string target;
    };
    const Case cases[] = {
        {"GoogleQ", "https://www.google.com/url?q=https://www.example.co.uk/a%3Fb%3D1&sa=U&ved=x",
         "https://www.example.co.uk/a?b=1"},
        {"GoogleUrl", "https://www.google.com/url?sa=t&source=web&url=https%3A%2F%2Fshop.example.ca%2F&ved=2",
         "https://shop.example.ca/"},
        {"GoogleOtherSuffix", "https://www.google.co.uk/url?q=http://example.com/", "http://example.com/"},
        {"GoogleQNotALink", "https://www.google.com/url?q=/search%3Fq%3Dx",
         "https://www.google.com/url?q=/search%3Fq%3Dx"},
        {"YahooRK",
         "https://r.search.yahoo.com/_ylt=AwrE;_ylu=Y29s/RV=2/RE=1700000000/RO=10/"
         "RU=https%3a%2f%2fwww.example.com%2ffax%2f/RK=2/RS=abc-",
         "https://www.example.com/fax/"},
        {"YahooRSOnly", "https://r.search.yahoo.com/_ylt=A/RU=https%3A%2F%2Fexample.org%2F/RS=x",
         "https://example.org/"},
        {"YahooDecodedOnce", "https://r.search.yahoo.com/RU=https%3A%2F%2Fexample.org%2Fa%2520b/RK=0",
         "https://example.org/a%20b"},
        // The target has "-" and "_" of its own; its base64url text has both marks too and leaves out the
        // two "=" of padding.
        {"BingUnpadded",
         "https://www.bing.com/ck/a?!&&p=abc&ptn=3&u=a1aHR0cHM6Ly9leC1hbV9wbGUuY29tL34_Pg&ntb=1",
         "https://ex-am_ple.com/~?>"},
        {"BingDashNoPadding", "https://www.bing.com/ck/a?u=a1aHR0cHM6Ly93d3cuZXhhbXBsZS5jb20vPz8-Pz8&ntb=1",
         "https://www.example.com/??"
         ">??"},
        {"BingNotA1", "https://www.bing.com/ck/a?u=b1aHR0cHM6Ly9leGFtcGxlLmNvbS8",
         "https://www.bing.com/ck/a?u=b1aHR0cHM6Ly9leGFtcGxlLmNvbS8"},
        {"DuckDuckGo", "https://duckduckgo.com/l/?uddg=https%3A%2F%2Fwww.example.net%2Fx%3Fy%3D1&rut=abc",
         "https://www.example.net/x?y=1"},
        {"NotWrappedElsewhere", "https://example.com/url?q=https://other.com/",
         "https://example.com/url?q=https://other.com/"},
        {"PlainLink", "https://www.example.com/", "https://www.example.com/"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UnwrapResultLink(c.link), c.target) << c.name;
    }
}

TEST(SecureEngines, Base64UrlWithAndWithoutPadding) {
    EXPECT_EQ(DecodeBase64Url("Pz8-Pz8_"), "??"
                                           ">??\?");
    EXPECT_EQ(DecodeBase64Url("YQ"), "a");
    EXPECT_EQ(DecodeBase64Url("YQ=="), "a");
    EXPECT_EQ(DecodeBase64Url("YWI"), "ab");
    EXPECT_EQ(DecodeBase64Url("Y"), std::nullopt);
    EXPECT_EQ(DecodeBase64Url("Y!Q"), std::nullopt);
}

TEST(SecureEngines, PercentDecodeLeavesBrokenEscapes) {
    EXPECT_EQ(PercentDecode("a%2Fb%2fc"), "a/b/c");
    EXPECT_EQ(PercentDecode("100%"), "100%");
    EXPECT_EQ(PercentDecode("%G1%4"), "%G1%4");
}

TEST(SecureEngines, RegistrableDomainByPublicSuffixList) {
    const std::pair<std::string, std::string> cases[] = {
        {"www.example.co.uk", "example.co.uk"},
        {"example.com", "example.com"},
        {"shop.example.ca", "example.ca"},
        {"WWW.Example.COM", "example.com"},
        {"a.b.c.example.com.au", "example.com.au"},
        {"example.com.", "example.com"},
        {"co.uk", ""},
        {"com", ""},
        {"192.168.1.20", ""},
        {"[::1]", ""},
        {"===end private domains===", ""},
        {"exa mple.com", ""},
        {"a\"b.com", ""},
        {"ex_ample.com", "ex_ample.com"},
        {"a..example.com", ""},
        {"www.444.444", ""},
        {"example.com.1", ""},
        {".example.com", ""},
        {"b\xFC"
         "cher.de",
         ""},
        {"www.xn--bcher-kva.de", "xn--bcher-kva.de"},
        {"", ""},
    };
    for (const auto& [host, domain] : cases) {
        EXPECT_EQ(RegistrableDomain(host), domain) << host;
    }
}

TEST(SecureEngines, LinkHostOfHttpLinksOnly) {
    const std::pair<std::string, std::string> cases[] = {
        {"https://user:pw@WWW.Example.com:8443/a", "www.example.com"},
        {"HTTP://example.org?x", "example.org"},
        {"https://example.net#top", "example.net"},
        {"ftp://example.com/", ""},
        {"mailto:a@example.com", ""},
        {"javascript:void(0)", ""},
        {"https://[2001:db8::1]:80/", "[2001:db8::1]"},
    };
    for (const auto& [link, host] : cases) {
        EXPECT_EQ(LinkHost(link), host) << link;
    }
}

TEST(SecureEngines, ResultDomainsDropTheEnginesOwnAndNonWebLinks) {
    struct Case {
        SearchEngine engine;
        std::string link;
        std::string domain;
    };
    const Case cases[] = {
        {SearchEngine::Google, "https://www.example.co.uk/a/b", "example.co.uk"},
        {SearchEngine::Google, "https://example.com/", "example.com"},
        {SearchEngine::Google, "https://shop.example.ca/", "example.ca"},
        {SearchEngine::Google, "https://www.google.co.uk/preferences", ""},
        {SearchEngine::Google, "https://maps.google.com/", ""},
        {SearchEngine::Google, "https://www.youtube.com/watch?v=1", ""},
        {SearchEngine::Google, "https://lh3.googleusercontent.com/x", ""},
        {SearchEngine::Google, "https://ssl.gstatic.com/x", ""},
        {SearchEngine::Google, "https://ad.doubleclick.net/x", ""},
        {SearchEngine::Google, "https://www.googleadservices.com/x", ""},
        {SearchEngine::Google, "https://www.google.com/url?q=https://www.youtube.com/x", ""},
        {SearchEngine::Google, "https://www.google.com/url?q=https://faxes.example.com/x", "example.com"},
        {SearchEngine::Google, "https://www.bing.com/", "bing.com"}, // another engine's site is a result
        {SearchEngine::Yahoo, "https://images.search.yahoo.com/", ""},
        {SearchEngine::Yahoo, "https://s.yimg.com/a.png", ""},
        {SearchEngine::Yahoo, "https://www.aol.com/", ""},
        {SearchEngine::Yahoo, "https://uk.yahoo.net/", ""},
        {SearchEngine::Bing, "https://go.microsoft.com/", ""},
        {SearchEngine::Bing, "https://www.msn.com/", ""},
        {SearchEngine::Bing, "https://login.live.com/", ""},
        {SearchEngine::Bing, "https://th.bing.net/", ""},
        {SearchEngine::DuckDuckGo, "https://duckduckgo.com/settings", ""},
        {SearchEngine::DuckDuckGo, "https://www.google.com/", "google.com"},
        {SearchEngine::Google, "http://10.0.0.1/", ""},
        {SearchEngine::Google, "https://co.uk/", ""},
        {SearchEngine::Google, "mailto:fax@example.com", ""},
        {SearchEngine::Google, "javascript:void(0)", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResultDomain(c.engine, c.link), c.domain) << c.link;
    }
}

TEST(SecureEngines, PagesThatNeedTheUser) {
    struct Case {
        SearchEngine engine;
        PageSigns page;
        bool needsUser;
    };
    const Case cases[] = {
        {SearchEngine::Google, {"https://www.google.com/search?q=a&hl=en&filter=0", 200, false}, false},
        {SearchEngine::Google, {"https://www.google.com/search?q=a", 0, false}, false},
        {SearchEngine::Google,
         {"https://consent.google.com/ml?continue=https://www.google.com/", 200, false},
         true},
        {SearchEngine::Google, {"https://www.google.com/sorry/index?continue=x", 200, false}, true},
        {SearchEngine::Google, {"https://www.google.com/search?q=a", 429, false}, true},
        {SearchEngine::Google, {"https://www.google.com/search?q=a", 200, true}, true},
        {SearchEngine::Yahoo, {"https://consent.yahoo.com/v2/collectConsent?sessionId=1", 200, false}, true},
        {SearchEngine::Yahoo, {"https://guce.yahoo.com/consent", 200, false}, true},
        {SearchEngine::Yahoo, {"https://search.yahoo.com/search?p=a&b=8", 200, false}, false},
        {SearchEngine::Bing, {"https://WWW.BING.COM/search?q=a&first=11", 200, false}, false},
        {SearchEngine::DuckDuckGo, {"https://html.duckduckgo.com/html/", 200, false}, false},
        {SearchEngine::DuckDuckGo, {"https://html.duckduckgo.com/html/", 200, true}, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NeedsUser(c.engine, c.page), c.needsUser) << c.page.location << " " << c.page.httpStatus;
    }
}

TEST(SecureEngines, PauseIsDrawnBetweenHalfAndOneAndAHalfTimesTheSetting) {
    struct Case {
        std::string setting;
        double uniform;
        int milliseconds;
    };
    const Case cases[] = {
        {"8", 0.0, 4000},  {"8", 1.0, 12000}, {"8", 0.5, 8000},      {"8", 0.25, 6000},  {"2.5", 0.5, 2500},
        {"0", 0.7, 0},     {"-3", 0.7, 0},    {"", 0.5, 8000},       {"abc", 0.0, 4000}, {"8s", 0.5, 8000},
        {"8", -1.0, 4000}, {"8", 2.0, 12000}, {"1e9", 0.5, 3600000}, {"nan", 0.5, 8000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PauseMilliseconds(c.setting, c.uniform), c.milliseconds) << c.setting << " " << c.uniform;
    }
    EXPECT_EQ(PauseSecondsShown(4000), 4);
    EXPECT_EQ(PauseSecondsShown(4001), 5);
    EXPECT_EQ(PauseSecondsShown(1), 1);
}

PageElement Link(std::string label) {
    PageElement e;
    e.tag = "a";
    e.label = std::move(label);
    return e;
}

TEST(PageControls, NextControlOfEachEngine) {
    struct Case {
        const char* name;
        std::vector<PageElement> elements;
        std::optional<std::size_t> next;
    };
    PageElement relNext = Link("More");
    relNext.rel = "nofollow next";
    PageElement pnnext = Link("Next");
    pnnext.id = "pnnext";
    PageElement aria = Link(">");
    aria.ariaLabel = "Next page";
    PageElement yahooNext = Link("Next");
    yahooNext.className = "next";
    PageElement bingNext = Link("");
    bingNext.className = "sb_pagN sb_pagN_bp b_widePag";
    PageElement ddgNext{"input", "", "btn btn--alt", "", "", "Next", "submit", true};
    PageElement ddgPrevious{"input", "", "btn btn--alt", "", "", "Previous", "submit", true};
    PageElement nextOutsideForm{"input", "", "", "", "", "Next", "submit", false};
    PageElement divNext{"div", "", "next", "", "", "", "", false};
    PageElement linkRelNext{"link", "", "", "next", "", "", "", false};
    PageElement nextish = Link("Next steps");
    nextish.className = "nextsteps";
    const Case cases[] = {
        {"Google", {Link("Images"), pnnext, Link("2")}, 1},
        {"RelNextFirst", {yahooNext, relNext}, 1},
        {"AriaLabel", {Link("1"), aria}, 1},
        {"YahooClass", {Link("1"), yahooNext}, 1},
        {"BingClass", {Link("2"), bingNext}, 1},
        {"DuckDuckGoForm", {ddgPrevious, ddgNext}, 1},
        {"SubmitOutsideAForm", {nextOutsideForm}, std::nullopt},
        {"OnlyLinksAndButtons", {divNext, linkRelNext}, std::nullopt},
        {"ClassTokenNotSubstring", {nextish}, std::nullopt},
        {"LastPage", {Link("1"), Link("2"), ddgPrevious}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindNextControl(c.elements), c.next) << c.name;
    }
}

TEST(PageControls, ChallengeMarks) {
    EXPECT_TRUE(HoldsChallenge({PageElement{"form", "captcha-form", "", "", "", "", "", false}}));
    EXPECT_TRUE(HoldsChallenge({PageElement{"form", "challenge-form", "", "", "", "", "", false}}));
    EXPECT_TRUE(HoldsChallenge({PageElement{"div", "", "modal anomaly-modal", "", "", "", "", false}}));
    EXPECT_FALSE(HoldsChallenge({PageElement{"div", "captcha", "anomaly-modal-x", "", "", "", "", false}}));
    EXPECT_FALSE(HoldsChallenge({}));
}

} // namespace
} // namespace tarnwick
