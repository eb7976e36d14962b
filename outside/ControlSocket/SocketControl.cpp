#include "SocketControl.h"

#include <cctype>
#include <climits>
#include <cstring>

namespace {

const UINT kResolvedMsg = WM_APP + 1;
// Socket notifications use one message number per operation and channel,
// so that a notification still queued for a closed socket never reaches
// the next operation.
const UINT kSocketMsgBase = WM_APP + 0x100;
const UINT kSocketMsgCount = 0x100;

// The module holding this code: the window class belongs to it, so that a
// library that is unloaded and loaded again never leaves a stale class.
HINSTANCE CodeModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&CodeModule), &module);
  return module;
}

}  // namespace

int32_t Clamp32(int64_t v) {
  return v > INT32_MAX ? INT32_MAX : v < 0 ? 0 : static_cast<int32_t>(v);
}

CSocketControl::CSocketControl(IControlEvents* events, const char* windowClass,
                               const char* errorSource)
    : events_(events),
      windowClass_(windowClass),
      errorSource_(errorSource),
      recvBuffer_(new char[kRecvBlock]) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  HINSTANCE inst = CodeModule();
  WNDCLASSA wc = {};
  if (!GetClassInfoA(inst, windowClass_, &wc)) {
    wc.lpfnWndProc = WndProc;
    wc.hInstance = inst;
    wc.lpszClassName = windowClass_;
    RegisterClassA(&wc);
  }
  wnd_ = CreateWindowExA(0, windowClass_, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, inst,
                         nullptr);
  if (wnd_) SetWindowLongPtrA(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

CSocketControl::~CSocketControl() {
  for (SOCKET s : sockets_)
    if (s != INVALID_SOCKET) closesocket(s);
  AbandonLookup();
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  if (wnd_) {
    SetWindowLongPtrA(wnd_, GWLP_USERDATA, 0);
    DestroyWindow(wnd_);
  }
  UnregisterClassA(windowClass_, CodeModule());  // fails while other controls live
  WSACleanup();
}

std::string CSocketControl::StateString() const {
  switch (state_) {
    case SOCKCTL_STATE_RESOLVING: return "Resolving host";
    case SOCKCTL_STATE_RESOLVED: return "Host resolved";
    case SOCKCTL_STATE_CONNECTING: return "Connecting";
    case SOCKCTL_STATE_CONNECTED: return "Connected";
    case SOCKCTL_STATE_CLOSING: return "Closing connection";
    default: return "Connection closed";
  }
}

bool CSocketControl::CanStart() {
  if (busy_) {
    lastError_ = "The control is busy";
    return false;
  }
  if (!wnd_) {
    lastError_ = "The control has no window";
    return false;
  }
  return true;
}

bool CSocketControl::CreateOutput(const char* path) {
  file_ = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ != INVALID_HANDLE_VALUE) return true;
  lastError_ = std::string("Cannot create ") + path;
  return false;
}

bool CSocketControl::WriteOutput(const char* data, size_t size) {
  DWORD written = 0;
  return WriteFile(file_, data, static_cast<DWORD>(size), &written, nullptr) &&
         written == size;
}

unsigned CSocketControl::BeginOperation() {
  busy_ = true;
  peerAddr_ = 0;
  lastError_.clear();
  return ++generation_;
}

// Names under the reserved top-level domain "invalid" never resolve: no
// lookup is started for them. (A lookup still running when the module that
// started it is unloaded would outlive the sockets library.)
bool IsReservedInvalidName(std::string host) {
  while (!host.empty() && host.back() == '.') host.pop_back();
  static const char kTld[] = ".invalid";
  const size_t n = sizeof kTld - 1;
  if (host.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (tolower(static_cast<unsigned char>(host[host.size() - n + i])) != kTld[i]) return false;
  return true;
}

void CSocketControl::ResolveAndConnect(const std::string& host, uint16_t port) {
  unsigned gen = generation_;
  connectPort_ = port;
  SetState(SOCKCTL_STATE_RESOLVING);
  if (!Alive(gen)) return;
  unsigned long addr = inet_addr(host.c_str());
  if (addr != INADDR_NONE) {
    SetState(SOCKCTL_STATE_RESOLVED);
    if (Alive(gen)) Connect(static_cast<uint32_t>(addr));
    return;
  }
  if (IsReservedInvalidName(host)) {
    Fail(SOCKCTL_ERR_HOST_NOT_FOUND, "Host not found: " + host);
    return;
  }
  hostBuffer_.reset(new char[MAXGETHOSTSTRUCT]);
  resolveTask_ = WSAAsyncGetHostByName(wnd_, kResolvedMsg, host.c_str(), hostBuffer_.get(),
                                       MAXGETHOSTSTRUCT);
  if (!resolveTask_) Fail(SOCKCTL_ERR_HOST_NOT_FOUND, "Host not found: " + host);
}

void CSocketControl::AbandonLookup() {
  if (!resolveTask_) return;
  WSACancelAsyncRequest(resolveTask_);
  resolveTask_ = nullptr;
  // The sockets library may still write a late answer into the buffer,
  // whatever the cancel said (and after this control and its module are
  // gone): the buffer is left to it.
  (void)hostBuffer_.release();
}

void CSocketControl::OnResolved(HANDLE task, WORD error) {
  if (!busy_ || task != resolveTask_) return;
  resolveTask_ = nullptr;
  const hostent* h = reinterpret_cast<const hostent*>(hostBuffer_.get());
  if (error || !h->h_addr_list || !h->h_addr_list[0] || h->h_length != 4) {
    Fail(SOCKCTL_ERR_HOST_NOT_FOUND, "Host not found");
    return;
  }
  uint32_t addr;
  memcpy(&addr, h->h_addr_list[0], 4);
  unsigned gen = generation_;
  SetState(SOCKCTL_STATE_RESOLVED);
  if (Alive(gen)) Connect(addr);
}

void CSocketControl::Connect(uint32_t addrNetOrder) {
  unsigned gen = generation_;
  if (!OpenSocket(kMain, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE)) return;
  SetState(SOCKCTL_STATE_CONNECTING);
  if (!Alive(gen)) return;
  peerAddr_ = addrNetOrder;
  StartConnect(kMain, addrNetOrder, connectPort_, "Cannot connect");
}

bool CSocketControl::OpenSocket(Channel channel, long events) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockets_[channel] = s;
  if (s == INVALID_SOCKET) {
    Fail(SOCKCTL_ERR_CONNECT, "Cannot create a socket");
    return false;
  }
  WSAAsyncSelect(s, wnd_,
                 kSocketMsgBase + channel * kSocketMsgCount + generation_ % kSocketMsgCount,
                 events);
  return true;
}

