// Reading text of a parsed page.
#include "webfax/PageReading.h"

#include "text/Cp1252.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <gumbo.h>
#include <memory>

namespace tarnwick {

namespace {

constexpr std::size_t kMaxParsedBytes = 2u * 1024u * 1024u;
// The parser's time grows with the square of the open elements; real pages stay far below.
constexpr int kMaxDepth = 400;
constexpr std::size_t kMaxFaxValues = 64;
constexpr std::size_t kMaxCellText = 128;
constexpr std::size_t kMaxTableColumns = 64;
constexpr int kMaxColspan = 16;
constexpr std::uint32_t kFaxMachine = 0x1F4E0;

bool IsLower(char c) {
    return c >= 'a' && c <= 'z';
}

bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}

bool IsLetter(char c) {
    return IsLower(c) || IsUpper(c);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// `word` (lower case) at `at` of `value` stands as a word or word part: not continued by a
// lower-case letter on either side, unless a case change starts or ends it ("contactFax").
bool IsWordPartAt(std::string_view value, std::size_t at, std::size_t length) {
    const bool startOk =
        at == 0 || !IsLetter(value[at - 1]) || (IsUpper(value[at]) && IsLower(value[at - 1]));
    const std::size_t end = at + length;
    const bool endOk =
        end >= value.size() || !IsLetter(value[end]) || (IsUpper(value[end]) && IsLower(value[end - 1]));
    return startOk && endOk;
}

bool HasWordPart(std::string_view value, std::string_view word) {
    for (std::size_t i = 0; i + word.size() <= value.size(); ++i) {
        if (EqualsNoCase(value.substr(i, word.size()), word) && IsWordPartAt(value, i, word.size())) {
            return true;
        }
    }
    return false;
}

bool HasPhoneWordPart(std::string_view value) {
    // Responsive-layout classes ("hidden-phone") name a screen size, not a number.
    if (HasWordPart(value, "hidden") || HasWordPart(value, "visible")) {
        return false;
    }
    return HasWordPart(value, "phone") || HasWordPart(value, "telephone") || HasWordPart(value, "tel");
}

// --- Reading form of text -------------------------------------------------------------------

std::uint32_t NextCodePoint(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (i + length > text.size()) {
        length = 1;
    }
    std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            i += 1;
            return 0xFFFD;
        }
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    i += length;
    return length == 1 && lead >= 0x80 ? 0xFFFD : code;
}

// What one code point above ASCII reads as; 0 for nothing at all.
char ReadingOf(std::uint32_t code) {
    if (code >= 0xFF10 && code <= 0xFF19) {
        return static_cast<char>('0' + (code - 0xFF10));
    }
    switch (code) {
    case 0x00A0:
    case 0x202F:
    case 0x3000:
    case 0x205F:
    case 0x1680:
        return ' ';
    case 0x00AD:
    case 0x200B:
    case 0x200C:
    case 0x200D:
    case 0x2060:
    case 0xFEFF:
        return 0;
    case 0x2212:
    case 0xFE58:
    case 0xFE63:
    case 0xFF0D:
        return '-';
    case 0xFF0B:
        return '+';
    case 0xFF08:
        return '(';
    case 0xFF09:
        return ')';
    case 0xFF0E:
        return '.';
    case 0xFF1A:
        return ':';
    case 0x260E:
    case 0x260F:
    case 0x1F4DE:
    case 0x1F4F1: // telephones
        return kPhoneMark;
    default:
        break;
    }
    if (code >= 0x2000 && code <= 0x200A) {
        return ' ';
    }
    if (code >= 0x2010 && code <= 0x2015) {
        return '-';
    }
    const bool punctuation = (code >= 0xA1 && code <= 0xBF) || code == 0xD7 || code == 0xF7 ||
                             (code >= 0x2016 && code <= 0x206F) || (code >= 0x2190 && code <= 0x2BFF) ||
                             (code >= 0x3001 && code <= 0x3003) || (code >= 0xE000 && code <= 0xF8FF) ||
                             (code >= 0xFF01 && code <= 0xFF0F) || (code >= 0xFF1A && code <= 0xFF20) ||
                             code >= 0x1F000;
    return punctuation ? '|' : 'a';
}

// --- JSON-LD --------------------------------------------------------------------------------

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = LowerAscii(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The JSON string whose opening quote is at `i`; `i` ends after its closing quote.
std::string ReadJsonString(std::string_view json, std::size_t& i) {
    std::string out;
    ++i;
    while (i < json.size() && json[i] != '"') {
        if (json[i] != '\\' || i + 1 >= json.size()) {
            out += json[i++];
            continue;
        }
        const char escaped = json[i + 1];
        i += 2;
        if (escaped == 'u' && i + 4 <= json.size()) {
            std::uint32_t code = 0;
            bool hex = true;
            for (std::size_t k = 0; k < 4; ++k) {
                const int v = HexValue(json[i + k]);
                hex = hex && v >= 0;
                code = code * 16 + static_cast<std::uint32_t>(std::max(v, 0));
            }
            if (hex) {
                i += 4;
                AppendUtf8(out, code >= 0xD800 && code <= 0xDFFF ? 0xFFFD : code);
            }
        } else {
            out += escaped == 'n' || escaped == 't' || escaped == 'r' ? ' ' : escaped;
        }
    }
    ++i;
    return out;
}

void SkipJsonSpace(std::string_view json, std::size_t& i) {
    while (i < json.size() && (json[i] == ' ' || json[i] == '\t' || json[i] == '\r' || json[i] == '\n')) {
        ++i;
    }
}

bool IsFaxNumberKey(std::string_view key) {
    // Plain, prefixed ("schema:faxNumber") or a full property address.
    return key == "faxNumber" || key.ends_with(":faxNumber") || key.ends_with("/faxNumber");
}

// A value after a faxNumber key: a string, a bare number, or every string of an array.
void ReadJsonFaxValue(std::string_view json, std::size_t& i, std::vector<std::string>& values) {
    SkipJsonSpace(json, i);
    if (i >= json.size()) {
        return;
    }
    if (json[i] == '"') {
        values.push_back(ReadJsonString(json, i));
        return;
    }
    if (json[i] == '+' || (json[i] >= '0' && json[i] <= '9')) {
        const std::size_t start = i;
        while (i < json.size() && std::strchr("0123456789+-.eE", json[i]) != nullptr) {
            ++i;
        }
        values.emplace_back(json.substr(start, i - start));
        return;
    }
    if (json[i] != '[') {
        return;
    }
    ++i;
    for (int depth = 1; i < json.size() && depth > 0 && values.size() < kMaxFaxValues;) {
        if (json[i] == '"') {
            values.push_back(ReadJsonString(json, i));
            continue;
        }
        depth += json[i] == '[' ? 1 : json[i] == ']' ? -1 : 0;
        ++i;
    }
}

// --- The walk over the parsed page -----------------------------------------------------------

std::string_view AttributeOf(const GumboElement& element, const char* name) {
    const GumboAttribute* attribute = gumbo_get_attribute(&element.attributes, name);
    return attribute != nullptr ? std::string_view(attribute->value) : std::string_view();
}

bool HasToken(std::string_view value, bool (*matches)(std::string_view)) {
    std::size_t i = 0;
    while (i < value.size()) {
        while (i < value.size() && value[i] == ' ') {
            ++i;
        }
        std::size_t end = i;
        while (end < value.size() && value[end] != ' ') {
            ++end;
        }
        if (end > i && matches(value.substr(i, end - i))) {
            return true;
        }
        i = end;
    }
    return false;
}

bool IsBlock(GumboTag tag) {
    switch (tag) {
    case GUMBO_TAG_P:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_LI:
    case GUMBO_TAG_UL:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_DL:
    case GUMBO_TAG_DT:
    case GUMBO_TAG_DD:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
    case GUMBO_TAG_SECTION:
    case GUMBO_TAG_ARTICLE:
    case GUMBO_TAG_HEADER:
    case GUMBO_TAG_FOOTER:
    case GUMBO_TAG_ADDRESS:
    case GUMBO_TAG_ASIDE:
    case GUMBO_TAG_NAV:
    case GUMBO_TAG_MAIN:
    case GUMBO_TAG_FORM:
    case GUMBO_TAG_FIELDSET:
    case GUMBO_TAG_BLOCKQUOTE:
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_FIGURE:
    case GUMBO_TAG_FIGCAPTION:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_BR:
    case GUMBO_TAG_CAPTION:
    case GUMBO_TAG_OPTION:
    case GUMBO_TAG_LEGEND:
    case GUMBO_TAG_CENTER:
    case GUMBO_TAG_BODY:
    case GUMBO_TAG_TD:
    case GUMBO_TAG_TH:
        return true;
    default:
        return false;
    }
}

bool IsSkipped(GumboTag tag) {
    switch (tag) {
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_NOSCRIPT:
    case GUMBO_TAG_TEMPLATE:
    case GUMBO_TAG_TEXTAREA:
    case GUMBO_TAG_TITLE:
    case GUMBO_TAG_IFRAME:
        return true;
    default:
        return false;
    }
}

bool IsFaxProperty(std::string_view token) {
    return IsFaxNumberKey(token);
}

bool IsTelephoneProperty(std::string_view token) {
    return token == "telephone" || token.ends_with(":telephone") || token.ends_with("/telephone");
}

// Visible text of an element, folded, up to `limit` characters: enough to judge a table
// heading or a link text.
std::string ShortTextOf(const GumboNode* node, std::size_t limit) {
    std::string text;
    std::vector<const GumboNode*> stack{node};
    std::size_t visited = 0;
    while (!stack.empty() && text.size() < limit && ++visited < 4 * limit) {
        const GumboNode* current = stack.back();
        stack.pop_back();
        if (current->type == GUMBO_NODE_TEXT || current->type == GUMBO_NODE_WHITESPACE) {
            AppendReadingText(text, std::string_view(current->v.text.text).substr(0, limit));
            text += ' ';
        } else if (current->type == GUMBO_NODE_ELEMENT && !IsSkipped(current->v.element.tag)) {
            const GumboVector& children = current->v.element.children;
            for (unsigned k = children.length; k > 0; --k) {
                stack.push_back(static_cast<const GumboNode*>(children.data[k - 1]));
            }
        }
    }
    return text;
}

bool SaysFax(std::string_view readingText) {
    return HasWordPart(readingText, "fax") || HasWordPart(readingText, "facsimile");
}

int ColspanOf(const GumboElement& cell) {
    const std::string_view value = AttributeOf(cell, "colspan");
    int span = 0;
    for (const char c : value) {
        if (c < '0' || c > '9' || span >= kMaxColspan) {
            break;
        }
        span = span * 10 + (c - '0');
    }
    return std::clamp(span, 1, kMaxColspan);
}

struct TableContext {
    const GumboNode* table = nullptr;
    const GumboNode* headerRow = nullptr;
    std::array<char, kMaxTableColumns> columns{}; // kFaxMark, kPhoneMark or 0 per column
    const GumboNode* row = nullptr;
    std::size_t column = 0;
};

std::vector<const GumboNode*> RowsOf(const GumboNode* table, const GumboNode** headRow) {
    std::vector<const GumboNode*> rows;
    const GumboVector& children = table->v.element.children;
    for (unsigned k = 0; k < children.length; ++k) {
        const auto* child = static_cast<const GumboNode*>(children.data[k]);
        if (child->type != GUMBO_NODE_ELEMENT) {
            continue;
        }
        const GumboTag tag = child->v.element.tag;
        if (tag == GUMBO_TAG_TR) {
            rows.push_back(child);
        } else if (tag == GUMBO_TAG_THEAD || tag == GUMBO_TAG_TBODY || tag == GUMBO_TAG_TFOOT) {
            const GumboVector& sectionRows = child->v.element.children;
            for (unsigned r = 0; r < sectionRows.length; ++r) {
                const auto* row = static_cast<const GumboNode*>(sectionRows.data[r]);
                if (row->type == GUMBO_NODE_ELEMENT && row->v.element.tag == GUMBO_TAG_TR) {
                    if (tag == GUMBO_TAG_THEAD && *headRow == nullptr) {
                        *headRow = row;
                    }
                    rows.push_back(row);
                }
            }
        }
        if (!rows.empty()) {
            break;
        }
    }
    return rows;
}

// The columns headed Fax (and those headed with a telephone word) of a table whose first row
// is a heading row: in its head section, or made of heading cells only.
TableContext ContextOf(const GumboNode* table) {
    TableContext context;
    context.table = table;
    const GumboNode* headRow = nullptr;
    const std::vector<const GumboNode*> rows = RowsOf(table, &headRow);
    const GumboNode* first = headRow != nullptr ? headRow : rows.empty() ? nullptr : rows.front();
    if (first == nullptr) {
        return context;
    }
    std::vector<const GumboNode*> cells;
    bool allHeadings = true;
    const GumboVector& children = first->v.element.children;
    for (unsigned k = 0; k < children.length; ++k) {
        const auto* cell = static_cast<const GumboNode*>(children.data[k]);
        if (cell->type == GUMBO_NODE_ELEMENT &&
            (cell->v.element.tag == GUMBO_TAG_TD || cell->v.element.tag == GUMBO_TAG_TH)) {
            allHeadings = allHeadings && cell->v.element.tag == GUMBO_TAG_TH;
            cells.push_back(cell);
        }
    }
    if (cells.empty() || (!allHeadings && headRow == nullptr)) {
        return context;
    }
    context.headerRow = first;
    std::size_t column = 0;
    for (const GumboNode* cell : cells) {
        const std::string text = ShortTextOf(cell, kMaxCellText);
        const char mark = SaysFax(text) ? kFaxMark : HasPhoneWordPart(text) ? kPhoneMark : 0;
        for (int span = ColspanOf(cell->v.element); span > 0 && column < kMaxTableColumns; --span) {
            context.columns[column++] = mark;
        }
    }
    return context;
}

class PageWalk final {
public:
    PageReading Run(const GumboNode* root) {
        struct Frame {
            const GumboNode* node;
            unsigned next;
        };
        std::vector<Frame> stack;
        if (Enter(root)) {
            stack.push_back({root, 0});
        }
        while (!stack.empty()) {
            Frame& frame = stack.back();
            const GumboVector& children = frame.node->v.element.children;
            if (frame.next >= children.length) {
                Leave(frame.node);
                stack.pop_back();
                continue;
            }
            const auto* child = static_cast<const GumboNode*>(children.data[frame.next++]);
            if (child->type == GUMBO_NODE_ELEMENT) {
                if (Enter(child)) {
                    stack.push_back({child, 0});
                }
            } else if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE ||
                       child->type == GUMBO_NODE_CDATA) {
                AppendReadingText(reading_.text, child->v.text.text);
            }
        }
        return std::move(reading_);
    }

private:
    void AddValue(std::string value) {
        if (reading_.faxValues.size() < kMaxFaxValues) {
            reading_.faxValues.push_back(std::move(value));
        }
    }

    void ReadJsonLd(const GumboNode* script) {
        const GumboVector& children = script->v.element.children;
        for (unsigned k = 0; k < children.length; ++k) {
            const auto* child = static_cast<const GumboNode*>(children.data[k]);
            if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE) {
                for (std::string& value : JsonFaxValues(child->v.text.text)) {
                    AddValue(std::move(value));
                }
            }
        }
    }

