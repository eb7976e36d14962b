#include "SocksSocket.h"

#include <algorithm>

#include "SocketResolve.h"
#include "WSocketApi.h"

void TCustomSocksSocket::SetSocksLevel(const std::string& level) {
  if (State() != wsClosed) return RaiseException("Can't change socks level if not closed");
  std::string l = UpperCase(level);
  if (l != "4" && l != "4A" && l != "5")
    return RaiseException("Invalid socks level. Must be 4, 4A or 5.");
  socksLevel_ = l;
}

void TCustomSocksSocket::SetSocksServer(const std::string& server) {
  if (State() != wsClosed) return RaiseException("Can't change socks server if not closed");
  socksServer_ = server;
}

void TCustomSocksSocket::SetSocksPort(const std::string& port) {
  if (State() != wsClosed) return RaiseException("Can't change socks port if not closed");
  socksPort_ = port;
}

void TCustomSocksSocket::ConnectTarget(std::string& host, std::string& port) const {
  if (socksServer_.empty()) return TCustomAsyncSocket::ConnectTarget(host, port);
  host = socksServer_;
  port = socksPort_;
}

void TCustomSocksSocket::Connect() {
  step_ = Step::None;
  reply_.clear();
  pending_.clear();
  if (!socksServer_.empty() && !SameText(Proto(), "tcp") && Proto() != "6")
    return RaiseException("tcp is the only protocol supported thru socks server");
  TCustomAsyncSocket::Connect();
}

void TCustomSocksSocket::Listen() {
  if (!socksServer_.empty()) return RaiseException("listening is not supported thru socks server");
  TCustomAsyncSocket::Listen();
}

void TCustomSocksSocket::SendBytes(const std::string& bytes) {
  if (RealSend(bytes.data(), static_cast<int>(bytes.size())) != static_cast<int>(bytes.size()))
    Fail(socksDataReceiveError, "data receive error");
}

void TCustomSocksSocket::TriggerSessionConnected(int error) {
  if (socksServer_.empty() || error) {
    if (!socksServer_.empty() && OnSocksConnected) OnSocksConnected(this, error);
    return TCustomAsyncSocket::TriggerSessionConnected(error);
  }
  reply_.clear();
  if (socksLevel_ == "5") {
    step_ = Step::Greeting;
    SendBytes(std::string("\x05\x01", 2) + static_cast<char>(SocksAuthentication ? 2 : 0));
  } else {
    SendRequest();
  }
}

void TCustomSocksSocket::SendRequest() {
  uint16_t port;
  uint32_t addr = 0;
  try {
    port = net::ResolvePort(Port(), "tcp", false);
    if (socksLevel_ == "4") addr = net::ResolveHost(Addr());
  } catch (const ESocketException&) {
    return Fail(socksLogicError, "TAsyncSocket logic error");
  }
  std::string req;
  if (socksLevel_ == "5") {
    if (Addr().size() > 255) return Fail(socksLogicError, "TAsyncSocket logic error");
    step_ = Step::Request5;
    req = std::string("\x05\x01\x00\x03", 4) + static_cast<char>(Addr().size()) + Addr();
    req.append(reinterpret_cast<const char*>(&port), 2);
  } else {
    step_ = Step::Request4;
    req = std::string("\x04\x01", 2);
    req.append(reinterpret_cast<const char*>(&port), 2);
    if (socksLevel_ == "4A") req += std::string("\x00\x00\x00\x01", 4);
    else req.append(reinterpret_cast<const char*>(&addr), 4);
    req += SocksUsercode + '\0';
    if (socksLevel_ == "4A") req += Addr() + '\0';
  }
  SendBytes(req);
}

void TCustomSocksSocket::TriggerDataAvailable(int error) {
  if (!Negotiating()) return TCustomAsyncSocket::TriggerDataAvailable(error);
  char buf[512];
  int n = DoRecv(buf, sizeof buf);
  if (n <= 0) {
    if (n == 0 || LastError() != WSAEWOULDBLOCK) Fail(socksDataReceiveError, "data receive error");
    return;
  }
  reply_.append(buf, static_cast<size_t>(n));
  unsigned gen = Generation();
  while (Negotiating() && Live(gen) && ProcessReply()) {
  }
}

