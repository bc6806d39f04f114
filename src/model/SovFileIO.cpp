// Reading and writing the field data file (".sov"): an INI-style text file with the
// sections SovInfo, Field, Horizon1-10, Event1-50 and Weather. Versions 1 and 2 are
// read, version 2 is written. Numbers in the file use "." and dates "m/d/yyyy"; in
// memory both follow the user's settings.

#include "SovCalendar.h"
#include "SovFile.h"
#include "TxtFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <exception>

namespace {

const QString LF = QStringLiteral("\n");

// Field values held as numbers (decimal separator changed between file and memory).
bool IsNumberFieldColumn(int Col) {
  switch (Col) {
    case SovCol::Latitude:
    case SovCol::Longitude:
    case SovCol::ProjectedYield:
    case SovCol::RootingDepth:
    case SovCol::WaterHoldingCapacity:
    case SovCol::OrganicMatter:
      return true;
    default:
      return false;
  }
}

// The most sections a warning about left-out horizons and events names.
constexpr int MaxLeftOutNames = 10;

// Horizon values held as numbers: AWC to CEC.
bool IsNumberHorizonColumn(int Col) { return Col >= SovCol::HzAWC && Col <= SovCol::HzCEC; }

// A value as it can stand on one line of the file: each line break (CR LF, CR or LF)
// and any other control character except the tab becomes a blank; blanks and tabs
// around it are dropped, as reading drops them, and nothing else (a no-break space
// that reading keeps stays, so the value reads back as it was).
QString OneLine(const QString& Text) {
  QString Result;
  Result.reserve(Text.size());
  for (qsizetype i = 0; i < Text.size(); ++i) {
    const QChar Ch = Text[i];
    if (Ch == QChar('\r') && i + 1 < Text.size() && Text[i + 1] == QChar('\n')) {
      Result += QChar(' ');
      ++i;
    } else if (Ch.unicode() < 0x20 && Ch != QChar('\t')) {
      Result += QChar(' ');
    } else {
      Result += Ch;
    }
  }
  return TrimText(Result);
}

// "File <name> <what> is invalid: <value>", a line "<what> is invalid: <value>" for
// each further name, and the advice to choose others.
QString InvalidNamesMessage(const QString& FileName, const QStringList& Lines, const QStringList& Kinds) {
  return QStringLiteral("File ") + FileName + QStringLiteral(" ") + Lines.join(LF) + LF + LF +
         QStringLiteral("Select a different ") + Kinds.join(QStringLiteral(", ")) + QStringLiteral(".");
}

// The name of a lookup row; for a row outside the table the name held for it.
template <typename RowFn>
QString RowName(int Row, int Count, RowFn Get, const QString& Held) {
  return Row >= 1 && Row <= Count ? Get(Row).Name : Held;
}

// Collects the lines of the file.
class TLineWriter {
 public:
  void Section(const QString& Name) { FLines << QStringLiteral("[") + Name + QStringLiteral("]"); }
  void Value(const QString& Key, const QString& Text) { FLines << Key + QStringLiteral("=") + OneLine(Text); }
  void Raw(const QString& Key, const QString& Text) { FLines << Key + QStringLiteral("=") + Text; }
  void EndSection() { FLines << QString(); }
  const QStringList& Lines() const { return FLines; }

 private:
  QStringList FLines;
};

}  // namespace

// ---------------------------------------------------------------------------
// Loading
// ---------------------------------------------------------------------------

