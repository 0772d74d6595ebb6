// Gzip bodies: whole and concatenated members, the cap on the decoded size (a bomb far beyond
// it), truncated and corrupt data, and which Content-Encoding values mean gzip.
#include "harvest/GzipBody.h"

#include "Gzipped.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tarnwick {
namespace {

using test::Gzipped;

std::string PageText(std::size_t size) {
    std::string text;
    for (std::size_t i = 0; text.size() < size; ++i) {
        text += "<p>Fax: 1-212-555-" + std::to_string(1000 + i % 9000) + "</p>\r\n";
    }
    text.resize(size);
    return text;
}

TEST(GzipBody, DecodesWholeMembersOneAfterTheOther) {
    const std::string page = PageText(300'000);
    const std::vector<std::pair<std::string, std::string>> cases{
        {Gzipped(""), ""},
        {Gzipped("x"), "x"},
        {Gzipped(page), page},
        {Gzipped("first ") + Gzipped("second"), "first second"},
        {Gzipped("a") + Gzipped("") + Gzipped("b"), "ab"},
        {Gzipped("padded") + std::string(16, '\0'), "padded"},
    };
    for (const auto& [data, text] : cases) {
        const GzipBody body = DecodeGzip(data);
        EXPECT_EQ(body.end, GzipEnd::Whole) << text.substr(0, 20);
        EXPECT_EQ(body.text, text);
    }
}

TEST(GzipBody, ABombStopsAtTheCap) {
    const std::string bomb = Gzipped(std::string(kMaxDecodedBytes * 2, '\0'));
    ASSERT_LT(bomb.size(), 64u * 1024);
    const GzipBody body = DecodeGzip(bomb);
    EXPECT_EQ(body.end, GzipEnd::TooLarge);
    EXPECT_EQ(body.text.size(), kMaxDecodedBytes);
    EXPECT_EQ(body.text.find_first_not_of('\0'), std::string::npos);
}

TEST(GzipBody, ATextOfExactlyTheCapIsWhole) {
    const std::string page = PageText(1000);
    EXPECT_EQ(DecodeGzip(Gzipped(page), page.size()).end, GzipEnd::Whole);
    const GzipBody over = DecodeGzip(Gzipped(page + "!"), page.size());
    EXPECT_EQ(over.end, GzipEnd::TooLarge);
    EXPECT_EQ(over.text, page);
    const GzipBody twoMembers = DecodeGzip(Gzipped(page) + Gzipped("!"), page.size());
    EXPECT_EQ(twoMembers.end, GzipEnd::TooLarge);
    EXPECT_EQ(twoMembers.text, page);
}

TEST(GzipBody, TruncatedAndCorruptDataFailClearly) {
    const std::string page = PageText(200'000);
    const std::string whole = Gzipped(page);
    std::string badChecksum = whole;
    badChecksum[badChecksum.size() - 6] ^= 0x55;
    std::string badLength = whole;
    badLength[badLength.size() - 2] ^= 0x01;
    std::string badDeflate = whole;
    badDeflate[10] = '\xFF'; // the first block header: an invalid block type
    struct Case {
        const char* label;
        std::string data;
        GzipEnd end;
    };
    const std::vector<Case> cases{
        {"empty", "", GzipEnd::Truncated},
        {"the trailer cut off", whole.substr(0, whole.size() - 8), GzipEnd::Truncated},
        {"cut in the middle", whole.substr(0, whole.size() / 2), GzipEnd::Truncated},
        {"only the magic bytes", whole.substr(0, 2), GzipEnd::Truncated},
        {"a second member cut", whole + whole.substr(0, 30), GzipEnd::Truncated},
        {"plain text", "<html>not gzip</html>", GzipEnd::Broken},
        {"wrong checksum", badChecksum, GzipEnd::Broken},
        {"wrong length", badLength, GzipEnd::Broken},
        {"an invalid block", badDeflate, GzipEnd::Broken},
        {"a corrupt second member", whole + badDeflate, GzipEnd::Broken},
    };
    for (const Case& c : cases) {
        const GzipBody body = DecodeGzip(c.data);
        EXPECT_EQ(body.end, c.end) << c.label;
        EXPECT_LE(body.text.size(), 2 * page.size()) << c.label;
    }
    // What decoded before the fault is kept, and it is a true prefix of the page.
    const GzipBody half = DecodeGzip(whole.substr(0, whole.size() / 2));
    EXPECT_GT(half.text.size(), 0u);
    EXPECT_EQ(page.compare(0, half.text.size(), half.text), 0);
    EXPECT_EQ(DecodeGzip(whole + badDeflate).text, page);
}

TEST(GzipBody, NamesGzipInAnyLetterCase) {
    const std::vector<std::pair<std::string, bool>> cases{
        {"gzip", true}, {"GZIP", true}, {" gzip ", true},   {"x-gzip", true},    {"deflate", false},
        {"br", false},  {"", false},    {"gzipped", false}, {"identity", false},
    };
    for (const auto& [value, gzip] : cases) {
        EXPECT_EQ(IsGzipEncoding(value), gzip) << value;
    }
}

} // namespace
} // namespace tarnwick
