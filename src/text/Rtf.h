// A reader for the part of RTF the help document uses: groups, paragraphs, bold, italic,
// underline, font sizes, alignment, indents, tabs and escaped characters. Never fails.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// A stretch of text with one character format. Text is Windows-1252 bytes.
struct RtfRun {
    std::string text;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 24; // font size in half points, as RTF counts it

    bool operator==(const RtfRun&) const = default;
};

enum class RtfAlign { Left, Centre, Right, Justify };

struct RtfParagraph {
    std::vector<RtfRun> runs;
    RtfAlign align = RtfAlign::Left;
    int leftIndentTwips = 0;

    bool operator==(const RtfParagraph&) const = default;
};

// Every paragraph of the document; the last one is the text after the final paragraph mark
// (often empty).
struct RtfDocument {
    std::vector<RtfParagraph> paragraphs;
};

// Reads any bytes as RTF: unknown control words and destinations are skipped, unbalanced
// braces and truncated escapes are tolerated.
[[nodiscard]] RtfDocument ReadRtf(std::string_view rtf);

// The paragraphs' text joined by "\n"; line breaks inside a paragraph are "\n" too.
[[nodiscard]] std::string RtfPlainText(const RtfDocument& document);

// An HTML body fragment for a rich-text view. Pure ASCII: characters beyond it are numeric
// references, so the caller needs no code-page conversion.
[[nodiscard]] std::string RtfToHtml(const RtfDocument& document);

} // namespace tarnwick
