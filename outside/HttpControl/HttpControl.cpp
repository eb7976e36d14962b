#include "HttpControl.h"

#include <algorithm>

#include "HttpUrl.h"

namespace {

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
    : CSocketControl(sink, "BrindaleHttpControl", "HttpControl"), sink_(sink) {}

CHttpControl::~CHttpControl() = default;

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
  if (!CanStart()) return false;
  HttpUrl u;
  if (!ParseHttpUrl(url ? url : "", u, lastError_)) return false;

  bool viaProxy = proxy_.Use() && !proxy_.Host().empty() && proxy_.Port() >= 1 &&
                  proxy_.Port() <= 65535;
  std::string connectHost = viaProxy ? proxy_.Host() : u.host;
  uint16_t connectPort = viaProxy ? static_cast<uint16_t>(proxy_.Port()) : u.port;

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

  if (outputFile && *outputFile && !CreateOutput(outputFile)) return false;

  BeginOperation();
  replyCode_ = 0;
  docOutput_ = CHttpDocOutput();
  parser_.reset(new HttpReplyParser());
  sendBuffer_.swap(request);
  sent_ = 0;

  ArmTimer(HTTPCTL_TIMEOUT_CONNECT);
  ResolveAndConnect(connectHost, connectPort);
  return true;
}

void CHttpControl::OnSocket(Channel, WORD event, WORD error) {
  unsigned gen = generation_;
  switch (event) {
    case FD_CONNECT:
      if (error) {
        Fail(HTTPCTL_ERR_CONNECT, ErrorText("Cannot connect", error));
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
        Fail(HTTPCTL_ERR_CONNECTION_LOST, ErrorText("Connection lost", error));
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
    int n = send(Socket(kMain), sendBuffer_.data() + sent_, chunk, 0);
    if (n == SOCKET_ERROR) {
      if (WSAGetLastError() == WSAEWOULDBLOCK) return;  // FD_WRITE goes on
      Fail(HTTPCTL_ERR_CONNECTION_LOST, ErrorText("Cannot send the request", WSAGetLastError()));
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
    int n = recv(Socket(kMain), RecvBuffer(), static_cast<int>(kRecvBlock), 0);
    if (n > 0) {
      if (!FeedReply(RecvBuffer(), static_cast<size_t>(n))) return;
      continue;
    }
    if (n == 0) {
      closed = true;
      break;
    }
    int err = WSAGetLastError();
    if (err == WSAEWOULDBLOCK) break;
    Fail(HTTPCTL_ERR_CONNECTION_LOST, LostText("Connection lost", err));
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
    if (HasOutput() && !WriteOutput(p, n)) {
      fileFailed = true;
      return false;
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

void CHttpControl::Release() {
  DisarmTimers();
  docInput_.Headers().Clear();
  std::string().swap(sendBuffer_);
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
  if (!busy_ || id < 1 || id > 2) return;
  unsigned gen = generation_;
  BOOL keepWaiting = TRUE;
  sink_->OnTimeout(static_cast<short>(id), &keepWaiting);
  if (!Alive(gen)) return;
  if (keepWaiting) ArmTimer(static_cast<short>(id));
  else Fail(HTTPCTL_ERR_TIMEOUT, "Timed out");
}
