#include "HttpControl.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "HttpUrl.h"

namespace {

const char kWindowClass[] = "BrindaleHttpControl";
const UINT kResolvedMsg = WM_APP + 1;
// Socket notifications use one message number per request, so that a
// notification still queued for a closed socket never reaches the next one.
const UINT kSocketMsgBase = WM_APP + 0x100;
const UINT kSocketMsgCount = 0x100;
const size_t kRecvBlock = 256 * 1024;
const int kReadsPerMessage = 16;

// The module holding this code: the window class belongs to it, so that a
// library that is unloaded and loaded again never leaves a stale class.
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

bool HasLineBreak(const std::string& s) {
  return s.find_first_of("\r\n") != std::string::npos;
}

void AppendHeaders(std::string& out, const CHttpHeaders& headers, bool& ok) {
  for (long i = 1; i <= headers.Count(); ++i) {
    const CHttpHeader* h = headers.Item(i);
    if (h->Name().empty() || HasLineBreak(h->Name()) || HasLineBreak(h->Value()) ||
        h->Name().find(':') != std::string::npos) {
      ok = false;
      return;
    }
    out += h->Name() + ": " + h->Value() + "\r\n";
  }
}

}  // namespace

const CHttpHeader* CHttpHeaders::Add(const std::string& name, const std::string& value) {
  items_.emplace_back(name, value);
  return &items_.back();
}

CHttpControl::CHttpControl(IHttpControlEvents* sink)
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
  wnd_ = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         inst, nullptr);
  if (wnd_) SetWindowLongPtrA(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

CHttpControl::~CHttpControl() {
  // Torn down without events: the sink may already be going away.
  if (sock_ != INVALID_SOCKET) closesocket(sock_);
  if (resolveTask_) WSACancelAsyncRequest(resolveTask_);
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  if (wnd_) {
    SetWindowLongPtrA(wnd_, GWLP_USERDATA, 0);
    DestroyWindow(wnd_);
  }
  UnregisterClassA(kWindowClass, CodeModule());  // fails while other controls live
  WSACleanup();
}

std::string CHttpControl::StateString() const {
  switch (state_) {
    case HTTPCTL_STATE_RESOLVING: return "Resolving host";
    case HTTPCTL_STATE_RESOLVED: return "Host resolved";
    case HTTPCTL_STATE_CONNECTING: return "Connecting";
    case HTTPCTL_STATE_CONNECTED: return "Connected";
    case HTTPCTL_STATE_CLOSING: return "Closing connection";
    default: return "Connection closed";
  }
}

std::string CHttpControl::ProtocolStateString() const {
  return protocolState_ == HTTPCTL_PROTOCOL_BASE ? "Base" : "Request sent";
}

void CHttpControl::SetTimeout(short index, long ms) {
  if (index < 1 || index > 2) return;
  timeouts_[index] = ms;
  timerEnabled_[index] = ms > 0;
}

void CHttpControl::EnableTimer(short index, long enabled) {
  if (index < 1 || index > 2) return;
  timerEnabled_[index] = enabled != 0;
  if (!enabled && wnd_) KillTimer(wnd_, static_cast<UINT_PTR>(index));
}

bool CHttpControl::GetDoc(const char* url, const CHttpHeaders* headers,
                          const char* outputFile) {
  return Start("GET", url, headers, std::string(), outputFile);
}

bool CHttpControl::SendDoc(const char* url, const CHttpHeaders* headers,
                           const char* inputData, const char* inputFile,
                           const char* outputFile) {
  std::string body;
  if (inputData) {
    body = inputData;
  } else if (inputFile && *inputFile) {
    HANDLE f = CreateFileA(inputFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
      lastError_ = std::string("Cannot open ") + inputFile;
      return false;
    }
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) body.append(buf, got);
    CloseHandle(f);
  }
  return Start("POST", url, headers, std::move(body), outputFile);
}

