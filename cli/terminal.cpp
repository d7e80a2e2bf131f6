#include "cli/terminal.h"

#if defined(VANTORA_HAVE_GRAPH) || defined(VANTORA_HAVE_REPORT)
#include <QApplication>
#endif
#include <QString>
#include <QtGlobal>
#include <cstdio>

#include "cli/cli.h"
#include "common/codepage.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace vantora::cli {

bool StdoutIsTerminal() { return isatty(fileno(stdout)) != 0; }

bool StderrIsTerminal() { return isatty(fileno(stderr)) != 0; }

std::string PlainLineEnds(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

void WriteFileText(const std::string& cp1252) {
  if (StdoutIsTerminal())
    WriteOut(PlainLineEnds(Cp1252ToUtf8(cp1252)));
  else
    WriteOut(cp1252);
}

void WriteReadingText(const std::string& utf8) {
  WriteOut(StdoutIsTerminal() ? PlainLineEnds(utf8) : utf8);
}

namespace {

QtMessageHandler& PreviousHandler() {
  static QtMessageHandler previous = nullptr;
  return previous;
}

void FilterMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QLatin1String("XDG_RUNTIME_DIR"))) return;
  if (PreviousHandler())
    PreviousHandler()(type, context, message);
  else
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

}  // namespace

void QuietRuntimeDirWarning() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  PreviousHandler() = qInstallMessageHandler(FilterMessage);
}

#if defined(VANTORA_HAVE_GRAPH) || defined(VANTORA_HAVE_REPORT)
void GuiApplication() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QuietRuntimeDirWarning();
  static int argc = 1;
  static char name[] = "vantora";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
}
#endif

}  // namespace vantora::cli
