// The importer of the Metos weather-station service.

#include "ImpMetos.h"

#include "metos_proxy.h"

#include <QHash>
#include <QRegularExpression>

#include <exception>
#include <limits>

namespace {

const QString Unexpected = QStringLiteral("Unexpected error.");
const QString NoService = QStringLiteral("Unable to connect to Metos Web service.");
// The message of a failed call; one that could make no secure connection to the service
// (its certificate not trusted, say) names the service.
QString FailureText(const std::exception& E) {
  const QString Text = QString::fromUtf8(E.what());
  if (dynamic_cast<const ESoapSecureError*>(&E) == nullptr) return Text;
  return QStringLiteral("Unable to make a secure connection to Metos Web service.\n\n") + Text;
}

std::unique_ptr<TMetosSOAPPortType_Proxy> MakeProxy(const QString& Address, const TSoapTransportOptions& Options) {
  RegisterHttpTransport();
  return CreateMetosSOAPPortType(QStringLiteral("SOAP:"), QStringLiteral("HTTP:"), Address, Options);
}

// A reply table: columns by name (the last of a repeated name counts) and cells by
// row and column, every index checked.
class TReplyTable {
 public:
  explicit TReplyTable(const DataSetStruct& Data)
      : FData(Data), FFieldCount(Data.ReturnRecordSetInfo.s_field_count) {
    for (int64_t C = 0; C < FFieldCount; ++C) FColumns.insert(FData.ReturnDataInfo.Item(C).s_name, int(C));
  }
  // The column's index; -1 when there is none.
  int Column(const QString& Name) const { return FColumns.value(Name, -1); }
  // Whole rows by the cell count of s_row_count; an incomplete last row is left out.
  int64_t CellRows() const {
    return FFieldCount > 0 ? int64_t(FData.ReturnRecordSetInfo.s_row_count) / FFieldCount : 0;
  }
  const QString& Cell(int64_t Row, int Column) const { return FData.ReturnDataSet.Item(Row * FFieldCount + Column); }
  // The cell, or an empty text for a column that was not found.
  QString CellOrEmpty(int64_t Row, int Column) const { return Column < 0 ? QString() : Cell(Row, Column); }

 private:
  const DataSetStruct& FData;
  int64_t FFieldCount;
  QHash<QString, int> FColumns;
};

// Line breaks and other control characters would break a list line.
QString OneLine(QString Text) {
  for (QChar& Ch : Text)
    if (Ch.unicode() < 32) Ch = QLatin1Char(' ');
  return Text;
}

// A whole number, or -1.
int WholeOrMinusOne(const QString& Text) {
  int Value = 0;
  return TryStrToInt(Text.trimmed(), Value) ? Value : -1;
}

// A number cell as it stands (blanks around it dropped); a cell that is not a number is
// copied unchanged, so that the grid cell it lands in is the one a calculation names.
QString NumberCell(const QString& Cell) {
  const QString Text = Cell.trimmed();
  double Value = 0;
  return TryStrToFloat(Text, Value, FileFormatSettings()) ? Text : Cell;
}

// "yyyymmdd" from a date written year-month-day, with or without a time after it.
QString DayNameOf(const QString& Text) {
  static const QRegularExpression Pattern(QStringLiteral("^(\\d{4})\\D(\\d{2})\\D(\\d{2})(?:[T ]|$)"));
  const QRegularExpressionMatch Match = Pattern.match(Text.trimmed());
  int Year = 0, Month = 0, Day = 0;
  // Any other text fails the import: its characters would make a day name that is no
  // date, and the merge into the field would drop that day without a word.
  if (!Match.hasMatch() || !TryStrToInt(Match.captured(1), Year) || !TryStrToInt(Match.captured(2), Month) ||
      !TryStrToInt(Match.captured(3), Day) || !QDate(Year, Month, Day).isValid())
    throw EConvertError(QStringLiteral("Invalid data - weather date \"%1\" is not a date.")
                            .arg(Text.size() > 40 ? Text.left(40) + QStringLiteral("...") : Text)
                            .toStdString());
  return Match.captured(1) + Match.captured(2) + Match.captured(3);
}

// A temperature unit in degrees of Scale ('C' or 'F'): stations write "C", and some
// "°C" or "deg C", in any letter case.
bool IsDegrees(QString Text, char16_t Scale) {
  if (Text.startsWith(u'\u00B0')) Text.remove(0, 1);
  else if (Text.startsWith(QLatin1String("deg"), Qt::CaseInsensitive)) Text = Text.mid(3).trimmed();
  return Text.compare(QString(QChar(Scale)), Qt::CaseInsensitive) == 0;
}

// A precipitation unit in inches.
bool IsInches(const QString& Text) {
  for (const char* Name : {"in", "inch", "inches"})
    if (Text.compare(QLatin1String(Name), Qt::CaseInsensitive) == 0) return true;
  return false;
}

enum TSensor { snTemperature, snHumidity, snWind, snPrecipitation, SensorCount };

int SensorOfCode(int Code) {
  switch (Code) {
    case 0: return snTemperature;
    case 1: return snHumidity;
    case 5: return snWind;
    case 6: return snPrecipitation;
    default: return -1;
  }
}

}  // namespace