bool CHttpControl::Start(const char* method, const char* url, const CHttpHeaders* headers,
                         std::string body, const char* outputFile) {
  if (busy_) {
    lastError_ = "The control is busy";
    return false;
  }
  if (!wnd_) {
    lastError_ = "The control has no window";
    return false;
  }
  HttpUrl u;
  if (!ParseHttpUrl(url ? url : "", u, lastError_)) return false;

  bool viaProxy = proxy_.Use() && !proxy_.Host().empty() && proxy_.Port() >= 1 &&
                  proxy_.Port() <= 65535;
  std::string connectHost = viaProxy ? proxy_.Host() : u.host;
  connectPort_ = viaProxy ? static_cast<uint16_t>(proxy_.Port()) : u.port;

  std::string request = std::string(method) + " " + (viaProxy ? u.absolute : u.target) +
                        " HTTP/1.0\r\n";
  bool ok = true;
  AppendHeaders(request, docInput_.Headers(), ok);
  if (headers) AppendHeaders(request, *headers, ok);
  if (!ok) {
    lastError_ = "Bad request header";
    return false;
  }
  if (std::string(method) == "POST")
    request += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  request += "\r\n";
  request += body;

  if (outputFile && *outputFile) {
    file_ = CreateFileA(outputFile, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
      lastError_ = std::string("Cannot create ") + outputFile;
      return false;
    }
  }

  busy_ = true;
  unsigned gen = ++generation_;
  replyCode_ = 0;
  docOutput_ = CHttpDocOutput();
  parser_.reset(new HttpReplyParser());
  sendBuffer_.swap(request);
  sent_ = 0;
  lastError_.clear();

  ArmTimer(HTTPCTL_TIMEOUT_CONNECT);
  SetState(HTTPCTL_STATE_RESOLVING);
  if (!Alive(gen)) return true;
  unsigned long addr = inet_addr(connectHost.c_str());
  if (addr != INADDR_NONE) {
    SetState(HTTPCTL_STATE_RESOLVED);
    if (Alive(gen)) Connect(static_cast<uint32_t>(addr));
    return true;
  }
  hostBuffer_.reset(new char[MAXGETHOSTSTRUCT]);
  resolveTask_ = WSAAsyncGetHostByName(wnd_, kResolvedMsg, connectHost.c_str(),
                                       hostBuffer_.get(), MAXGETHOSTSTRUCT);
  if (!resolveTask_) Fail(HTTPCTL_ERR_HOST_NOT_FOUND, "Host not found: " + connectHost);
  return true;
}

void CHttpControl::OnResolved(HANDLE task, WORD error) {
  if (!busy_ || task != resolveTask_) return;
  resolveTask_ = nullptr;
  const hostent* h = reinterpret_cast<const hostent*>(hostBuffer_.get());
  if (error || !h->h_addr_list || !h->h_addr_list[0] || h->h_length != 4) {
    Fail(HTTPCTL_ERR_HOST_NOT_FOUND, "Host not found");
    return;
  }
  uint32_t addr;
  memcpy(&addr, h->h_addr_list[0], 4);
  unsigned gen = generation_;
  SetState(HTTPCTL_STATE_RESOLVED);
  if (Alive(gen)) Connect(addr);
}

