#include "AsyncSocket.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <mutex>
#include <set>

#include "Application.h"
#include "SocketResolve.h"
#include "WSocketApi.h"

namespace {

const char kWindowClass[] = "AsyncSocketWindowClass";
constexpr long kConnectMask = FD_READ | FD_WRITE | FD_ACCEPT | FD_CONNECT | FD_CLOSE;  // 59
constexpr long kResumeMask = FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE;               // 51

// Every live component, so that the window procedure hands messages only
// to one of them.
std::mutex liveLock;
std::set<const void*>& LiveComponents() {
  static std::set<const void*> live;
  return live;
}

bool IsLive(const void* c) {
  std::lock_guard<std::mutex> guard(liveLock);
  return LiveComponents().count(c) != 0;
}

}  // namespace

TCustomAsyncSocket::TCustomAsyncSocket(TComponent* owner) : TComponent(owner) {
  static ATOM registered = [] {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kWindowClass;
    return RegisterClassA(&wc);
  }();
  (void)registered;
  window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!window_) throw EOutOfResources(SWindowCreate);
  SetWindowLongPtrA(window_, 0, reinterpret_cast<LONG_PTR>(this));
  {
    std::lock_guard<std::mutex> guard(liveLock);
    LiveComponents().insert(this);
  }
  ws::ComponentCreated();
}

TCustomAsyncSocket::~TCustomAsyncSocket() {
  TComponent::Destroying();
  try {
    if (dnsTask_ && ws::Loaded()) ws::WSACancelAsyncRequest(dnsTask_);
  } catch (const std::exception&) {
  }
  if (dnsTask_) AbandonDnsBuffer();
  dnsTask_ = nullptr;
  try {
    InternalClose(false, 0);
  } catch (const std::exception&) {
  }
  ClearSendQueue();
  {
    std::lock_guard<std::mutex> guard(liveLock);
    LiveComponents().erase(this);
  }
  SetWindowLongPtrA(window_, 0, 0);
  DestroyWindow(window_);
  ws::ComponentDestroyed();
}

LRESULT CALLBACK TCustomAsyncSocket::WndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  auto* c = reinterpret_cast<TCustomAsyncSocket*>(GetWindowLongPtrA(w, 0));
  if (!c || !IsLive(c)) return DefWindowProcA(w, msg, wp, lp);
  LRESULT result = 0;
  try {
    c->Dispatch(msg, wp, lp, result);
  } catch (const std::exception& e) {
    try {
      c->HandleBackgroundException(e);
    } catch (...) {
    }
  }
  return result;
}

void TCustomAsyncSocket::Dispatch(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_WSOCKET_RELEASE) {
    delete this;
    return;
  }
  if (!HandleMessage(msg, wp, lp, result)) result = DefWindowProcA(window_, msg, wp, lp);
}

bool TCustomAsyncSocket::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  result = 0;
  switch (msg) {
    case WM_ASYNCSELECT:
      SocketEvent(wp, lp);
      return true;
    case WM_ASYNCGETHOSTBYNAME:
      HostLookupDone(wp, lp, false);
      return true;
    case WM_ASYNCGETHOSTBYADDR:
      HostLookupDone(wp, lp, true);
      return true;
    case WM_CLOSE_DELAYED:
      Close();
      return true;
    case WM_TRIGGER_EXCEPTION:
      throw ESocketException("Test exception in AsyncSocket");
    default:
      return false;
  }
}

void TCustomAsyncSocket::HandleBackgroundException(const std::exception& e) {
  bool canClose = true;
  if (OnBgException) OnBgException(this, e, canClose);
  if (canClose) {
    try {
      InternalClose(true, 0);
    } catch (const std::exception&) {
    }
  }
}

void TCustomAsyncSocket::ChangeState(TSocketState newState) {
  if (newState == state_) return;
  TSocketState old = state_;
  state_ = newState;
  if (OnChangeState && !Destroying()) OnChangeState(this, old, newState);
}

