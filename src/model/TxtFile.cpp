#include "TxtFile.h"

#include "SafeFile.h"

#include <QFileInfo>

namespace {
constexpr qsizetype BufferSize = 2048;
}

TTextOutFile::TTextOutFile() { FBuffer.reserve(BufferSize); }

// An unfinished file is dropped, so the target stays as it was.
TTextOutFile::~TTextOutFile() = default;

void TTextOutFile::Release() {
  FFile.reset();
  FBuffer.clear();
}

bool TTextOutFile::Open(const QString& FileName) {
  Release();
  FFileName = FileName.isEmpty() ? QString() : QFileInfo(FileName).absoluteFilePath();
  FStatus = StatusOk;
  FReason.clear();
  FFile = std::make_unique<TSafeFile>();
  if (!FFile->Open(FFileName)) {
    FReason = FFile->Reason();
    FFile.reset();
    FStatus = StatusCreateFailed;
  }
  return FStatus == StatusOk;
}

bool TTextOutFile::Flush() {
  if (FBuffer.isEmpty() || !FFile) return true;
  const bool Ok = FFile->Write(FBuffer);
  if (!Ok && FReason.isEmpty()) FReason = FFile->Reason();
  FBuffer.clear();
  return Ok;
}

void TTextOutFile::Write(const QString& Text) { WriteData(Text.toUtf8()); }

void TTextOutFile::WriteData(const QByteArray& Bytes) {
  if (FStatus != StatusOk || !FFile) return;
  FBuffer += Bytes;
  if (FBuffer.size() >= BufferSize && !Flush()) FStatus = StatusWriteFailed;
}

void TTextOutFile::NewLine() { Write(QStringLiteral("\r\n")); }

void TTextOutFile::NewPage() { Write(QStringLiteral("\f")); }

void TTextOutFile::Close() {
  if (FStatus == StatusCreateFailed || !FFile) return;
  // Only a clean run replaces the target; after a failure the earlier file stays.
  bool Ok = FStatus == StatusOk && Flush();
  if (Ok) {
    Ok = FFile->Commit();
    if (!Ok && FReason.isEmpty()) FReason = FFile->Reason();
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
