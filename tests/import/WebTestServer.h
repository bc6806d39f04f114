#pragma once
// A small HTTP server on 127.0.0.1 (a free port) that runs in a thread for one test and
// answers from canned replies, and a test base that points the web sources at it.

#include "ImpWeathHttp.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

class TWebTestServer {
 public:
  using THandler = std::function<void(const httplib::Request&, httplib::Response&)>;

  TWebTestServer() {
    Port = FServer.bind_to_any_port("127.0.0.1");
    const auto Dispatch = [this](const httplib::Request& Req, httplib::Response& Res) {
      THandler Handler;
      {
        std::lock_guard<std::mutex> Lock(FMutex);
        FLast = Req;
        // Of the prefixes of one path the longest sorts last.
        for (const auto& [Prefix, H] : FRoutes) {
          if (Req.path.rfind(Prefix, 0) == 0) Handler = H;
        }
      }
      if (Handler) return Handler(Req, Res);
      Res.status = 404;
      Res.set_content("<html><body>Not Found</body></html>", "text/html");
    };
    FServer.Get(".*", Dispatch);
    FServer.Post(".*", Dispatch);
    FThread = std::thread([this] { FServer.listen_after_bind(); });
    for (int I = 0; I < 1000 && !FServer.is_running(); ++I) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  ~TWebTestServer() {
    Stopping = true;
    FServer.stop();
    FThread.join();
  }

  QString Base() const { return QStringLiteral("http://127.0.0.1:%1").arg(Port); }
  void Route(const std::string& PathPrefix, THandler Handler) {
    std::lock_guard<std::mutex> Lock(FMutex);
    FRoutes[PathPrefix] = std::move(Handler);
  }
  // Every path that begins with PathPrefix gets Body.
  void Serve(const std::string& PathPrefix, const std::string& Body) {
    Route(PathPrefix, [Body](const httplib::Request&, httplib::Response& Res) {
      Res.set_content(Body, "text/plain");
    });
  }
  // The last request's target (path and query as sent), and its form fields sorted by
  // name as "name=value&...".
  std::string LastTarget() {
    std::lock_guard<std::mutex> Lock(FMutex);
    return FLast.target;
  }
  std::string LastForm() {
    std::lock_guard<std::mutex> Lock(FMutex);
    std::string Form;
    for (const auto& [Name, Part] : FLast.files) Form += (Form.empty() ? "" : "&") + Name + "=" + Part.content;
    return Form;
  }

  int Port = -1;
  std::atomic<bool> Stopping{false};  // handlers that wait watch it

 private:
  httplib::Server FServer;
  std::thread FThread;
  std::mutex FMutex;
  std::map<std::string, THandler> FRoutes;
  httplib::Request FLast;
};

// The bytes of a fixture under tests/data/web.
inline std::string WebFixture(const char* Name) {
  QFile File(QStringLiteral(FURROW_TEST_DATA_DIR "/web/") + QString::fromLatin1(Name));
  return File.open(QIODevice::ReadOnly) ? File.readAll().toStdString() : std::string();
}

// The sites at /wu, /iem and /msu of the local server, the station-list script at
// /script/getStations.php, and a temporary folder of the test's own that must be empty
// again when the test ends.
class TWebTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FOldTmpDir = qgetenv("TMPDIR");
    qputenv("TMPDIR", TempDir.path().toLocal8Bit());
    qunsetenv(StationScriptEnvVar);
    Hosts.WeatherSite = Server.Base() + "/wu";
    Hosts.Mesonet = Server.Base() + "/iem";
    Hosts.StateNetwork = Server.Base() + "/msu";
    Hosts.StationScript = Server.Base() + "/script/getStations.php";
    Options.TimeoutMs = 20000;
  }
  void TearDown() override {
    EXPECT_TRUE(QDir(TempDir.path()).isEmpty()) << "a temporary file was left behind";
    qputenv("TMPDIR", FOldTmpDir);
    qunsetenv(StationScriptEnvVar);
  }
  // A new importer aimed at the local server.
  template <typename T>
  T Make() const {
    T Importer;
    Importer.Hosts = Hosts;
    Importer.HttpOptions = Options;
    return Importer;
  }

  TWebTestServer Server;
  QTemporaryDir TempDir;
  TWeatherWebHosts Hosts;
  THttpOptions Options;

 private:
  QByteArray FOldTmpDir;
};
