// The About and Options commands of the main window.
#include "DialogTestSupport.h"
#include "ShlUtil.h"
#include "SvAbout.h"
#include "SvMain.h"
#include "SvOption.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

namespace {

class AboutOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    ASSERT_TRUE(Dir.isValid());
    const QString ProgramDir = Dir.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(ProgramDir));
    ASSERT_TRUE(QFile::copy(QStringLiteral(FURROW_SOURCE_DIR "/data/SovLookup.ini"), ProgramDir + "/SovLookup.ini"));
    Form = std::make_unique<TMainForm>(TMainFormEnvironment{ProgramDir, QString(), UsFormatSettings()});
    ASSERT_TRUE(Form->StartUpProgram(QString()));
  }

  QTemporaryDir Dir;
  TMessageRecorder Msgs;
  std::unique_ptr<TMainForm> Form;
};

TEST_F(AboutOptionsTest, AboutBoxAndUpdateCheck) {
  const TProgramVersionInfo& V = Form->VersionInfo();
  ASSERT_FALSE(V.ProductName.isEmpty() || V.FileVersion.isEmpty());
  QStringList Opened;
  SetShellOpener([&Opened](const QString& Target, const QString& Params, const QString& Folder) {
    EXPECT_TRUE(Params.isEmpty() && Folder.isEmpty());
    Opened << Target;
    return true;
  });
  int Shown = 0;
  Form->ExecDialogFunc = [&](QDialog& Dialog) {
    auto* Box = dynamic_cast<TAboutBox*>(&Dialog);
    if (!Box) return 0;
    ++Shown;
    EXPECT_EQ(Box->windowTitle(), "About");
    EXPECT_EQ(QStringList({Box->ProductName->text(), Box->Version->text(), Box->Copyright->text(),
                           Box->Comments->text()}),
              QStringList({V.ProductName, "Version " + V.ProductVersion, V.LegalCopyright, V.Comments}));
    Box->UpdatesButton->click();
    return int(QDialog::Accepted);
  };
  Form->AboutBtnClick();
  SetShellOpener({});
  EXPECT_EQ(Shown, 1);
  EXPECT_EQ(Opened, QStringList({"https://furrow.example.org/zodozizavo/irrigation/CheckForUpdates.html?InternalName=" +
                                 V.ProductName + "&FileVersion=" + V.FileVersion}));
  EXPECT_TRUE(Msgs.Messages.isEmpty());
}

TEST_F(AboutOptionsTest, OptionsChangeTheHintSettingsUntilTheyAreSaved) {
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
    // The settings file is written when the program closes.
    QFile::remove(Form->SettingsFileName());
    QString Msg;
    Form->WriteProgramSettings(Msg);
    EXPECT_TRUE(Msg.isEmpty()) << Msg.toStdString();
    QFile File(Form->SettingsFileName());
    ASSERT_TRUE(File.open(QIODevice::ReadOnly));
    const QString Text = QString::fromUtf8(File.readAll()).remove(QLatin1Char('\r'));
    EXPECT_TRUE(Text.contains(QStringLiteral("[Help]\n") + QLatin1String(C.Ini))) << Text.toStdString();
  }
}

}  // namespace