void CSocketControl::StartConnect(Channel channel, uint32_t addrNetOrder, uint16_t port,
                                  const char* what) {
  sockaddr_in sa = {};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = addrNetOrder;
  if (connect(sockets_[channel], reinterpret_cast<sockaddr*>(&sa), sizeof sa) ==
          SOCKET_ERROR &&
      WSAGetLastError() != WSAEWOULDBLOCK) {
    Fail(SOCKCTL_ERR_CONNECT, ErrorText(what, WSAGetLastError()));
  }
}

std::string CSocketControl::ErrorText(const char* what, int error) {
  return std::string(what) + " (error " + std::to_string(error) + ")";
}

std::string CSocketControl::LostText(const char* what, int error) {
  return error == WSAECONNRESET ? "Connection reset by peer" : ErrorText(what, error);
}

void CSocketControl::Cancel() {
  if (busy_) End(0, std::string());
}

void CSocketControl::End(short errorNumber, const std::string& errorText) {
  if (!busy_) return;
  busy_ = false;
  unsigned gen = ++generation_;
  bool connected = state_ == SOCKCTL_STATE_CONNECTED;
  for (SOCKET& s : sockets_) {
    if (s != INVALID_SOCKET) {
      closesocket(s);
      s = INVALID_SOCKET;
    }
  }
  AbandonLookup();
  if (file_ != INVALID_HANDLE_VALUE) {
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
  }
  Release();
  lastError_ = errorText;

  auto stillOurs = [&] { return !busy_ && generation_ == gen; };
  if (errorNumber) {
    std::string description = errorText;
    BOOL cancelDisplay = TRUE;
    events_->OnError(errorNumber, description, 0, errorSource_, "", 0, &cancelDisplay);
    if (!stillOurs()) return;
  }
  protocolState_ = SOCKCTL_PROTOCOL_BASE;
  events_->OnProtocolStateChanged(SOCKCTL_PROTOCOL_BASE);
  if (!stillOurs()) return;
  if (connected) {
    state_ = SOCKCTL_STATE_CLOSING;
    events_->OnStateChanged(SOCKCTL_STATE_CLOSING);
    if (!stillOurs()) return;
  }
  state_ = SOCKCTL_STATE_CLOSED;
  events_->OnStateChanged(SOCKCTL_STATE_CLOSED);
  if (stillOurs()) Ended();
}

void CSocketControl::SetState(short state) {
  state_ = state;
  events_->OnStateChanged(state);
}

void CSocketControl::SetProtocolState(short state) {
  protocolState_ = state;
  events_->OnProtocolStateChanged(state);
}

LRESULT CALLBACK CSocketControl::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<CSocketControl*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (self) {
    if (msg >= kSocketMsgBase && msg < kSocketMsgBase + kChannels * kSocketMsgCount) {
      const UINT channel = (msg - kSocketMsgBase) / kSocketMsgCount;
      const UINT slot = (msg - kSocketMsgBase) % kSocketMsgCount;
      if (slot == self->generation_ % kSocketMsgCount && self->busy_ &&
          static_cast<SOCKET>(wp) == self->sockets_[channel])
        self->OnSocket(static_cast<Channel>(channel), WSAGETSELECTEVENT(lp),
                       WSAGETSELECTERROR(lp));
      return 0;
    }
    if (msg == kResolvedMsg) {
      self->OnResolved(reinterpret_cast<HANDLE>(wp), WSAGETASYNCERROR(lp));
      return 0;
    }
    if (msg == WM_TIMER) {
      KillTimer(wnd, wp);
      self->OnTimer(wp);
      return 0;
    }
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}
