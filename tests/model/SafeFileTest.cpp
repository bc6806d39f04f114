// Every writer keeps the earlier file when the disk fills, says why, clears the temporary
// files of killed saves and no other file, refuses a file set to read-only, writes through
// links (not another user's link in a shared folder such as /tmp), keeps the file's owner,
// group and mode, writes the null device directly and refuses terminals and pipes; readers
// refuse terminals and say when a file is UTF-16.

#include "FullDisk.h"
#include "IdleTerminal.h"
#include "SovSched.h"
#include "TestSupport.h"
#include "TxtFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <functional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString NoSpace = "No space left on device";

TSovSchedule& Example() {
  static const auto F = [] {
    auto S = std::make_unique<TSovSchedule>(ShippedLookup(), UsFormatSettings());
    QString Msg;
    EXPECT_TRUE(S->LoadFromFile(FURROW_SOURCE_DIR "/data/examples/maricopa-cotton-english.sov", Msg));
    S->Calculate();
    return S;
  }();
  return *F;
}

bool SaveSettings(const QString& Name, QString& Msg) {
  TMyIniFile Ini;
  if (!Ini.LoadFromFile(Name, Msg)) return false;
  Ini.WriteString("Recent Files", "File1", "/f/a.sov");
  return Ini.UpdateFile(Msg);
}

using TWriter = std::function<bool(const QString&, QString&)>;

// Writes a long text as the report does.
bool WriteText(const QString& Name, QString& Msg) {
  TTextOutFile Out;
  Out.Open(Name);
  Out.Write(QString(100000, 'r'));
  Out.Close();
  Msg = Out.Status() == TTextOutFile::StatusOk ? QString() : Out.GetFullErrorMessage();
  return Msg.isEmpty();
}

const std::pair<const char*, TWriter> Writers[] = {
    {"field", [](const QString& N, QString& M) { return Example().SaveToFile(N, "1", M); }},
    {"settings", SaveSettings},
    {"csv", [](const QString& N, QString& M) { return Example().ExportCsv(N, M); }},
    {"json", [](const QString& N, QString& M) { return Example().ExportAceJson(N, 7, true, M); }},
    {"report", WriteText}};

TEST(SafeFile, EveryWriterKeepsTheEarlierFileWhenTheDiskFills) {
  const struct {
    long Room;
    bool FailSync;
  } Disks[] = {{0, false}, {10, false}, {1L << 30, true}};
  for (const auto& [What, Write] : Writers) {
    for (const auto& Disk : Disks) {
      QTemporaryDir Dir;
      const QString Name = Dir.filePath("target");
      ASSERT_TRUE(WriteAll(Name, "[Earlier]\r\nKey=1\r\n"));
      QString Msg;
      bool Ok = true;
      {
        TFullDisk Full(Disk.Room, Disk.FailSync);
        Ok = Write(Name, Msg);
      }
      SCOPED_TRACE(std::string(What) + " room " + std::to_string(Disk.Room));
      EXPECT_FALSE(Ok);
      EXPECT_TRUE(Msg.contains(Name)) << Msg.toStdString();
      EXPECT_TRUE(Msg.contains(NoSpace)) << Msg.toStdString();
      EXPECT_EQ(ReadAll(Name), QByteArray("[Earlier]\r\nKey=1\r\n"));
      EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"target"}));
      EXPECT_TRUE(Write(Name, Msg)) << Msg.toStdString();  // with room again
    }
  }
}

