#pragma once
// Test helpers for the web-service code: a local HTTP server on 127.0.0.1 (a free
// port) answering from a handler on its own thread, and a private temporary folder
// that shows whether every temporary file was deleted.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class TSoapTestServer {
 public:
  using THandler = std::function<void(const httplib::Request&, httplib::Response&)>;

  explicit TSoapTestServer(THandler Handler) : FHandler(std::move(Handler)) {
    FServer.Post(".*", [this](const httplib::Request& Req, httplib::Response& Res) {
      {
        std::lock_guard<std::mutex> Lock(FMutex);
        FBody = Req.body;
        FSoapAction = Req.get_header_value("SOAPAction");
        FContentType = Req.get_header_value("Content-Type");
        ++FRequests;
      }
      FHandler(Req, Res);
    });
    FPort = FServer.bind_to_any_port("127.0.0.1");
    FThread = std::thread([this] { FServer.listen_after_bind(); });
    // Stopping a server that has not started running yet would not stop it.
    const auto End = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!FServer.is_running() && std::chrono::steady_clock::now() < End)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~TSoapTestServer() {
    Release();
    FServer.stop();
    FThread.join();
  }

  QString Url(const char* Path = "/service") const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(FPort).arg(QString::fromLatin1(Path));
  }
  std::string Body() const {
    std::lock_guard<std::mutex> Lock(FMutex);
    return FBody;
  }
  std::string SoapAction() const {
    std::lock_guard<std::mutex> Lock(FMutex);
    return FSoapAction;
  }
  std::string ContentType() const {
    std::lock_guard<std::mutex> Lock(FMutex);
    return FContentType;
  }
  int Requests() const {
    std::lock_guard<std::mutex> Lock(FMutex);
    return FRequests;
  }

  // For a handler that stalls: waits until the server is released (or 5 s pass).
  void Stall() const {
    const auto End = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!FReleased && std::chrono::steady_clock::now() < End)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  void Release() { FReleased = true; }

 private:
  THandler FHandler;
  httplib::Server FServer;
  int FPort = 0;
  std::thread FThread;
  mutable std::mutex FMutex;
  std::string FBody, FSoapAction, FContentType;
  int FRequests = 0;
  std::atomic<bool> FReleased{false};
};

// An address where nothing listens: a port that was free a moment ago.
inline QString RefusingUrl() {
  int Port = 1;
  const int Sock = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in Addr{};
  Addr.sin_family = AF_INET;
  Addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t Len = sizeof Addr;
  if (Sock >= 0 && ::bind(Sock, reinterpret_cast<sockaddr*>(&Addr), sizeof Addr) == 0 &&
      ::getsockname(Sock, reinterpret_cast<sockaddr*>(&Addr), &Len) == 0)
    Port = ntohs(Addr.sin_port);
  if (Sock >= 0) ::close(Sock);
  return QStringLiteral("http://127.0.0.1:%1/service").arg(Port);
}

// Points the temporary folder at a fresh private folder while it lives.
class TPrivateTempDir {
 public:
  TPrivateTempDir() : FOld(qgetenv("TMPDIR")) { qputenv("TMPDIR", FDir.path().toLocal8Bit()); }
  ~TPrivateTempDir() {
    if (FOld.isEmpty())
      qunsetenv("TMPDIR");
    else
      qputenv("TMPDIR", FOld);
  }
  // Files left in the folder.
  int FileCount() const { return int(QDir(FDir.path()).entryList(QDir::Files | QDir::Hidden).size()); }

 private:
  QByteArray FOld;
  QTemporaryDir FDir;
};

inline std::string ReadTestFile(const QString& Name) {
  QFile File(QStringLiteral(FURROW_TEST_DATA_DIR "/soap/") + Name);
  if (!File.open(QIODevice::ReadOnly)) return {};
  return File.readAll().toStdString();
}

// The XML of a reply body as a SOAP 1.1 envelope.
inline std::string SoapEnvelopeText(const std::string& BodyContent) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
         "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
         "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"><soap:Body>" +
         BodyContent + "</soap:Body></soap:Envelope>";
}

inline std::string SoapFaultText(const std::string& Message) {
  return SoapEnvelopeText("<soap:Fault><faultcode>soap:Server</faultcode><faultstring>" + Message +
                          "</faultstring></soap:Fault>");
}
