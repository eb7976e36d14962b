// The plumbing that the HTTP and FTP client controls share: a hidden
// message window that carries asynchronous socket, host lookup and timer
// notifications to the thread that made the control, the lookup of a host
// and the connection of the control's sockets, the output file, and the
// events that end an operation:
//   on failure: Error
//   ProtocolStateChanged 0 (base)
//   StateChanged 5 (closing, when connected) and 6 (closed)
// A handler of any of these may start the next operation; the rest of the
// steps is then skipped.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

// Control states and the base protocol state.
enum : short {
  SOCKCTL_STATE_RESOLVING = 1,
  SOCKCTL_STATE_RESOLVED = 2,
  SOCKCTL_STATE_CONNECTING = 3,
  SOCKCTL_STATE_CONNECTED = 4,
  SOCKCTL_STATE_CLOSING = 5,
  SOCKCTL_STATE_CLOSED = 6,
  SOCKCTL_PROTOCOL_BASE = 0,
};

// Error numbers of the Error event that both controls raise alike.
enum : short {
  SOCKCTL_ERR_BAD_URL = 1,
  SOCKCTL_ERR_HOST_NOT_FOUND = 2,
  SOCKCTL_ERR_CONNECT = 3,
  SOCKCTL_ERR_CONNECTION_LOST = 4,
  SOCKCTL_ERR_BAD_REPLY = 5,
  SOCKCTL_ERR_FILE = 6,
  SOCKCTL_ERR_TIMEOUT = 7,
};

// The events every control raises.
class IControlEvents {
 public:
  virtual void OnError(short number, std::string& description, long scode,
                       const std::string& source, const std::string& helpFile,
                       long helpContext, BOOL* cancelDisplay) = 0;
  virtual void OnStateChanged(short state) = 0;
  virtual void OnProtocolStateChanged(short state) = 0;

 protected:
  ~IControlEvents() = default;
};

// What the document output object of event 1017 has in both controls.
class CDocOutput {
 public:
  int32_t Stage() const { return stage_; }                // 3
  int32_t BytesTotal() const { return total_; }           // 4: 0 when unknown
  int32_t BytesTransferred() const { return received_; }  // 5

 protected:
  int32_t stage_ = 0;
  int32_t total_ = 0;
  int32_t received_ = 0;
};

// A byte count held to the range of the controls' 32-bit properties.
int32_t Clamp32(int64_t v);

// True for a host name under the reserved top-level domain "invalid".
bool IsReservedInvalidName(std::string host);

class CSocketControl {
 public:
  CSocketControl(const CSocketControl&) = delete;
  CSocketControl& operator=(const CSocketControl&) = delete;

  std::string StateString() const;  // 511
  // 520: ends a running operation without an error; idle, it does nothing.
  void Cancel();
  bool Busy() const { return busy_; }
  const std::string& LastError() const { return lastError_; }

 protected:
  // The connections of one operation, each with its own socket messages.
  enum Channel { kMain = 0, kData = 1, kChannels = 2 };
  static constexpr size_t kRecvBlock = 256 * 1024;
  static constexpr int kReadsPerMessage = 16;

  // windowClass: the hidden window's class; errorSource: the source of
  // the Error event.
  CSocketControl(IControlEvents* events, const char* windowClass, const char* errorSource);
  // Torn down without events: the sink may already be going away.
  virtual ~CSocketControl();

  // False, with the reason in LastError(), while busy or without a window.
  bool CanStart();
  // Opens (creates or empties) the output file; false, with the reason in
  // LastError(), when it cannot be made.
  bool CreateOutput(const char* path);
  // False when the output file took less than all of it.
  bool WriteOutput(const char* data, size_t size);
  bool HasOutput() const { return file_ != INVALID_HANDLE_VALUE; }
  // Marks the control busy with a new operation; returns its generation.
  unsigned BeginOperation();
  // Raises the resolving state, looks host up (at once for a dotted
  // address) and connects the main socket to its port.
  void ResolveAndConnect(const std::string& host, uint16_t port);
  // Makes the channel's socket with its notifications; false once failed.
  bool OpenSocket(Channel channel, long events);
  // Connects the channel's socket; what: the start of the failure text.
  void StartConnect(Channel channel, uint32_t addrNetOrder, uint16_t port, const char* what);
  void Fail(short number, const std::string& text) { End(number, text); }
  void End(short errorNumber, const std::string& errorText);
  void SetState(short state);
  void SetProtocolState(short state);
  bool Alive(unsigned gen) const { return busy_ && gen == generation_; }
  SOCKET Socket(Channel channel) const { return sockets_[channel]; }
  uint32_t PeerAddress() const { return peerAddr_; }
  char* RecvBuffer() { return recvBuffer_.get(); }

  // "what (error N)"; for a reset, the reset.
  static std::string ErrorText(const char* what, int error);
  static std::string LostText(const char* what, int error);

  // A socket notification of the running operation.
  virtual void OnSocket(Channel channel, WORD event, WORD error) = 0;
  // A timer of the window fired; it is already killed.
  virtual void OnTimer(UINT_PTR id) = 0;
  // Releases what the operation holds of its own as it ends, before the
  // events.
  virtual void Release() {}
  // After the closed state, unless a handler started the next operation.
  virtual void Ended() {}

  HWND wnd_ = nullptr;
  bool busy_ = false;
  unsigned generation_ = 0;
  short state_ = SOCKCTL_STATE_CLOSED;
  short protocolState_ = SOCKCTL_PROTOCOL_BASE;
  std::string lastError_;

 private:
  static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
  void OnResolved(HANDLE task, WORD error);
  // Cancels a host lookup in progress.
  void AbandonLookup();
  void Connect(uint32_t addrNetOrder);

  IControlEvents* events_;
  const char* windowClass_;
  const char* errorSource_;
  SOCKET sockets_[kChannels] = {INVALID_SOCKET, INVALID_SOCKET};
  uint32_t peerAddr_ = 0;
  uint16_t connectPort_ = 0;
  HANDLE resolveTask_ = nullptr;
  std::unique_ptr<char[]> hostBuffer_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::unique_ptr<char[]> recvBuffer_;
};
