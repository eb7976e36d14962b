#include "FtpControl.h"

namespace {

const UINT_PTR kIdleTimer = 1;
const char kAnonymousPassword[] = "brindale@";

}  // namespace

CFtpControl::CFtpControl(IFtpControlEvents* sink)
    : CSocketControl(sink, "BrindaleFtpControl", "FtpControl"), sink_(sink) {}

CFtpControl::~CFtpControl() = default;

std::string CFtpControl::ProtocolStateString() const {
  switch (protocolState_) {
    case FTPCTL_PROTOCOL_AUTHORIZATION: return "Authorization";
    case FTPCTL_PROTOCOL_TRANSACTION: return "Transaction";
    default: return "Base";
  }
}

bool CFtpControl::GetFile(const char* url, const char*, const char* outputFile) {
  if (!CanStart()) return false;
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
  uint16_t connectPort = u.port;
  if (viaProxy) {
    user += "@" + u.host + (u.port != 21 ? ":" + std::to_string(u.port) : std::string());
    connectHost = proxy_.Host();
    connectPort = static_cast<uint16_t>(proxy_.Port());
  }
  if (!CreateOutput(outputFile)) return false;

  unsigned gen = BeginOperation();
  url_ = u;
  loginUser_ = user;
  step_ = kGreeting;
  reader_.reset(new FtpReplyReader());
  pending_.clear();
  announced_ = -1;
  received_ = 0;
  begun_ = dataClosed_ = replyDone_ = false;
  doc_ = CFtpDocOutput();

  Touch();
  sink_->OnBusy(TRUE);
  if (Alive(gen)) ResolveAndConnect(connectHost, connectPort);
  return true;
}

void CFtpControl::OnSocket(Channel channel, WORD event, WORD error) {
  if (channel == kMain) OnControlSocket(event, error);
  else OnDataSocket(event, error);
}

void CFtpControl::OnControlSocket(WORD event, WORD error) {
  unsigned gen = generation_;
  switch (event) {
    case FD_CONNECT:
      if (error) {
        Fail(FTPCTL_ERR_CONNECT, ErrorText("Cannot connect", error));
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
    int n = recv(Socket(kMain), buf, sizeof buf, 0);
    if (n == 0) return;
    if (n < 0) {
      int err = WSAGetLastError();
      if (err == WSAEWOULDBLOCK) return;
      Fail(FTPCTL_ERR_CONNECTION_LOST, LostText("Connection lost", err));
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
  while (!pending_.empty() && Socket(kMain) != INVALID_SOCKET) {
    int n = send(Socket(kMain), pending_.data(), static_cast<int>(pending_.size()), 0);
    if (n == SOCKET_ERROR) {
      if (WSAGetLastError() == WSAEWOULDBLOCK) return;  // FD_WRITE goes on
      Fail(FTPCTL_ERR_CONNECTION_LOST, ErrorText("Cannot send a command", WSAGetLastError()));
      return;
    }
    pending_.erase(0, static_cast<size_t>(n));
  }
}

// The data connection goes to the address of the control connection: a
// passive reply's own address is not followed elsewhere.
void CFtpControl::OpenData(uint16_t port) {
  if (OpenSocket(kData, FD_CONNECT | FD_READ | FD_CLOSE))
    StartConnect(kData, PeerAddress(), port, "Cannot open the data connection");
}

void CFtpControl::OnDataSocket(WORD event, WORD error) {
  unsigned gen = generation_;
  switch (event) {
    case FD_CONNECT:
      if (error) {
        Fail(FTPCTL_ERR_CONNECT, ErrorText("Cannot open the data connection", error));
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
        Fail(FTPCTL_ERR_CONNECTION_LOST, LostText("Data connection lost", error));
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
    int n = recv(Socket(kData), RecvBuffer(), static_cast<int>(kRecvBlock), 0);
    if (n == 0) break;
    if (n < 0) {
      int err = WSAGetLastError();
      if (err == WSAEWOULDBLOCK) break;
      Fail(FTPCTL_ERR_CONNECTION_LOST, LostText("Data connection lost", err));
      return;
    }
    Touch();
    if (announced_ >= 0 && received_ + n > announced_) {
      LongTransfer(received_ + n);
      return;
    }
    if (!WriteOutput(RecvBuffer(), static_cast<size_t>(n))) {
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

void CFtpControl::LongTransfer(int64_t received) {
  Fail(FTPCTL_ERR_LONG, "Transfer longer than its size: " + std::to_string(received) + " of " +
                            std::to_string(announced_) + " bytes");
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
  send(Socket(kMain), "QUIT\r\n", 6, 0);  // a courtesy: the connection closes now
  End(0, std::string());
}

void CFtpControl::Refused(const FtpReply& reply) {
  Fail(FTPCTL_ERR_REFUSED, std::to_string(reply.code) + " " + reply.text.substr(0, 200));
}

void CFtpControl::Release() {
  KillTimer(wnd_, kIdleTimer);
  step_ = kDone;
  pending_.clear();
}

void CFtpControl::Ended() { sink_->OnBusy(FALSE); }

void CFtpControl::FireDocOutput(int32_t stage) {
  doc_.stage_ = stage;
  sink_->OnDocOutput(doc_);
}

void CFtpControl::Touch() {
  if (idleMs_) SetTimer(wnd_, kIdleTimer, idleMs_, nullptr);
}

void CFtpControl::OnTimer(UINT_PTR id) {
  if (id == kIdleTimer && busy_) Fail(FTPCTL_ERR_TIMEOUT, "The server did not answer in time");
}