bool TImportedMetosStations::GetMetosStations(const QString& User, const QString& Password, QString& ErrMsg) {
  ErrMsg = Unexpected;
  Clear();
  try {
    const auto Proxy = MakeProxy(ServiceAddress, TransportOptions);
    if (!Proxy) {
      ErrMsg = NoService;
      return false;
    }
    const auto Data = Proxy->cidistationlist_GetNext(User, Password, 100, 0, 0, 0, QString());
    return ReadStationList(*Data, ErrMsg);
  } catch (const std::exception& E) {
    ErrMsg = FailureText(E);
  } catch (...) {
  }
  Clear();
  return false;
}

bool TImportedMetosStations::ReadStationList(const struct_cidistationlist_GetNextData& Data, QString& ErrMsg) {
  ErrMsg = Unexpected;
  Clear();
  try {
    const TReplyTable Table(Data.DataSetMain);
    const int NameCol = Table.Column(QStringLiteral("f_name"));
    const int DescrCol = Table.Column(QStringLiteral("f_descr"));
    const int UserNameCol = Table.Column(QStringLiteral("f_user_station_name"));
    if (NameCol < 0)
      ErrMsg = QStringLiteral("Unable to find station \"f_name\" data.");
    else if (DescrCol < 0)
      ErrMsg = QStringLiteral("Unable to find station \"f_descr\" data.");
    else if (UserNameCol < 0)
      ErrMsg = QStringLiteral("Unable to find station \"f_user_station_name\" data.");
    else {
      // The reply counts its stations in station_code.
      for (int64_t Row = 0; Row < Data.ReturnParams.station_code; ++Row) {
        const QString Name = Table.Cell(Row, NameCol);
        const QString Shown = Table.Cell(Row, UserNameCol) + QStringLiteral(" (") + Table.Cell(Row, DescrCol) + u')';
        if (Name.isEmpty() || Name.contains(u'=') || Name.contains(u'\n') || Name.contains(u'\r')) continue;
        AddPair(Name, OneLine(Shown));
      }
      ErrMsg.clear();
      return true;
    }
  } catch (const std::exception& E) {
    ErrMsg = QString::fromUtf8(E.what());
  } catch (...) {
  }
  Clear();
  return false;
}

