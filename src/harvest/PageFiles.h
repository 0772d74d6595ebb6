// The per-slot page files in the application folder and the line reading the page chain uses.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

std::string PageFilePath(const std::string& appFolder, int slot);     // "html<i>.txt"
std::string FlatPageFilePath(const std::string& appFolder, int slot); // "html2<i>.txt"

// Creates or truncates the file and writes `text` followed by CR LF; false when it could not.
bool WriteTextLine(const std::string& path, std::string_view text);

// The whole file, or nothing when it cannot be opened.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Lines as a sequential text reader sees them: a line ends at CR LF or at a lone CR; a lone
// LF stays inside its line. A final line without an end counts when it is not empty.
std::vector<std::string_view> SplitReaderLines(std::string_view text);

// `text` with every CR and LF removed.
std::string Flatten(std::string_view text);

} // namespace tarnwick
