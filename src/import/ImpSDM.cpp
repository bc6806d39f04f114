// The soil data service importer.

#include "ImpSDM.h"

#include "SDMTabularService_proxy.h"
#include "XmlUtil.h"

#include <QCollator>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <functional>
#include <stdexcept>

namespace {

const char* const HorizElementNames[SdmHorizFieldCount] = {
    "hzdepb_r",   "awc_r",       "wtenthbar_r", "wthirdbar_r", "wfifteenbar_r", "dbthirdbar_r",
    "ksat_r",     "sandtotal_r", "silttotal_r", "claytotal_r", "sandvc_r",      "sandco_r",
    "sandmed_r",  "sandfine_r",  "sandvf_r",    "sieveno10_r", "frag3to10_r",   "fraggt10_r",
    "om_r",       "ph1to1h2o_r", "ph01mcacl2_r", "ec_r",       "cec7_r"};

// A value inside an SQL string literal: apostrophes doubled, so the value cannot end
// the literal.
QString SqlText(const QString& Value) {
  QString Text = Value;
  return Text.replace(QLatin1Char('\''), QLatin1String("''"));
}

// Only two letters: the abbreviation ends in a LIKE pattern, where an empty text, "%"
// or "_" would list the survey areas of other states or of every state.
bool IsStateAbbr(const QString& Text) {
  if (Text.size() != 2) return false;
  for (const QChar Ch : Text)
    if (!((Ch >= u'A' && Ch <= u'Z') || (Ch >= u'a' && Ch <= u'z'))) return false;
  return true;
}

// Only the letters A to Z are lowered, as the service's LOWER() does.
QString LowerAscii(const QString& Text) {
  QString Lower = Text;
  for (QChar& Ch : Lower)
    if (Ch >= u'A' && Ch <= u'Z') Ch = QChar(Ch.unicode() + (u'a' - u'A'));
  return Lower;
}

QString RowValue(pugi::xml_node Row, const char* Name) {
  return GetNodeText(FindChildNode(Row, QString::fromLatin1(Name)));
}

// The "Table" rows of a data set, in order.
void ForEachRow(pugi::xml_node DataSet, const std::function<bool(pugi::xml_node Row, int RowNo)>& Read) {
  int RowNo = 0;
  for (pugi::xml_node Child = DataSet.first_child(); Child; Child = Child.next_sibling()) {
    if (Child.type() != pugi::node_element || std::strcmp(Child.name(), "Table") != 0) continue;
    if (!Read(Child, RowNo++)) break;
  }
}

// One query to the service: its reply's diffgram, passed through a temporary file, in
// Diffgram.
bool RunSdmQuery(const TSdmServiceAccess& Access, const QString& Sql, const QString& NoReplyMsg,
                 QByteArray& Diffgram, QString& ErrMsg) {
  ErrMsg = QStringLiteral("Unexpected error.");
  try {
    RunQuery_Type Request;
    RegisterHttpTransport();
    const auto Proxy = CreateSDMTabularServiceSoap(QStringLiteral("SOAP:"), QStringLiteral("HTTP:"),
                                                   Access.ServiceAddress, Access.TransportOptions);
    if (!Proxy) {
      ErrMsg = QStringLiteral("Unable to connect to Soil Data Mart Web service.");
      return false;
    }
    Request.Query = Sql;
    const std::unique_ptr<RunQueryResponse> Response = Proxy->RunQuery(Request);
    if (!Response) {
      ErrMsg = NoReplyMsg;
      return false;
    }
    const QString& Text = Response->RunQueryResult.diffgram.Data;
    const TTempReplyFile File;
    Diffgram = File.PassThrough((Text + u'\n').toUtf8());
    ErrMsg.clear();
    return true;
  } catch (const std::exception& E) {
    ErrMsg = QString::fromUtf8(E.what());
  } catch (...) {
  }
  return false;
}

// ReadRow gets the rows of the diffgram's data set (its first child) when there is one,
// as ForEachRow gives them.
bool ReadSdmDiffgram(const QByteArray& Diffgram, const std::function<bool(pugi::xml_node Row, int RowNo)>& ReadRow,
                     QString& ErrMsg) {
  ErrMsg = QStringLiteral("Unexpected error.");
  try {
    const TXmlDocument Doc = CreateXmlDoc();
    LoadXmlData(Doc, Diffgram);
    if (const pugi::xml_node DataSet = Doc->document_element().first_child()) ForEachRow(DataSet, ReadRow);
    ErrMsg.clear();
    return true;
  } catch (const std::exception& E) {
    ErrMsg = QString::fromUtf8(E.what());
  } catch (...) {
  }
  return false;
}

// ReadSdmDiffgram into List, which starts empty and is left empty when the reply is
// unusable.
template <class TList>
bool ReadRowsInto(TList& List, const QByteArray& Diffgram,
                  const std::function<bool(pugi::xml_node Row, int RowNo)>& ReadRow, QString& ErrMsg) {
  List.Clear();
  const bool Ok = ReadSdmDiffgram(Diffgram, ReadRow, ErrMsg);
  if (!Ok) List.Clear();
  return Ok;
}

void SortLines(TNameValueList& List) {
  QCollator Collator;
  Collator.setCaseSensitivity(Qt::CaseInsensitive);
  QStringList Lines = List.Lines();
  std::stable_sort(Lines.begin(), Lines.end(),
                   [&Collator](const QString& A, const QString& B) { return Collator.compare(A, B) < 0; });
  List.Clear();
  for (const QString& Line : Lines) List.Add(Line);
}

}  // namespace

