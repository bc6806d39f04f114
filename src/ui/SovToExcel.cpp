// The schedule's charts: the cells of the schedule's CSV export, as the export writes
// them (numbers become real numbers, the dates real dates), are written with
// libxlsxwriter into a workbook whose sheets "Soil Moisture", "Weather",
// "Evapotranspiration" and "Soil Nitrogen" each hold one line chart of the fifth
// sheet, "Schedule Data", which holds those cells at their places in the export (names
// in row 1, units in row 2, the days from row 3, an empty row and the four summary
// rows).

#include "SovToExcel.h"

#include "SafeFile.h"
#include "ShlUtil.h"
#include "SovSched.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QUuid>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <pugixml.hpp>
#include <xlsxwriter.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <exception>
#include <stdexcept>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// The schedule's cells
// ---------------------------------------------------------------------------

constexpr int ColumnCount = TSovSchedule::ExportColumnCount;  // A to AC
constexpr int NotesColumn = ColumnCount - 1;                    // AC
// The longest text a spreadsheet cell holds.
constexpr qsizetype MaxCellText = 32767;

enum class TColumnKind { Whole, Date, Text, Number };

TColumnKind KindOfColumn(int Col) {
  switch (TSovSchedule::ExportColumns()[size_t(Col)]) {
    case TSovSchedule::ColDayNum:
    case TSovSchedule::ColYear:
    case TSovSchedule::ColMonth:
    case TSovSchedule::ColDay:
      return TColumnKind::Whole;
    case TSovSchedule::ColDate:
      return TColumnKind::Date;
    case TSovSchedule::ColGrowthStage:
    case TSovSchedule::ColNotes:
      return TColumnKind::Text;
    default:
      return TColumnKind::Number;
  }
}

struct TCell {
  enum TType { IsEmpty, IsNumber, IsText, IsDate } Type = IsEmpty;
  double Number = 0;
  QString Text;
  QDate Date;
};
using TRow = std::vector<TCell>;

// The sheet's rows from row 1, as the CSV export lays them out: the names, the units,
// the days, an empty TRow and the four summary rows.
struct TScheduleData {
  std::vector<TRow> Rows;
  int DayCount = 0;
};

QString QuoteText(const QString& Text) { return QLatin1Char('"') + Text + QLatin1Char('"'); }

TCell TextCell(const QString& Text) {
  TCell Cell;
  if (!Text.isEmpty()) {
    Cell.Type = TCell::IsText;
    Cell.Text = Text;
  }
  return Cell;
}

// "yyyy-mm-dd" exactly, a real date within the years a workbook can hold.
bool ParseIsoDate(const QString& Text, QDate& Date) {
  if (Text.size() != 10 || Text[4] != QLatin1Char('-') || Text[7] != QLatin1Char('-')) return false;
  for (qsizetype I : {0, 1, 2, 3, 5, 6, 8, 9})
    if (Text[I] < QLatin1Char('0') || Text[I] > QLatin1Char('9')) return false;
  Date = QDate(Text.left(4).toInt(), Text.mid(5, 2).toInt(), Text.mid(8, 2).toInt());
  return Date.isValid() && Date.year() >= 1900 && Date.year() <= 9999;
}

// One cell of a day or summary row by its column's kind, from the text the export
// writes for it; empty values stay empty. Where names the row ("Day 3", "Total"),
// Name the column.
bool ParseCell(const QString& Text, int Col, const QString& Where, const QString& Name,
               const TFormatSettings& Settings, TCell& Cell, QString& Reason) {
  Cell = TCell();
  switch (KindOfColumn(Col)) {
    case TColumnKind::Text:
      if (Text.size() > MaxCellText) {
        Reason = QStringLiteral("%1: %2 is longer than %3 characters.").arg(Where, Name).arg(MaxCellText);
        return false;
      }
      Cell = TextCell(Text);
      return true;
    case TColumnKind::Date:
      if (!ParseIsoDate(Text, Cell.Date)) {
        Reason = QStringLiteral("%1: %2 %3 is not a date of the form yyyy-mm-dd.").arg(Where, Name, QuoteText(Text));
        return false;
      }
      Cell.Type = TCell::IsDate;
      return true;
    case TColumnKind::Whole: {
      if (Text.isEmpty()) return true;
      int Value = 0;
      if (!TryStrToInt(Text, Value)) {
        Reason = QStringLiteral("%1: %2 %3 is not a whole number.").arg(Where, Name, QuoteText(Text));
        return false;
      }
      Cell.Type = TCell::IsNumber;
      Cell.Number = Value;
      return true;
    }
    case TColumnKind::Number: {
      if (Text.isEmpty()) return true;
      double Value = 0;
      if (!TryStrToFloat(Text, Value, Settings)) {
        Reason = QStringLiteral("%1: %2 %3 is not a number.").arg(Where, Name, QuoteText(Text));
        return false;
      }
      Cell.Type = TCell::IsNumber;
      Cell.Number = Value;
      return true;
    }
  }
  return true;
}

