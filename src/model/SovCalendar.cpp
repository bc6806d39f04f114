#include "SovCalendar.h"

#include "MiscUtil.h"
#include "SovFile.h"

#include <algorithm>
#include <cmath>

namespace {

// Emergence this many days before the first schedule day is as far back as the
// calendar looks.
constexpr int MaxDaysBeforeStart = 100000;

const char* const EventCodes[EventCodeCount] = {"F", "N", "M", "R"};
const char* const StageCodes[StageCodeCount] = {"I", "D", "M", "L", "Z", "S"};
const char* const StageNames[StageCodeCount] = {"Init", "Dev", "Mid", "Late", "Frozen", "Snow"};

// Entry Index (1-based) of a code table; empty outside it.
QString EntryOf(std::span<const char* const> Table, int Index) {
  if (Index < 1 || Index > int(Table.size())) return QString();
  return QString::fromLatin1(Table[size_t(Index - 1)]);
}

// The 1-based number of Code in a code table (exact comparison); 0 when absent.
int IndexOf(std::span<const char* const> Table, const QString& Code) {
  for (size_t i = 0; i < Table.size(); ++i)
    if (Code == QLatin1String(Table[i])) return int(i) + 1;
  return 0;
}

const TCropRec* CropOf(const TSovLookup& Lookup, int Crop) {
  if (Crop < 1 || Crop > Lookup.CropCount()) return nullptr;
  return &Lookup.Crop(Crop);
}

int StagePercent(const TCropRec& Rec, int Stage) {
  switch (Stage) {
    case StageInit:
      return Rec.InitPct;
    case StageDev:
      return Rec.DevPct;
    case StageMid:
      return Rec.MidPct;
    default:
      return Rec.LatePct;
  }
}

int64_t PlannedLength(const TCropRec& Rec, int Stage, int SeasonDays) {
  return RoundRatioHalfEven(int64_t(StagePercent(Rec, Stage)) * SeasonDays, 100);
}

// Part of a stage that has passed, as a fraction 0..1 of its length (a length below
// one day counts as one day).
double StageFraction(int64_t DaysIn, int64_t Length) {
  const double Fraction = double(DaysIn) / double(std::max<int64_t>(Length, 1));
  return std::clamp(Fraction, 0.0, 1.0);
}

}  // namespace

// ---------------------------------------------------------------------------
// Code tables
// ---------------------------------------------------------------------------

QString EventCode(int Index) { return EntryOf(EventCodes, Index); }
int EventCodeIndex(const QString& Code) { return IndexOf(EventCodes, Code); }
QString StageCode(int Index) { return EntryOf(StageCodes, Index); }
QString StageName(int Index) { return EntryOf(StageNames, Index); }
int StageCodeIndex(const QString& Code) { return IndexOf(StageCodes, Code); }

// ---------------------------------------------------------------------------
// Calendar
// ---------------------------------------------------------------------------

int StageLength(const TSovLookup& Lookup, int Stage, int Crop, int SeasonDays) {
  const TCropRec* Rec = CropOf(Lookup, Crop);
  if (Rec == nullptr || SeasonDays <= 0 || Stage < StageInit || Stage > StageLate) return 0;
  return int(PlannedLength(*Rec, Stage, SeasonDays));
}

TCropCalendar::TCropCalendar(const TSovLookup& Lookup, int Crop, int SeasonDays, std::span<const int> UserStages,
                             int DaysBeforeEmergence, int PlantingOffset)
    : FCrop(CropOf(Lookup, Crop)),
      // Emergence before the first schedule day gives a negative count: the day-to-mark
      // mapping stays as it is, only the search back stops at index 0. The bound keeps
      // the walk over the days from emergence short for absurd values.
      FDaysBeforeEmergence(std::max(DaysBeforeEmergence, -MaxDaysBeforeStart)),
      FPlantingOffset(PlantingOffset) {
  FValid = FCrop != nullptr && SeasonDays > 0;
  if (!FValid) return;
  for (int Stage = StageInit; Stage <= StageLate; ++Stage) FLength[size_t(Stage)] = PlannedLength(*FCrop, Stage, SeasonDays);

  FHigh = int64_t(UserStages.size()) - 1;
  FLow = std::max<int64_t>(FDaysBeforeEmergence, 0);
  FMarks.resize(UserStages.size());
  for (size_t i = 0; i < UserStages.size(); ++i) {
    const int Mark = UserStages[i];
    FMarks[i] = Mark >= 1 && Mark <= StageCodeCount ? Mark : 0;
  }
  // Nearest mark at or before each index; marks before emergence are never seen.
  FLastMark.assign(UserStages.size(), -1);
  for (int64_t i = FLow; i <= FHigh; ++i)
    FLastMark[size_t(i)] = FMarks[size_t(i)] != 0 ? i : (i > FLow ? FLastMark[size_t(i - 1)] : -1);
  // First mark at or after each index.
  FNextMark.assign(UserStages.size() + 1, 0);
  for (int64_t i = FHigh; i >= 0; --i)
    FNextMark[size_t(i)] = FMarks[size_t(i)] != 0 ? FMarks[size_t(i)] : FNextMark[size_t(i + 1)];

  // Realised lengths: walk the days from emergence to the last index and see where
  // each stage begins and the next one starts.
  for (int Stage = StageInit; Stage <= StageLate; ++Stage) {
    int64_t First = -1;
    bool Found = false;
    int64_t Result = 1;
    for (int64_t j = 0; j <= FHigh - FDaysBeforeEmergence; ++j) {
      const int S = StageOfDay(int(FPlantingOffset + j + 1));
      if (First < 0 && S == Stage) {
        First = j;
      } else if (First >= 0 && S == Stage + 1) {
        Result = j - First + (Stage == StageInit ? FPlantingOffset : 0);
        Found = true;
        break;
      }
    }
    if (!Found && Stage == StageLate) Result = int64_t(SeasonDays) - First - FPlantingOffset;
    FRealized[size_t(Stage)] = Result;
  }
}

