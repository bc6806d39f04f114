#pragma once
// Test helpers for the web-service code: a local HTTP server on 127.0.0.1 (a free
// port) answering from a handler on its own thread, an address where nothing listens,
// and a private temporary folder that shows whether every temporary file was deleted.

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <httplib.h>
#include <pugixml.hpp>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class TSoapTestServer {
 public:
  struct TRequest {
    std::string Body, SoapAction, ContentType;
    int Count = 0;
  };
  using THandler = std::function<void(TSoapTestServer& Self, httplib::Response&)>;

  explicit TSoapTestServer(THandler Handler) : FHandler(std::move(Handler)) {
    FServer.Post(".*", [this](const httplib::Request& Req, httplib::Response& Res) {
      {
        std::lock_guard<std::mutex> Lock(FMutex);
        FLast = {Req.body, Req.get_header_value("SOAPAction"), Req.get_header_value("Content-Type"), FLast.Count + 1};
      }
      FHandler(*this, Res);
    });
    FPort = FServer.bind_to_any_port("127.0.0.1");
    FThread = std::thread([this] { FServer.listen_after_bind(); });
    // A server stopped before it runs would not stop.
    for (int I = 0; I < 5000 && !FServer.is_running(); ++I) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~TSoapTestServer() {
    FReleased = true;
    FServer.stop();
    FThread.join();
  }

  QString Url() const { return QStringLiteral("http://127.0.0.1:%1/service").arg(FPort); }
  TRequest Last() const {
    std::lock_guard<std::mutex> Lock(FMutex);
    return FLast;
  }
  // For a handler that never answers in time: waits until the server goes (5 s at most).
  void Stall() const {
    for (int I = 0; I < 500 && !FReleased; ++I) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

 private:
  THandler FHandler;
  httplib::Server FServer;
  int FPort = 0;
  std::thread FThread;
  mutable std::mutex FMutex;
  TRequest FLast;
  std::atomic<bool> FReleased{false};
};

// A server that answers every request with Reply (HTTP status Status).
inline TSoapTestServer::THandler Answer(std::string Reply, int Status = 200) {
  return [Reply = std::move(Reply), Status](TSoapTestServer&, httplib::Response& Res) {
    Res.status = Status;
    Res.set_content(Reply, "text/xml");
  };
}

// An address where nothing listens: that of a server that has gone.
inline QString RefusingUrl() { return TSoapTestServer(Answer("")).Url(); }

// Points the temporary folder at a fresh private folder while it lives.
class TPrivateTempDir {
 public:
  TPrivateTempDir() : FOld(qgetenv("TMPDIR")) { qputenv("TMPDIR", FDir.path().toLocal8Bit()); }
  ~TPrivateTempDir() { FOld.isEmpty() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", FOld); }
  int FileCount() const { return int(QDir(FDir.path()).entryList(QDir::Files | QDir::Hidden).size()); }

 private:
  QByteArray FOld;
  QTemporaryDir FDir;
};

inline std::string ReadTestFile(const char* Name) {
  QFile File(QStringLiteral(FURROW_TEST_DATA_DIR "/soap/") + QString::fromLatin1(Name));
  return File.open(QIODevice::ReadOnly) ? File.readAll().toStdString() : std::string();
}

inline std::string SoapEnvelopeText(const std::string& BodyContent) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
         "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><soap:Body>" +
         BodyContent + "</soap:Body></soap:Envelope>";
}

inline std::string SoapFaultText(const std::string& Message) {
  return SoapEnvelopeText("<soap:Fault><faultcode>soap:Server</faultcode><faultstring>" + Message +
                          "</faultstring></soap:Fault>");
}

// The first element inside the Body of a request.
inline pugi::xml_node RequestCall(pugi::xml_document& Doc, const std::string& Body) {
  Doc.load_string(Body.c_str());
  return Doc.document_element().child("SOAP-ENV:Body").first_child();
}
