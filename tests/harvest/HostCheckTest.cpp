// Host texts the crawler may connect to and the addresses it refuses.
#include "harvest/HostCheck.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace tarnwick {
namespace {

TEST(ParseIpv4Literal, ReadsEveryFormTheSystemResolverReads) {
    const struct {
        const char* text;
        std::optional<std::uint32_t> address;
    } cases[] = {
        {"127.0.0.1", 0x7F000001},
        {"2130706433", 0x7F000001},
        {"0x7f.1", 0x7F000001},
        {"127.1", 0x7F000001},
        {"0", 0x00000000},
        {"0x7F000001", 0x7F000001},
        {"0177.0.0.1", 0x7F000001},
        {"10.1.2", 0x0A010002},
        {"192.168.257", 0xC0A80101},
        {"1.2.3.4", 0x01020304},
        {"255.255.255.255", 0xFFFFFFFF},
        // Not literals: names, parts out of range, empty parts, bad digits.
        {"example.com", std::nullopt},
        {"1.2.3.4.5", std::nullopt},
        {"256.1.1.1", std::nullopt},
        {"1.2.3.256", std::nullopt},
        {"4294967296", std::nullopt},
        {"1..2", std::nullopt},
        {"1.2.3.4.", std::nullopt},
        {"", std::nullopt},
        {"08", std::nullopt},
        {"0x", std::nullopt},
        {"0xg", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseIpv4Literal(c.text), c.address) << c.text;
    }
}

TEST(IsValidHostText, AcceptsNamesAndLiteralsOnly) {
    const struct {
        const char* host;
        bool valid;
    } cases[] = {
        {"example.com", true},
        {"www.Example-Shop.co.uk", true},
        {"my_host.example.com", true},
        {"example.com.", true},
        {"localhost", true}, // a name: refused later by the address it resolves to
        {"2130706433", true},
        {"192.0.2.7:8080", true},
        {"example.com:65535", true},
        {"[::1]", true},
        {"[::ffff:127.0.0.1]:443", true},
        {"[2001:db8::7]", true},
        // What a page could smuggle into a connection or a Host line.
        {"", false},
        {"a b.com", false},
        {"a%20b.com", false},
        {"x\nSET pwned 1", false},
        {"evil.com\r\nX-Injected: 1", false},
        {"user@example.com", false},
        {"example..com", false},
        {".example.com", false},
        {"ex\xE4mple.com", false},
        {"example.com:0", false},
        {"example.com:65536", false},
        {"example.com:", false},
        {"example.com:80x", false},
        {"[::1", false},
        {"[:::1]", false},
        {"[1::2::3]", false},
        {"[fe80::1%eth0]", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsValidHostText(c.host), c.valid) << c.host;
    }
    EXPECT_TRUE(IsValidHostName(std::string(63, 'a') + ".com"));
    EXPECT_FALSE(IsValidHostName(std::string(64, 'a') + ".com"));
    std::string longName;
    for (int i = 0; i < 64; ++i) {
        longName += "abc.";
    }
    EXPECT_FALSE(IsValidHostName(longName + "com"));    // 259 bytes
    EXPECT_TRUE(IsValidHostName(std::string(80, '0'))); // a literal the resolver reads as 0.0.0.0
}

TEST(IsPrivateIpv4, RefusesTheUsersOwnNetworkAndNothingElse) {
    const struct {
        std::uint32_t address;
        bool refused;
    } cases[] = {
        {0x7F000001, true},  // 127.0.0.1
        {0x7FFFFFFE, true},  // 127.255.255.254
        {0x00000000, true},  // 0.0.0.0
        {0x00FFFFFF, true},  // 0.255.255.255
        {0x0A000001, true},  // 10.0.0.1
        {0xAC100001, true},  // 172.16.0.1
        {0xAC1FFFFF, true},  // 172.31.255.255
        {0xC0A80101, true},  // 192.168.1.1
        {0xA9FEA9FE, true},  // 169.254.169.254
        {0x64400001, true},  // 100.64.0.1
        {0x647FFFFF, true},  // 100.127.255.255
        {0xE0000001, true},  // 224.0.0.1
        {0xEFFFFFFF, true},  // 239.255.255.255
        {0xFFFFFFFF, true},  // broadcast
        {0x01000000, false}, // 1.0.0.0
        {0x0B000001, false}, // 11.0.0.1
        {0xAC0FFFFF, false}, // 172.15.255.255
        {0xAC200000, false}, // 172.32.0.0
        {0x64800000, false}, // 100.128.0.0
        {0x643FFFFF, false}, // 100.63.255.255
        {0xC6120001, false}, // 198.18.0.1, benchmarking: test webs live here
        {0xC613FFFF, false}, // 198.19.255.255
        {0xC0000207, false}, // 192.0.2.7, documentation
        {0xC6336407, false}, // 198.51.100.7
        {0xCB007107, false}, // 203.0.113.7
        {0xF0000001, false}, // 240.0.0.1
        {0x5DB8D822, false}, // 93.184.216.34
        {0xA9FD0000, false}, // 169.253.0.0
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsPrivateIpv4(c.address), c.refused) << std::hex << c.address;
    }
}

std::array<std::uint8_t, 16> V6(std::vector<std::uint8_t> head, std::vector<std::uint8_t> tail = {}) {
    std::array<std::uint8_t, 16> bytes{};
    std::copy(head.begin(), head.end(), bytes.begin());
    std::copy(tail.begin(), tail.end(), bytes.end() - static_cast<std::ptrdiff_t>(tail.size()));
    return bytes;
}

TEST(IsPrivateIpv6, RefusesLocalScopesAndMappedPrivateIpv4) {
    const struct {
        const char* name;
        std::array<std::uint8_t, 16> address;
        bool refused;
    } cases[] = {
        {"::1", V6({}, {1}), true},
        {"::", V6({}), true},
        {"fc00::1", V6({0xFC}, {1}), true},
        {"fdff::1", V6({0xFD, 0xFF}, {1}), true},
        {"fe80::1", V6({0xFE, 0x80}, {1}), true},
        {"febf::1", V6({0xFE, 0xBF}, {1}), true},
        {"ff02::1", V6({0xFF, 0x02}, {1}), true},
        {"::ffff:127.0.0.1", V6({}, {0xFF, 0xFF, 127, 0, 0, 1}), true},
        {"::ffff:10.0.0.1", V6({}, {0xFF, 0xFF, 10, 0, 0, 1}), true},
        {"::ffff:169.254.169.254", V6({}, {0xFF, 0xFF, 169, 254, 169, 254}), true},
        {"::ffff:0.0.0.0", V6({}, {0xFF, 0xFF, 0, 0, 0, 0}), true},
        {"::ffff:93.184.216.34", V6({}, {0xFF, 0xFF, 93, 184, 216, 34}), false},
        {"::ffff:198.18.0.1", V6({}, {0xFF, 0xFF, 198, 18, 0, 1}), false},
        {"2001:db8::1", V6({0x20, 0x01, 0x0D, 0xB8}, {1}), false},
        {"2606:2800::1", V6({0x26, 0x06, 0x28, 0x00}, {1}), false},
        {"fec0::1", V6({0xFE, 0xC0}, {1}), false},
        {"fbff::1", V6({0xFB, 0xFF}, {1}), false},
        {"::2", V6({}, {2}), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsPrivateIpv6(c.address), c.refused) << c.name;
    }
}

} // namespace
} // namespace tarnwick
