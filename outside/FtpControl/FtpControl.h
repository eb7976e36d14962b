// In-process FTP client control hosted by the FTP fetch plug-in. It offers
// the members of the FTP client ActiveX control
// {B7FC354C-8CE7-11CF-9754-00AA00C00908} that the plug-in calls, named
// below with their dispatch numbers, and raises the same events through an
// event sink. It runs over WinSock with asynchronous sockets bound to a
// hidden window, so every event arrives on the thread that created the
// control while that thread pumps messages.
//
// A fetch logs in (anonymously unless the address names a user), switches
// to binary, asks the file's size, opens a passive data connection and
// retrieves the file into the output file. Order of events of one fetch:
//   Busy TRUE
//   StateChanged 1 (resolving) [2 (resolved)] 3 (connecting) 4 (connected)
//   ProtocolStateChanged 1 (authorization), 2 (transaction: logged in)
//   DocOutput stage 1 (begin, the size known), stage 3 per block of data,
//     stage 4 (end of the file)
//   on failure: Error, then the steps below
//   ProtocolStateChanged 0 (base: the file is in or the fetch ended)
//   StateChanged 5 (closing) and 6 (closed: the transfer has ended)
//   Busy FALSE
// Every refusal of the server (a 4xx or 5xx reply, among them 530, 550,
// 425 and 426), a connection lost or reset, a file shorter or longer than
// its announced size and a server silent for longer than the idle time-out
// raise Error. The output file is closed before ProtocolStateChanged 0.
// Cancel ends a running fetch with ProtocolStateChanged 0 and StateChanged
// 6 at once; on an idle control it does nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "FtpReply.h"
#include "FtpUrl.h"
#include "SocketControl.h"

enum FtpControlDispid : int32_t {
  FTPCTL_PROXY = 86,
  FTPCTL_PROXY_USE = 80,
  FTPCTL_PROXY_HOST = 82,
  FTPCTL_PROXY_PORT = 83,
  FTPCTL_STATE_STRING = 511,
  FTPCTL_PROTOCOL_STATE_STRING = 512,
  FTPCTL_CANCEL = 520,
  FTPCTL_GET_FILE = 1004,
  FTPCTL_EVENT_ERROR = -608,
  FTPCTL_EVENT_STATE_CHANGED = 553,
  FTPCTL_EVENT_PROTOCOL_STATE_CHANGED = 554,
  FTPCTL_EVENT_BUSY = 555,
  FTPCTL_EVENT_DOC_OUTPUT = 1017,
};

// Control states and protocol states.
enum : short {
  FTPCTL_STATE_RESOLVING = SOCKCTL_STATE_RESOLVING,
  FTPCTL_STATE_RESOLVED = SOCKCTL_STATE_RESOLVED,
  FTPCTL_STATE_CONNECTING = SOCKCTL_STATE_CONNECTING,
  FTPCTL_STATE_CONNECTED = SOCKCTL_STATE_CONNECTED,
  FTPCTL_STATE_CLOSING = SOCKCTL_STATE_CLOSING,
  FTPCTL_STATE_CLOSED = SOCKCTL_STATE_CLOSED,
  FTPCTL_PROTOCOL_BASE = SOCKCTL_PROTOCOL_BASE,
  FTPCTL_PROTOCOL_AUTHORIZATION = 1,
  FTPCTL_PROTOCOL_TRANSACTION = 2,
};

// Document output stages.
enum : int32_t {
  FTPCTL_DOC_BEGIN = 1,
  FTPCTL_DOC_DATA = 3,
  FTPCTL_DOC_END = 4,
};

// Proxy use: log in at the proxy as "user@host[:port]".
enum : short { FTPCTL_PROXY_USER_AT_HOST = 4 };

// Error numbers of the Error event.
enum : short {
  FTPCTL_ERR_BAD_URL = SOCKCTL_ERR_BAD_URL,
  FTPCTL_ERR_HOST_NOT_FOUND = SOCKCTL_ERR_HOST_NOT_FOUND,
  FTPCTL_ERR_CONNECT = SOCKCTL_ERR_CONNECT,
  FTPCTL_ERR_CONNECTION_LOST = SOCKCTL_ERR_CONNECTION_LOST,
  FTPCTL_ERR_BAD_REPLY = SOCKCTL_ERR_BAD_REPLY,
  FTPCTL_ERR_FILE = SOCKCTL_ERR_FILE,
  FTPCTL_ERR_TIMEOUT = SOCKCTL_ERR_TIMEOUT,
  FTPCTL_ERR_REFUSED = 9,
  FTPCTL_ERR_SHORT = 10,
  FTPCTL_ERR_LONG = 11,
};

// The document output object of event 1017.
class CFtpDocOutput : public CDocOutput {
  friend class CFtpControl;
};

class CFtpProxy {
 public:
  void SetUse(short use) { use_ = use; }                   // 80
  void SetHost(const std::string& host) { host_ = host; }  // 82
  void SetPort(long port) { port_ = port; }                // 83
  short Use() const { return use_; }
  const std::string& Host() const { return host_; }
  long Port() const { return port_; }

 private:
  short use_ = 0;
  std::string host_;
  long port_ = 0;
};

class IFtpControlEvents : public IControlEvents {
 public:
  virtual void OnBusy(BOOL busy) { (void)busy; }
  virtual void OnDocOutput(CFtpDocOutput& doc) = 0;

 protected:
  ~IFtpControlEvents() = default;
};

class CFtpControl : public CSocketControl {
 public:
  static constexpr UINT kDefaultIdleTimeoutMs = 30000;

  explicit CFtpControl(IFtpControlEvents* sink);
  ~CFtpControl() override;

  CFtpProxy& Proxy() { return proxy_; }      // 86
  std::string ProtocolStateString() const;   // 512
  // 1004: fetch the file of url into outputFile. The second argument (a
  // remote folder listing target) is not used. False when the fetch cannot
  // start (bad address, busy, output file not made); LastError() then tells
  // why and no event follows.
  bool GetFile(const char* url, const char* second, const char* outputFile);

  // How long the server may stay silent during a fetch.
  void SetIdleTimeout(UINT ms) { idleMs_ = ms; }

 private:
  enum Step { kGreeting, kUser, kPass, kType, kSize, kPassive, kRetrieve, kTransfer, kDone };

  void OnSocket(Channel channel, WORD event, WORD error) override;
  void OnTimer(UINT_PTR id) override;
  void Release() override;
  void Ended() override;
  void OnControlSocket(WORD event, WORD error);
  void OnDataSocket(WORD event, WORD error);
  void ReadControl();
  void OnReply(const FtpReply& reply);
  void Send(const std::string& command);
  void OpenData(uint16_t port);
  void ReadData(bool toEnd);
  void Begin();
  void TryComplete();
  // More bytes arrived than the size announced.
  void LongTransfer(int64_t received);
  void Refused(const FtpReply& reply);
  void FireDocOutput(int32_t stage);
  void Touch();

  IFtpControlEvents* sink_;
  CFtpProxy proxy_;
  CFtpDocOutput doc_;
  UINT idleMs_ = kDefaultIdleTimeoutMs;

  FtpUrl url_;
  std::string loginUser_;
  Step step_ = kDone;
  std::unique_ptr<FtpReplyReader> reader_;
  std::string pending_;  // command bytes not yet sent
  int64_t announced_ = -1;
  int64_t received_ = 0;
  bool begun_ = false;
  bool dataClosed_ = false;
  bool replyDone_ = false;
};
