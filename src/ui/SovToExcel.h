#pragma once
// Charts of a calculated schedule. The cells of the schedule's CSV export become a
// spreadsheet workbook (.xlsx) with four line charts (soil moisture, weather,
// evapotranspiration and soil nitrogen, one sheet each) and a sheet with the schedule
// data; the desktop then opens the workbook in the user's spreadsheet program.

#include <QDateTime>
#include <QString>

#include <functional>

class TSovSchedule;

// Writes the workbook of Schedule (its cells as its CSV export carries them, numbers
// read with its user format) to a new file in the chart folder (ChartFolder) and hands
// that file to the desktop to open. DataFileName is the field data file's name;
// without its folder it follows the chart titles (" for " and the name), and may be
// empty.
//
// The workbook is left in the chart folder: the spreadsheet program opens it after this
// returns, so it cannot be deleted here; RemoveOldChartWorkbooks clears it at start.
//
// True when the workbook was written and handed over; otherwise False with ErrMsg.
// A schedule without days, or with a cell its column cannot hold, leaves nothing
// behind; when the desktop cannot open the workbook, the message names the file, which
// stays.
bool ChartScheduleInExcel(const TSovSchedule& Schedule, const QString& DataFileName, QString& ErrMsg);

// Replaces what hands a finished workbook to the desktop (tests record the call instead
// of starting a program); it returns whether the file could be handed over. An empty
// function restores the desktop (ShellOpen of ShlUtil, so that its replaceable opener
// sees the request too). Returns the previous function.
using TWorkbookOpener = std::function<bool(const QString& FileName)>;
TWorkbookOpener SetWorkbookOpener(TWorkbookOpener Opener);

// The user's own folder for chart workbooks: "furrow-charts-" and the user's id, below
// the temporary folder. Charts make it with mode 0700, close one of the user's that is
// open to others, and never use one that is a symbolic link, not a folder, or another
// user's (the chart then fails with a message naming it).
QString ChartFolder();
// Removes the workbooks that charts wrote (named by a UUID and ".xlsx") and the
// temporary files a chart killed or failing mid-write leaves ("furrow-XXXXXX.xlsx.part",
// and a workbook's name followed by ".furrow-XXXXXX.part"), files only, no symbolic
// links, last changed more than a day before Now, and nothing else; a chart folder that
// charts would not use is left alone. The program calls it at start. Returns how many
// it removed.
int RemoveOldChartWorkbooks(const QDateTime& Now = QDateTime::currentDateTime());
