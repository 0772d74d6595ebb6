// Which hosts the crawler may connect to.
#include "harvest/HostCheck.h"

#include "text/Cp1252.h"

#include <algorithm>

namespace tarnwick {

namespace {

constexpr std::size_t kMaxNameBytes = 253;
constexpr std::size_t kMaxLabelBytes = 63;

int DigitValue(char c, int base) {
    const int value = HexDigitValue(c);
    return value < base ? value : -1;
}

// One part of an IPv4 literal; nothing when it is not a number or exceeds 32 bits.
std::optional<std::uint64_t> Ipv4Part(std::string_view part) {
    int base = 10;
    if (part.size() >= 2 && part[0] == '0' && (part[1] == 'x' || part[1] == 'X')) {
        base = 16;
        part.remove_prefix(2);
    } else if (part.size() >= 2 && part[0] == '0') {
        base = 8;
        part.remove_prefix(1);
    }
    if (part.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : part) {
        const int digit = DigitValue(c, base);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFull) {
            return std::nullopt;
        }
    }
    return value;
}

bool IsLabelChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

bool IsDnsName(std::string_view name) {
    if (!name.empty() && name.back() == '.') {
        name.remove_suffix(1);
    }
    if (name.empty() || name.size() > kMaxNameBytes) {
        return false;
    }
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t dot = std::min(name.find('.', start), name.size());
        const std::string_view label = name.substr(start, dot - start);
        if (label.empty() || label.size() > kMaxLabelBytes ||
            !std::all_of(label.begin(), label.end(), IsLabelChar)) {
            return false;
        }
        start = dot + 1;
    }
    return true;
}

// "[" IPv6 address "]": hexadecimal groups, colons, at most one "::", an IPv4 tail allowed.
bool IsIpv6Literal(std::string_view name) {
    if (name.size() < 4 || name.front() != '[' || name.back() != ']') {
        return false;
    }
    const std::string_view address = name.substr(1, name.size() - 2);
    const bool allowed = std::all_of(address.begin(), address.end(),
                                     [](char c) { return DigitValue(c, 16) >= 0 || c == ':' || c == '.'; });
    const std::size_t doubleColon = address.find("::");
    const bool oneShortening = doubleColon == std::string_view::npos ||
                               address.find("::", doubleColon + 1) == std::string_view::npos;
    return allowed && oneShortening && std::count(address.begin(), address.end(), ':') >= 2 &&
           address.find(":::") == std::string_view::npos;
}

} // namespace

std::optional<std::uint32_t> ParseIpv4Literal(std::string_view text) {
    std::array<std::uint64_t, 4> parts{};
    std::size_t count = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        if (count == parts.size()) {
            return std::nullopt;
        }
        const std::size_t dot = std::min(text.find('.', start), text.size());
        const std::optional<std::uint64_t> part = Ipv4Part(text.substr(start, dot - start));
        if (!part) {
            return std::nullopt;
        }
        parts[count++] = *part;
        start = dot + 1;
    }
    // Every part but the last is one byte; the last fills the bytes that are left.
    std::uint64_t address = 0;
    for (std::size_t i = 0; i + 1 < count; ++i) {
        if (parts[i] > 0xFF) {
            return std::nullopt;
        }
        address |= parts[i] << (24 - 8 * i);
    }
    const std::uint64_t lastLimit = 0xFFFFFFFFull >> (8 * (count - 1));
    if (parts[count - 1] > lastLimit) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(address | parts[count - 1]);
}

bool IsValidHostName(std::string_view name) {
    return IsIpv6Literal(name) || ParseIpv4Literal(name).has_value() || IsDnsName(name);
}

bool IsValidHostText(std::string_view host) {
    const std::size_t colon = host.rfind(':');
    if (colon == std::string_view::npos || host.find(']', colon) != std::string_view::npos) {
        return IsValidHostName(host);
    }
    const std::string_view port = host.substr(colon + 1);
    if (port.empty() || port.size() > 5 ||
        !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    unsigned value = 0;
    for (const char c : port) {
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value >= 1 && value <= 65535 && IsValidHostName(host.substr(0, colon));
}

bool IsPrivateIpv4(std::uint32_t address) {
    const auto in = [address](std::uint32_t network, int bits) {
        const std::uint32_t mask = bits == 0 ? 0 : ~std::uint32_t{0} << (32 - bits);
        return (address & mask) == network;
    };
    return in(0x00000000, 8)     // "this network", 0.0.0.0 reaches the local host
           || in(0x0A000000, 8)  // 10.0.0.0/8
           || in(0x64400000, 10) // 100.64.0.0/10, carrier-grade shared space
           || in(0x7F000000, 8)  // loopback
           || in(0xA9FE0000, 16) // link-local, where cloud metadata services answer
           || in(0xAC100000, 12) // 172.16.0.0/12
           || in(0xC0A80000, 16) // 192.168.0.0/16
           || in(0xE0000000, 4)  // multicast
           || address == 0xFFFFFFFF;
}

bool IsPrivateIpv6(const std::array<std::uint8_t, 16>& address) {
    const bool zeroHead =
        std::all_of(address.begin(), address.begin() + 10, [](std::uint8_t b) { return b == 0; });
    if (zeroHead && address[10] == 0xFF && address[11] == 0xFF) {
        const std::uint32_t mapped = std::uint32_t{address[12]} << 24 | std::uint32_t{address[13]} << 16 |
                                     std::uint32_t{address[14]} << 8 | address[15];
        return IsPrivateIpv4(mapped);
    }
    const bool zeroUpTo15 = zeroHead && std::all_of(address.begin() + 10, address.begin() + 15,
                                                    [](std::uint8_t b) { return b == 0; });
    if (zeroUpTo15 && address[15] <= 1) {
        return true; // "::" reaches the local host like 0.0.0.0; "::1" is loopback
    }
    return (address[0] & 0xFE) == 0xFC                            // fc00::/7, unique local
           || (address[0] == 0xFE && (address[1] & 0xC0) == 0x80) // fe80::/10, link-local
           || address[0] == 0xFF;                                 // multicast
}

} // namespace tarnwick
