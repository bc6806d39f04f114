#include "VersInfo.h"

#include "Version.h"

TProgramVersionInfo::TProgramVersionInfo()
    : Comments(QStringLiteral(FURROW_DESCRIPTION)),
      CompanyName(QStringLiteral(FURROW_COMPANY_NAME)),
      FileDescription(QStringLiteral(FURROW_DESCRIPTION)),
      FileVersion(QStringLiteral(FURROW_VERSION)),
      InternalName(QStringLiteral(FURROW_PROGRAM_NAME)),
      LegalCopyright(QStringLiteral(FURROW_COPYRIGHT)),
      OriginalFilename(QStringLiteral(FURROW_PROGRAM_NAME)),
      ProductName(QStringLiteral(FURROW_PRODUCT_NAME)),
      ProductVersion(QStringLiteral(FURROW_VERSION)) {}
