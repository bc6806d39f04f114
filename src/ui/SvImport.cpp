#include "SvImport.h"

#include "ImpMetos.h"
#include "ImpNDFD.h"
#include "ImpSDM.h"
#include "ImpWeathInterp.h"
#include "SovImpWeath.h"
#include "SovMisc.h"
#include "SvImpClip.h"
#include "SvImpSoil.h"
#include "SvImpStation.h"
#include "SvImpSurv.h"
#include "SvImpUser.h"
#include "SvImpWeb.h"
#include "SvImpWth.h"
#include "SvMain.h"
#include "SvNetWait.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace {

// First lines of the import commands' error boxes.
const QString WeatherImportFailed = QStringLiteral("Can't import weather data.");
const QString WebImportFailed = QStringLiteral("Can't import Web data.");
const QString SoilImportFailed = QStringLiteral("Can't import soil data.");
const QString ForecastImportFailed = QStringLiteral("Can't import forecast weather data.");
const QString ServiceImportFailed = QStringLiteral("Can't import Web service data.");

constexpr int ForecastDays = 5;

}  // namespace

TImportCommands::TImportCommands(TImportHost Host)
    : ExecDialogFunc([](QDialog& Dialog) { return Dialog.exec(); }),
      FileDialogFunc(WeatherFileDialog),
      FHost(std::move(Host)),
      FFieldData(FHost.Field),
      FLookup(FHost.Lookup) {}

QString TImportCommands::WeatherFileDialog(QWidget* Parent, bool /*ForSave*/, const QString& Title,
                                           const QString& StartName, const QString& Filter) {
  QFileDialog Dialog(Parent, Title, QDir::currentPath(), Filter);
  Dialog.setDefaultSuffix(QStringLiteral("txt"));
  if (!StartName.isEmpty()) Dialog.selectFile(StartName);
  Dialog.setAcceptMode(QFileDialog::AcceptOpen);
  Dialog.setFileMode(QFileDialog::ExistingFile);
  if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty()) return QString();
  return Dialog.selectedFiles().constFirst();
}

int TImportCommands::ExecDialog(QDialog& Dialog) { return ExecDialogFunc ? ExecDialogFunc(Dialog) : Dialog.exec(); }

QMessageBox::StandardButton TImportCommands::Message(TMsgDlgType Type, const QString& Text,
                                                     QMessageBox::StandardButtons Buttons, QWidget* Over) {
  QWidget* Parent = Over ? Over : FHost.Parent;
  return MessageFunc ? MessageFunc(Parent, Type, Text, Buttons) : MessageDlg(Parent, Text, Type, Buttons);
}

void TImportCommands::ImportError(const QString& FirstLine, const QString& Msg, QWidget* Over) {
  Message(TMsgDlgType::Error, QStringLiteral("\n") + FirstLine + QStringLiteral("\n\n") + Msg + QStringLiteral("\n"),
          QMessageBox::Ok, Over);
}

bool TImportCommands::ImportStartDate(const QString& FirstLine, QDate& Start) {
  if (TSovFile::IsValidDate(FHost.BoxText(SovCol::StartingDate), SovCol::StartingDate, 0, FHost.UserFormat, Start))
    return !FHost.SettleStartDate || FHost.SettleStartDate();
  ImportValueError(FirstLine, SovCol::StartingDate,
                   FHost.LabelCaption(SovCol::StartingDate) + QStringLiteral(" is missing or invalid."));
  return false;
}

void TImportCommands::ImportValueError(const QString& FirstLine, int Col, const QString& Msg) {
  ImportError(FirstLine, Msg);
  FHost.FocusValue(Col);
}

void TImportCommands::SetWeatherSource(const QString& Source, const QString& Station) {
  if (!FFieldData) return;
  // These values have no control: only Modified tells that they changed.
  if (FFieldData->GetCell(0, SovCol::WeatherSource) != Source ||
      FFieldData->GetCell(0, SovCol::WeatherStation) != Station)
    FHost.SetModified();
  FFieldData->SetCell(0, SovCol::WeatherSource, Source);
  FFieldData->SetCell(0, SovCol::WeatherStation, Station);
}