    // fax: links always; tel: links when their text, title or aria-label says fax. True when
    // the link's number was taken.
    bool ReadLink(const GumboNode* node) {
        const GumboElement& element = node->v.element;
        const std::string_view href = AttributeOf(element, "href");
        const bool fax = StartsWithNoCase(href, "fax:");
        const bool telSayingFax =
            StartsWithNoCase(href, "tel:") &&
            (HasFaxWordPart(AttributeOf(element, "title")) ||
             HasFaxWordPart(AttributeOf(element, "aria-label")) || SaysFax(ShortTextOf(node, kMaxCellText)));
        if (fax || telSayingFax) {
            AddValue(std::string(href.substr(4)));
        }
        return fax || telSayingFax;
    }

    // Microdata or RDFa faxNumber given as an attribute; a text value is read from the text.
    void ReadProperty(const GumboElement& element) {
        if (!HasToken(AttributeOf(element, "itemprop"), IsFaxProperty) &&
            !HasToken(AttributeOf(element, "property"), IsFaxProperty)) {
            return;
        }
        if (const GumboAttribute* content = gumbo_get_attribute(&element.attributes, "content")) {
            AddValue(content->value);
        } else if (element.tag == GUMBO_TAG_LINK || element.tag == GUMBO_TAG_META) {
            const std::string_view href = AttributeOf(element, "href");
            const std::size_t colon = href.find(':');
            AddValue(std::string(colon == std::string_view::npos ? href : href.substr(colon + 1)));
        }
    }

