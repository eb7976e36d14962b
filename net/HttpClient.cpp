#include "HttpClient.h"

#include <cstring>

#include "Application.h"
#include "HttpUrl.h"
#include "SocketResolve.h"

namespace {

enum : UINT {
  WM_HTTP_REQUEST_DONE = 1025,
  WM_HTTP_SET_READY = 1026,
  WM_HTTP_LOGIN = 1027
};

}  // namespace

THttpClient::THttpClient(TComponent* owner) : TComponent(owner) {
  socket_ = new TAsyncSocket(this);
  socket_->OnDnsLookupDone = [this](TObject*, int e) { SocketDnsLookupDone(e); };
  socket_->OnSessionConnected = [this](TObject*, int e) { SocketSessionConnected(e); };
  socket_->OnDataAvailable = [this](TObject*, int e) { SocketDataAvailable(e); };
  socket_->OnSessionClosed = [this](TObject*, int e) { SocketSessionClosed(e); };
  socket_->OnDataSent = [this](TObject*, int e) { SocketDataSent(e); };
  window_ = AllocateHWnd(
      [this](HWND w, UINT msg, WPARAM wp, LPARAM lp) { return WindowProc(w, msg, wp, lp); });
}

THttpClient::~THttpClient() {
  TComponent::Destroying();
  DeallocateHWnd(window_);
  // The socket is an owned component; its events must not reach us now.
  socket_->OnDnsLookupDone = nullptr;
  socket_->OnSessionConnected = nullptr;
  socket_->OnDataAvailable = nullptr;
  socket_->OnSessionClosed = nullptr;
  socket_->OnDataSent = nullptr;
}

LRESULT THttpClient::WindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_HTTP_REQUEST_DONE:
      // Only while no later request has started: an aborted request's end
      // must not reach the one after it.
      if (static_cast<unsigned>(wp) == serial_ && state_ == httpReady && OnRequestDone)
        OnRequestDone(this, requestType_, static_cast<int>(lp));
      return 0;
    case WM_HTTP_SET_READY:
      if (static_cast<unsigned>(wp) == serial_) SetState(httpReady);
      return 0;
    case WM_HTTP_LOGIN:
      if (static_cast<unsigned>(wp) == serial_ && state_ != httpReady && state_ != httpAborting)
        StartLookup();
      return 0;
    default:
      return DefWindowProcA(w, msg, wp, lp);
  }
}

void THttpClient::SetState(THttpState s) {
  if (s == state_) return;
  state_ = s;
  if (OnStateChange) OnStateChange(this);
  if (s == httpReady)
    PostMessageA(window_, WM_HTTP_REQUEST_DONE, static_cast<WPARAM>(serial_),
                 static_cast<LPARAM>(requestDoneError_));
}

void THttpClient::Fail(int error, const std::string& reason) {
  requestDoneError_ = error;
  statusCode_ = 404;
  reasonPhrase_ = reason;
  SetState(httpReady);
}

void THttpClient::GetASync() { DoRequestAsync(httpGET); }

void THttpClient::PostASync() { DoRequestAsync(httpPOST); }

void THttpClient::HeadASync() { DoRequestAsync(httpHEAD); }

void THttpClient::ClearReply() {
  statusCode_ = 0;
  reasonPhrase_.clear();
  contentLength_ = -1;
  contentType_.clear();
  rcvLen_ = 0;
  bodyStarted_ = sendingBody_ = false;
}