bool TSovFile::LoadFromFile(const QString& FileName, QString& Msg) {
  Msg.clear();
  const QFileInfo Info(FileName);
  if (!Info.exists()) {
    Msg = FileName + LF + QStringLiteral("File does not exist.");
    return false;
  }
  // Only regular files: a folder, a device or a pipe is never a field file, and
  // reading one could block.
  if (!Info.isFile()) {
    Msg = FileName + LF + QStringLiteral("Can't read file.");
    return false;
  }
  if (Info.size() > MaxFileSize) {
    Msg = FileName + LF + QStringLiteral("File is too large.");
    return false;
  }
  QFile File(FileName);
  if (!File.open(QIODevice::ReadOnly)) {
    Msg = FileName + LF + QStringLiteral("Can't read file.");
    return false;
  }
  // Never more than the limit, even when the file grows while it is read.
  const QByteArray Bytes = File.read(MaxFileSize + 1);
  if (File.error() != QFileDevice::NoError) {
    Msg = FileName + LF + QStringLiteral("Can't read file.");
    return false;
  }
  return LoadFromBytes(Bytes, FileName, Msg);
}

bool TSovFile::LoadFromBytes(const QByteArray& Bytes, const QString& FileName, QString& Msg) {
  Msg.clear();
  if (Bytes.size() > MaxFileSize) {
    Msg = FileName + LF + QStringLiteral("File is too large.");
    return false;
  }
  if (IsUtf16Text(Bytes)) {
    Msg = FileName + LF + QLatin1String(NotPlainTextMessage);
    return false;
  }

  TMyIniFile Ini;
  Ini.SetText(DecodeFileText(Bytes));

  // Version: 1 (sections "File Info", "Field Data", "Weather Data") or 2.
  QString InfoSection = QStringLiteral("SovInfo");
  QString VersionText = Ini.ReadString(InfoSection, QStringLiteral("FileVersion"), QString());
  if (VersionText.isEmpty()) {
    InfoSection = QStringLiteral("File Info");
    VersionText = Ini.ReadString(InfoSection, QStringLiteral("FileVersion"), QString());
  }
  int Version = 0;
  if (!TryStrToInt(VersionText, Version) || (Version != 1 && Version != 2)) {
    Msg = QStringLiteral("File ") + FileName + QStringLiteral(" is wrong version.");
    return false;
  }
  // From here on the file is taken: every value of columns 1-61 is replaced.
  const QString ProgramVersionText = Ini.ReadString(InfoSection, QStringLiteral("ProgramVersion"), QString());
  const QString FieldSection = Version == 1 ? QStringLiteral("Field Data") : QStringLiteral("Field");
  const QString WeatherSection = Version == 1 ? QStringLiteral("Weather Data") : QStringLiteral("Weather");

  auto Read = [&Ini](const QString& Section, const QString& Key) { return Ini.ReadString(Section, Key, QString()); };
  auto ReadField = [&](int Col) { return Read(FieldSection, TSovFile::ColumnName(Col)); };
  auto SetFieldNumber = [&](int Col) { SetCell(1, Col, FileToUserNumber(ReadField(Col))); };
  auto SetFieldText = [&](int Col) { SetCell(1, Col, ReadField(Col)); };

  // Field values, in the order of the file.
  SetFieldText(SovCol::FarmName);
  SetCell(1, SovCol::FieldName, Read(FieldSection, Version == 1 ? QStringLiteral("FieldID") : QStringLiteral("FieldName")));
  // The lookup row of a name by one of the lookup's Find operations: 0 for an empty
  // name; for a name the table lacks also 0, and the name is kept for the warning and
  // held for the next save.
  QStringList InvalidLines, InvalidKinds;
  auto Resolve = [&](const QString& Name, int (TSovLookup::*Find)(const QString&) const, const QString& What,
                     QString& Held) {
    Held.clear();
    if (Name.isEmpty()) return 0;
    const int Row = (Lookup().*Find)(Name);
    if (Row == 0) {
      Held = Name;
      const QString Line = What + QStringLiteral(" is invalid: ") + Name;
      if (!InvalidLines.contains(Line)) InvalidLines << Line;
      if (!InvalidKinds.contains(What)) InvalidKinds << What;
    }
    return Row;
  };
  // Find gives a row of its table or 0, as the setters would store.
  FLocation = Resolve(ReadField(SovCol::Location), &TSovLookup::FindLocation, QStringLiteral("Location"), FLocationName);
  SetIsCoastal(Ini.ReadBool(FieldSection, QStringLiteral("IsCoastal"), false));
  SetIsMetric(Ini.ReadBool(FieldSection, QStringLiteral("IsMetric"), false));
  SetFieldNumber(SovCol::Latitude);
  SetFieldNumber(SovCol::Longitude);
  SetFieldText(SovCol::Elevation);
  FCrop = Resolve(ReadField(SovCol::Crop), &TSovLookup::FindCrop, QStringLiteral("Crop"), FCropName);
  SetFieldText(SovCol::GrowingSeason);
  SetFieldNumber(SovCol::ProjectedYield);
  SetFieldNumber(SovCol::RootingDepth);
  SetFieldText(SovCol::MinimumMoisture);
  FPreviousCrop =
      Resolve(ReadField(SovCol::PreviousCrop), &TSovLookup::FindCrop, QStringLiteral("PreviousCrop"), FPreviousCropName);
  SetFieldText(SovCol::SurveySymbol);
  SetFieldText(SovCol::MapUnitSymbol);
  SetFieldText(SovCol::ComponentName);
  SetFieldNumber(SovCol::WaterHoldingCapacity);
  SetFieldNumber(SovCol::OrganicMatter);
  SetFieldText(SovCol::IrrigationEfficiency);
  SetFieldText(SovCol::Notes);
  // Older files name the starting moisture EmergenceMoisture.
  SetCell(1, SovCol::StartingMoisture,
          Ini.ValueExists(FieldSection, QStringLiteral("StartingMoisture"))
              ? ReadField(SovCol::StartingMoisture)
              : Read(FieldSection, QStringLiteral("EmergenceMoisture")));
  SetFieldText(SovCol::StartingResidue);

  // Dates: "m/d/yyyy" in the file, the user's short date form in memory; a text that
  // is not a date is kept as it is.
  const QString EmergenceText = ReadField(SovCol::EmergenceDate);
  const QString StartingText = Ini.ValueExists(FieldSection, QStringLiteral("StartingDate"))
                                   ? ReadField(SovCol::StartingDate)
                                   : EmergenceText;
  const QString CalculationText = ReadField(SovCol::CalculationDate);
  QDate Date;
  QDate Emergence;
  const bool EmergenceParsed = TryStrToDateWithYear(EmergenceText, Emergence, FFileFormat);
  SetCell(1, SovCol::EmergenceDate, EmergenceParsed ? DateToStr(Emergence, FUserFormat) : EmergenceText);
  SetCell(1, SovCol::StartingDate,
          !StartingText.isEmpty() && TryStrToDateWithYear(StartingText, Date, FFileFormat)
              ? DateToStr(Date, FUserFormat)
              : StartingText);
  QString Calculation = CalculationText;
  if (TryStrToDateWithYear(CalculationText, Date, FFileFormat))
    Calculation = DateToStr(Date, FUserFormat);
  else if (EmergenceParsed && TryStrToDateDefYear(CalculationText, Date, FFileFormat, Emergence.year()))
    Calculation = DateToStrNoYear(FUserFormat, Date);
  SetCell(1, SovCol::CalculationDate, Calculation);

  SetFieldText(SovCol::WeatherSource);
  SetFieldText(SovCol::WeatherStation);

  // Horizons under their own numbers; a missing section is an empty horizon.
  for (int Hz = 1; Hz <= MaxHorizons; ++Hz) {
    const QString Section = QStringLiteral("Horizon") + QString::number(Hz);
    const bool Present = Ini.SectionExists(Section);
    for (int Col = SovCol::FirstHorizon; Col <= SovCol::LastHorizon; ++Col) {
      const QString Text = Present ? Read(Section, TSovFile::ColumnName(Col)) : QString();
      SetCell(Hz, Col, IsNumberHorizonColumn(Col) ? FileToUserNumber(Text) : Text);
    }
  }

  // Events: sections Event1-50 in order, packed into slots 1..n; an event needs a day
  // of 1-365 and one of the four code letters.
  FEvents = TSovEventRecArray{};
  int Count = 0;
  std::array<bool, MaxEvents + 1> WithoutDay{};   // sections left out for their day
  std::array<bool, MaxEvents + 1> WithoutCode{};  // and for their code letter
  for (int i = 1; i <= MaxEvents && Count < MaxEvents; ++i) {
    const QString Section = QStringLiteral("Event") + QString::number(i);
    if (!Ini.SectionExists(Section)) continue;
    int Day = 0;
    if (!TryStrToInt(Read(Section, QStringLiteral("Day")), Day)) Day = 0;
    const int Code = EventCodeIndex(Read(Section, QStringLiteral("Code")));
    if (Day < 1 || Day > MaxDays) {
      WithoutDay[size_t(i)] = true;
      continue;
    }
    if (Code < 1) {
      WithoutCode[size_t(i)] = true;
      continue;
    }
    TSovEventRec& Event = FEvents[size_t(Count)];
    ++Count;
    Event.Day = Day;
    Event.Code = Code;
    const QString Key1 = Read(Section, QStringLiteral("Key1"));
    const QString Key2 = Read(Section, QStringLiteral("Key2"));
    const QString Value = Read(Section, QStringLiteral("Value"));
    switch (Code) {
      case 1:  // "F"
        Event.Key1 = Resolve(Key1, &TSovLookup::FindFertilizer, QStringLiteral("Fertilizer"), Event.Key1Name);
        Event.Value = FileToUserNumber(Value).trimmed();
        Event.Key2 = Resolve(Key2, &TSovLookup::FindFertAppMethod, QStringLiteral("FertAppMethod"), Event.Key2Name);
        break;
      case 2:  // "N"
        Event.Value = FileToUserNumber(Value).trimmed();
        break;
      case 3:  // "M"
        Event.Key1 = Resolve(Key1, &TSovLookup::FindManure, QStringLiteral("Manure"), Event.Key1Name);
        Event.Value = FileToUserNumber(Value).trimmed();
        Event.Key2 =
            Resolve(Key2, &TSovLookup::FindManureAppMethod, QStringLiteral("ManureAppMethod"), Event.Key2Name);
        Event.Value2 = FileToUserNumber(Read(Section, QStringLiteral("Value2"))).trimmed();
        Event.Value3 = FileToUserNumber(Read(Section, QStringLiteral("Value3"))).trimmed();
        break;
      default:  // "R": a whole percent, kept as text
        Event.Value = Value.trimmed();
        break;
    }
    Event.Misc1 = Read(Section, QStringLiteral("Misc1")).trimmed();
    Event.Notes = Read(Section, QStringLiteral("Notes")).trimmed();
  }

  // Names the tables lack are named in one warning; so are horizons and events beyond
  // what a field holds, and events without a day or a code, since a save drops them.
  if (!InvalidLines.isEmpty()) Msg = InvalidNamesMessage(FileName, InvalidLines, InvalidKinds);
  {
    QStringList LeftOut;
    int Shown = 0;
    bool Beyond = false, NoDay = false, NoCode = false;
    const QLatin1String EventPrefix("Event");
    for (const QString& Name : Ini.ReadSections()) {
      int Number = 0;
      bool Named = false;
      for (const auto& [Prefix, Max] : {std::pair{QLatin1String("Horizon"), MaxHorizons}, {EventPrefix, MaxEvents}}) {
        if (Name.size() <= Prefix.size() || !Name.startsWith(Prefix, Qt::CaseInsensitive)) continue;
        const QString Digits = Name.mid(Prefix.size());
        if (!TryStrToInt(Digits, Number)) continue;
        if (Number > Max) {
          Named = Beyond = true;
        } else if (Prefix == EventPrefix && Number >= 1 && Digits == QString::number(Number)) {
          // Only the section the event loop read under this number, not "Event05" beside it.
          if (WithoutDay[size_t(Number)]) Named = NoDay = true;
          else if (WithoutCode[size_t(Number)]) Named = NoCode = true;
        }
      }
      if (Named && Shown++ < MaxLeftOutNames) LeftOut << Name;
    }
    if (Shown > MaxLeftOutNames) LeftOut << QStringLiteral("and %1 more").arg(Shown - MaxLeftOutNames);
    if (Shown > 0) {
      QStringList What;
      if (Beyond)
        What << QStringLiteral("more than ") + QString::number(MaxHorizons) + QStringLiteral(" horizons or ") +
                    QString::number(MaxEvents) + QStringLiteral(" events");
      if (NoDay) What << QStringLiteral("events without a day number of 1-") + QString::number(MaxDays);
      if (NoCode) What << QStringLiteral("events without a code letter F, N, M or R");
      if (!Msg.isEmpty()) Msg += LF + LF;
      Msg += QStringLiteral("File ") + FileName + QStringLiteral(" holds ") + What.join(QStringLiteral(" and ")) +
             QStringLiteral(", which a field cannot hold. These were left out: ") + LeftOut.join(QStringLiteral(", ")) +
             QStringLiteral(".");
    }
  }

  // Weather: "Day" + d, eight escaped values joined by ",". Only the days whose keys
  // the section lists are looked up: a file often holds a few days, not all 365.
  std::array<bool, MaxDays + 1> Listed{};
  for (const QString& Key : Ini.ReadSection(WeatherSection)) {
    int Day = 0;
    if (Key.startsWith(QLatin1String("Day"), Qt::CaseInsensitive) && TryStrToInt(Key.mid(3), Day) && Day >= 1 &&
        Day <= MaxDays)
      Listed[size_t(Day)] = true;
  }
  for (int Day = 1; Day <= MaxDays; ++Day) {
    if (!Listed[size_t(Day)]) {
      FWeather[size_t(Day - 1)].fill(QString());
      continue;
    }
    const QString Line = Read(WeatherSection, QStringLiteral("Day") + QString::number(Day));
    for (int k = 0; k < WeatherValueCount; ++k) {
      const int Col = SovCol::FirstWeather + k;
      QString Text;
      if (!Line.isEmpty()) {
        Text = FParser.Unescape(FParser.GetField(Line, k + 1));
        if (Col < SovCol::GrowthStage) Text = FileToUserNumber(Text);
      }
      SetCell(Day, Col, Text);
    }
  }

  FFileVersion = QString::number(Version);
  FProgramVersion = ProgramVersionText;
  FFileName = FileName;
  return true;
}

