#pragma once
// "Import Web Data": the account name and password of the weather-station service,
// typed for each import and never stored.

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

class TImportUserDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TImportUserDlg(QWidget* Parent = nullptr);
  ~TImportUserDlg() override;

  QString UserName() const;
  QString Password() const;
  void SetAccount(const QString& User, const QString& Password);

  QLineEdit* UserEdit = nullptr;
  QLineEdit* PasswordEdit = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;

 public slots:
  // Refused, silently, while either box is empty.
  void OKBtnClick();
};