void TCustomAsyncSocket::RaiseException(const std::string& msg) {
  if (OnError) {
    OnError(this);
    return;
  }
  throw ESocketException(msg);
}

void TCustomAsyncSocket::SocketError(const std::string& func, int error) {
  lastError_ = error;
  if (error == WSAECONNRESET || error == WSAENOTCONN) InternalClose(true, error);
  if (OnError) {
    OnError(this);
    return;
  }
  throw ESocketException("Error " + IntToStr(error) + " in function " + func + "\r\n" +
                         WSocketErrorDesc(error));
}

void TCustomAsyncSocket::ProcessMessages() {
  if (!MultiThreaded) {
    Application->ProcessMessages();
    return;
  }
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Property setters ----------------------------------------------------------

void TCustomAsyncSocket::SetAddr(const std::string& value) {
  if (state_ != wsClosed) return RaiseException("Cannot change Addr if not closed");
  addr_ = value;
  addrResolved_ = false;
}

void TCustomAsyncSocket::SetPort(const std::string& value) {
  if (state_ != wsClosed) return RaiseException("Cannot change Port if not closed");
  port_ = value;
  portResolved_ = false;
}

void TCustomAsyncSocket::SetProto(const std::string& value) {
  if (state_ != wsClosed) return RaiseException("Cannot change Proto if not closed");
  proto_ = value;
  protoResolved_ = false;
  portResolved_ = false;
}

void TCustomAsyncSocket::SetLocalAddr(const std::string& value) {
  if (state_ != wsClosed) return RaiseException("Cannot change LocalAddr if not closed");
  std::string v = value.empty() ? "0.0.0.0" : net::Trim(value);
  if (!net::IsDottedAddress(v) || !net::ValidDottedAddress(v))
    return RaiseException("SetLocalAddr(): Invalid IP address");
  localAddr_ = v;
  localAddrResolved_ = false;
}

void TCustomAsyncSocket::SetLocalPort(const std::string& value) {
  if (state_ != wsClosed) return RaiseException("Cannot change LocalPort if not closed");
  localPort_ = value;
  localPortResolved_ = false;
}

// Resolution and connection -------------------------------------------------

void TCustomAsyncSocket::ConnectTarget(std::string& host, std::string& port) const {
  host = addr_;
  port = port_;
}

void TCustomAsyncSocket::Resolve() {
  std::string host, port;
  ConnectTarget(host, port);
  if (!protoResolved_) {
    protocol_ = net::ResolveProto(proto_);
    protoResolved_ = true;
  }
  const char* protoName = protocol_ == IPPROTO_UDP ? "udp" : "tcp";
  if (!portResolved_ || host != remoteHost_) {
    remotePort_ = net::ResolvePort(port, protoName, false);
    portResolved_ = true;
  }
  if (!localPortResolved_) {
    localPortValue_ = net::ResolvePort(localPort_, protoName, true);
    localPortResolved_ = true;
  }
  if (!localAddrResolved_) {
    localAddrValue_ = net::ResolveHost(localAddr_);
    localAddrResolved_ = true;
  }
  if (!addrResolved_ || host != remoteHost_) {
    remoteAddr_ = net::ResolveHost(host);
    remoteHost_ = host;
    addrResolved_ = true;
  }
}

void TCustomAsyncSocket::OpenSocket(int type, int proto) {
  SOCKET s = ws::socket(AF_INET, type, proto);
  if (s == INVALID_SOCKET) {
    SocketError("Connect (socket)", ws::WSAGetLastError());
    return;
  }
  hSocket_ = static_cast<TSocket>(s);
  ++generation_;
  closeSignalled_ = false;
  sentPosts_ = 0;
  readCount_ = 0;
  ChangeState(wsOpened);
}

void TCustomAsyncSocket::BindLocal() {
  sockaddr_in sin = {};
  sin.sin_family = AF_INET;
  sin.sin_addr.s_addr = localAddrValue_;
  sin.sin_port = localPortValue_;
  if (ws::bind(hSocket_, reinterpret_cast<sockaddr*>(&sin), sizeof sin) != 0) {
    SocketError("Bind", ws::WSAGetLastError());
    return;
  }
  ChangeState(wsBound);
}

void TCustomAsyncSocket::SetLinger() {
  if (hSocket_ == INVALID_TSOCKET) return;
  linger l;
  l.l_onoff = LingerOnOff ? 1 : 0;
  l.l_linger = static_cast<u_short>(std::max(0, std::min(LingerTimeout, 65535)));
  if (ws::setsockopt(hSocket_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l),
                     sizeof l) != 0)
    SocketError("setsockopt(SO_LINGER)", ws::WSAGetLastError());
}