// The cells of the schedule's CSV export, typed: numbers (in the schedule's user
// format) become real numbers and the dates real dates. False with Reason when a cell
// holds what its column cannot (a weather cell edited to a text since the
// calculation).
bool ReadSchedule(const TSovSchedule& Schedule, TScheduleData& Data, QString& Reason) {
  Data = TScheduleData();
  const auto& Columns = TSovSchedule::ExportColumns();
  const TFormatSettings& Settings = Schedule.UserFormat();
  if (Schedule.DayCount() < 1) {
    Reason = QStringLiteral("The schedule holds no days.");
    return false;
  }
  QStringList Names;
  TRow NameRow;
  for (int Col : Columns) {
    Names << Schedule.ColumnName(Col);
    NameRow.push_back(TextCell(Names.back()));
  }
  Data.Rows.push_back(std::move(NameRow));
  TRow UnitRow;
  for (const QString& Unit : TSovSchedule::ExportUnits(Schedule.IsMetric())) UnitRow.push_back(TextCell(Unit));
  Data.Rows.push_back(std::move(UnitRow));

  for (int Day = 1; Day <= Schedule.DayCount(); ++Day) {
    const QString Where = QStringLiteral("Day %1").arg(Day);
    TRow Row(ColumnCount);
    for (int Col = 0; Col < ColumnCount; ++Col) {
      const QString Text = Schedule.ExportCell(Day, Columns[size_t(Col)]);
      if (!ParseCell(Text, Col, Where, Names[Col], Settings, Row[size_t(Col)], Reason)) return false;
    }
    Data.Rows.push_back(std::move(Row));
    ++Data.DayCount;
  }
  Data.Rows.emplace_back();  // the empty row

  const struct {
    const char* Label;
    int Row;
  } Summaries[] = {{"Total", TSovSchedule::RowTotal},
                   {"Average", TSovSchedule::RowAverage},
                   {"Maximum", TSovSchedule::RowMaximum},
                   {"Minimum", TSovSchedule::RowMinimum}};
  for (const auto& Summary : Summaries) {
    const QString Label = QLatin1String(Summary.Label);
    TRow Row(ColumnCount);
    Row[0] = TextCell(Label);
    for (int Col = TSovSchedule::FirstSummaryExportColumn; Col < NotesColumn; ++Col) {
      const QString Text = Schedule.ExportCell(Summary.Row, Columns[size_t(Col)]);
      if (!ParseCell(Text, Col, Label, Names[Col], Settings, Row[size_t(Col)], Reason)) return false;
    }
    Data.Rows.push_back(std::move(Row));
  }
  return true;
}

// ---------------------------------------------------------------------------
// The workbook
// ---------------------------------------------------------------------------

const char* const DataSheetName = "Schedule Data";
const char* const DateNumFormat = "yyyy-mm-dd";

struct TChartDef {
  const char* Sheet;  // also the chart's title
  std::vector<int> Columns;
  bool BlanksAsZero;
};

// Chart sizes in points, as a spreadsheet program measures them; the writer scales its
// default chart of 480 x 288 pixels (at 96 pixels per inch).
constexpr double ChartWidthPt = 750;
constexpr double ChartHeightPt = 450;
constexpr double PixelsPerPoint = 96.0 / 72.0;
constexpr double DefaultChartWidthPx = 480;
constexpr double DefaultChartHeightPx = 288;