bool TImportCommands::RunFetch(const QString& FirstLine, TNetProgress& Progress,
                               const std::function<bool(QString& Msg)>& Call, bool* Cancelled,
                               const std::function<void(const QString& Msg)>& Report) {
  QString Msg;
  const TFetchEnd End = RunNetFetch(FHost.Parent, Progress, Call, Msg);
  if (Cancelled) *Cancelled = End == TFetchEnd::Cancelled;
  if (End == TFetchEnd::Failed) {
    if (Report) {
      Report(Msg);
    } else {
      ImportError(FirstLine, Msg);
    }
  }
  return End == TFetchEnd::Done;
}

// ===========================================================================
// Weather
// ===========================================================================

void TImportCommands::ImportWeatherFromFile(bool FromClipboard) {
  if (!FFieldData || !FLookup) return;
  QDate Start;
  if (!ImportStartDate(WeatherImportFailed, Start)) return;

  TSovImportedWeather Weather;
  QString SourceText;
  if (FromClipboard) {
    // Text that cannot be read keeps the dialog open with it, to be mended or replaced.
    TImportClipboardDlg Dialog(FHost.Parent);
    Dialog.Accepting = [this, &Weather, &Dialog](const QString& Text) {
      QString Lines = Text;
      if (!Lines.endsWith(QLatin1Char('\n'))) Lines += QLatin1Char('\n');
      QString Msg;
      if (Weather.ImportData(QStringLiteral("The pasted text"), Lines.toUtf8(), Msg)) return true;
      ImportError(WeatherImportFailed, Msg, &Dialog);
      return false;
    };
    if (ExecDialog(Dialog) != QDialog::Accepted) return;
    SourceText = QStringLiteral("[Pasted Data]");
  } else {
    QString FileName = FileDialogFunc
                           ? FileDialogFunc(FHost.Parent, false, QStringLiteral("Select Weather Data File To Import"),
                                            QString(), QStringLiteral("Weather Data (*.txt *.csv *.sov)"))
                           : QString();
    if (FileName.isEmpty()) return;
    FileName = QFileInfo(FileName).absoluteFilePath();
    SourceText = FileName;
    QString Msg;
    if (!Weather.ImportFileOrFieldFile(FileName, *FLookup, FHost.UserFormat, Msg)) {
      ImportError(WeatherImportFailed, Msg);
      return;
    }
  }
  if (Weather.UnitsUnstated) Weather.Metric = FHost.IsMetric();
  if (DoImportWeatherDlg(Weather, SourceText, Start)) SetWeatherSource(QString(), QString());
}

void TImportCommands::ImportWebData() {
  if (!FFieldData || !FLookup) return;
  TImportWebDlg Dialog(FHost.Parent);
  QStringList Names, Descriptions;
  for (int Row = 1; Row <= FLookup->WeatherSourceCount(); ++Row) {
    Names << FLookup->WeatherSource(Row).Name;
    Descriptions << FLookup->WeatherSource(Row).Description;
  }
  Dialog.SetSources(Names, Descriptions, FFieldData->GetCell(0, SovCol::WeatherSource));
  if (ExecDialog(Dialog) != QDialog::Accepted) return;
  const int Index = Dialog.SelectedIndex();
  const QString Source = Dialog.SelectedSource();
  if (Index == Dialog.MetosIndex()) {
    ImportMetosData();
  } else if (Index == Dialog.ForecastIndex()) {
    ImportForecast();
  } else if (!Source.isEmpty()) {
    ImportWeatherFromWeb(Source);
  }
}