void TCustomAsyncSocket::Connect() {
  if (hSocket_ != INVALID_TSOCKET && state_ != wsClosed)
    return RaiseException("Connect: Socket already in use");
  std::string host, port;
  ConnectTarget(host, port);
  if (port.empty()) return RaiseException("Connect: No Port Specified");
  if (host.empty()) return RaiseException("Connect: No IP Address Specified");
  if (proto_.empty()) return RaiseException("Connect: No Protocol Specified");
  try {
    Resolve();
  } catch (const ESocketException& e) {
    lastError_ = WSAEINVAL;
    return RaiseException("connect: " + e.Message());
  }
  ClearSendQueue();
  if (hSocket_ != INVALID_TSOCKET) InternalClose(false, 0);
  bool udp = protocol_ == IPPROTO_UDP;
  OpenSocket(udp ? SOCK_DGRAM : SOCK_STREAM, protocol_);
  if (hSocket_ == INVALID_TSOCKET) return;
  unsigned gen = generation_;
  if (udp) {
    BindLocal();
    if (!Live(gen)) return;
    if (remoteAddr_ == INADDR_BROADCAST) {
      BOOL on = TRUE;
      ws::setsockopt(hSocket_, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on),
                     sizeof on);
    }
    if (ws::WSAAsyncSelect(hSocket_, window_, WM_ASYNCSELECT, FD_READ | FD_WRITE) != 0)
      return SocketError("WSAAsyncSelect", ws::WSAGetLastError());
    ChangeState(wsConnected);
    TriggerSessionConnected(0);
    return;
  }
  if (localPort_ != "0" || localAddr_ != "0.0.0.0") {
    BindLocal();
    if (!Live(gen)) return;
  }
  SetLinger();
  BOOL on = TRUE;
  ws::setsockopt(hSocket_, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&on), sizeof on);
  ws::setsockopt(hSocket_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on);
  if (ws::WSAAsyncSelect(hSocket_, window_, WM_ASYNCSELECT, kConnectMask) != 0)
    return SocketError("WSAAsyncSelect", ws::WSAGetLastError());
  sockaddr_in sin = {};
  sin.sin_family = AF_INET;
  sin.sin_addr.s_addr = remoteAddr_;
  sin.sin_port = remotePort_;
  if (ws::connect(hSocket_, reinterpret_cast<sockaddr*>(&sin), sizeof sin) == 0) {
    ChangeState(wsConnecting);
    return;
  }
  int err = ws::WSAGetLastError();
  if (err == WSAEWOULDBLOCK) {
    ChangeState(wsConnecting);
    return;
  }
  SocketError("Connect", err);
}