const std::vector<TChartDef>& ChartDefs() {
  static const std::vector<TChartDef> Defs = {
      // Precipitation, irrigation (M, N) and soil moisture (T); days without rain or
      // irrigation are empty and plotted as zero.
      {"Soil Moisture", {12, 13, 19}, true},
      // High and low temperature (H, J) and humidity (L).
      {"Weather", {7, 9, 11}, false},
      // Reference and crop evapotranspiration (P, R).
      {"Evapotranspiration", {15, 17}, false},
      // The eight nitrogen columns (U to AB).
      {"Soil Nitrogen", {20, 21, 22, 23, 24, 25, 26, 27}, false},
  };
  return Defs;
}

// The first error the writer reports; later calls are still made so that the
// workbook is always closed and freed.
class TWriteStatus {
 public:
  void Check(lxw_error Error) {
    if (Error != LXW_NO_ERROR && FError == LXW_NO_ERROR) FError = Error;
  }
  lxw_error Error() const { return FError; }

 private:
  lxw_error FError = LXW_NO_ERROR;
};

QByteArray Utf8(const QString& Text) { return Text.toUtf8(); }

void WriteDataSheet(lxw_workbook* Workbook, lxw_worksheet* Sheet, const TScheduleData& Data, TWriteStatus& Status) {
  lxw_format* DateFormat = workbook_add_format(Workbook);
  if (DateFormat) format_set_num_format(DateFormat, DateNumFormat);
  // Wide enough for the dates.
  Status.Check(worksheet_set_column(Sheet, 1, 1, 11, nullptr));
  for (size_t R = 0; R < Data.Rows.size(); ++R) {
    const TRow& Row = Data.Rows[R];
    for (size_t C = 0; C < Row.size(); ++C) {
      const TCell& Cell = Row[C];
      const auto SheetRow = lxw_row_t(R);
      const auto SheetCol = lxw_col_t(C);
      switch (Cell.Type) {
        case TCell::IsEmpty:
          break;
        case TCell::IsNumber:
          Status.Check(worksheet_write_number(Sheet, SheetRow, SheetCol, Cell.Number, nullptr));
          break;
        case TCell::IsText:
          Status.Check(worksheet_write_string(Sheet, SheetRow, SheetCol, Utf8(Cell.Text).constData(), nullptr));
          break;
        case TCell::IsDate: {
          lxw_datetime When{Cell.Date.year(), Cell.Date.month(), Cell.Date.day(), 0, 0, 0.0};
          Status.Check(worksheet_write_datetime(Sheet, SheetRow, SheetCol, &When, DateFormat));
          break;
        }
      }
    }
  }
}

// Column letters of a 0-based column below 702 ("A", "AB").
QString ColumnLetters(int Col) {
  QString Letters;
  if (Col >= 26) Letters += QChar(u'A' + Col / 26 - 1);
  Letters += QChar(u'A' + Col % 26);
  return Letters;
}

