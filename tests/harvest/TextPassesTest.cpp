// Search and single-pass replacement, exact and ASCII-case-blind, short and long patterns.
#include "harvest/TextPasses.h"

#include <gtest/gtest.h>
#include <random>

namespace tarnwick {
namespace {

TEST(ReplaceAll, OneLeftToRightPass) {
    const struct {
        const char* text;
        const char* find;
        const char* with;
        LetterCase letterCase;
        const char* result;
    } cases[] = {
        {"a//b///c", "//", "/", LetterCase::Exact, "a/b//c"},
        {"Fax fAX faX", "fax", "", LetterCase::Ignore, "  "},
        {"Fax fAX faX", "fax", "", LetterCase::Exact, "Fax fAX faX"},
        // What a replacement forms is not looked at again.
        {"ffaxax", "fax", "", LetterCase::Ignore, "fax"},
        {"aaa", "aa", "a", LetterCase::Exact, "aa"},
        {"xyz", "", "-", LetterCase::Exact, "xyz"},
        {"", "a", "b", LetterCase::Exact, ""},
        // Only ASCII letters fold: bytes above 127 compare exactly.
        {"\xC9t\xE9", "\xE9", "e", LetterCase::Ignore, "\xC9te"},
        {"A[a{", "[", "(", LetterCase::Ignore, "A(a{"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReplaceAll(c.text, c.find, c.with, c.letterCase), c.result) << c.text << " / " << c.find;
    }
}

std::string SlowReplace(const std::string& text, const std::string& find, bool ignoreCase) {
    const auto fold = [&](char c) { return ignoreCase ? FoldAscii(c) : c; };
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool match = i + find.size() <= text.size();
        for (std::size_t j = 0; match && j < find.size(); ++j) {
            match = fold(text[i + j]) == fold(find[j]);
        }
        if (match) {
            out += '#';
            i += find.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

TEST(ReplaceAll, LongPatternsAgreeWithADirectSearch) {
    // Patterns past the direct-search length go through the failure table; a two-letter
    // alphabet makes partial matches and restarts frequent.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> letter(0, 3);
    const char letters[] = {'a', 'b', 'A', 'B'};
    for (int round = 0; round < 3000; ++round) {
        std::string find;
        for (int n = 14 + round % 8; n > 0; --n) {
            find += letters[letter(random) % 2];
        }
        std::string text;
        for (int n = 0; n < 300; ++n) {
            text += (n % 50 == 0) ? find : std::string(1, letters[letter(random)]);
        }
        for (const bool ignoreCase : {false, true}) {
            ASSERT_EQ(ReplaceAll(text, find, "#", ignoreCase ? LetterCase::Ignore : LetterCase::Exact),
                      SlowReplace(text, find, ignoreCase))
                << text << " / " << find;
        }
    }
}

} // namespace
} // namespace tarnwick
