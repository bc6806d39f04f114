#pragma once
// The import commands of the main window, each a road from a button to the field:
// weather from a file or pasted text, from a web source (one station or several
// interpolated), from a weather-station service account and the temperature forecast;
// soil horizons from the soil data service.
//
// The window lends its field, its boxes and its weather grid through TImportHost; the
// dialogs and message boxes go through replaceable functions, so tests can answer them.
// Every fetch runs through RunFetch: off the GUI thread with the wait dialog, its
// failure told in the command's error box, a Cancel leaving the field as it was.

#include "ImpWeathHttp.h"
#include "MiscUtil.h"
#include "MsgDlg.h"
#include "SoapBase.h"
#include "SovSched.h"

#include <QDate>
#include <QMessageBox>
#include <QString>

#include <functional>

class QDialog;
class QWidget;
class TImportedWeather;
class TNetProgress;

// What an import reads from and writes to the window. Columns are field columns
// (SovCol); days run from 1 to MaxDays, grid columns are WthCol's.
struct TImportHost {
  QWidget* Parent = nullptr;  // owner of the dialogs and of the wait dialog
  TSovSchedule* Field = nullptr;
  const TSovLookup* Lookup = nullptr;
  TFormatSettings UserFormat;
  std::function<QString(int Col)> BoxText;  // a field-page box as typed
  std::function<void(int Col, const QString& Text)> SetBoxText;
  std::function<int()> Location;   // the location list's index, 0 none
  std::function<bool()> IsMetric;  // the metric box
  std::function<QString(int Col)> LabelCaption;
  std::function<void(int Col)> FocusValue;  // the field page shown, the box focused
  std::function<QString(int Day, int Col)> GridText;
  std::function<void(int Day, int Col, const QString& Text)> SetGridText;
  std::function<void(int Day)> SetCurrentDay;
  std::function<void()> SetModified;
  // Settles a starting date that differs from the date the grid's days are placed by
  // (the question, then the days moved) before an import writes into the grid; False
  // when the user keeps the old date, which is put back.
  std::function<bool()> SettleStartDate;
};

// Where the web services are (empty: their usual endpoints).
struct TImportServiceAddresses {
  QString Soil;      // soil data tabular service
  QString Forecast;  // NDFD forecast service
  QString Metos;     // weather-station service
};

class TImportCommands {
 public:
  // Runs a dialog modally; returns QDialog::Accepted or Rejected.
  using TDialogExecFunc = std::function<int(QDialog& Dialog)>;
  // The open dialog of a weather file; returns the chosen name, empty on Cancel.
  using TFileDialogFunc = std::function<QString(QWidget* Parent, bool ForSave, const QString& Title,
                                                const QString& StartName, const QString& Filter)>;

  explicit TImportCommands(TImportHost Host);
  // The usual open dialog of a weather file.
  static QString WeatherFileDialog(QWidget* Parent, bool ForSave, const QString& Title, const QString& StartName,
                                   const QString& Filter);

  TDialogExecFunc ExecDialogFunc;  // default: QDialog::exec
  TFileDialogFunc FileDialogFunc;  // default: WeatherFileDialog
  TMessageDlgHandler MessageFunc;  // default: MessageDlg
  // Where the web weather sources live, and the limits of their requests.
  TWeatherWebHosts WebHosts;
  THttpOptions WebHttpOptions;
  // Where the web services are, and the limits of a call.
  TImportServiceAddresses ServiceAddresses;
  TSoapTransportOptions ServiceOptions;

  // Horizons from the soil data service: survey area, then component, then horizons
  // into the field and the water-holding capacity recomputed.
  void ImportSoil();
  // Weather from a file the user picks, or from pasted text (FromClipboard).
  void ImportWeatherFromFile(bool FromClipboard);
  // The web source list, then the chosen road.
  void ImportWebData();
  // Weather of one station, or interpolated between several, of web source SourceID.
  void ImportWeatherFromWeb(const QString& SourceID);
  // Weather of a station of the user's weather-station service account.
  void ImportMetosData();
  // Five days of forecast temperatures written into the grid from today on.
  void ImportForecast();
  // Shows the import options for Weather (SourceText names the source) and writes the
  // chosen values into the weather grid of a field starting on StartDate. True when
  // the user confirmed; False on Cancel or when the dates do not overlap (with a
  // message).
  bool DoImportWeatherDlg(TImportedWeather& Weather, const QString& SourceText, const QDate& StartDate);

  // Runs Call with the wait dialog over the window. True when it succeeded. A failure
  // is told through Report, by default in the error box of the command whose first
  // line is FirstLine; a Cancel is not told. Cancelled, when given, says whether the
  // user cancelled.
  bool RunFetch(const QString& FirstLine, TNetProgress& Progress, const std::function<bool(QString& Msg)>& Call,
                bool* Cancelled = nullptr, const std::function<void(const QString& Msg)>& Report = {});

 private:
  // The starting date box read as a date and settled with the grid's days; on failure
  // the import's error box (FirstLine, then the reason), the field page shown and the
  // box focused. False without a message when the user keeps the old date.
  bool ImportStartDate(const QString& FirstLine, QDate& Start);
  // A field-page value that failed its check: the import's error box, the field page
  // shown and the control focused.
  void ImportValueError(const QString& FirstLine, int Col, const QString& Msg);
  // The command's error box: FirstLine, then Msg; over Over when given, else over the
  // window.
  void ImportError(const QString& FirstLine, const QString& Msg, QWidget* Over = nullptr);
  // Sets the field's weather source and station, marking the field modified when they
  // change.
  void SetWeatherSource(const QString& Source, const QString& Station);
  int ExecDialog(QDialog& Dialog);
  QMessageBox::StandardButton Message(TMsgDlgType Type, const QString& Text,
                                      QMessageBox::StandardButtons Buttons = QMessageBox::Ok, QWidget* Over = nullptr);

  TImportHost FHost;
  TSovSchedule* FFieldData;
  const TSovLookup* FLookup;
};
