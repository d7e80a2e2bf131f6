// The export commands of VantoraPC: "&Export to Excel..." of a location view
// (one location to CSV) and "Expo&rt Site to Table..." of the application
// (every location of a site folder to one table), with their dialogs and
// closing messages. Registered in register/exportprintcommands.cpp.
#pragma once

#include <functional>
#include <string>

class QProgressDialog;

namespace vantora {

class CLogData;

// Whether the desktop has a program for .csv files (Windows: a default value
// of HKEY_CLASSES_ROOT\.csv; elsewhere: a default application for text/csv).
bool CsvProgramRegistered();
// Test hook replacing that check; an empty function restores it.
void SetCsvProgramCheck(std::function<bool()> check);

// The closing messages of both exports: offer to open `path` when a program
// is registered for it, else say that none is.
void ShowExportDone(const std::string& path);

// Command 32784 on a location's data: save dialog, export, messages.
void ExportLocationCsv(const CLogData& data);

// Site folders are chosen with the Select Site dialog; tests replace it. The
// chooser gets the starting folder and returns false for cancel.
using SiteChooser = std::function<bool(std::string& site)>;
void SetSiteChooser(SiteChooser chooser);

// A progress dialog with a Cancel button is shown for sites of at least this
// many location files.
constexpr int kSiteProgressFiles = 10;
// Test hook: called with the progress dialog once it exists.
void SetSiteProgressHook(std::function<void(QProgressDialog&)> hook);

// Command 32807: Select Site dialog, save dialog, export, messages.
void ExportSite();

}  // namespace vantora