void TImportCommands::ImportWeatherFromWeb(const QString& SourceID) {
  if (!FFieldData || !FLookup) return;
  const int Location = std::max(FHost.Location(), 0);
  if (Location <= 0 || Location > FLookup->LocationCount()) {
    ImportValueError(WebImportFailed, SovCol::Location,
                     QStringLiteral("No ") + FHost.LabelCaption(SovCol::Location) + QStringLiteral(" selected."));
    return;
  }
  const TLocationRec& Loc = FLookup->Location(Location);
  const bool IsUS = FFieldData->IsUSLocation(Location);
  if (!IsUS) {
    const int Index = WeatherSourceIndex(SourceID);
    if ((Index != wsWuAsos && Index != wsWuPws) || Loc.Country.trimmed().isEmpty()) {
      ImportError(WebImportFailed, QStringLiteral("Web data not available for selected location."));
      return;
    }
  }
  QDate Start;
  if (!ImportStartDate(WebImportFailed, Start)) return;
  const QString LocationText = Loc.StateAbbr + QLatin1Char(',') + Loc.Country + QLatin1Char(',') + Loc.CountryFIPS +
                               QLatin1Char(',') + Loc.CountryISO;

  // Stations with distances when the field's position reads, else the bare list.
  const bool Metric = FHost.IsMetric();
  double Latitude = 0, Longitude = 0;
  const bool HasPosition =
      TSovFile::IsValidNumber(FHost.BoxText(SovCol::Latitude), SovCol::Latitude, Metric, IsUS, FHost.UserFormat, 0, Latitude) &&
      TSovFile::IsValidNumber(FHost.BoxText(SovCol::Longitude), SovCol::Longitude, Metric, IsUS, FHost.UserFormat, 0, Longitude);
  TNetProgress ListProgress;
  TImportedStationsHttp Stations;
  Stations.Hosts = WebHosts;
  Stations.HttpOptions = WebHttpOptions;
  Stations.HttpOptions.Progress = &ListProgress;
  const auto ListFailed = [this](const QString& Msg) {
    Message(TMsgDlgType::Error, QStringLiteral("\nUnable to retrieve list of weather stations.\n\n") + Msg);
  };
  if (!RunFetch(WebImportFailed, ListProgress, [&](QString& M) {
        return HasPosition ? Stations.GetStations(SourceID, LocationText, Latitude, Longitude, Start, M)
                           : Stations.GetSourceStations(SourceID, LocationText, M);
      }, nullptr, ListFailed))
    return;

  TImportStationDlg Picker(FHost.Parent, FHost.UserFormat);
  Picker.FieldLatitude = FHost.BoxText(SovCol::Latitude);
  Picker.FieldLongitude = FHost.BoxText(SovCol::Longitude);
  Picker.SetStations(&Stations);
  const QString HeldSource = FFieldData->GetCell(0, SovCol::WeatherSource);
  const QString HeldStation = FFieldData->GetCell(0, SovCol::WeatherStation);
  if (const int Row = Picker.RowOfStation(HeldStation)) Picker.SetCurrentRow(Row);
  bool AnyDistance = false;
  for (int I = 0; I < Stations.Count() && !AnyDistance; ++I) AnyDistance = !Stations.GetDistanceText(I).isEmpty();
  if (AnyDistance) {
    // After an interpolation from this source the same stations are offered again.
    if (HeldStation.contains(QLatin1Char(',')) && HeldSource.compare(SourceID, Qt::CaseInsensitive) == 0) {
      Picker.SetInterpolation(true);
      QStringList HeldIDs = HeldStation.split(QLatin1Char(','), Qt::SkipEmptyParts);
      for (QString& ID : HeldIDs) ID = ID.trimmed();
      for (int Row = 2; Row < Picker.RowCount(); ++Row) {
        if (HeldIDs.contains(Picker.Cell(Row, 1))) Picker.SetRowSelected(Row, true);
      }
    }
  } else {
    Picker.InterpCheckBox->setEnabled(false);
  }
  if (!Picker.Interpolating()) {
    Picker.SortColumn = 0;
    Picker.SortAscending = true;
    Picker.SortStations();
  }
  Picker.UpdateSelectionNote();
  Picker.ViewMapBtn->setEnabled(HasPosition);
  if (ExecDialog(Picker) != QDialog::Accepted) return;

  TNetProgress DayProgress;
  TImportedWeatherInterp Weather;
  Weather.Hosts = WebHosts;
  Weather.HttpOptions = WebHttpOptions;
  Weather.HttpOptions.Progress = &DayProgress;
  const QDate End = Start.addDays(MaxDays - 1);
  const bool Interpolating = Picker.Interpolating();
  const TStationRecArray Marked = Interpolating ? Picker.MarkedStations() : TStationRecArray();
  const QString StationText =
      Interpolating ? Picker.MarkedStationIDs().join(QLatin1Char(',')) : Picker.SelectedStationID();
  if (!RunFetch(WebImportFailed, DayProgress, [&](QString& M) {
        return Interpolating ? Weather.Interpolate(SourceID, Marked, Start, End, M)
                             : Weather.ImportWeb(SourceID, StationText, Start, End, M);
      }))
    return;
  Weather.StationName = Picker.Interpolating()
                            ? StationText
                            : Picker.SelectedStationName() + QStringLiteral(" (") + StationText + QStringLiteral(")");
  if (Weather.UnitsUnstated) Weather.Metric = FHost.IsMetric();
  if (DoImportWeatherDlg(Weather, QStringLiteral("[Web Data]"), Start)) SetWeatherSource(SourceID, StationText);
}

