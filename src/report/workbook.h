// The survey report as an Excel workbook (.xlsx, written with libxlsxwriter
// in its constant-memory mode, row by row): a Summary sheet, an Exposure
// sheet and one sheet per location with its records as date-time and number
// cells and a chart of its channels against time.
#pragma once

#include <string>
#include <vector>

#include "common/platform.h"
#include "report/surveyreport.h"

namespace vantora::report {

// Sheet names for locations (UTF-8): at most 31 characters, []:*?/\ and
// control characters replaced by '_', no apostrophe first or last, made
// unique among themselves and `taken` (ignoring letter case) with " (2)",
// " (3)" ...
std::vector<std::string> SheetNames(const std::vector<std::string>& names,
                                    const std::vector<std::string>& taken);

// An Excel date-time serial (days since 30-Dec-1899) of the local time of `t`.
double ExcelSerial(LogTime t);

// The number format that shows a channel's decimals: fixed decimals, or for
// significant digits (decimals 200 and above) as many decimals as they take
// at `magnitude`.
std::string NumberFormatOf(int decimals, double magnitude);

// Writes the workbook to `path` through a scratch file in its folder that
// replaces `path` only once complete. False with `error` on failure; false
// with `cancelled` set when `progress` asked to stop (nothing written then).
// `sheets` (optional) receives the number of sheets.
bool WriteWorkbook(const SurveyReport& report, const std::string& path, const Progress& progress,
                   std::string& error, bool* cancelled = nullptr, int* sheets = nullptr);

}  // namespace vantora::report
