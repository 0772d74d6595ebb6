// A parsed page turned into its reading text: the visible text in reading order, folded to
// ASCII where it matters for numbers, with control characters for block and row ends and for
// labels given by the markup; plus the fax numbers the markup states outright.
#pragma once

// The parts the reading is made of, for callers that test or reuse them.
#include "webfax/JsonFaxValues.h"
#include "webfax/ParseBounds.h"
#include "webfax/ReadingText.h"
#include "webfax/WordParts.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

struct PageReading {
    std::string text;
    // Written numbers the markup names as fax numbers: schema.org faxNumber (JSON-LD,
    // microdata, RDFa) and fax: links, and tel: links that say fax.
    std::vector<std::string> faxValues;
};

// Reads a UTF-8 page. The page is cut where its markup nests too deep or grows too long to be
// parsed in bounded time.
PageReading ReadPage(std::string_view utf8Html);

} // namespace tarnwick
