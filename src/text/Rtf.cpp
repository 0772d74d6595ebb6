// A forgiving RTF reader: one pass over the bytes with a stack of group states.
#include "text/Rtf.h"

#include "text/Cp1252.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace tarnwick {

namespace {

// The Windows-1252 byte for a code point, or '?' when the code page has none.
char ByteOf(long codePoint) {
    if (codePoint < 0) {
        codePoint += 65536; // RTF writes code points above 32767 as negative numbers
    }
    return codePoint < 0 || codePoint > 0xFFFF ? '?' : UnicodeToCp1252(static_cast<char32_t>(codePoint));
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Destinations whose text is not part of the document.
bool IsSkippedDestination(std::string_view word) {
    static constexpr std::array<std::string_view, 30> kSkipped = {"fonttbl",    "colortbl",
                                                                  "stylesheet", "info",
                                                                  "pict",       "header",
                                                                  "headerl",    "headerr",
                                                                  "headerf",    "footer",
                                                                  "footerl",    "footerr",
                                                                  "footerf",    "footnote",
                                                                  "fldinst",    "object",
                                                                  "themedata",  "colorschememapping",
                                                                  "datastore",  "latentstyles",
                                                                  "listtable",  "listoverridetable",
                                                                  "rsidtbl",    "generator",
                                                                  "xmlnsdecl",  "pgdsctbl",
                                                                  "filetbl",    "revtbl",
                                                                  "listtext",   "pntext"};
    return std::find(kSkipped.begin(), kSkipped.end(), word) != kSkipped.end();
}

constexpr int kDefaultHalfPoints = 24;
constexpr std::size_t kMaxDepth = 1000;
constexpr std::size_t kMaxWordLength = 32;

struct GroupState {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = kDefaultHalfPoints;
    RtfAlign align = RtfAlign::Left;
    int leftIndentTwips = 0;
    bool skip = false;
    int unicodeSkip = 1; // bytes of fallback text after each \u
};

class Reader final {
public:
    explicit Reader(std::string_view in)
        : in_(in) {}

    RtfDocument Read() {
        document_.paragraphs.emplace_back();
        while (pos_ < in_.size()) {
            const char c = in_[pos_++];
            switch (c) {
            case '{':
                OpenGroup();
                break;
            case '}':
                CloseGroup();
                break;
            case '\\':
                ControlSequence();
                break;
            case '\r':
            case '\n':
                break;
            default:
                Text(c);
                break;
            }
        }
        FinishParagraph(document_.paragraphs.back());
        return std::move(document_);
    }

private:
    void OpenGroup() {
        fallbackLeft_ = 0;
        if (stack_.size() >= kMaxDepth) {
            ++overflowDepth_; // deeper groups share their parent's state
            return;
        }
        stack_.push_back(state_);
    }

    void CloseGroup() {
        fallbackLeft_ = 0;
        if (overflowDepth_ > 0) {
            --overflowDepth_;
            return;
        }
        if (stack_.empty()) {
            return; // a stray closing brace
        }
        state_ = stack_.back();
        stack_.pop_back();
    }

    void ControlSequence() {
        if (pos_ >= in_.size()) {
            return;
        }
        const char c = in_[pos_];
        if (IsLetter(c)) {
            ControlWord();
            return;
        }
        ++pos_;
        switch (c) {
        case '\'':
            HexEscape();
            break;
        case '*':
            state_.skip = true; // an optional destination this reader does not know
            break;
        case '\\':
        case '{':
        case '}':
            Text(c);
            break;
        case '~':
            Text('\xA0');
            break;
        case '_':
            Text('-');
            break;
        case '\r':
        case '\n':
            ParagraphMark();
            break;
        default:
            break; // optional hyphen and unknown symbols
        }
    }

    void HexEscape() {
        if (pos_ + 2 > in_.size()) {
            return void(pos_ = in_.size());
        }
        const int high = HexDigitValue(in_[pos_]);
        const int low = HexDigitValue(in_[pos_ + 1]);
        if (high < 0 || low < 0) {
            return; // the malformed digits are read as text
        }
        pos_ += 2;
        Text(static_cast<char>(high * 16 + low));
    }

    void ControlWord() {
        const std::size_t start = pos_;
        while (pos_ < in_.size() && IsLetter(in_[pos_])) {
            ++pos_;
        }
        const std::string_view word = in_.substr(start, std::min(pos_ - start, kMaxWordLength));
        bool negative = false;
        if (pos_ + 1 < in_.size() && in_[pos_] == '-' && IsDigit(in_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        bool hasParam = false;
        long param = 0;
        while (pos_ < in_.size() && IsDigit(in_[pos_])) {
            hasParam = true;
            param = std::min(param * 10 + (in_[pos_] - '0'), 1'000'000'000L);
            ++pos_;
        }
        if (negative) {
            param = -param;
        }
        if (pos_ < in_.size() && in_[pos_] == ' ') {
            ++pos_;
        }
        Word(word, hasParam, param);
    }

    void Word(std::string_view word, bool hasParam, long param) {
        const bool on = !hasParam || param != 0;
        if (word == "par") {
            ParagraphMark();
        } else if (word == "line") {
            Append('\n');
        } else if (word == "tab") {
            Append('\t');
        } else if (word == "b") {
            state_.bold = on;
        } else if (word == "i") {
            state_.italic = on;
        } else if (word == "ul") {
            state_.underline = on;
        } else if (word == "ulnone") {
            state_.underline = false;
        } else if (word == "fs") {
            state_.halfPoints = param > 0 ? static_cast<int>(std::min(param, 3276L)) : kDefaultHalfPoints;
        } else if (word == "plain") {
            state_.bold = state_.italic = state_.underline = false;
            state_.halfPoints = kDefaultHalfPoints;
        } else if (word == "pard") {
            state_.align = RtfAlign::Left;
            state_.leftIndentTwips = 0;
        } else if (word == "ql") {
            state_.align = RtfAlign::Left;
        } else if (word == "qc") {
            state_.align = RtfAlign::Centre;
        } else if (word == "qr") {
            state_.align = RtfAlign::Right;
        } else if (word == "qj") {
            state_.align = RtfAlign::Justify;
        } else if (word == "li") {
            state_.leftIndentTwips = static_cast<int>(std::clamp(param, -31680L, 31680L));
        } else if (word == "uc") {
            state_.unicodeSkip = static_cast<int>(std::clamp(param, 0L, 10L));
        } else if (word == "u") {
            Text(ByteOf(param));
            fallbackLeft_ = state_.unicodeSkip;
        } else if (word == "bin") {
            pos_ += static_cast<std::size_t>(std::clamp(param, 0L, static_cast<long>(in_.size() - pos_)));
        } else if (word == "emdash") {
            Text('\x97');
        } else if (word == "endash") {
            Text('\x96');
        } else if (word == "bullet") {
            Text('\x95');
        } else if (word == "lquote") {
            Text('\x91');
        } else if (word == "rquote") {
            Text('\x92');
        } else if (word == "ldblquote") {
            Text('\x93');
        } else if (word == "rdblquote") {
            Text('\x94');
        } else if (IsSkippedDestination(word)) {
            state_.skip = true;
        }
    }

    // A character of the document text; fallback text after \u and control bytes are dropped.
    void Text(char c) {
        if (fallbackLeft_ > 0) {
            --fallbackLeft_;
            return;
        }
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
            return;
        }
        Append(c);
    }

    void Append(char c) {
        if (state_.skip) {
            return;
        }
        auto& runs = document_.paragraphs.back().runs;
        if (runs.empty() || !SameFormat(runs.back())) {
            runs.push_back({{}, state_.bold, state_.italic, state_.underline, state_.halfPoints});
        }
        runs.back().text.push_back(c);
    }

    bool SameFormat(const RtfRun& run) const {
        return run.bold == state_.bold && run.italic == state_.italic && run.underline == state_.underline &&
               run.halfPoints == state_.halfPoints;
    }

    void ParagraphMark() {
        if (state_.skip) {
            return;
        }
        FinishParagraph(document_.paragraphs.back());
        document_.paragraphs.emplace_back();
    }

    // A paragraph takes the paragraph format in force at its end, as RTF defines.
    void FinishParagraph(RtfParagraph& paragraph) const {
        paragraph.align = state_.align;
        paragraph.leftIndentTwips = state_.leftIndentTwips;
    }

    std::string_view in_;
    std::size_t pos_ = 0;
    GroupState state_;
    std::vector<GroupState> stack_;
    std::size_t overflowDepth_ = 0;
    int fallbackLeft_ = 0;
    RtfDocument document_;
};

void AppendEscaped(std::string& html, const std::string& text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '<':
            html += "&lt;";
            break;
        case '>':
            html += "&gt;";
            break;
        case '&':
            html += "&amp;";
            break;
        case '"':
            html += "&quot;";
            break;
        case '\n':
            html += "<br />";
            break;
        default:
            if (byte < 0x80) {
                html.push_back(c);
            } else {
                html += "&#" + std::to_string(Cp1252ToUnicode(byte)) + ";";
            }
            break;
        }
    }
}

std::string PointSize(int halfPoints) {
    return std::to_string(halfPoints / 2) + (halfPoints % 2 != 0 ? ".5" : "") + "pt";
}

std::string ParagraphStyle(const RtfParagraph& paragraph) {
    std::string style = "margin-top:0; margin-bottom:0; white-space:pre-wrap;";
    switch (paragraph.align) {
    case RtfAlign::Left:
        break;
    case RtfAlign::Centre:
        style += " text-align:center;";
        break;
    case RtfAlign::Right:
        style += " text-align:right;";
        break;
    case RtfAlign::Justify:
        style += " text-align:justify;";
        break;
    }
    if (paragraph.leftIndentTwips > 0) {
        style += " margin-left:" + std::to_string(paragraph.leftIndentTwips / 15) + "px;"; // 96 dpi
    }
    return style;
}

} // namespace

RtfDocument ReadRtf(std::string_view rtf) {
    return Reader(rtf).Read();
}

std::string RtfPlainText(const RtfDocument& document) {
    std::string text;
    for (std::size_t i = 0; i < document.paragraphs.size(); ++i) {
        if (i > 0) {
            text.push_back('\n');
        }
        for (const RtfRun& run : document.paragraphs[i].runs) {
            text += run.text;
        }
    }
    return text;
}

std::string RtfToHtml(const RtfDocument& document) {
    std::string html;
    const auto& paragraphs = document.paragraphs;
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        const RtfParagraph& paragraph = paragraphs[i];
        if (i + 1 == paragraphs.size() && i > 0 && paragraph.runs.empty()) {
            break; // nothing follows the last paragraph mark
        }
        if (paragraph.runs.empty()) {
            // A blank line: the break gives it a line's height, and the Qt-specific property stops
            // Qt's rich-text view from dropping it; other renderers ignore the property.
            html += "<p style=\"" + ParagraphStyle(paragraph) + " -qt-paragraph-type:empty;\"><br /></p>\n";
            continue;
        }
        html += "<p style=\"" + ParagraphStyle(paragraph) + "\">";
        for (const RtfRun& run : paragraph.runs) {
            html += "<span style=\"font-size:" + PointSize(run.halfPoints) + ";";
            if (run.bold) {
                html += " font-weight:bold;";
            }
            if (run.italic) {
                html += " font-style:italic;";
            }
            if (run.underline) {
                html += " text-decoration:underline;";
            }
            html += "\">";
            AppendEscaped(html, run.text);
            html += "</span>";
        }
        html += "</p>\n";
    }
    return html;
}

} // namespace tarnwick