// ---------------------------------------------------------------------------
// Saving
// ---------------------------------------------------------------------------

QStringList TSovFile::FileLines(const QString& ProgramVersion) const {
  TLineWriter W;
  auto Cell = [this](int Row, int Col) { return TSovFile::GetCell(Row, Col); };

  W.Section(QStringLiteral("SovInfo"));
  W.Value(QStringLiteral("FileVersion"), QStringLiteral("2"));
  W.Value(QStringLiteral("ProgramVersion"), ProgramVersion);
  W.EndSection();

  // Field: every key, empty ones too.
  QDate Date;
  QDate Emergence;
  const bool EmergenceParsed = TryStrToDateWithYear(Cell(1, SovCol::EmergenceDate).trimmed(), Emergence, FUserFormat);
  W.Section(QStringLiteral("Field"));
  for (int Col = SovCol::FirstField; Col <= SovCol::LastField; ++Col) {
    QString Text = Cell(1, Col);
    if (Text.isEmpty()) Text = HeldName(1, Col);
    if (IsNumberFieldColumn(Col)) {
      Text = UserToFileNumber(Text);
    } else if (Col == SovCol::EmergenceDate || Col == SovCol::StartingDate) {
      if (TryStrToDateWithYear(Text.trimmed(), Date, FUserFormat)) Text = DateToStr(Date, FFileFormat);
    } else if (Col == SovCol::CalculationDate) {
      if (TryStrToDateWithYear(Text.trimmed(), Date, FUserFormat))
        Text = DateToStr(Date, FFileFormat);
      else if (EmergenceParsed && TryStrToDateDefYear(Text.trimmed(), Date, FUserFormat, Emergence.year()))
        Text = DateToStrNoYear(FFileFormat, Date);
    }
    W.Value(TSovFile::ColumnName(Col), Text);
  }
  W.EndSection();

  // Horizons that hold anything, under their own numbers.
  auto AllEmpty = [](const auto& Texts) {
    return std::all_of(Texts.begin(), Texts.end(), [](const QString& Text) { return Text.isEmpty(); });
  };
  for (int Hz = 1; Hz <= MaxHorizons; ++Hz) {
    if (AllEmpty(FHorizons[size_t(Hz - 1)])) continue;
    QStringList Values;
    bool HasData = false;
    for (int Col = SovCol::FirstHorizon; Col <= SovCol::LastHorizon; ++Col) {
      QString Text = Cell(Hz, Col);
      if (IsNumberHorizonColumn(Col)) Text = UserToFileNumber(Text);
      Text = OneLine(Text);
      HasData = HasData || !Text.isEmpty();
      Values << Text;
    }
    if (!HasData) continue;
    W.Section(QStringLiteral("Horizon") + QString::number(Hz));
    for (int Col = SovCol::FirstHorizon; Col <= SovCol::LastHorizon; ++Col)
      W.Raw(TSovFile::ColumnName(Col), Values[Col - SovCol::FirstHorizon]);
    W.EndSection();
  }

  // Events with a day and a code, numbered afresh from 1 in slot order. Only events
  // that a load takes back are written (day 1-365, one of the four codes), so that
  // the numbering of the file stays the numbering it loads with.
  const TSovLookup& L = Lookup();
  int Count = 0;
  for (const TSovEventRec& Event : FEvents) {
    const QString Code = EventCode(Event.Code);
    if (Event.Day < 1 || Event.Day > MaxDays || Code.isEmpty()) continue;
    ++Count;
    W.Section(QStringLiteral("Event") + QString::number(Count));
    W.Value(QStringLiteral("Day"), QString::number(Event.Day));
    W.Value(QStringLiteral("Code"), Code);
    switch (Event.Code) {
      case 1:  // "F"
        W.Value(QStringLiteral("Key1"), RowName(Event.Key1, L.FertilizerCount(),
                                                [&L](int Row) -> const auto& { return L.Fertilizer(Row); },
                                                Event.Key1Name));
        W.Value(QStringLiteral("Value"), UserToFileNumber(Event.Value));
        W.Value(QStringLiteral("Key2"), RowName(Event.Key2, L.FertAppMethodCount(),
                                                [&L](int Row) -> const auto& { return L.FertAppMethod(Row); },
                                                Event.Key2Name));
        break;
      case 2:  // "N"
        W.Value(QStringLiteral("Value"), UserToFileNumber(Event.Value));
        break;
      case 3:  // "M"
        W.Value(QStringLiteral("Key1"),
                RowName(Event.Key1, L.ManureCount(), [&L](int Row) -> const auto& { return L.Manure(Row); },
                        Event.Key1Name));
        W.Value(QStringLiteral("Value"), UserToFileNumber(Event.Value));
        W.Value(QStringLiteral("Key2"), RowName(Event.Key2, L.ManureAppMethodCount(),
                                                [&L](int Row) -> const auto& { return L.ManureAppMethod(Row); },
                                                Event.Key2Name));
        W.Value(QStringLiteral("Value2"), UserToFileNumber(Event.Value2));
        W.Value(QStringLiteral("Value3"), UserToFileNumber(Event.Value3));
        break;
      default:  // "R"
        W.Value(QStringLiteral("Value"), Event.Value);
        break;
    }
    W.Value(QStringLiteral("Misc1"), Event.Misc1);
    W.Value(QStringLiteral("Notes"), Event.Notes);
    W.EndSection();
  }

  // Weather: days that hold anything, eight escaped values each.
  W.Section(QStringLiteral("Weather"));
  for (int Day = 1; Day <= MaxDays; ++Day) {
    if (AllEmpty(FWeather[size_t(Day - 1)])) continue;
    QStringList Values;
    bool HasData = false;
    for (int Col = SovCol::FirstWeather; Col <= SovCol::LastWeather; ++Col) {
      QString Text = Cell(Day, Col);
      if (Col < SovCol::GrowthStage) Text = UserToFileNumber(Text);
      Text = OneLine(Text);
      HasData = HasData || !Text.isEmpty();
      Values << FParser.EscapeText(Text);
    }
    if (HasData) W.Raw(QStringLiteral("Day") + QString::number(Day), Values.join(FParser.Delimiter));
  }
  W.EndSection();
  return W.Lines();
}

