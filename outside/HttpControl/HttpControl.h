// In-process HTTP client control hosted by the fetch and log plug-ins. It
// offers the members of the HTTP client ActiveX control
// {B7FC3563-8CE7-11CF-9754-00AA00C00908} that the plug-ins call, named
// below with their dispatch numbers, and raises the same events through an
// event sink. It runs over WinSock with asynchronous sockets bound to a
// hidden window, so every event arrives on the thread that created the
// control while that thread pumps messages.
//
// Order of events of one request:
//   StateChanged 1 (resolving) [2 (resolved)] 3 (connecting) 4 (connected)
//   ProtocolStateChanged 1 (request sent)
//   DocOutput stage 1 (begin), stage 2 (reply headers in), stage 3 per
//     block of data, stage 4 (end of the document)
//   on failure: Error, then the steps below
//   ProtocolStateChanged 0 (base: the document is in or the request ended)
//   StateChanged 5 (closing) and 6 (closed: the transfer has ended)
// The output file is closed before ProtocolStateChanged 0. Cancel ends a
// running request with ProtocolStateChanged 0 and StateChanged 6 at once;
// on an idle control it does nothing. The control sends only the request
// headers it is given: it never adds a Host header of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "HttpReply.h"
#include "SocketControl.h"

enum HttpControlDispid : int32_t {
  HTTPCTL_PROXY = 21,
  HTTPCTL_PROXY_USE = 20,
  HTTPCTL_PROXY_HOST = 22,
  HTTPCTL_PROXY_PORT = 23,
  HTTPCTL_REPLY_CODE = 506,
  HTTPCTL_TIMEOUT = 507,
  HTTPCTL_ENABLE_TIMER = 513,
  HTTPCTL_STATE_STRING = 511,
  HTTPCTL_PROTOCOL_STATE_STRING = 512,
  HTTPCTL_CANCEL = 520,
  HTTPCTL_DOC_INPUT = 1002,
  HTTPCTL_GET_DOC = 1004,
  HTTPCTL_SEND_DOC = 1005,
  HTTPCTL_EVENT_ERROR = -608,
  HTTPCTL_EVENT_TIMEOUT = 551,
  HTTPCTL_EVENT_STATE_CHANGED = 553,
  HTTPCTL_EVENT_PROTOCOL_STATE_CHANGED = 554,
  HTTPCTL_EVENT_DOC_OUTPUT = 1017,
};

// Control states and protocol states.
enum : short {
  HTTPCTL_STATE_RESOLVING = SOCKCTL_STATE_RESOLVING,
  HTTPCTL_STATE_RESOLVED = SOCKCTL_STATE_RESOLVED,
  HTTPCTL_STATE_CONNECTING = SOCKCTL_STATE_CONNECTING,
  HTTPCTL_STATE_CONNECTED = SOCKCTL_STATE_CONNECTED,
  HTTPCTL_STATE_CLOSING = SOCKCTL_STATE_CLOSING,
  HTTPCTL_STATE_CLOSED = SOCKCTL_STATE_CLOSED,
  HTTPCTL_PROTOCOL_BASE = SOCKCTL_PROTOCOL_BASE,
  HTTPCTL_PROTOCOL_REQUEST_SENT = 1,
};

// Document output stages.
enum : int32_t {
  HTTPCTL_DOC_BEGIN = 1,
  HTTPCTL_DOC_HEADERS = 2,
  HTTPCTL_DOC_DATA = 3,
  HTTPCTL_DOC_END = 4,
};

// Time-out indexes (507/513) and the time-out event numbers.
enum : short {
  HTTPCTL_TIMEOUT_CONNECT = 1,
  HTTPCTL_TIMEOUT_RECEIVE = 2,
};

// Error numbers of the Error event.
enum : short {
  HTTPCTL_ERR_BAD_URL = SOCKCTL_ERR_BAD_URL,
  HTTPCTL_ERR_HOST_NOT_FOUND = SOCKCTL_ERR_HOST_NOT_FOUND,
  HTTPCTL_ERR_CONNECT = SOCKCTL_ERR_CONNECT,
  HTTPCTL_ERR_CONNECTION_LOST = SOCKCTL_ERR_CONNECTION_LOST,
  HTTPCTL_ERR_BAD_REPLY = SOCKCTL_ERR_BAD_REPLY,
  HTTPCTL_ERR_FILE = SOCKCTL_ERR_FILE,
  HTTPCTL_ERR_TIMEOUT = SOCKCTL_ERR_TIMEOUT,
  HTTPCTL_ERR_BUSY = 8,
};

