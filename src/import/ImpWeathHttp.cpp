#include "ImpWeathHttp.h"

#include "MiscUtil.h"
#include "XmlUtil.h"

#include <QHash>

#include <exception>

const char* const WeatherSourceIDs[WeatherSourceCount + 1] = {
    "", "WU_ASOS", "WU_PWS", "NWS_COOP", "IA_AgClimate", "MI_Enviro-weather"};

const char* const DefaultStationScriptURL =
    "https://furrow.example.org/zodozizavo/irrigation/getStations.php";
const char* const StationScriptEnvVar = "SOV_GETSTATIONS_URL";

const char* const MsgInvalidSourceID = ": invalid weather source ID.";
const char* const MsgLocationBlank = "Location ID is blank.";
const char* const MsgInvalidFormat = "Invalid format encountered.";
const char* const MsgStationBlank = "Station ID is blank.";
const char* const MsgInvalidDates = "Invalid date range.";

int WeatherSourceIndex(const QString& ID) {
  for (int I = 1; I <= WeatherSourceCount; ++I) {
    if (ID.compare(QLatin1String(WeatherSourceIDs[I]), Qt::CaseInsensitive) == 0) return I;
  }
  return wsNone;
}

void SplitLocation(const QString& Location, QString& StateAbbr, QString& Country,
                   QString& CountryFIPS, QString& CountryISO) {
  StateAbbr = Location;
  Country = QStringLiteral("United States");
  CountryFIPS = QStringLiteral("US");
  CountryISO = QStringLiteral("US");
  qsizetype P = Location.indexOf(u',');
  if (P < 0) return;
  StateAbbr = Location.left(P).trimmed();
  const QString Rest = Location.mid(P + 1).trimmed();
  P = Rest.indexOf(u',');
  if (P < 0) {
    Country = Rest;
    CountryFIPS.clear();
    CountryISO.clear();
    return;
  }
  Country = Rest.left(P).trimmed();
  CountryFIPS = Rest.mid(P + 1).trimmed();
  P = CountryFIPS.indexOf(u',');
  if (P < 0) {
    CountryISO = CountryFIPS;
  } else {
    CountryISO = CountryFIPS.mid(P + 1).trimmed();
    CountryFIPS = CountryFIPS.left(P).trimmed();
  }
}

QString TWeatherWebHosts::StationScriptURL() const {
  const QString FromEnvironment = qEnvironmentVariable(StationScriptEnvVar).trimmed();
  return FromEnvironment.isEmpty() ? StationScript : FromEnvironment;
}