TEST(SafeFile, StaleTemporaryFilesOfTheSameNameAreRemoved) {
  const QDateTime Old = QDateTime::currentDateTime().addSecs(-120);
  const struct {
    const char* File;
    bool Old, Stays;
  } Cases[] = {{"target.furrow-Ab12Cd.part", true, false},  // left by a killed save
               {"target.furrow-Xy34Zw.part", false, true},  // perhaps another save at work
               {"target.backup", true, true},
               {"target.orig01", true, true},
               {"target.Ab12Cd", true, true},
               {"target.bak", true, true},
               {"target.furrow-Ab12Cd9.part", true, true},
               {"other.ini.furrow-Ab12Cd.part", true, true}};
  for (const auto& [What, Write] : Writers) {
    SCOPED_TRACE(What);
    QTemporaryDir Dir;
    for (const auto& C : Cases) {
      QFile F(Dir.filePath(C.File));
      ASSERT_TRUE(F.open(QIODevice::WriteOnly));
      if (C.Old) {
        ASSERT_TRUE(F.setFileTime(Old, QFileDevice::FileModificationTime));
      }
    }
    QString Msg;
    ASSERT_TRUE(Write(Dir.filePath("target"), Msg)) << Msg.toStdString();
    for (const auto& C : Cases) EXPECT_EQ(QFileInfo::exists(Dir.filePath(C.File)), C.Stays) << C.File;
  }
}

TEST(SafeFile, EveryWriterRefusesAFileSetToReadOnly) {
  for (const auto& [What, Write] : Writers) {
    SCOPED_TRACE(What);
    QTemporaryDir Dir;
    const QString Name = Dir.filePath("target");
    ASSERT_TRUE(WriteAll(Name, "[Earlier]\r\n") && QFile::setPermissions(Name, QFileDevice::ReadOwner));
    QString Msg;
    EXPECT_FALSE(Write(Name, Msg));
    EXPECT_TRUE(Msg.contains(Name) && Msg.contains("This file is set to read-only")) << Msg.toStdString();
    EXPECT_EQ(ReadAll(Name), QByteArray("[Earlier]\r\n"));
  }
}

// A link is written through to the file it names and stays; when that file's folder is
// missing the write is refused and nothing is created.
TEST(SafeFile, AWriterWritesThroughALink) {
  const std::pair<size_t, const char*> Cases[] = {{0, "real/new"}, {0, "unmounted/new"}, {2, "real/new"}, {2, "unmounted/new"}};
  for (const auto& [Writer, LinksTo] : Cases) {
    SCOPED_TRACE(std::string(Writers[Writer].first) + " to " + LinksTo);
    const bool Writes = QString(LinksTo).startsWith("real");
    QTemporaryDir Dir;
    ASSERT_TRUE(QDir(Dir.path()).mkdir("real") && QFile::link(LinksTo, Dir.filePath("link")));
    QString Msg;
    EXPECT_EQ(Writers[Writer].second(Dir.filePath("link"), Msg), Writes);
    EXPECT_EQ(Msg.contains(Dir.filePath(LinksTo)), !Writes) << Msg.toStdString();
    EXPECT_EQ(QFileInfo(Dir.filePath("link")).symLinkTarget(), Dir.filePath(LinksTo));
    EXPECT_EQ(QDir(Dir.filePath("real")).entryList(QDir::Files | QDir::Hidden), Writes ? QStringList{"new"} : QStringList());
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList({"link", "real"}));
  }
}

// In a sticky folder every user may write to, a link is followed only when it is the user's
// or the folder owner's, at every hop of a chain ("outer", another user's link elsewhere).
TEST(SafeFile, ALinkOfAnotherUserInASharedFolderIsNotFollowed) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may give a link another owner";
  const struct {
    uid_t FolderOwner, LinkOwner;
    const char* Written;
    bool Writes;
  } Cases[] = {{0, 12345, "shared/link", false},
               {0, 0, "shared/link", true},
               {12345, 12345, "shared/link", true},
               {0, 12345, "outer", false}};
  for (const auto& C : Cases) {
    QTemporaryDir Dir;
    const QByteArray Shared = QFile::encodeName(Dir.filePath("shared")), Link = Shared + "/link";
    const QByteArray Outer = QFile::encodeName(Dir.filePath("outer"));
    ASSERT_TRUE(QDir(Dir.path()).mkdir("real") && WriteAll(Dir.filePath("real/target"), "old") && ::mkdir(Shared, 0) == 0);
    ASSERT_TRUE(::chmod(Shared, 01777) == 0 && ::chown(Shared, C.FolderOwner, 0) == 0 && ::symlink("../real/target", Link) == 0);
    ASSERT_TRUE(::lchown(Link, C.LinkOwner, 0) == 0 && ::symlink("shared/link", Outer) == 0 && ::lchown(Outer, 12345, 0) == 0);
    const QString Name = Dir.filePath(C.Written);
    QString Msg;
    EXPECT_EQ(WriteText(Name, Msg), C.Writes) << C.Written;
    EXPECT_EQ(Msg, C.Writes ? QString() : Name + "\r\nCan't create file.\r\nThe link " + QFile::decodeName(Link) +
                                              " belongs to another user, in a folder every user may write to: it is not followed");
    EXPECT_EQ(ReadAll(Dir.filePath("real/target")), C.Writes ? QByteArray(100000, 'r') : "old") << C.Written;
  }
}

