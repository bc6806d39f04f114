#pragma once
// "Import Weather Data": shows what a weather importer found (source, format, units,
// station, dates), lets the user choose the kinds of values, the dates and whether to
// fill only empty cells; and the merge of the chosen day lines into the weather grid,
// converting units and number format on the way.

#include "ImpWeath.h"
#include "MiscUtil.h"

#include <QDate>
#include <QDialog>
#include <QString>

#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

// What the options dialog chose.
struct TWeatherImportChoice {
  std::array<bool, WeatherKindCount> Kinds{};  // indexed by TWeatherKind
  bool AllDates = true;
  int FirstLine = 0;  // day-line positions of the range (with AllDates false)
  int LastLine = -1;
  bool OnlyMissing = false;
};

// Access to the weather grid by day (1-365) and grid column.
using TGridGetter = std::function<QString(int Day, int GridCol)>;
using TGridSetter = std::function<void(int Day, int GridCol, const QString& Text)>;

// Writes the chosen day lines of Weather into the grid of a field whose first day is
// StartDate. Numbers go from the importer's format and units to UserFormat and the
// field's units (FieldMetric), keeping their decimals; notes are appended to what the
// cell holds unless the cell already holds the note as a whole run of words. Nothing is
// written when every day line lies before StartDate or after its 365th day, whatever
// their order (or none holds a readable date), nor when no chosen line falls within the
// schedule.
enum class TMergeResult { Merged, DatesOutside, RangeOutside };
TMergeResult MergeImportedWeather(const TImportedWeather& Weather, const TWeatherImportChoice& Choice,
                          const QDate& StartDate, bool FieldMetric, const TFormatSettings& UserFormat,
                          const TGridGetter& Get, const TGridSetter& Set);

class TImportWeatherDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TImportWeatherDlg(QWidget* Parent = nullptr);
  ~TImportWeatherDlg() override;

  // Shows the importer's facts; SourceText names the source (a file name, "[Pasted
  // Data]", "[Web Data]" or "[Web Service Data]"). Dates are shown in UserFormat.
  void SetImportData(const TImportedWeather& Weather, const QString& SourceText, bool FieldMetric,
                     const TFormatSettings& UserFormat);
  // The choices as they stand (only enabled kinds count).
  TWeatherImportChoice Choice() const;

  QLabel* ImportFile = nullptr;
  QLabel* ImportFormat = nullptr;
  QLabel* Units = nullptr;
  QLabel* Station = nullptr;
  QLabel* Dates = nullptr;
  QCheckBox* TempCheckBox = nullptr;
  QCheckBox* RainfallCheckBox = nullptr;
  QCheckBox* WindCheckBox = nullptr;
  QCheckBox* HumidityCheckBox = nullptr;
  QCheckBox* NotesCheckBox = nullptr;
  QCheckBox* IrrigationCheckBox = nullptr;
  QRadioButton* AllDatesButton = nullptr;
  QRadioButton* RangeOfDatesButton = nullptr;
  QComboBox* StartDateCombo = nullptr;
  QComboBox* EndDateCombo = nullptr;
  QCheckBox* OnlyMissingCheckBox = nullptr;
  QPushButton* OKButton = nullptr;
  QPushButton* CancelButton = nullptr;

  // The box of a kind (TWeatherKind).
  QCheckBox* KindCheckBox(int Kind) const;
  // 0 "Import All Dates", 1 "Import Range Of Dates".
  int DatesRadioGroupIndex() const;
  void SetDatesRadioGroupIndex(int Index);

 public slots:
  void DatesRadioGroupClick();
  // Closes with Accepted unless a check fails (its message is shown and the dialog
  // stays open).
  void OKBtnClick();

 private:
  QButtonGroup* FDatesRadioGroup = nullptr;
};
