#include "ShlUtil.h"

#include "MsgDlg.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>
#include <QVariant>
#include <QWidget>

namespace {

TShellOpener& Opener() {
  static TShellOpener Instance;
  return Instance;
}

QString& HelpFile() {
  static QString Name;
  return Name;
}

constexpr const char* HelpContextProperty = "furrowHelpContext";

#if !defined(Q_OS_WIN) && !defined(Q_OS_MACOS)
// What xdg-mime answers to Args; empty when it does not answer in time.
QString XdgMime(const QString& Program, const QStringList& Args) {
  QProcess Process;
  Process.start(Program, Args);
  if (!Process.waitForFinished(5000)) {
    Process.kill();
    Process.waitForFinished(1000);
    return QString();
  }
  return QString::fromLocal8Bit(Process.readAllStandardOutput()).trimmed();
}

// The desktop's opener starts even when no program handles the file and then fails
// out of sight; asking first tells the caller. Without xdg-mime the answer is yes.
bool DesktopHasHandler(const QString& LocalFile) {
  const QString Program = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
  if (Program.isEmpty()) return true;
  const QString Type = XdgMime(Program, {QStringLiteral("query"), QStringLiteral("filetype"), LocalFile});
  return Type.isEmpty() || !XdgMime(Program, {QStringLiteral("query"), QStringLiteral("default"), Type}).isEmpty();
}
#else
bool DesktopHasHandler(const QString&) { return true; }
#endif

bool DesktopOpen(const QString& Target, const QString& Params, const QString& Folder) {
  if (!Params.isEmpty()) {
    return QProcess::startDetached(Target, QProcess::splitCommand(Params), Folder);
  }
  const QUrl Url = QUrl::fromUserInput(Target, Folder.isEmpty() ? QDir::currentPath() : Folder,
                                       QUrl::AssumeLocalFile);
  if (!Url.isValid()) return false;
  if (Url.isLocalFile() && !DesktopHasHandler(Url.toLocalFile())) return false;
  return QDesktopServices::openUrl(Url);
}

// F1 in any widget opens the help context of the focused one.
class THelpKeyFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    if (Event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(Event)->key() == Qt::Key_F1 &&
        Watched->isWidgetType()) {
      QWidget* Focus = QApplication::focusWidget();
      QWidget* Widget = Focus ? Focus : static_cast<QWidget*>(Watched);
      const int Context = HelpContextOf(Widget);
      ShowHelpContext(Context > 0 ? Context : HelpContext::Contents, Widget->window());
      return true;
    }
    return QObject::eventFilter(Watched, Event);
  }
};

}  // namespace

bool ShellOpen(const QString& Target, const QString& Params, const QString& Folder) {
  if (Target.isEmpty() || Target.size() > ShellOpenMaxTarget || Params.size() > ShellOpenMaxParams ||
      Folder.size() > ShellOpenMaxFolder)
    return false;
  return Opener() ? Opener()(Target, Params, Folder) : DesktopOpen(Target, Params, Folder);
}

TShellOpener SetShellOpener(TShellOpener NewOpener) {
  TShellOpener Old = std::move(Opener());
  Opener() = std::move(NewOpener);
  return Old;
}

QString WebPageNotOpenedText(const QString& Address) {
  return QStringLiteral("\nThe Web browser could not be opened.\n\nTo see the page, open this address in your "
                        "Web browser:\n\n") +
         Address + QStringLiteral("\n");
}

bool OpenWebPage(QWidget* Parent, const QString& Address) {
  if (ShellOpen(Address, QString(), QString())) return true;
  MessageDlg(Parent, WebPageNotOpenedText(Address), TMsgDlgType::Error);
  return false;
}

void SetApplicationHelpFile(const QString& FileName) { HelpFile() = FileName; }

QString HelpContextUrl(int Context) {
  QUrl Url = QUrl::fromLocalFile(QDir::cleanPath(QDir::current().absoluteFilePath(HelpFile())));
  Url.setFragment(QStringLiteral("ctx") + QString::number(Context));
  return Url.toString();
}

void ShowHelpContext(int Context, QWidget* Parent) {
  if (HelpFile().isEmpty()) return;
  OpenWebPage(Parent, HelpContextUrl(Context));
}

void SetHelpContext(QWidget* Widget, int Context) {
  if (Widget) Widget->setProperty(HelpContextProperty, Context);
}

int HelpContextOf(const QWidget* Widget) {
  for (const QWidget* W = Widget; W; W = W->parentWidget()) {
    const QVariant Value = W->property(HelpContextProperty);
    if (Value.isValid() && Value.toInt() > 0) return Value.toInt();
  }
  return 0;
}

void InstallHelpKey(QObject* Application) {
  if (!Application) return;
  Application->installEventFilter(new THelpKeyFilter(Application));
}

void DisconnectChildren(QObject* Owner) {
  for (QObject* Child : Owner->findChildren<QObject*>()) QObject::disconnect(Child, nullptr, Owner, nullptr);
}

QPushButton* NewDialogButton(QWidget* Dialog, const QString& Caption, const char* Name, bool IsDefault) {
  auto* Button = new QPushButton(Caption, Dialog);
  Button->setObjectName(QLatin1String(Name));
  if (IsDefault) {
    Button->setDefault(true);
  } else {
    Button->setAutoDefault(false);
  }
  return Button;
}

void AddOKCancelRow(QWidget* Dialog, QBoxLayout* Layout, QPushButton*& OK, QPushButton*& Cancel,
                    QPushButton** Help) {
  auto* Row = new QHBoxLayout;
  Row->addStretch(1);
  OK = NewDialogButton(Dialog, QStringLiteral("OK"), "OKBtn", true);
  Cancel = NewDialogButton(Dialog, QStringLiteral("Cancel"), "CancelBtn");
  if (Help) *Help = NewDialogButton(Dialog, QStringLiteral("Help"), "HelpBtn");
  Row->addWidget(OK);
  Row->addWidget(Cancel);
  if (Help) Row->addWidget(*Help);
  Layout->addLayout(Row);
}

TBusyCursor::TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

TBusyCursor::~TBusyCursor() { QApplication::restoreOverrideCursor(); }