void TCustomAsyncSocket::Listen() {
  if (port_.empty()) return RaiseException("listen: port not assigned");
  if (proto_.empty()) return RaiseException("listen: protocol not assigned");
  if (addr_.empty()) return RaiseException("listen: address not assigned");
  uint32_t address;
  uint16_t port;
  try {
    protocol_ = net::ResolveProto(proto_);
    protoResolved_ = true;
    port = net::ResolvePort(port_, protocol_ == IPPROTO_UDP ? "udp" : "tcp", true);
    address = net::ResolveHost(addr_);
  } catch (const ESocketException& e) {
    lastError_ = WSAEINVAL;
    return RaiseException("listen: " + e.Message());
  }
  if (hSocket_ != INVALID_TSOCKET) InternalClose(false, 0);
  bool udp = protocol_ == IPPROTO_UDP;
  OpenSocket(udp ? SOCK_DGRAM : SOCK_STREAM, protocol_);
  if (hSocket_ == INVALID_TSOCKET) return;
  sockaddr_in sin = {};
  sin.sin_family = AF_INET;
  sin.sin_addr.s_addr = address;
  sin.sin_port = port;
  if (ws::bind(hSocket_, reinterpret_cast<sockaddr*>(&sin), sizeof sin) != 0) {
    int err = ws::WSAGetLastError();
    lastError_ = err;
    InternalClose(false, 0);
    return RaiseException(Format("winsock.bind failed, error #%d", err));
  }
  ChangeState(wsBound);
  if (!udp && ws::listen(hSocket_, 5) != 0) return SocketError("listen", ws::WSAGetLastError());
  long mask = udp ? FD_READ | FD_WRITE : FD_ACCEPT | FD_CLOSE;
  if (ws::WSAAsyncSelect(hSocket_, window_, WM_ASYNCSELECT, mask) != 0)
    return SocketError("WSAAsyncSelect", ws::WSAGetLastError());
  ChangeState(wsListening);
}

TSocket TCustomAsyncSocket::Accept() {
  if (state_ != wsListening) {
    RaiseException("not a listening socket");
    return INVALID_TSOCKET;
  }
  sockaddr_in sin = {};
  int len = sizeof sin;
  SOCKET s = ws::accept(hSocket_, reinterpret_cast<sockaddr*>(&sin), &len);
  if (s == INVALID_SOCKET) {
    int err = ws::WSAGetLastError();
    if (err != WSAEWOULDBLOCK) SocketError("accept", err);
    lastError_ = err;
    return INVALID_TSOCKET;
  }
  return static_cast<TSocket>(s);
}

void TCustomAsyncSocket::Dup(TSocket handle) {
  if (handle == INVALID_TSOCKET || handle == 0) {
    lastError_ = WSAEINVAL;
    return RaiseException("Dup: invalid socket handle");
  }
  if (hSocket_ != INVALID_TSOCKET) InternalClose(false, 0);
  ClearSendQueue();
  hSocket_ = handle;
  ++generation_;
  closeSignalled_ = false;
  sentPosts_ = 0;
  readCount_ = 0;
  protocol_ = IPPROTO_TCP;
  if (ws::WSAAsyncSelect(hSocket_, window_, WM_ASYNCSELECT, kResumeMask) != 0)
    return SocketError("WSAAsyncSelect", ws::WSAGetLastError());
  ChangeState(wsConnected);
}

// Events ------------------------------------------------------------------------

void TCustomAsyncSocket::SocketEvent(WPARAM wp, LPARAM lp) {
  if (paused_ || closing_ || hSocket_ == INVALID_TSOCKET || static_cast<TSocket>(wp) != hSocket_)
    return;
  unsigned gen = generation_;
  int ev = WSAGETSELECTEVENT(lp);
  int err = WSAGETSELECTERROR(lp);
  if (ev & FD_CONNECT) {
    ChangeState(wsConnected);
    TriggerSessionConnected(err);
    if (err && Live(gen)) InternalClose(true, err);
    if (!Live(gen)) return;
  }
  if (ev & FD_READ) {
    ReadLoop(err);
    if (!Live(gen)) return;
  }
  if (ev & FD_WRITE) {
    bool hadData = BufferedBytes() > 0;
    if (!TryToSend()) return;
    if (BufferedBytes() == 0) {
      bool fire = hadData;
      if (!fire && sentPosts_ > 0) {
        --sentPosts_;
        fire = true;
      }
      if (fire && OnDataSent) OnDataSent(this, err);
      if (!Live(gen)) return;
    }
  }
  if (ev & FD_ACCEPT) {
    if (OnSessionAvailable) OnSessionAvailable(this, err);
    if (!Live(gen)) return;
  }
  if ((ev & FD_CLOSE) && state_ != wsConnecting) {
    ReadLoop(0);
    if (!Live(gen)) return;
    InternalClose(true, err);
  }
}