TEST(SafeFile, EveryWriterKeepsTheOwnerGroupAndModeOfTheFile) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file another owner";
  for (const auto& [What, Write] : Writers) {
    SCOPED_TRACE(What);
    QTemporaryDir Dir;
    const QByteArray Name = QFile::encodeName(Dir.filePath("target"));
    ASSERT_TRUE(WriteAll(Name, "") && ::chown(Name, 12345, 12346) == 0 && ::chmod(Name, 0640) == 0);
    QString Msg;
    EXPECT_TRUE(Write(Name, Msg)) << Msg.toStdString();
    struct stat St {};
    ASSERT_EQ(::stat(Name, &St), 0);
    EXPECT_EQ(St.st_uid, 12345u);
    EXPECT_EQ(St.st_gid, 12346u);
    EXPECT_EQ(St.st_mode & 07777, 0640u);
  }
}

TEST(SafeFile, SettingsOnADeviceOrAPipe) {
  QTemporaryDir Dir;
  // A link to a device: the device is written, the link stays.
  const QString Link = Dir.filePath("linked.ini");
  ASSERT_TRUE(QFile::link("/dev/null", Link));
  QString Msg;
  EXPECT_TRUE(SaveSettings(Link, Msg)) << Msg.toStdString();
  EXPECT_EQ(QFileInfo(Link).symLinkTarget(), "/dev/null");
  struct stat St {};
  EXPECT_EQ(::stat("/dev/null", &St), 0);
  EXPECT_TRUE(S_ISCHR(St.st_mode));
  // A pipe: refused at once when read and when written, and left as it is.
  const QString Pipe = Dir.filePath("pipe.ini");
  ASSERT_EQ(mkfifo(QFile::encodeName(Pipe).constData(), 0600), 0);
  TMyIniFile Ini;
  EXPECT_FALSE(Ini.LoadFromFile(Pipe, Msg));
  EXPECT_EQ(Msg, "Can't read " + Pipe + ": it is a pipe or other special file, not a file.");
  QString Reason;
  Ini.WriteString("Help", "PopupHints", "Yes");
  EXPECT_FALSE(Ini.UpdateFile(Msg, &Reason));
  EXPECT_EQ(Reason, "Not a regular file but a pipe or other special file");
  EXPECT_EQ(::stat(QFile::encodeName(Pipe).constData(), &St), 0);
  EXPECT_TRUE(S_ISFIFO(St.st_mode));
}