bool TSovFile::FindNumberReadOtherwise(int& Row, int& Col, double& FileValue) const {
  // A number in the user's settings is saved with the file's separator; any other text
  // is saved as it is, and must then be no number in the file's settings either.
  const auto ReadOtherwise = [this, &FileValue](int R, int C) {
    const QString Text = TrimText(GetCell(R, C));
    double UserValue = 0;
    return !TryStrToFloat(Text, UserValue, FUserFormat) && TryStrToFloat(Text, FileValue, FFileFormat);
  };
  Row = 0;
  for (Col = SovCol::FirstField; Col <= SovCol::LastField; ++Col) {
    if (IsNumberFieldColumn(Col) && ReadOtherwise(Row, Col)) return true;
  }
  for (Row = 1; Row <= MaxDays; ++Row) {
    for (Col = SovCol::FirstWeather; Col < SovCol::GrowthStage; ++Col) {
      if (ReadOtherwise(Row, Col)) return true;
    }
  }
  Row = Col = 0;
  return false;
}

QString TSovFile::SaveToText(const QString& ProgramVersion) const {
  QString Text;
  for (const QString& Line : FileLines(ProgramVersion)) Text += Line + QStringLiteral("\r\n");
  return Text;
}

bool TSovFile::SaveToFile(const QString& FileName, const QString& ProgramVersion, QString& Msg) {
  Msg.clear();
  // The whole text first, so that nothing touches the disk before it is complete.
  QStringList Lines;
  try {
    Lines = FileLines(ProgramVersion);
  } catch (const std::exception&) {
    Msg = QStringLiteral("Unable to write to file ") + FileName + QStringLiteral(".");
    return false;
  }
  // Encoded once; nothing is written that Open would refuse as too large.
  QList<QByteArray> Encoded;
  Encoded.reserve(Lines.size());
  qint64 Size = 0;
  for (const QString& Line : Lines) {
    Encoded << Line.toUtf8();
    Size += Encoded.back().size() + 2;
  }
  Lines.clear();
  if (Size > MaxFileSize) {
    Msg = FileName + LF +
          QStringLiteral("File is too large: the field would take more than the %1 MB that a field data file may hold "
                         "to be opened again. Shorten the longest notes and save again.")
              .arg(MaxFileSize / (1024 * 1024));
    return false;
  }

  // The writer puts the text beside the target under a temporary name and only
  // renames it over the target once all of it is written and closed.
  TTextOutFile Out;
  try {
    if (Out.Open(FileName)) {
      for (const QByteArray& Line : Encoded) {
        Out.WriteData(Line);
        Out.NewLine();
      }
      if (Out.Status() == TTextOutFile::StatusOk)
        Out.Close();
      else
        Out.Abandon();
    }
  } catch (const std::exception&) {
    Out.Abandon();
    Msg = QStringLiteral("Unable to write to file ") + FileName + QStringLiteral(".");
    return false;
  }
  if (Out.Status() != TTextOutFile::StatusOk) {
    Msg = Out.GetFullErrorMessage();
    return false;
  }
  FFileName = FileName;
  return true;
}
