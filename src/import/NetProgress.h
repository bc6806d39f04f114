#pragma once
// What a running download or web-service call tells the window that waits for it, and
// how that window stops it. The transfer runs on another thread than the window, so
// every member may be called from either side at any time.

#include <QString>

#include <atomic>
#include <mutex>

class TNetProgress {
 public:
  // What is being waited for, e.g. "Downloading station AMW (2 of 3) from NWS_COOP".
  void SetStep(const QString& Text) {
    std::lock_guard<std::mutex> Lock(FMutex);
    FStep = Text;
  }
  QString Step() const {
    std::lock_guard<std::mutex> Lock(FMutex);
    return FStep;
  }
  // Asks the running transfer to stop; it gives up within a few hundredths of a second,
  // and so does every transfer started afterwards with this object.
  void Cancel() { FCancelled = true; }
  bool Cancelled() const { return FCancelled; }

 private:
  mutable std::mutex FMutex;
  QString FStep;
  std::atomic<bool> FCancelled{false};
};
