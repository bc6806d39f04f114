// Furrow: irrigation and nitrogen scheduling for one field.
//
// The desktop window is not built yet; for now the program loads its lookup file the
// way the window will at start-up and says what it found.
#include "SovLookup.h"
#include "Version.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char** argv) {
  QCoreApplication App(argc, argv);
  QCoreApplication::setApplicationName(FURROW_PRODUCT_NAME);
  QCoreApplication::setApplicationVersion(FURROW_VERSION);

  QTextStream Out(stdout);
  QTextStream Err(stderr);
  Out << FURROW_PRODUCT_NAME << " " << FURROW_VERSION << "\n";

  TSovLookup Lookup;
  QString Msg;
  const QString LookupFile = QDir(QCoreApplication::applicationDirPath()).filePath("SovLookup.ini");
  if (!Lookup.LoadFromFile(LookupFile, Msg)) {
    Err << Msg << "\n";
    return 1;
  }
  Out << "Lookup file " << QDir::toNativeSeparators(Lookup.FileName()) << ": " << Lookup.RegionName()
      << ", " << Lookup.CropCount() << " crops, " << Lookup.LocationCount() << " locations, "
      << Lookup.FertilizerCount() << " fertilizers, " << Lookup.ManureCount() << " manures.\n";
  Out << "The program's window is not built yet; the model and its tests are.\n";
  return 0;
}
