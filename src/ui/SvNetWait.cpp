#include "SvNetWait.h"

#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>
#include <memory>

TNetWaitDlg::TNetWaitDlg(QWidget* Parent, TNetProgress& Progress) : QDialog(Parent), FProgress(Progress) {
  setObjectName(QStringLiteral("NetWaitDlg"));
  setWindowTitle(QStringLiteral("Please Wait"));
  setWindowModality(Qt::ApplicationModal);
  auto* Layout = new QVBoxLayout(this);
  StepLabel = new QLabel(this);
  StepLabel->setObjectName(QStringLiteral("StepLabel"));
  StepLabel->setMinimumWidth(360);
  StepLabel->setWordWrap(true);
  auto* Bar = new QProgressBar(this);
  Bar->setRange(0, 0);  // busy: the length of a reply is rarely known
  CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  Layout->addWidget(StepLabel);
  Layout->addWidget(Bar);
  Layout->addWidget(CancelBtn, 0, Qt::AlignHCenter);
  connect(CancelBtn, &QPushButton::clicked, this, &TNetWaitDlg::reject);
  // The worker changes the step; the dialog looks at it a few times a second.
  FTimer = new QTimer(this);
  connect(FTimer, &QTimer::timeout, this, &TNetWaitDlg::ShowStep);
  FTimer->start(100);
  ShowStep();
}

TNetWaitDlg::~TNetWaitDlg() = default;

void TNetWaitDlg::ShowStep() {
  if (FProgress.Cancelled()) return;
  const QString Step = FProgress.Step();
  StepLabel->setText((Step.isEmpty() ? QStringLiteral("Waiting for the server") : Step) + QStringLiteral("..."));
}

void TNetWaitDlg::reject() {
  FProgress.Cancel();
  StepLabel->setText(QStringLiteral("Cancelling..."));
  CancelBtn->setEnabled(false);
}

TFetchEnd RunNetFetch(QWidget* Parent, TNetProgress& Progress, const std::function<bool(QString& Msg)>& Fetch,
                      QString& Msg) {
  bool Ok = false;
  QString WorkerMsg;
  const std::unique_ptr<QThread> Worker(QThread::create([&Fetch, &Ok, &WorkerMsg] {
    try {
      Ok = Fetch(WorkerMsg);
    } catch (const std::exception& Error) {
      Ok = false;
      WorkerMsg = QString::fromUtf8(Error.what());
    } catch (...) {
      Ok = false;
      WorkerMsg = QStringLiteral("Unexpected error.");
    }
  }));
  {
    TNetWaitDlg Dialog(Parent, Progress);
    QEventLoop Loop;
    QObject::connect(Worker.get(), &QThread::finished, &Loop, &QEventLoop::quit);
    Worker->start();
    Dialog.show();
    if (!Worker->isFinished()) Loop.exec();
    Worker->wait();
  }
  Msg = WorkerMsg;
  if (Progress.Cancelled()) return TFetchEnd::Cancelled;
  return Ok ? TFetchEnd::Done : TFetchEnd::Failed;
}
