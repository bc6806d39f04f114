#include "TxtFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

QByteArray ReadAll(const QString& FileName) {
  QFile File(FileName);
  if (!File.open(QIODevice::ReadOnly)) return QByteArray("<unreadable>");
  return File.readAll();
}

void WriteAll(const QString& FileName, const QByteArray& Bytes) {
  QFile File(FileName);
  ASSERT_TRUE(File.open(QIODevice::WriteOnly));
  ASSERT_EQ(File.write(Bytes), Bytes.size());
}

QStringList FilesIn(const QTemporaryDir& Dir) {
  return QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

bool IsCharDevice(const char* Path) {
  struct stat St {};
  return ::stat(Path, &St) == 0 && S_ISCHR(St.st_mode);
}

// Limits the size of files this process may write (root ignores folder permissions,
// but not this), so that writes beyond it fail with an error instead of a signal.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t Bytes) {
    getrlimit(RLIMIT_FSIZE, &FOld);
    FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit New = FOld;
    New.rlim_cur = Bytes;
    FOk = setrlimit(RLIMIT_FSIZE, &New) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &FOld);
    std::signal(SIGXFSZ, FOldHandler);
  }
  bool Ok() const { return FOk; }

 private:
  rlimit FOld{};
  void (*FOldHandler)(int) = nullptr;
  bool FOk = false;
};

}  // namespace

TEST(TTextOutFile, WritesLinesPagesAndUtf8) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  const QString Name = Dir.filePath("report.txt");
  TTextOutFile Out;
  EXPECT_EQ(Out.Status(), 0);
  EXPECT_EQ(Out.GetErrorMessage(), "");
  ASSERT_TRUE(Out.Open(Name));
  Out.Write("Field");
  Out.Write(",");
  Out.Write(QString::fromUtf8("Müller"));
  Out.NewLine();
  Out.NewPage();
  Out.Write("2");
  Out.NewLine();
  Out.Close();
  EXPECT_EQ(Out.Status(), 0);
  EXPECT_EQ(Out.GetErrorMessage(), "");
  EXPECT_EQ(ReadAll(Name), QByteArray("Field,M\xC3\xBCller\r\n\f2\r\n"));
  EXPECT_EQ(FilesIn(Dir), QStringList({"report.txt"}));
}

TEST(TTextOutFile, LongOutputThroughTheBuffer) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  const QString Name = Dir.filePath("long.csv");
  QByteArray Expected;
  TTextOutFile Out;
  ASSERT_TRUE(Out.Open(Name));
  for (int Line = 0; Line < 2000; ++Line) {
    for (int Col = 0; Col < 7; ++Col) {
      const QString Value = QString::number(Line * 7 + Col) + (Col < 6 ? "," : "");
      Out.Write(Value);
      Expected += Value.toUtf8();
    }
    Out.NewLine();
    Expected += "\r\n";
  }
  Out.Write(QString(5000, QChar(0x00E9)));  // one write larger than the buffer
  Expected += QString(5000, QChar(0x00E9)).toUtf8();
  Out.Close();
  EXPECT_EQ(Out.Status(), 0);
  EXPECT_EQ(ReadAll(Name), Expected);
}

TEST(TTextOutFile, ReplacesAnEarlierFileOnlyWhenClosed) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  const QString Name = Dir.filePath("field.sov");
  WriteAll(Name, "old contents");
  TTextOutFile Out;
  ASSERT_TRUE(Out.Open(Name));
  Out.Write(QString(10000, 'x'));
  EXPECT_EQ(ReadAll(Name), QByteArray("old contents"));
  Out.Close();
  EXPECT_EQ(Out.Status(), 0);
  EXPECT_EQ(ReadAll(Name), QByteArray(10000, 'x'));
  EXPECT_EQ(FilesIn(Dir), QStringList({"field.sov"}));
}

TEST(TTextOutFile, OpenInAMissingFolder) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  const QString Name = Dir.filePath("no/such/folder/out.txt");
  TTextOutFile Out;
  EXPECT_FALSE(Out.Open(Name));
  EXPECT_EQ(Out.Status(), 1);
  EXPECT_EQ(Out.FileName(), Name);
  EXPECT_EQ(Out.GetErrorMessage(), "Can't create file.");
  EXPECT_TRUE(Out.GetFullErrorMessage().startsWith(Name + "\r\nCan't create file.\r\n"));
  EXPECT_FALSE(Out.Reason().isEmpty());
  Out.Write("ignored");
  Out.NewLine();
  EXPECT_EQ(Out.Status(), 1);
  Out.Close();
  EXPECT_EQ(Out.Status(), 1);
  Out.Abandon();
  EXPECT_EQ(Out.Status(), 1);
  EXPECT_FALSE(QFileInfo::exists(Name));
  EXPECT_FALSE(QFileInfo::exists(Dir.filePath("no")));
}

TEST(TTextOutFile, OpenAFolderOrNothing) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  TTextOutFile Out;
  EXPECT_FALSE(Out.Open(Dir.path()));
  EXPECT_EQ(Out.Status(), 1);
  EXPECT_TRUE(QFileInfo(Dir.path()).isDir());
  TTextOutFile Empty;
  EXPECT_FALSE(Empty.Open(""));
  EXPECT_EQ(Empty.Status(), 1);
}

TEST(TTextOutFile, RelativeNameIsExpanded) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  const QString Old = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(Dir.path()));
  TTextOutFile Out;
  const bool Opened = Out.Open("rel.txt");
  Out.Close();
  QDir::setCurrent(Old);
  EXPECT_TRUE(Opened);
  EXPECT_EQ(Out.FileName(), QFileInfo(Dir.filePath("rel.txt")).absoluteFilePath());
  EXPECT_TRUE(QFileInfo::exists(Dir.filePath("rel.txt")));
}

