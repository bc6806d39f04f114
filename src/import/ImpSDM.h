#pragma once
// The soil data service importer. Three steps, one SQL query to the soil data tabular
// service each: the soil survey areas of a state, the map units and major components
// of one survey area, and the horizons of one component. Also the texture class of a
// horizon from its particle-size fractions (USDA triangle with sand-size subclasses),
// its wilting-point fraction and its coarse-fragment percent.
//
// Every query sends its inserted values as SQL string literals with apostrophes
// doubled, so no value can end the literal early; the state abbreviation must be two
// letters. The reply's data set passes through a temporary file that is deleted on
// every way out. A failed query leaves its object empty.

#include "ImpWeath.h"
#include "MiscUtil.h"
#include "SoapBase.h"

#include <QByteArray>
#include <QString>

#include <array>

// Where the soil data service is and how long a query may take.
class TSdmServiceAccess {
 public:
  QString ServiceAddress;  // empty: the service's usual endpoint
  TSoapTransportOptions TransportOptions;
};

// Lines "area name=area symbol".
class TImportedSdmSurveys : public TNameValueList, public TSdmServiceAccess {
 public:
  // The survey areas whose symbol begins with StateAbbr (two letters). True with ErrMsg
  // empty on success (also for no areas); False with the reason.
  bool GetSurveys(const QString& StateAbbr, QString& ErrMsg);
  // Reads the diffgram of a reply (as the query gets it) into the list, replacing it.
  bool ReadReply(const QByteArray& Diffgram, QString& ErrMsg);
  QString GetAreaName(int Index) const { return Names(Index); }
  QString GetAreaSymbol(int Index) const { return ValueFromIndex(Index); }
  // Lines in ascending order, compared without regard to case by the user's locale.
  void SortByName();

  // The query text for a state; empty when StateAbbr is not two letters.
  static QString SurveysQuery(const QString& StateAbbr);
};

// Lines "component name=map unit symbol,map unit key,map unit acres,component percent".
class TImportedSdmSoils : public TNameValueList, public TSdmServiceAccess {
 public:
  TImportedSdmSoils();
  bool GetMapUnits(const QString& AreaSymbol, QString& ErrMsg);
  // Reads the diffgram of a reply (as the query gets it) into the list, replacing it.
  bool ReadReply(const QByteArray& Diffgram, QString& ErrMsg);
  QString GetComponentName(int Index) const { return Names(Index); }
  // Field 1 of the value part.
  QString GetMapUnitSymbol(int Index) const;
  void SortByName();

  static QString MapUnitsQuery(const QString& AreaSymbol);

 private:
  TMyLineParser FParser;
};

// The reply elements of one horizon, in the order of TSdmHorizRec.
enum TSdmHorizField : int {
  sdmHzdepb,       // bottom depth, cm
  sdmAwc,          // available water capacity (kept, not used)
  sdmWtenthbar,    // water at 1/10 bar (kept, not used)
  sdmWthirdbar,    // water at 1/3 bar (kept, not used)
  sdmWfifteenbar,  // water at 15 bar, percent
  sdmDbthirdbar,   // bulk density at 1/3 bar, g/cm3
  sdmKsat,         // saturated hydraulic conductivity, um/s
  sdmSandtotal,    // percent
  sdmSilttotal,
  sdmClaytotal,
  sdmSandvc,  // very coarse sand, percent
  sdmSandco,
  sdmSandmed,
  sdmSandfine,
  sdmSandvf,
  sdmSieveno10,  // percent passing sieve No. 10
  sdmFrag3to10,  // rock fragments 3-10 inches, percent
  sdmFraggt10,   // rock fragments > 10 inches, percent
  sdmOm,         // organic matter, percent
  sdmPh1to1h2o,
  sdmPh01mcacl2,
  sdmEc,    // dS/m
  sdmCec7,  // cmol+/kg
};
constexpr int SdmHorizFieldCount = 23;
constexpr int SdmMaxHorizons = 10;
// The reply element name of a field ("hzdepb_r", ...); empty outside 0..22.
const char* SdmHorizElementName(int Field);

// The trimmed texts of one horizon's elements (empty when missing).
using TSdmHorizRec = std::array<QString, SdmHorizFieldCount>;
using TSdmHorizArray = std::array<TSdmHorizRec, SdmMaxHorizons>;

class TImportedSdmHorizons : public TSdmServiceAccess {
 public:
  TImportedSdmHorizons();

  // From the first row of the reply.
  QString AreaSymbol;
  QString MapUnitSymbol;
  QString MapUnitKey;
  QString ComponentName;

  // With a non-empty AreaSymbol, MapUnit is a map unit symbol and the component is
  // chosen by name; with an empty one MapUnit is a map unit key and the component with
  // the largest percent is taken. At most 10 horizons, top first.
  bool GetHorizons(const QString& AreaSymbol, const QString& MapUnit, const QString& ComponentName, QString& ErrMsg);
  // Reads the diffgram of a reply (as the query gets it) into the list, replacing it.
  bool ReadReply(const QByteArray& Diffgram, QString& ErrMsg);
  static QString HorizonsQuery(const QString& AreaSymbol, const QString& MapUnit, const QString& ComponentName);

  int Count() const { return FCount; }
  // Horizon Index (1..Count). Throws std::out_of_range for another index.
  const TSdmHorizRec& Horizon(int Index) const;
  // One text of horizon Index; empty for an index or field out of range.
  QString Value(int Index, int Field) const;
  // Builds a set by hand: empties it, or adds one horizon (False when 10 are held).
  void Clear();
  bool AddHorizon(const TSdmHorizRec& Rec);

  // The texture abbreviation of horizon Index; empty with a message ("Horizon 2 has
  // invalid sand.") when sand, clay or silt is not a number, empty without one when
  // the fractions fit no class.
  void GetTextureClass(int Index, QString& ErrMsg, QString& Texture) const;
  // "wfifteenbar_r" / 100; False (Value 0) when it is not a number.
  bool GetFifteenBarFraction(int Index, double& Value) const;
  // Coarse fragments, volume percent: (100 - sieve No. 10 + fragments 3-10 and > 10
  // inches) x bulk density / 2.65; 0 without a bulk density or outside 0..100.
  double GetCoarseFragments(int Index) const;

 private:
  bool Number(int Index, int Field, double& Value) const;
  int FCount = 0;
  TSdmHorizArray FHorizons;
  TFormatSettings FFormat;
};
