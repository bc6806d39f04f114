#pragma once
// A full disk for every file the program writes while one of these lives: Room bytes fit,
// then a write is cut short and the next fails with ENOSPC. With FailSync everything fits
// but flushing it to the disk fails the same way (as with delayed allocation).

#include "SafeFile.h"

#include <algorithm>
#include <cerrno>

class TFullDisk {
 public:
  explicit TFullDisk(long Room, bool FailSync = false) {
    State() = {Room, FailSync};
    FPrevious = SetFileSysCalls({&Write, &Sync, DefaultFileSysCalls().Close});
  }
  ~TFullDisk() { SetFileSysCalls(FPrevious); }
  TFullDisk(const TFullDisk&) = delete;
  TFullDisk& operator=(const TFullDisk&) = delete;

 private:
  struct TState {
    long Room;
    bool FailSync;
  };
  static TState& State() {
    static TState S{};
    return S;
  }
  static ssize_t Write(int Fd, const void* Data, size_t Size) {
    if (State().Room <= 0) {
      errno = ENOSPC;
      return -1;
    }
    const ssize_t Done = DefaultFileSysCalls().Write(Fd, Data, std::min<size_t>(Size, size_t(State().Room)));
    if (Done > 0) State().Room -= Done;
    return Done;
  }
  static int Sync(int Fd) {
    if (!State().FailSync) return DefaultFileSysCalls().Sync(Fd);
    errno = ENOSPC;
    return -1;
  }
  TFileSysCalls FPrevious{};
};
