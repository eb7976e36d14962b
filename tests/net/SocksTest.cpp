// Connections through a SOCKS proxy: the peer plays the proxy, checks
// the request bytes, answers, and then plays the far end itself.
#include <gtest/gtest.h>

#include <memory>

#include "NetTestSupport.h"
#include "SyncSocket.h"

namespace {

std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int c : b) s += static_cast<char>(c);
  return s;
}

// The request bytes the proxy got and what the client saw.
struct SocksRun {
  std::string request;
  std::string received;
  int socksConnected = -1, sessionConnected = -1, socksError = 0, closed = 0;
  std::string socksErrorText;
  std::vector<int> authStates;
};

void RunThrough(TcpPeer& proxy, TAsyncSocket& s, SocksRun& r) {
  s.SetSocksServer("127.0.0.1");
  s.SetSocksPort(proxy.Port());
  s.SetAddr("far.example");
  s.SetPort("4660");
  s.OnSocksConnected = [&](TObject*, int e) { r.socksConnected = e; };
  s.OnSessionConnected = [&](TObject*, int e) {
    r.sessionConnected = e;
    if (e == 0) s.SendStr("ping");
  };
  s.OnSocksError = [&](TObject*, int e, const std::string& m) {
    r.socksError = e;
    r.socksErrorText = m;
  };
  s.OnSocksAuthState = [&](TObject*, int st) { r.authStates.push_back(st); };
  s.OnDataAvailable = [&](TObject*, int) { r.received += s.ReceiveStr(); };
  s.OnSessionClosed = [&](TObject*, int) { ++r.closed; };
  s.Connect();
  PumpUntil([&] { return r.closed > 0; });
}

}  // namespace

TEST(SocksSocket, Level5WithAuthentication) {
  SocksRun r;
  TcpPeer proxy(1, [&](SOCKET p, int) {
    r.request = TcpPeer::ReadN(p, 3);
    TcpPeer::SendAll(p, Bytes({5, 2}));
    r.request += TcpPeer::ReadN(p, 2 + 4 + 1 + 6);
    TcpPeer::SendAll(p, Bytes({1, 0}));
    r.request += TcpPeer::ReadN(p, 5 + 11 + 2);
    // The answer and the far end's first bytes in one write.
    TcpPeer::SendAll(p, Bytes({5, 0, 0, 1, 10, 0, 0, 1, 0x12, 0x34}) + "hello");
    if (TcpPeer::ReadN(p, 4) == "ping") TcpPeer::SendAll(p, "pong");
    closesocket(p);
  });
  TAsyncSocket s(nullptr);
  s.SocksUsercode = "user";
  s.SocksPassword = "secret";
  s.SocksAuthentication = true;
  RunThrough(proxy, s, r);
  EXPECT_EQ(r.request, Bytes({5, 1, 2}) + Bytes({1, 4}) + "user" + Bytes({6}) + "secret" +
                           Bytes({5, 1, 0, 3, 11}) + "far.example" + Bytes({0x12, 0x34}));
  EXPECT_EQ(r.socksConnected, 0);
  EXPECT_EQ(r.sessionConnected, 0);
  EXPECT_EQ(r.received, "hellopong");
  EXPECT_EQ(r.authStates, (std::vector<int>{socksAuthStart, socksAuthSuccess}));
}

