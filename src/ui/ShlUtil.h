#pragma once
// Small desktop services shared by the windows: opening a web page or file with the
// desktop's default program, the help file and its context numbers, and the busy
// cursor shown while a command works.

#include <QString>

#include <functional>

class QBoxLayout;
class QObject;
class QPushButton;
class QWidget;

// ---------------------------------------------------------------------------
// Shell open
// ---------------------------------------------------------------------------

constexpr int ShellOpenMaxTarget = 1000;
constexpr int ShellOpenMaxParams = 260;
constexpr int ShellOpenMaxFolder = 260;

// Opens Target (a web address, a file or a program) with its default action. Params
// (arguments for a program) and Folder (its working folder, or the folder a relative
// target is taken from) may be empty. A target over 1000 characters or parameters or a
// folder over 260 are refused. True when the desktop took the request.
bool ShellOpen(const QString& Target, const QString& Params, const QString& Folder);

// Replaces what ShellOpen hands the request to (tests record it instead of starting a
// browser); an empty function restores the desktop. Returns the previous one.
using TShellOpener = std::function<bool(const QString& Target, const QString& Params, const QString& Folder)>;
TShellOpener SetShellOpener(TShellOpener Opener);

// Opens the page Address in the browser (ShellOpen). When the desktop does not take it,
// an error box over Parent says so and shows the address, so that the user can open it
// by hand. True when the desktop took it.
bool OpenWebPage(QWidget* Parent, const QString& Address);
// The text of that box.
QString WebPageNotOpenedText(const QString& Address);

// ---------------------------------------------------------------------------
// Help
// ---------------------------------------------------------------------------

// Anchors of the help file ("#ctx" + number).
namespace HelpContext {
constexpr int Contents = 1;
constexpr int FieldPage = 100;
constexpr int WeatherPage = 200;
constexpr int WebImport = 250;
constexpr int Commands = 300;
constexpr int Preview = 400;
constexpr int Editors = 500;  // event editors and options
constexpr int Soil = 600;
}  // namespace HelpContext

// The help file used by ShowHelpContext and the F1 key (an HTML file beside the program).
void SetApplicationHelpFile(const QString& FileName);
// The address ShowHelpContext opens: the help file's URL with the anchor "ctx" + Context.
QString HelpContextUrl(int Context);
// Opens that address with OpenWebPage, its box over Parent.
void ShowHelpContext(int Context, QWidget* Parent = nullptr);

// A widget's help context; widgets without one use their parent's.
void SetHelpContext(QWidget* Widget, int Context);
// The context of Widget or its nearest parent that has one; 0 when none has.
int HelpContextOf(const QWidget* Widget);

// Makes F1 open the help context of the focused widget (the contents when it has
// none) in every window of the application.
void InstallHelpKey(QObject* Application);

// ---------------------------------------------------------------------------
// Dialogs
// ---------------------------------------------------------------------------

// Cuts every connection from Owner's children to Owner. A dialog calls it in its
// destructor: its controls outlive that part of it (the base classes destroy them) and
// may still signal, for instance when they lose the focus.
void DisconnectChildren(QObject* Owner);

// A button of Dialog named Name. With IsDefault it is the dialog's default button;
// otherwise it never becomes the default, not even while it has the focus.
QPushButton* NewDialogButton(QWidget* Dialog, const QString& Caption, const char* Name, bool IsDefault = false);

// The usual foot of a dialog, added to Layout: right-aligned OK (the default button),
// Cancel and, when Help is given, Help, named "OKBtn", "CancelBtn" and "HelpBtn". The
// caller connects them.
void AddOKCancelRow(QWidget* Dialog, QBoxLayout* Layout, QPushButton*& OK, QPushButton*& Cancel,
                    QPushButton** Help = nullptr);

// ---------------------------------------------------------------------------
// Busy cursor
// ---------------------------------------------------------------------------

// Shows the hourglass for its own lifetime.
class TBusyCursor {
 public:
  TBusyCursor();
  ~TBusyCursor();
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
};
