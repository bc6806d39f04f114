#pragma once
// Line output to a text file that never throws: a failure is kept as a status code,
// later writes are skipped, and the caller asks at the end for a message.
//
// The file is written through a TSafeFile: beside its target under a temporary name, and
// it only takes the target's place when Close succeeds, so a failed write never destroys an
// earlier file. The null device is written directly; other devices and pipes are refused.

#include <QString>

#include <memory>

class TSafeFile;

class TTextOutFile {
 public:
  enum StatusCode { StatusOk = 0, StatusCreateFailed = 1, StatusWriteFailed = 2, StatusCloseFailed = 3 };

  TTextOutFile();
  virtual ~TTextOutFile();
  TTextOutFile(const TTextOutFile&) = delete;
  TTextOutFile& operator=(const TTextOutFile&) = delete;

  // Starts writing FileName (expanded to a full path). False and Status 1 when the
  // file cannot be created.
  bool Open(const QString& FileName);
  // Writes Text as UTF-8 with no line end; skipped unless Status is 0.
  void Write(const QString& Text);
  // Writes Bytes as they are (text already encoded, or a printer's PDF); skipped unless
  // Status is 0.
  void WriteData(const QByteArray& Bytes);
  virtual void NewLine();  // CR LF
  virtual void NewPage();  // form feed
  // Finishes the file: the written text replaces the target. Status 3 when that fails.
  virtual void Close();
  // Drops what was written; an earlier file of the same name stays as it was.
  void Abandon();
  virtual QString GetErrorMessage() const;
  // FileName, a line break and GetErrorMessage; then, on a further line, the system's
  // reason for the failure when it gave one.
  QString GetFullErrorMessage() const;
  // The system's reason for the first failure, or an empty text.
  const QString& Reason() const { return FReason; }

  const QString& FileName() const { return FFileName; }
  int Status() const { return FStatus; }

 protected:
  QString FFileName;
  int FStatus = StatusOk;
  QString FReason;

 private:
  bool Flush();
  void Release();
  std::unique_ptr<TSafeFile> FFile;
  QByteArray FBuffer;
};