    char MarkOf(const GumboElement& element) const {
        static constexpr std::array<const char*, 6> kLabelAttributes = {"class", "id",       "aria-label",
                                                                        "title", "itemprop", "property"};
        for (const char* name : kLabelAttributes) {
            if (HasFaxWordPart(AttributeOf(element, name))) {
                return kFaxMark;
            }
        }
        if (element.tag_namespace == GUMBO_NAMESPACE_SVG || element.tag == GUMBO_TAG_IMG) {
            for (const char* name : {"href", "xlink:href", "src", "alt"}) {
                if (HasFaxWordPart(AttributeOf(element, name))) {
                    return kFaxMark;
                }
            }
        }
        if (HasToken(AttributeOf(element, "itemprop"), IsTelephoneProperty) ||
            HasPhoneWordPart(AttributeOf(element, "class"))) {
            return kPhoneMark;
        }
        return 0;
    }

    // A cell's column mark, when its row is one of the current table's own rows.
    char ColumnMark(const GumboNode* cell) {
        if (tables_.empty()) {
            return 0;
        }
        TableContext& table = tables_.back();
        if (cell->parent != table.row || table.row == table.headerRow) {
            if (cell->parent == table.row) {
                table.column += static_cast<std::size_t>(ColspanOf(cell->v.element));
            }
            return 0;
        }
        const std::size_t column = table.column;
        table.column += static_cast<std::size_t>(ColspanOf(cell->v.element));
        return column < kMaxTableColumns ? table.columns[column] : 0;
    }

