// The export of the stored fax numbers to a text file.
#include "store/Export.h"

#include "store/Database.h"
#include "store/Files.h"

#include <cstdio>
#include <fstream>

namespace tarnwick {

std::string ExportSeparator(int outputType, bool spaceAfterSemicolon) {
    switch (outputType) {
    case 1:
        return "\t";
    case 2:
        return "\r\n";
    default:
        return spaceAfterSemicolon ? "; " : ";";
    }
}

std::string ExportText(const std::vector<std::string>& faxes, int outputType, bool spaceAfterSemicolon) {
    const std::string separator = ExportSeparator(outputType, spaceAfterSemicolon);
    std::string text;
    for (const auto& fax : faxes) {
        text += fax;
        text += separator;
    }
    text += "\r\n";
    return text;
}

bool WriteExportFile(const std::string& fileName, const std::string& text) {
    if (FileExists(fileName)) {
        std::remove(fileName.c_str());
    }
    std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
    if (!file) {
        return false;
    }
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    return !file.fail();
}

std::optional<std::vector<FaxRecord>> ExportFaxRecords(Database& database, const std::string& fileName,
                                                       int outputType, bool spaceAfterSemicolon) {
    std::optional<std::vector<FaxRecord>> records = database.FaxRecords();
    if (!records) {
        return std::nullopt;
    }
    std::vector<std::string> faxes;
    faxes.reserve(records->size());
    for (const FaxRecord& record : *records) {
        faxes.push_back(record.fax);
    }
    if (!WriteExportFile(fileName, ExportText(faxes, outputType, spaceAfterSemicolon))) {
        return std::nullopt;
    }
    return records;
}

bool ExportFaxes(Database& database, const std::string& fileName, int outputType, bool spaceAfterSemicolon) {
    return ExportFaxRecords(database, fileName, outputType, spaceAfterSemicolon).has_value();
}

} // namespace tarnwick
