// CSV of the stored numbers with all their fields.
#include "store/NumbersCsv.h"

#include "text/Cp1252.h"

#include <cctype>

namespace tarnwick {

namespace {

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

void AppendField(std::string& line, std::string_view cp1252) {
    line += CsvField(Cp1252ToUtf8(cp1252));
}

} // namespace

std::string_view IsoDate(std::string_view stored) {
    constexpr std::string_view kShape = "9999-99-99";
    if (stored.size() < kShape.size()) {
        return stored;
    }
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        if (kShape[i] == '9' ? !IsDigit(stored[i]) : stored[i] != kShape[i]) {
            return stored;
        }
    }
    // A longer text is a date followed by a time; anything else glued on is not a date.
    if (stored.size() > kShape.size() && stored[kShape.size()] != ' ' && stored[kShape.size()] != 'T') {
        return stored;
    }
    return stored.substr(0, kShape.size());
}

std::string CsvField(std::string_view utf8) {
    if (utf8.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(utf8);
    }
    std::string quoted = "\"";
    for (const char c : utf8) {
        if (c == '"') {
            quoted.push_back('"');
        }
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

std::string NumbersCsv(const std::vector<FaxDetails>& records) {
    std::string text(kNumbersCsvHeader);
    text += "\r\n";
    for (const FaxDetails& record : records) {
        AppendField(text, record.fax);
        text.push_back(',');
        AppendField(text, record.location);
        text.push_back(',');
        AppendField(text, record.website);
        text.push_back(',');
        AppendField(text, record.search);
        text.push_back(',');
        AppendField(text, IsoDate(record.date));
        text += "\r\n";
    }
    return text;
}

} // namespace tarnwick
