#pragma once
// Writing a file so that its target is replaced only by a complete copy.
//
// The text goes to a temporary file "name.furrow-XXXXXX.part" beside the target; every
// write is checked, the data is flushed to the disk and the close checked, and only then
// does the temporary file take the target's place, with the owner, group and permissions of
// the file it replaces as far as this user may give them. On any failure the temporary file
// is removed and an earlier file stays as it was. A file set to read-only is refused, even
// for a user who could write it. A link is followed: the file it names is written and the
// link stays; a link to a file whose folder is missing is refused, and so is a link of
// another user in a sticky folder open to every user (such as /tmp) unless it is the
// folder owner's, as the kernel would refuse it. A target that is the null
// device is written directly and never replaced; any other device (a terminal could wait for
// ever), a pipe, socket or other special file is refused at once, without waiting for a
// reader. Temporary files of that form left by a save that was killed are removed when they
// are older than a minute; no other file is touched.

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// What a name stands for once links are followed.
enum class TFileKind {
  Missing,     // nothing of that name, or it cannot be looked at
  Regular,     // a file
  Folder,
  NullDevice,  // /dev/null: reads empty, takes any write
  Device,      // any other device: reading or writing a terminal may wait for ever
  Special      // a pipe, socket or the like
};
TFileKind FileKindOf(const QString& FileName);
// The reason given for a device that is not the null device.
extern const char* const DeviceNotFileReason;
// The reason given for a file that may not be written.
extern const char* const ReadOnlyReason;
// A file that is there and may not be written: the user lacks the right, or its mode
// gives its owner none (set to read-only, which holds even for a user who could write it).
bool IsReadOnlyFile(const QString& FileName);

// The system calls that move data to the disk; tests swap them to stage a full disk.
struct TFileSysCalls {
  ssize_t (*Write)(int Fd, const void* Data, size_t Size);
  int (*Sync)(int Fd);
  int (*Close)(int Fd);
};
const TFileSysCalls& DefaultFileSysCalls();
// Installs Calls for every later write; returns the ones in use before.
TFileSysCalls SetFileSysCalls(const TFileSysCalls& Calls);

class TSafeFile {
 public:
  TSafeFile() = default;
  ~TSafeFile();  // an unfinished file is dropped
  TSafeFile(const TSafeFile&) = delete;
  TSafeFile& operator=(const TSafeFile&) = delete;

  // Starts writing FileName; False with Reason when it cannot be created.
  bool Open(const QString& FileName);
  // Writes all of Data; False with Reason at the first failure.
  bool Write(const char* Data, qint64 Size);
  bool Write(const QByteArray& Bytes) { return Write(Bytes.constData(), Bytes.size()); }
  // Flushes and closes; the written file replaces the target. False with Reason.
  bool Commit();
  // Drops what was written; the target stays as it was.
  void Cancel();
  bool IsOpen() const { return FFd >= 0; }
  // The system's reason for the first failure ("No space left on device").
  const QString& Reason() const { return FReason; }

  // Removes temporary files "Target.furrow-XXXXXX.part" older than a minute.
  static void RemoveStaleTemporaries(const QString& Target);
  // Whether the file name Name has the form of a temporary file of the file name Target.
  static bool IsTemporaryName(QStringView Name, QStringView Target);

 private:
  bool Fail(int Error);
  QByteArray FTarget;  // encoded names
  QByteArray FTemp;    // empty when writing the target directly
  int FFd = -1;
  QString FReason;
};

// Writes Bytes as the whole of FileName through a TSafeFile; False with the reason.
bool WriteFileSafely(const QString& FileName, const QByteArray& Bytes, QString& Reason);