void TCustomAsyncSocket::ReadLoop(int error) {
  unsigned gen = generation_;
  for (;;) {
    int calls = recvCalls_;
    recvWouldBlock_ = false;
    TriggerDataAvailable(error);
    if (!Live(gen)) return;
    // A handler that did not read would be called again for ever.
    if (recvCalls_ == calls || recvWouldBlock_) return;
    u_long waiting = 0;
    if (ws::ioctlsocket(hSocket_, FIONREAD, &waiting) != 0 || waiting == 0) return;
  }
}

void TCustomAsyncSocket::TriggerDataAvailable(int error) {
  if (OnDataAvailable) {
    OnDataAvailable(this, error);
    return;
  }
  char drop[1024];
  Receive(drop, sizeof drop);
}

void TCustomAsyncSocket::TriggerSessionConnected(int error) {
  if (OnSessionConnected) OnSessionConnected(this, error);
}

void TCustomAsyncSocket::TriggerSessionClosed(int error) {
  // A copy: the handler may put another in its place.
  TSessionEvent handler = OnSessionClosed;
  if (handler) handler(this, error);
}

// Sending and receiving -----------------------------------------------------------

int TCustomAsyncSocket::BufferedBytes() const {
  int n = 0;
  for (const auto& b : sendQueue_) n += b->Unread();
  return n;
}

void TCustomAsyncSocket::ClearSendQueue() {
  sendQueue_.clear();
}

int TCustomAsyncSocket::Send(const void* data, int len) {
  if (state_ != wsConnected || hSocket_ == INVALID_TSOCKET) {
    SocketError("Send", WSAENOTCONN);
    return -1;
  }
  if (len <= 0 || !data) return 0;
  const char* p = static_cast<const char*>(data);
  int left = len;
  while (left > 0) {
    if (sendQueue_.empty()) sendQueue_.push_back(std::make_unique<TBuffer>(TBuffer::kDefaultSize));
    int n = sendQueue_.back()->Write(p, left);
    if (n == 0) {
      sendQueue_.push_back(std::make_unique<TBuffer>(TBuffer::kDefaultSize));
      continue;
    }
    p += n;
    left -= n;
  }
  unsigned gen = generation_;
  if (!TryToSend() || !Live(gen)) return len;
  if (BufferedBytes() == 0) {
    ++sentPosts_;
    PostMessageA(window_, WM_ASYNCSELECT, static_cast<WPARAM>(hSocket_),
                 WSAMAKESELECTREPLY(FD_WRITE, 0));
  }
  return len;
}

int TCustomAsyncSocket::SendStr(const std::string& text) {
  return Send(text.data(), static_cast<int>(text.size()));
}

bool TCustomAsyncSocket::TryToSend() {
  unsigned gen = generation_;
  while (Live(gen) && !sendQueue_.empty()) {
    TBuffer* b = sendQueue_.front().get();
    int len = 0;
    const char* p = b->Peek(len);
    if (len == 0) {
      if (sendQueue_.size() > 1) {
        sendQueue_.pop_front();
        continue;
      }
      break;
    }
    bool lineAtATime = false;
    if (SendLineLimit > 0) {
      if (const void* lf = std::memchr(p, '\n', static_cast<size_t>(len))) {
        len = static_cast<int>(static_cast<const char*>(lf) - p) + 1;
        lineAtATime = true;
      }
    }
    int sent = RealSend(p, len);
    if (!Live(gen)) return false;
    if (sent < 0) {
      int err = lastError_;
      if (err == WSAEWOULDBLOCK) break;
      if (err == WSAEINVAL || err == WSAENOTSOCK || err == WSAECONNABORTED ||
          err == WSAECONNRESET || err == WSAENOTCONN) {
        InternalClose(true, err);
        return false;
      }
      SocketError("TryToSend failed", err);
      return false;
    }
    b->Remove(sent);
    if (lineAtATime && sent == len && SendLineLimit > 0) --SendLineLimit;
    if (b->Empty() && sendQueue_.size() > 1) sendQueue_.pop_front();
    if (sent < len) break;
  }
  return Live(gen);
}

