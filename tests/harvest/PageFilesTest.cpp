// The page files: names per slot, exact content on rewrite, and the line reading of the chain.
#include "harvest/PageFiles.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace tarnwick {
namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

TEST(PageFiles, NamesPerSlot) {
    EXPECT_EQ(PageFilePath("/app", 3), "/app/html3.txt");
    EXPECT_EQ(FlatPageFilePath("/app", 3), "/app/html23.txt");
    EXPECT_EQ(FlatPageFilePath("/app", 0), "/app/html20.txt");
}

TEST(PageFiles, ARewriteLeavesExactlyTheNewTextWhateverWasThereBefore) {
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/html0.txt";
    for (const std::string& text :
         {std::string(70000, 'a'), std::string("short"), std::string(), std::string(9, 'b')}) {
        ASSERT_TRUE(WriteTextLine(path, text));
        EXPECT_EQ(Read(path), text + "\r\n");
        EXPECT_EQ(ReadWholeFile(path), text + "\r\n");
    }
    EXPECT_FALSE(WriteTextLine(dir.path().toStdString() + "/missing/html0.txt", "x"));
    EXPECT_FALSE(ReadWholeFile(dir.path().toStdString() + "/missing.txt").has_value());
}

struct LinesCase {
    std::string text;
    std::vector<std::string> lines;
};

TEST(PageFiles, LinesEndAtCrLfOrALoneCrButNotALoneLf) {
    const std::vector<LinesCase> cases = {
        {"", {}},
        {"one", {"one"}},
        {"one\r\n", {"one"}},
        {"one\r\ntwo\rthree\nstill three\r\n", {"one", "two", "three\nstill three"}},
        {"\r\n\r\nx", {"", "", "x"}},
        {"a\r\r\nb", {"a", "", "b"}},
    };
    for (const LinesCase& c : cases) {
        const std::vector<std::string_view> got = SplitReaderLines(c.text);
        EXPECT_EQ(std::vector<std::string>(got.begin(), got.end()), c.lines) << c.text;
    }
}

TEST(PageFiles, FlattenDropsEveryCrAndLf) {
    EXPECT_EQ(Flatten("a\r\nb\rc\nd\n\r"), "abcd");
    EXPECT_EQ(Flatten(""), "");
    EXPECT_EQ(Flatten("\r\n"), "");
}

} // namespace
} // namespace tarnwick