bool TImportedMetosWeather::GetMetosWeather(const QString& User, const QString& Password, const QString& Station,
                                            const QDate& StartDate, const QDate& EndDate, QString& ErrMsg) {
  ErrMsg = Unexpected;
  Clear();
  FormatSettings = FileFormatSettings();
  Metric = false;
  for (const TWeatherKind Kind : {wkTemperature, wkPrecipitation, wkWind, wkHumidity}) Has[Kind] = Use[Kind] = false;
  try {
    // A null date or a period that ends before it begins would be sent to the service
    // as an empty date or a negative (or wrapped) row count.
    if (!StartDate.isValid() || !EndDate.isValid() || EndDate < StartDate ||
        StartDate.daysTo(EndDate) > std::numeric_limits<int>::max()) {
      ErrMsg = QStringLiteral("The requested period is not valid.");
      return false;
    }
    const auto Proxy = MakeProxy(ServiceAddress, TransportOptions);
    if (!Proxy) {
      ErrMsg = NoService;
      return false;
    }

    // The station's data must reach into the period. A missing first date counts as
    // the earliest, a missing last date as before any period. Whole days are compared:
    // the rows are daily, and a first reading at 8:00 on the period's last day is data
    // for that day, not after the period.
    {
      const auto Range = Proxy->cidistationdata_GetMinMaxDate(User, Password, Station, 0);
      const QDateTime& MinDate = Range->ReturnParams.min_date;
      const QDateTime& MaxDate = Range->ReturnParams.max_date;
      if ((MinDate.isValid() && MinDate.date() > EndDate) || !MaxDate.isValid() || MaxDate.date() < StartDate) {
        ErrMsg = QStringLiteral("The weather station's data are for dates that are outside the requested period.");
        return false;
      }
    }

    const auto Sensors = Proxy->cidistationsensors_Get(User, Password, Station, 0, false, QString());
    const int RowCount = int(StartDate.daysTo(EndDate));
    return ReadWeather(
        Station, Sensors->DataSetMain,
        [&] {
          return Proxy->cidistationdata_GetFromDate(User, Password, RowCount, Station, 2,
                                                    QDateTime(StartDate, QTime(0, 0), Qt::UTC), 0);
        },
        ErrMsg);
  } catch (const std::exception& E) {
    ErrMsg = FailureText(E);
  } catch (...) {
  }
  Clear();
  Metric = false;
  return false;
}

