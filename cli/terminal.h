// Standard output of the `vantora` commands on a terminal and elsewhere.
#pragma once

#include <string>

namespace vantora::cli {

// Whether standard output is a terminal.
bool StdoutIsTerminal();
// Whether standard error is a terminal (progress lines go there then).
bool StderrIsTerminal();
// Text the GUI writes to files (statistics, copies; Windows-1252 with CR LF):
// on a terminal as UTF-8 with plain line ends, piped or redirected unchanged.
void WriteFileText(const std::string& cp1252);
// Text for reading only (UTF-8): CR LF become plain line ends on a terminal.
void WriteReadingText(const std::string& utf8);
// CR LF -> LF.
std::string PlainLineEnds(const std::string& text);
// Keeps Qt's note about an unset XDG_RUNTIME_DIR from reaching the user;
// every other Qt message passes as before.
void QuietRuntimeDirWarning();
// The process's one QApplication, made on first use for the commands that
// draw (fonts and the plotting widgets need it; no display is needed).
// Only in builds with the drawing commands.
void GuiApplication();

}  // namespace vantora::cli
