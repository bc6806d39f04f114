#pragma once
// Charts of a calculated schedule. The schedule's CSV export is turned into a
// spreadsheet workbook (.xlsx) with four line charts (soil moisture, weather,
// evapotranspiration and soil nitrogen, one sheet each) and a sheet with the schedule
// data; the desktop then opens the workbook in the user's spreadsheet program.

#include "MiscUtil.h"

#include <QDateTime>
#include <QString>

#include <functional>

// Reads the CSV export CsvFileName (its numbers written with Settings' decimal
// separator), writes the workbook to a new file in the chart folder (ChartFolder) and
// hands that file to the desktop to open. DataFileName is the field data file's name;
// without its folder it follows the chart titles (" for " and the name), and may be
// empty. The CSV file is only read.
//
// The workbook is left in the chart folder: the spreadsheet program opens it after this
// returns, so it cannot be deleted here; RemoveOldChartWorkbooks clears it at start.
//
// True when the workbook was written and handed over; otherwise False with ErrMsg.
// A CSV file that is missing or not a complete schedule export leaves nothing behind;
// when the desktop cannot open the workbook, the message names the file, which stays.
bool ChartScheduleInExcel(const QString& CsvFileName, const QString& DataFileName, QString& ErrMsg,
                          const TFormatSettings& Settings = GetUserFormatSettings(true));

// Replaces what hands a finished workbook to the desktop (tests record the call instead
// of starting a program); it returns whether the file could be handed over. An empty
// function restores the desktop (ShellOpen of ShlUtil, so that its replaceable opener
// sees the request too). Returns the previous function.
using TWorkbookOpener = std::function<bool(const QString& FileName)>;
TWorkbookOpener SetWorkbookOpener(TWorkbookOpener Opener);

// The program's own folder for chart workbooks, below the temporary folder.
QString ChartFolder();
// Removes the files of the chart folder last changed more than a day before Now; the
// program calls it at start. Returns how many it removed.
int RemoveOldChartWorkbooks(const QDateTime& Now = QDateTime::currentDateTime());
