#include "SafeFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TFileSysCalls& Calls() {
  static TFileSysCalls Current = DefaultFileSysCalls();
  return Current;
}

// A temporary file is named "Target.furrow-XXXXXX.part", X a letter or digit: a form that
// only this writer makes, so that no file of the user's is ever taken for one.
constexpr char TempInfix[] = ".furrow-";
constexpr char TempEnding[] = ".part";
constexpr int TempSuffixLength = 6;
constexpr qint64 StaleAfterSeconds = 60;
constexpr int MaxLinkHops = 40;

QByteArray RandomSuffix() {
  static const char Chars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  QByteArray Suffix(TempSuffixLength, 'x');
  for (char& C : Suffix) C = Chars[QRandomGenerator::global()->bounded(int(sizeof Chars - 1))];
  return Suffix;
}

// The folder part of an absolute encoded name ("/" for a name right under the root).
QByteArray FolderOf(const QByteArray& Name) {
  const qsizetype Slash = Name.lastIndexOf('/');
  return Slash > 0 ? Name.left(Slash) : QByteArray("/");
}

// The user may not write it, or its mode gives its owner no write permission, which marks
// it read-only even for root.
bool IsReadOnly(const QByteArray& Name, const struct stat& St) {
  return !(St.st_mode & S_IWUSR) || ::access(Name.constData(), W_OK) != 0;
}

// The rule the kernel keeps for links when it opens a file itself: in a sticky folder that
// every user may write to, such as /tmp, a link is followed only when it belongs to this
// user or to the folder's owner, so that a link another user left there at the name being
// saved to does not lead the write to a file of the user's. False with Reason otherwise.
bool MayFollowLink(const QByteArray& Link, const struct stat& LinkSt, QString& Reason) {
  if (LinkSt.st_uid == ::geteuid()) return true;
  struct stat Folder {};
  if (::stat(FolderOf(Link).constData(), &Folder) != 0) {
    Reason = qt_error_string(errno);
    return false;
  }
  constexpr mode_t Shared = S_ISVTX | S_IWOTH;
  if ((Folder.st_mode & Shared) != Shared || Folder.st_uid == LinkSt.st_uid) return true;
  Reason = QStringLiteral("The link %1 belongs to another user, in a folder every user may write to: "
                          "it is not followed")
               .arg(QFile::decodeName(Link));
  return false;
}

// Name followed through any chain of links to the file the last one names, in its folder
// with links resolved; Name itself when it is no link. False with Reason when the links loop,
// a link may not be followed or the folder of that file cannot be reached (a disk that is
// not mounted).
bool FollowLinks(QByteArray& Name, QString& Reason) {
  QByteArray Current = Name;
  for (int Hops = 0;; ++Hops) {
    struct stat St {};
    if (::lstat(Current.constData(), &St) != 0 || !S_ISLNK(St.st_mode)) break;
    if (Hops == MaxLinkHops) {
      Reason = qt_error_string(ELOOP);
      return false;
    }
    if (!MayFollowLink(Current, St, Reason)) return false;
    QByteArray Next(PATH_MAX, '\0');
    const ssize_t Size = ::readlink(Current.constData(), Next.data(), size_t(Next.size()));
    if (Size < 0) {
      Reason = qt_error_string(errno);
      return false;
    }
    Next.truncate(Size);
    Current = Next.startsWith('/') ? Next : Current.left(Current.lastIndexOf('/') + 1) + Next;
  }
  if (Current == Name) return true;
  char* Folder = ::realpath(FolderOf(Current).constData(), nullptr);
  if (Folder == nullptr) {
    Reason = QStringLiteral("It links to %1, whose folder cannot be reached: %2")
                 .arg(QFile::decodeName(Current), qt_error_string(errno));
    return false;
  }
  const QByteArray Resolved(Folder);
  std::free(Folder);
  Name = Resolved + (Resolved.endsWith('/') ? "" : "/") + Current.mid(Current.lastIndexOf('/') + 1);
  return true;
}

TFileKind KindOf(const struct stat& St) {
  if (S_ISREG(St.st_mode)) return TFileKind::Regular;
  if (S_ISDIR(St.st_mode)) return TFileKind::Folder;
  if (S_ISCHR(St.st_mode)) {
    // The null device is known by its device number, whatever name or link leads to it.
    static const dev_t NullRdev = [] {
      struct stat Null {};
      return ::stat("/dev/null", &Null) == 0 && S_ISCHR(Null.st_mode) ? Null.st_rdev : dev_t(-1);
    }();
    return St.st_rdev == NullRdev ? TFileKind::NullDevice : TFileKind::Device;
  }
  if (S_ISBLK(St.st_mode)) return TFileKind::Device;
  return TFileKind::Special;
}

}  // namespace

const char* const DeviceNotFileReason = "It is a device, not a file";
const char* const ReadOnlyReason = "This file is set to read-only";

bool IsReadOnlyFile(const QString& FileName) {
  const QByteArray Name = QFile::encodeName(FileName);
  struct stat St {};
  return !FileName.isEmpty() && ::stat(Name.constData(), &St) == 0 && IsReadOnly(Name, St);
}

TFileKind FileKindOf(const QString& FileName) {
  struct stat St {};
  if (FileName.isEmpty() || ::stat(QFile::encodeName(FileName).constData(), &St) != 0) return TFileKind::Missing;
  return KindOf(St);
}

const TFileSysCalls& DefaultFileSysCalls() {
  static const TFileSysCalls Default{::write, ::fsync, ::close};
  return Default;
}

TFileSysCalls SetFileSysCalls(const TFileSysCalls& NewCalls) {
  const TFileSysCalls Previous = Calls();
  Calls() = NewCalls;
  return Previous;
}