int TCustomAsyncSocket::RealSend(const void* data, int len) {
  int sent;
  if (protocol_ == IPPROTO_UDP) {
    sockaddr_in sin = {};
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = remoteAddr_;
    sin.sin_port = remotePort_;
    sent = ws::sendto(hSocket_, static_cast<const char*>(data), len, SendFlags,
                      reinterpret_cast<sockaddr*>(&sin), static_cast<int>(sizeof sin));
  } else {
    sent = ws::send(hSocket_, static_cast<const char*>(data), len, SendFlags);
  }
  if (sent < 0) {
    lastError_ = ws::WSAGetLastError();
    return -1;
  }
  if (sent > 0 && OnSendData) OnSendData(this, sent);
  return sent;
}

void TCustomAsyncSocket::Flush() {
  unsigned gen = generation_;
  DWORD start = GetTickCount();
  while (Live(gen) && BufferedBytes() > 0) {
    if (!TryToSend() || BufferedBytes() == 0) break;
    if (GetTickCount() - start > static_cast<DWORD>(std::max(0, FlushTimeout)) * 1000u) break;
    ProcessMessages();
    Sleep(10);
  }
}

int TCustomAsyncSocket::Receive(void* buffer, int size) { return DoRecv(buffer, size); }

int TCustomAsyncSocket::DoRecv(void* buffer, int size) {
  ++recvCalls_;
  if (hSocket_ == INVALID_TSOCKET) {
    lastError_ = WSAENOTSOCK;
    return -1;
  }
  if (size < 0 || (size > 0 && !buffer)) {
    lastError_ = WSAEINVAL;
    return -1;
  }
  int n = ws::recv(hSocket_, static_cast<char*>(buffer), size, 0);
  if (n < 0) {
    lastError_ = ws::WSAGetLastError();
    recvWouldBlock_ = lastError_ == WSAEWOULDBLOCK;
    return -1;
  }
  readCount_ += n;
  return n;
}

int TCustomAsyncSocket::RcvdCount() {
  if (hSocket_ == INVALID_TSOCKET) {
    SocketError("ioctlSocket", WSAENOTSOCK);
    return -1;
  }
  u_long n = 0;
  if (ws::ioctlsocket(hSocket_, FIONREAD, &n) != 0) {
    SocketError("ioctlSocket", ws::WSAGetLastError());
    return -1;
  }
  return static_cast<int>(std::min<u_long>(n, INT_MAX));
}

std::string TCustomAsyncSocket::ReceiveStr() {
  int n = RcvdCount();
  if (n <= 0) return std::string();
  std::string s(static_cast<size_t>(n), '\0');
  int got = Receive(&s[0], n);
  if (got <= 0) return std::string();
  s.resize(static_cast<size_t>(got));
  return s;
}

std::string TCustomAsyncSocket::PeerAddr() {
  if (state_ != wsConnected || hSocket_ == INVALID_TSOCKET) return "error";
  sockaddr_in sin = {};
  int len = sizeof sin;
  if (ws::getpeername(hSocket_, reinterpret_cast<sockaddr*>(&sin), &len) != 0) {
    SocketError("GetPeerName", ws::WSAGetLastError());
    return "error";
  }
  return ws::inet_ntoa(sin.sin_addr);
}

std::string TCustomAsyncSocket::PeerPort() {
  if (state_ != wsConnected || hSocket_ == INVALID_TSOCKET) return "error";
  sockaddr_in sin = {};
  int len = sizeof sin;
  if (ws::getpeername(hSocket_, reinterpret_cast<sockaddr*>(&sin), &len) != 0) {
    SocketError("GetPeerPort", ws::WSAGetLastError());
    return "error";
  }
  return IntToStr(ws::ntohs(sin.sin_port));
}

void TCustomAsyncSocket::Pause() {
  paused_ = true;
  if (hSocket_ != INVALID_TSOCKET) ws::WSAAsyncSelect(hSocket_, window_, 0, 0);
}

