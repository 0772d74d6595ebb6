// The reading text of a page: its visible text folded to ASCII where it matters for numbers,
// with control characters for block and row ends and for labels given by the markup.
#pragma once

#include <string>
#include <string_view>

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

// `utf8` in reading form: no-break and other wide spaces become " ", the Unicode hyphens and
// dashes "-", full-width digits and signs their ASCII forms, a fax-machine sign the word "fax", a
// telephone sign kPhoneMark, other punctuation and symbols "|", other letters "a", controls " ".
void AppendReadingText(std::string& out, std::string_view utf8);

} // namespace tarnwick