int TCropCalendar::PlannedStage(int S, int64_t Start, int64_t SeasonDay) const {
  for (; S <= StageLate; ++S) {
    Start += FLength[size_t(S)];
    if (SeasonDay <= Start) return S;
  }
  return 0;
}

int TCropCalendar::StageOfDay(int SeasonDay) const {
  if (!FValid) return 0;
  const int64_t Index = int64_t(SeasonDay) + FDaysBeforeEmergence - FPlantingOffset - 1;
  int Stage = StageInit;
  int64_t Start = 0;
  if (Index >= FLow && FLow <= FHigh) {
    const int64_t MarkIndex = FLastMark[size_t(std::min(Index, FHigh))];
    if (MarkIndex >= 0) {
      const int Mark = FMarks[size_t(MarkIndex)];
      if (Mark == StageFrozen || Mark == StageSnow) return Mark;
      Stage = Mark;
      Start = MarkIndex - FDaysBeforeEmergence + FPlantingOffset;  // season day of the mark - 1
    }
  }
  Stage = PlannedStage(Stage, Start, SeasonDay);
  if (Stage == 0) return 0;
  // A day before a later mark of its own stage still belongs to the stage before.
  const int64_t Next = Index + 1;
  const int NextMark = Next > FHigh ? 0 : FNextMark[size_t(std::max<int64_t>(Next, 0))];
  return NextMark == Stage ? Stage - 1 : Stage;
}

int TCropCalendar::RealizedStageLength(int Stage) const {
  if (!FValid || Stage < StageInit || Stage > StageLate) return 0;
  return int(std::clamp<int64_t>(FRealized[size_t(Stage)], -1000000000, 1000000000));
}

double TCropCalendar::KcOfDay(int SeasonDay) const {
  if (FCrop == nullptr) return 0.0;
  const double KcIni = FCrop->KcIni, KcMid = FCrop->KcMid, KcEnd = FCrop->KcEnd;
  double Kc = KcEnd;
  switch (StageOfDay(SeasonDay)) {
    case StageInit:
      Kc = KcIni;
      break;
    case StageDev:
      Kc = KcIni + StageFraction(SeasonDay - FRealized[1], FRealized[2]) * (KcMid - KcIni);
      break;
    case StageMid:
      Kc = KcMid;
      break;
    case StageLate: {
      const int64_t DaysIn = SeasonDay - FRealized[1] - FRealized[2] - FRealized[3];
      const double Value = KcMid + StageFraction(DaysIn, FRealized[4]) * (KcEnd - KcMid);
      Kc = Value < KcEnd ? KcEnd : Value;
      break;
    }
    default:
      break;
  }
  return std::clamp(Kc, std::min({KcIni, KcMid, KcEnd}), std::max({KcIni, KcMid, KcEnd}));
}

int StageOfDay(const TSovLookup& Lookup, int SeasonDay, int Crop, int SeasonDays, std::span<const int> UserStages,
               int DaysBeforeEmergence, int PlantingOffset) {
  return TCropCalendar(Lookup, Crop, SeasonDays, UserStages, DaysBeforeEmergence, PlantingOffset).StageOfDay(SeasonDay);
}

int RealizedStageLength(const TSovLookup& Lookup, int Stage, int Crop, int SeasonDays,
                        std::span<const int> UserStages, int DaysBeforeEmergence, int PlantingOffset) {
  return TCropCalendar(Lookup, Crop, SeasonDays, UserStages, DaysBeforeEmergence, PlantingOffset)
      .RealizedStageLength(Stage);
}

double KcOfDay(const TSovLookup& Lookup, int SeasonDay, int Crop, int SeasonDays, std::span<const int> UserStages,
               int DaysBeforeEmergence, int PlantingOffset) {
  return TCropCalendar(Lookup, Crop, SeasonDays, UserStages, DaysBeforeEmergence, PlantingOffset).KcOfDay(SeasonDay);
}

// ---------------------------------------------------------------------------
// Growing degree days
// ---------------------------------------------------------------------------

double DailyGdd(const TSovLookup& Lookup, bool IsMetric, int Crop, double T1, double T2) {
  const TCropRec* Rec = CropOf(Lookup, Crop);
  if (Rec == nullptr || !std::isfinite(T1) || !std::isfinite(T2)) return 0.0;
  double Base = Rec->GDDMinBase;
  double Cap = Rec->GDDMaxBase;
  if (Base == 0 && Cap == 0) {
    Base = IsMetric ? 10.0 : 50.0;
  } else if (!IsMetric) {
    Base = TSovFile::FromMetric(TUnitKind::Temperature, Base);
    if (Cap > 0) Cap = TSovFile::FromMetric(TUnitKind::Temperature, Cap);
  }
  double Result;
  if (Cap > 0) {
    T1 = std::min(std::max(T1, Base), Cap);
    T2 = std::min(std::max(T2, Base), Cap);
    Result = T1 / 2 + T2 / 2 - Base;
  } else {
    Result = T1 / 2 + T2 / 2 - Base;
    if (Result < 0) Result = 0;
  }
  return std::isfinite(Result) ? Result : 0.0;
}
