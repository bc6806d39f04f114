#pragma once
// The schedule preview: eight summary figures and a grid with one row per schedule day
// and the rows "Total", "Average", "Maximum" and "Minimum", read from a calculated
// TSovSchedule. From here the schedule is printed (to a printer, a PDF file or a text file) and
// exported as CSV or ACE JSON.
//
// The dialog owns nothing of the model: SetScheduleData keeps a reference to the
// schedule, which must stay alive while the dialog is used.

#include <QDateTime>
#include <QDialog>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class QEvent;
class QLabel;
class QPrinter;
class QPushButton;
class QTableWidget;
class TPrinterOutFile;
class TSovSchedule;
enum class TUnitKind;

// One line of the field part of the printed report: a label and a value on the left,
// a label and a value on the right.
struct TReportFieldLine {
  QString LeftLabel, LeftValue, RightLabel, RightValue;
};

// What the printed report shows of the field page.
struct TReportFieldPage {
  std::array<TReportFieldLine, 9> Lines;
  QString NotesLabel;
  QString Notes;
};

// The field page's captions with the field's own values: what the main window's field
// page shows once its controls have been stored into the field.
TReportFieldPage FieldPageOfSchedule(const TSovSchedule& Schedule);

class TPreviewDlg : public QDialog {
  Q_OBJECT

 public:
  // A cell of the main window's weather grid: rows 0 and 1 its headers, row d + 1 day d;
  // the preview reads columns 0 (day), 1 (date), 3 (high) and 4 (low temperature).
  using TGridCellFunc = std::function<QString(int Row, int Col)>;
  using TFieldPageFunc = std::function<TReportFieldPage()>;

  static constexpr int GridColumns = 13;
  static constexpr int HelpContext = 400;

  explicit TPreviewDlg(QWidget* Parent = nullptr);
  ~TPreviewDlg() override;

  // Fills the summary figures and the grid from a calculated schedule. Without a
  // weather grid the day, date and temperature columns come from the field's own
  // cells, as the weather grid shows them.
  void SetScheduleData(const TSovSchedule& Schedule, const TGridCellFunc& WeatherGridCell = {});
  // The calculate command's part: SetScheduleData, the caption "Preview Schedule - "
  // and the file name, the last day's soil moisture selected, and the modal run.
  int ShowSchedule(const TSovSchedule& Schedule, const TGridCellFunc& WeatherGridCell = {});

  // Where the printed report takes the field page from (default: the field's cells).
  void SetFieldPageSource(TFieldPageFunc Source) { FFieldPage = std::move(Source); }
  // The program's version block as the report and the print job show it (default:
  // the build's own).
  void SetVersionInfo(const QString& ProductName, const QString& ProductVersion,
                      const QString& InternalName);
  // The hint options of the main window: popup hints as tool tips, and hints on the
  // status line.
  void SetHintOptions(bool PopupHints, bool HintsOnStatusBar);

  // The grid's text at column Col and row Row (rows 0 and 1: the two header rows).
  QString Cell(int Col, int Row) const;
  int RowCount() const;

  // Export to a chosen file: ".csv" or ".json" (any case); failures are shown in an
  // error box. True when the file was written.
  bool ExportScheduleTo(const QString& FileName);
  // Prints the report to the printer (empty FileName) or writes it to a text file;
  // failures are shown in an error box. Printer: the printer to use, or null for the
  // system's default. Now: the time the report states (null: the current time).
  // Returns the output's final status (0: all well), or -1 when an error interrupted
  // the report (the output is then dropped).
  int PrintScheduleTo(const QString& FileName, QPrinter* Printer = nullptr,
                      const QDateTime& Now = QDateTime());
  // The report's lines, each followed by NewLine.
  void WriteReport(TPrinterOutFile& Out, const QDateTime& Now) const;
  QStringList ReportLines(const QDateTime& Now) const;

  // The print dialog (True when the user chose a printer, set up in Printer) and the
  // save dialog of the text output (the chosen name; empty on Cancel). Tests answer
  // them instead of a user.
  std::function<bool(QWidget* Parent, QPrinter& Printer)> RunPrintDialog = DefaultPrintDialog;
  std::function<QString(QWidget* Parent)> AskTextFileName = DefaultTextFileDialog;
  static bool DefaultPrintDialog(QWidget* Parent, QPrinter& Printer);
  static QString DefaultTextFileDialog(QWidget* Parent);

  QLabel* CalcDateLbl = nullptr;
  QLabel* CalcDateBox = nullptr;
  QLabel* EvapotransLbl = nullptr;
  QLabel* EvapotransBox = nullptr;
  QLabel* SoilMoisLbl = nullptr;
  QLabel* SoilMoisBox = nullptr;
  QLabel* GDDLbl = nullptr;
  QLabel* GDDBox = nullptr;
  QLabel* AddSafelyLbl = nullptr;
  QLabel* AddSafelyBox = nullptr;
  QLabel* DaysTill1InchLbl = nullptr;
  QLabel* DaysTill1InchBox = nullptr;
  QLabel* ExcessH2OLbl = nullptr;
  QLabel* ExcessH2OBox = nullptr;
  QLabel* IrrInefficiencyLbl = nullptr;
  QLabel* IrrInefficiencyBox = nullptr;
  QTableWidget* PrevGrid = nullptr;  // day rows and summary rows; the headers are rows 0-1
  QPushButton* ChartBtn = nullptr;
  QPushButton* PrintOutputBtn = nullptr;
  QPushButton* PrintToTextFileBtn = nullptr;
  QPushButton* ExportBtn = nullptr;
  QPushButton* HelpBtn = nullptr;
  QPushButton* ClosePreviewBtn = nullptr;
  QLabel* StatusBarHint = nullptr;

 public slots:
  void PrintOutputBtnClick();
  void ExportBtnClick();
  void ChartBtnClick();
  // Exports the schedule to a temporary CSV file and charts it in a workbook.
  bool ChartSchedule();
  // Prints on the printer chosen in the print dialog (a PDF file included).
  void PrintSchedule();
  void PrintToTextFileBtnClick();
  // Asks for a text file name and writes the report there.
  void PrintScheduleToTextFile();
  // Asks for the export file and exports.
  void ExportSchedule();
  void DisplayStatusBarFocusHint();
  void EraseStatusBarFocusHint();

 protected:
  bool event(QEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  void done(int Result) override;

 private:
  void SetCell(int Col, int Row, const QString& Text);
  void SetHint(QWidget* Control, const QString& Hint);
  // Column widths for the texts in the grid.
  void FitColumns();
  QString UnitsLabel(TUnitKind Kind) const;

  const TSovSchedule* FSchedule = nullptr;
  TFieldPageFunc FFieldPage;
  std::array<QStringList, 2> FHeader;  // the two header rows, one text per column
  QString FProductName;
  QString FProductVersion;
  QString FInternalName;
  bool FPopupHints = true;
  bool FHintsOnStatusBar = false;
};