TEST(SocksSocket, Levels4And4A) {
  for (std::string level : {"4", "4a"}) {
    SocksRun r;
    TcpPeer proxy(1, [&](SOCKET p, int) {
      r.request = TcpPeer::ReadN(p, 8 + 3 + (level == "4" ? 0 : 12));
      TcpPeer::SendAll(p, Bytes({0, 90, 0, 0, 0, 0, 0, 0}));
      if (TcpPeer::ReadN(p, 4) == "ping") TcpPeer::SendAll(p, "pong");
      closesocket(p);
    });
    TAsyncSocket s(nullptr);
    s.SetSocksLevel(level);
    s.SocksUsercode = "me";
    SocksRun* run = &r;
    if (level == "4") {
      // Level 4 needs the far end's address itself.
      s.SetSocksServer("127.0.0.1");
      s.SetSocksPort(proxy.Port());
      s.SetAddr("10.1.2.3");
      s.SetPort("4660");
      s.OnSessionConnected = [&](TObject*, int e) {
        run->sessionConnected = e;
        s.SendStr("ping");
      };
      s.OnDataAvailable = [&](TObject*, int) { run->received += s.ReceiveStr(); };
      s.OnSessionClosed = [&](TObject*, int) { ++run->closed; };
      s.Connect();
      PumpUntil([&] { return run->closed > 0; });
      EXPECT_EQ(r.request, Bytes({4, 1, 0x12, 0x34, 10, 1, 2, 3}) + "me" + Bytes({0}));
    } else {
      RunThrough(proxy, s, r);
      EXPECT_EQ(r.request, Bytes({4, 1, 0x12, 0x34, 0, 0, 0, 1}) + "me" + Bytes({0}) +
                               "far.example" + Bytes({0}));
    }
    EXPECT_EQ(s.SocksLevel(), level == "4" ? "4" : "4A");
    EXPECT_EQ(r.sessionConnected, 0) << level;
    EXPECT_EQ(r.received, "pong") << level;
  }
}

TEST(SocksSocket, RefusalsAreReported) {
  struct Case {
    std::string answer;
    int error;
    const char* text;
  };
  const Case cases[] = {
      {Bytes({5, 0xFF}), socksAuthMethodError, "authentification method not acceptable"},
      {Bytes({4, 0}), socksVersionError, "socks version error"},
      {Bytes({5, 0}) + Bytes({5, 5, 0, 1, 0, 0, 0, 0, 0, 0}), socksConnectionRefused,
       "connection refused"},
      {Bytes({5, 0}) + Bytes({5, 1, 0, 1, 0, 0, 0, 0, 0, 0}), socksRejectedOrFailed,
       "request rejected or failed"},
      {Bytes({5, 0}) + Bytes({5, 7, 0, 1, 0, 0, 0, 0, 0, 0}), socksUnassignedError,
       "unassigned error #7"},
  };
  for (const Case& c : cases) {
    SocksRun r;
    TcpPeer proxy(1, [&](SOCKET p, int) {
      TcpPeer::ReadN(p, 3);
      if (c.answer.size() > 2) {
        TcpPeer::SendAll(p, c.answer.substr(0, 2));
        TcpPeer::ReadN(p, 5 + 11 + 2);
        TcpPeer::SendAll(p, c.answer.substr(2));
      } else {
        TcpPeer::SendAll(p, c.answer);
      }
      TcpPeer::ReadAll(p);
      closesocket(p);
    });
    TAsyncSocket s(nullptr);
    RunThrough(proxy, s, r);
    EXPECT_EQ(r.socksError, c.error) << c.text;
    EXPECT_EQ(r.socksErrorText, c.text);
    EXPECT_EQ(r.socksConnected, c.error);
    EXPECT_EQ(r.sessionConnected, c.error);
    EXPECT_EQ(r.closed, 1);
    EXPECT_EQ(s.State(), wsClosed);
  }
}

TEST(SocksSocket, SettingsChecked) {
  TAsyncSocket s(nullptr);
  EXPECT_EQ(s.SocksLevel(), "5");
  try {
    s.SetSocksLevel("6");
    ADD_FAILURE();
  } catch (const ESocketException& e) {
    EXPECT_EQ(e.Message(), "Invalid socks level. Must be 4, 4A or 5.");
  }
  s.SetSocksServer("127.0.0.1");
  s.SetAddr("127.0.0.1");
  s.SetPort("7");
  s.SetProto("udp");
  try {
    s.Connect();
    ADD_FAILURE();
  } catch (const ESocketException& e) {
    EXPECT_EQ(e.Message(), "tcp is the only protocol supported thru socks server");
  }
  try {
    s.Listen();
    ADD_FAILURE();
  } catch (const ESocketException& e) {
    EXPECT_EQ(e.Message(), "listening is not supported thru socks server");
  }
}