void TImportCommands::ImportMetosData() {
  if (!FFieldData) return;
  QDate Start;
  if (!ImportStartDate(ServiceImportFailed, Start)) return;
  // The account lives only for this command.
  QString User, Password;
  TImportUserDlg Login(FHost.Parent);
  TImportedMetosStations Stations;
  Stations.ServiceAddress = ServiceAddresses.Metos;
  for (;;) {
    if (ExecDialog(Login) != QDialog::Accepted) return;
    User = Login.UserName();
    Password = Login.Password();
    TNetProgress Progress;
    Progress.SetStep(QStringLiteral("Retrieving the stations of the account from the weather-station service"));
    Stations.TransportOptions = ServiceOptions;
    Stations.TransportOptions.Progress = &Progress;
    bool Cancelled = false;
    const bool Listed = RunFetch(ServiceImportFailed, Progress,
                                 [&](QString& M) { return Stations.GetMetosStations(User, Password, M); }, &Cancelled);
    Stations.TransportOptions.Progress = nullptr;
    if (Listed) break;
    if (Cancelled) return;
  }

  const bool Metric = FHost.IsMetric();
  const bool IsUS = FFieldData->IsUSLocation(std::max(FHost.Location(), 0));
  double Value = 0;
  const bool HasPosition =
      TSovFile::IsValidNumber(FHost.BoxText(SovCol::Latitude), SovCol::Latitude, Metric, IsUS, FHost.UserFormat, 0, Value) &&
      TSovFile::IsValidNumber(FHost.BoxText(SovCol::Longitude), SovCol::Longitude, Metric, IsUS, FHost.UserFormat, 0, Value);
  TImportStationDlg Picker(FHost.Parent, FHost.UserFormat);
  Picker.FieldLatitude = FHost.BoxText(SovCol::Latitude);
  Picker.FieldLongitude = FHost.BoxText(SovCol::Longitude);
  QStringList Displays, IDs;
  for (int I = 0; I < Stations.Count(); ++I) {
    IDs << Stations.Names(I);
    Displays << Stations.ValueFromIndex(I);
  }
  Picker.SetPlainStations(Displays, IDs);
  Picker.ViewMapBtn->setEnabled(HasPosition);
  if (ExecDialog(Picker) != QDialog::Accepted) return;
  const QString StationID = Picker.SelectedStationID();
  const QString StationText = Picker.SelectedStationName();

  TNetProgress Progress;
  Progress.SetStep(QStringLiteral("Downloading the weather data of station ") + StationText +
                   QStringLiteral(" from the weather-station service"));
  TImportedMetosWeather Weather;
  Weather.ServiceAddress = ServiceAddresses.Metos;
  Weather.TransportOptions = ServiceOptions;
  Weather.TransportOptions.Progress = &Progress;
  if (!RunFetch(ServiceImportFailed, Progress, [&](QString& M) {
        return Weather.GetMetosWeather(User, Password, StationID, Start, Start.addDays(MaxDays - 1), M);
      }))
    return;
  Weather.StationName = StationText;
  if (DoImportWeatherDlg(Weather, QStringLiteral("[Web Service Data]"), Start)) SetWeatherSource(QString(), QString());
}

