#include "SvImpWth.h"

#include "ListCombo.h"
#include "MsgDlg.h"
#include "ShlUtil.h"
#include "SovFile.h"
#include "SvMain.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// Where each day-line field goes: grid column, field number, unit kind (None: number
// format only) and whether it is a text.
struct TMergeColumn {
  int Kind;
  int GridCol;
  int Field;
  TUnitKind UnitKind;
  bool IsText;
};
constexpr std::array<TMergeColumn, 7> MergeColumns = {{
    {wkTemperature, WthCol::High, dfMaxTemp, TUnitKind::Temperature, false},
    {wkTemperature, WthCol::Low, dfMinTemp, TUnitKind::Temperature, false},
    {wkWind, WthCol::Wind, dfWind, TUnitKind::WindSpeed, false},
    {wkHumidity, WthCol::Humidity, dfHumidity, TUnitKind::None, false},
    {wkPrecipitation, WthCol::Precip, dfPrecip, TUnitKind::Water, false},
    {wkIrrigation, WthCol::Irrigation, dfIrrigation, TUnitKind::Water, false},
    {wkNotes, WthCol::Notes, dfNotes, TUnitKind::None, true},
}};

// True when the words of Note stand in Text one after another (blanks between words do
// not count); an empty note is held by every text.
bool HoldsWords(const QString& Text, const QString& Note) {
  const QString Wanted = Note.simplified();
  if (Wanted.isEmpty()) return true;
  // Words stand between single blanks once simplified; the blanks around both texts make
  // only whole words match.
  const QLatin1Char Blank(' ');
  return (Blank + Text.simplified() + Blank).contains(Blank + Wanted + Blank);
}

}  // namespace

// ===========================================================================
// Merge
// ===========================================================================

TMergeResult MergeImportedWeather(const TImportedWeather& Weather, const TWeatherImportChoice& Choice,
                                  const QDate& StartDate, bool FieldMetric, const TFormatSettings& UserFormat,
                                  const TGridGetter& Get, const TGridSetter& Set) {
  const int Count = Weather.Count();
  if (Count == 0 || !StartDate.isValid()) return TMergeResult::DatesOutside;
  // The day lines come in the source's order, which may run backwards or be mixed: the
  // earliest and the latest date decide whether they reach the schedule.
  QDate Earliest, Latest;
  for (int Line = 0; Line < Count; ++Line) {
    QDate Date;
    if (!Weather.TryGetDayDate(Line, Date)) continue;
    if (!Earliest.isValid() || Date < Earliest) Earliest = Date;
    if (!Latest.isValid() || Date > Latest) Latest = Date;
  }
  const QDate EndDate = StartDate.addDays(MaxDays - 1);
  if (!Earliest.isValid() || Latest < StartDate || Earliest > EndDate) return TMergeResult::DatesOutside;

  int From = 0, To = Count - 1;
  if (!Choice.AllDates) {
    From = std::max(Choice.FirstLine, 0);
    To = std::min(Choice.LastLine, Count - 1);
  }
  const auto InSchedule = [&](int Line, QDate& Date) {
    return Weather.TryGetDayDate(Line, Date) && Date >= StartDate && Date <= EndDate;
  };
  // A range chosen wholly outside the schedule leaves the field as it was.
  bool AnyInside = false;
  for (int Line = From; Line <= To && !AnyInside; ++Line) {
    QDate Date;
    AnyInside = InSchedule(Line, Date);
  }
  if (!AnyInside) return TMergeResult::RangeOutside;
  for (int Line = From; Line <= To; ++Line) {
    QDate Date;
    if (!InSchedule(Line, Date)) continue;
    const int Day = int(StartDate.daysTo(Date)) + 1;
    for (const TMergeColumn& Column : MergeColumns) {
      if (!Choice.Kinds[size_t(Column.Kind)]) continue;
      const QString Cell = Get(Day, Column.GridCol).trimmed();
      if (Choice.OnlyMissing && !Cell.isEmpty()) continue;
      const QString Value = Weather.GetDayField(Line, Column.Field);
      if (Column.IsText) {
        const QString Note = Value.trimmed();
        // A note the cell already holds is not added again (a repeated import).
        if (!HoldsWords(Cell, Note)) Set(Day, Column.GridCol, (Cell + QLatin1Char(' ') + Note).trimmed());
      } else {
        // Humidity changes only its number format.
        const bool ToMetric = Column.UnitKind == TUnitKind::None ? Weather.Metric : FieldMetric;
        Set(Day, Column.GridCol,
            TSovFile::ConvertNumberText(Value, Column.UnitKind, UserFormat, Weather.FormatSettings, ToMetric,
                                        Weather.Metric));
      }
    }
  }
  return TMergeResult::Merged;
}

// ===========================================================================
// Dialog
// ===========================================================================

