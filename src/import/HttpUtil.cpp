#include "HttpUtil.h"

#include "MiscUtil.h"

#include <QByteArray>
#include <QUrl>

#include <curl/curl.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>

const char* const HttpTlsHint = " OpenSSL libraries may not be installed.";
const char* const NetRetryHint = " Check the Internet connection, or try again later.";
const char* const MsgNetCancelled = "The transfer was cancelled.";

bool HttpInitCurl() {
  static std::once_flag Once;
  static bool Ok = false;
  std::call_once(Once, [] { Ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
  return Ok;
}

void THttpHandleDeleter::operator()(CURL* Handle) const { curl_easy_cleanup(Handle); }

QString HttpSizeText(int64_t Bytes) {
  constexpr int64_t MB = 1024 * 1024;
  if (Bytes >= MB && Bytes % MB == 0) return QString::number(Bytes / MB) + QStringLiteral(" MB");
  return QString::number(Bytes) + QStringLiteral(" bytes");
}

QString HttpSecondsText(int64_t Ms) {
  return FormatGeneral(double(Ms) / 1000.0, FileFormatSettings()) + QStringLiteral(" s");
}

namespace {

// Inflates In (one or more streams, back to back) into Out. WindowBits as for zlib's
// inflateInit2. The data must end exactly where a stream ends: a stream that stops early,
// or lacks its gzip trailer, is cut short.
THttpBody Inflate(const QByteArray& In, int WindowBits, int64_t Limit, QByteArray& Out) {
  Out.clear();
  if (In.size() > qsizetype(std::numeric_limits<uInt>::max())) return THttpBody::TooLarge;
  z_stream Z{};
  if (inflateInit2(&Z, WindowBits) != Z_OK) return THttpBody::Damaged;
  const std::unique_ptr<z_stream, int (*)(z_stream*)> Ender(&Z, inflateEnd);
  Z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(In.constData()));
  Z.avail_in = uInt(In.size());
  char Buffer[64 * 1024];
  for (;;) {
    Z.next_out = reinterpret_cast<Bytef*>(Buffer);
    Z.avail_out = sizeof Buffer;
    const int Status = inflate(&Z, Z_NO_FLUSH);
    const qsizetype Got = qsizetype(sizeof Buffer - Z.avail_out);
    if (int64_t(Out.size()) + Got > Limit) return THttpBody::TooLarge;
    Out.append(Buffer, Got);
    if (Status == Z_STREAM_END) {
      // Zero bytes or line ends after a stream are padding some servers add, not data.
      const auto* Rest = reinterpret_cast<const char*>(Z.next_in);
      const auto IsPadding = [](char C) { return C == '\0' || C == '\r' || C == '\n' || C == ' ' || C == '\t'; };
      if (std::all_of(Rest, Rest + Z.avail_in, IsPadding)) return THttpBody::Whole;
      // Another stream follows (gzip allows several members).
      if (inflateReset(&Z) != Z_OK) return THttpBody::Damaged;
      continue;
    }
    if (Status == Z_BUF_ERROR || (Status == Z_OK && Z.avail_in == 0 && Z.avail_out != 0))
      return THttpBody::CutShort;  // all input used, and the stream has not ended
    if (Status != Z_OK) return THttpBody::Damaged;
  }
}

THttpBody Decode(const QByteArray& Encoding, QByteArray& Body, int64_t Limit) {
  if (Encoding == "gzip" || Encoding == "x-gzip" || Encoding == "deflate") {
    QByteArray Out;
    // 15 + 32: a zlib or a gzip header, told apart by their first bytes.
    THttpBody Result = Inflate(Body, 15 + 32, Limit, Out);
    // Some servers send "deflate" as raw deflate data without the zlib header.
    if (Result == THttpBody::Damaged && Encoding == "deflate") Result = Inflate(Body, -15, Limit, Out);
    Body = Out;
    return Result;
  }
  return Encoding == "identity" ? THttpBody::Whole : THttpBody::UnknownEncoding;
}

struct TMultiDeleter {
  void operator()(CURLM* Multi) const { curl_multi_cleanup(Multi); }
};

// Sees each header line on its way to the caller's own header function (if any), to tell
// whether the header of the response being received has ended.
struct THeaderWatch {
  THttpHeaderFunction Forward = nullptr;
  void* ForwardData = nullptr;
  bool Ended = false;
};

size_t WatchHeader(char* Data, size_t Size, size_t Count, void* User) {
  auto* Watch = static_cast<THeaderWatch*>(User);
  const size_t Bytes = Size * Count;
  // The empty line ends a header; every other line, the first of a response included,
  // starts or continues one.
  Watch->Ended = (Bytes == 2 && Data[0] == '\r' && Data[1] == '\n') || (Bytes == 1 && Data[0] == '\n');
  return Watch->Forward != nullptr ? Watch->Forward(Data, Size, Count, Watch->ForwardData) : Bytes;
}

}  // namespace

void HttpAskCompressed(CURL* Handle) {
  // Only what zlib reads; the body is decoded here, where an early end is noticed.
  curl_easy_setopt(Handle, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
  curl_easy_setopt(Handle, CURLOPT_HTTP_CONTENT_DECODING, 0L);
}

QString HttpContentEncoding(CURL* Handle) {
  QString Encoding;
  curl_header* Header = nullptr;
  for (size_t Index = 0;
       curl_easy_header(Handle, "Content-Encoding", Index, CURLH_HEADER, -1, &Header) == CURLHE_OK && Header; ++Index) {
    if (!Encoding.isEmpty()) Encoding += QStringLiteral(", ");
    Encoding += QString::fromLatin1(Header->value).trimmed();
    if (Index + 1 >= Header->amount) break;
  }
  return Encoding;
}

THttpBody HttpFinishBody(CURL* Handle, QByteArray& Body, int64_t Limit) {
  THttpBody Result = THttpBody::Whole;
  // A reply shorter (or longer) than it announced lost its end or got mixed up.
  curl_off_t Announced = -1, Received = 0;
  curl_easy_getinfo(Handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &Announced);
  curl_easy_getinfo(Handle, CURLINFO_SIZE_DOWNLOAD_T, &Received);
  if (Announced >= 0 && Announced != Received) Result = THttpBody::CutShort;
  // An empty body is a whole, empty reply whatever encoding it is said to be in.
  if (Body.isEmpty()) return Result;
  // Encodings apply in the order named, so they are undone from the last.
  QList<QByteArray> Encodings = HttpContentEncoding(Handle).toLatin1().toLower().split(',');
  for (qsizetype I = Encodings.size() - 1; I >= 0 && Result == THttpBody::Whole; --I) {
    const QByteArray Encoding = Encodings[I].trimmed();
    if (!Encoding.isEmpty()) Result = Decode(Encoding, Body, Limit);
  }
  if (Result != THttpBody::Whole) Body.clear();
  return Result;
}

QString HttpBodyFaultText(THttpBody Result, const QString& Reply, CURL* Handle) {
  switch (Result) {
    case THttpBody::CutShort:
      return Reply + QLatin1String(" was cut short.") + QLatin1String(NetRetryHint);
    case THttpBody::Damaged:
      return Reply + QLatin1String(" is damaged: its compressed data cannot be read.") + QLatin1String(NetRetryHint);
    case THttpBody::UnknownEncoding:
      return Reply + QLatin1String(" is in an encoding this program cannot read (") +
             HttpContentEncoding(Handle).left(40) + QLatin1String(").");
    case THttpBody::Whole:
    case THttpBody::TooLarge:
      break;
  }
  return QString();
}

THttpEnd HttpRunTransfer(CURL* Handle, int64_t StallMs, int64_t TimeoutMs, const TNetProgress* Progress,
                         int& CurlCode, THttpHeaderFunction HeaderFunction, void* HeaderData) {
  using TClock = std::chrono::steady_clock;
  CurlCode = CURLE_OK;
  THeaderWatch Watch{HeaderFunction, HeaderData, false};
  curl_easy_setopt(Handle, CURLOPT_HEADERFUNCTION, WatchHeader);
  curl_easy_setopt(Handle, CURLOPT_HEADERDATA, &Watch);
  // The watch lives only as long as this call.
  const std::unique_ptr<CURL, void (*)(CURL*)> Unwatch(Handle, [](CURL* H) {
    curl_easy_setopt(H, CURLOPT_HEADERFUNCTION, nullptr);
    curl_easy_setopt(H, CURLOPT_HEADERDATA, nullptr);
  });
  const std::unique_ptr<CURLM, TMultiDeleter> Multi(curl_multi_init());
  if (!Multi || curl_multi_add_handle(Multi.get(), Handle) != CURLM_OK) {
    CurlCode = CURLE_FAILED_INIT;
    return THttpEnd::Done;
  }
  const auto Remove = [&] { curl_multi_remove_handle(Multi.get(), Handle); };
  const TClock::time_point Start = TClock::now();
  TClock::time_point LastData = Start;
  curl_off_t Received = 0, Sent = 0;
  // Whether the server has sent anything at all, and whether the connection was busy
  // during the last wait: the counts curl keeps grow only by whole header lines, so a
  // byte of a line that has not ended yet shows only as activity on the connection.
  bool Heard = false, Active = false;
  // The waits between checks: short enough that Cancel acts at once.
  constexpr int PollMs = 50;
  for (;;) {
    if (Progress != nullptr && Progress->Cancelled()) {
      Remove();
      return THttpEnd::Cancelled;
    }
    int Running = 0;
    if (curl_multi_perform(Multi.get(), &Running) != CURLM_OK) {
      CurlCode = CURLE_FAILED_INIT;
      Remove();
      return THttpEnd::Done;
    }
    if (Running == 0) {
      int Queued = 0;
      while (CURLMsg* Msg = curl_multi_info_read(Multi.get(), &Queued)) {
        if (Msg->msg == CURLMSG_DONE && Msg->easy_handle == Handle) CurlCode = Msg->data.result;
      }
      Remove();
      return THttpEnd::Done;
    }
    const TClock::time_point Now = TClock::now();
    curl_off_t Body = 0, Uploaded = 0;
    long Headers = 0, Request = 0;
    curl_easy_getinfo(Handle, CURLINFO_SIZE_DOWNLOAD_T, &Body);
    curl_easy_getinfo(Handle, CURLINFO_HEADER_SIZE, &Headers);
    curl_easy_getinfo(Handle, CURLINFO_REQUEST_SIZE, &Request);
    curl_easy_getinfo(Handle, CURLINFO_SIZE_UPLOAD_T, &Uploaded);
    if (Body + Headers != Received) {
      Received = Body + Headers;
      LastData = Now;
      Heard = true;
    } else if (Request + Uploaded != Sent) {
      Sent = Request + Uploaded;
      LastData = Now;
    } else if (Active) {
      LastData = Now;  // bytes came in that curl keeps until their line ends
      Heard = true;
    }
    const bool TimedOut = Now - Start >= std::chrono::milliseconds(TimeoutMs);
    if (TimedOut || Now - LastData >= std::chrono::milliseconds(StallMs)) {
      Remove();
      if (!TimedOut) return THttpEnd::Stalled;
      // The server kept sending, yet the header it had begun never ended.
      return Heard && Body == 0 && !Watch.Ended ? THttpEnd::HeaderTimedOut : THttpEnd::TimedOut;
    }
    int Events = 0;
    curl_multi_poll(Multi.get(), nullptr, 0, PollMs, &Events);
    Active = Events > 0;
  }
}

namespace {

constexpr const char* UserAgent = "Furrow";
constexpr const char* AllowedProtocols = "http,https";

struct TReply {
  QByteArray Body;
  int64_t Limit = 0;
  bool TooLarge = false;
  bool OutOfMemory = false;
  QByteArray StatusLine;  // of the last response: redirects start it over
};

// Called by curl with each piece of the body; returning less than it was given stops
// the transfer.
size_t WriteBody(char* Data, size_t Size, size_t Count, void* User) {
  auto* Reply = static_cast<TReply*>(User);
  const size_t Bytes = Size * Count;
  if (static_cast<int64_t>(Bytes) > Reply->Limit - static_cast<int64_t>(Reply->Body.size())) {
    Reply->TooLarge = true;
    return 0;
  }
  try {
    Reply->Body.append(Data, static_cast<qsizetype>(Bytes));
  } catch (...) {
    Reply->OutOfMemory = true;
    return 0;
  }
  return Bytes;
}

size_t ReadHeader(char* Data, size_t Size, size_t Count, void* User) {
  auto* Reply = static_cast<TReply*>(User);
  const size_t Bytes = Size * Count;
  if (Bytes >= 5 && std::equal(Data, Data + 5, "HTTP/")) {
    try {
      Reply->StatusLine = QByteArray(Data, static_cast<qsizetype>(std::min<size_t>(Bytes, 200))).trimmed();
    } catch (...) {
      return 0;
    }
  }
  return Bytes;
}

// Failures of the TLS layer itself rather than of the server: the TLS engine cannot be
// loaded or set up, its certificate store cannot be read, the secure connection
// cannot be negotiated, or this curl speaks no TLS at all.
bool IsTlsFailure(CURLcode Code, const QString& URL) {
  switch (Code) {
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_CACERT_BADFILE:
      return true;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_NOT_BUILT_IN:
      return URL.trimmed().startsWith(QStringLiteral("https:"), Qt::CaseInsensitive);
    default:
      return false;
  }
}

struct TMimeDeleter {
  void operator()(curl_mime* Mime) const { curl_mime_free(Mime); }
};

// One request. Fields == nullptr: GET; otherwise a multipart POST of Fields.
bool Perform(const QString& URL, const QStringList* Fields, QString& Content,
             QString& ErrorText, const THttpOptions& Options) {
  Content.clear();
  if (!HttpInitCurl()) {
    ErrorText = QStringLiteral("The HTTP library could not be initialised.");
    return false;
  }
  THttpHandle Handle(curl_easy_init());
  if (!Handle) {
    ErrorText = QStringLiteral("The HTTP library could not be initialised.");
    return false;
  }
  CURL* H = Handle.get();
  TReply Reply;
  Reply.Limit = std::max<int64_t>(Options.MaxReplySize, 0);
  char ErrorBuffer[CURL_ERROR_SIZE] = {};
  const QByteArray UrlBytes = URL.trimmed().toUtf8();

  curl_easy_setopt(H, CURLOPT_ERRORBUFFER, ErrorBuffer);
  curl_easy_setopt(H, CURLOPT_URL, UrlBytes.constData());
  curl_easy_setopt(H, CURLOPT_PROTOCOLS_STR, AllowedProtocols);
  curl_easy_setopt(H, CURLOPT_REDIR_PROTOCOLS_STR, AllowedProtocols);
  curl_easy_setopt(H, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(H, CURLOPT_MAXREDIRS, std::max(Options.MaxRedirects, 0L));
  curl_easy_setopt(H, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(H, CURLOPT_CONNECTTIMEOUT_MS, std::max(Options.ConnectTimeoutMs, 1L));
  curl_easy_setopt(H, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(Reply.Limit));
  HttpAskCompressed(H);
  curl_easy_setopt(H, CURLOPT_USERAGENT, UserAgent);
  curl_easy_setopt(H, CURLOPT_WRITEFUNCTION, WriteBody);
  curl_easy_setopt(H, CURLOPT_WRITEDATA, &Reply);

  std::unique_ptr<curl_mime, TMimeDeleter> Mime;
  if (Fields != nullptr) {
    Mime.reset(curl_mime_init(H));
    if (!Mime) {
      ErrorText = QStringLiteral("The HTTP library could not be initialised.");
      return false;
    }
    for (const QString& Line : *Fields) {
      const qsizetype P = Line.indexOf(u'=');
      const QByteArray Name = (P < 0 ? Line : Line.left(P)).toUtf8();
      const QByteArray Value = (P < 0 ? QString() : Line.mid(P + 1)).toUtf8();
      curl_mimepart* Part = curl_mime_addpart(Mime.get());
      if (Part == nullptr || curl_mime_name(Part, Name.constData()) != CURLE_OK ||
          curl_mime_data(Part, Value.constData(), static_cast<size_t>(Value.size())) != CURLE_OK) {
        ErrorText = QStringLiteral("The form could not be built.");
        return false;
      }
    }
    curl_easy_setopt(H, CURLOPT_MIMEPOST, Mime.get());
  }

  int RawCode = CURLE_OK;
  const long StallMs = std::max(Options.StallTimeoutMs, 1L), TimeoutMs = std::max(Options.TimeoutMs, 1L);
  switch (HttpRunTransfer(H, StallMs, TimeoutMs, Options.Progress, RawCode, ReadHeader, &Reply)) {
    case THttpEnd::Cancelled:
      ErrorText = QLatin1String(MsgNetCancelled);
      return false;
    case THttpEnd::Stalled:
      ErrorText = QStringLiteral("No data arrived from the server for %1.").arg(HttpSecondsText(StallMs)) +
                  QLatin1String(NetRetryHint);
      return false;
    case THttpEnd::TimedOut:
      ErrorText = QStringLiteral("The server did not complete its reply within %1.").arg(HttpSecondsText(TimeoutMs)) +
                  QLatin1String(NetRetryHint);
      return false;
    case THttpEnd::HeaderTimedOut:
      ErrorText = QStringLiteral("The server kept sending the header of its reply and did not end it within %1.")
                      .arg(HttpSecondsText(TimeoutMs)) +
                  QLatin1String(NetRetryHint);
      return false;
    case THttpEnd::Done:
      break;
  }
  const CURLcode Code = static_cast<CURLcode>(RawCode);
  if (Reply.TooLarge || Code == CURLE_FILESIZE_EXCEEDED) {
    ErrorText = QStringLiteral("The reply is too large (more than %1).").arg(HttpSizeText(Reply.Limit));
    return false;
  }
  if (Reply.OutOfMemory) {
    ErrorText = QStringLiteral("Out of memory while receiving the reply.");
    return false;
  }
  if (Code != CURLE_OK) {
    ErrorText = ErrorBuffer[0] != '\0' ? QString::fromUtf8(ErrorBuffer).trimmed()
                                       : QString::fromUtf8(curl_easy_strerror(Code));
    if (IsTlsFailure(Code, URL)) ErrorText += QLatin1String(HttpTlsHint);
    // The connection closed before the reply's announced end or its last chunk.
    if (Code == CURLE_PARTIAL_FILE)
      ErrorText = QStringLiteral("The reply was cut short (%1).").arg(ErrorText) + QLatin1String(NetRetryHint);
    if (Code == CURLE_OPERATION_TIMEDOUT) ErrorText += QLatin1String(NetRetryHint);
    return false;
  }
  long Status = 0;
  curl_easy_getinfo(H, CURLINFO_RESPONSE_CODE, &Status);
  if (Status >= 400) {
    ErrorText = Reply.StatusLine.isEmpty() ? QStringLiteral("HTTP error %1").arg(Status)
                                           : QString::fromLatin1(Reply.StatusLine);
    return false;
  }
  const THttpBody Body = HttpFinishBody(H, Reply.Body, Reply.Limit);
  if (Body == THttpBody::TooLarge) {
    ErrorText = QStringLiteral("The reply is too large (more than %1).").arg(HttpSizeText(Reply.Limit));
    return false;
  }
  if (Body != THttpBody::Whole) {
    ErrorText = HttpBodyFaultText(Body, QStringLiteral("The reply"), H);
    return false;
  }
  Content = DecodeFileText(Reply.Body);
  return true;
}

bool PerformGuarded(const QString& URL, const QStringList* Fields, QString& Content,
                    QString& ErrorText, const THttpOptions& Options) {
  try {
    return Perform(URL, Fields, Content, ErrorText, Options);
  } catch (const std::exception& E) {
    Content.clear();
    ErrorText = QString::fromUtf8(E.what());
  } catch (...) {
    Content.clear();
    ErrorText = QStringLiteral("Unexpected error.");
  }
  return false;
}

}  // namespace

bool HttpGet(const QString& URL, QString& Content, QString& ErrorText,
             const THttpOptions& Options) {
  return PerformGuarded(URL, nullptr, Content, ErrorText, Options);
}

bool HttpPost(const QString& URL, const QStringList& Fields, QString& Content,
              QString& ErrorText, const THttpOptions& Options) {
  return PerformGuarded(URL, &Fields, Content, ErrorText, Options);
}

QString UrlEncode(const QString& Text) {
  return QString::fromLatin1(QUrl::toPercentEncoding(Text));
}