void TImportCommands::ImportForecast() {
  if (!FFieldData || !FLookup) return;
  const int Location = std::max(FHost.Location(), 0);
  if (!FFieldData->IsUSLocation(Location)) {
    ImportError(ForecastImportFailed, QStringLiteral("No forecast data available for selected location."));
    return;
  }
  QDate Start;
  if (!ImportStartDate(ForecastImportFailed, Start)) return;
  const QDate Today = QDate::currentDate();
  if (Today < Start || Today > Start.addDays(MaxDays - 1)) {
    ImportError(ForecastImportFailed, QStringLiteral("The forecast dates are outside your schedule."));
    return;
  }
  const bool Metric = FHost.IsMetric();
  // The service takes the position with "." whatever the user's decimal separator.
  QString PositionText[2];
  for (int Col : {SovCol::Latitude, SovCol::Longitude}) {
    const QString Text = CleanText(Col == SovCol::Latitude ? FHost.BoxText(SovCol::Latitude) : FHost.BoxText(SovCol::Longitude));
    double Value = 0;
    if (!TSovFile::IsValidNumber(Text, Col, Metric, true, FHost.UserFormat, 0, Value)) {
      ImportValueError(ForecastImportFailed, Col, FHost.LabelCaption(Col) + QStringLiteral(" is missing or invalid."));
      return;
    }
    PositionText[Col == SovCol::Latitude ? 0 : 1] = FFieldData->UserToFileNumber(Text);
  }
  if (Message(TMsgDlgType::Confirmation,
              QStringLiteral("\nThis feature will retrieve the forecasted temperatures for the next ") +
                  QString::number(ForecastDays) + QStringLiteral(" days.\n\n") +
                  QStringLiteral("Are you ready to proceed?\n"),
              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) != QMessageBox::Yes)
    return;

  TNetProgress Progress;
  Progress.SetStep(QStringLiteral("Retrieving the forecast from the forecast service"));
  TImportedNdfd Forecast;
  Forecast.ServiceAddress = ServiceAddresses.Forecast;
  Forecast.TransportOptions = ServiceOptions;
  Forecast.TransportOptions.Progress = &Progress;
  if (!RunFetch(ForecastImportFailed, Progress, [&](QString& M) {
        return Forecast.GetForecast(PositionText[0], PositionText[1], ForecastDays, Metric, M);
      }))
    return;
  for (int I = 0; I < Forecast.Count(); ++I) {
    QDate Date;
    if (!Forecast.TryGetDayDate(I, Date)) continue;
    const qint64 Day = Start.daysTo(Date) + 1;
    if (Day < 1 || Day > MaxDays) continue;
    // Temperatures as delivered, with the user's decimal separator.
    FHost.SetGridText(int(Day), WthCol::High, FFieldData->FileToUserNumber(Forecast.GetDayField(I, dfMaxTemp)));
    FHost.SetGridText(int(Day), WthCol::Low, FFieldData->FileToUserNumber(Forecast.GetDayField(I, dfMinTemp)));
    if (CleanText(FHost.GridText(int(Day), WthCol::Notes)).isEmpty()) {
      FHost.SetGridText(int(Day), WthCol::Notes, QStringLiteral("Forecast"));
    }
    FHost.SetCurrentDay(int(Day));
  }
}

