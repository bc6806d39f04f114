#include "SvAbout.h"

#include "ShlUtil.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

const char* const UpdateCheckPage = "https://furrow.example.org/zodozizavo/irrigation/CheckForUpdates.html";

QString UpdateCheckAddress(const TProgramVersionInfo& Version) {
  // The key "InternalName" carries the product name.
  return QLatin1String(UpdateCheckPage) + QStringLiteral("?InternalName=") +
         QString::fromLatin1(QUrl::toPercentEncoding(Version.ProductName)) + QStringLiteral("&FileVersion=") +
         QString::fromLatin1(QUrl::toPercentEncoding(Version.FileVersion));
}

TAboutBox::TAboutBox(QWidget* Parent, const TProgramVersionInfo& VersionInfo) : QDialog(Parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("About"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto* Layout = new QVBoxLayout(this);
  auto* Panel = new QGridLayout;
  Panel->setHorizontalSpacing(16);
  ProgramIcon = new QLabel(this);
  ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
  const QIcon Icon = QApplication::windowIcon().isNull() ? style()->standardIcon(QStyle::SP_DesktopIcon)
                                                         : QApplication::windowIcon();
  ProgramIcon->setPixmap(Icon.pixmap(48, 48));
  auto MakeLabel = [this](const char* Name, const QString& Text) {
    auto* Label = new QLabel(Text, this);
    Label->setObjectName(QLatin1String(Name));
    Label->setWordWrap(true);
    return Label;
  };
  ProductName = MakeLabel("ProductName", VersionInfo.ProductName);
  QFont Bold = ProductName->font();
  Bold.setBold(true);
  Bold.setPointSizeF(Bold.pointSizeF() * 1.3);
  ProductName->setFont(Bold);
  Version = MakeLabel("Version", QStringLiteral("Version ") + VersionInfo.ProductVersion);
  Copyright = MakeLabel("Copyright", VersionInfo.LegalCopyright);
  Comments = MakeLabel("Comments", VersionInfo.Comments);
  Panel->addWidget(ProgramIcon, 0, 0, 3, 1, Qt::AlignTop);
  Panel->addWidget(ProductName, 0, 1);
  Panel->addWidget(Version, 1, 1);
  Panel->addWidget(Copyright, 2, 1);
  Panel->addWidget(Comments, 3, 0, 1, 2);
  Panel->setColumnStretch(1, 1);
  Layout->addLayout(Panel);

  auto* Buttons = new QHBoxLayout;
  UpdatesButton = NewDialogButton(this, QStringLiteral("Check for Updates"), "UpdatesButton");
  UpdatesButton->setToolTip(UpdateCheckAddress(VersionInfo));
  OKButton = NewDialogButton(this, QStringLiteral("OK"), "OKButton", true);
  Buttons->addWidget(UpdatesButton);
  Buttons->addStretch(1);
  Buttons->addWidget(OKButton);
  Layout->addLayout(Buttons);
  setMinimumWidth(360);

  connect(UpdatesButton, &QPushButton::clicked, this, &TAboutBox::UpdatesButtonClick);
  // OK is also the escape button: both close the box.
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

TAboutBox::~TAboutBox() {
  DisconnectChildren(this);
}

void TAboutBox::UpdatesButtonClick() { OpenWebPage(this, UpdatesButton->toolTip()); }
