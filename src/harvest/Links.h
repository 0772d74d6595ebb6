// Links of a saved page: the directory of the page's address, the link text of one line
// and the address a link stands for.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// The directory of an address without scheme, ending in "/"; the host followed by "/" for a
// page at the root.
std::string UrlDirectory(const std::string& address);

// The address (without scheme) that `link` names on a page whose directory is `pageDirectory`.
std::string NormaliseLink(const std::string& link, const std::string& pageDirectory);

// The text of the first link of a line, not yet normalised; nullopt when the line holds no
// "href=", the link is of a kind that is never followed or it is longer than kMaxLinkBytes.
std::optional<std::string> LinkOfLine(const std::string& line);

// The addresses the links of a page file name, in order: the first link of each line (a line
// ending at CR LF or a lone CR), normalised against the page directory. Addresses longer than
// kMaxLinkBytes are dropped and at most kMaxLinksPerPage are taken.
std::vector<std::string> LinksOfPageFile(std::string_view pageFile, const std::string& pageDirectory);

} // namespace tarnwick