class CHttpHeader {
 public:
  CHttpHeader(std::string name, std::string value)
      : name_(std::move(name)), value_(std::move(value)) {}
  const std::string& Name() const { return name_; }    // 0
  const std::string& Value() const { return value_; }  // 2

 private:
  std::string name_, value_;
};

class CHttpHeaders {
 public:
  long Count() const { return static_cast<long>(items_.size()); }  // 1
  // 0: index counted from 1; null when out of range.
  const CHttpHeader* Item(long index) const {
    return index >= 1 && index <= Count() ? &items_[static_cast<size_t>(index - 1)]
                                          : nullptr;
  }
  // 4
  const CHttpHeader* Add(const std::string& name, const std::string& value);
  void Clear() { items_.clear(); }

 private:
  std::vector<CHttpHeader> items_;
};

// The request document (1002): its header collection (2) goes out with the
// next request and is emptied when that request ends.
class CHttpDocInput {
 public:
  CHttpHeaders& Headers() { return headers_; }

 private:
  CHttpHeaders headers_;
};

// The document output object of event 1017.
class CHttpDocOutput : public CDocOutput {
 public:
  const CHttpHeaders& Headers() const { return headers_; }  // 2

 private:
  friend class CHttpControl;
  CHttpHeaders headers_;
};

class CHttpProxy {
 public:
  void SetUse(BOOL use) { use_ = use; }                    // 20
  void SetHost(const std::string& host) { host_ = host; }  // 22
  void SetPort(long port) { port_ = port; }                // 23
  BOOL Use() const { return use_; }
  const std::string& Host() const { return host_; }
  long Port() const { return port_; }

 private:
  BOOL use_ = FALSE;
  std::string host_;
  long port_ = 0;
};

class IHttpControlEvents : public IControlEvents {
 public:
  // *keepWaiting starts TRUE; a handler that sets it FALSE ends the request.
  virtual void OnTimeout(short event, BOOL* keepWaiting) { (void)event; (void)keepWaiting; }
  virtual void OnDocOutput(CHttpDocOutput& doc) = 0;

 protected:
  ~IHttpControlEvents() = default;
};

class CHttpControl : public CSocketControl {
 public:
  explicit CHttpControl(IHttpControlEvents* sink);
  ~CHttpControl() override;

  CHttpProxy& Proxy() { return proxy_; }                   // 21
  long ReplyCode() const { return replyCode_; }            // 506
  std::string ProtocolStateString() const;                 // 512
  CHttpDocInput& DocInput() { return docInput_; }          // 1002
  // 507: milliseconds for a time-out index; 513: 0 switches it off.
  void SetTimeout(short index, long ms);
  void EnableTimer(short index, long enabled);

  // 1004: fetch url into outputFile (null or empty: the body is dropped).
  // headers: extra request headers (null: none beyond the request
  // document's). False when the request cannot start (bad URL, busy);
  // LastError() then tells why and no event follows.
  bool GetDoc(const char* url, const CHttpHeaders* headers, const char* outputFile);
  // 1005: post inputData, or else the contents of inputFile, to url.
  bool SendDoc(const char* url, const CHttpHeaders* headers, const char* inputData,
               const char* inputFile, const char* outputFile);

 private:
  bool Start(const char* method, const char* url, const CHttpHeaders* headers,
             std::string body, const char* outputFile);
  void OnSocket(Channel channel, WORD event, WORD error) override;
  void OnTimer(UINT_PTR id) override;
  void Release() override;
  void SendPending();
  void Receive();
  bool FeedReply(const char* data, size_t size);
  void Complete();
  void FireDocOutput(int32_t stage);
  void ArmTimer(short index);
  void DisarmTimers();

  IHttpControlEvents* sink_;
  CHttpProxy proxy_;
  CHttpDocInput docInput_;
  CHttpDocOutput docOutput_;
  long timeouts_[3] = {0, 0, 0};
  bool timerEnabled_[3] = {false, false, false};

  long replyCode_ = 0;
  std::string sendBuffer_;
  size_t sent_ = 0;
  std::unique_ptr<HttpReplyParser> parser_;
};