void THttpClient::DoRequestAsync(THttpRequest type) {
  if (state_ != httpReady) throw EHttpException("HTTP component is busy", 1);
  ++serial_;
  rcvdHeader_.Clear();
  authorizationRequest_.Clear();
  requestType_ = type;
  requestDoneError_ = 0;
  socket_->OnSessionClosed = [this](TObject*, int e) { SocketSessionClosed(e); };
  SetState(httpNotConnected);
  docName_.clear();
  ClearReply();
  rcvdCount_ = 0;
  headerLines_ = bodyChunks_ = 0;
  location_ = URL;
  lastChunk_.clear();
  document_.clear();
  locationChange_ = connected_ = false;
  redirects_ = 0;

  http::UrlParts u = http::ParseUrl(URL);
  scheme_ = u.scheme.empty() ? "http" : LowerCase(u.scheme);
  hostName_ = u.host;
  port_ = u.port.empty() && scheme_ == "http" ? "80" : u.port;
  path_ = u.path.empty() ? "/" : u.path;
  path_ = path_.substr(0, path_.find('#'));
  if (path_.empty()) path_ = "/";
  UpdateTarget();
  docName_ = http::DocNameOf(path_);
  // Only a proxy fetches another scheme; this client speaks HTTP alone.
  if (Proxy.empty() && scheme_ != "http")
    return Fail(httperrUnsupportedScheme,
                "unsupported scheme '" + scheme_ + "': only http is fetched without a proxy");
  StartLookup();
}

std::string THttpClient::HostAndPort() const {
  bool defaultPort = port_.empty() || (scheme_ == "http" && port_ == "80");
  return hostName_ + (defaultPort ? "" : ":" + port_);
}

void THttpClient::UpdateTarget() {
  if (Proxy.empty()) {
    target_ = path_;
    connectHost_ = hostName_;
    connectPort_ = port_;
    return;
  }
  target_ = scheme_ + "://" + HostAndPort() + path_;
  http::UrlParts p = http::ParseUrl(Proxy);
  connectHost_ = p.host;
  connectPort_ = p.port.empty() ? ProxyPort : p.port;
}

void THttpClient::StartLookup() {
  SetState(httpDnsLookup);
  if (connectHost_.empty()) return Fail(WSAEINVAL, "can't resolve hostname to IP address");
  unsigned serial = serial_;
  try {
    socket_->DnsLookup(connectHost_);
  } catch (const ESocketException&) {
    if (serial == serial_ && state_ == httpDnsLookup)
      Fail(socket_->LastError() ? socket_->LastError() : WSAEINVAL,
           "can't resolve hostname to IP address");
  }
}

void THttpClient::SocketDnsLookupDone(int error) {
  if (state_ != httpDnsLookup) return;
  if (error) return Fail(error, "can't resolve hostname to IP address");
  SetState(httpDnsLookupDone);
  ++conn_;
  try {
    socket_->SetAddr(socket_->DnsResult());
    socket_->SetPort(connectPort_);
    socket_->SetProto("tcp");
    socket_->Connect();
  } catch (const std::exception&) {
    int err = socket_->LastError();
    requestDoneError_ = err;
    statusCode_ = 404;
    reasonPhrase_ = "can't connect: " + WSocketErrorDesc(err) + " (Error #" + IntToStr(err) + ")";
    try {
      socket_->Close();
    } catch (const std::exception&) {
    }
    SetState(httpReady);
  }
}

void THttpClient::SocketSessionConnected(int error) {
  if (state_ != httpDnsLookupDone) return;
  if (error)
    return Fail(error, WSocketErrorDesc(error) + " (Error #" + IntToStr(error) + ")");
  connected_ = true;
  SetState(httpConnected);
  if (OnSessionConnected) OnSessionConnected(this);
  if (state_ != httpConnected) return;
  SetState(httpWaitingHeader);
  static const char* const kMethods[] = {"GET", "POST", "HEAD"};
  try {
    SendRequest(kMethods[requestType_ - httpGET], "1.0");
    if (requestType_ == httpPOST) {
      // The body follows as the socket takes it: a piece at each
      // OnDataSent, the first once the header went out.
      sendingBody_ = true;
      if (SendStream) SendStream->SetPosition(0);
      if (OnSendBegin) OnSendBegin(this);
    }
  } catch (const std::exception&) {
    socket_->Close();
  }
}

