// The About and Options commands of the main window.
#include "DialogTestSupport.h"
#include "ShlUtil.h"
#include "SvAbout.h"
#include "SvOption.h"

namespace {

TEST(AboutOptions, AboutBoxAndUpdateCheck) {
  TProgramFolder Folder;
  TMessageRecorder Msgs;
  auto Form = Folder.Started();
  const TProgramVersionInfo& V = Form->VersionInfo();
  ASSERT_FALSE(V.ProductName.isEmpty() || V.FileVersion.isEmpty());
  QStringList Opened;
  SetShellOpener([&Opened](const QString& Target, const QString& Params, const QString& Folder) {
    EXPECT_TRUE(Params.isEmpty() && Folder.isEmpty());
    Opened << Target;
    return true;
  });
  Form->ExecDialogFunc = [&](QDialog& Dialog) {
    auto* Box = dynamic_cast<TAboutBox*>(&Dialog);
    EXPECT_NE(Box, nullptr);
    if (!Box) return 0;
    EXPECT_EQ(QStringList({Box->windowTitle(), Box->ProductName->text(), Box->Version->text(), Box->Copyright->text(),
                           Box->Comments->text()}),
              QStringList({"About", V.ProductName, "Version " + V.ProductVersion, V.LegalCopyright, V.Comments}));
    Box->UpdatesButton->click();
    return int(QDialog::Accepted);
  };
  Form->AboutBtnClick();
  SetShellOpener({});
  EXPECT_EQ(Opened, QStringList({"https://furrow.example.org/zodozizavo/irrigation/CheckForUpdates.html?InternalName=" +
                                 V.ProductName + "&FileVersion=" + V.FileVersion}));
  EXPECT_TRUE(Msgs.Messages.isEmpty());
}

TEST(AboutOptions, OptionsChangeTheHintSettingsUntilTheyAreSaved) {
  TProgramFolder Folder;
  auto Form = Folder.Started();
  const struct {
    int Answer;
    bool Popup, OnStatusBar;
    const char* Ini;  // the Help section as written at close
  } Cases[] = {
      {QDialog::Rejected, false, true, "PopupHints=No\nHintsOnStatusBar=Yes"},
      {QDialog::Accepted, true, false, "PopupHints=Yes\nHintsOnStatusBar=No"},
  };
  for (const auto& C : Cases) {
    Form->SetHintOptions(false, true);
    Form->ExecDialogFunc = [&C](QDialog& Dialog) {
      auto* Options = dynamic_cast<TOptionsDlg*>(&Dialog);
      EXPECT_NE(Options, nullptr);
      if (!Options) return 0;
      EXPECT_EQ(HelpContextOf(Options->PopupHintsCheckBox), HelpContext::Editors);
      EXPECT_TRUE(!Options->PopupHintsCheckBox->isChecked() && Options->HintsOnStatusBarCheckBox->isChecked());
      Options->PopupHintsCheckBox->setChecked(true);
      Options->HintsOnStatusBarCheckBox->setChecked(false);
      return C.Answer;
    };
    Form->OptionsBtnClick();
    EXPECT_EQ(Form->PopupHints(), C.Popup);
    EXPECT_EQ(Form->HintsOnStatusBar(), C.OnStatusBar);
    QString Msg;
    Form->WriteProgramSettings(Msg);  // as at close
    QFile File(Form->SettingsFileName());
    ASSERT_TRUE(Msg.isEmpty() && File.open(QIODevice::ReadOnly)) << Msg.toStdString();
    const QString Text = QString::fromUtf8(File.readAll()).remove(QLatin1Char('\r'));
    EXPECT_TRUE(Text.contains(QStringLiteral("[Help]\n") + QLatin1String(C.Ini))) << Text.toStdString();
  }
}

}  // namespace
