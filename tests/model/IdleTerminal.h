#pragma once
// A pseudo-terminal that nobody types into or reads from, and a bounded wait for a call
// that might block on it: reading such a terminal waits for a line, writing it waits
// once its buffer is full.

#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <pty.h>
#include <unistd.h>

class TIdleTerminal {
 public:
  TIdleTerminal() {
    char Name[256] = {};
    if (::openpty(&FMaster, &FSlave, Name, nullptr, nullptr) == 0) FName = QFile::decodeName(Name);
  }
  ~TIdleTerminal() {
    HangUp();
    if (FSlave >= 0) ::close(FSlave);
  }
  TIdleTerminal(const TIdleTerminal&) = delete;
  TIdleTerminal& operator=(const TIdleTerminal&) = delete;

  bool Ok() const { return !FName.isEmpty(); }
  // The terminal's device name, e.g. /dev/pts/3.
  const QString& Name() const { return FName; }
  // Closes the other end: a read or write waiting on the terminal then returns.
  void HangUp() {
    if (FMaster >= 0) ::close(FMaster);
    FMaster = -1;
  }
  // What was written to the terminal and not yet taken, without waiting.
  QByteArray Written() const {
    QByteArray All;
    if (FMaster < 0) return All;
    const int Flags = ::fcntl(FMaster, F_GETFL);
    ::fcntl(FMaster, F_SETFL, Flags | O_NONBLOCK);
    char Buffer[4096];
    for (ssize_t Got; (Got = ::read(FMaster, Buffer, sizeof Buffer)) > 0;) All.append(Buffer, Got);
    ::fcntl(FMaster, F_SETFL, Flags);
    return All;
  }

 private:
  int FMaster = -1;
  int FSlave = -1;
  QString FName;
};

// Runs Call on a thread of its own and returns its result. A call still waiting after a
// generous half minute fails the test; the terminal is then hung up so that the call
// returns.
template <typename TCall>
auto RunBounded(TIdleTerminal& Terminal, TCall Call) {
  auto Result = std::async(std::launch::async, Call);
  if (Result.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
    ADD_FAILURE() << "the call waited on the terminal";
    Terminal.HangUp();
  }
  return Result.get();
}