// ---------------------------------------------------------------------------
// Survey areas
// ---------------------------------------------------------------------------

QString TImportedSdmSurveys::SurveysQuery(const QString& StateAbbr) {
  if (!IsStateAbbr(StateAbbr)) return {};
  return QStringLiteral(
             "SELECT saversion, saverest, l.areasymbol, l.areaname FROM sacatalog sac INNER JOIN legend l ON "
             "l.areasymbol = sac.areasymbol AND l.areasymbol LIKE '") +
         SqlText(StateAbbr) + QStringLiteral("%' ") + QStringLiteral("ORDER BY l.areasymbol");
}

bool TImportedSdmSurveys::GetSurveys(const QString& StateAbbr, QString& ErrMsg) {
  Clear();
  const QString Sql = SurveysQuery(StateAbbr);
  if (Sql.isEmpty()) {
    ErrMsg = QStringLiteral("\"%1\" is not a valid state abbreviation.").arg(StateAbbr.left(20));
    return false;
  }
  QByteArray Diffgram;
  return RunSdmQuery(*this, Sql,
                     QStringLiteral("Unable to retrieve soil survey information from Soil Data Mart Web service."),
                     Diffgram, ErrMsg) &&
         ReadReply(Diffgram, ErrMsg);
}

bool TImportedSdmSurveys::ReadReply(const QByteArray& Diffgram, QString& ErrMsg) {
  return ReadRowsInto(
      *this, Diffgram,
      [this](pugi::xml_node Row, int) {
        AddPair(RowValue(Row, "areaname"), RowValue(Row, "areasymbol"));
        return true;
      },
      ErrMsg);
}

void TImportedSdmSurveys::SortByName() { SortLines(*this); }

// ---------------------------------------------------------------------------
// Map units and components
// ---------------------------------------------------------------------------

TImportedSdmSoils::TImportedSdmSoils() {
  FParser.Delimiter = u',';
  FParser.Quote = QChar();
  FParser.Escape = QChar();
}

QString TImportedSdmSoils::MapUnitsQuery(const QString& AreaSymbol) {
  return QStringLiteral(
             "SELECT saversion, saverest, l.areasymbol, l.areaname, mu.musym, mu.muname, museq, mu.mukey, "
             "muacres, comppct_r, compname FROM sacatalog sac INNER JOIN legend l ON l.areasymbol = "
             "sac.areasymbol AND l.areasymbol = '") +
         SqlText(AreaSymbol) + QStringLiteral("' ") + QStringLiteral("INNER JOIN mapunit mu ON mu.lkey = l.lkey ") +
         QStringLiteral("LEFT OUTER JOIN component c ON c.mukey = mu.mukey AND ") +
         QStringLiteral("c.majcompflag = 'Yes' ") +
         QStringLiteral("ORDER BY l.areasymbol, museq, comppct_r DESC, compname");
}

