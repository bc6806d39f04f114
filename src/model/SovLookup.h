#pragma once
// The reference tables of one region, read once from the lookup file beside the
// program: crops, locations, fertilisers and their application methods, manures and
// their application methods, and the web weather sources. Also owns the number and
// date conventions of every data file.

#include "MiscUtil.h"

#include <QByteArray>
#include <QString>

#include <vector>

constexpr int MaxCrops = 100;
constexpr int MaxLocations = 100;
constexpr int MaxFertilizers = 50;
constexpr int MaxFertAppMethods = 20;
constexpr int MaxManures = 50;
constexpr int MaxManureAppMethods = 20;
constexpr int MaxWeatherSources = 20;
constexpr int MaxUptakePoints = 10;
constexpr int LookupColumnCount = 31;

struct TCropRec {
  QString Name;
  int ToMaxCrop = 0;
  QString ACE_crid;
  bool IsPerennial = false;
  int RootingDepth = 0;
  int InitPct = 0, DevPct = 0, MidPct = 0, LatePct = 0;
  double KcIni = 0, KcMid = 0, KcEnd = 0;
  double GDDMinBase = 0, GDDMaxBase = 0;
  int UptakePointCount = 0;
  int NUptakeGDD[MaxUptakePoints + 1] = {};  // 1-based
  double NUptakeRate[MaxUptakePoints + 1] = {};
  int MaxRootGDD = 0;
};

struct TLocationRec {
  QString Name, Description, State, StateAbbr, Country, CountryFIPS, CountryISO;
  bool IsUS = false;
};

struct TFertilizerRec {
  QString Name, Description, ACE_fecd;
  bool IsLiquid = false;
  double LiquidWeight = 0;
  int N = 0, P2O5 = 0, K2O = 0, Urea = 0, Ammonium = 0, Nitrate = 0;
  bool NitrifInhib = false, UreaseInhib = false;
};

struct TFertAppMethodRec {
  QString Name, Description, ACE_feacd;
  bool IsBand = false;
};

struct TManureRec {
  QString Name, Description, ACE_omcd;
  bool IsLiquid = false, NitrifInhib = false, UreaseInhib = false;
  double MinerkConst = 0;
  int MaxMinerPct = 0;
};

struct TManureAppMethodRec {
  QString Name, Description, ACE_omacd;
  int DaysToInc = 0;
  bool IsInject = false;
};

struct TWeatherSourceRec {
  QString Name, Description;
};

class TSovLookup {
 public:
  TSovLookup();
  virtual ~TSovLookup() = default;

  // Reads the lookup file. On failure returns False and the message, keeping what was
  // read so far.
  bool LoadFromFile(const QString& FileName, QString& Msg);
  // The same for a lookup file's contents already in memory; FileName only names it in
  // messages.
  bool LoadFromData(const QString& FileName, const QByteArray& Data, QString& Msg);

  const QString& FileName() const { return FFileName; }
  const TFormatSettings& FileFormat() const { return FFileFormat; }
  const QString& RegionName() const { return FRegionName; }

  // Row counts and rows (1-based; a row outside 1..count throws std::out_of_range).
  int CropCount() const { return int(FCrops.size()); }
  int LocationCount() const { return int(FLocations.size()); }
  int FertilizerCount() const { return int(FFertilizers.size()); }
  int FertAppMethodCount() const { return int(FFertAppMethods.size()); }
  int ManureCount() const { return int(FManures.size()); }
  int ManureAppMethodCount() const { return int(FManureAppMethods.size()); }
  int WeatherSourceCount() const { return int(FWeatherSources.size()); }
  const TCropRec& Crop(int Row) const;
  const TLocationRec& Location(int Row) const;
  const TFertilizerRec& Fertilizer(int Row) const;
  const TFertAppMethodRec& FertAppMethod(int Row) const;
  const TManureRec& Manure(int Row) const;
  const TManureAppMethodRec& ManureAppMethod(int Row) const;
  const TWeatherSourceRec& WeatherSource(int Row) const;

  // Cell operations over lookup columns 1-31.
  virtual QString GetCell(int Row, int Col) const;
  virtual int RowCount(const QString& Section) const;
  virtual QString SectionOfColumn(int Col) const;
  virtual QString ColumnName(int Col) const;
  virtual int ColumnIndex(const QString& Section, const QString& Name) const;

  // First row whose Name equals Name without regard to case; 0 when none.
  int FindCrop(const QString& Name) const;
  int FindLocation(const QString& Name) const;
  int FindFertilizer(const QString& Name) const;
  int FindFertAppMethod(const QString& Name) const;
  int FindManure(const QString& Name) const;
  int FindManureAppMethod(const QString& Name) const;
  int FindWeatherSource(const QString& Name) const;

 protected:
  QString FFileName;
  TFormatSettings FFileFormat;
  QString FRegionName;
  std::vector<TCropRec> FCrops;
  std::vector<TLocationRec> FLocations;
  std::vector<TFertilizerRec> FFertilizers;
  std::vector<TFertAppMethodRec> FFertAppMethods;
  std::vector<TManureRec> FManures;
  std::vector<TManureAppMethodRec> FManureAppMethods;
  std::vector<TWeatherSourceRec> FWeatherSources;

 private:
  void ClearTables();
  bool ReadTables(const TMyIniFile& Ini, const QString& FileName, QString& Msg);
};
