// Small file helpers shared by the export and the help window.
#pragma once

#include <string>

namespace tarnwick {

// The text after the last "/" or "\"; the whole path when it has neither; "" for an empty path
// or one that ends in a separator.
std::string FileNameOf(const std::string& path);

// True for an existing regular file (or a link to one); false for a folder, a missing path or
// any error.
bool FileExists(const std::string& path);

} // namespace tarnwick