void AddChart(lxw_workbook* Workbook, lxw_worksheet* Sheet, const TChartDef& Def, const QString& TitleSuffix,
              int DayCount, TWriteStatus& Status) {
  lxw_chart* Chart = workbook_add_chart(Workbook, LXW_CHART_LINE);
  if (!Chart) {
    Status.Check(LXW_ERROR_MEMORY_MALLOC_FAILED);
    return;
  }
  const auto FirstDayRow = lxw_row_t(2);  // row 3
  const auto LastDayRow = lxw_row_t(DayCount + 1);
  for (int Col : Def.Columns) {
    lxw_chart_series* Series = chart_add_series(Chart, nullptr, nullptr);
    if (!Series) {
      Status.Check(LXW_ERROR_MEMORY_MALLOC_FAILED);
      return;
    }
    chart_series_set_values(Series, DataSheetName, FirstDayRow, lxw_col_t(Col), LastDayRow, lxw_col_t(Col));
    chart_series_set_categories(Series, DataSheetName, FirstDayRow, 1, LastDayRow, 1);
    // The series is named by the column's name and unit (rows 1 and 2).
    const QString Letters = ColumnLetters(Col);
    const QByteArray Name =
        Utf8(QStringLiteral("='%1'!$%2$1:$%2$2").arg(QLatin1String(DataSheetName), Letters));
    chart_series_set_name(Series, Name.constData());
  }
  const QByteArray Title = Utf8(QLatin1String(Def.Sheet) + TitleSuffix);
  chart_title_set_name(Chart, Title.constData());
  chart_legend_set_position(Chart, LXW_CHART_LEGEND_RIGHT);
  // The days along the bottom, written as the data sheet shows them.
  chart_axis_set_num_format(chart_axis_get(Chart, LXW_CHART_AXIS_TYPE_X), DateNumFormat);
  if (Def.BlanksAsZero) chart_show_blanks_as(Chart, LXW_CHART_BLANKS_AS_ZERO);

  lxw_chart_options Options{};
  Options.x_offset = 0;
  Options.y_offset = 0;
  Options.x_scale = ChartWidthPt * PixelsPerPoint / DefaultChartWidthPx;
  Options.y_scale = ChartHeightPt * PixelsPerPoint / DefaultChartHeightPx;
  Status.Check(worksheet_insert_chart_opt(Sheet, 0, 0, Chart, &Options));
  // A chart sheet prints as one landscape page.
  worksheet_set_landscape(Sheet);
  worksheet_fit_to_pages(Sheet, 1, 1);
}

// The writer's errors that come from a failed call to the system.
bool IsFileError(lxw_error Error) {
  switch (Error) {
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
      return true;
    default:
      return false;
  }
}

// Writes the workbook into Path; False with the system's reason for a file that could
// not be written, else the writer's error text.
bool BuildWorkbook(const TScheduleData& Data, const QString& DataFileName, const QByteArray& Path, QString& Reason) {
  // The writer builds each part in a scratch file of its own before packing it, without
  // checking those writes. They go beside the workbook, on its disk, so that a disk too
  // full for them is the one whose refusal the workbook reports with the system's reason.
  QByteArray TempDir = QFile::encodeName(QFileInfo(QFile::decodeName(Path)).absolutePath());
  lxw_workbook_options Options{};
  Options.constant_memory = 0;
  Options.tmpdir = TempDir.data();
  Options.use_zip64 = 0;
  lxw_workbook* Workbook = workbook_new_opt(Path.constData(), &Options);
  if (!Workbook) {
    Reason = QString::fromUtf8(lxw_strerror(LXW_ERROR_MEMORY_MALLOC_FAILED));
    return false;
  }
  TWriteStatus Status;
  const QString TitleSuffix =
      DataFileName.isEmpty() ? QString() : QStringLiteral(" for ") + QFileInfo(DataFileName).fileName();
  std::vector<lxw_worksheet*> ChartSheets;
  for (const TChartDef& Def : ChartDefs()) ChartSheets.push_back(workbook_add_worksheet(Workbook, Def.Sheet));
  lxw_worksheet* DataSheet = workbook_add_worksheet(Workbook, DataSheetName);
  bool SheetsOk = DataSheet != nullptr;
  for (lxw_worksheet* Sheet : ChartSheets) SheetsOk = SheetsOk && Sheet != nullptr;
  if (SheetsOk) {
    WriteDataSheet(Workbook, DataSheet, Data, Status);
    for (size_t I = 0; I < ChartSheets.size(); ++I)
      AddChart(Workbook, ChartSheets[I], ChartDefs()[I], TitleSuffix, Data.DayCount, Status);
    // The first chart is shown when the workbook opens.
    worksheet_activate(ChartSheets.front());
  } else {
    Status.Check(LXW_ERROR_MEMORY_MALLOC_FAILED);
  }
  // Closing writes the file and frees the workbook in every case. When the system refuses
  // a write (a full disk), errno holds its reason, which the writer's own text ("Zip
  // generic error ZIP_ERRNO ...") does not give.
  errno = 0;
  const lxw_error Closed = workbook_close(Workbook);
  const int CloseErrno = errno;
  Status.Check(Closed);
  if (Status.Error() == LXW_NO_ERROR) return true;
  Reason = Status.Error() == Closed && IsFileError(Closed) && CloseErrno != 0
               ? qt_error_string(CloseErrno)
               : QString::fromUtf8(lxw_strerror(Status.Error()));
  return false;
}

