// Telephone numbers decided by libphonenumber.
#include "webfax/PhoneNumbers.h"

#include "text/AreaCode.h"

#include <array>
#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>

namespace tarnwick {

namespace {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

constexpr std::size_t kLongestWritten = 64;

// Country-code domains that sites everywhere register as generic names.
constexpr std::array<std::string_view, 11> kGenericCountryDomains = {"ai", "cc", "co", "fm", "io", "ly",
                                                                     "me", "sh", "to", "tv", "ws"};

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// "+44 20 7946 0123" becomes "+44-20-7946-0123": every run of other characters one "-".
std::string DashGroups(const std::string& formatted) {
    std::string out;
    for (const char c : formatted) {
        if ((c >= '0' && c <= '9') || (c == '+' && out.empty())) {
            out += c;
        } else if (!out.empty() && out.back() != '-' && out.back() != '+') {
            out += '-';
        }
    }
    while (!out.empty() && out.back() == '-') {
        out.pop_back();
    }
    return out;
}

std::optional<FoundFax> NorthAmerican(const PhoneNumberUtil& util, const PhoneNumber& number) {
    std::string national;
    util.GetNationalSignificantNumber(number, &national);
    if (national.size() != 10) {
        return std::nullopt;
    }
    FoundFax fax;
    fax.number = "1-" + national.substr(0, 3) + "-" + national.substr(3, 3) + "-" + national.substr(6);
    std::string lookup = fax.number;
    fax.location = AreaCodeLocation(lookup);
    return fax;
}

} // namespace

std::string RegionOfHost(std::string_view host) {
    if (const std::size_t colon = host.find(':'); colon != std::string_view::npos) {
        host = host.substr(0, colon);
    }
    while (host.ends_with('.')) {
        host.remove_suffix(1);
    }
    const std::size_t dot = host.rfind('.');
    const std::string_view last = dot == std::string_view::npos ? host : host.substr(dot + 1);
    if (last.size() != 2 || !IsAsciiLetter(last[0]) || !IsAsciiLetter(last[1])) {
        return "US";
    }
    std::string lower{static_cast<char>(last[0] | 0x20), static_cast<char>(last[1] | 0x20)};
    for (const std::string_view generic : kGenericCountryDomains) {
        if (lower == generic) {
            return "US";
        }
    }
    std::string region = lower == "uk" ? std::string("GB") : std::string{Upper(lower[0]), Upper(lower[1])};
    if (PhoneNumberUtil::GetInstance()->GetCountryCodeForRegion(region) == 0) {
        return "US";
    }
    return region;
}

std::optional<FoundFax> ReadTelephoneNumber(std::string_view written, const std::string& region,
                                            bool allowInternational) {
    if (written.empty() || written.size() > kLongestWritten) {
        return std::nullopt;
    }
    const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
    PhoneNumber number;
    if (util.Parse(std::string(written), region, &number) != PhoneNumberUtil::NO_PARSING_ERROR) {
        return std::nullopt;
    }
    number.clear_extension();
    if (util.IsPossibleNumberWithReason(number) != PhoneNumberUtil::IS_POSSIBLE) {
        return std::nullopt;
    }
    if (number.country_code() == 1) {
        return NorthAmerican(util, number);
    }
    if (!allowInternational) {
        return std::nullopt;
    }
    std::string formatted;
    util.Format(number, PhoneNumberUtil::INTERNATIONAL, &formatted);
    return FoundFax{DashGroups(formatted), "Unknown/International"};
}

} // namespace tarnwick
