#include "PrnFile.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

TPrinterOutFile::TPrinterOutFile(QPrinter* Printer) : FPrinter(Printer) {}

// A print job still running here was neither closed nor abandoned: it is aborted so
// that no half-finished page reaches the printer.
TPrinterOutFile::~TPrinterOutFile() {
  if (FPainter && FPainter->isActive()) {
    FPrinter->abort();
    FPainter->end();
  }
}

bool TPrinterOutFile::Open(const QString& FileName) {
  FToPrinter = FileName.isEmpty();
  if (!FToPrinter) return TTextOutFile::Open(FileName);

  FFileName.clear();
  FStatus = StatusOk;
  FPageCount = 0;
  if (FPrinter == nullptr) {
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
      FStatus = StatusNoPrinter;
      return false;
    }
    FOwnPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    FPrinter = FOwnPrinter.get();
  } else if (FPrinter->outputFormat() == QPrinter::NativeFormat &&
             QPrinterInfo::availablePrinterNames().isEmpty()) {
    FStatus = StatusNoPrinter;
    return false;
  }
  if (!FDocumentName.isEmpty()) FPrinter->setDocName(FDocumentName);
  FPainter = std::make_unique<QPainter>();
  if (!FPainter->begin(FPrinter)) {
    FPainter.reset();
    FStatus = StatusPrintFailed;
    return false;
  }
  FPageCount = 1;
  SetMargins(0, 0);
  return true;
}

void TPrinterOutFile::SetFont(const QFont& Font) {
  if (FToPrinter && FPainter) FPainter->setFont(Font);
}

void TPrinterOutFile::SetDocumentName(const QString& Name) { FDocumentName = Name; }

void TPrinterOutFile::SetMargins(int Left, int Top) {
  if (!FToPrinter || !FPainter) return;
  FLeftMargin = std::max(Left, 0);
  FTopMargin = std::max(Top, 0);
  const QFontMetrics Metrics(FPainter->font(), FPrinter);
  FLineHeight = std::max(1, int(Metrics.height() * 1.2));
  FLinesPerPage = FPrinter->height() / FLineHeight - 2 * FTopMargin;
  // A page always takes at least one line, or the page-full test would never be met.
  FLinesPerPage = std::max(FLinesPerPage, FTopMargin + 1);
  FLineText = QString(FLeftMargin, QLatin1Char(' '));
  FCurLine = FTopMargin;
}

void TPrinterOutFile::Write(const QString& Text) {
  if (!FToPrinter) {
    TTextOutFile::Write(Text);
    return;
  }
  FLineText += Text;
}

void TPrinterOutFile::NewLine() {
  if (!FToPrinter) {
    TTextOutFile::NewLine();
    return;
  }
  if (!FPainter) return;
  ++FCurLine;
  // The line's top lies CurLine line heights down the page.
  const int Baseline = FCurLine * FLineHeight + FPainter->fontMetrics().ascent();
  FPainter->drawText(0, Baseline, FLineText);
  FLineText = QString(FLeftMargin, QLatin1Char(' '));
  if (FCurLine == FLinesPerPage) NewPage();
}

void TPrinterOutFile::NewPage() {
  if (!FToPrinter) {
    TTextOutFile::NewPage();
    return;
  }
  if (!FPainter) return;
  if (FPrinter->newPage()) ++FPageCount;
  FCurLine = FTopMargin;
}

void TPrinterOutFile::Close() {
  if (!FToPrinter) {
    TTextOutFile::Close();
    return;
  }
  if (!FPainter) return;
  const bool Ended = FPainter->end();
  FPainter.reset();
  if (!Ended && FStatus == StatusOk) FStatus = StatusPrintCloseFailed;
}

void TPrinterOutFile::Abandon() {
  if (!FToPrinter) {
    TTextOutFile::Abandon();
    return;
  }
  if (FStatus == StatusNoPrinter || !FPainter) return;
  FPrinter->abort();
  FPainter->end();
  FPainter.reset();
}

QString TPrinterOutFile::GetErrorMessage() const {
  if (!FToPrinter) return TTextOutFile::GetErrorMessage();
  switch (FStatus) {
    case StatusNoPrinter:
      return QStringLiteral("No printer attached or installed.");
    case StatusPrintFailed:
      return QStringLiteral("Can't write to printer.");
    case StatusPrintCloseFailed:
      return QStringLiteral("Can't close printer output.");
    case StatusAbandoned:
    case StatusAborted:
      return QStringLiteral("Printer output abandoned.");
    default:
      return QString();
  }
}
