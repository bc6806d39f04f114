#pragma once
// Reads a weather text file in one of the known layouts (daily summaries of several
// public weather networks and web sites, the program's standard CSV layout, rainfall
// summaries), recognised by its first lines, into day lines.

#include "ImpWeath.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

class TImportedWeatherFile : public TImportedWeather {
 public:
  // Files larger than this are refused rather than read.
  static constexpr int64_t MaxFileSize = 64LL * 1024 * 1024;

  // Reads FileName. On failure returns False and ErrMsg = FileName, a line break and
  // the reason; on success True and an empty ErrMsg. Every path clears the day lines
  // and source facts first, except a missing, unreadable or oversized file.
  virtual bool ImportFile(const QString& FileName, QString& ErrMsg);

  // The same for file contents already in memory (pasted or downloaded text); FileName
  // only names the source in messages.
  bool ImportData(const QString& FileName, const QByteArray& Data, QString& ErrMsg);

  // Texts of the failure messages (after the file name and a line break).
  static const char* const MsgFileNotFound;
  static const char* const MsgCantOpen;
  static const char* const MsgCantRead;
  static const char* const MsgTooLarge;
  static const char* const MsgUnrecognized;
  static const char* const MsgNoData;
  static const char* const MsgHeaderIncomplete;
  static const char* const MsgHeadersIncomplete;
  static const char* const MsgInvalidDate;
  static const char* const MsgNoStationLocation;
  static const char* const MsgMissingDay;
  static const char* const MsgMissingMonthDayYear;
  static const char* const MsgUnitsUnknown;
  static const char* const MsgUnitsMixed;
  static const char* const MsgDateForm;
};
