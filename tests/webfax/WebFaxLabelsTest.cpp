// Today's-web fax reader: one row per written form, per label kind and per decoy, each with the
// numbers it must store.
#include "webfax/WebFax.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tarnwick {
namespace {

struct Row {
    const char* name;
    const char* body;
    std::vector<std::string> expected;
    const char* host = "www.example.com";
    bool allowInternational = false;
};

std::string Page(const std::string& body) {
    return "<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\"><title>Contact us</title>"
           "<link rel=\"stylesheet\" href=\"/site.css\"></head><body><header><nav><a href=\"/\">Home</a>"
           "</nav></header><main><h2>Contact</h2>" +
           body + "</main><footer><p>&copy; 2024 Example Co.</p></footer></body></html>";
}

std::vector<std::string> Numbers(const Row& row) {
    std::vector<std::string> numbers;
    for (const FoundFax& fax :
         FindWebFaxNumbers(Page(row.body), "text/html; charset=utf-8", row.host, row.allowInternational)) {
        numbers.push_back(fax.number);
    }
    return numbers;
}

const std::string kFax = "1-312-555-0143";

// Item 1 and 4: every way of writing the same North-American number.
const Row kWrittenForms[] = {
    {"international", "<p>Fax: +1 312 555 0143</p>", {kFax}},
    {"dots", "<p>Fax: 312.555.0143</p>", {kFax}},
    {"parentheses without space", "<p>Fax: (312)555-0143</p>", {kFax}},
    {"digits only", "<p>Fax: 3125550143</p>", {kFax}},
    {"trunk one and parentheses", "<p>Fax: 1 (312) 555-0143</p>", {kFax}},
    {"dashed country code", "<p>Fax: +1-312-555-0143</p>", {kFax}},
    {"no-break spaces", "<p>Fax:\u00a0312\u00a0555\u00a00143</p>", {kFax}},
    {"nbsp references", "<p>Fax:&nbsp;(312)&nbsp;555&#8209;0143</p>", {kFax}},
    {"narrow no-break space", "<p>Fax: 312\u202f555\u202f0143</p>", {kFax}},
    {"no-break hyphens", "<p>Fax: 312\u2011555\u20110143</p>", {kFax}},
    {"en dashes", "<p>Fax: 312\u2013555\u20130143</p>", {kFax}},
    {"minus signs", "<p>Fax: 312\u2212555\u22120143</p>", {kFax}},
    {"full-width digits",
     "<p>Fax: \uff13\uff11\uff12-\uff15\uff15\uff15-\uff10\uff11\uff14\uff13</p>",
     {kFax}},
    {"extension dropped", "<p>Fax: 312-555-0143 ext. 22</p>", {kFax}},
    {"extension as x", "<p>Fax: (312) 555-0143 x22</p>", {kFax}},
    {"year after the number", "<p>Fax: 312 555 0143 2024</p>", {kFax}},
    {"toll free area code", "<p>Fax (toll free): 1-800-555-0143</p>", {"1-800-555-0143"}},
    {"seven digits", "<p>Fax: 555-0143</p>", {}},
    {"too few digits", "<p>Fax: 312-555-014</p>", {}},
    {"too many digits", "<p>Fax: 312-555-01434567</p>", {}},
    {"foreign number without the option", "<p>Fax: +44 20 7946 0123</p>", {}},
    {"foreign number with the option",
     "<p>Fax: +44 20 7946 0123</p>",
     {"+44-20-7946-0123"},
     "www.example.com",
     true},
    {"foreign trunk zero in parentheses",
     "<p>Fax: +44 (0)20 7946 0123</p>",
     {"+44-20-7946-0123"},
     "www.example.com",
     true},
    {"national form on a British site",
     "<p>Fax: 020 7946 0123</p>",
     {"+44-20-7946-0123"},
     "www.example.co.uk",
     true},
    {"national form on a German site",
     "<p>Fax: 030 12345678</p>",
     {"+49-30-12345678"},
     "shop.example.de",
     true},
    {"slash between groups", "<p>Fax: 030/12345678</p>", {"+49-30-12345678"}, "www.example.de", true},
    {"slash between numbers", "<p>Fax: 312-555-0143 / 312-555-0144</p>", {kFax}},
    {"national form on a generic site", "<p>Fax: 020 7946 0123</p>", {}, "www.example.com", true},
    {"North-American number on a British site",
     "<p>Fax: +1 312 555 0143</p>",
     {kFax},
     "www.example.co.uk",
     true},
};

// Item 2: labels in the text.
const Row kTextLabels[] = {
    {"Fax colon", "<p>Fax: 312-555-0143</p>", {kFax}},
    {"upper case", "<p>FAX 312-555-0143</p>", {kFax}},
    {"lower case", "<p>fax 312-555-0143</p>", {kFax}},
    {"facsimile", "<p>Facsimile: 312-555-0143</p>", {kFax}},
    {"F colon", "<p>P: 312.555.0100 | F: 312.555.0143</p>", {kFax}},
    {"f dot", "<p>t. 312 555 0100 f. 312 555 0143</p>", {kFax}},
    {"e-fax", "<p>e-fax: 312-555-0143</p>", {kFax}},
    {"fax/phone", "<p>Fax/Phone: 312-555-0143</p>", {kFax}},
    {"phone/fax", "<p>Phone/Fax: 312-555-0143</p>", {kFax}},
    {"fax and phone", "<p>Fax and phone: 312-555-0143</p>", {kFax}},
    {"connector number", "<p>Fax number: 312-555-0143</p>", {kFax}},
    {"connector no.", "<p>Fax No. 312-555-0143</p>", {kFax}},
    {"connector hash", "<p>Fax #: 312-555-0143</p>", {kFax}},
    {"connector line", "<p>Fax line: 312-555-0143</p>", {kFax}},
    {"label in bold", "<p><strong>Fax:</strong> <span>312-555-0143</span></p>", {kFax}},
    {"label and number glued by tags", "<p><b>Fax</b><span>312-555-0143</span></p>", {kFax}},
    {"line break", "<p>Fax:<br>312-555-0143</p>", {kFax}},
    {"description list",
     "<dl><dt>Phone</dt><dd>312-555-0100</dd><dt>Fax</dt><dd>312-555-0143</dd></dl>",
     {kFax}},
    {"heading then block", "<h3>Fax</h3><p>312-555-0143</p>", {kFax}},
    {"label cell then number cell",
     "<table><tr><td>Phone:</td><td>312-555-0100</td></tr><tr><td>Fax:</td><td>312-555-0143</td></tr></"
     "table>",
     {kFax}},
    {"label, colon and number cells",
     "<table><tr><td>Fax</td><td>:</td><td>312-555-0143</td></tr></table>",
     {kFax}},
    {"label and value blocks",
     "<div class=\"row\"><div class=\"label\">Fax</div><div class=\"value\">"
     "312-555-0143</div></div>",
     {kFax}},
    {"tel and fax", "<p>Tel. &amp; Fax: 312-555-0143</p>", {kFax}},
    {"phone before fax", "<p>Tel: 312-555-0100 Fax: 312-555-0143</p>", {kFax}},
    {"fax before phone", "<p>Fax: 312-555-0143, Phone: 312-555-0100</p>", {kFax}},
    {"fax machine sign", "<p>\U0001F4E0 312-555-0143</p>", {kFax}},
};

// Item 3: labels in the markup.
const Row kMarkupLabels[] = {
    {"icon font", "<p><i class=\"fa fa-fax\"></i> (312) 555-0143</p>", {kFax}},
    {"svg sprite", "<p><svg class=\"icon\"><use href=\"#icon-fax\"/></svg> 312-555-0143</p>", {kFax}},
    {"svg sprite xlink", "<p><svg><use xlink:href=\"/sprite.svg#fax\"></use></svg> 312-555-0143</p>", {kFax}},
    {"class word part", "<li class=\"contact-fax\">312-555-0143</li>", {kFax}},
    {"id", "<span id=\"office_fax\">312-555-0143</span>", {kFax}},
    {"aria-label", "<p><span aria-label=\"Fax\" class=\"icon\"></span>312-555-0143</p>", {kFax}},
    {"title", "<p><abbr title=\"Fax number\">F</abbr> 312-555-0143</p>", {kFax}},
    {"camel case class", "<div class=\"contactFaxNumber\">312-555-0143</div>", {kFax}},
    {"image icon", "<p><img src=\"/img/icon-fax.png\" alt=\"\"> 312-555-0143</p>", {kFax}},
    {"JSON-LD",
     "<script "
     "type=\"application/ld+json\">{\"@type\":\"Organization\",\"faxNumber\":\"+1-312-555-0143\"}</script>",
     {kFax}},
    {"JSON-LD nested",
     "<script type=\"application/ld+json\">{\"@type\":\"Organization\",\"location\":{\"@type\":\"Place\","
     "\"address\":{\"streetAddress\":\"1 Main St\"},\"faxNumber\":\"(312) 555-0143\"}}</script>",
     {kFax}},
    {"JSON-LD array",
     "<script type=\"application/ld+json\">{\"faxNumber\":[\"312-555-0143\",\"312-555-0144\"]}</script>",
     {kFax, "1-312-555-0144"}},
    {"JSON-LD graph",
     "<script "
     "type=\"application/ld+json\">{\"@context\":\"https://schema.org\",\"@graph\":[{\"@type\":\"WebSite\"},"
     "{\"@type\":\"LocalBusiness\",\"telephone\":\"312-555-0100\",\"faxNumber\":\"312\\u2011555\\u20110143\"}"
     "]}"
     "</script>",
     {kFax}},
    {"microdata text",
     "<div itemscope itemtype=\"https://schema.org/Organization\"><span itemprop=\"telephone\">"
     "312-555-0100</span> <span itemprop=\"faxNumber\">312-555-0143</span></div>",
     {kFax}},
    {"microdata content", "<meta itemprop=\"faxNumber\" content=\"+13125550143\">", {kFax}},
    {"RDFa",
     "<p vocab=\"https://schema.org/\" typeof=\"Organization\">Numbers: "
     "<span property=\"faxNumber\">312-555-0143</span></p>",
     {kFax}},
    {"fax URI", "<p><a href=\"fax:+13125550143\">Send us a document</a></p>", {kFax}},
    {"fax URI percent-encoded", "<p><a href=\"fax:%2B1%20312%20555%200143\">Send</a></p>", {kFax}},
    {"tel link titled fax", "<p><a href=\"tel:+13125550143\" title=\"Fax\">Send</a></p>", {kFax}},
    {"tel link labelled fax", "<p><a href=\"tel:+13125550143\" aria-label=\"Fax us\">Send</a></p>", {kFax}},
    {"tel link saying fax", "<p><a href=\"tel:+13125550143\">Fax us</a></p>", {kFax}},
    {"tel link after a fax label", "<p>Fax: <a href=\"tel:+13125550143\">(312) 555-0143</a></p>", {kFax}},
    {"column headed fax",
     "<table><thead><tr><th>Office</th><th>Phone</th><th>Fax</th></tr></thead><tbody>"
     "<tr><td>Chicago</td><td>312-555-0100</td><td>312-555-0143</td></tr>"
     "<tr><td>Evanston</td><td>847-555-0100</td><td>847-555-0143</td></tr></tbody></table>",
     {kFax, "1-847-555-0143"}},
    {"page-builder icon list",
     "<ul class=\"icon-list\"><li class=\"icon-list-item\"><span class=\"icon-list-icon\"><i "
     "aria-hidden=\"true\" "
     "class=\"fas fa-phone-alt\"></i></span><span class=\"icon-list-text\">312-555-0100</span></li>"
     "<li class=\"icon-list-item\"><span class=\"icon-list-icon\"><i aria-hidden=\"true\" class=\"fas "
     "fa-fax\">"
     "</i></span><span class=\"icon-list-text\">312-555-0143</span></li></ul>",
     {kFax}},
    {"icon block beside the value inside a labelled entry",
     "<div class=\"contact-fax\"><div class=\"icon\"><i class=\"fa fa-fax\"></i></div>"
     "<div class=\"value\">312-555-0143</div></div>",
     {kFax}},
    {"tel link with a fax label inside",
     "<a href=\"tel:3125550143\"><span>Fax:</span> (312) 555-0143</a>",
     {kFax}},
    {"column headed fax without thead",
     "<table><tr><th>Fax</th><th>Phone</th></tr><tr><td>312-555-0143</td><td>312-555-0100</td></tr></table>",
     {kFax}},
};

// Item 5 and the decoys: nothing of these is a fax number.
const Row kDecoys[] = {
    {"Fairfax", "<p>Fairfax, VA 22030 \u00b7 Phone 703-555-0100</p>", {}},
    {"Halifax", "<p>Halifax office: 902-555-0100</p>", {}},
    {"faxes prose", "<p>We no longer accept faxes. Call 312-555-0100</p>", {}},
    {"fax prose", "<p>We no longer accept fax. Call 312-555-0100</p>", {}},
    {"phone label", "<p>Phone: 312-555-0100</p>", {}},
    {"mobile label", "<p>Mobile: 312-555-0100</p>", {}},
    {"toll-free label", "<p>Toll-free: 1-800-555-0100</p>", {}},
    {"unlabelled number", "<p>312-555-0100</p>", {}},
    {"JSON-LD telephone",
     "<script type=\"application/ld+json\">{\"telephone\":\"+1-312-555-0100\"}</script>",
     {}},
    {"plain tel link", "<p><a href=\"tel:+13125550100\">Call us</a></p>", {}},
    {"ZIP+4", "<p>Chicago, IL 60601-1234</p>", {}},
    {"date", "<p>Updated 2024-01-05</p>", {}},
    {"order number", "<p>Order #3125550100 shipped</p>", {}},
    {"price", "<p>Only $3,125.55 today</p>", {}},
    {"column headed fax does not label the next row",
     "<table><tr><th>Phone</th><th>Fax</th></tr><tr><td>312-555-0100</td><td></td></tr></table>",
     {}},
    {"fax heading over a phone entry",
     "<ul><li><i class=\"fa fa-fax\"></i> Fax</li><li><i class=\"fa fa-phone\"></i> 312-555-0100</li></ul>",
     {}},
    {"fax not given", "<p>Fax: n/a</p><p>Phone: 312-555-0100</p>", {}},
    {"fax label two blocks away", "<p>Fax</p><p>Opening hours</p><p>312-555-0100</p>", {}},
    {"two icons in another block",
     "<p><i class=\"fa fa-fax\"></i><i class=\"icon-fax\"></i></p><p>312-555-0100</p>",
     {}},
    {"icon in another block", "<p><i class=\"fa fa-fax\"></i></p><p>312-555-0100</p>", {}},
    {"fax in a script", "<script>var fax = '312-555-0100';</script><p>312-555-0101</p>", {}},
    {"fax in a comment", "<!-- Fax: 312-555-0100 --><p>Hello</p>", {}},
    {"far away number", "<p>Fax: - - - - - - - - - - - - - - - - - - - - - - - - - 312-555-0100</p>", {}},
};

class WebFaxRows : public ::testing::TestWithParam<Row> {};

TEST_P(WebFaxRows, StoresExactlyTheExpectedNumbers) {
    EXPECT_EQ(Numbers(GetParam()), GetParam().expected) << GetParam().name << ": " << GetParam().body;
}

std::string RowName(const ::testing::TestParamInfo<Row>& info) {
    std::string name;
    for (const char* c = info.param.name; *c != '\0'; ++c) {
        name += (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') ? *c : '_';
    }
    return name + "_" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(WrittenForms, WebFaxRows, ::testing::ValuesIn(kWrittenForms), RowName);
INSTANTIATE_TEST_SUITE_P(TextLabels, WebFaxRows, ::testing::ValuesIn(kTextLabels), RowName);
INSTANTIATE_TEST_SUITE_P(MarkupLabels, WebFaxRows, ::testing::ValuesIn(kMarkupLabels), RowName);
INSTANTIATE_TEST_SUITE_P(Decoys, WebFaxRows, ::testing::ValuesIn(kDecoys), RowName);

TEST(WebFaxLocation, NorthAmericanNumbersAreNamedByTheirAreaCode) {
    const auto found = FindWebFaxNumbers(Page("<p>Fax: +1 212 555 0143</p><p>Fax +44 20 7946 0123</p>"), "",
                                         "example.com", true);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].number, "1-212-555-0143");
    EXPECT_EQ(found[0].location, "NY  New York City, New York (Manhattan; see 646, 718) ");
    EXPECT_EQ(found[1].number, "+44-20-7946-0123");
    EXPECT_EQ(found[1].location, "Unknown/International");
}

TEST(WebFaxOnce, OneNumberInSeveralFormsIsFoundOnce) {
    const auto found = FindWebFaxNumbers(
        Page("<p>Fax: 312-555-0143</p><p>Fax +1 312 555 0143</p><a href=\"fax:+13125550143\">x</a>"
             "<script type=\"application/ld+json\">{\"faxNumber\":\"(312) 555-0143\"}</script>"),
        "", "example.com", false);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].number, kFax);
}

} // namespace
} // namespace tarnwick