// A part of a zip archive as stored (Method 0) or deflated (8) in Packed, unpacked into
// Part; False unless it unpacks whole to the Size and CRC-32 its directory entry gives.
bool UnpackPart(QByteArrayView Packed, quint32 Method, quint32 Size, quint32 Crc, QByteArray& Part) {
  if (Method == 0) {
    Part = Packed.toByteArray();
  } else if (Method == 8) {
    // Deflate packs at most 1032 bytes into one, so a larger Size is a damaged entry (and
    // 0xFFFFFFFF would name a 64-bit size, which the writer is asked not to write).
    if (Size == 0xFFFFFFFF || Size / 1032 > quint64(Packed.size())) return false;
    Part.resize(qsizetype(Size) + 1);  // room for one byte too many
    z_stream Stream{};
    if (inflateInit2(&Stream, -15) != Z_OK) return false;
    Stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Packed.data()));
    Stream.avail_in = uInt(Packed.size());
    Stream.next_out = reinterpret_cast<Bytef*>(Part.data());
    Stream.avail_out = uInt(Part.size());
    const bool Ended = inflate(&Stream, Z_FINISH) == Z_STREAM_END && Stream.avail_in == 0;
    Part.resize(qsizetype(Stream.total_out));
    inflateEnd(&Stream);
    if (!Ended) return false;
  } else {
    return false;
  }
  return quint64(Part.size()) == Size &&
         crc32(0, reinterpret_cast<const Bytef*>(Part.constData()), uInt(Part.size())) == Crc;
}

// Whether Bytes hold a whole workbook: a zip archive ending with its directory's closing
// record, whose directory lists parts, one after the other, that each unpack whole, the
// XML ones to whole documents. A full disk can cut the archive or, unnoticed by the
// writer, the parts it packs. Every offset is checked against the bytes' bounds.
bool IsWholeWorkbook(QByteArrayView Bytes) {
  constexpr qsizetype EndSize = 22, EntrySize = 46, LocalSize = 30;
  const auto U16 = [Bytes](qsizetype At) { return quint32(quint8(Bytes[At])) | quint32(quint8(Bytes[At + 1])) << 8; };
  const auto U32 = [U16](qsizetype At) { return U16(At) | U16(At + 2) << 16; };
  const auto Signed = [Bytes](qsizetype At, const char* Signature) {
    return Bytes.sliced(At, 4) == QByteArrayView(Signature, 4);
  };
  const qsizetype End = Bytes.lastIndexOf(QByteArrayView("PK\x05\x06", 4));
  if (End < 0 || Bytes.size() - End < EndSize || End + EndSize + U16(End + 20) != Bytes.size()) return false;
  const qsizetype Count = U16(End + 10), DirAt = U32(End + 16);
  if (Count == 0 || DirAt > End || U32(End + 12) != quint64(End - DirAt)) return false;
  qsizetype At = DirAt, Unread = 0;  // Unread: where the next part's header may start
  for (qsizetype I = 0; I < Count; ++I) {
    if (End - At < EntrySize || !Signed(At, "PK\x01\x02") || (U16(At + 8) & 1) != 0) return false;
    const qsizetype NameSize = U16(At + 28), Next = At + EntrySize + NameSize + U16(At + 30) + U16(At + 32);
    const qsizetype Local = U32(At + 42), PackedSize = U32(At + 20);
    if (Next > End || Local < Unread || Local > DirAt - LocalSize || !Signed(Local, "PK\x03\x04")) return false;
    const qsizetype Data = Local + LocalSize + U16(Local + 26) + U16(Local + 28);
    if (Data > DirAt - PackedSize) return false;
    QByteArray Part;
    if (!UnpackPart(Bytes.sliced(Data, PackedSize), U16(At + 10), U32(At + 24), U32(At + 16), Part)) return false;
    const QByteArrayView Name = Bytes.sliced(At + EntrySize, NameSize);
    if ((Name.endsWith(".xml") || Name.endsWith(".rels")) &&
        !pugi::xml_document().load_buffer_inplace(Part.data(), size_t(Part.size())))
      return false;
    At = Next;
    Unread = Data + PackedSize;
  }
  return At == End;
}

