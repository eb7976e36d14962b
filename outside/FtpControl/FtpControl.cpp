#include "FtpControl.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

const char kWindowClass[] = "BrindaleFtpControl";
const UINT kResolvedMsg = WM_APP + 1;
// Socket notifications use one message number per fetch and connection, so
// that a notification still queued for a closed socket never reaches the
// next fetch.
const UINT kControlMsgBase = WM_APP + 0x100;
const UINT kDataMsgBase = WM_APP + 0x200;
const UINT kSocketMsgCount = 0x100;
const UINT_PTR kIdleTimer = 1;
const size_t kRecvBlock = 256 * 1024;
const int kReadsPerMessage = 16;
const char kAnonymousPassword[] = "brindale@";

HINSTANCE CodeModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&CodeModule), &module);
  return module;
}

int32_t Clamp32(int64_t v) {
  return v > INT32_MAX ? INT32_MAX : v < 0 ? 0 : static_cast<int32_t>(v);
}

}  // namespace

CFtpControl::CFtpControl(IFtpControlEvents* sink)
    : sink_(sink), recvBuffer_(new char[kRecvBlock]) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  HINSTANCE inst = CodeModule();
  WNDCLASSA wc = {};
  if (!GetClassInfoA(inst, kWindowClass, &wc)) {
    wc.lpfnWndProc = WndProc;
    wc.hInstance = inst;
    wc.lpszClassName = kWindowClass;
    RegisterClassA(&wc);
  }
  wnd_ = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, inst,
                         nullptr);
  if (wnd_) SetWindowLongPtrA(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

CFtpControl::~CFtpControl() {
  // Torn down without events: the sink may already be going away.
  if (ctl_ != INVALID_SOCKET) closesocket(ctl_);
  if (data_ != INVALID_SOCKET) closesocket(data_);
  if (resolveTask_) WSACancelAsyncRequest(resolveTask_);
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  if (wnd_) {
    SetWindowLongPtrA(wnd_, GWLP_USERDATA, 0);
    DestroyWindow(wnd_);
  }
  UnregisterClassA(kWindowClass, CodeModule());  // fails while other controls live
  WSACleanup();
}

std::string CFtpControl::StateString() const {
  switch (state_) {
    case FTPCTL_STATE_RESOLVING: return "Resolving host";
    case FTPCTL_STATE_RESOLVED: return "Host resolved";
    case FTPCTL_STATE_CONNECTING: return "Connecting";
    case FTPCTL_STATE_CONNECTED: return "Connected";
    case FTPCTL_STATE_CLOSING: return "Closing connection";
    default: return "Connection closed";
  }
}

std::string CFtpControl::ProtocolStateString() const {
  switch (protocolState_) {
    case FTPCTL_PROTOCOL_AUTHORIZATION: return "Authorization";
    case FTPCTL_PROTOCOL_TRANSACTION: return "Transaction";
    default: return "Base";
  }
}

bool CFtpControl::GetFile(const char* url, const char*, const char* outputFile) {
  if (busy_) {
    lastError_ = "The control is busy";
    return false;
  }
  if (!wnd_) {
    lastError_ = "The control has no window";
    return false;
  }
  FtpUrl u;
  if (!ParseFtpUrl(url ? url : "", u, lastError_)) return false;
  if (!outputFile || !*outputFile) {
    lastError_ = "No output file";
    return false;
  }
  bool viaProxy = proxy_.Use() == FTPCTL_PROXY_USER_AT_HOST && !proxy_.Host().empty() &&
                  proxy_.Port() >= 1 && proxy_.Port() <= 65535;
  std::string user = u.user.empty() ? "anonymous" : u.user;
  if (u.user.empty()) u.password = kAnonymousPassword;
  std::string connectHost = u.host;
  connectPort_ = u.port;
  if (viaProxy) {
    user += "@" + u.host + (u.port != 21 ? ":" + std::to_string(u.port) : std::string());
    connectHost = proxy_.Host();
    connectPort_ = static_cast<uint16_t>(proxy_.Port());
  }
  file_ = CreateFileA(outputFile, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) {
    lastError_ = std::string("Cannot create ") + outputFile;
    return false;
  }

  busy_ = true;
  unsigned gen = ++generation_;
  url_ = u;
  loginUser_ = user;
  step_ = kGreeting;
  reader_.reset(new FtpReplyReader());
  pending_.clear();
  peerAddr_ = 0;
  announced_ = -1;
  received_ = 0;
  begun_ = dataClosed_ = replyDone_ = false;
  doc_ = CFtpDocOutput();
  lastError_.clear();

  Touch();
  sink_->OnBusy(TRUE);
  if (!Alive(gen)) return true;
  SetState(FTPCTL_STATE_RESOLVING);
  if (!Alive(gen)) return true;
  unsigned long addr = inet_addr(connectHost.c_str());
  if (addr != INADDR_NONE) {
    SetState(FTPCTL_STATE_RESOLVED);
    if (Alive(gen)) Connect(static_cast<uint32_t>(addr));
    return true;
  }
  hostBuffer_.reset(new char[MAXGETHOSTSTRUCT]);
  resolveTask_ = WSAAsyncGetHostByName(wnd_, kResolvedMsg, connectHost.c_str(),
                                       hostBuffer_.get(), MAXGETHOSTSTRUCT);
  if (!resolveTask_) Fail(FTPCTL_ERR_HOST_NOT_FOUND, "Host not found: " + connectHost);
  return true;
}

void CFtpControl::OnResolved(HANDLE task, WORD error) {
  if (!busy_ || task != resolveTask_) return;
  resolveTask_ = nullptr;
  const hostent* h = reinterpret_cast<const hostent*>(hostBuffer_.get());
  if (error || !h->h_addr_list || !h->h_addr_list[0] || h->h_length != 4) {
    Fail(FTPCTL_ERR_HOST_NOT_FOUND, "Host not found");
    return;
  }
  uint32_t addr;
  memcpy(&addr, h->h_addr_list[0], 4);
  unsigned gen = generation_;
  SetState(FTPCTL_STATE_RESOLVED);
  if (Alive(gen)) Connect(addr);
}

void CFtpControl::Connect(uint32_t addrNetOrder) {
  unsigned gen = generation_;
  ctl_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (ctl_ == INVALID_SOCKET) {
    Fail(FTPCTL_ERR_CONNECT, "Cannot create a socket");
    return;
  }
  WSAAsyncSelect(ctl_, wnd_, kControlMsgBase + gen % kSocketMsgCount,
                 FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE);
  SetState(FTPCTL_STATE_CONNECTING);
  if (!Alive(gen)) return;
  sockaddr_in sa = {};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(connectPort_);
  sa.sin_addr.s_addr = addrNetOrder;
  peerAddr_ = addrNetOrder;
  if (connect(ctl_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == SOCKET_ERROR &&
      WSAGetLastError() != WSAEWOULDBLOCK) {
    Fail(FTPCTL_ERR_CONNECT, "Cannot connect (error " + std::to_string(WSAGetLastError()) + ")");
  }
}

void CFtpControl::OnControlSocket(WORD event, WORD error) {
  unsigned gen = generation_;
  switch (event) {
    case FD_CONNECT:
      if (error) {
        Fail(FTPCTL_ERR_CONNECT, "Cannot connect (error " + std::to_string(error) + ")");
        return;
      }
      Touch();
      SetState(FTPCTL_STATE_CONNECTED);
      if (Alive(gen)) SetProtocolState(FTPCTL_PROTOCOL_AUTHORIZATION);
      break;
    case FD_WRITE:
      Send(std::string());
      break;
    case FD_READ:
      ReadControl();
      break;
    case FD_CLOSE:
      ReadControl();  // what is still buffered
      if (Alive(gen)) Fail(FTPCTL_ERR_CONNECTION_LOST, "The server closed the connection");
      break;
  }
}

void CFtpControl::ReadControl() {
  unsigned gen = generation_;
  char buf[4096];
  for (int i = 0; i < kReadsPerMessage && Alive(gen); ++i) {
    int n = recv(ctl_, buf, sizeof buf, 0);
    if (n == 0) return;
    if (n < 0) {
      int err = WSAGetLastError();
      if (err == WSAEWOULDBLOCK) return;
      Fail(FTPCTL_ERR_CONNECTION_LOST, err == WSAECONNRESET
                                           ? "Connection reset by peer"
                                           : "Connection lost (error " + std::to_string(err) + ")");
      return;
    }
    Touch();
    if (!reader_->Feed(buf, static_cast<size_t>(n))) {
      Fail(FTPCTL_ERR_BAD_REPLY, reader_->Error());
      return;
    }
    FtpReply reply;
    while (Alive(gen) && reader_->Next(reply)) OnReply(reply);
  }
}

void CFtpControl::OnReply(const FtpReply& reply) {
  const int kind = reply.code / 100;
  if (kind == 1) {  // preliminary: only the start of the transfer matters
    if (step_ == kRetrieve) {
      if (announced_ < 0) announced_ = ParseAnnouncedSize(reply.text);
      step_ = kTransfer;
      Begin();
    }
    return;
  }
  unsigned gen = generation_;
  auto loggedIn = [&] {
    SetProtocolState(FTPCTL_PROTOCOL_TRANSACTION);
    if (!Alive(gen)) return;
    step_ = kType;
    Send("TYPE I");
  };
  switch (step_) {
    case kGreeting:
      if (reply.code != 220) return Refused(reply);
      step_ = kUser;
      Send("USER " + loginUser_);
      break;
    case kUser:
      if (reply.code == 230) return loggedIn();
      if (reply.code != 331) return Refused(reply);
      step_ = kPass;
      Send("PASS " + url_.password);
      break;
    case kPass:
      if (reply.code != 230 && reply.code != 202) return Refused(reply);
      loggedIn();
      break;
    case kType:
      if (kind != 2) return Refused(reply);
      step_ = kSize;
      Send("SIZE " + url_.path);
      break;
    case kSize:
      // A server without SIZE (or one that refuses it) leaves the size to
      // the transfer's own announcement; a missing file is refused below.
      if (reply.code == 213) announced_ = ParseSizeReply(reply.text);
      step_ = kPassive;
      Send("PASV");
      break;
    case kPassive: {
      if (reply.code != 227) return Refused(reply);
      uint16_t port = ParsePassivePort(reply.text);
      if (!port) return Fail(FTPCTL_ERR_BAD_REPLY, "Bad reply: " + reply.text.substr(0, 80));
      OpenData(port);
      break;
    }
    case kRetrieve:
    case kTransfer:
      if (kind != 2) return Refused(reply);
      Begin();
      if (!Alive(gen)) return;
      replyDone_ = true;
      TryComplete();
      break;
    default:
      break;
  }
}

void CFtpControl::Send(const std::string& command) {
  if (!command.empty()) pending_ += command + "\r\n";
  while (!pending_.empty() && ctl_ != INVALID_SOCKET) {
    int n = send(ctl_, pending_.data(), static_cast<int>(pending_.size()), 0);
    if (n == SOCKET_ERROR) {
      if (WSAGetLastError() == WSAEWOULDBLOCK) return;  // FD_WRITE goes on
      Fail(FTPCTL_ERR_CONNECTION_LOST,
           "Cannot send a command (error " + std::to_string(WSAGetLastError()) + ")");
      return;
    }
    pending_.erase(0, static_cast<size_t>(n));
  }
}

// The data connection goes to the address of the control connection: a
// passive reply's own address is not followed elsewhere.
void CFtpControl::OpenData(uint16_t port) {
  data_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (data_ == INVALID_SOCKET) {
    Fail(FTPCTL_ERR_CONNECT, "Cannot create a socket");
    return;
  }
  WSAAsyncSelect(data_, wnd_, kDataMsgBase + generation_ % kSocketMsgCount,
                 FD_CONNECT | FD_READ | FD_CLOSE);
  sockaddr_in sa = {};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = peerAddr_;
  if (connect(data_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == SOCKET_ERROR &&
      WSAGetLastError() != WSAEWOULDBLOCK) {
    Fail(FTPCTL_ERR_CONNECT,
         "Cannot open the data connection (error " + std::to_string(WSAGetLastError()) + ")");
  }
}

void CFtpControl::OnDataSocket(WORD event, WORD error) {
  unsigned gen = generation_;
  switch (event) {
    case FD_CONNECT:
      if (error) {
        Fail(FTPCTL_ERR_CONNECT,
             "Cannot open the data connection (error " + std::to_string(error) + ")");
        return;
      }
      Touch();
      step_ = kRetrieve;
      Send("RETR " + url_.path);
      break;
    case FD_READ:
      ReadData(false);
      break;
    case FD_CLOSE:
      ReadData(true);
      if (!Alive(gen)) return;
      if (error) {
        Fail(FTPCTL_ERR_CONNECTION_LOST, error == WSAECONNRESET
                                             ? "Connection reset by peer"
                                             : "Data connection lost (error " +
                                                   std::to_string(error) + ")");
        return;
      }
      dataClosed_ = true;
      TryComplete();
      break;
  }
}

// toEnd: the server closed the connection; read up to its end.
void CFtpControl::ReadData(bool toEnd) {
  unsigned gen = generation_;
  int64_t before = received_;
  for (int i = 0; (toEnd || i < kReadsPerMessage) && Alive(gen); ++i) {
    int n = recv(data_, recvBuffer_.get(), static_cast<int>(kRecvBlock), 0);
    if (n == 0) break;
    if (n < 0) {
      int err = WSAGetLastError();
      if (err == WSAEWOULDBLOCK) break;
      Fail(FTPCTL_ERR_CONNECTION_LOST, err == WSAECONNRESET
                                           ? "Connection reset by peer"
                                           : "Data connection lost (error " +
                                                 std::to_string(err) + ")");
      return;
    }
    Touch();
    DWORD written = 0;
    if (!WriteFile(file_, recvBuffer_.get(), static_cast<DWORD>(n), &written, nullptr) ||
        written != static_cast<DWORD>(n)) {
      Fail(FTPCTL_ERR_FILE, "Cannot write the output file");
      return;
    }
    received_ += n;
  }
  if (!Alive(gen) || received_ == before) return;
  Begin();
  if (!Alive(gen)) return;
  doc_.received_ = Clamp32(received_);
  FireDocOutput(FTPCTL_DOC_DATA);
}

void CFtpControl::Begin() {
  if (begun_) return;
  begun_ = true;
  doc_.total_ = announced_ > 0 ? Clamp32(announced_) : 0;
  FireDocOutput(FTPCTL_DOC_BEGIN);
}

void CFtpControl::TryComplete() {
  if (!dataClosed_ || !replyDone_ || !busy_) return;
  if (announced_ >= 0 && received_ < announced_) {
    Fail(FTPCTL_ERR_SHORT, "Transfer ended short: " + std::to_string(received_) + " of " +
                               std::to_string(announced_) + " bytes");
    return;
  }
  unsigned gen = generation_;
  doc_.received_ = Clamp32(received_);
  doc_.total_ = Clamp32(announced_ >= 0 ? announced_ : received_);
  FireDocOutput(FTPCTL_DOC_DATA);
  if (!Alive(gen)) return;
  FireDocOutput(FTPCTL_DOC_END);
  if (!Alive(gen)) return;
  step_ = kDone;
  send(ctl_, "QUIT\r\n", 6, 0);  // a courtesy: the connection closes now
  End(0, std::string());
}

void CFtpControl::Refused(const FtpReply& reply) {
  Fail(FTPCTL_ERR_REFUSED, std::to_string(reply.code) + " " + reply.text.substr(0, 200));
}

void CFtpControl::Fail(short number, const std::string& text) { End(number, text); }

void CFtpControl::Cancel() {
  if (busy_) End(0, std::string());
}

void CFtpControl::End(short errorNumber, const std::string& errorText) {
  if (!busy_) return;
  busy_ = false;
  unsigned gen = ++generation_;
  bool connected = state_ == FTPCTL_STATE_CONNECTED;
  KillTimer(wnd_, kIdleTimer);
  for (SOCKET* s : {&ctl_, &data_}) {
    if (*s != INVALID_SOCKET) {
      closesocket(*s);
      *s = INVALID_SOCKET;
    }
  }
  if (resolveTask_) {
    WSACancelAsyncRequest(resolveTask_);
    resolveTask_ = nullptr;
  }
  if (file_ != INVALID_HANDLE_VALUE) {
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
  }
  step_ = kDone;
  pending_.clear();
  lastError_ = errorText;

  // A handler below may start the next fetch; the rest is then skipped.
  auto stillOurs = [&] { return !busy_ && generation_ == gen; };
  if (errorNumber) {
    std::string description = errorText;
    BOOL cancelDisplay = TRUE;
    sink_->OnError(errorNumber, description, 0, "FtpControl", "", 0, &cancelDisplay);
    if (!stillOurs()) return;
  }
  protocolState_ = FTPCTL_PROTOCOL_BASE;
  sink_->OnProtocolStateChanged(FTPCTL_PROTOCOL_BASE);
  if (!stillOurs()) return;
  if (connected) {
    state_ = FTPCTL_STATE_CLOSING;
    sink_->OnStateChanged(FTPCTL_STATE_CLOSING);
    if (!stillOurs()) return;
  }
  state_ = FTPCTL_STATE_CLOSED;
  sink_->OnStateChanged(FTPCTL_STATE_CLOSED);
  if (!stillOurs()) return;
  sink_->OnBusy(FALSE);
}

void CFtpControl::SetState(short state) {
  state_ = state;
  sink_->OnStateChanged(state);
}

void CFtpControl::SetProtocolState(short state) {
  protocolState_ = state;
  sink_->OnProtocolStateChanged(state);
}

void CFtpControl::FireDocOutput(int32_t stage) {
  doc_.stage_ = stage;
  sink_->OnDocOutput(doc_);
}

void CFtpControl::Touch() {
  if (idleMs_) SetTimer(wnd_, kIdleTimer, idleMs_, nullptr);
}

LRESULT CALLBACK CFtpControl::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<CFtpControl*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (self) {
    const UINT slot = self->generation_ % kSocketMsgCount;
    const SOCKET s = static_cast<SOCKET>(wp);
    if (msg == kControlMsgBase + slot) {
      if (self->busy_ && s == self->ctl_)
        self->OnControlSocket(WSAGETSELECTEVENT(lp), WSAGETSELECTERROR(lp));
      return 0;
    }
    if (msg == kDataMsgBase + slot) {
      if (self->busy_ && s == self->data_)
        self->OnDataSocket(WSAGETSELECTEVENT(lp), WSAGETSELECTERROR(lp));
      return 0;
    }
    if (msg >= kControlMsgBase && msg < kDataMsgBase + kSocketMsgCount) return 0;
    if (msg == kResolvedMsg) {
      self->OnResolved(reinterpret_cast<HANDLE>(wp), WSAGETASYNCERROR(lp));
      return 0;
    }
    if (msg == WM_TIMER) {
      KillTimer(wnd, wp);
      if (wp == kIdleTimer && self->busy_)
        self->Fail(FTPCTL_ERR_TIMEOUT, "The server did not answer in time");
      return 0;
    }
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}
