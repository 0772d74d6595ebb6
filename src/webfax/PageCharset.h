// A page's bytes as UTF-8, decoded by the character set the page declares.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

enum class PageCharset { Utf8, Windows1252 };

// The charset parameter of an HTTP Content-Type value; else a <meta charset> or http-equiv
// declaration near the start of the page; else UTF-8 when the bytes are valid UTF-8; else
// Windows-1252. Declared sets other than UTF-8 and the Latin-1 family count as undeclared.
PageCharset DetectPageCharset(std::string_view page, std::string_view contentType);

// The page as UTF-8. A UTF-8 page keeps its bytes (the parser replaces invalid sequences); a
// Windows-1252 page is converted byte by byte.
std::string DecodePage(std::string_view page, std::string_view contentType);

bool IsValidUtf8(std::string_view bytes);

} // namespace tarnwick