TImportWeatherDlg::TImportWeatherDlg(QWidget* Parent) : QDialog(Parent) {
  setObjectName(QStringLiteral("ImportWeatherDlg"));
  setWindowTitle(QStringLiteral("Import Weather Data"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto* Layout = new QVBoxLayout(this);
  auto* Facts = new QGridLayout;
  Facts->setHorizontalSpacing(10);
  int Row = 0;
  auto AddFact = [&](const char* LabelName, const QString& Caption, const char* Name) {
    auto* Label = new QLabel(Caption, this);
    Label->setObjectName(QLatin1String(LabelName));
    auto* Value = new QLabel(this);
    Value->setObjectName(QLatin1String(Name));
    Value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Facts->addWidget(Label, Row, 0);
    Facts->addWidget(Value, Row, 1);
    ++Row;
    return Value;
  };
  ImportFile = AddFact("ImportFileLbl", QStringLiteral("Import File"), "ImportFile");
  ImportFile->setWordWrap(true);
  ImportFile->setMinimumWidth(360);
  ImportFormat = AddFact("ImportFormatLbl", QStringLiteral("Data Format"), "ImportFormat");
  Units = AddFact("UnitsLbl", QStringLiteral("Data Units"), "Units");
  Station = AddFact("StationLbl", QStringLiteral("Weather Station"), "Station");
  Dates = AddFact("DatesLbl", QStringLiteral("Dates"), "Dates");
  Facts->setColumnStretch(1, 1);
  Layout->addLayout(Facts);

  auto* KindsBox = new QGroupBox(this);
  auto* Kinds = new QGridLayout(KindsBox);
  auto AddKind = [&](const char* Name, const QString& Caption, int R, int C) {
    auto* Box = new QCheckBox(Caption, KindsBox);
    Box->setObjectName(QLatin1String(Name));
    Kinds->addWidget(Box, R, C);
    return Box;
  };
  TempCheckBox = AddKind("TempCheckBox", QStringLiteral("Import Temperature"), 0, 0);
  RainfallCheckBox = AddKind("RainfallCheckBox", QStringLiteral("Import Precipitation"), 1, 0);
  WindCheckBox = AddKind("WindCheckBox", QStringLiteral("Import Wind Speed"), 2, 0);
  HumidityCheckBox = AddKind("HumidityCheckBox", QStringLiteral("Import Humidity"), 0, 1);
  NotesCheckBox = AddKind("NotesCheckBox", QStringLiteral("Import Notes"), 1, 1);
  IrrigationCheckBox = AddKind("IrrigationCheckBox", QStringLiteral("Import Irrigation"), 2, 1);
  Layout->addWidget(KindsBox);

  auto* DatesBox = new QGroupBox(this);
  DatesBox->setObjectName(QStringLiteral("DatesRadioGroup"));
  auto* DatesGrid = new QGridLayout(DatesBox);
  FDatesRadioGroup = new QButtonGroup(this);
  AllDatesButton = new QRadioButton(QStringLiteral("Import All Dates"), DatesBox);
  RangeOfDatesButton = new QRadioButton(QStringLiteral("Import Range Of Dates"), DatesBox);
  FDatesRadioGroup->addButton(AllDatesButton, 0);
  FDatesRadioGroup->addButton(RangeOfDatesButton, 1);
  AllDatesButton->setChecked(true);
  auto* StartDateLbl = new QLabel(QStringLiteral("Starting Date"), DatesBox);
  StartDateLbl->setObjectName(QStringLiteral("StartDateLbl"));
  auto* EndDateLbl = new QLabel(QStringLiteral("Ending Date"), DatesBox);
  EndDateLbl->setObjectName(QStringLiteral("EndDateLbl"));
  StartDateCombo = new TListCombo(DatesBox);
  StartDateCombo->setObjectName(QStringLiteral("StartDateCombo"));
  EndDateCombo = new TListCombo(DatesBox);
  EndDateCombo->setObjectName(QStringLiteral("EndDateCombo"));
  StartDateLbl->setBuddy(StartDateCombo);
  EndDateLbl->setBuddy(EndDateCombo);
  DatesGrid->addWidget(AllDatesButton, 0, 0, 1, 2);
  DatesGrid->addWidget(RangeOfDatesButton, 1, 0, 1, 2);
  DatesGrid->addWidget(StartDateLbl, 2, 0);
  DatesGrid->addWidget(StartDateCombo, 2, 1);
  DatesGrid->addWidget(EndDateLbl, 3, 0);
  DatesGrid->addWidget(EndDateCombo, 3, 1);
  DatesGrid->setColumnStretch(1, 1);
  Layout->addWidget(DatesBox);

  OnlyMissingCheckBox = new QCheckBox(QStringLiteral("Fill In Only Missing Data"), this);
  OnlyMissingCheckBox->setObjectName(QStringLiteral("OnlyMissingCheckBox"));
  Layout->addWidget(OnlyMissingCheckBox);

  AddOKCancelRow(this, Layout, OKButton, CancelButton);

  connect(FDatesRadioGroup, &QButtonGroup::idClicked, this, &TImportWeatherDlg::DatesRadioGroupClick);
  connect(OKButton, &QPushButton::clicked, this, &TImportWeatherDlg::OKBtnClick);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
  DatesRadioGroupClick();
}

TImportWeatherDlg::~TImportWeatherDlg() {
  DisconnectChildren(this);
}

void TImportWeatherDlg::SetImportData(const TImportedWeather& Weather, const QString& SourceText, bool FieldMetric,
                                      const TFormatSettings& UserFormat) {
  ImportFile->setText(SourceText);
  ImportFormat->setText(Weather.SourceName);
  QString UnitsText = Weather.Metric ? QStringLiteral("Metric") : QStringLiteral("U.S.");
  if (Weather.Metric != FieldMetric) UnitsText += QStringLiteral("  [Note: will convert]");
  Units->setText(UnitsText);
  Station->setText(Weather.StationName);

  // A kind the source does not have cannot be imported: its box stays unticked.
  for (int Kind = 0; Kind < WeatherKindCount; ++Kind) {
    QCheckBox* Box = KindCheckBox(Kind);
    Box->setEnabled(Weather.Has[Kind]);
    Box->setChecked(Weather.Has[Kind] && Weather.Use[Kind]);
  }

  StartDateCombo->clear();
  EndDateCombo->clear();
  QStringList DateTexts;
  for (int Line = 0; Line < Weather.Count(); ++Line) {
    QDate Date;
    DateTexts << (Weather.TryGetDayDate(Line, Date) ? DateToStr(Date, UserFormat) : Weather.Names(Line));
  }
  StartDateCombo->addItems(DateTexts);
  EndDateCombo->addItems(DateTexts);
  StartDateCombo->setCurrentIndex(-1);
  EndDateCombo->setCurrentIndex(-1);
  Dates->setText(DateTexts.isEmpty() ? QString() : DateTexts.constFirst() + QStringLiteral(" - ") + DateTexts.constLast());
  DatesRadioGroupClick();
}

QCheckBox* TImportWeatherDlg::KindCheckBox(int Kind) const {
  switch (Kind) {
    case wkTemperature: return TempCheckBox;
    case wkPrecipitation: return RainfallCheckBox;
    case wkWind: return WindCheckBox;
    case wkHumidity: return HumidityCheckBox;
    case wkNotes: return NotesCheckBox;
    case wkIrrigation: return IrrigationCheckBox;
    default: return nullptr;
  }
}

int TImportWeatherDlg::DatesRadioGroupIndex() const { return RangeOfDatesButton->isChecked() ? 1 : 0; }

void TImportWeatherDlg::SetDatesRadioGroupIndex(int Index) {
  (Index == 1 ? RangeOfDatesButton : AllDatesButton)->setChecked(true);
  DatesRadioGroupClick();
}

TWeatherImportChoice TImportWeatherDlg::Choice() const {
  TWeatherImportChoice Result;
  for (int Kind = 0; Kind < WeatherKindCount; ++Kind) {
    const QCheckBox* Box = KindCheckBox(Kind);
    Result.Kinds[size_t(Kind)] = Box->isEnabled() && Box->isChecked();
  }
  Result.AllDates = DatesRadioGroupIndex() == 0;
  Result.FirstLine = StartDateCombo->currentIndex();
  Result.LastLine = EndDateCombo->currentIndex();
  Result.OnlyMissing = OnlyMissingCheckBox->isChecked();
  return Result;
}

void TImportWeatherDlg::DatesRadioGroupClick() {
  const bool Range = DatesRadioGroupIndex() == 1;
  StartDateCombo->setEnabled(Range);
  EndDateCombo->setEnabled(Range);
  if (!Range) return;
  // The range starts as the first day alone.
  for (QComboBox* Combo : {StartDateCombo, EndDateCombo}) {
    if (Combo->currentIndex() < 0 && Combo->count() > 0) Combo->setCurrentIndex(0);
  }
}

void TImportWeatherDlg::OKBtnClick() {
  const TWeatherImportChoice C = Choice();
  if (std::none_of(C.Kinds.begin(), C.Kinds.end(), [](bool Kind) { return Kind; })) {
    MessageDlg(this, QStringLiteral("\nYou must check at least one box of data to import.\n"), TMsgDlgType::Error);
    return;
  }
  if (!C.AllDates && C.FirstLine > C.LastLine) {
    MessageDlg(this, QStringLiteral("\nStarting date can't come after ending date.\n"), TMsgDlgType::Error);
    return;
  }
  accept();
}