    void EnterRow(const GumboNode* row) {
        if (tables_.empty()) {
            return;
        }
        TableContext& table = tables_.back();
        const GumboNode* parent = row->parent;
        if (parent == table.table || (parent != nullptr && parent->parent == table.table)) {
            table.row = row;
            table.column = 0;
        }
    }

    bool Enter(const GumboNode* node) {
        const GumboElement& element = node->v.element;
        const GumboTag tag = element.tag;
        if (tag == GUMBO_TAG_SCRIPT && EqualsNoCase(AttributeOf(element, "type"), "application/ld+json")) {
            ReadJsonLd(node);
        }
        if (IsSkipped(tag)) {
            return false;
        }
        ReadProperty(element);
        if (tag == GUMBO_TAG_A && ReadLink(node)) {
            reading_.text += kValueTaken;
            return false;
        }
        if (tag == GUMBO_TAG_TABLE) {
            tables_.push_back(ContextOf(node));
            reading_.text += kRowBreak;
        } else if (tag == GUMBO_TAG_TR) {
            EnterRow(node);
            reading_.text += kRowBreak;
        } else if (IsBlock(tag)) {
            reading_.text += kBlockBreak;
        }
        const bool block = tag == GUMBO_TAG_TABLE || tag == GUMBO_TAG_TR || IsBlock(tag);
        if (block) {
            blockMarks_.push_back(0);
        }
        char mark = MarkOf(element);
        if ((tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH) && mark == 0) {
            mark = ColumnMark(node);
        }
        if (mark == kFaxMark) {
            ++blockMarks_.back();
        }
        if (mark != 0) {
            reading_.text += mark;
        }
        return true;
    }

