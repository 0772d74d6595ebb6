// Words and word parts of attribute values and short texts, compared without case.
#pragma once

#include <string_view>

namespace tarnwick {

bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// True when `word` (lower case) stands in `value` as a word or word part: not continued by a
// lower-case letter on either side, unless a case change starts or ends it ("contactFax").
bool HasWordPart(std::string_view value, std::string_view word);

// True when `value` holds "fax" as a word or word part: "fax", "fa-fax", "contact_fax",
// "faxNumber", but not "fairfax" or "faxes".
bool HasFaxWordPart(std::string_view value);

// A telephone word ("phone", "tel", "telephone"), not a responsive-layout class ("hidden-phone").
bool HasPhoneWordPart(std::string_view value);

// A reading text that names a fax: "fax" or "facsimile" as a word part.
bool SaysFax(std::string_view readingText);

} // namespace tarnwick
