// Links of a saved page: the directory of the page's address, the link text of one line
// and the address a link stands for.
#pragma once

#include <optional>
#include <string>

namespace tarnwick {

// The directory of an address without scheme, ending in "/"; the host followed by "/" for a
// page at the root.
std::string UrlDirectory(const std::string& address);

// The address (without scheme) that `link` names on a page whose directory is `pageDirectory`.
std::string NormaliseLink(const std::string& link, const std::string& pageDirectory);

// The text of the first link of a line, not yet normalised; nullopt when the line holds no
// "href=" or the link is of a kind that is never followed.
std::optional<std::string> LinkOfLine(const std::string& line);

} // namespace tarnwick