    void Leave(const GumboNode* node) {
        const GumboTag tag = node->v.element.tag;
        if ((tag == GUMBO_TAG_TABLE || tag == GUMBO_TAG_TR || IsBlock(tag)) && blockMarks_.size() > 1) {
            reading_.text.append(static_cast<std::size_t>(blockMarks_.back()), kMarkEnd);
            blockMarks_.pop_back();
        }
        if (tag == GUMBO_TAG_TABLE) {
            tables_.pop_back();
            reading_.text += kRowBreak;
        } else if (tag == GUMBO_TAG_TR) {
            reading_.text += kRowBreak;
        } else if (IsBlock(tag)) {
            reading_.text += kBlockBreak;
        }
    }

    PageReading reading_;
    std::vector<TableContext> tables_;
    // Per open block element: the labels of the markup that belong to it.
    std::vector<int> blockMarks_{0};
};

bool IsVoidElement(std::string_view name) {
    static constexpr std::array<std::string_view, 14> kVoid = {"area",  "base",   "br",    "col",  "embed",
                                                               "hr",    "img",    "input", "link", "meta",
                                                               "param", "source", "track", "wbr"};
    return std::find(kVoid.begin(), kVoid.end(), name) != kVoid.end();
}

// Elements whose end tag may be left out: a page of unclosed paragraphs is not deep.
bool EndTagOptional(std::string_view name) {
    static constexpr std::array<std::string_view, 14> kOptional = {
        "p",      "li",       "dt",    "dd",    "tr",    "td",   "th",
        "option", "optgroup", "tbody", "thead", "tfoot", "html", "body"};
    return std::find(kOptional.begin(), kOptional.end(), name) != kOptional.end();
}

} // namespace

