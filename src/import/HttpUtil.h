#pragma once
// Two blocking HTTP calls for the web importers: GET of an address into a text, and a
// multipart/form-data POST. Only http and https are spoken; redirects are followed;
// every call gives up when no data arrives for a while or the whole reply takes too long,
// can be cancelled from another thread, and has a limit on the size of the reply, so
// that a silent, dripping or endless server cannot hang the program or fill its memory.

#include "NetProgress.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

typedef void CURL;

struct THttpOptions {
  // Time allowed to set up the connection (name lookup, TCP and TLS).
  long ConnectTimeoutMs = 30000;
  // Time allowed without any byte arriving.
  long StallTimeoutMs = 30000;
  // Time allowed for the whole request, the reply included.
  long TimeoutMs = 120000;
  // Replies larger than this (after decompression) are refused.
  int64_t MaxReplySize = 64LL * 1024 * 1024;
  long MaxRedirects = 10;
  // When set, the call stops as soon as it is cancelled (message MsgNetCancelled).
  // Not owned; it must outlive the call.
  TNetProgress* Progress = nullptr;
};

// Appended to the messages of transfers that gave up waiting.
extern const char* const NetRetryHint;  // " Check the Internet connection, or try again later."
// The message of a cancelled transfer.
extern const char* const MsgNetCancelled;  // "The transfer was cancelled."

// Appended to the message of a failure of the TLS layer.
extern const char* const HttpTlsHint;  // " OpenSSL libraries may not be installed."

// GET of URL. On success Content is the body as text (decoded as DecodeFileText does:
// UTF-8, and Windows-1252 for the bytes that are not) and ErrorText is left untouched. On failure (no connection,
// time-out, an HTTP status of 400 or more, a cut-off or oversized reply) Content is
// empty, ErrorText says why, and the result is False. A failure of the TLS layer (an
// https address whose secure connection cannot be set up) ends in HttpTlsHint.
bool HttpGet(const QString& URL, QString& Content, QString& ErrorText,
             const THttpOptions& Options = THttpOptions());

// POST of a multipart/form-data body to URL: one form field per line "name=value" of
// Fields, in list order (repeated names are sent repeatedly; a line without "=" is a
// field with an empty value). Results as HttpGet.
bool HttpPost(const QString& URL, const QStringList& Fields, QString& Content,
              QString& ErrorText, const THttpOptions& Options = THttpOptions());

// Percent-encoding of a text for a query value or a path segment: everything but
// letters, digits and "-._~" is encoded from its UTF-8 bytes.
QString UrlEncode(const QString& Text);

// What both HTTP clients of the program (these calls and the web-service transport) share:
// curl's one-time set-up (False when it failed), an easy handle that cleans itself up, and
// a size for messages ("64 MB", "1000 bytes").
bool HttpInitCurl();
struct THttpHandleDeleter {
  void operator()(CURL* Handle) const;
};
using THttpHandle = std::unique_ptr<CURL, THttpHandleDeleter>;
QString HttpSizeText(int64_t Bytes);
// A time for messages ("30 s", "0.3 s").
QString HttpSecondsText(int64_t Ms);

// Replies sent compressed. HttpAskCompressed has the transfer set up on Handle ask for
// gzip or deflate and keep the body as it was sent. After the transfer HttpFinishBody
// checks that the body arrived whole (as long as the reply announced, its encoded data
// ending where they should) and undoes the encoding the last response names; the
// decoded body may not grow beyond Limit bytes. Body is emptied unless the result is
// Whole.
enum class THttpBody { Whole, CutShort, Damaged, TooLarge, UnknownEncoding };
void HttpAskCompressed(CURL* Handle);
THttpBody HttpFinishBody(CURL* Handle, QByteArray& Body, int64_t Limit);
// The encoding the last response on Handle names ("gzip"), for messages.
QString HttpContentEncoding(CURL* Handle);
// The message for a body HttpFinishBody found CutShort, Damaged or in an UnknownEncoding,
// Reply naming the reply ("The reply"); empty for Whole and TooLarge, whose limit each
// caller words itself.
QString HttpBodyFaultText(THttpBody Result, const QString& Reply, CURL* Handle);

// How a transfer run by HttpRunTransfer ended. HeaderTimedOut: the time ran out while
// the server was still sending the header of its reply (a byte or a line now and then,
// never its end); TimedOut: the time ran out in any other way.
enum class THttpEnd { Done, Cancelled, Stalled, TimedOut, HeaderTimedOut };
// A header function as curl calls it, with each line of the reply's header.
using THttpHeaderFunction = size_t (*)(char* Data, size_t Size, size_t Count, void* User);
// Runs the transfer set up on Handle (an easy handle not in use elsewhere) to its end,
// from the calling thread. Gives up when no byte has moved for StallMs (the bytes of the
// reply's header count, a line at a time or not), when TimeoutMs have passed in all, or
// as soon as Progress (when not null) is cancelled. CurlCode is curl's result when the
// end is Done. The header lines go to HeaderFunction with HeaderData (when not null): the
// transfer sets curl's own header function for itself, so one set on Handle is not called.
THttpEnd HttpRunTransfer(CURL* Handle, int64_t StallMs, int64_t TimeoutMs, const TNetProgress* Progress,
                         int& CurlCode, THttpHeaderFunction HeaderFunction = nullptr, void* HeaderData = nullptr);
