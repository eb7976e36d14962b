// The asynchronous HTTP/1.0 client component: a request is started and
// proceeds through socket events and messages of the component's own
// window; its caller follows it through events.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "Classes.h"
#include "Streams.h"
#include "SyncSocket.h"

class EHttpException : public Exception {
 public:
  EHttpException(const std::string& msg, int code) : Exception(msg), ErrorCode(code) {}
  int ErrorCode;
};

enum THttpState {
  httpReady = 0,
  httpNotConnected = 1,
  httpConnected = 2,
  httpDnsLookup = 3,
  httpDnsLookupDone = 4,
  httpWaitingHeader = 5,
  httpWaitingBody = 6,
  httpAborting = 7
};

enum THttpRequest { httpGET = 1, httpPOST = 2, httpHEAD = 3 };

// requestDoneError of a request ended by Abort.
constexpr int httperrAborted = 3;
// requestDoneError of a URL whose scheme is fetched only through a proxy.
constexpr int httperrUnsupportedScheme = 10043;
// requestDoneError of a body that rcvdStream refused to take.
constexpr int httperrStreamWrite = 5;

using THttpRequestDone = std::function<void(TObject* sender, THttpRequest request, int error)>;
using TDocDataEvent = std::function<void(TObject* sender, const char* data, int len)>;
using TCookieRcvdEvent =
    std::function<void(TObject* sender, const std::string& data, bool& accept)>;
using THttpCommandEvent = std::function<void(TObject* sender, std::string& line)>;

class THttpClient : public TComponent {
 public:
  static constexpr int kBufferSize = 8192;
  // Location changes followed within one request.
  static constexpr int kMaxRedirects = 10;

  explicit THttpClient(TComponent* owner);
  ~THttpClient() override;

  std::string URL;
  std::string Proxy;
  std::string ProxyPort = "80";
  std::string Sender;
  std::string Agent = "Mozilla/3.0 (compatible)";
  std::string Accept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
  std::string Reference;
  std::string Username, Password;
  std::string ProxyUsername, ProxyPassword;
  bool NoCache = false;
  TDateTime ModifiedSince = 0;
  std::string Cookie;
  std::string ContentTypePost = "application/x-www-form-urlencoded";
  std::string ContentRangeBegin, ContentRangeEnd;
  std::string AcceptRanges;
  bool MultiThreaded() const { return socket_->MultiThreaded; }
  void SetMultiThreaded(bool on) { socket_->MultiThreaded = on; }

  TNotifyEvent OnTrace;
  TNotifyEvent OnSessionConnected;
  TNotifyEvent OnHeaderData;
  THttpCommandEvent OnCommand;
  TNotifyEvent OnHeaderBegin;
  TNotifyEvent OnHeaderEnd;
  TNotifyEvent OnRequestHeaderBegin;
  TNotifyEvent OnRequestHeaderEnd;
  TNotifyEvent OnDocBegin;
  TDocDataEvent OnDocData;
  TNotifyEvent OnDocEnd;
  // The body of a POST: before its first chunk, each chunk, after the last.
  TNotifyEvent OnSendBegin;
  TDocDataEvent OnSendData;
  TNotifyEvent OnSendEnd;
  TNotifyEvent OnStateChange;
  THttpRequestDone OnRequestDone;
  TNotifyEvent OnLocationChange;
  TCookieRcvdEvent OnCookie;

  // Start a request for URL; EHttpException "HTTP component is busy"
  // unless the component is ready. A POST sends SendStream (from its start;
  // none sends an empty body) as ContentTypePost; a HEAD ends after the
  // reply's header.
  void GetASync();
  void PostASync();
  void HeadASync();
  void Abort();

  THttpState state() const { return state_; }
  THttpRequest requestType() const { return requestType_; }
  int statusCode() const { return statusCode_; }
  const std::string& reasonPhrase() const { return reasonPhrase_; }
  int64_t contentLength() const { return contentLength_; }
  const std::string& contentType() const { return contentType_; }
  const std::string& docName() const { return docName_; }
  const std::string& location() const { return location_; }
  int64_t rcvdCount() const { return rcvdCount_; }
  const TStringList& rcvdHeader() const { return rcvdHeader_; }
  const TStringList& authorizationRequest() const { return authorizationRequest_; }
  // The last header line or the last body chunk received.
  const std::string& lastChunk() const { return lastChunk_; }
  // The whole body of the current request as received so far; empty when
  // rcvdStream takes it.
  const std::string& rcvdDocument() const { return document_; }
  int requestDoneError() const { return requestDoneError_; }
  // Streams of the caller, not owned: each body chunk is written to
  // rcvdStream when set; a POST sends SendStream.
  TStream* rcvdStream = nullptr;
  TStream* SendStream = nullptr;
  bool connected() const { return connected_; }
  TAsyncSocket* CtrlSocket() const { return socket_; }

 private:
  LRESULT WindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
  void DoRequestAsync(THttpRequest type);
  void SetState(THttpState s);
  // Ends the request with a failure.
  void Fail(int error, const std::string& reason);
  void StartLookup();
  void UpdateTarget();
  void SocketDnsLookupDone(int error);
  void SocketSessionConnected(int error);
  void SocketDataAvailable(int error);
  void SocketSessionClosed(int error);
  void LocationSessionClosed(int error);
  void SendRequest(const std::string& method, const std::string& version);
  void SocketDataSent(int error);
  // Sends the next piece of SendStream; the end of it ends the sending.
  void SendNextChunk();
  // The reply values that each hop of a request starts without.
  void ClearReply();
  // "host" or "host:port" as the request names it.
  std::string HostAndPort() const;
  void ProcessLines();
  // One header line; true when the line itself starts the body.
  bool HeaderLine(const std::string& line);
  void HeaderEnd();
  void StartBody();
  void BodyChunk(const char* data, int len);
  bool SameConnection(unsigned serial, unsigned conn) const {
    return serial == serial_ && conn == conn_ && state_ != httpAborting && state_ != httpReady;
  }

  TAsyncSocket* socket_;
  HWND window_;
  THttpState state_ = httpReady;
  THttpRequest requestType_ = httpGET;
  int statusCode_ = 0;
  std::string reasonPhrase_;
  int64_t contentLength_ = -1;
  std::string contentType_;
  std::string docName_;
  std::string location_;
  int64_t rcvdCount_ = 0;
  TStringList rcvdHeader_;
  TStringList authorizationRequest_;
  std::string lastChunk_;
  std::string document_;
  int requestDoneError_ = 0;
  bool connected_ = false;

  // The current request: the host, port and path asked for, what the
  // request line names, and where the connection goes.
  std::string scheme_, hostName_, port_, path_, target_;
  std::string connectHost_, connectPort_;
  char rcvBuf_[kBufferSize];
  int rcvLen_ = 0;
  int headerLines_ = 0;
  int bodyChunks_ = 0;
  bool bodyStarted_ = false;
  bool locationChange_ = false;
  bool sendingBody_ = false;
  int redirects_ = 0;
  // Which request and which connection posted messages and handlers
  // belong to.
  unsigned serial_ = 0;
  unsigned conn_ = 0;
};
