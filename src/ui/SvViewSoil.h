#pragma once
// "View Soil Data": the field's soil horizons in a grid (one row a horizon, depths in cm
// or inches as the field's units, every other value as stored), editable; OK checks
// every row, stores the horizons in the field and recomputes the field's water-holding
// capacity for the main window.

#include "SovFile.h"

#include <QDialog>
#include <QString>

#include <array>
#include <functional>

class QPushButton;
class QTableWidget;

// What the dialog reads from and writes to the main window.
struct TViewSoilHost {
  bool IsMetric = false;     // the metric box
  QString RootingDepthText;  // the rooting depth box, as typed
  int Location = 0;          // the location list's index (0 none)
  QString WaterCapacityCaption = QStringLiteral("Water Holding Capacity");
  QString RootingDepthCaption = QStringLiteral("Rooting Depth");
  std::function<void(const QString&)> SetWaterCapacity;
  std::function<void()> SetModified;
};

class TViewSoilDlg : public QDialog {
  Q_OBJECT

 public:
  // Grid rows: 0 headings, 1 units, n + 1 horizon n. Grid column 0 is the horizon
  // number, columns 1-13 the field's horizon columns 32-44.
  static constexpr int HeaderRows = 2;
  static constexpr int RowCount = HeaderRows + MaxHorizons;
  static constexpr int ColCount = 1 + HorizonValueCount;

  explicit TViewSoilDlg(QWidget* Parent = nullptr);
  ~TViewSoilDlg() override;

  // Fills the grid from the field's horizons. Every horizon that holds data is shown in
  // its own row. The field must outlive the dialog.
  void SetSoilData(TSovFile& Field, const TViewSoilHost& Host);
  // True when a grid value differs from the field.
  bool SoilDataChanged() const;

  QString Cell(int Row, int Col) const;
  void SetCell(int Row, int Col, const QString& Text);

  QTableWidget* HorizonGrid = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;
  QPushButton* HelpBtn = nullptr;

 public slots:
  // Checks every row that holds data; on the first failure an error box, the offending
  // cell focused and the dialog left open. Then stores a changed grid (rows with data
  // moved up over empty ones) and recomputes the water-holding capacity.
  void OKBtnClick();
  void CancelBtnClick();
  void HelpBtnClick();

 private:
  bool RowHasData(int Horizon) const;
  // The depth of a horizon's row in cm, as it would be stored.
  QString DepthCm(int Horizon) const;
  bool Fail(int Horizon, int GridCol, const QString& Text);
  void UpdateWaterCapacity();

  TSovFile* FField = nullptr;
  TViewSoilHost FHost;
  // Per horizon, the depth as shown and as stored: an unchanged depth is kept exactly,
  // though its inches would not give back the same whole centimetres.
  std::array<QString, MaxHorizons> FShownDepth;
  std::array<QString, MaxHorizons> FStoredDepth;
};
