// The event-driven socket component: every operation returns at once and
// its completion arrives as an event, through the messages that the
// sockets library posts to a hidden window of the component.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "Classes.h"
#include "SockBuf.h"
#include "SocketError.h"

using TSocket = UINT_PTR;
constexpr TSocket INVALID_TSOCKET = ~static_cast<TSocket>(0);

enum TSocketState {
  wsInvalidState = 0,
  wsOpened = 1,
  wsBound = 2,
  wsConnecting = 3,
  wsConnected = 4,
  wsAccepting = 5,
  wsListening = 6,
  wsClosed = 7
};

// Messages of the component's hidden window.
enum : UINT {
  WM_ASYNCSELECT = 1025,
  WM_ASYNCGETHOSTBYNAME = 1026,
  WM_ASYNCGETHOSTBYADDR = 1027,
  WM_CLOSE_DELAYED = 1028,
  WM_WSOCKET_RELEASE = 1029,
  WM_TRIGGER_EXCEPTION = 1030,
  WM_TRIGGER_DATA_AVAILABLE = 1044
};

using TSessionEvent = std::function<void(TObject* sender, int error)>;
using TSendDataEvent = std::function<void(TObject* sender, int bytesSent)>;
using TChangeStateEvent =
    std::function<void(TObject* sender, TSocketState oldState, TSocketState newState)>;
using TBgExceptionEvent =
    std::function<void(TObject* sender, const std::exception& e, bool& canClose)>;
using TSocksErrorEvent = std::function<void(TObject* sender, int error, const std::string& msg)>;
using TSocksAuthStateEvent = std::function<void(TObject* sender, int authState)>;

class TCustomAsyncSocket : public TComponent {
 public:
  explicit TCustomAsyncSocket(TComponent* owner);
  ~TCustomAsyncSocket() override;

  // Connection properties; changing them is refused unless closed.
  const std::string& Addr() const { return addr_; }
  void SetAddr(const std::string& value);
  const std::string& Port() const { return port_; }
  void SetPort(const std::string& value);
  const std::string& Proto() const { return proto_; }
  void SetProto(const std::string& value);
  const std::string& LocalAddr() const { return localAddr_; }
  void SetLocalAddr(const std::string& value);
  const std::string& LocalPort() const { return localPort_; }
  void SetLocalPort(const std::string& value);

  std::string PeerAddr();
  std::string PeerPort();
  const std::string& DnsResult() const { return dnsResult_; }
  const TStringList& DnsResultList() const { return dnsResultList_; }
  TSocketState State() const { return state_; }
  int64_t ReadCount() const { return readCount_; }
  // Bytes waiting to be read; -1 (and an error) on failure.
  virtual int RcvdCount();
  int LastError() const { return lastError_; }
  TSocket HSocket() const { return hSocket_; }
  HWND Handle() const { return window_; }
  // Blocks of the send queue and bytes in them.
  int SendQueueBlocks() const { return static_cast<int>(sendQueue_.size()); }
  int BufferedBytes() const;

  bool MultiThreaded = false;
  int FlushTimeout = 60;
  int SendFlags = 0;
  bool LingerOnOff = true;
  int LingerTimeout = 0;
  // Lines still to be sent one by one: while above 0, each send goes up to
  // the next LF only and counts one line down; 0 sends the queue as it is.
  int SendLineLimit = 0;

  TSessionEvent OnDataAvailable;
  TSessionEvent OnDataSent;
  TSendDataEvent OnSendData;
  TSessionEvent OnSessionClosed;
  TSessionEvent OnSessionAvailable;
  TSessionEvent OnSessionConnected;
  TSessionEvent OnSocksConnected;
  TChangeStateEvent OnChangeState;
  TNotifyEvent OnLineTooLong;
  TSessionEvent OnDnsLookupDone;
  TNotifyEvent OnError;
  TBgExceptionEvent OnBgException;
  TSocksErrorEvent OnSocksError;
  TSocksAuthStateEvent OnSocksAuthState;

  virtual void Connect();
  void Close();
  void Abort();
  void Shutdown(int how);
  void CloseDelayed();
  void Release();
  // Sends until the queue is empty (or FlushTimeout seconds pass),
  // handling messages meanwhile.
  void Flush();
  void Pause();
  void Resume();

  int Send(const void* data, int len);
  int SendStr(const std::string& text);
  virtual int Receive(void* buffer, int size);
  std::string ReceiveStr();

