// The application object of VantoraPC: start-up (settings, document kinds,
// main frame, splash window, the command-line file, directories, optional
// files beside the program) and the application-level commands: File Open,
// Open Results, Change Font, diagnostics, Transfer, help and web pages,
// About.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "common/gui/framework.h"

namespace vantora {

class CVantoraApp : public CWinApp {
  Q_OBJECT
 public:
  CVantoraApp();
  ~CVantoraApp() override;

  // args[0] is the program, args[1] an optional file to open.
  bool InitInstance(const std::vector<std::string>& args) override;

  const std::vector<MenuItemDef>& Menu(int resourceId) const override;
  std::vector<AcceleratorDef> Accelerators(int resourceId) const override;
  std::vector<int> ToolBarCommands() const override;
  QIcon CommandIcon(int id) const override;
  void UpdateMenuTexts(CMainFrame& frame) override;

  bool OnCommand(int id) override;
  bool QueryCommand(int id, bool& enabled, bool& checked) override;
  CDocument* OpenDocumentFile(const std::string& path) override;

  // Commands.
  void OnFileOpen();
  void OnOpenResults();
  void OnChangeFont();
  void OnDiagnostics();
  void OnTransfer();
  void OnHelp();
  void OnMobileHelp(const char* file);
  void OnWebPage(const char* key, const char* defaultAddress);
  void OnSupport();
  void OnAbout();

  // Reads a directory setting with a separator appended.
  static std::string GetProfileDirectory(const char* section, const char* key);

  std::string programDirectory;  // with a trailing separator
  CDocTemplate* graphTemplate = nullptr;
  bool transferAvailable = false;
  bool mobileHelpA = false;
  bool mobileHelpB = false;

  // The data, documents and templates folders used when their settings are
  // empty. Templates live beside the program (a build tree, a portable
  // copy) unless it runs from an installed layout (InstalledLayout) or its
  // folder is not writable; then in the user's documents folder, which
  // receives the shipped templates when it is made at first start.
  static std::string DefaultDataDirectory();
  static std::string DefaultDocumentsDirectory();
  std::string DefaultTemplatesDirectory() const;
  // A page of the shipped help folder, and the support page (ShippedFile).
  std::string HelpFilePath(const std::string& name) const;
  std::string SupportFilePath() const;

  // Sets the program directory (and the core's program folder) from the
  // running executable.
  void LocateProgram();
  // The hidden "--shipped-files" option: locates the program and writes the
  // files its commands would open (help, support page, compound list, blank
  // drawing, templates) and the default templates folder, one per line, in
  // UTF-8. Returns 0 when every file exists, else 1.
  int ReportShippedFiles(std::ostream& out);
  // Start-up: each empty directory setting gets its default folder, which
  // is created and stored; the data folder becomes the current directory.
  void SettleDirectories();

 private:
  void AddToRecentFiles(const std::string& path);
  void AddToRecentFileList(const std::string& path) override { AddToRecentFiles(path); }
  void RemoveFromRecentFiles(const std::string& path);
  void StoreRecentFiles(const std::vector<std::string>& files);
  std::vector<std::string> RecentFiles() const;
};

// The program's folder from a process command line: lower-cased, cut just
// after the first ".exe" found after the first character, quotes removed,
// the folder part kept with a trailing backslash.
std::string ProgramDirectoryFromCommandLine(const std::string& commandLine);

// Names of the transfer programs beside VantoraPC.
std::string HandheldTransferProgramName();  // "transfer.exe" / "transfer"
std::string CorvaneTransferProgramName();   // "corvanetransfer.exe" / "corvanetransfer"

}  // namespace vantora