// The scratch file a workbook is built in, beside it (QTemporaryFile fills in the X's).
const QString ScratchTemplate = QStringLiteral("furrow-XXXXXX.xlsx.part");

// Writes the workbook; False with the error text. The library writes a scratch file,
// which is checked and then saved as FileName through the checked writer every other
// file uses. A failed workbook is removed.
bool WriteWorkbook(const TScheduleData& Data, const QString& DataFileName, const QString& FileName,
                   QString& Reason) {
  QTemporaryFile Scratch(QFileInfo(FileName).absolutePath() + QLatin1Char('/') + ScratchTemplate);
  bool Ok = Scratch.open();
  if (!Ok) Reason = Scratch.errorString();
  Scratch.close();
  Ok = Ok && BuildWorkbook(Data, DataFileName, QFile::encodeName(Scratch.fileName()), Reason);
  if (Ok) {
    QFile Built(Scratch.fileName());
    const QByteArray Bytes = Built.open(QIODevice::ReadOnly) ? Built.readAll() : QByteArray();
    Ok = IsWholeWorkbook(Bytes);
    if (!Ok) Reason = QStringLiteral("The workbook file is incomplete; the disk may be full.");
    Ok = Ok && WriteFileSafely(FileName, Bytes, Reason);
  }
  if (!Ok) QFile::remove(FileName);
  return Ok;
}

// ---------------------------------------------------------------------------
// Opening
// ---------------------------------------------------------------------------

TWorkbookOpener& CurrentOpener() {
  static TWorkbookOpener Opener;
  return Opener;
}

// The desktop's default program for the file, through the shell open that every other
// desktop request uses.
bool OpenOnDesktop(const QString& FileName) { return ShellOpen(FileName, QString(), QString()); }

const QString ChartFailure = QStringLiteral("Unable to create charts.");

// Whether Folder is the user's own chart folder: a real folder (not a symbolic link)
// that belongs to the user. With Create it is made (mode 0700) when missing; a folder of
// the user's open to others is closed to them. False with Reason otherwise; a missing
// folder without Create gives no Reason.
bool OwnChartFolder(const QString& Folder, bool Create, QString& Reason) {
  Reason.clear();
  const QByteArray Path = QFile::encodeName(Folder);
  if (Create && ::mkdir(Path.constData(), 0700) != 0 && errno != EEXIST) {
    Reason = QStringLiteral("Can't create the folder %1: %2").arg(Folder, qt_error_string(errno));
    return false;
  }
  struct stat Info {};
  if (::lstat(Path.constData(), &Info) != 0) {
    if (Create || errno != ENOENT)
      Reason = QStringLiteral("Can't use the folder %1: %2").arg(Folder, qt_error_string(errno));
    return false;
  }
  if (S_ISLNK(Info.st_mode) || !S_ISDIR(Info.st_mode) || Info.st_uid != ::geteuid()) {
    Reason = QStringLiteral("Can't use the folder %1 for charts: %2.")
                 .arg(Folder, S_ISLNK(Info.st_mode)   ? QStringLiteral("it is a symbolic link")
                              : !S_ISDIR(Info.st_mode) ? QStringLiteral("it is not a folder")
                                                       : QStringLiteral("it belongs to another user"));
    return false;
  }
  if ((Info.st_mode & 077) != 0) {
    // Opened without following a link, so that only this very folder is changed.
    const int Fd = ::open(Path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const bool Closed = Fd >= 0 && ::fchmod(Fd, 0700) == 0;
    const int Error = errno;
    if (Fd >= 0) ::close(Fd);
    if (!Closed) {
      Reason = QStringLiteral("Can't make the folder %1 private: %2")
                   .arg(Folder, qt_error_string(Error));
      return false;
    }
  }
  return true;
}

// A new empty file in the chart folder, made first when missing.
QString NewWorkbookName() {
  const QString Folder = ChartFolder();
  if (QDir::tempPath().isEmpty() || !QFileInfo(QDir::tempPath()).isDir())
    throw std::runtime_error("Can't create a temporary file: there is no temporary folder.");
  QString Reason;
  if (!OwnChartFolder(Folder, true, Reason)) throw std::runtime_error(Reason.toStdString());
  const QString Name = QDir(Folder).filePath(QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".xlsx"));
  QFile File(Name);
  if (!File.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
    throw std::runtime_error(
        QStringLiteral("Can't create the file %1: %2").arg(Name, File.errorString()).toStdString());
  }
  File.close();
  return Name;
}

}  // namespace

