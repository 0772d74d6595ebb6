// Which hosts the crawler may connect to: a link is input from a stranger, so a host text must be
// a real name or address, and the address it resolves to must lie outside the user's own network.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tarnwick {

// An IPv4 address written the way the system resolver reads it: one to four parts separated by
// dots, each decimal, octal ("0" prefix) or hexadecimal ("0x" prefix), the last part filling the
// bytes that are left ("127.1", "2130706433", "0x7f.1", "0"). Host byte order.
std::optional<std::uint32_t> ParseIpv4Literal(std::string_view text);

// True for a DNS name (labels of letters, digits, "-" and "_", 1 to 63 bytes each, 253 in all,
// one closing dot allowed), an IPv4 literal or an IPv6 literal in brackets.
bool IsValidHostName(std::string_view name);

// A host as a URL or queued website carries it: a valid name, optionally followed by ":" and a
// port from 1 to 65535.
bool IsValidHostText(std::string_view host);

// Loopback, "this network", private, shared, link-local, multicast and broadcast addresses.
bool IsPrivateIpv4(std::uint32_t address);

// ::1, ::, unique-local, link-local and multicast addresses, and the IPv4-mapped form of any
// private IPv4 address.
bool IsPrivateIpv6(const std::array<std::uint8_t, 16>& address);

} // namespace tarnwick
