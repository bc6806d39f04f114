#pragma once
// The program's own version block: product and file names, versions, copyright. It is
// compiled in from the build (Version.h) and read once at start; the window title, the
// settings file's name and place, saved field files and the about box use it.

#include <QString>

class TProgramVersionInfo {
 public:
  // The running program's block.
  TProgramVersionInfo();

  QString Comments;
  QString CompanyName;
  QString FileDescription;
  QString FileVersion;
  QString InternalName;
  QString LegalCopyright;
  QString LegalTrademarks;
  QString OriginalFilename;
  QString ProductName;
  QString ProductVersion;
  QString Programmer;
};
