// Registrable domains by the Public Suffix List (libpsl behind one function).
#pragma once

#include <string>

namespace tarnwick {

// The registrable domain of a host ("www.example.co.uk" gives "example.co.uk"), in lower case;
// empty for an IP address, a bare public suffix or an empty host. The list is read from the
// system's public suffix file once, or libpsl's built-in list when that file is missing.
std::string RegistrableDomain(const std::string& host);

} // namespace tarnwick
