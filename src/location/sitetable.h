// Site table export: every location file of one site folder in one
// comma-separated table, one column per measured quantity (parameter and
// unit), shared by the locations that measure it.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vantora {

enum class SiteTableStatus {
  Ok,
  NoFiles,      // no location file in the folder
  NoRecords,    // location files, but not one record among them
  WriteFailed,  // the table could not be written
  Cancelled,    // stopped by the progress callback; nothing was written
};

// The message shown for a status ("" for Ok).
const char* SiteTableMessage(SiteTableStatus status);

// Called before each location file with the number of files done and the
// number found, and once more at the end; returning false cancels.
using SiteTableProgress = std::function<bool(int done, int total)>;

// The location files of `site` (this folder only, no subfolders): names ending
// in ".loc" (any case) that are not folders, sorted by name ignoring case.
std::vector<std::string> SiteLocationFiles(const std::string& site);

// Builds the table of `site` into `heading` (with its line end) and `body`.
// Locations are opened one at a time. `notices` (optional) receives one line
// for each file left out (its header cannot be read, not a regular file) and
// each location with missing or damaged records, with the reason.
SiteTableStatus BuildSiteTable(const std::string& site, std::string& heading, std::string& body,
                               const SiteTableProgress& progress = {},
                               std::vector<std::string>* notices = nullptr);

// Builds the table and writes it to `output`. The old file stays untouched
// until the new one is complete, and also when the export fails or is
// cancelled. `status` (optional) says why it returned false; `notices` as for
// BuildSiteTable; `error` the system's error number of a failed write.
bool ExportSiteTable(const std::string& site, const std::string& output,
                     SiteTableStatus* status = nullptr, const SiteTableProgress& progress = {},
                     std::vector<std::string>* notices = nullptr, int* error = nullptr);

// The output proposed for `site`: the folder path without its trailing
// separator, then ".csv" (beside the folder).
std::string ProposedSiteTablePath(const std::string& site);

}  // namespace vantora
