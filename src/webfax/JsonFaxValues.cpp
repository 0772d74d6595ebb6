// schema.org faxNumber values of JSON-LD.
#include "webfax/JsonFaxValues.h"

#include "text/Cp1252.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tarnwick {

namespace {

// The JSON string whose opening quote is at `i`; `i` ends after its closing quote.
std::string ReadJsonString(std::string_view json, std::size_t& i) {
    std::string out;
    ++i;
    while (i < json.size() && json[i] != '"') {
        if (json[i] != '\\' || i + 1 >= json.size()) {
            out += json[i++];
            continue;
        }
        const char escaped = json[i + 1];
        i += 2;
        if (escaped == 'u' && i + 4 <= json.size()) {
            std::uint32_t code = 0;
            bool hex = true;
            for (std::size_t k = 0; k < 4; ++k) {
                const int v = HexDigitValue(json[i + k]);
                hex = hex && v >= 0;
                code = code * 16 + static_cast<std::uint32_t>(std::max(v, 0));
            }
            if (hex) {
                i += 4;
                AppendUtf8(out, code >= 0xD800 && code <= 0xDFFF ? 0xFFFD : code);
            }
        } else {
            out += escaped == 'n' || escaped == 't' || escaped == 'r' ? ' ' : escaped;
        }
    }
    ++i;
    return out;
}

void SkipJsonSpace(std::string_view json, std::size_t& i) {
    while (i < json.size() && (json[i] == ' ' || json[i] == '\t' || json[i] == '\r' || json[i] == '\n')) {
        ++i;
    }
}

// A value after a faxNumber key: a string, a bare number, or every string of an array.
void ReadJsonFaxValue(std::string_view json, std::size_t& i, std::vector<std::string>& values) {
    SkipJsonSpace(json, i);
    if (i >= json.size()) {
        return;
    }
    if (json[i] == '"') {
        values.push_back(ReadJsonString(json, i));
        return;
    }
    if (json[i] == '+' || (json[i] >= '0' && json[i] <= '9')) {
        const std::size_t start = i;
        while (i < json.size() && std::strchr("0123456789+-.eE", json[i]) != nullptr) {
            ++i;
        }
        values.emplace_back(json.substr(start, i - start));
        return;
    }
    if (json[i] != '[') {
        return;
    }
    ++i;
    for (int depth = 1; i < json.size() && depth > 0 && values.size() < kMaxFaxValues;) {
        if (json[i] == '"') {
            values.push_back(ReadJsonString(json, i));
            continue;
        }
        depth += json[i] == '[' ? 1 : json[i] == ']' ? -1 : 0;
        ++i;
    }
}

} // namespace

bool IsFaxNumberKey(std::string_view key) {
    // Plain, prefixed ("schema:faxNumber") or a full property address.
    return key == "faxNumber" || key.ends_with(":faxNumber") || key.ends_with("/faxNumber");
}

std::vector<std::string> JsonFaxValues(std::string_view json) {
    std::vector<std::string> values;
    std::size_t i = 0;
    while (i < json.size() && values.size() < kMaxFaxValues) {
        if (json[i] != '"') {
            ++i;
            continue;
        }
        const std::string text = ReadJsonString(json, i);
        SkipJsonSpace(json, i);
        if (i < json.size() && json[i] == ':' && IsFaxNumberKey(text)) {
            ++i;
            ReadJsonFaxValue(json, i, values);
        }
    }
    if (values.size() > kMaxFaxValues) {
        values.resize(kMaxFaxValues);
    }
    return values;
}

} // namespace tarnwick
