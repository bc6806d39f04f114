#pragma once
// The station picker: the weather stations of a web source as a grid of name,
// identifier, distance and direction, sortable by any column; one station is chosen,
// or with interpolation 2 to 10 marked ones. It can show the field and the stations on
// the maker's station map page.
//
// Rows are numbered as the grid shows them: row 0 is the header, row 1 a note row and
// station i of the list (0-based) row i + 2. Filled without a station list (plain
// mode), the stations start at row 1 and there is no note row, sorting or marking.

#include "ImpStations.h"
#include "ImpWeathInterp.h"
#include "MiscUtil.h"

#include <QDialog>
#include <QString>
#include <QStringList>

class QCheckBox;
class QPushButton;
class QTableWidget;

// The station map page; the field and the stations go into its query.
extern const char* const StationMapPage;

class TImportStationDlg : public QDialog {
  Q_OBJECT

 public:
  TImportStationDlg(QWidget* Parent, const TFormatSettings& UserFormat);
  ~TImportStationDlg() override;

  // The list shown (owned by the caller, who keeps it alive while the dialog lives).
  void SetStations(TImportedStations* List);
  TImportedStations* Stations() const { return FStations; }
  // Plain mode: one row per station, its display text and identifier.
  void SetPlainStations(const QStringList& Displays, const QStringList& IDs);

  int SortColumn = 0;  // 0 name, 1 identifier, 2 distance, 3 direction
  bool SortAscending = true;
  // The main window's latitude and longitude boxes, as typed, for the map.
  QString FieldLatitude;
  QString FieldLongitude;

  void FillStationGrid();
  void SortStations();
  void UpdateSelectionNote();
  bool IsRowSelected(int Row) const;
  void SetRowSelected(int Row, bool On);

  // Interpolation as the caller sets it up: the box without its click effect; switched
  // on, the list is sorted by distance (marks are then the caller's).
  void SetInterpolation(bool On);
  bool Interpolating() const;

  // The grid by its own row numbers.
  int RowCount() const;
  QString Cell(int Row, int Col) const;
  int CurrentRow() const;
  void SetCurrentRow(int Row);
  // The first station row whose identifier is StationID; 0 when none.
  int RowOfStation(const QString& StationID) const;

  // Results: the current row's identifier and name (without a mark); the marked
  // stations in grid order, with their distances.
  QString SelectedStationID() const;
  QString SelectedStationName() const;
  QStringList MarkedStationIDs() const;
  TStationRecArray MarkedStations() const;
  // The address View Map opens; empty when the field's position is not given.
  QString MapAddress() const;

  QTableWidget* StationGrid = nullptr;
  QCheckBox* InterpCheckBox = nullptr;
  QPushButton* ViewMapBtn = nullptr;
  QPushButton* OKButton = nullptr;
  QPushButton* CancelButton = nullptr;

 public slots:
  // A left-button press on the header cell of column Col: sorts by it.
  void StationGridMouseDown(int Col);
  void StationGridDblClick();
  void InterpCheckBoxClick();
  void OKBtnClick();
  void ViewMapBtnClick();

 private:
  int FirstStationRow() const { return FPlain ? 1 : 2; }
  void SetCell(int Row, int Col, const QString& Text);
  int MarkedCount() const;

  TFormatSettings FUserFormat;
  TImportedStations* FStations = nullptr;
  bool FPlain = false;
};