bool TImportedSdmSoils::GetMapUnits(const QString& AreaSymbol, QString& ErrMsg) {
  Clear();
  QByteArray Diffgram;
  return RunSdmQuery(*this, MapUnitsQuery(AreaSymbol),
                     QStringLiteral("Unable to retrieve soil map unit data from Soil Data Mart Web service."),
                     Diffgram, ErrMsg) &&
         ReadReply(Diffgram, ErrMsg);
}

bool TImportedSdmSoils::ReadReply(const QByteArray& Diffgram, QString& ErrMsg) {
  return ReadRowsInto(
      *this, Diffgram,
      [this](pugi::xml_node Row, int) {
        AddPair(RowValue(Row, "compname"), RowValue(Row, "musym") + u',' + RowValue(Row, "mukey") + u',' +
                                               RowValue(Row, "muacres") + u',' + RowValue(Row, "comppct_r"));
        return true;
      },
      ErrMsg);
}

QString TImportedSdmSoils::GetMapUnitSymbol(int Index) const { return FParser.GetField(ValueFromIndex(Index), 1); }

void TImportedSdmSoils::SortByName() { SortLines(*this); }

// ---------------------------------------------------------------------------
// Horizons
// ---------------------------------------------------------------------------

const char* SdmHorizElementName(int Field) {
  return Field >= 0 && Field < SdmHorizFieldCount ? HorizElementNames[Field] : "";
}

TImportedSdmHorizons::TImportedSdmHorizons() : FFormat(FileFormatSettings()) {
  FFormat.DecimalSeparator = u'.';
  FFormat.ThousandSeparator = QChar();
}

QString TImportedSdmHorizons::HorizonsQuery(const QString& AreaSymbol, const QString& MapUnit,
                                            const QString& ComponentName) {
  QString Sql = QStringLiteral(
      "SELECT saversion, saverest, l.areasymbol, l.areaname, mu.musym, mu.muname, museq, mu.mukey, comppct_r, "
      "compname, hzdept_r, hzdepb_r, awc_r, wtenthbar_r, wthirdbar_r, wfifteenbar_r, dbthirdbar_r, ksat_r, "
      "sandtotal_r, silttotal_r, claytotal_r, sandvc_r, sandco_r, sandmed_r, sandfine_r, sandvf_r, "
      "sieveno10_r, frag3to10_r, fraggt10_r, om_r, ph1to1h2o_r, ph01mcacl2_r, ec_r, cec7_r FROM sacatalog sac ");
  if (!AreaSymbol.isEmpty()) {
    Sql += QStringLiteral("INNER JOIN legend l ON l.areasymbol = sac.areasymbol AND ") +
           QStringLiteral("l.areasymbol = '") + SqlText(AreaSymbol) + QStringLiteral("' ") +
           QStringLiteral("INNER JOIN mapunit mu ON mu.lkey = l.lkey AND ") + QStringLiteral("LOWER(mu.musym) = '") +
           SqlText(LowerAscii(MapUnit)) + QStringLiteral("' ") +
           QStringLiteral("LEFT OUTER JOIN component c ON c.mukey = mu.mukey AND ") +
           QStringLiteral("c.majcompflag = 'Yes' AND ") + QStringLiteral("c.compname = '") + SqlText(ComponentName) +
           QStringLiteral("' ") + QStringLiteral("LEFT OUTER JOIN chorizon ch ON ch.cokey = c.cokey ") +
           QStringLiteral("ORDER BY l.areasymbol, museq, comppct_r DESC, compname, hzdepb_r");
  } else {
    Sql += QStringLiteral("INNER JOIN legend l ON l.areasymbol = sac.areasymbol ") +
           QStringLiteral("INNER JOIN mapunit mu ON mu.lkey = l.lkey AND ") + QStringLiteral("mu.mukey = '") +
           SqlText(MapUnit) + QStringLiteral("' ") +
           QStringLiteral("LEFT OUTER JOIN component c ON c.mukey = mu.mukey AND ") +
           QStringLiteral("c.majcompflag = 'Yes' ") + QStringLiteral("LEFT OUTER JOIN chorizon ch ON ch.cokey = c.cokey ") +
           QStringLiteral("ORDER BY museq, comppct_r DESC, compname, hzdepb_r");
  }
  return Sql;
}