void CHttpControl::Connect(uint32_t addrNetOrder) {
  unsigned gen = generation_;
  sock_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (sock_ == INVALID_SOCKET) {
    Fail(HTTPCTL_ERR_CONNECT, "Cannot create a socket");
    return;
  }
  UINT msg = kSocketMsgBase + generation_ % kSocketMsgCount;
  WSAAsyncSelect(sock_, wnd_, msg, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE);
  SetState(HTTPCTL_STATE_CONNECTING);
  if (!Alive(gen)) return;
  sockaddr_in sa = {};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(connectPort_);
  sa.sin_addr.s_addr = addrNetOrder;
  if (connect(sock_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == SOCKET_ERROR &&
      WSAGetLastError() != WSAEWOULDBLOCK) {
    Fail(HTTPCTL_ERR_CONNECT, "Cannot connect (error " + std::to_string(WSAGetLastError()) + ")");
  }
}

void CHttpControl::OnSocket(SOCKET s, WORD event, WORD error) {
  if (!busy_ || s != sock_) return;
  unsigned gen = generation_;
  switch (event) {
    case FD_CONNECT:
      if (error) {
        Fail(HTTPCTL_ERR_CONNECT, "Cannot connect (error " + std::to_string(error) + ")");
        return;
      }
      SetState(HTTPCTL_STATE_CONNECTED);
      if (Alive(gen)) SendPending();
      break;
    case FD_WRITE:
      if (state_ == HTTPCTL_STATE_CONNECTED) SendPending();
      break;
    case FD_READ:
      Receive();
      break;
    case FD_CLOSE:
      Receive();  // what is still buffered, up to the end of the stream
      if (!Alive(gen)) return;
      if (error) {
        Fail(HTTPCTL_ERR_CONNECTION_LOST,
             "Connection lost (error " + std::to_string(error) + ")");
        return;
      }
      if (parser_->Finish() == HttpReplyParser::kDone) Complete();
      else Fail(HTTPCTL_ERR_CONNECTION_LOST, parser_->Error());
      break;
  }
}

void CHttpControl::SendPending() {
  if (sent_ >= sendBuffer_.size()) return;
  while (sent_ < sendBuffer_.size()) {
    int chunk = static_cast<int>(std::min<size_t>(sendBuffer_.size() - sent_, 1 << 20));
    int n = send(sock_, sendBuffer_.data() + sent_, chunk, 0);
    if (n == SOCKET_ERROR) {
      if (WSAGetLastError() == WSAEWOULDBLOCK) return;  // FD_WRITE goes on
      Fail(HTTPCTL_ERR_CONNECTION_LOST,
           "Cannot send the request (error " + std::to_string(WSAGetLastError()) + ")");
      return;
    }
    sent_ += static_cast<size_t>(n);
  }
  std::string().swap(sendBuffer_);
  DisarmTimers();
  ArmTimer(HTTPCTL_TIMEOUT_RECEIVE);
  unsigned gen = generation_;
  SetProtocolState(HTTPCTL_PROTOCOL_REQUEST_SENT);
  if (Alive(gen)) FireDocOutput(HTTPCTL_DOC_BEGIN);
}

void CHttpControl::Receive() {
  unsigned gen = generation_;
  int32_t before = docOutput_.received_;
  bool closed = false;
  for (int i = 0; i < kReadsPerMessage && Alive(gen); ++i) {
    int n = recv(sock_, recvBuffer_.get(), static_cast<int>(kRecvBlock), 0);
    if (n > 0) {
      if (!FeedReply(recvBuffer_.get(), static_cast<size_t>(n))) return;
      continue;
    }
    if (n == 0) {
      closed = true;
      break;
    }
    int err = WSAGetLastError();
    if (err == WSAEWOULDBLOCK) break;
    Fail(HTTPCTL_ERR_CONNECTION_LOST, err == WSAECONNRESET
                                          ? "Connection reset by peer"
                                          : "Connection lost (error " + std::to_string(err) + ")");
    return;
  }
  if (!Alive(gen)) return;
  ArmTimer(HTTPCTL_TIMEOUT_RECEIVE);
  if (docOutput_.received_ != before) FireDocOutput(HTTPCTL_DOC_DATA);
  if (closed && Alive(gen)) {
    if (parser_->Finish() == HttpReplyParser::kDone) Complete();
    else Fail(HTTPCTL_ERR_CONNECTION_LOST, parser_->Error());
  }
}

// False when the request has ended (or a new one has started) meanwhile.
bool CHttpControl::FeedReply(const char* data, size_t size) {
  unsigned gen = generation_;
  bool hadHeaders = parser_->HeadersDone();
  bool fileFailed = false;
  HttpReplyParser::Result r = parser_->Feed(data, size, [&](const char* p, size_t n) {
    if (file_ != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      if (!WriteFile(file_, p, static_cast<DWORD>(n), &written, nullptr) || written != n) {
        fileFailed = true;
        return false;
      }
    }
    return true;
  });
  docOutput_.received_ = Clamp32(parser_->BodyReceived());
  if (!hadHeaders && parser_->HeadersDone()) {
    replyCode_ = parser_->Code();
    docOutput_.headers_.Clear();
    for (const auto& h : parser_->Headers()) docOutput_.headers_.Add(h.first, h.second);
    docOutput_.total_ = Clamp32(parser_->ContentLength());
    FireDocOutput(HTTPCTL_DOC_HEADERS);
    if (!Alive(gen)) return false;
  }
  if (r == HttpReplyParser::kError) {
    if (fileFailed) Fail(HTTPCTL_ERR_FILE, "Cannot write the output file");
    else Fail(HTTPCTL_ERR_BAD_REPLY, parser_->Error());
    return false;
  }
  if (r == HttpReplyParser::kDone) {
    Complete();
    return false;
  }
  return true;
}

void CHttpControl::Complete() {
  unsigned gen = generation_;
  if (docOutput_.total_ == 0) docOutput_.total_ = docOutput_.received_;
  FireDocOutput(HTTPCTL_DOC_DATA);
  if (!Alive(gen)) return;
  FireDocOutput(HTTPCTL_DOC_END);
  if (Alive(gen)) End(0, std::string());
}

void CHttpControl::Fail(short number, const std::string& text) { End(number, text); }

void CHttpControl::Cancel() {
  if (busy_) End(0, std::string());
}

void CHttpControl::End(short errorNumber, const std::string& errorText) {
  if (!busy_) return;
  busy_ = false;
  unsigned gen = ++generation_;
  bool connected = state_ == HTTPCTL_STATE_CONNECTED;
  if (sock_ != INVALID_SOCKET) {
    closesocket(sock_);
    sock_ = INVALID_SOCKET;
  }
  if (resolveTask_) {
    WSACancelAsyncRequest(resolveTask_);
    resolveTask_ = nullptr;
  }
  DisarmTimers();
  if (file_ != INVALID_HANDLE_VALUE) {
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
  }
  docInput_.Headers().Clear();
  std::string().swap(sendBuffer_);
  lastError_ = errorText;

  // A handler below may start the next request; the rest is then skipped.
  auto stillOurs = [&] { return !busy_ && generation_ == gen; };
  if (errorNumber) {
    std::string description = errorText;
    BOOL cancelDisplay = TRUE;
    sink_->OnError(errorNumber, description, 0, "HttpControl", "", 0, &cancelDisplay);
    if (!stillOurs()) return;
  }
  protocolState_ = HTTPCTL_PROTOCOL_BASE;
  sink_->OnProtocolStateChanged(HTTPCTL_PROTOCOL_BASE);
  if (!stillOurs()) return;
  if (connected) {
    state_ = HTTPCTL_STATE_CLOSING;
    sink_->OnStateChanged(HTTPCTL_STATE_CLOSING);
    if (!stillOurs()) return;
  }
  state_ = HTTPCTL_STATE_CLOSED;
  sink_->OnStateChanged(HTTPCTL_STATE_CLOSED);
}

void CHttpControl::SetState(short state) {
  state_ = state;
  sink_->OnStateChanged(state);
}

void CHttpControl::SetProtocolState(short state) {
  protocolState_ = state;
  sink_->OnProtocolStateChanged(state);
}

void CHttpControl::FireDocOutput(int32_t stage) {
  docOutput_.stage_ = stage;
  sink_->OnDocOutput(docOutput_);
}

void CHttpControl::ArmTimer(short index) {
  if (timerEnabled_[index] && timeouts_[index] > 0)
    SetTimer(wnd_, static_cast<UINT_PTR>(index), static_cast<UINT>(timeouts_[index]), nullptr);
}

void CHttpControl::DisarmTimers() {
  KillTimer(wnd_, HTTPCTL_TIMEOUT_CONNECT);
  KillTimer(wnd_, HTTPCTL_TIMEOUT_RECEIVE);
}

void CHttpControl::OnTimer(UINT_PTR id) {
  KillTimer(wnd_, id);
  if (!busy_ || id < 1 || id > 2) return;
  unsigned gen = generation_;
  BOOL keepWaiting = TRUE;
  sink_->OnTimeout(static_cast<short>(id), &keepWaiting);
  if (!Alive(gen)) return;
  if (keepWaiting) ArmTimer(static_cast<short>(id));
  else Fail(HTTPCTL_ERR_TIMEOUT, "Timed out");
}

LRESULT CALLBACK CHttpControl::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<CHttpControl*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (self) {
    if (msg == kSocketMsgBase + self->generation_ % kSocketMsgCount) {
      self->OnSocket(static_cast<SOCKET>(wp), WSAGETSELECTEVENT(lp), WSAGETSELECTERROR(lp));
      return 0;
    }
    if (msg >= kSocketMsgBase && msg < kSocketMsgBase + kSocketMsgCount) return 0;
    if (msg == kResolvedMsg) {
      self->OnResolved(reinterpret_cast<HANDLE>(wp), WSAGETASYNCERROR(lp));
      return 0;
    }
    if (msg == WM_TIMER) {
      self->OnTimer(wp);
      return 0;
    }
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}
