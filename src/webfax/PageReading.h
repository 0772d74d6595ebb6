// A parsed page turned into its reading text: the visible text in reading order, folded to
// ASCII where it matters for numbers, with control characters for block and row ends and for
// labels given by the markup; plus the fax numbers the markup states outright.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Control characters of the reading text (the text itself holds none).
inline constexpr char kBlockBreak = '\x01';
inline constexpr char kRowBreak = '\x02';
inline constexpr char kFaxMark = '\x03';
inline constexpr char kPhoneMark = '\x04';
// Ends the block that holds the element given by the last open kFaxMark: a label of the
// markup reaches no further.
inline constexpr char kMarkEnd = '\x05';
// Stands for a link whose fax number was read from its address: like a number, it takes the
// label before it, and its own text labels nothing after it.
inline constexpr char kValueTaken = '\x06';

struct PageReading {
    std::string text;
    // Written numbers the markup names as fax numbers: schema.org faxNumber (JSON-LD,
    // microdata, RDFa) and fax: links, and tel: links that say fax.
    std::vector<std::string> faxValues;
};

// `utf8` in reading form: no-break and other wide spaces become " ", the Unicode hyphens and
// dashes "-", full-width digits and signs their ASCII forms, a fax-machine sign the word "fax", a
// telephone sign kPhoneMark, other punctuation and symbols "|", other letters "a", controls " ".
void AppendReadingText(std::string& out, std::string_view utf8);

// True when `value` holds "fax" as a word or word part: "fax", "fa-fax", "contact_fax",
// "faxNumber", but not "fairfax" or "faxes".
bool HasFaxWordPart(std::string_view value);

// The values of every "faxNumber" key of a JSON text, at any depth, a string or an array of them.
std::vector<std::string> JsonFaxValues(std::string_view json);

// Reads a UTF-8 page. The page is cut where its markup nests too deep or grows too long to be
// parsed in bounded time.
PageReading ReadPage(std::string_view utf8Html);

// The part of `html` that is parsed: at most `maxBytes`, and cut before the tag that would
// open more than `maxDepth` elements (elements whose end tags may be left out do not count).
std::size_t ParsableLength(std::string_view html, std::size_t maxBytes, int maxDepth);

} // namespace tarnwick