QString ChartFolder() {
  return QDir(QDir::tempPath()).filePath(QStringLiteral("furrow-charts-%1").arg(::geteuid()));
}

int RemoveOldChartWorkbooks(const QDateTime& Now) {
  const QString Folder = ChartFolder();
  QString Reason;
  if (!OwnChartFolder(Folder, false, Reason)) return 0;
  // Only what the charts wrote: the workbooks, named by a UUID and ".xlsx"; the checked
  // writer's temporary file beside a workbook; and the scratch file a workbook is built
  // in. A chart killed or failing mid-write leaves the last two.
  static const QRegularExpression Workbook(
      QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\\.xlsx"));
  static const QRegularExpression Scratch(QRegularExpression::anchoredPattern(
      QRegularExpression::escape(ScratchTemplate).replace(QStringLiteral("XXXXXX"), QStringLiteral("[A-Za-z0-9]{6}"))));
  const auto IsChartFile = [](const QString& Name) {
    const QRegularExpressionMatch Match = Workbook.match(Name);
    if (!Match.hasMatch()) return Scratch.match(Name).hasMatch();
    return Match.capturedLength() == Name.size() || TSafeFile::IsTemporaryName(Name, Match.captured());
  };
  const QDateTime Limit = Now.addDays(-1);
  int Removed = 0;
  for (const QFileInfo& File : QDir(Folder).entryInfoList(QDir::Files | QDir::NoSymLinks)) {
    if (IsChartFile(File.fileName()) && File.lastModified() < Limit && QFile::remove(File.absoluteFilePath()))
      ++Removed;
  }
  return Removed;
}

TWorkbookOpener SetWorkbookOpener(TWorkbookOpener Opener) {
  TWorkbookOpener Previous = std::move(CurrentOpener());
  CurrentOpener() = std::move(Opener);
  return Previous;
}

bool ChartScheduleInExcel(const TSovSchedule& Schedule, const QString& DataFileName, QString& ErrMsg) {
  ErrMsg.clear();
  QString WorkbookName;
  bool Written = false;
  try {
    TScheduleData Data;
    QString Reason;
    if (!ReadSchedule(Schedule, Data, Reason)) {
      ErrMsg = ChartFailure + QStringLiteral("\n\nThe schedule could not be charted:\n") + Reason;
      return false;
    }
    WorkbookName = NewWorkbookName();
    if (!WriteWorkbook(Data, DataFileName, WorkbookName, Reason)) {
      ErrMsg = ChartFailure + QStringLiteral("\n\nThe workbook %1 could not be written:\n").arg(WorkbookName) + Reason;
      return false;
    }
    Written = true;
    const TWorkbookOpener& Opener = CurrentOpener();
    const bool Opened = Opener ? Opener(WorkbookName) : OpenOnDesktop(WorkbookName);
    if (!Opened) {
      ErrMsg = QStringLiteral("Unable to start a spreadsheet program.\n\n"
                              "The desktop could not open the charts, which were saved as:\n") +
               WorkbookName;
      return false;
    }
    return true;
  } catch (const std::exception& E) {
    // A workbook cut short is no use to anyone.
    if (!WorkbookName.isEmpty() && !Written) QFile::remove(WorkbookName);
    ErrMsg = ChartFailure + QStringLiteral("\n\nThe system returned this error message:\n") + QString::fromUtf8(E.what());
    return false;
  }
}