TSafeFile::~TSafeFile() { Cancel(); }

bool TSafeFile::Fail(int Error) {
  if (FReason.isEmpty()) FReason = qt_error_string(Error);
  Cancel();
  return false;
}

bool TSafeFile::IsTemporaryName(QStringView Name, QStringView Target) {
  const QLatin1StringView Infix(TempInfix), Ending(TempEnding);
  if (Name.size() != Target.size() + Infix.size() + TempSuffixLength + Ending.size()) return false;
  if (!Name.startsWith(Target) || !Name.sliced(Target.size()).startsWith(Infix) || !Name.endsWith(Ending))
    return false;
  for (QChar C : Name.sliced(Target.size() + Infix.size(), TempSuffixLength))
    if (!(C.isLetterOrNumber() && C.unicode() < 128)) return false;
  return true;
}

void TSafeFile::RemoveStaleTemporaries(const QString& Target) {
  const QFileInfo Info(Target);
  const QString Own = Info.fileName();
  const QDateTime Before = QDateTime::currentDateTimeUtc().addSecs(-StaleAfterSeconds);
  QDir Dir = Info.absoluteDir();
  const QFileInfoList Found = Dir.entryInfoList({QStringLiteral("*") + QLatin1StringView(TempEnding)},
                                                QDir::Files | QDir::Hidden | QDir::System);
  for (const QFileInfo& F : Found) {
    if (!IsTemporaryName(F.fileName(), Own)) continue;
    if (F.isSymLink() || F.lastModified().toUTC() >= Before) continue;
    QFile::remove(F.absoluteFilePath());
  }
}

bool TSafeFile::Open(const QString& FileName) {
  Cancel();
  FReason.clear();
  FTarget.clear();
  if (FileName.isEmpty()) {
    FReason = QStringLiteral("No file name");
    return false;
  }
  // A link is followed: the file it names is replaced, or made, and the link stays.
  FTarget = QFile::encodeName(QFileInfo(FileName).absoluteFilePath());
  if (!FollowLinks(FTarget, FReason)) return false;
  const QString Target = QFile::decodeName(FTarget);
  struct stat St {};
  const bool Exists = ::stat(FTarget.constData(), &St) == 0;
  const TFileKind Kind = Exists ? KindOf(St) : TFileKind::Missing;
  if (Kind == TFileKind::Folder) {
    FReason = QStringLiteral("Is a directory");
    return false;
  }
  if (Kind == TFileKind::NullDevice) {
    FFd = ::open(FTarget.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (FFd < 0) return Fail(errno);
    return true;
  }
  if (Kind == TFileKind::Device) {
    FReason = QString::fromLatin1(DeviceNotFileReason);
    return false;
  }
  if (Kind == TFileKind::Special) {
    FReason = QStringLiteral("Not a regular file but a pipe or other special file");
    return false;
  }
  // The rename that puts the new file in its place would not be stopped by the mode.
  if (Exists && IsReadOnly(FTarget, St)) {
    FReason = QString::fromLatin1(ReadOnlyReason);
    return false;
  }
  RemoveStaleTemporaries(Target);
  for (int Attempt = 0; Attempt < 100; ++Attempt) {
    FTemp = FTarget + TempInfix + RandomSuffix() + TempEnding;
    FFd = ::open(FTemp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (FFd >= 0 || errno != EEXIST) break;
  }
  if (FFd < 0) {
    FTemp.clear();
    return Fail(errno);
  }
  // The new file keeps the owner and group of the one it replaces where this user may give
  // them (root always; another user the group, when a member of it), then its permissions,
  // which a change of owner may have cut.
  if (Exists) {
    const bool Kept = ::fchown(FFd, St.st_uid, St.st_gid) == 0 || ::fchown(FFd, uid_t(-1), St.st_gid) == 0;
    (void)Kept;  // else the new file is this user's, in the group it was made with
    (void)::fchmod(FFd, St.st_mode & 07777);
  }
  return true;
}

bool TSafeFile::Write(const char* Data, qint64 Size) {
  if (FFd < 0) return false;
  while (Size > 0) {
    const ssize_t Done = Calls().Write(FFd, Data, size_t(Size));
    if (Done < 0) {
      if (errno == EINTR) continue;
      return Fail(errno);
    }
    // A short write is followed by another, which gives the system's reason; a write of
    // nothing at all can only mean the disk is full.
    if (Done == 0) return Fail(ENOSPC);
    Data += Done;
    Size -= Done;
  }
  return true;
}

bool TSafeFile::Commit() {
  if (FFd < 0) return false;
  if (FTemp.isEmpty()) {
    const int Result = Calls().Close(FFd);
    FFd = -1;
    return Result == 0 || Fail(errno);
  }
  // A disk that fills while the data is written out says so here, before the target is touched.
  if (Calls().Sync(FFd) != 0) return Fail(errno);
  const int Result = Calls().Close(FFd);
  FFd = -1;
  if (Result != 0) return Fail(errno);
  if (::rename(FTemp.constData(), FTarget.constData()) != 0) return Fail(errno);
  FTemp.clear();
  return true;
}

void TSafeFile::Cancel() {
  if (FFd >= 0) ::close(FFd);
  FFd = -1;
  if (!FTemp.isEmpty()) ::unlink(FTemp.constData());
  FTemp.clear();
}

bool WriteFileSafely(const QString& FileName, const QByteArray& Bytes, QString& Reason) {
  TSafeFile File;
  const bool Ok = File.Open(FileName) && File.Write(Bytes) && File.Commit();
  Reason = Ok ? QString() : File.Reason();
  return Ok;
}