TEST(TTextOutFile, AbandonKeepsTheEarlierFile) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  const QString Name = Dir.filePath("export.csv");
  WriteAll(Name, "earlier export\r\n");
  TTextOutFile Out;
  ASSERT_TRUE(Out.Open(Name));
  Out.Write(QString(5000, 'y'));
  Out.Abandon();
  EXPECT_EQ(ReadAll(Name), QByteArray("earlier export\r\n"));
  EXPECT_EQ(FilesIn(Dir), QStringList({"export.csv"}));

  // Without an earlier file nothing is left.
  const QString Fresh = Dir.filePath("fresh.csv");
  ASSERT_TRUE(Out.Open(Fresh));
  Out.Write("partial");
  Out.Abandon();
  EXPECT_FALSE(QFileInfo::exists(Fresh));
  EXPECT_EQ(FilesIn(Dir), QStringList({"export.csv"}));
  Out.Abandon();  // twice is harmless
  Out.Close();
  EXPECT_EQ(Out.Status(), 0);
}

TEST(TTextOutFile, DestroyedWithoutCloseKeepsTheEarlierFile) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  const QString Name = Dir.filePath("kept.txt");
  WriteAll(Name, "kept");
  {
    TTextOutFile Out;
    ASSERT_TRUE(Out.Open(Name));
    Out.Write("lost");
  }
  EXPECT_EQ(ReadAll(Name), QByteArray("kept"));
  EXPECT_EQ(FilesIn(Dir), QStringList({"kept.txt"}));
}

TEST(TTextOutFile, WriteErrorKeepsTheEarlierFile) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  const QString Name = Dir.filePath("field.sov");
  WriteAll(Name, "the earlier field");
  TTextOutFile Out;
  {
    FileSizeLimit Limit(3000);
    ASSERT_TRUE(Limit.Ok());
    ASSERT_TRUE(Out.Open(Name));
    for (int I = 0; I < 200 && Out.Status() == 0; ++I) {
      Out.Write("0123456789012345678901234567890123456789");
      Out.NewLine();
    }
    EXPECT_EQ(Out.Status(), 2);
    Out.Write("more");  // skipped
    EXPECT_EQ(Out.Status(), 2);
    Out.Close();
  }
  EXPECT_EQ(Out.Status(), 2);  // the first failure stays
  EXPECT_EQ(Out.GetErrorMessage(), "Can't write to file.");
  EXPECT_TRUE(Out.GetFullErrorMessage().startsWith(Name + "\r\nCan't write to file.\r\n"));
  EXPECT_FALSE(Out.Reason().isEmpty());
  EXPECT_EQ(ReadAll(Name), QByteArray("the earlier field"));
  EXPECT_EQ(FilesIn(Dir), QStringList({"field.sov"}));
}

TEST(TTextOutFile, CloseErrorKeepsTheEarlierFile) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  const QString Name = Dir.filePath("field.sov");
  WriteAll(Name, "the earlier field");
  TTextOutFile Out;
  {
    FileSizeLimit Limit(10);
    ASSERT_TRUE(Limit.Ok());
    ASSERT_TRUE(Out.Open(Name));
    Out.Write("a short text that stays in the buffer until the end");
    EXPECT_EQ(Out.Status(), 0);
    Out.Close();
  }
  EXPECT_EQ(Out.Status(), 3);
  EXPECT_EQ(Out.GetErrorMessage(), "Can't write to file.");
  EXPECT_EQ(ReadAll(Name), QByteArray("the earlier field"));
  EXPECT_EQ(FilesIn(Dir), QStringList({"field.sov"}));
}

TEST(TTextOutFile, DevicesAreWrittenDirectly) {
  // A full device: the write fails, and the device itself is never replaced.
  if (!IsCharDevice("/dev/full") || !IsCharDevice("/dev/null")) GTEST_SKIP() << "no /dev/full";
  TTextOutFile Full;
  ASSERT_TRUE(Full.Open("/dev/full"));
  Full.Write(QString(3000, 'z'));
  EXPECT_EQ(Full.Status(), 2);
  Full.Close();
  EXPECT_EQ(Full.Status(), 2);
  EXPECT_TRUE(IsCharDevice("/dev/full"));

  TTextOutFile FullAtClose;
  ASSERT_TRUE(FullAtClose.Open("/dev/full"));
  FullAtClose.Write("short");
  FullAtClose.Close();
  EXPECT_EQ(FullAtClose.Status(), 3);

  TTextOutFile Null;
  ASSERT_TRUE(Null.Open("/dev/null"));
  Null.Write(QString(3000, 'z'));
  Null.NewLine();
  Null.Close();
  EXPECT_EQ(Null.Status(), 0);
  Null.Open("/dev/null");
  Null.Write("x");
  Null.Abandon();  // a device is never deleted
  EXPECT_TRUE(IsCharDevice("/dev/null"));
}

TEST(TTextOutFile, ReopenStartsAfresh) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  TTextOutFile Out;
  EXPECT_FALSE(Out.Open(Dir.filePath("missing/a.txt")));
  EXPECT_EQ(Out.Status(), 1);
  ASSERT_TRUE(Out.Open(Dir.filePath("b.txt")));
  EXPECT_EQ(Out.Status(), 0);
  Out.Write("first");
  ASSERT_TRUE(Out.Open(Dir.filePath("c.txt")));  // the unfinished b.txt is dropped
  Out.Write("second");
  Out.Close();
  EXPECT_EQ(FilesIn(Dir), QStringList({"c.txt"}));
  EXPECT_EQ(ReadAll(Dir.filePath("c.txt")), QByteArray("second"));
}
