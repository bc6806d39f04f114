#pragma once
// Running a download or web-service call without freezing the window: the call runs on
// a worker thread while a small modal dialog repaints, shows what is being waited for
// and offers Cancel, which stops the transfer at once.

#include "NetProgress.h"

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QPushButton;
class QTimer;

// The dialog shown while a fetch runs. Cancel, Escape and closing the window all
// cancel the fetch; the dialog goes away when the fetch has ended.
class TNetWaitDlg : public QDialog {
  Q_OBJECT

 public:
  TNetWaitDlg(QWidget* Parent, TNetProgress& Progress);
  ~TNetWaitDlg() override;

  QLabel* StepLabel = nullptr;
  QPushButton* CancelBtn = nullptr;

 public slots:
  void reject() override;  // cancels instead of closing

 private:
  void ShowStep();
  TNetProgress& FProgress;
  QTimer* FTimer = nullptr;
};

// How RunNetFetch ended.
enum class TFetchEnd { Done, Failed, Cancelled };

// Runs Fetch on a worker thread, with the wait dialog over Parent until it returns.
// Fetch does the transfers (with Progress set in their options) and fills Msg when it
// fails; it must not touch widgets, and nothing else may touch what it uses until this
// returns. Done when Fetch returned True; Cancelled when the user cancelled (whatever
// Fetch returned, Msg then says nothing worth showing); Failed otherwise. An exception
// from Fetch is a failure with its message.
TFetchEnd RunNetFetch(QWidget* Parent, TNetProgress& Progress, const std::function<bool(QString& Msg)>& Fetch,
                      QString& Msg);