void TImportedSdmHorizons::Clear() {
  AreaSymbol.clear();
  MapUnitSymbol.clear();
  MapUnitKey.clear();
  ComponentName.clear();
  FCount = 0;
  FHorizons = {};
}

bool TImportedSdmHorizons::AddHorizon(const TSdmHorizRec& Rec) {
  if (FCount >= SdmMaxHorizons) return false;
  FHorizons[size_t(FCount++)] = Rec;
  return true;
}

bool TImportedSdmHorizons::GetHorizons(const QString& AreaSymbol, const QString& MapUnit,
                                       const QString& ComponentName, QString& ErrMsg) {
  Clear();
  QByteArray Diffgram;
  return RunSdmQuery(*this, HorizonsQuery(AreaSymbol, MapUnit, ComponentName),
                     QStringLiteral("Unable to retrieve soil horizon data from Soil Data Mart Web service."),
                     Diffgram, ErrMsg) &&
         ReadReply(Diffgram, ErrMsg);
}

bool TImportedSdmHorizons::ReadReply(const QByteArray& Diffgram, QString& ErrMsg) {
  return ReadRowsInto(
      *this, Diffgram,
      [this](pugi::xml_node Row, int RowNo) {
        if (FCount >= SdmMaxHorizons) return false;
        // A top depth of 0 after the first row starts the next component.
        if (RowNo > 0 && RowValue(Row, "hzdept_r") == QLatin1String("0")) return false;
        if (RowNo == 0) {
          this->AreaSymbol = RowValue(Row, "areasymbol");
          MapUnitSymbol = RowValue(Row, "musym");
          MapUnitKey = RowValue(Row, "mukey");
          this->ComponentName = RowValue(Row, "compname");
        }
        TSdmHorizRec Rec;
        for (int F = 0; F < SdmHorizFieldCount; ++F) Rec[size_t(F)] = RowValue(Row, HorizElementNames[F]);
        AddHorizon(Rec);
        return true;
      },
      ErrMsg);
}

const TSdmHorizRec& TImportedSdmHorizons::Horizon(int Index) const {
  if (Index < 1 || Index > FCount) throw std::out_of_range("horizon index out of range");
  return FHorizons[size_t(Index - 1)];
}

QString TImportedSdmHorizons::Value(int Index, int Field) const {
  if (Index < 1 || Index > FCount || Field < 0 || Field >= SdmHorizFieldCount) return {};
  return FHorizons[size_t(Index - 1)][size_t(Field)];
}

bool TImportedSdmHorizons::Number(int Index, int Field, double& Value) const {
  Value = 0;
  return TryStrToFloat(this->Value(Index, Field), Value, FFormat);
}

