#pragma once
// The about box: the program's name, version, copyright and comments, and a button
// that opens the maker's update-check page for this version in the browser.

#include "VersInfo.h"

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

// The update-check page; the product name and file version go into its query.
extern const char* const UpdateCheckPage;

// The update-check address of a version block.
QString UpdateCheckAddress(const TProgramVersionInfo& Version);

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  TAboutBox(QWidget* Parent, const TProgramVersionInfo& Version);
  ~TAboutBox() override;

  QLabel* ProgramIcon = nullptr;
  QLabel* ProductName = nullptr;
  QLabel* Version = nullptr;
  QLabel* Copyright = nullptr;
  QLabel* Comments = nullptr;
  QPushButton* UpdatesButton = nullptr;  // its hint holds the update-check address
  QPushButton* OKButton = nullptr;

 public slots:
  // Opens the address held in the button's hint.
  void UpdatesButtonClick();
};