void THttpClient::SocketDataSent(int) {
  if (!sendingBody_ || !connected_) return;
  try {
    SendNextChunk();
  } catch (const std::exception&) {
    sendingBody_ = false;
    socket_->Close();
  }
}

void THttpClient::SendNextChunk() {
  char chunk[kBufferSize];
  int n = SendStream ? SendStream->Read(chunk, kBufferSize) : 0;
  if (n <= 0) {
    sendingBody_ = false;
    if (OnSendEnd) OnSendEnd(this);
    return;
  }
  unsigned serial = serial_, conn = conn_;
  socket_->Send(chunk, n);
  if (SameConnection(serial, conn) && OnSendData) OnSendData(this, chunk, n);
}

void THttpClient::SendRequest(const std::string& method, const std::string& version) {
  std::string buffer;
  auto put = [&](std::string line) {
    if (OnCommand) OnCommand(this, line);
    buffer += line + "\r\n";
  };
  if (OnRequestHeaderBegin) OnRequestHeaderBegin(this);
  put(method + " " + target_ + " HTTP/" + version);
  if (!Sender.empty()) put("From: " + Sender);
  if (!Accept.empty()) put("Accept: " + Accept);
  if (!Reference.empty()) put("Referer: " + Reference);
  if (!Agent.empty()) put("User-Agent: " + Agent);
  put("Host: " + HostAndPort());
  if (NoCache) put("Pragma: no-cache");
  if (ModifiedSince != 0) put("If-Modified-Since: " + http::HttpDate(ModifiedSince));
  if (!Username.empty()) put("Authorization: Basic " + http::Base64(Username + ":" + Password));
  if (!Proxy.empty() && !ProxyUsername.empty())
    put("Proxy-Authorization: Basic " + http::Base64(ProxyUsername + ":" + ProxyPassword));
  if (!Cookie.empty()) put("Cookie: " + Cookie);
  if (!ContentRangeBegin.empty() || !ContentRangeEnd.empty()) {
    put("Range: bytes=" + ContentRangeBegin + "-" + ContentRangeEnd);
    ContentRangeBegin.clear();
    ContentRangeEnd.clear();
  }
  if (requestType_ == httpPOST) {
    put("Content-Type: " + ContentTypePost);
    put("Content-Length: " + IntToStr(SendStream ? SendStream->Size() : 0));
  }
  AcceptRanges.clear();
  if (OnRequestHeaderEnd) OnRequestHeaderEnd(this);
  buffer += "\r\n";
  socket_->SendStr(buffer);
}

void THttpClient::SocketDataAvailable(int) {
  if (rcvLen_ >= kBufferSize) {
    requestDoneError_ = 0;
    statusCode_ = 404;
    reasonPhrase_ = "HTTP line too long";
    rcvLen_ = 0;
    throw EHttpException("HTTP line too long", 4);
  }
  int n = socket_->Receive(rcvBuf_ + rcvLen_, kBufferSize - rcvLen_);
  if (n <= 0) return;
  if (state_ == httpWaitingBody) {
    BodyChunk(rcvBuf_, n);
    return;
  }
  rcvLen_ += n;
  if (state_ != httpWaitingHeader) {
    rcvLen_ = 0;  // nothing is expected now
    return;
  }
  ProcessLines();
}