  void DnsLookup(const std::string& host);
  void ReverseDnsLookup(const std::string& addr);
  void CancelDnsLookup();

  virtual void Listen();
  TSocket Accept();
  void Dup(TSocket handle);

 protected:
  // The component's handling of a message of its window; true when done.
  virtual bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  virtual void TriggerDataAvailable(int error);
  virtual void TriggerSessionConnected(int error);
  virtual void TriggerSessionClosed(int error);
  // The host and port that Connect goes to (a proxy may take their place).
  virtual void ConnectTarget(std::string& host, std::string& port) const;
  // Raw receive from the socket; counted in ReadCount.
  int DoRecv(void* buffer, int size);
  // Counts a read that the handler of data did (from a buffer of ours).
  void NoteReceive() { ++recvCalls_; }
  // Raw send of bytes, bypassing the queue; fires OnSendData.
  int RealSend(const void* data, int len);
  void ChangeState(TSocketState newState);
  // A sockets error in function `func`: OnError when assigned, else
  // ESocketException; resets and "not connected" close the socket first.
  void SocketError(const std::string& func, int error);
  // A failure described by text: OnError when assigned, else the exception.
  void RaiseException(const std::string& msg);
  // Pumps messages once (the thread's own when MultiThreaded).
  void ProcessMessages();
  bool Destroying() const { return (ComponentState() & csDestroying) != 0; }
  // Incremented for every socket the component opens, so that a handler
  // can tell whether the connection it ran for still exists.
  unsigned Generation() const { return generation_; }
  void InternalClose(bool signal, int error);
  const std::string& RemoteHost() const { return remoteHost_; }
  // Tests that a handle is this component's live socket of `generation`.
  bool Live(unsigned generation) const {
    return generation == generation_ && hSocket_ != INVALID_TSOCKET;
  }

 private:
  static LRESULT CALLBACK WndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
  void Dispatch(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  void HandleBackgroundException(const std::exception& e);
  void SocketEvent(WPARAM wp, LPARAM lp);
  void HostLookupDone(WPARAM wp, LPARAM lp, bool byAddr);
  // Host lookups: an invalid name is reported and raised; a new lookup
  // drops the running one and the old results; a lookup that cannot start
  // is raised.
  void RejectDnsName();
  void ResetDnsLookup();
  void AbandonDnsBuffer();
  void DnsStartFailed(const std::string& name);
  void ReadLoop(int error);
  // Sends what the queue holds; false when the socket was closed.
  bool TryToSend();
  void ClearSendQueue();
  void PurgeSocketEvents();
  void SetLinger();
  // The settings a close returns to: protocol, local address and port,
  // linger, flush time-out, nothing resolved, not paused.
  void AssignDefaults();
  void OpenSocket(int type, int proto);
  void BindLocal();
  void Resolve();

  HWND window_ = nullptr;
  TSocket hSocket_ = INVALID_TSOCKET;
  TSocketState state_ = wsClosed;
  unsigned generation_ = 0;
  unsigned closeRuns_ = 0;  // counts InternalClose calls that close a handle

  std::string addr_, port_ = "", proto_ = "tcp", localAddr_ = "0.0.0.0", localPort_ = "0";
  std::string remoteHost_;
  bool addrResolved_ = false, portResolved_ = false, protoResolved_ = false;
  bool localAddrResolved_ = false, localPortResolved_ = false;
  uint32_t remoteAddr_ = 0;  // network order
  uint16_t remotePort_ = 0;  // network order
  int protocol_ = 0;
  uint32_t localAddrValue_ = 0;
  uint16_t localPortValue_ = 0;

  std::string dnsResult_;
  TStringList dnsResultList_;
  HANDLE dnsTask_ = nullptr;
  bool dnsByAddr_ = false;
  uint32_t dnsAddr_ = 0;
  std::unique_ptr<char[]> dnsBuffer_;

  std::deque<std::unique_ptr<TBuffer>> sendQueue_;
  int sentPosts_ = 0;  // write events posted by Send, each owed an OnDataSent
  bool closeSignalled_ = true;
  bool closing_ = false;
  bool paused_ = false;
  int lastError_ = 0;
  int64_t readCount_ = 0;
  int recvCalls_ = 0;
  bool recvWouldBlock_ = false;
};