void TCustomAsyncSocket::Resume() {
  paused_ = false;
  if (hSocket_ != INVALID_TSOCKET &&
      ws::WSAAsyncSelect(hSocket_, window_, WM_ASYNCSELECT, kResumeMask) != 0)
    SocketError("WSAAsyncSelect", ws::WSAGetLastError());
}

// Closing --------------------------------------------------------------------------

void TCustomAsyncSocket::PurgeSocketEvents() {
  MSG msg;
  while (PeekMessageA(&msg, window_, WM_ASYNCSELECT, WM_ASYNCSELECT, PM_REMOVE)) {
  }
}

void TCustomAsyncSocket::InternalClose(bool signal, int error) {
  if (hSocket_ == INVALID_TSOCKET) {
    ChangeState(wsClosed);
    return;
  }
  closing_ = true;
  TSocket s = hSocket_;
  unsigned run = ++closeRuns_;
  int failure = 0;
  try {
    ws::WSAAsyncSelect(s, window_, 0, 0);
    for (int tries = 0;; ++tries) {
      if (ws::closesocket(s) == 0) break;
      int err = ws::WSAGetLastError();
      if (err == WSANOTINITIALISED) break;
      if (err != WSAEWOULDBLOCK) {
        failure = err;
        break;
      }
      // A lingering close: give it time, then drop the linger.
      if (tries == 100 * (std::max(0, LingerTimeout) + 1)) {
        linger l = {0, 0};
        ws::setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
      }
      ProcessMessages();
      // A close run from a handler meanwhile has finished this one: the
      // handle may already belong to another socket.
      if (closeRuns_ != run) return;
      Sleep(10);
    }
  } catch (...) {
    closing_ = false;
    hSocket_ = INVALID_TSOCKET;
    throw;
  }
  hSocket_ = INVALID_TSOCKET;
  closing_ = false;
  // Events of the closed socket must never reach a later one that gets
  // the same handle.
  PurgeSocketEvents();
  sentPosts_ = 0;
  ClearSendQueue();
  ChangeState(wsClosed);
  // Before the signal, so that a handler may set up the next connection.
  AssignDefaults();
  if (!closeSignalled_) {
    closeSignalled_ = true;
    if (signal && !Destroying()) TriggerSessionClosed(error);
  }
  if (failure) SocketError("Disconnect (closesocket)", failure);
}

void TCustomAsyncSocket::AssignDefaults() {
  proto_ = "tcp";
  localAddr_ = "0.0.0.0";
  localPort_ = "0";
  addrResolved_ = portResolved_ = protoResolved_ = false;
  localAddrResolved_ = localPortResolved_ = false;
  LingerOnOff = true;
  LingerTimeout = 0;
  FlushTimeout = 60;
  SendLineLimit = 0;
  paused_ = false;
}

void TCustomAsyncSocket::Close() { InternalClose(true, 0); }

