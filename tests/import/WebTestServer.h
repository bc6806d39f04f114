#pragma once
// A small HTTP server on 127.0.0.1 (a free port) that runs in a thread for one test and
// answers from canned replies, for the tests of the web importers.

#include <httplib.h>

#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TWebTestServer {
 public:
  using THandler = std::function<void(const httplib::Request&, httplib::Response&)>;

  TWebTestServer() {
    Port = Server.bind_to_any_port("127.0.0.1");
    const auto Dispatch = [this](const httplib::Request& Req, httplib::Response& Res) {
      THandler Handler;
      {
        std::lock_guard<std::mutex> Lock(Mutex);
        Targets.push_back(Req.target);
        LastRequest = Req;
        for (const auto& [Prefix, H] : Routes) {
          if (Req.path.rfind(Prefix, 0) == 0) Handler = H;  // the longest prefix wins
        }
      }
      if (Handler) {
        Handler(Req, Res);
      } else {
        Res.status = 404;
        Res.set_content("<html><body>Not Found</body></html>", "text/html");
      }
    };
    Server.Get(".*", Dispatch);
    Server.Post(".*", Dispatch);
    Thread = std::thread([this] { Server.listen_after_bind(); });
    for (int I = 0; I < 500 && !Server.is_running(); ++I) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  ~TWebTestServer() {
    Stopping = true;
    Server.stop();
    if (Thread.joinable()) Thread.join();
  }
  TWebTestServer(const TWebTestServer&) = delete;
  TWebTestServer& operator=(const TWebTestServer&) = delete;

  QString Base() const { return QStringLiteral("http://127.0.0.1:%1").arg(Port); }

  void Route(const std::string& PathPrefix, THandler Handler) {
    std::lock_guard<std::mutex> Lock(Mutex);
    Routes[PathPrefix] = std::move(Handler);
  }
  // Answers every path that begins with PathPrefix with Body.
  void Serve(const std::string& PathPrefix, const std::string& Body) {
    Route(PathPrefix, [Body](const httplib::Request&, httplib::Response& Res) {
      Res.set_content(Body, "text/plain");
    });
  }

  std::string LastTarget() {
    std::lock_guard<std::mutex> Lock(Mutex);
    return Targets.empty() ? std::string() : Targets.back();
  }
  httplib::Request Last() {
    std::lock_guard<std::mutex> Lock(Mutex);
    return LastRequest;
  }

  int Port = -1;
  // Set when the server goes; handlers that wait watch it.
  std::atomic<bool> Stopping{false};

 private:
  httplib::Server Server;
  std::thread Thread;
  std::mutex Mutex;
  std::map<std::string, THandler> Routes;
  std::vector<std::string> Targets;
  httplib::Request LastRequest;
};

// The bytes of a fixture under tests/data/web.
inline std::string WebFixture(const char* Name) {
  QFile File(QStringLiteral(FURROW_TEST_DATA_DIR "/web/") + QString::fromLatin1(Name));
  if (!File.open(QIODevice::ReadOnly)) return "missing fixture " + std::string(Name);
  return File.readAll().toStdString();
}
