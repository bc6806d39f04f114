// The temperature forecast importer.

#include "ImpNDFD.h"

#include "XmlUtil.h"
#include "ndfdXML_proxy.h"

#include <cstring>
#include <exception>
#include <vector>

namespace {

// A temperature goes into the day line as the reply gives it, so that a text that is
// not a number reaches the weather grid, where Calculate names it. Only a text that
// would split the line is refused: after a comma or a line break its parts would be
// read as the minimum or as other fields.
void CheckTemperature(const QString& Text) {
  for (const QChar Ch : Text)
    if (Ch == u',' || Ch.unicode() < 32)
      throw EXmlError(QStringLiteral("Invalid data - temperature \"%1\" is not a number.").arg(Text.left(40)));
}

// The "value" children of a temperature element, in order.
std::vector<pugi::xml_node> ValueNodes(pugi::xml_node Temperature) {
  std::vector<pugi::xml_node> Values;
  for (pugi::xml_node Child = Temperature.first_child(); Child; Child = Child.next_sibling())
    if (std::strcmp(Child.name(), "value") == 0) Values.push_back(Child);
  return Values;
}

double CoordinateValue(const QString& Text, const char* What) {
  double Value = 0;
  if (!TryStrToFloat(Text.trimmed(), Value, FileFormatSettings()))
    throw EXmlError(QStringLiteral("\"%1\" is not a valid %2.").arg(Text, QString::fromLatin1(What)));
  return Value;
}

}  // namespace

QDate TImportedNdfd::FirstDay() const { return Today.isValid() ? Today : QDate::currentDate(); }

bool TImportedNdfd::GetForecast(const QString& LatText, const QString& LonText, int NumDays, bool Metric,
                                QString& ErrMsg) {
  ErrMsg = QStringLiteral("Unexpected error.");
  FormatSettings = FileFormatSettings();
  bool Result = false;
  try {
    RegisterHttpTransport();
    const auto Proxy = CreateNdfdXMLPortType(QStringLiteral("SOAP:"), QStringLiteral("HTTP:"), ServiceAddress,
                                             TransportOptions);
    if (!Proxy) {
      ErrMsg = QStringLiteral("Unable to connect to National Digital Forecast Database Web service.");
      return false;
    }
    const QDate StartDate = FirstDay();
    const unitType Unit = Metric ? unitType::m : unitType::e;
    const TTempReplyFile Reply;
    const double Latitude = CoordinateValue(LatText, "latitude");
    const double Longitude = CoordinateValue(LonText, "longitude");
    const QString Dwml =
        Proxy->NDFDgenByDay(Latitude, Longitude, StartDate, NumDays, Unit, formatType::formatType__24_hourly);
    Reply.Write(Dwml + u'\n');
    Result = ParseDwml(Reply.FileName(), ErrMsg);
    this->Metric = Metric;
  } catch (const std::exception& E) {
    ErrMsg = QString::fromUtf8(E.what());
    Result = false;
  } catch (...) {
    Result = false;
  }
  if (!Result) Clear();
  return Result;
}

bool TImportedNdfd::ParseDwml(const QString& FileName, QString& ErrMsg) {
  return ReadDwml([&FileName](const TXmlDocument& Doc) { LoadXmlDoc(Doc, FileName); }, ErrMsg);
}

bool TImportedNdfd::ParseDwmlData(const QByteArray& Data, QString& ErrMsg) {
  return ReadDwml([&Data](const TXmlDocument& Doc) { LoadXmlData(Doc, Data); }, ErrMsg);
}

bool TImportedNdfd::ReadDwml(const std::function<void(const TXmlDocument&)>& Load, QString& ErrMsg) {
  ErrMsg = QStringLiteral("Unexpected error.");
  Clear();
  try {
    const TXmlDocument Doc = CreateXmlDoc();
    Load(Doc);
    const pugi::xml_node Root = Doc->document_element();
    if (std::strcmp(Root.name(), "dwml") != 0) {
      ErrMsg = QStringLiteral("Invalid data - can't find \"dwml\" root element.");
      return false;
    }
    const pugi::xml_node Data = FindChildNode(Root, QStringLiteral("data"));
    if (!Data) {
      ErrMsg = QStringLiteral("Invalid data - can't find \"data\" element.");
      return false;
    }
    const pugi::xml_node Parameters = FindChildNode(Data, QStringLiteral("parameters"));
    if (!Parameters) {
      ErrMsg = QStringLiteral("Invalid data - can't find \"parameters\" element.");
      return false;
    }
    pugi::xml_node MaxNode, MinNode;
    for (pugi::xml_node Child = Parameters.first_child(); Child; Child = Child.next_sibling()) {
      if (std::strcmp(Child.name(), "temperature") != 0) continue;
      const QString Type = GetNodeAttribute(Child, QStringLiteral("type"));
      if (Type == QLatin1String("maximum"))
        MaxNode = Child;
      else if (Type == QLatin1String("minimum"))
        MinNode = Child;
    }
    if (!MaxNode || !MinNode) {
      ErrMsg = QStringLiteral("Invalid data - can't find max/min temperature elements.");
      return false;
    }
    // The k-th maximum goes with the k-th minimum, whatever other children either
    // element holds: paired by position, a minimum element whose label sits elsewhere
    // would give its label as a temperature and every later day another day's minimum.
    const std::vector<pugi::xml_node> MaxValues = ValueNodes(MaxNode);
    const std::vector<pugi::xml_node> MinValues = ValueNodes(MinNode);
    if (MinValues.size() < MaxValues.size())
      throw EXmlError(QStringLiteral("Invalid data - fewer minimum than maximum temperatures."));
    const QDate First = FirstDay();
    for (size_t K = 0; K < MaxValues.size(); ++K) {
      const QString MaxText = GetNodeText(MaxValues[K]);
      const QString MinText = GetNodeText(MinValues[K]);
      CheckTemperature(MaxText);
      CheckTemperature(MinText);
      const QDate Day = First.addDays(Count());
      AddPair(DayName(Day.year(), Day.month(), Day.day()), MaxText + u',' + MinText);
    }
    SourceName = QStringLiteral("NDFD");
    Has[wkTemperature] = Use[wkTemperature] = true;
    for (const TWeatherKind Kind : {wkPrecipitation, wkWind, wkHumidity}) Has[Kind] = Use[Kind] = false;
    const pugi::xml_node Point = FindChildNode(FindChildNode(Data, QStringLiteral("location")), QStringLiteral("point"));
    if (Point) {
      Latitude = GetNodeAttribute(Point, QStringLiteral("latitude"));
      Longitude = GetNodeAttribute(Point, QStringLiteral("longitude"));
    }
    ErrMsg.clear();
    return true;
  } catch (const std::exception& E) {
    ErrMsg = QString::fromUtf8(E.what());
  } catch (...) {
  }
  Clear();
  return false;
}