void THttpClient::ProcessLines() {
  unsigned serial = serial_, conn = conn_;
  int pos = 0;
  while (state_ == httpWaitingHeader) {
    const void* lf = std::memchr(rcvBuf_ + pos, '\n', static_cast<size_t>(rcvLen_ - pos));
    if (!lf) break;
    int start = pos;
    int end = static_cast<int>(static_cast<const char*>(lf) - rcvBuf_);
    pos = end + 1;
    int len = end - start;
    if (len > 0 && rcvBuf_[start + len - 1] == '\r') --len;
    std::string line(rcvBuf_ + start, static_cast<size_t>(len));
    lastChunk_ = line;
    bool lineIsBody = HeaderLine(line);
    if (!SameConnection(serial, conn) || socket_->State() != wsConnected) {
      rcvLen_ = 0;
      return;
    }
    if (lineIsBody) pos = start;
  }
  int rest = rcvLen_ - pos;
  rcvLen_ = 0;
  if (state_ == httpWaitingBody) {
    if (rest > 0) BodyChunk(rcvBuf_ + pos, rest);
    return;
  }
  if (rest > 0) std::memmove(rcvBuf_, rcvBuf_ + pos, static_cast<size_t>(rest));
  rcvLen_ = rest;
}

bool THttpClient::HeaderLine(const std::string& line) {
  unsigned serial = serial_, conn = conn_;
  if (headerLines_++ == 0 && OnHeaderBegin) OnHeaderBegin(this);
  if (!SameConnection(serial, conn)) return false;
  if (UpperCase(line.substr(0, 6)) == "<HTML>") {
    // A reply without a header.
    if (contentType_.empty()) contentType_ = "text/html";
    StartBody();
    return true;
  }
  if (line.empty()) {
    HeaderEnd();
    return false;
  }
  rcvdHeader_.Add(line);
  if (line.compare(0, 8, "HTTP/1.0") == 0 || line.compare(0, 8, "HTTP/1.1") == 0) {
    http::ParseStatusLine(line, statusCode_, reasonPhrase_);
  } else {
    size_t colon = line.find(':');
    if (colon != std::string::npos) {
      std::string name = LowerCase(net::Trim(line.substr(0, colon)));
      size_t v = line.find_first_not_of(" \t", colon + 1);
      std::string value = v == std::string::npos ? std::string() : line.substr(v);
      if (name == "location") {
        std::string host = hostName_, port = port_, path = path_;
        if (http::ResolveLocation(value, host, port, path)) {
          hostName_ = host;
          port_ = port;
          path_ = path;
          if (value.find("://") != std::string::npos) scheme_ = "http";
          location_ = scheme_ + "://" + HostAndPort() + path_;
          locationChange_ = true;
        }
      } else if (name == "content-length") {
        contentLength_ = http::ParseLength(value);
      } else if (name == "content-range") {
        if (value.size() > 6) {
          std::string range = value.substr(6);
          size_t dash = range.find('-');
          if (dash != std::string::npos) {
            ContentRangeBegin = net::Trim(range.substr(0, dash));
            size_t slash = range.find('/', dash);
            ContentRangeEnd = net::Trim(range.substr(
                dash + 1, slash == std::string::npos ? std::string::npos : slash - dash - 1));
          }
        }
      } else if (name == "accept-ranges") {
        AcceptRanges = value;
      } else if (name == "content-type") {
        contentType_ = LowerCase(value);
      } else if (name == "www-authenticate") {
        authorizationRequest_.Add(value);
      } else if (name == "set-cookie") {
        bool accept = true;
        if (OnCookie) OnCookie(this, value, accept);
      }
    }
  }
  if (!SameConnection(serial, conn)) return false;
  if (OnHeaderData) OnHeaderData(this);
  if (SameConnection(serial, conn) && statusCode_ >= 400) socket_->Close();
  return false;
}

void THttpClient::HeaderEnd() {
  if (locationChange_) {
    if (++redirects_ > kMaxRedirects) {
      locationChange_ = false;
      if (OnHeaderEnd) OnHeaderEnd(this);
      statusCode_ = 404;
      reasonPhrase_ = "too many redirections";
      if (state_ == httpWaitingHeader) socket_->Close();
      return;
    }
    if (OnHeaderEnd) OnHeaderEnd(this);
    headerLines_ = bodyChunks_ = 0;
    socket_->OnSessionClosed = [this](TObject*, int e) { LocationSessionClosed(e); };
    socket_->Close();
    return;
  }
  if (requestType_ == httpHEAD) {
    // A HEAD reply has no body, whatever its header says.
    if (OnHeaderEnd) OnHeaderEnd(this);
    socket_->Close();
    return;
  }
  if (docName_.size() >= 4 && SameText(docName_.substr(docName_.size() - 4), ".exe") &&
      contentType_ == "text/html")
    docName_ = docName_.substr(0, docName_.size() - 3) + "htm";
  StartBody();
}