void TImportedSdmHorizons::GetTextureClass(int Index, QString& ErrMsg, QString& Texture) const {
  Texture.clear();
  ErrMsg = QStringLiteral("Horizon ") + QString::number(Index) + QStringLiteral(" has invalid ");
  if (Index < 1 || Index > FCount) {
    ErrMsg = QStringLiteral("Horizon ") + QString::number(Index) + QStringLiteral(" does not exist.");
    return;
  }
  double S = 0, Si = 0, C = 0;
  if (!Number(Index, sdmSandtotal, S)) {
    ErrMsg += QStringLiteral("sand.");
    return;
  }
  if (!Number(Index, sdmClaytotal, C)) {
    ErrMsg += QStringLiteral("clay.");
    return;
  }
  if (!Number(Index, sdmSilttotal, Si)) {
    ErrMsg += QStringLiteral("silt.");
    return;
  }
  // All three read: no message from here on (muck included).
  ErrMsg.clear();
  if (S == 0 && Si == 0 && C == 0) {
    Texture = QStringLiteral("MUCK");
    return;
  }

  const char* Class = "";
  if (Si + 1.5 * C < 15)
    Class = "S";
  else if (Si + 2 * C < 30)
    Class = "LS";
  else if ((C >= 7 && C < 20 && S > 52) || (C < 7 && Si < 50))
    Class = "SL";  // Si + 2 C >= 30 holds here
  else if (C >= 7 && C < 27 && Si >= 28 && Si < 50 && S <= 52)
    Class = "L";
  else if ((Si >= 50 && C >= 12 && C < 27) || (Si >= 50 && Si < 80 && C < 12))
    Class = "SIL";
  else if (Si >= 80 && C < 12)
    Class = "SI";
  else if (C >= 20 && C < 35 && Si < 28 && S > 45)
    Class = "SCL";
  else if (C >= 27 && C < 40 && S > 20 && S <= 45)
    Class = "CL";
  else if (C >= 27 && C < 40 && S <= 20)
    Class = "SICL";
  else if (C >= 35 && S > 45)
    Class = "SC";
  else if (C >= 40 && Si >= 40)
    Class = "SIC";
  else if (C >= 40 && S <= 45 && Si < 40)
    Class = "C";
  Texture = QString::fromLatin1(Class);

  const bool IsS = Texture == QLatin1String("S");
  const bool IsLS = Texture == QLatin1String("LS");
  const bool IsSL = Texture == QLatin1String("SL");
  if (!IsS && !IsLS && !IsSL) return;
  double VC = 0, CO = 0, MED = 0, FINE = 0, VF = 0;
  if (!Number(Index, sdmSandvc, VC) || !Number(Index, sdmSandco, CO) || !Number(Index, sdmSandmed, MED) ||
      !Number(Index, sdmSandfine, FINE) || !Number(Index, sdmSandvf, VF))
    return;
  const double A = VC + CO;
  const double B = A + MED;
  const double D = FINE + VF;

  if (IsS || IsLS) {
    const char* Coarse = IsS ? "COS" : "LCOS";
    const char* Medium = IsS ? "S" : "LS";
    const char* Fine = IsS ? "FS" : "LFS";
    const char* VeryFine = IsS ? "VFS" : "LVFS";
    const char* Sub = nullptr;
    if (A >= 25 && MED < 50 && FINE < 50 && VF < 50)
      Sub = Coarse;
    else if (B >= 25 && A < 25 && FINE < 50 && VF < 50)
      Sub = Medium;
    else if (MED >= 50 && A >= 25)
      Sub = Medium;
    else if (FINE >= 50 && (IsLS || FINE > VF))
      Sub = Fine;
    else if (B < 25 && VF < 50)
      Sub = Fine;
    else if (VF >= 50)
      Sub = VeryFine;
    if (Sub) Texture = QString::fromLatin1(Sub);
    return;
  }

  const char* Sub = nullptr;
  if (A >= 25 && MED < 50 && FINE < 50 && VF < 50)
    Sub = "COSL";
  else if (B >= 30 && VF >= 30 && VF < 50)
    Sub = "COSL";
  else if (B >= 30 && A < 25 && FINE < 30 && VF < 30)
    Sub = "SL";
  else if (B <= 15 && FINE < 30 && VF < 30 && D < 40)
    Sub = "SL";
  else if (A >= 25 && MED >= 50)
    Sub = "SL";
  else if (FINE >= 50 && VF < 30 && A < 25)
    Sub = "FSL";
  else if (B >= 15 && B < 30 && A < 25)
    Sub = "FSL";
  else if (D >= 40 && FINE >= VF && B <= 15)
    Sub = "FSL";
  else if (A >= 25 && FINE >= 50)
    Sub = "FSL";
  else if (VF >= 30 && B < 15 && VF > FINE)
    Sub = "VFSL";
  else if (D >= 40 && VF > FINE && B < 15)
    Sub = "VFSL";
  else if (A >= 25 && VF >= 50)
    Sub = "VFSL";
  else if (B >= 30 && VF >= 50)
    Sub = "VFSL";
  if (Sub) Texture = QString::fromLatin1(Sub);
}

bool TImportedSdmHorizons::GetFifteenBarFraction(int Index, double& Value) const {
  double X = 0;
  Value = 0;
  if (!Number(Index, sdmWfifteenbar, X)) return false;
  Value = X / 100;
  return std::isfinite(Value);
}

double TImportedSdmHorizons::GetCoarseFragments(int Index) const {
  double F = 0, X = 0;
  if (Number(Index, sdmSieveno10, X)) F += 100 - X;
  if (Number(Index, sdmFrag3to10, X)) F += X;
  if (Number(Index, sdmFraggt10, X)) F += X;
  double Density = 0;
  if (!Number(Index, sdmDbthirdbar, Density)) return 0;
  F = F * Density / 2.65;
  return std::isfinite(F) && F >= 0 && F <= 100 ? F : 0;
}
