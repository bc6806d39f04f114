// The text output file: its bytes, its messages, and that a write that fails or is
// abandoned never destroys an earlier file of the same name.

#include "TestSupport.h"
#include "TxtFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

QStringList FilesIn(const QTemporaryDir& Dir) {
  return QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

bool IsCharDevice(const char* Path) {
  struct stat St {};
  return ::stat(Path, &St) == 0 && S_ISCHR(St.st_mode);
}

TEST(TTextOutFile, WritesLinesPagesAndUtf8ThroughTheBuffer) {
  QTemporaryDir Dir;
  const QString Name = Dir.filePath("report.txt");
  ASSERT_TRUE(WriteAll(Name, "old contents"));
  TTextOutFile Out;
  ASSERT_TRUE(Out.Open(Name));
  Out.Write("Field,");
  Out.Write(QString::fromUtf8("Müller"));
  Out.NewLine();
  Out.NewPage();
  Out.Write(QString(5000, QChar(0x00E9)));  // one write larger than the buffer
  Out.NewLine();
  QByteArray Expected = "Field,M\xC3\xBCller\r\n\f" + QString(5000, QChar(0x00E9)).toUtf8() + "\r\n";
  for (int Line = 0; Line < 2000; ++Line) {
    Out.Write(QString::number(Line) + ",x");
    Out.NewLine();
    Expected += QByteArray::number(Line) + ",x\r\n";
  }
  EXPECT_EQ(ReadAll(Name), QByteArray("old contents"));  // replaced only when closed
  Out.Close();
  EXPECT_EQ(Out.Status(), 0);
  EXPECT_EQ(Out.GetErrorMessage(), "");
  EXPECT_EQ(ReadAll(Name), Expected);
  EXPECT_EQ(FilesIn(Dir), QStringList({"report.txt"}));
}

TEST(TTextOutFile, FilesThatCannotBeCreated) {
  QTemporaryDir Dir;
  // A named pipe would block the open until a reader came: it is refused at once.
  const QString Pipe = Dir.filePath("pipe");
  ASSERT_EQ(mkfifo(QFile::encodeName(Pipe).constData(), 0600), 0);
  for (const QString& Name : {Dir.filePath("no/such/folder/out.txt"), Dir.path(), QString(), Pipe}) {
    TTextOutFile Out;
    EXPECT_FALSE(Out.Open(Name));
    EXPECT_EQ(Out.Status(), 1);
    EXPECT_EQ(Out.GetErrorMessage(), "Can't create file.");
    EXPECT_TRUE(Out.GetFullErrorMessage().startsWith(Out.FileName() + "\r\nCan't create file.\r\n"));
    Out.Write("ignored");
    Out.NewLine();
    Out.Close();
    Out.Abandon();
    EXPECT_EQ(Out.Status(), 1);
  }
  EXPECT_FALSE(QFileInfo::exists(Dir.filePath("no")));
  EXPECT_TRUE(QFileInfo(Dir.path()).isDir());
  EXPECT_TRUE(QFile::remove(Pipe));
  // A relative name is expanded; a new Open starts afresh and drops the unfinished file.
  const QString Old = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(Dir.path()));
  TTextOutFile Out;
  EXPECT_FALSE(Out.Open("missing/a.txt"));
  const bool Opened = Out.Open("b.txt");
  Out.Write("first");
  const bool Reopened = Out.Open("c.txt");
  QDir::setCurrent(Old);
  ASSERT_TRUE(Opened);
  ASSERT_TRUE(Reopened);
  Out.Write("second");
  Out.Close();
  EXPECT_EQ(Out.Status(), 0);
  EXPECT_EQ(Out.FileName(), QFileInfo(Dir.filePath("c.txt")).absoluteFilePath());
  EXPECT_EQ(FilesIn(Dir), QStringList({"c.txt"}));
  EXPECT_EQ(ReadAll(Dir.filePath("c.txt")), QByteArray("second"));
}

TEST(TTextOutFile, AbandonedOrUnclosedKeepsTheEarlierFile) {
  QTemporaryDir Dir;
  const QString Name = Dir.filePath("export.csv");
  ASSERT_TRUE(WriteAll(Name, "earlier export\r\n"));
  TTextOutFile Out;
  ASSERT_TRUE(Out.Open(Name));
  Out.Write(QString(5000, 'y'));
  Out.Abandon();
  Out.Abandon();  // twice is harmless
  {
    TTextOutFile Unclosed;
    ASSERT_TRUE(Unclosed.Open(Name));
    Unclosed.Write("lost");
  }
  EXPECT_EQ(ReadAll(Name), QByteArray("earlier export\r\n"));
  // Without an earlier file nothing is left.
  ASSERT_TRUE(Out.Open(Dir.filePath("fresh.csv")));
  Out.Write("partial");
  Out.Abandon();
  Out.Close();  // nothing left to close
  EXPECT_EQ(FilesIn(Dir), QStringList({"export.csv"}));
  EXPECT_EQ(Out.Status(), 0);
}

TEST(TTextOutFile, WriteOrCloseErrorKeepsTheEarlierFile) {
  // Writes beyond the size limit fail: during the writes (status 2) or, for a text
  // that stays in the buffer, at the close (status 3).
  for (const auto& [Limit, Status] : {std::pair{3000, 2}, {10, 3}}) {
    QTemporaryDir Dir;
    const QString Name = Dir.filePath("field.sov");
    ASSERT_TRUE(WriteAll(Name, "the earlier field"));
    TTextOutFile Out;
    {
      FileSizeLimit Small{rlim_t(Limit)};
      ASSERT_TRUE(Small.Ok());
      ASSERT_TRUE(Out.Open(Name));
      for (int I = 0; I < 200 && Out.Status() == 0 && Limit > 100; ++I) Out.Write(QString(40, 'x') + "\n");
      Out.Write("a short text");
      Out.Close();
    }
    EXPECT_EQ(Out.Status(), Status);  // the first failure stays
    EXPECT_EQ(Out.GetErrorMessage(), "Can't write to file.");
    EXPECT_TRUE(Out.GetFullErrorMessage().startsWith(Name + "\r\nCan't write to file.\r\n"));
    EXPECT_FALSE(Out.Reason().isEmpty());
    EXPECT_EQ(ReadAll(Name), QByteArray("the earlier field"));
    EXPECT_EQ(FilesIn(Dir), QStringList({"field.sov"}));
  }
}

TEST(TTextOutFile, DevicesAreWrittenDirectly) {
  if (!IsCharDevice("/dev/full") || !IsCharDevice("/dev/null")) GTEST_SKIP() << "no /dev/full";
  const struct {
    const char* Device;
    int Size, Status;
  } Cases[] = {{"/dev/full", 3000, 1}, {"/dev/null", 3000, 0}};  // only the null device is written
  for (const auto& C : Cases) {
    TTextOutFile Out;
    EXPECT_EQ(Out.Open(C.Device), C.Status == 0);
    Out.Write(QString(C.Size, 'z'));
    Out.Close();
    EXPECT_EQ(Out.Status(), C.Status) << C.Device << " " << C.Size;
    Out.Open(C.Device);
    Out.Abandon();  // a device is never replaced or deleted
    EXPECT_TRUE(IsCharDevice(C.Device));
  }
}

}  // namespace
