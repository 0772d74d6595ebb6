// The CSV of the numbers: header, quoting, UTF-8 from the stored code page, dates, record order.
#include "store/NumbersCsv.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

FaxDetails Record(std::string fax, std::string location, std::string website, std::string search,
                  std::string date = "2026-03-04 05:06:07") {
    return {0, std::move(fax), std::move(date), std::move(website), std::move(search), std::move(location)};
}

TEST(NumbersCsv, NoRecordsGiveTheHeaderAlone) {
    EXPECT_EQ(NumbersCsv({}), "number,region,website,search,found\r\n");
}

TEST(NumbersCsv, RecordsFollowInTheOrderGivenWithTheDateAlone) {
    const std::string csv = NumbersCsv(
        {Record("1-312-555-0100", "Illinois", "www.a.example/contact", "fax"),
         Record("+44-20-7946-0958", "Unknown/International", "b.example", "Unknown", "2025-12-31 23:59:59")});
    EXPECT_EQ(csv, "number,region,website,search,found\r\n"
                   "1-312-555-0100,Illinois,www.a.example/contact,fax,2026-03-04\r\n"
                   "+44-20-7946-0958,Unknown/International,b.example,Unknown,2025-12-31\r\n");
}

TEST(NumbersCsv, QuotesExactlyTheFieldsThatNeedIt) {
    struct Case {
        const char* stored;
        const char* written;
    };
    const Case cases[] = {
        {"plain words", "plain words"},
        {"", ""},
        {"lawyers, Chicago", "\"lawyers, Chicago\""},
        {"the \"best\" dentist", "\"the \"\"best\"\" dentist\""},
        {"\"", "\"\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"line\nfeed", "\"line\nfeed\""},
        {"carriage\rreturn", "\"carriage\rreturn\""},
        {"tab\tand 'single'", "tab\tand 'single'"},
    };
    for (const auto& c : cases) {
        const std::string csv = NumbersCsv({Record("1-312-555-0100", "Illinois", "w.example", c.stored)});
        EXPECT_EQ(csv,
                  std::string("number,region,website,search,found\r\n1-312-555-0100,Illinois,w.example,") +
                      c.written + ",2026-03-04\r\n")
            << c.stored;
    }
}

TEST(NumbersCsv, StoredCodePageBecomesUtf8) {
    struct Case {
        std::string stored;
        std::string utf8;
    };
    const Case cases[] = {
        {"caf\xE9 M\xFCnchen", "caf\xC3\xA9 M\xC3\xBC"
                               "nchen"},
        {"\x80 price", "\xE2\x82\xAC price"}, // euro sign from the 128..159 block
        {"\x93quoted\x94", "\xE2\x80\x9Cquoted\xE2\x80\x9D"},
        {"\x8A\x9E\x9F", "\xC5\xA0\xC5\xBE\xC5\xB8"}, // S caron, z caron, Y diaeresis
        {"\x81", "\xC2\x81"},                         // a hole of the code page keeps its C1 value
        {"\xA0\xFF", "\xC2\xA0\xC3\xBF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cp1252ToUtf8(c.stored), c.utf8);
        const std::string csv = NumbersCsv({Record("1", "Illinois", "w", c.stored)});
        EXPECT_NE(csv.find("," + c.utf8 + ","), std::string::npos) << csv;
    }
}

TEST(NumbersCsv, DatesAreTheCalendarDayOrKeptWhole) {
    struct Case {
        const char* stored;
        const char* written;
    };
    const Case cases[] = {
        {"2026-03-04 05:06:07", "2026-03-04"},
        {"2026-03-04", "2026-03-04"},
        {"2026-03-04T05:06:07", "2026-03-04"},
        {"", ""},
        {"3/4/2026", "3/4/2026"},
        {"2026-3-04 05:06", "2026-3-04 05:06"},
        {"2026-03-045", "2026-03-045"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsoDate(c.stored), c.written) << c.stored;
    }
}

} // namespace
} // namespace tarnwick