void AppendReadingText(std::string& out, std::string_view utf8) {
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            out += byte < 0x20 || byte == 0x7F ? ' ' : static_cast<char>(byte);
            ++i;
            continue;
        }
        const std::uint32_t code = NextCodePoint(utf8, i);
        if (code == kFaxMachine) {
            out += " fax ";
        } else if (const char reading = ReadingOf(code); reading != 0) {
            out += reading;
        }
    }
}

bool HasFaxWordPart(std::string_view value) {
    return HasWordPart(value, "fax");
}

std::vector<std::string> JsonFaxValues(std::string_view json) {
    std::vector<std::string> values;
    std::size_t i = 0;
    while (i < json.size() && values.size() < kMaxFaxValues) {
        if (json[i] != '"') {
            ++i;
            continue;
        }
        const std::string text = ReadJsonString(json, i);
        SkipJsonSpace(json, i);
        if (i < json.size() && json[i] == ':' && IsFaxNumberKey(text)) {
            ++i;
            ReadJsonFaxValue(json, i, values);
        }
    }
    if (values.size() > kMaxFaxValues) {
        values.resize(kMaxFaxValues);
    }
    return values;
}

std::size_t ParsableLength(std::string_view html, std::size_t maxBytes, int maxDepth) {
    const std::size_t limit = std::min(html.size(), maxBytes);
    int depth = 0;
    std::size_t i = 0;
    std::size_t nextClose = 0;
    while (i < limit) {
        const std::size_t open = html.find('<', i);
        if (open == std::string_view::npos || open + 1 >= limit) {
            return limit;
        }
        std::size_t k = open + 1;
        const bool closing = html[k] == '/';
        k += closing ? 1 : 0;
        const std::size_t nameStart = k;
        while (k < limit && IsLetter(html[k])) {
            ++k;
        }
        if (k == nameStart) {
            i = open + 1;
            continue;
        }
        std::string name;
        for (std::size_t n = nameStart; n < k; ++n) {
            name += LowerAscii(html[n]);
        }
        // The next ">" is looked up again only once passed, so a page of unclosed tags stays linear.
        if (nextClose != std::string_view::npos && nextClose < k) {
            nextClose = html.find('>', k);
        }
        const std::size_t close = nextClose;
        const bool selfClosing = close != std::string_view::npos && close > k && html[close - 1] == '/';
        if (!IsVoidElement(name) && !EndTagOptional(name) && !selfClosing) {
            depth += closing ? (depth > 0 ? -1 : 0) : 1;
            if (depth > maxDepth) {
                return open;
            }
        }
        // Script and style bodies hold no tags.
        if (!closing && (name == "script" || name == "style")) {
            const std::string endTag = "</" + name;
            std::size_t end = k;
            while (end != std::string_view::npos && end < limit &&
                   !StartsWithNoCase(html.substr(end), endTag)) {
                end = html.find('<', end + 1);
            }
            i = end == std::string_view::npos ? limit : end;
            continue;
        }
        i = k;
    }
    return limit;
}

PageReading ReadPage(std::string_view utf8Html) {
    const std::size_t length = ParsableLength(utf8Html, kMaxParsedBytes, kMaxDepth);
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0;
    const auto destroy = [&options](GumboOutput* output) { gumbo_destroy_output(&options, output); };
    const std::unique_ptr<GumboOutput, decltype(destroy)> output(
        gumbo_parse_with_options(&options, utf8Html.data(), length), destroy);
    if (!output || output->root == nullptr) {
        return {};
    }
    return PageWalk().Run(output->root);
}

} // namespace tarnwick
