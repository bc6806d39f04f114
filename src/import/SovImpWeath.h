#pragma once
// Weather from a file the user picks: another field data file (".sov") gives its 365
// weather days as day lines; any other file goes to the weather text-file reader.

#include "ImpWeathFile.h"
#include "SovLookup.h"

#include <QByteArray>
#include <QString>

class TSovImportedWeather : public TImportedWeatherFile {
 public:
  // Reads FileName. A name whose extension is not ".sov" (any case) is read by
  // ImportFile. A field data file is loaded with Lookup and the user's own number and
  // date settings; its days become 365 day lines from its starting date, every one
  // given, empty days included:
  //   max, min, mean (whole degrees, when both max and min are numbers), precip,
  //   wind, humidity, notes, irrigation
  // each escaped with "\" (OutParser's escape). Numbers are written with "." whatever
  // the user's settings (FormatSettings stays "."); a numeric cell that is not a number
  // is copied unchanged. The growth stage is not carried.
  // False with the loader's message, or FileName + "\n" + MsgBadStartingDate, on
  // failure; the day lines are then empty. True on success; ErrMsg is then empty or
  // holds the loader's warning.
  bool ImportFileOrFieldFile(const QString& FileName, const TSovLookup& Lookup, QString& ErrMsg);
  // The same with explicit user settings (the number and date form of the field's
  // cells in memory).
  bool ImportFileOrFieldFile(const QString& FileName, const TSovLookup& Lookup,
                             const TFormatSettings& UserFormat, QString& ErrMsg);

  // True when FileName's extension (the text from the last "." of its last path
  // part) is ".sov" without regard to case.
  static bool IsFieldFileName(const QString& FileName);

  static const char* const SovSourceName;       // the product name, "Furrow"
  static const char* const MsgBadStartingDate;  // "File's starting date is missing or invalid."

  // A field data file's contents already in memory, read as ImportFileOrFieldFile reads
  // a field data file; FileName only names it in messages.
  bool ImportFieldFileData(const QString& FileName, const QByteArray& Data, const TSovLookup& Lookup,
                           const TFormatSettings& UserFormat, QString& ErrMsg);

 private:
  bool ImportFieldFile(const QString& FileName, const QByteArray* Data, const TSovLookup& Lookup,
                       const TFormatSettings& UserFormat, QString& ErrMsg);
  bool ReadFieldFile(const QString& FileName, const QByteArray* Data, const TSovLookup& Lookup,
                     const TFormatSettings& UserFormat, QString& ErrMsg);
};
