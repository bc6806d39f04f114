// Furrow: irrigation and nitrogen scheduling for one field.
#include "ShlUtil.h"
#include "SoapBindings.h"
#include "SovToExcel.h"
#include "SvMain.h"
#include "VersInfo.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char** argv) {
  // The web-service bindings enter their types and service descriptions first.
  RegisterSoapBindings();
  QApplication App(argc, argv);
  const TProgramVersionInfo Version;
  QApplication::setApplicationName(Version.ProductName);
  QApplication::setApplicationVersion(Version.ProductVersion);
  InstallHelpKey(&App);
  // Workbooks that earlier charts left for the spreadsheet program are no longer open.
  RemoveOldChartWorkbooks();

  TMainForm MainForm(TMainFormEnvironment::Default());
  MainForm.show();
  const QStringList Args = QApplication::arguments();
  if (!MainForm.StartUpProgram(Args.size() > 1 ? Args.at(1) : QString())) return 1;
  return App.exec();
}