bool TCustomSocksSocket::ProcessReply() {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(reply_[i]); };
  switch (step_) {
    case Step::Greeting: {
      if (reply_.size() < 2) return false;
      if (byte(0) != 5) return Fail(socksVersionError, "socks version error"), false;
      int method = byte(1);
      reply_.erase(0, 2);
      if (method == 0 && !SocksAuthentication) {
        SendRequest();
        return true;
      }
      if (method != 2 || !SocksAuthentication || SocksUsercode.size() > 255 ||
          SocksPassword.size() > 255)
        return Fail(socksAuthMethodError, "authentification method not acceptable"), false;
      step_ = Step::Auth;
      if (OnSocksAuthState) OnSocksAuthState(this, socksAuthStart);
      SendBytes(std::string("\x01", 1) + static_cast<char>(SocksUsercode.size()) + SocksUsercode +
                static_cast<char>(SocksPassword.size()) + SocksPassword);
      return true;
    }
    case Step::Auth: {
      if (reply_.size() < 2) return false;
      bool ok = byte(1) == 0;
      reply_.erase(0, 2);
      if (OnSocksAuthState) OnSocksAuthState(this, ok ? socksAuthSuccess : socksAuthFailure);
      if (!ok) return Fail(socksAuthenticationFailed, "authentification failed"), false;
      SendRequest();
      return true;
    }
    case Step::Request4: {
      if (reply_.size() < 8) return false;
      if (byte(0) != 0) return Fail(socksVersionError, "socks version error"), false;
      int code = byte(1);
      if (code != 90) {
        if (code == 91) return Fail(socksRejectedOrFailed, "request rejected or failed"), false;
        return Fail(socksUnassignedError, "unassigned error #" + IntToStr(code)), false;
      }
      pending_ = reply_.substr(8);
      Done();
      return false;
    }
    case Step::Request5: {
      if (reply_.size() < 5) return false;
      if (byte(0) != 5) return Fail(socksVersionError, "socks version error"), false;
      int code = byte(1);
      if (code != 0) {
        if (code == 1) return Fail(socksRejectedOrFailed, "request rejected or failed"), false;
        if (code == 5) return Fail(socksConnectionRefused, "connection refused"), false;
        return Fail(socksUnassignedError, "unassigned error #" + IntToStr(code)), false;
      }
      size_t len;
      switch (byte(3)) {
        case 1: len = 4 + 4 + 2; break;
        case 3: len = 4 + 1 + byte(4) + 2; break;
        case 4: len = 4 + 16 + 2; break;
        default: return Fail(socksLogicError, "TAsyncSocket logic error"), false;
      }
      if (reply_.size() < len) return false;
      pending_ = reply_.substr(len);
      Done();
      return false;
    }
    case Step::None:
      return false;
  }
  return false;
}

void TCustomSocksSocket::Fail(int code, const std::string& msg) {
  step_ = Step::None;
  reply_.clear();
  unsigned gen = Generation();
  if (OnSocksError) OnSocksError(this, code, msg);
  if (OnSocksConnected && Live(gen)) OnSocksConnected(this, code);
  if (Live(gen)) TCustomAsyncSocket::TriggerSessionConnected(code);
  if (Live(gen)) InternalClose(true, code);
}

void TCustomSocksSocket::Done() {
  step_ = Step::None;
  reply_.clear();
  unsigned gen = Generation();
  if (OnSocksConnected) OnSocksConnected(this, 0);
  if (Live(gen)) TCustomAsyncSocket::TriggerSessionConnected(0);
  if (Live(gen) && !pending_.empty()) TCustomAsyncSocket::TriggerDataAvailable(0);
}

int TCustomSocksSocket::Receive(void* buffer, int size) {
  if (pending_.empty() || size <= 0 || !buffer) return TCustomAsyncSocket::Receive(buffer, size);
  NoteReceive();
  int n = std::min(size, static_cast<int>(pending_.size()));
  pending_.copy(static_cast<char*>(buffer), static_cast<size_t>(n));
  pending_.erase(0, static_cast<size_t>(n));
  return n;
}
