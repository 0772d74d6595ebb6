// The export of the stored fax numbers to a text file: each number followed by the chosen
// separator, then one CR LF.
#pragma once

#include "store/Database.h"

#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

// The separator for an output-type index: 1 a TAB, 2 CR LF, anything else (-1 for no choice,
// 0) ";", or "; " when a space is asked for. The space applies to the semicolon only.
std::string ExportSeparator(int outputType, bool spaceAfterSemicolon);

// Each fax followed by the separator, the last one too, then CR LF.
std::string ExportText(const std::vector<std::string>& faxes, int outputType, bool spaceAfterSemicolon);

// Writes the text as the whole file, replacing a file of that name. True only when every byte
// was written, so a caller can keep the numbers when the file could not be made.
bool WriteExportFile(const std::string& fileName, const std::string& text);

// Exports every stored fax in store order and answers the records written, so that exactly those
// can be deleted afterwards. Nothing when the store could not be read (no file is written then)
// or the file could not be written.
std::optional<std::vector<FaxRecord>> ExportFaxRecords(Database& database, const std::string& fileName,
                                                       int outputType, bool spaceAfterSemicolon);

// The same, answering only whether the file holds every stored fax.
bool ExportFaxes(Database& database, const std::string& fileName, int outputType, bool spaceAfterSemicolon);

} // namespace tarnwick
