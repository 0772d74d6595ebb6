// Builds records from arbitrary bytes (fields split at byte 1, five to a record), writes their
// CSV and reads it back: the same fields must come out, as UTF-8, under the fixed header.
#include "store/NumbersCsv.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Row = std::vector<std::string>;

// A strict reader of what the writer may produce: quoted fields, doubled quotes, CR LF endings.
std::vector<Row> ReadCsv(std::string_view text) {
    std::vector<Row> rows;
    Row row;
    std::string field;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '"') {
            for (++i;; ++i) {
                if (i >= text.size()) {
                    __builtin_trap();
                }
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field.push_back('"');
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field.push_back(text[i]);
            }
        } else {
            while (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n' &&
                   text[i] != '"') {
                field.push_back(text[i++]);
            }
        }
        if (i < text.size() && text[i] == ',') {
            row.push_back(std::move(field));
            field.clear();
            ++i;
        } else if (text.substr(i, 2) == "\r\n") {
            row.push_back(std::move(field));
            field.clear();
            rows.push_back(std::move(row));
            row.clear();
            i += 2;
        } else {
            __builtin_trap();
        }
    }
    if (!row.empty() || !field.empty()) {
        __builtin_trap();
    }
    return rows;
}

bool ValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t end; (end = input.find('\x01', start)) != std::string_view::npos; start = end + 1) {
        fields.emplace_back(input.substr(start, end - start));
    }
    fields.emplace_back(input.substr(start));
    fields.resize((fields.size() + 4) / 5 * 5);

    std::vector<tarnwick::FaxDetails> records;
    for (std::size_t i = 0; i < fields.size(); i += 5) {
        records.push_back({0, fields[i], fields[i + 4], fields[i + 2], fields[i + 3], fields[i + 1]});
    }

    const std::string csv = tarnwick::NumbersCsv(records);
    if (!ValidUtf8(csv)) {
        __builtin_trap();
    }
    const std::vector<Row> rows = ReadCsv(csv);
    if (rows.size() != records.size() + 1 ||
        rows[0] != Row{"number", "region", "website", "search", "found"}) {
        __builtin_trap();
    }
    for (std::size_t r = 0; r < records.size(); ++r) {
        const auto& record = records[r];
        const Row expected = {tarnwick::Cp1252ToUtf8(record.fax), tarnwick::Cp1252ToUtf8(record.location),
                              tarnwick::Cp1252ToUtf8(record.website), tarnwick::Cp1252ToUtf8(record.search),
                              tarnwick::Cp1252ToUtf8(tarnwick::IsoDate(record.date))};
        if (rows[r + 1] != expected) {
            __builtin_trap();
        }
    }
    return 0;
}
