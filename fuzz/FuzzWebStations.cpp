// libFuzzer target: the web sources' station lists. The input's first line names the
// source and the location ("WU_PWS|ON,Canada,CA"); the rest is the source's station page,
// and after a line "====" the station-list script's table. Any input must read or fail
// with a message, never crash or hang; every station has an identifier and a line that
// splits back into its fields.

#include "FuzzSupport.h"
#include "ImpWeathHttp.h"

FURROW_FUZZ_TARGET("web station list fuzzer")

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const QByteArray Bytes = FuzzBytes(Data, Size);
  const qsizetype LineEnd = Bytes.indexOf('\n');
  const QString Head = QString::fromUtf8(LineEnd < 0 ? Bytes : Bytes.left(LineEnd));
  const QList<QByteArray> Parts = FuzzParts(LineEnd < 0 ? QByteArray() : Bytes.mid(LineEnd + 1));
  const qsizetype Bar = Head.indexOf(u'|');
  const QString SourceID = Bar < 0 ? Head : Head.left(Bar);
  const QString Location = Bar < 0 ? QStringLiteral("MI") : Head.mid(Bar + 1);

  TImportedStationsHttp Stations;
  QString ErrMsg;
  if (!Stations.ReadSourceStations(SourceID, Location, Parts.at(0), ErrMsg)) {
    Check(!ErrMsg.isEmpty(), "a failure without a message");
    return 0;
  }
  if (Parts.size() > 1) {
    QString StateAbbr, Country, CountryFIPS, CountryISO;
    SplitLocation(Location, StateAbbr, Country, CountryFIPS, CountryISO);
    Stations.ReadStationTable(SplitLines(DecodeFileText(Parts.at(1))), CountryFIPS == u"US", 42.7, -84.5);
  }
  for (int I = 0; I < Stations.Count(); ++I) {
    Check(!Stations.GetStationID(I).isEmpty(), "a station without an identifier");
    Check(std::isfinite(Stations.GetDistance(I)), "a distance that is not finite");
    Stations.GetDirection(I);
  }
  Stations.SortByDistance(true);
  Stations.SortByDirection(false);
  return 0;
}
