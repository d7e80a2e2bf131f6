// The survey report as a PDF: A4 portrait pages with 15 mm margins (cover,
// summary, a section per location from a new page, method), the title and
// "N of M" in every footer. Text is real PDF text in embedded fonts; the
// strip graphs come from the one chart render path as vectors.
#pragma once

#include <string>

#include "report/surveyreport.h"

namespace vantora::report {

// Writes the PDF to `path` through a scratch file beside it that replaces
// `path` only once complete. Needs a QApplication (charts are drawn on the
// plotting widgets). False with `error` on failure; false with `cancelled`
// set when `progress` asked to stop (nothing written then). `pages`
// (optional) receives the page count.
bool WriteReportPdf(const SurveyReport& report, const std::string& path, const Progress& progress,
                    std::string& error, bool* cancelled = nullptr, int* pages = nullptr);

// Writes one output by the kind its name tells (.pdf or .xlsx); `summary`
// receives "<n> pages" or "<n> sheets".
bool WriteReportOutput(const SurveyReport& report, const std::string& path,
                       const Progress& progress, std::string& error, bool* cancelled = nullptr,
                       std::string* summary = nullptr);

}  // namespace vantora::report