bool TImportedMetosWeather::ReadWeather(const QString& Station, const DataSetStruct& Sensors,
                                        const std::function<std::unique_ptr<struct_cidistationdata_GetFromDateData>()>& GetDays,
                                        QString& ErrMsg) {
  ErrMsg = Unexpected;
  Clear();
  FormatSettings = FileFormatSettings();
  Metric = false;
  for (const TWeatherKind Kind : {wkTemperature, wkPrecipitation, wkWind, wkHumidity}) Has[Kind] = Use[Kind] = false;
  try {
    // The first sensor of each kind gives the channel of its columns and its unit.
    int Channel[SensorCount] = {-1, -1, -1, -1};
    QString Unit[SensorCount];
    {
      const TReplyTable Table(Sensors);
      const int CodeCol = Table.Column(QStringLiteral("f_sensor_code"));
      const int ChannelCol = Table.Column(QStringLiteral("f_sensor_ch"));
      const int UnitCol = Table.Column(QStringLiteral("f_unit"));
      if (CodeCol < 0) ErrMsg = QStringLiteral("Unable to find sensor \"f_sensor_code\" data.");
      else if (ChannelCol < 0) ErrMsg = QStringLiteral("Unable to find sensor \"f_sensor_ch\" data.");
      else if (UnitCol < 0) ErrMsg = QStringLiteral("Unable to find sensor \"f_unit\" data.");
      if (CodeCol < 0 || ChannelCol < 0 || UnitCol < 0) return false;
      for (int64_t Row = 0; Row < Table.CellRows(); ++Row) {
        const int Sensor = SensorOfCode(WholeOrMinusOne(Table.Cell(Row, CodeCol)));
        const int Ch = WholeOrMinusOne(Table.Cell(Row, ChannelCol));
        if (Ch < 0 || Sensor < 0 || Channel[Sensor] >= 0) continue;
        Channel[Sensor] = Ch;
        Unit[Sensor] = Table.Cell(Row, UnitCol).trimmed();
      }
    }
    // One flag says the units of both temperature and precipitation, so a station that
    // gives one in metric and the other in English units is refused, not half converted.
    // A unit known as neither (such as "l/m2", "mm/d" or none at all) decides nothing.
    const bool MetricTemperature = Channel[snTemperature] >= 0 && IsDegrees(Unit[snTemperature], u'C');
    const bool EnglishTemperature = Channel[snTemperature] >= 0 && IsDegrees(Unit[snTemperature], u'F');
    const bool MetricPrecipitation =
        Channel[snPrecipitation] >= 0 && Unit[snPrecipitation].compare(QLatin1String("mm"), Qt::CaseInsensitive) == 0;
    const bool EnglishPrecipitation = Channel[snPrecipitation] >= 0 && IsInches(Unit[snPrecipitation]);
    if ((MetricTemperature && EnglishPrecipitation) || (EnglishTemperature && MetricPrecipitation)) {
      ErrMsg = QStringLiteral("The units are mixed: the station gives temperature in \"%1\" and precipitation in \"%2\".")
                   .arg(OneLine(Unit[snTemperature]).left(20), OneLine(Unit[snPrecipitation]).left(20));
      return false;
    }
    Metric = MetricTemperature || MetricPrecipitation;
    if (Channel[snTemperature] < 0 && Channel[snPrecipitation] < 0 && Channel[snWind] < 0) {
      ErrMsg = QStringLiteral("Unable to find any weather sensors for station.");
      Metric = false;
      return false;
    }
    const auto ColumnName = [&Channel](const char* Kind, int Sensor, int Code) {
      return Channel[Sensor] < 0 ? QString()
                                 : QStringLiteral("sens_%1_%2_%3").arg(QLatin1String(Kind)).arg(Channel[Sensor]).arg(Code);
    };
    const QString MaxName = ColumnName("max", snTemperature, 0);
    const QString MinName = ColumnName("min", snTemperature, 0);
    const QString PrecipName = ColumnName("sum", snPrecipitation, 6);
    const QString WindName = ColumnName("aver", snWind, 5);
    const QString HumidityName = ColumnName("aver", snHumidity, 1);

    const auto Data = GetDays();
    const TReplyTable Table(Data->DataSetMain);
    const int DateCol = Table.Column(QStringLiteral("f_date"));
    if (DateCol < 0) {
      ErrMsg = QStringLiteral("Unable to find weather \"f_date\" data.");
      Metric = false;
      return false;
    }
    const auto Col = [&Table](const QString& Name) { return Name.isEmpty() ? -1 : Table.Column(Name); };
    const int MaxCol = Col(MaxName), MinCol = Col(MinName), PrecipCol = Col(PrecipName), WindCol = Col(WindName),
              HumidityCol = Col(HumidityName);
    const TFormatSettings& Fmt = FormatSettings;
    // Texts copied from the cells may hold the delimiter.
    OutParser.Escape = u'\\';
    const auto Field = [&](const QString& Text) { return OutParser.EscapeText(Text); };
    for (int64_t Row = 0; Row < Table.CellRows(); ++Row) {
      const QString Name = DayNameOf(Table.Cell(Row, DateCol));
      AddPair(Name, Field(NumberCell(Table.CellOrEmpty(Row, MaxCol))) + u',' +
                        Field(NumberCell(Table.CellOrEmpty(Row, MinCol))) + QStringLiteral(",,") +
                        Field(NumberCell(Table.CellOrEmpty(Row, PrecipCol))) + u',' +
                        Field(LimitDecimals(NumberCell(Table.CellOrEmpty(Row, WindCol)), 1, Fmt)) + u',' +
                        Field(LimitDecimals(NumberCell(Table.CellOrEmpty(Row, HumidityCol)), 0, Fmt)));
    }

    SourceName = QStringLiteral("iMETOS");
    StationName = Station;
    Has[wkTemperature] = Use[wkTemperature] = Channel[snTemperature] >= 0;
    Has[wkPrecipitation] = Use[wkPrecipitation] = Channel[snPrecipitation] >= 0;
    Has[wkWind] = Use[wkWind] = Channel[snWind] >= 0;
    Has[wkHumidity] = Use[wkHumidity] = Channel[snHumidity] >= 0;
    ErrMsg.clear();
    return true;
  } catch (const std::exception& E) {
    ErrMsg = FailureText(E);
  } catch (...) {
  }
  Clear();
  Metric = false;
  return false;
}
