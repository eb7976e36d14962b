// Connection through a SOCKS 4, 4A or 5 proxy: the component connects to
// the proxy and asks it for the real peer before it reports the session.
#pragma once

#include "AsyncSocket.h"

// Errors reported by OnSocksError (and OnSocksConnected, OnSessionConnected).
enum : int {
  socksDataReceiveError = 20001,
  socksLogicError = 20002,
  socksVersionError = 20003,
  socksAuthMethodError = 20004,
  socksRejectedOrFailed = 20005,
  socksConnectionRefused = 20006,
  socksAuthenticationFailed = 20007,
  socksUnassignedError = 20008
};

// Steps reported by OnSocksAuthState.
enum : int { socksAuthStart = 1, socksAuthSuccess = 2, socksAuthFailure = 3 };

class TCustomSocksSocket : public TCustomAsyncSocket {
 public:
  explicit TCustomSocksSocket(TComponent* owner) : TCustomAsyncSocket(owner) {}

  const std::string& SocksLevel() const { return socksLevel_; }
  void SetSocksLevel(const std::string& level);
  const std::string& SocksServer() const { return socksServer_; }
  void SetSocksServer(const std::string& server);
  const std::string& SocksPort() const { return socksPort_; }
  void SetSocksPort(const std::string& port);
  std::string SocksUsercode;
  std::string SocksPassword;
  bool SocksAuthentication = false;

  void Connect() override;
  void Listen() override;
  int Receive(void* buffer, int size) override;

 protected:
  void ConnectTarget(std::string& host, std::string& port) const override;
  void TriggerSessionConnected(int error) override;
  void TriggerDataAvailable(int error) override;
  bool Negotiating() const { return step_ != Step::None; }

 private:
  enum class Step { None, Greeting, Auth, Request4, Request5 };
  void SendBytes(const std::string& bytes);
  void SendRequest();
  // Runs the current step on what has arrived; false while more is needed.
  bool ProcessReply();
  void Fail(int code, const std::string& msg);
  void Done();

  std::string socksLevel_ = "5";
  std::string socksServer_;
  std::string socksPort_ = "1080";
  Step step_ = Step::None;
  std::string reply_;    // bytes of the proxy's answer so far
  std::string pending_;  // peer data that came with the proxy's last answer
};
