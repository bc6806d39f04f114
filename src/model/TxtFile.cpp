#include "TxtFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>

namespace {
constexpr qsizetype BufferSize = 2048;
}

TTextOutFile::TTextOutFile() { FBuffer.reserve(BufferSize); }

// An unfinished QSaveFile discards its temporary file, so the target stays as it was.
TTextOutFile::~TTextOutFile() = default;

QFileDevice* TTextOutFile::Device() const {
  if (FFile) return FFile.get();
  return FDirect.get();
}

void TTextOutFile::Release() {
  if (FFile) FFile->cancelWriting();
  FFile.reset();
  FDirect.reset();
  FBuffer.clear();
}

bool TTextOutFile::Open(const QString& FileName) {
  Release();
  FFileName = FileName.isEmpty() ? QString() : QFileInfo(FileName).absoluteFilePath();
  FStatus = StatusOk;
  FReason.clear();
  const QFileInfo Info(FFileName);
  bool Opened = false;
  if (FFileName.isEmpty() || Info.isDir()) {
    Opened = false;
  } else if (Info.exists() && !Info.isFile()) {
    // A character device (/dev/null, a terminal) cannot be replaced by a new file: write to
    // it directly. Anything else that is not a plain file (a named pipe would block until
    // a reader came) is refused.
    struct stat St {};
    if (::stat(QFile::encodeName(FFileName).constData(), &St) == 0 && S_ISCHR(St.st_mode)) {
      FDirect = std::make_unique<QFile>(FFileName);
      Opened = FDirect->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    } else {
      FReason = QStringLiteral("Not a file.");
    }
  } else {
    FFile = std::make_unique<QSaveFile>(FFileName);
    Opened = FFile->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
  }
  if (!Opened) {
    if (FReason.isEmpty()) {
      if (QFileDevice* Dev = Device()) {
        FReason = Dev->errorString();
      } else {
        FReason = FFileName.isEmpty() ? QStringLiteral("No file name.") : QStringLiteral("Is a directory.");
      }
    }
    FFile.reset();
    FDirect.reset();
    FStatus = StatusCreateFailed;
  }
  return FStatus == StatusOk;
}

bool TTextOutFile::Flush() {
  QFileDevice* Dev = Device();
  if (FBuffer.isEmpty() || Dev == nullptr) return true;
  const qint64 Written = Dev->write(FBuffer);
  const bool Ok = Written == FBuffer.size();
  if (!Ok && FReason.isEmpty()) FReason = Dev->errorString();
  FBuffer.clear();
  return Ok;
}

void TTextOutFile::Write(const QString& Text) {
  if (FStatus != StatusOk || Device() == nullptr) return;
  FBuffer += Text.toUtf8();
  if (FBuffer.size() >= BufferSize && !Flush()) FStatus = StatusWriteFailed;
}

void TTextOutFile::NewLine() { Write(QStringLiteral("\r\n")); }

void TTextOutFile::NewPage() { Write(QStringLiteral("\f")); }

void TTextOutFile::Close() {
  if (FStatus == StatusCreateFailed || Device() == nullptr) return;
  bool Ok = FStatus == StatusOk && Flush();
  if (FFile) {
    // Only a clean run replaces the target; after a failure the earlier file stays.
    if (Ok) {
      Ok = FFile->commit();
      if (!Ok && FReason.isEmpty()) FReason = FFile->errorString();
    } else {
      FFile->cancelWriting();
    }
  } else {
    FDirect->close();
    Ok = Ok && FDirect->error() == QFileDevice::NoError;
    if (!Ok && FReason.isEmpty()) FReason = FDirect->errorString();
  }
  if (!Ok && FStatus == StatusOk) FStatus = StatusCloseFailed;
  Release();
}

void TTextOutFile::Abandon() {
  if (FStatus == StatusCreateFailed) return;
  Release();
}

QString TTextOutFile::GetErrorMessage() const {
  switch (FStatus) {
    case StatusOk:
      return QString();
    case StatusCreateFailed:
      return QStringLiteral("Can't create file.");
    default:
      return QStringLiteral("Can't write to file.");
  }
}

QString TTextOutFile::GetFullErrorMessage() const {
  QString Msg = FFileName + QStringLiteral("\r\n") + GetErrorMessage();
  // The system's own words say why (disk full, no permission, no such folder).
  if (FStatus != StatusOk && !FReason.isEmpty()) Msg += QStringLiteral("\r\n") + FReason;
  return Msg;
}
