#pragma once
// Line output to the printer with the interface of TTextOutFile: text is gathered into
// lines that are drawn one under the other in the chosen (fixed-pitch) font, with a
// left margin in characters, a top margin in lines and a new page when a page is full.
// Opened with a file name it writes a text file exactly as TTextOutFile does.
//
// A printer whose output is a file (the print dialog's PDF file) is drawn on in memory,
// and the finished PDF is written like every other file of the program: the file is
// checked when the job begins (a pipe, a device or a file set to read-only is refused at
// once, with its name and the reason), and the PDF takes its place only once complete.

#include "TxtFile.h"

#include <QFont>
#include <QString>

#include <memory>

class QBuffer;
class QPagedPaintDevice;
class QPainter;
class QPdfWriter;
class QPrinter;

class TPrinterOutFile : public TTextOutFile {
 public:
  // Printer status codes (a file, and a printer whose output is a file, use those of
  // TTextOutFile; FileName then names that file).
  enum PrinterStatus {
    StatusNoPrinter = 1,
    StatusPrintFailed = 2,
    StatusPrintCloseFailed = 3,
    StatusAbandoned = 4,
    StatusAborted = 5,
  };

  // Prints on Printer (not owned; it must outlive this object), or, when Printer is
  // null, on a printer of its own set up for the system's default printer.
  explicit TPrinterOutFile(QPrinter* Printer = nullptr);
  ~TPrinterOutFile() override;

  // An empty FileName prints: the print job begins (status 1 and False when no
  // printer is installed, or when the printer's output file may not be written) with
  // margins 0; otherwise the text file FileName is created.
  bool Open(const QString& FileName);
  // Printer only: the font of the lines; call SetMargins after it.
  void SetFont(const QFont& Font);
  // Printer only: makes the font smaller when a line of Chars characters (left margin
  // included) would run past the printable width of the page; call before SetMargins.
  void FitFontToWidth(int Chars);
  // Printer only: the font of the lines (while the job runs) and the width of the
  // page's printable area, the printer's margins taken off, in printer pixels.
  QFont Font() const;
  int PrintableWidth() const;
  // Printer only: the left margin in characters and the top margin in lines; sets the
  // line height from the font and the number of lines per page.
  void SetMargins(int Left, int Top);
  // Printer only: the name of the print job (before Open).
  void SetDocumentName(const QString& Name);
  void Write(const QString& Text);
  void NewLine() override;
  void NewPage() override;
  void Close() override;
  void Abandon();
  QString GetErrorMessage() const override;

  bool ToPrinter() const { return FToPrinter; }
  int LineHeight() const { return FLineHeight; }
  int LinesPerPage() const { return FLinesPerPage; }
  int TopMargin() const { return FTopMargin; }
  int CurLine() const { return FCurLine; }
  // Pages begun by the current print job (1 after Open).
  int PageCount() const { return FPageCount; }

 private:
  // What the pages are drawn on: the PDF in memory when the printer's output is a file.
  QPagedPaintDevice* Device() const;
  // Ends the drawing; a job that is not finished never reaches its printer or file.
  bool EndPainting(bool Finished);

  QPrinter* FPrinter = nullptr;
  std::unique_ptr<QPrinter> FOwnPrinter;
  std::unique_ptr<QBuffer> FPdfBytes;
  std::unique_ptr<QPdfWriter> FPdfWriter;
  std::unique_ptr<QPainter> FPainter;
  QString FDocumentName;
  bool FToPrinter = false;
  int FLineHeight = 1;
  int FLinesPerPage = 1;
  int FLeftMargin = 0;
  int FTopMargin = 0;
  int FCurLine = 0;
  int FPageCount = 0;
  bool FPagePending = false;  // the page is full; the next line begins a new one
  QString FLineText;
};
