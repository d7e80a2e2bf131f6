#include <gtest/gtest.h>

#include <QPageLayout>
#include <QPrinter>

#include "common/gui/qtstrings.h"
#include "guisupport/guiapp.h"
#include "location/gui/printcommands.h"

namespace vantora {
namespace {

TEST(PrintPages, MarginsEveryPrinterCanPrint) {
  test::GuiApp();
  QMarginsF mm = ThePrinter().pageLayout().margins(QPageLayout::Millimeter);
  EXPECT_GE(mm.left(), 10.0 - 1e-6);
  EXPECT_GE(mm.top(), 10.0 - 1e-6);
  EXPECT_GE(mm.right(), 10.0 - 1e-6);
  EXPECT_GE(mm.bottom(), 10.0 - 1e-6);
}

TEST(PrintPages, PrintingToAFileProposesTheLocationsName) {
  test::GuiApp();
  EXPECT_EQ(ProposedPdfPath("/data/Site 1/Office 101.loc"), "/data/Site 1/Office 101.pdf");
  QPrinter printer;
  ProposePdfName(printer, "/data/Site 1/Office 101.loc");
  EXPECT_EQ(printer.docName().toStdString(), "Office 101");
  // Printing to a file: Qt's own default and our earlier proposal follow the
  // location printed now ...
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName("/home/someone/print.pdf");
  ProposePdfName(printer, "/data/Site 1/Office 101.loc");
  EXPECT_EQ(FromQtPath(printer.outputFileName()), "/data/Site 1/Office 101.pdf");
  ProposePdfName(printer, "/data/Site 2/Lab 2.loc");
  EXPECT_EQ(FromQtPath(printer.outputFileName()), "/data/Site 2/Lab 2.pdf");
  EXPECT_EQ(printer.docName().toStdString(), "Lab 2");
  // ... a name the user chose stays.
  printer.setOutputFileName("/home/someone/mine.pdf");
  ProposePdfName(printer, "/data/Site 1/Office 101.loc");
  EXPECT_EQ(printer.outputFileName().toStdString(), "/home/someone/mine.pdf");
}

}  // namespace
}  // namespace vantora