void TCustomAsyncSocket::Abort() {
  try {
    CancelDnsLookup();
  } catch (const std::exception&) {
  }
  ClearSendQueue();
  if (state_ == wsConnected && protocol_ != IPPROTO_UDP && hSocket_ != INVALID_TSOCKET) {
    linger l = {0, 0};
    ws::setsockopt(hSocket_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
  }
  try {
    InternalClose(true, 0);
  } catch (const std::exception&) {
  }
}

void TCustomAsyncSocket::Shutdown(int how) {
  if (hSocket_ != INVALID_TSOCKET) ws::shutdown(hSocket_, how);
}

void TCustomAsyncSocket::CloseDelayed() { PostMessageA(window_, WM_CLOSE_DELAYED, 0, 0); }

void TCustomAsyncSocket::Release() { PostMessageA(window_, WM_WSOCKET_RELEASE, 0, 0); }

// Host lookups -----------------------------------------------------------------------

void TCustomAsyncSocket::RejectDnsName() {
  lastError_ = WSAEINVAL;
  if (OnDnsLookupDone) OnDnsLookupDone(this, WSAEINVAL);
  RaiseException("DNS lookup: invalid host name.");
}

void TCustomAsyncSocket::ResetDnsLookup() {
  if (dnsTask_) {
    ws::WSACancelAsyncRequest(dnsTask_);
    dnsTask_ = nullptr;
    AbandonDnsBuffer();
  }
  dnsResult_.clear();
  dnsResultList_.Clear();
  if (!dnsBuffer_) dnsBuffer_.reset(new char[MAXGETHOSTSTRUCT]);
}

void TCustomAsyncSocket::AbandonDnsBuffer() {
  // The sockets library may still write the answer of a cancelled lookup
  // into its buffer, even after this component is gone: the buffer is left
  // to it, and the next lookup gets a new one.
  (void)dnsBuffer_.release();
}

void TCustomAsyncSocket::DnsStartFailed(const std::string& name) {
  int err = ws::WSAGetLastError();
  lastError_ = err;
  RaiseException(Format("%s: can't start DNS lookup, error #%d", name.c_str(), err));
}

void TCustomAsyncSocket::DnsLookup(const std::string& host) {
  if (host.empty()) return RejectDnsName();
  ResetDnsLookup();
  std::string trimmed = net::Trim(host);
  if (net::IsDottedAddress(trimmed) && net::ValidDottedAddress(trimmed)) {
    dnsResult_ = trimmed;
    dnsResultList_.Add(trimmed);
    if (OnDnsLookupDone) OnDnsLookupDone(this, 0);
    return;
  }
  dnsByAddr_ = false;
  dnsTask_ = ws::WSAAsyncGetHostByName(window_, WM_ASYNCGETHOSTBYNAME, host.c_str(),
                                       dnsBuffer_.get(), MAXGETHOSTSTRUCT);
  if (!dnsTask_) DnsStartFailed(host);
}

void TCustomAsyncSocket::ReverseDnsLookup(const std::string& addr) {
  std::string trimmed = net::Trim(addr);
  if (!net::IsDottedAddress(trimmed) || !net::ValidDottedAddress(trimmed)) return RejectDnsName();
  ResetDnsLookup();
  dnsAddr_ = ws::inet_addr(trimmed.c_str());
  dnsByAddr_ = true;
  dnsTask_ = ws::WSAAsyncGetHostByAddr(window_, WM_ASYNCGETHOSTBYADDR,
                                       reinterpret_cast<const char*>(&dnsAddr_), 4, AF_INET,
                                       dnsBuffer_.get(), MAXGETHOSTSTRUCT);
  if (!dnsTask_) DnsStartFailed(addr);
}

void TCustomAsyncSocket::CancelDnsLookup() {
  if (!dnsTask_) return;
  HANDLE task = dnsTask_;
  dnsTask_ = nullptr;
  AbandonDnsBuffer();
  if (ws::WSACancelAsyncRequest(task) != 0)
    return SocketError("WSACancelAsyncRequest", ws::WSAGetLastError());
  if (!Destroying() && OnDnsLookupDone) OnDnsLookupDone(this, WSAEINTR);
}

void TCustomAsyncSocket::HostLookupDone(WPARAM wp, LPARAM lp, bool byAddr) {
  if (!dnsTask_ || reinterpret_cast<HANDLE>(wp) != dnsTask_ || byAddr != dnsByAddr_) return;
  dnsTask_ = nullptr;
  int err = WSAGETASYNCERROR(lp);
  if (err == 0) {
    net::HostEntry entry = net::ReadHostEntry(dnsBuffer_.get(), MAXGETHOSTSTRUCT);
    if (byAddr) {
      dnsResult_ = entry.name;
      if (!entry.name.empty()) dnsResultList_.Add(entry.name);
      for (const std::string& a : entry.aliases) dnsResultList_.Add(a);
    } else {
      for (const std::string& a : entry.addresses) dnsResultList_.Add(a);
      if (dnsResultList_.Count() > 0) dnsResult_ = dnsResultList_.Strings(0);
      else err = WSANO_DATA;
    }
  }
  if (OnDnsLookupDone) OnDnsLookupDone(this, err);
}
