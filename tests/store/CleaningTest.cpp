// The cleaning rules applied to websites, fax numbers and phrases before they are stored.
#include "store/Cleaning.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

struct CleaningCase {
    const char* input;
    const char* expected;
};

TEST(CleanWebsite, RemovesSchemesAnywhereInAnyCaseThenTrims) {
    const CleaningCase cases[] = {
        {"HTTP://www.example.com/", "www.example.com/"},
        {"  HtTp://www.example.com/page  ", "www.example.com/page"},
        {"www.example.com", "www.example.com"},
        {"www.a.com/go?to=http://www.b.com", "www.a.com/go?to=www.b.com"},
        {"www.a.com/x://y", "www.a.com/xy"},
        {"ttp://a.com", "a.com"},
        {"TP://a.com", "a.com"},
        {"p://a.com", "a.com"},
        {"://a.com", "a.com"},
        // Only the listed forms go: what is left of another scheme stays.
        {"ftp://a.com", "fa.com"},
        {"https://a.com", "httpsa.com"},
        // One pass per form: a "://" that the removal itself joins together stays.
        {":/:///a", "://a"},
        {"http://http://a.com", "a.com"},
        // Only spaces are trimmed.
        {"\ta.com ", "\ta.com"},
        {"   ", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CleanWebsite(c.input), c.expected) << "input: \"" << c.input << '"';
    }
}

TEST(CleanFax, RemovesOneTrailingDotThenTrims) {
    const CleaningCase cases[] = {
        {"1-555-123-4567.", "1-555-123-4567"},
        {"  1-555-123-4567  ", "1-555-123-4567"},
        {"1-555-123-4567..", "1-555-123-4567."},
        // The dot goes only when it is the very last character, before trimming.
        {"1-555-123-4567. ", "1-555-123-4567."},
        {" +4420712345 .", "+4420712345"},
        {".", ""},
        {"", ""},
        {"1.555.123", "1.555.123"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CleanFax(c.input), c.expected) << "input: \"" << c.input << '"';
    }
}

TEST(TrimSpaces, TrimsSpacesOnlyAtBothEnds) {
    const CleaningCase cases[] = {
        {"  fax machines  ", "fax machines"},
        {"fax", "fax"},
        {" \tfax\t ", "\tfax\t"},
        {"    ", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TrimSpaces(c.input), c.expected) << "input: \"" << c.input << '"';
    }
}

} // namespace
} // namespace tarnwick
