#include "PrnFile.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

TPrinterOutFile::TPrinterOutFile(QPrinter* Printer) : FPrinter(Printer) {}

// A print job still running here was neither closed nor abandoned: it is aborted so
// that no half-finished page reaches the printer or its file.
TPrinterOutFile::~TPrinterOutFile() {
  if (FPainter && FPainter->isActive()) EndPainting(false);
}

QPagedPaintDevice* TPrinterOutFile::Device() const {
  if (FPdfWriter) return FPdfWriter.get();
  return FPrinter;
}

bool TPrinterOutFile::EndPainting(bool Finished) {
  if (!Finished && !FPdfWriter) FPrinter->abort();
  const bool Ended = FPainter->end();
  FPainter.reset();
  return Ended;
}

bool TPrinterOutFile::Open(const QString& FileName) {
  FToPrinter = FileName.isEmpty();
  if (!FToPrinter) return TTextOutFile::Open(FileName);

  FFileName.clear();
  FStatus = StatusOk;
  FReason.clear();
  FPageCount = 0;
  FPdfWriter.reset();
  FPdfBytes.reset();
  if (FPrinter == nullptr) {
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
      FStatus = StatusNoPrinter;
      return false;
    }
    FOwnPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    FPrinter = FOwnPrinter.get();
  } else if (FPrinter->outputFileName().isEmpty() && FPrinter->outputFormat() == QPrinter::NativeFormat &&
             QPrinterInfo::availablePrinterNames().isEmpty()) {
    FStatus = StatusNoPrinter;
    return false;
  }
  if (!FDocumentName.isEmpty()) FPrinter->setDocName(FDocumentName);
  if (!FPrinter->outputFileName().isEmpty()) {
    // The file is checked, and its temporary made beside it, before anything is drawn;
    // the pages go to a PDF in memory laid out as the printer would lay them out.
    if (!TTextOutFile::Open(FPrinter->outputFileName())) return false;
    FPdfBytes = std::make_unique<QBuffer>();
    FPdfBytes->open(QIODevice::WriteOnly);
    FPdfWriter = std::make_unique<QPdfWriter>(FPdfBytes.get());
    FPdfWriter->setPdfVersion(FPrinter->pdfVersion());
    FPdfWriter->setResolution(FPrinter->resolution());
    FPdfWriter->setPageLayout(FPrinter->pageLayout());
    FPdfWriter->setTitle(FPrinter->docName());
    FPdfWriter->setCreator(FPrinter->creator());
  }
  FPainter = std::make_unique<QPainter>();
  if (!FPainter->begin(Device())) {
    FPainter.reset();
    FStatus = StatusPrintFailed;
    TTextOutFile::Abandon();  // the file's temporary, if any
    return false;
  }
  FPageCount = 1;
  FPagePending = false;
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
  const QFontMetrics Metrics(FPainter->font(), Device());
  FLineHeight = std::max(1, int(Metrics.height() * 1.2));
  FLinesPerPage = Device()->height() / FLineHeight - 2 * FTopMargin;
  // A page always takes at least one line, or the page-full test would never be met.
  FLinesPerPage = std::max(FLinesPerPage, FTopMargin + 1);
  FLineText = QString(FLeftMargin, QLatin1Char(' '));
  FCurLine = FTopMargin;
  FPagePending = false;
}

void TPrinterOutFile::FitFontToWidth(int Chars) {
  if (!FToPrinter || !FPainter || Chars <= 0) return;
  QFont Font = FPainter->font();
  const QString Sample(Chars, QLatin1Char('X'));
  const qreal Width = QFontMetricsF(Font, Device()).horizontalAdvance(Sample);
  const int Available = Device()->width();
  if (Width <= Available || Width <= 0) return;
  // A fixed-pitch font grows in proportion to its size; the step down makes up for
  // rounding in the font's metrics.
  qreal Size = Font.pointSizeF() * Available / Width;
  for (int Try = 0; Try < 20 && Size > 1; ++Try) {
    Font.setPointSizeF(Size);
    if (QFontMetricsF(Font, Device()).horizontalAdvance(Sample) <= Available) break;
    Size *= 0.97;
  }
  FPainter->setFont(Font);
}

QFont TPrinterOutFile::Font() const { return FPainter ? FPainter->font() : QFont(); }

int TPrinterOutFile::PrintableWidth() const { return Device() ? Device()->width() : 0; }

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
  // A full page is followed by a new one only once another line comes.
  if (FPagePending) {
    FPagePending = false;
    NewPage();
  }
  ++FCurLine;
  // The line's top lies CurLine line heights down the page.
  const int Baseline = FCurLine * FLineHeight + FPainter->fontMetrics().ascent();
  FPainter->drawText(0, Baseline, FLineText);
  FLineText = QString(FLeftMargin, QLatin1Char(' '));
  FPagePending = FCurLine >= FLinesPerPage;
}

void TPrinterOutFile::NewPage() {
  if (!FToPrinter) {
    TTextOutFile::NewPage();
    return;
  }
  if (!FPainter) return;
  FPagePending = false;
  if (Device()->newPage()) ++FPageCount;
  FCurLine = FTopMargin;
}

void TPrinterOutFile::Close() {
  if (!FToPrinter) {
    TTextOutFile::Close();
    return;
  }
  if (!FPainter) return;
  const bool Ended = EndPainting(true);
  if (!Ended && FStatus == StatusOk) FStatus = StatusPrintCloseFailed;
  if (!FPdfWriter) return;
  // The whole PDF goes to the file, which takes the target's place only once all of it is
  // on the disk; after any failure the earlier file stays.
  WriteData(FPdfBytes->data());
  TTextOutFile::Close();
}

void TPrinterOutFile::Abandon() {
  if (!FToPrinter) {
    TTextOutFile::Abandon();
    return;
  }
  if (FStatus == StatusNoPrinter || !FPainter) return;
  EndPainting(false);
  if (FPdfWriter) TTextOutFile::Abandon();
}

QString TPrinterOutFile::GetErrorMessage() const {
  if (!FToPrinter || !FFileName.isEmpty()) return TTextOutFile::GetErrorMessage();
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
