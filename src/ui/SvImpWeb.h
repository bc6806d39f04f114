#pragma once
// "Import Web Data": the list of web sources to import weather from: the weather
// sources of the lookup tables in their order, then the weather-station service and
// the forecast service.

#include <QDialog>
#include <QString>
#include <QStringList>

class QListWidget;
class QListWidgetItem;
class QPushButton;

class TImportWebDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TImportWebDlg(QWidget* Parent = nullptr);
  ~TImportWebDlg() override;

  // Lists the lookup sources' descriptions (Names are their identifiers, in the same
  // order), then the two services; the source named Selected (compared without regard
  // to case) is preselected.
  void SetSources(const QStringList& Names, const QStringList& Descriptions, const QString& Selected);

  // The chosen entry: 0-based index of a lookup source, or one of the two below; -1
  // when nothing is selected.
  int SelectedIndex() const;
  int MetosIndex() const { return int(FNames.size()); }
  int ForecastIndex() const { return int(FNames.size()) + 1; }
  // The identifier of the chosen lookup source; empty for the services or none.
  QString SelectedSource() const;

  QListWidget* SourceListBox = nullptr;
  QPushButton* OKButton = nullptr;
  QPushButton* CancelButton = nullptr;
  QPushButton* HelpButton = nullptr;

  static const char* const MetosCaption;     // "iMETOS ag Weather Station"
  static const char* const ForecastCaption;  // "U.S. National Weather Service Forecast"

 public slots:
  // Refused, silently, while no entry is selected.
  void OKBtnClick();
  void SourceListBoxDblClick(QListWidgetItem* Item);
  void HelpBtnClick();

 private:
  QStringList FNames;
};
