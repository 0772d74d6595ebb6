// Turns the HTML of a harvested page into plain text with a simple line structure,
// so the fax search can work on one line at a time.
#pragma once

#include <string>

namespace tarnwick {

// Converts `html` in one pass; when `outputPath` is not empty the text is also written
// there followed by CR LF (a file that cannot be written is ignored). Never fails.
std::string HtmlToText(const std::string& html, const std::string& outputPath = {});

// The replacement text for the characters between "&" and ";" of a character reference.
std::string DecodeEntity(const std::string& name);

// `text` with every space character (code 32) removed.
std::string RemoveSpaces(const std::string& text);

} // namespace tarnwick