void THttpClient::StartBody() {
  SetState(httpWaitingBody);
  bodyStarted_ = true;
  if (OnHeaderEnd) OnHeaderEnd(this);
}

void THttpClient::BodyChunk(const char* data, int len) {
  lastChunk_.assign(data, static_cast<size_t>(len));
  if (bodyChunks_++ == 0 && OnDocBegin) OnDocBegin(this);
  rcvdCount_ += len;
  // A caller's stream takes the body instead: it is not kept twice.
  if (!rcvdStream) document_.append(data, static_cast<size_t>(len));
  if (rcvdStream) {
    try {
      rcvdStream->WriteBuffer(data, len);
    } catch (const std::exception& e) {
      // The document is not whole: the request ends in error, without its end.
      requestDoneError_ = httperrStreamWrite;
      statusCode_ = 404;
      reasonPhrase_ = std::string("can't store the document: ") + e.what();
      bodyStarted_ = false;
      socket_->Close();
      return;
    }
  }
  if (OnDocData) OnDocData(this, data, len);
}

void THttpClient::SocketSessionClosed(int error) {
  connected_ = false;
  unsigned serial = serial_;
  if (state_ == httpReady) return;
  // A connection that broke (a reset mid-body) is no clean end.
  if (error && !requestDoneError_) requestDoneError_ = error;
  // The request ends even when the caller's handler raises.
  struct EndRequest {
    HWND window;
    unsigned serial;
    ~EndRequest() { PostMessageA(window, WM_HTTP_SET_READY, static_cast<WPARAM>(serial), 0); }
  } end{window_, serial};
  // An aborted request has no document; an empty one still ends.
  if (state_ != httpAborting && bodyStarted_) {
    if (bodyChunks_ == 0 && OnDocBegin) OnDocBegin(this);
    if (OnDocEnd) OnDocEnd(this);
  }
}

void THttpClient::LocationSessionClosed(int) {
  connected_ = false;
  locationChange_ = false;
  socket_->OnSessionClosed = [this](TObject*, int e) { SocketSessionClosed(e); };
  if (state_ == httpReady || state_ == httpAborting) return;
  ClearReply();  // the next hop's reply starts clean
  UpdateTarget();
  unsigned serial = serial_;
  if (OnLocationChange) OnLocationChange(this);
  // A handler that aborted or started another request leaves no hop to go.
  if (serial == serial_ && state_ != httpReady && state_ != httpAborting)
    PostMessageA(window_, WM_HTTP_LOGIN, static_cast<WPARAM>(serial), 0);
}

void THttpClient::Abort() {
  if (state_ == httpReady) {
    try {
      if (socket_->State() != wsClosed) socket_->Close();
    } catch (const std::exception&) {
      // Nothing runs that the failure could end.
    }
    return;
  }
  bool lookingUp = state_ == httpDnsLookup;
  SetState(httpAborting);
  if (lookingUp) {
    try {
      socket_->CancelDnsLookup();
    } catch (const std::exception&) {
    }
  }
  statusCode_ = 404;
  reasonPhrase_ = "Connection aborted on request";
  requestDoneError_ = httperrAborted;
  sendingBody_ = false;
  if (!lookingUp) {
    try {
      socket_->Close();
    } catch (const std::exception&) {
      // The socket is gone either way; the request still ends.
    }
  }
  // Whatever this request posted to itself is void now.
  ++serial_;
  SetState(httpReady);
}