bool TImportCommands::DoImportWeatherDlg(TImportedWeather& Weather, const QString& SourceText, const QDate& StartDate) {
  const bool FieldMetric = FHost.IsMetric();
  TImportWeatherDlg Dialog(FHost.Parent);
  Dialog.SetImportData(Weather, SourceText, FieldMetric, FHost.UserFormat);
  if (ExecDialog(Dialog) != QDialog::Accepted) return false;
  switch (MergeImportedWeather(
      Weather, Dialog.Choice(), StartDate, FieldMetric, FHost.UserFormat,
      [this](int Day, int Col) { return FHost.GridText(Day, Col); },
      [this](int Day, int Col, const QString& Text) { FHost.SetGridText(Day, Col, Text); })) {
    case TMergeResult::Merged:
      return true;
    case TMergeResult::DatesOutside:
      Message(TMsgDlgType::Error, QStringLiteral("\nThe import weather dates are outside your dates.\n"));
      return false;
    case TMergeResult::RangeOutside:
      Message(TMsgDlgType::Error, QStringLiteral("\nNo day of the chosen dates falls inside your schedule.\n"));
      return false;
  }
  return false;
}

// ===========================================================================
// Soil
// ===========================================================================

void TImportCommands::ImportSoil() {
  if (!FFieldData || !FLookup) return;
  const int Location = std::max(FHost.Location(), 0);
  if (Location <= 0 || Location > FLookup->LocationCount()) {
    ImportValueError(SoilImportFailed, SovCol::Location,
                     QStringLiteral("No ") + FHost.LabelCaption(SovCol::Location) + QStringLiteral(" selected."));
    return;
  }
  if (!FFieldData->IsUSLocation(Location)) {
    ImportValueError(SoilImportFailed, SovCol::Location,
                     QStringLiteral("No soil survey data available for selected location."));
    return;
  }
  const bool Metric = FHost.IsMetric();
  double RootingDepth = 0;
  if (!TSovFile::IsValidNumber(FHost.BoxText(SovCol::RootingDepth), SovCol::RootingDepth, Metric, true, FHost.UserFormat, 0,
                               RootingDepth)) {
    ImportValueError(SoilImportFailed, SovCol::RootingDepth,
                     FHost.LabelCaption(SovCol::RootingDepth) + QStringLiteral(" is missing or invalid."));
    return;
  }
  // Each call to the service runs with the wait dialog; a cancel ends the command with
  // the field untouched.
  TNetProgress Progress;
  TSoapTransportOptions Options = ServiceOptions;
  Options.Progress = &Progress;
  const auto Fetch = [this, &Progress](const QString& Step, const std::function<bool(QString&)>& Call) {
    Progress.SetStep(Step);
    return RunFetch(SoilImportFailed, Progress, Call);
  };

  // Step 1: the survey areas of the location's state.
  TImportedSdmSurveys Surveys;
  Surveys.ServiceAddress = ServiceAddresses.Soil;
  Surveys.TransportOptions = Options;
  const QString State = FLookup->Location(Location).StateAbbr;
  if (!Fetch(QStringLiteral("Retrieving the soil surveys of ") + State + QStringLiteral(" from the soil data service"),
             [&](QString& M) { return Surveys.GetSurveys(State, M); }))
    return;
  if (Surveys.Count() == 0) {
    ImportError(SoilImportFailed, QStringLiteral("No soil survey data available for selected location."));
    return;
  }
  Surveys.SortByName();
  QStringList Entries;
  int Selected = -1;
  const QString HeldSurvey = CleanText(FHost.BoxText(SovCol::SurveySymbol));
  for (int I = 0; I < Surveys.Count(); ++I) {
    Entries << Surveys.GetAreaName(I) + QStringLiteral(" (") + Surveys.GetAreaSymbol(I) + QStringLiteral(")");
    if (Selected < 0 && Surveys.GetAreaSymbol(I) == HeldSurvey) Selected = I;
  }
  QString AreaName, AreaSymbol;
  {
    TImportSurveyDlg Dialog(FHost.Parent);
    Dialog.setWindowTitle(Dialog.windowTitle() + QStringLiteral(" - Step 1 of 2"));
    Dialog.SetEntries(Entries, Selected);
    if (ExecDialog(Dialog) != QDialog::Accepted || Dialog.SelectedIndex() < 0) return;
    AreaName = Surveys.GetAreaName(Dialog.SelectedIndex());
    AreaSymbol = Surveys.GetAreaSymbol(Dialog.SelectedIndex());
  }

  // Step 2: the map units and major components of the chosen area.
  TImportedSdmSoils Soils;
  Soils.ServiceAddress = ServiceAddresses.Soil;
  Soils.TransportOptions = Options;
  if (!Fetch(QStringLiteral("Retrieving the soils of survey ") + AreaSymbol + QStringLiteral(" from the soil data service"),
             [&](QString& M) { return Soils.GetMapUnits(AreaSymbol, M); }))
    return;
  if (Soils.Count() == 0) {
    ImportError(SoilImportFailed, QStringLiteral("No soil map unit data available for selected soil survey."));
    return;
  }
  Soils.SortByName();
  Entries.clear();
  Selected = -1;
  const QString HeldSoil = CleanText(FHost.BoxText(SovCol::ComponentName)) + QStringLiteral(" (") +
                           CleanText(FHost.BoxText(SovCol::MapUnitSymbol)) + QStringLiteral(")");
  for (int I = 0; I < Soils.Count(); ++I) {
    Entries << Soils.GetComponentName(I) + QStringLiteral(" (") + Soils.GetMapUnitSymbol(I) + QStringLiteral(")");
    if (Selected < 0 && Entries.back() == HeldSoil) Selected = I;
  }
  QString Component, MapUnit;
  {
    TImportSoilDlg Dialog(FHost.Parent);
    Dialog.setWindowTitle(Dialog.windowTitle() + QStringLiteral(" - Step 2 of 2"));
    Dialog.ListBoxLbl->setText(Dialog.ListBoxLbl->text() + QStringLiteral("\n") + AreaName + QStringLiteral(" (") +
                               AreaSymbol + QStringLiteral(")."));
    Dialog.SetEntries(Entries, Selected);
    if (ExecDialog(Dialog) != QDialog::Accepted || Dialog.SelectedIndex() < 0) return;
    Component = Soils.GetComponentName(Dialog.SelectedIndex());
    MapUnit = Soils.GetMapUnitSymbol(Dialog.SelectedIndex());
  }

  // Step 3: the horizons of the chosen component.
  TImportedSdmHorizons Horizons;
  Horizons.ServiceAddress = ServiceAddresses.Soil;
  Horizons.TransportOptions = Options;
  if (!Fetch(QStringLiteral("Retrieving the horizons of ") + Component + QStringLiteral(" from the soil data service"),
             [&](QString& M) { return Horizons.GetHorizons(AreaSymbol, MapUnit, Component, M); }))
    return;
  // A component without horizon depths (water, a map unit without a major component)
  // would only empty the field's horizons.
  bool AnyDepth = false;
  for (int I = 1; I <= Horizons.Count() && !AnyDepth; ++I) AnyDepth = !Horizons.Value(I, sdmHzdepb).isEmpty();
  if (!AnyDepth) {
    ImportError(SoilImportFailed, QStringLiteral("No soil horizon data available for selected soil component."));
    return;
  }

  FHost.SetBoxText(SovCol::SurveySymbol, AreaSymbol);
  FHost.SetBoxText(SovCol::MapUnitSymbol, MapUnit);
  FHost.SetBoxText(SovCol::ComponentName, Component);
  FHost.SetModified();
  QStringList Warnings;
  QString Msg;
  ImportSdmHorizons(*FFieldData, Horizons, &Warnings);
  double Capacity = 0;
  // The horizons stay imported either way. A capacity that cannot be worked out fails
  // the command; textures that could not be classified are told with it, or alone.
  if (!FFieldData->CalcWaterHoldingCapacity(Metric, RootingDepth, Capacity, Msg)) {
    Warnings.prepend(Msg);
    ImportError(SoilImportFailed, Warnings.join(QStringLiteral("\n")));
    return;
  }
  FHost.SetBoxText(SovCol::WaterHoldingCapacity, FormatFixed(Capacity, 2, FHost.UserFormat));
  if (!Warnings.isEmpty()) {
    Message(TMsgDlgType::Warning, QStringLiteral("\n") + Warnings.join(QStringLiteral("\n")) + QStringLiteral("\n"));
  }
}