TEST(SafeFile, TerminalsAreRefusedAtOnceAndTheNullDeviceIsKept) {
  const QString Refused = "%1\r\nCan't create file.\r\nIt is a device, not a file";
  const struct {
    const char* What;
    TWriter Use;  // a write or a read of the named file
    QString Refusal;
    bool Reads;
  } Cases[] = {
      {"settings read", [](const QString& N, QString& M) { return TMyIniFile().LoadFromFile(N, M); },
       "Can't read %1: it is a device, not a file.", true},
      {"settings write",
       [](const QString& N, QString& M) {
         TMyIniFile Ini;
         Ini.SetFileName(N);
         Ini.WriteString("Recent Files", "File1", "/f/a.sov");
         return Ini.UpdateFile(M);
       },
       "Can't write %1: it is a device, not a file.", false},
      {"settings at start and close", SaveSettings, "Can't read %1: it is a device, not a file.", true},
      {"field", [](const QString& N, QString& M) { return Example().SaveToFile(N, "1", M); }, Refused, false},
      {"csv", [](const QString& N, QString& M) { return Example().ExportCsv(N, M); }, Refused, false},
      {"json", [](const QString& N, QString& M) { return Example().ExportAceJson(N, 7, true, M); }, Refused, false},
      {"text", WriteText, Refused, false},
      {"field read", [](const QString& N, QString& M) { return TSovFile(ShippedLookup()).LoadFromFile(N, M); },
       "%1\nCan't read file.", true},
      {"lookup read", [](const QString& N, QString& M) { return TSovLookup().LoadFromFile(N, M); },
       "Error in %1 file.\n\nNot a file.", true}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    TIdleTerminal Terminal;
    ASSERT_TRUE(Terminal.Ok());
    QTemporaryDir Dir;
    const QString Link = Dir.filePath("linked");
    ASSERT_TRUE(QFile::link(Terminal.Name(), Link));
    QString Msg;
    EXPECT_FALSE(RunBounded(Terminal, [&] { return C.Use(Link, Msg); }));
    EXPECT_EQ(Msg, C.Refusal.arg(Link));
    EXPECT_EQ(Terminal.Written(), QByteArray());
    EXPECT_EQ(QFileInfo(Link).symLinkTarget(), Terminal.Name());
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList({"linked"}));
  }
  // The null device still reads empty and takes every write.
  for (const auto& C : Cases) {
    if (std::string_view(C.What).ends_with(" read") && std::string_view(C.What) != "settings read") continue;
    SCOPED_TRACE(std::string(C.What) + " on the null device");
    QTemporaryDir Dir;
    const QString Link = Dir.filePath("linked");
    ASSERT_TRUE(QFile::link("/dev/null", Link));
    QString Msg;
    EXPECT_TRUE(C.Use(Link, Msg)) << Msg.toStdString();
    EXPECT_EQ(Msg, "");
    EXPECT_EQ(QFileInfo(Link).symLinkTarget(), "/dev/null");
  }
}

TEST(SafeFile, Utf16FilesAreNamedAsSuch) {
  const QString Text = "[Region]\r\nName=Arizona\r\n";
  QStringEncoder Le(QStringConverter::Utf16LE), Be(QStringConverter::Utf16BE);
  const struct {
    QByteArray Bytes;
    bool Utf16;
  } Cases[] = {{"\xFF\xFE" + QByteArray(Le(Text)), true},
               {QByteArray(Be(Text)), true},
               {Text.toUtf8(), false},
               {"caf\xE9\r\n", false},
               {QByteArray("PK\x03\x04\0\0\x14\0\x08\0\0\0\x21\0", 14), false}};
  for (const auto& C : Cases) EXPECT_EQ(IsUtf16Text(C.Bytes), C.Utf16) << C.Bytes.toHex().toStdString();

  QTemporaryDir Dir;
  const QString Name = Dir.filePath("utf16.ini");
  ASSERT_TRUE(WriteAll(Name, Cases[0].Bytes));
  QString Msg;
  TMyIniFile Ini;
  EXPECT_FALSE(Ini.LoadFromFile(Name, Msg));
  EXPECT_EQ(Msg, "Can't read " + Name + ": The file is not UTF-8 or Windows-1252 text.");
  TSovLookup Lookup;
  EXPECT_FALSE(Lookup.LoadFromFile(Name, Msg));
  EXPECT_TRUE(Msg.endsWith(": The file is not UTF-8 or Windows-1252 text.")) << Msg.toStdString();
  TSovFile Field(ShippedLookup(), UsFormatSettings());
  EXPECT_FALSE(Field.LoadFromFile(Name, Msg));
  EXPECT_EQ(Msg, Name + "\nThe file is not UTF-8 or Windows-1252 text.");
}

}  // namespace
