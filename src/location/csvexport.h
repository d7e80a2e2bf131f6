// Comma-separated export of one location (CLogData::ExportCsv) and the helpers
// that the location and site exports share.
#pragma once

#include <string>

#include "common/logdata.h"

namespace vantora {

// The double quote that surrounds quoted cells.
inline const std::string kCsvQuote = "\"";
inline const std::string kCsvLineEnd = "\r\n";

// "," normally; ";" when the C run-time writes 12.24 with a decimal comma, so
// that numbers and separators cannot be confused.
std::string CsvSeparator();
// The choice itself, from the text the C run-time made of "%6.2f" and 12.24.
std::string SeparatorForNumberText(const std::string& sample);

// `text` between quotes, quotes inside it doubled as spreadsheets expect.
std::string CsvQuoted(const std::string& text, const std::string& quote = kCsvQuote);

// The whole comma-separated table of one location: a heading line with the
// quoted Date, Time and channel names, then one line per record.
std::string LocationCsvText(const CLogData& data, const std::string& quote,
                            const std::string& separator, const std::string& lineEnd);

// The file name proposed for the export of `locationPath`: the path without
// the extension of its file name, then ".csv".
std::string ProposedCsvPath(const std::string& locationPath);

// Message of a failed export and the two closing messages ('%s': the file).
inline const char* const kUnableToExport = "Unable to export!";
inline const char* const kExportDoneOpenNow =
    "Export successful.\nDouble click '%s' to open the file with the registered spreadsheet "
    "editor.\n\nWould you like to open the file now?";
inline const char* const kExportDoneNoProgram =
    "Export successful. However, there is not a spreadsheet program associated with .CSV "
    "files.\n\nDouble click '%s' and select your spreadsheet editor or try importing the file "
    "into the editor.";
// Save-dialog filter of both exports (Windows form: description|pattern|).
inline const char* const kCsvFilter = "Excel CSV (*.CSV)|*.CSV|";

}  // namespace vantora
