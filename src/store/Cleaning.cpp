// The cleaning the record operations apply to a value before storing or looking it up.
#include "store/Cleaning.h"

#include <array>
#include <string_view>

namespace tarnwick {

namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool MatchesAt(const std::string& text, std::size_t at, std::string_view lowerNeedle) {
    if (text.size() - at < lowerNeedle.size()) {
        return false;
    }
    for (std::size_t i = 0; i < lowerNeedle.size(); ++i) {
        if (LowerAscii(text[at + i]) != lowerNeedle[i]) {
            return false;
        }
    }
    return true;
}

// One pass from the left; what the removal joins together is not searched again.
std::string RemoveIgnoringCase(const std::string& text, std::string_view lowerNeedle) {
    std::string result;
    result.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        if (MatchesAt(text, at, lowerNeedle)) {
            at += lowerNeedle.size();
        } else {
            result += text[at++];
        }
    }
    return result;
}

} // namespace

std::string TrimSpaces(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string CleanWebsite(const std::string& website) {
    static constexpr std::array<std::string_view, 5> schemes{"http://", "ttp://", "tp://", "p://", "://"};
    std::string cleaned = website;
    for (const auto scheme : schemes) {
        cleaned = RemoveIgnoringCase(cleaned, scheme);
    }
    return TrimSpaces(cleaned);
}

std::string CleanFax(const std::string& fax) {
    std::string cleaned = fax;
    if (!cleaned.empty() && cleaned.back() == '.') {
        cleaned.pop_back();
    }
    return TrimSpaces(cleaned);
}

} // namespace tarnwick
