// Reading text of a parsed page.
#include "webfax/PageReading.h"

#include "webfax/JsonFaxValues.h"
#include "webfax/ParseBounds.h"
#include "webfax/WordParts.h"

#include <algorithm>
#include <array>
#include <gumbo.h>
#include <memory>

namespace tarnwick {

namespace {

constexpr std::size_t kMaxParsedBytes = 2u * 1024u * 1024u;
// The parser's time grows with the square of the open elements; real pages stay far below.
constexpr int kMaxDepth = 400;
constexpr std::size_t kMaxCellText = 128;
constexpr std::size_t kMaxTableColumns = 64;
constexpr int kMaxColspan = 16;

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

} // namespace

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