namespace {

// Passes a downloaded text through a temporary file and gives back its lines.
bool LinesViaTempFile(const QString& Text, QStringList& Lines, QString& ErrMsg) {
  try {
    const TTempReplyFile Temp;
    Lines = SplitLines(DecodeFileText(Temp.PassThrough(Text.toUtf8())));
    return true;
  } catch (const std::exception& E) {
    ErrMsg = QString::fromUtf8(E.what());
    return false;
  }
}

QString Query(const char* Key, const QString& Value) {
  return QLatin1String(Key) + u'=' + UrlEncode(Value);
}
QString Query(const char* Key, int Value) {
  return QLatin1String(Key) + u'=' + QString::number(Value);
}

// The mesonet site's station locator for one network.
QString MesonetLocator(const TWeatherWebHosts& Hosts, const QString& Network) {
  return Hosts.Mesonet + QStringLiteral("/sites/locate.php?") + Query("network", Network);
}

// Text of an HTML page with its character references decoded, once: "&amp;amp;" gives
// "&amp;". Named references other than the common few are left as they stand.
QString DecodeHtml(const QString& Text) {
  static const struct {
    const char* Name;
    char16_t Ch;
  } Named[] = {{"amp", u'&'}, {"lt", u'<'}, {"gt", u'>'}, {"quot", u'"'}, {"apos", u'\''}, {"nbsp", u' '}};
  QString Out;
  Out.reserve(Text.size());
  qsizetype P = 0;
  while (P < Text.size()) {
    const qsizetype Amp = Text.indexOf(u'&', P);
    if (Amp < 0) break;
    Out += QStringView(Text).mid(P, Amp - P);
    P = Amp + 1;
    const qsizetype Semi = Text.indexOf(u';', P);
    if (Semi < 0 || Semi - P > 10) {
      Out += u'&';
      continue;
    }
    const QStringView Ref = QStringView(Text).mid(P, Semi - P);
    char32_t Code = 0;
    if (Ref.startsWith(u'#')) {
      const bool Hex = Ref.size() > 1 && (Ref.at(1) == u'x' || Ref.at(1) == u'X');
      bool Ok = false;
      const uint Value = Ref.mid(Hex ? 2 : 1).toUInt(&Ok, Hex ? 16 : 10);
      // Characters that cannot stand in text stay as written.
      if (Ok && Value >= 32 && Value <= 0x10FFFF && (Value < 0xD800 || Value > 0xDFFF)) Code = Value;
    } else {
      for (const auto& N : Named)
        if (Ref == QLatin1String(N.Name)) Code = N.Ch;
    }
    if (Code == 0) {
      Out += u'&';
      continue;
    }
    Out += QString::fromUcs4(&Code, 1);
    P = Semi + 1;
  }
  Out += QStringView(Text).mid(P);
  return Out;
}

// The mesonet locator's station menu: options "[ID] Name".
bool ParseMesonetStations(TImportedStations& List, const QStringList& Lines, bool Airport,
                          QString& ErrMsg) {
  qsizetype P = 0;
  while (P < Lines.size() && !Lines.at(P).contains(u"<select name=\"station\">")) ++P;
  if (P >= Lines.size()) {
    ErrMsg = QLatin1String(MsgInvalidFormat);
    return false;
  }
  for (++P; P < Lines.size(); ++P) {
    const QString& Line = Lines.at(P);
    if (Line.trimmed() == u"</select>") break;
    const qsizetype Gt = Line.indexOf(u'>');
    if (Gt < 0) continue;
    const qsizetype Lt = Line.indexOf(u'<', Gt + 1);
    const QString Text = Lt < 0 ? Line.mid(Gt + 1) : Line.mid(Gt + 1, Lt - Gt - 1);
    const qsizetype Blank = Text.indexOf(u' ');
    if (Blank < 0) continue;
    // "[AMW] Ames": the identifier lies between the brackets.
    QString ID = Blank > 2 ? Text.mid(1, Blank - 2).trimmed() : QString();
    if (ID.isEmpty()) continue;
    if (Airport && ID.size() != 4) ID.prepend(u'K');
    List.AddStation(ID, {DecodeHtml(Text.mid(Blank + 1)).trimmed()});
  }
  return true;
}

// The weather site's station list as a comma-separated table: the first field that
// names the country decides which field is the name (three before it).
void ParseStationTable(TImportedStations& List, const QStringList& Lines,
                       const QString& Country, const QString& CountryFIPS) {
  TMyLineParser Parser;
  for (qsizetype P = 1; P < Lines.size(); ++P) {
    const QStringList Fields = SplitFields(Parser, Lines.at(P));
    int CountryField = 0;
    for (int I = 1; I <= 10 && I <= Fields.size(); ++I) {
      const QString Field = FieldAt(Fields, I);
      if ((!CountryFIPS.isEmpty() && Field == CountryFIPS) ||
          (!Country.isEmpty() && Field.compare(Country, Qt::CaseInsensitive) == 0)) {
        CountryField = I;
        break;
      }
    }
    const QString ID = FieldAt(Fields, 1);
    if (CountryField >= 6 && !ID.isEmpty()) {
      List.AddStation(ID, {FieldAt(Fields, CountryField - 3)});
    }
  }
}

// The text of Line between From and the next "<" (or the end of the line).
QString TextUpToTag(const QString& Line, qsizetype From) {
  if (From < 0 || From > Line.size()) return QString();
  const qsizetype Lt = Line.indexOf(u'<', From);
  return Lt < 0 ? Line.mid(From) : Line.mid(From, Lt - From);
}

// The weather site's station list as an HTML table: per row, the identifier is the
// link text of the first cell and the name the start of the third.
bool ParseStationHtml(TImportedStations& List, const QStringList& Lines, QString& ErrMsg) {
  const qsizetype N = Lines.size();
  const auto Trimmed = [&Lines, N](qsizetype P) { return P < N ? Lines.at(P).trimmed() : QString(); };
  qsizetype P = 0;
  QString EndMarker;
  for (; P < N; ++P) {
    const QString T = Trimmed(P);
    if (T == u"<tbody>") {
      EndMarker = QStringLiteral("</tbody>");
      break;
    }
    if (T.startsWith(u"<table border")) {
      EndMarker = QStringLiteral("</table>");
      break;
    }
  }
  if (EndMarker.isEmpty()) {
    ErrMsg = QLatin1String(MsgInvalidFormat);
    return false;
  }
  for (++P; P < N; ++P) {
    if (Trimmed(P) == EndMarker) break;
    if (Trimmed(P) != u"<tr>") continue;
    // The row's lines, up to "</tr>" or the end of the table.
    qsizetype End = P + 1;
    while (End < N && Trimmed(End) != u"</tr>" && Trimmed(End) != EndMarker) ++End;
    const QString IDLine = P + 1 < End ? Trimmed(P + 1) : QString();
    const qsizetype Quote = IDLine.indexOf(u"\">");
    const QString ID = Quote < 0 ? QString() : TextUpToTag(IDLine, Quote + 2).trimmed();
    const QString NameLine = P + 3 < End ? Trimmed(P + 3).mid(4) : QString();
    qsizetype NameEnd = NameLine.indexOf(u"&nbsp;");
    if (NameEnd < 0) NameEnd = NameLine.indexOf(u'<');
    if (NameEnd >= 0 && !ID.isEmpty()) List.AddStation(ID, {DecodeHtml(NameLine.left(NameEnd)).trimmed()});
    P = End;  // "</tr>", or the end marker, which the loop sees again
    if (P < N && Trimmed(P) == EndMarker) break;
  }
  return true;
}

// The state network's home page: links "/station.asp?id=ID">Name<".
bool ParseStateNetworkStations(TImportedStations& List, const QStringList& Lines,
                               QString& ErrMsg) {
  static const QString Marker = QStringLiteral("/station.asp?id=");
  qsizetype P = 0;
  while (P < Lines.size() && !Lines.at(P).contains(u"Michigan Stations")) ++P;
  if (P >= Lines.size()) {
    ErrMsg = QLatin1String(MsgInvalidFormat);
    return false;
  }
  for (++P; P < Lines.size(); ++P) {
    const QString& Line = Lines.at(P);
    const qsizetype K = Line.indexOf(Marker);
    if (K < 0) continue;
    const qsizetype Start = K + Marker.size();
    const qsizetype Quote = Line.indexOf(u'"', Start);
    if (Quote <= Start) continue;  // no identifier
    List.AddStation(Line.mid(Start, Quote - Start), {DecodeHtml(TextUpToTag(Line, Quote + 2)).trimmed()});
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Station lists
// ---------------------------------------------------------------------------

bool TImportedStationsHttp::GetSourceStations(const QString& SourceID, const QString& Location,
                                              QString& ErrMsg) {
  ErrMsg = QStringLiteral("Unexpected error.");
  const int Source = WeatherSourceIndex(SourceID);
  if (Source == wsNone) {
    ErrMsg = SourceID + QLatin1String(MsgInvalidSourceID);
    return false;
  }
  if (Location.trimmed().isEmpty()) {
    ErrMsg = QLatin1String(MsgLocationBlank);
    return false;
  }
  QString StateAbbr, Country, CountryFIPS, CountryISO;
  SplitLocation(Location, StateAbbr, Country, CountryFIPS, CountryISO);
  StateAbbr = StateAbbr.toUpper();
  CountryISO = CountryISO.toUpper();
  const bool US = CountryFIPS == u"US";

  QString URL;
  switch (Source) {
    case wsWuAsos:
      URL = MesonetLocator(Hosts, (US ? StateAbbr : CountryISO + u'_' + StateAbbr) +
                                      QStringLiteral("_ASOS"));
      break;
    case wsWuPws:
      URL = Hosts.WeatherSite + QStringLiteral("/weatherstation/ListStations.asp?") +
            (US ? Query("selectedState", StateAbbr) + u'&' : QString()) +
            QStringLiteral("selectedCountry=") + UrlEncode(Country).replace(QStringLiteral("%20"), QStringLiteral("+")) +
            QStringLiteral("&format=XML");
      break;
    case wsNwsCoop:
      URL = MesonetLocator(Hosts, StateAbbr + QStringLiteral("CLIMATE"));
      break;
    case wsIaAgClimate:
      URL = MesonetLocator(Hosts, QStringLiteral("ISUAG"));
      break;
    default:
      URL = Hosts.StateNetwork + u'/';
      break;
  }

  if (HttpOptions.Progress != nullptr)
    HttpOptions.Progress->SetStep(QStringLiteral("Retrieving the list of weather stations of ") + SourceID);
  QString Content;
  if (!HttpGet(URL, Content, ErrMsg, HttpOptions)) {
    ErrMsg = QStringLiteral("Station list of ") + SourceID + u'\n' + ErrMsg;
    return false;
  }
  QByteArray Page;
  try {
    const TTempReplyFile Temp;
    Page = Temp.PassThrough(Content.toUtf8());
  } catch (const std::exception& E) {
    ErrMsg = QString::fromUtf8(E.what());
    return false;
  }
  return ReadSourceStations(SourceID, Location, Page, ErrMsg);
}

bool TImportedStationsHttp::ReadSourceStations(const QString& SourceID, const QString& Location,
                                               const QByteArray& Page, QString& ErrMsg) {
  ErrMsg = QStringLiteral("Unexpected error.");
  const int Source = WeatherSourceIndex(SourceID);
  if (Source == wsNone) {
    ErrMsg = SourceID + QLatin1String(MsgInvalidSourceID);
    return false;
  }
  QString StateAbbr, Country, CountryFIPS, CountryISO;
  SplitLocation(Location, StateAbbr, Country, CountryFIPS, CountryISO);
  const QStringList Lines = SplitLines(DecodeFileText(Page));

  Clear();
  bool Ok = true;
  switch (Source) {
    case wsWuPws:
      if (!Lines.isEmpty() && Lines.first().startsWith(u"StationID,")) {
        ParseStationTable(*this, Lines, Country, CountryFIPS);
      } else {
        Ok = ParseStationHtml(*this, Lines, ErrMsg);
      }
      break;
    case wsMiEnviroWeather:
      Ok = ParseStateNetworkStations(*this, Lines, ErrMsg);
      break;
    default:
      Ok = ParseMesonetStations(*this, Lines, Source == wsWuAsos, ErrMsg);
      break;
  }
  if (!Ok) return false;
  ErrMsg.clear();
  return true;
}

bool TImportedStationsHttp::GetStations(const QString& SourceID, const QString& Location,
                                        double Latitude, double Longitude, const QDate& MinDate,
                                        QString& ErrMsg) {
  if (!GetSourceStations(SourceID, Location, ErrMsg)) return false;

  // From here on every step only adds to the list; a failure ends quietly.
  QString StateAbbr, Country, CountryFIPS, CountryISO;
  SplitLocation(Location, StateAbbr, Country, CountryFIPS, CountryISO);
  const bool US = CountryFIPS == u"US";
  const QString Script = Hosts.StationScriptURL();
  QString URL = Script + (Script.contains(u'?') ? u'&' : u'?') + Query("SourceID", SourceID) +
                u'&' + Query("CountryFIPS", CountryFIPS);
  if (US) URL += u'&' + Query("StateAbbr", StateAbbr);
  if (MinDate.isValid()) {
    URL += QStringLiteral("&MinDate=") +
           TImportedWeather::DayName(MinDate.year(), MinDate.month(), MinDate.day());
  }
  URL += QStringLiteral("&GetTab");

  if (HttpOptions.Progress != nullptr)
    HttpOptions.Progress->SetStep(QStringLiteral("Retrieving the positions of the weather stations of ") + SourceID);
  QString Content, Ignored;
  QStringList Lines;
  if (HttpGet(URL, Content, Ignored, HttpOptions) && !Content.startsWith(u"Error") &&
      LinesViaTempFile(Content, Lines, Ignored))
    ReadStationTable(Lines, US, Latitude, Longitude);
  ErrMsg.clear();
  return true;
}

void TImportedStationsHttp::ReadStationTable(const QStringList& Lines, bool US, double Latitude, double Longitude) {
  if (!Lines.isEmpty()) {
    TMyLineParser Tab;
    Tab.Delimiter = u'\t';
    const QStringList Header = SplitFields(Tab, Lines.first());
    const int IDCol = FindField(Header, QStringLiteral("StationID"));
    const int LatCol = FindField(Header, QStringLiteral("Latitude"));
    const int LonCol = FindField(Header, QStringLiteral("Longitude"));
    const int ElevCol = FindField(Header, QStringLiteral("Elevation"));
    const int EndCol = FindField(Header, QStringLiteral("EndDate"));
    if (IDCol > 0) {
      QHash<QString, int> ByID;
      for (int I = Count() - 1; I >= 0; --I) ByID.insert(Names(I).toCaseFolded(), I);
      for (qsizetype P = 1; P < Lines.size(); ++P) {
        const QStringList Row = SplitFields(Tab, Lines.at(P));
        const QString ID = FieldAt(Row, IDCol);
        const auto Found = ByID.constFind(ID.toCaseFolded());
        if (ID.isEmpty() || Found == ByID.constEnd()) continue;
        const int Index = Found.value();
        const QString EndDate = FieldAt(Row, EndCol);
        if (EndDate.compare(GetEndDate(Index)) < 0) continue;  // an earlier end date
        QStringList Fields{GetStationName(Index), FieldAt(Row, LatCol), FieldAt(Row, LonCol),
                           FieldAt(Row, ElevCol), EndDate};
        for (QString& Field : Fields) Field = Parser.EscapeText(Field);
        SetValueFromIndex(Index, Fields.join(u','));
      }
      if (Latitude != 0 || Longitude != 0) AddStationDistances(!US, Latitude, Longitude);
    }
  }
}

// ---------------------------------------------------------------------------
// Daily data
// ---------------------------------------------------------------------------

bool TImportedWeatherHttp::Download(const QString& URL, const QStringList* Fields, const QString& What,
                                    QString& ErrMsg) {
  const QString Label = What.isEmpty() ? URL : What;
  ErrMsg = QStringLiteral("Unexpected error.");
  QString Content;
  const bool Got = Fields != nullptr ? HttpPost(URL, *Fields, Content, ErrMsg, HttpOptions)
                                     : HttpGet(URL, Content, ErrMsg, HttpOptions);
  if (!Got) {
    ErrMsg = Label + u'\n' + ErrMsg;
    return false;
  }
  Content = WithoutLineBreakMarks(Content);
  try {
    const TTempReplyFile Temp;
    return ImportData(Label, Temp.PassThrough((Content + u'\n').toUtf8()), ErrMsg);
  } catch (const std::exception& E) {
    ErrMsg = QString::fromUtf8(E.what());
    return false;
  }
}

QString TImportedWeatherHttp::WithoutLineBreakMarks(QString Content) {
  // Some pages end their lines with HTML line breaks.
  Content.replace(QStringLiteral("<br />"), QString());
  Content = Content.trimmed();
  Content.replace(QStringLiteral("\r\n<br>"), QString());
  Content.replace(QStringLiteral("\n<br>"), QString());
  Content = Content.trimmed();
  Content.replace(QStringLiteral("<br>"), QString());
  return Content.trimmed();
}

bool TImportedWeatherHttp::DownloadAndImport(const QString& URL, QString& ErrMsg, const QString& What) {
  return Download(URL, nullptr, What, ErrMsg);
}

bool TImportedWeatherHttp::DownloadAndImport(const QString& URL, const QStringList& Fields, QString& ErrMsg,
                                             const QString& What) {
  return Download(URL, &Fields, What, ErrMsg);
}

bool TImportedWeatherHttp::ImportWeb(const QString& SourceID, const QString& StationID,
                                     const QDate& StartDate, const QDate& EndDate,
                                     QString& ErrMsg, const QString& Step) {
  ErrMsg = QStringLiteral("Unexpected error.");
  const int Source = WeatherSourceIndex(SourceID);
  if (Source == wsNone) {
    ErrMsg = SourceID + QLatin1String(MsgInvalidSourceID);
    return false;
  }
  const QString ID = StationID.trimmed().toUpper();
  if (ID.isEmpty()) {
    ErrMsg = QLatin1String(MsgStationBlank);
    return false;
  }
  if (!StartDate.isValid() || !EndDate.isValid()) {
    ErrMsg = QLatin1String(MsgInvalidDates);
    return false;
  }
  const QString What = QStringLiteral("Weather data of station ") + ID + QStringLiteral(" from ") + SourceID;
  if (HttpOptions.Progress != nullptr)
    HttpOptions.Progress->SetStep(Step.isEmpty() ? QStringLiteral("Downloading the weather data of station ") + ID +
                                                       QStringLiteral(" from ") + SourceID
                                                 : Step);
  const int Y1 = StartDate.year(), M1 = StartDate.month(), D1 = StartDate.day();
  const int Y2 = EndDate.year(), M2 = EndDate.month(), D2 = EndDate.day();
  const auto Join = [](const QStringList& Items) { return Items.join(u'&'); };

  switch (Source) {
    case wsWuAsos:
      return DownloadAndImport(
          Hosts.WeatherSite + QStringLiteral("/history/airport/") + UrlEncode(ID) + u'/' +
              QString::number(Y1) + u'/' + QString::number(M1) + u'/' + QString::number(D1) +
              QStringLiteral("/CustomHistory.html?") +
              Join({Query("dayend", D2), Query("monthend", M2), Query("yearend", Y2)}) +
              QStringLiteral("&req_city=NA&req_state=NA&req_statename=NA&format=1"),
          ErrMsg, What);
    case wsWuPws:
      return DownloadAndImport(
          Hosts.WeatherSite + QStringLiteral("/weatherstation/WXDailyHistory.asp?") +
              Query("ID", ID) + QStringLiteral("&graphspan=custom&") +
              Join({Query("month", M1), Query("day", D1), Query("year", Y1),
                    Query("monthend", M2), Query("dayend", D2), Query("yearend", Y2)}) +
              QStringLiteral("&format=1"),
          ErrMsg, What);
    case wsNwsCoop:
      return DownloadAndImport(
          Hosts.Mesonet + QStringLiteral("/request/coop/dl.php?") +
              Query("network", ID.left(2) + QStringLiteral("CLIMATE")) + u'&' +
              Join({Query("station[]", ID), Query("year1", Y1), Query("month1", M1),
                    Query("day1", D1), Query("year2", Y2), Query("month2", M2),
                    Query("day2", D2)}) +
              QStringLiteral("&vars[]=high&vars[]=low&vars[]=precip&what=view&delim=comma&gis=no"),
          ErrMsg, What);
    case wsIaAgClimate:
      return DownloadAndImport(
          Hosts.Mesonet + QStringLiteral("/agclimate/hist/worker.php?timeType=daily&") +
              Query("sts[]", ID) +
              QStringLiteral("&vars[]=c11&vars[]=c12&vars[]=c40&vars[]=c90&vars[]=c20&") +
              Join({Query("startYear", Y1), Query("startMonth", M1), Query("startDay", D1),
                    Query("endYear", Y2), Query("endMonth", M2), Query("endDay", D2)}) +
              QStringLiteral("&delim=comma&lf=dos"),
          ErrMsg, What);
    default: {
      const auto Item = [](const char* Key, const QString& Value) {
        return QLatin1String(Key) + u'=' + Value;
      };
      const QStringList Fields{
          Item("id", ID),        QStringLiteral("rt=daily"),      QStringLiteral("var=atmp_max"),
          QStringLiteral("var=atmp_min"), QStringLiteral("var=pcpn"), QStringLiteral("var=relh_max"),
          QStringLiteral("var=relh_min"), QStringLiteral("var=rpet"), QStringLiteral("var=srad"),
          Item("smm", QString::number(M1)), Item("sdd", QString::number(D1)),
          Item("syy", QString::number(Y1)), QStringLiteral("shh=24"), QStringLiteral("snn=0"),
          Item("emm", QString::number(M2)), Item("edd", QString::number(D2)),
          Item("eyy", QString::number(Y2)), QStringLiteral("ehh=24"), QStringLiteral("enn=0"),
          QStringLiteral("unit=usa"),    QStringLiteral("format=csv")};
      return DownloadAndImport(Hosts.StateNetwork + QStringLiteral("/dod.asp"), Fields, ErrMsg, What);
    }
  }
}
