// The socket component against real peers on 127.0.0.1.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "NetTestSupport.h"
#include "SyncSocket.h"
#include "WSocketApi.h"

namespace {

bool WsockLoaded() { return GetModuleHandleA("wsock32.dll") != nullptr; }

// A component connected to a peer, with its events counted.
struct Client {
  std::unique_ptr<TAsyncSocket> s{new TAsyncSocket(nullptr)};
  int connected = 0, closed = 0, sent = 0, available = 0;
  int connectError = -1, closeError = -1;
  std::string received;

  explicit Client(bool readData = true) {
    s->OnSessionConnected = [this](TObject*, int e) {
      ++connected;
      connectError = e;
    };
    s->OnSessionClosed = [this](TObject*, int e) {
      ++closed;
      closeError = e;
    };
    s->OnDataSent = [this](TObject*, int) { ++sent; };
    s->OnDataAvailable = [this, readData](TObject*, int) {
      ++available;
      if (!readData) return;
      char buf[2048];
      int n = s->Receive(buf, sizeof buf);
      if (n > 0) received.append(buf, static_cast<size_t>(n));
    };
  }
  void ConnectTo(const std::string& port) {
    s->SetAddr("127.0.0.1");
    s->SetPort(port);
    s->Connect();
  }
  bool WaitConnected() {
    return PumpUntil([&] { return connected > 0; }) && s->State() == wsConnected;
  }
};

}  // namespace

TEST(SockBuf, SizesWritesAndRemoves) {
  TBuffer b(0);
  EXPECT_EQ(b.BufSize(), 1514);
  std::string data(2000, 'x');
  EXPECT_EQ(b.Write(data.data(), 2000), 1514);
  EXPECT_EQ(b.Write(data.data(), 10), 0);
  EXPECT_EQ(b.Remove(14), 14);
  int len = 0;
  ASSERT_NE(b.Peek(len), nullptr);
  EXPECT_EQ(len, 1500);
  // A smaller size never drops what the buffer holds.
  b.SetBufSize(100);
  EXPECT_EQ(b.BufSize(), 1500);
  EXPECT_EQ(b.Unread(), 1500);
  EXPECT_EQ(b.Remove(5000), 1500);
  EXPECT_EQ(b.Peek(len), nullptr);
  EXPECT_EQ(len, 0);
  b.SetBufSize(100);
  EXPECT_EQ(b.BufSize(), 100);
  b.SetBufSize(-1);
  EXPECT_EQ(b.BufSize(), 1514);
}

TEST(AsyncSocket, LibraryLoadedOnlyWhileAComponentLives) {
  ASSERT_FALSE(WsockLoaded());
  for (int round = 0; round < 2; ++round) {
    {
      TAsyncSocket a(nullptr);
      TAsyncSocket b(nullptr);
      b.SetAddr("127.0.0.1");
      b.SetPort("1");
      b.OnError = [](TObject*) {};
      b.Connect();  // the first use loads the library
      EXPECT_TRUE(WsockLoaded());
      b.Abort();
      EXPECT_TRUE(WsockLoaded());
    }
    EXPECT_FALSE(WsockLoaded()) << "round " << round;
  }
}

TEST(AsyncSocket, HiddenWindowOfItsOwnClass) {
  TAsyncSocket a(nullptr), b(nullptr);
  char name[64] = {};
  GetClassNameA(a.Handle(), name, sizeof name);
  EXPECT_STREQ(name, "AsyncSocketWindowClass");
  EXPECT_NE(a.Handle(), b.Handle());
  EXPECT_EQ(GetWindowLongPtrA(a.Handle(), 0), reinterpret_cast<LONG_PTR>(&a));
}

TEST(AsyncSocket, RefusesBadConnectionSettings) {
  struct Case {
    const char* addr;
    const char* port;
    const char* proto;
    const char* message;
  };
  const Case cases[] = {
      {"1.2.3.300", "80", "tcp", "connect: AsyncSocketResolveHost: '1.2.3.300' Invalid IP address."},
      {"127.0.0.1", "", "tcp", "Connect: No Port Specified"},
      {"", "80", "tcp", "Connect: No IP Address Specified"},
      {"127.0.0.1", "80", "", "Connect: No Protocol Specified"},
      {"127.0.0.1", "70000", "tcp", "connect: AsyncSocketResolvePort: Cannot convert port '70000'"},
      {"127.0.0.1", "0", "tcp", "connect: AsyncSocketResolvePort: Cannot convert port '0'"},
      {"127.0.0.1", "80x", "tcp", "connect: AsyncSocketResolvePort: Cannot convert port '80x'"},
      {"127.0.0.1", "123456789012345678901234567890123", "tcp",
       "connect: AsyncSocketResolvePort: Invalid Port."},
      {"127.0.0.1", "80", "999", "connect: AsyncSocketResolveProto: Cannot convert protocol '999'"},
  };
  for (const Case& c : cases) {
    TAsyncSocket s(nullptr);
    s.SetAddr(c.addr);
    s.SetPort(c.port);
    s.SetProto(c.proto);
    try {
      s.Connect();
      ADD_FAILURE() << "no error for " << c.addr << " " << c.port;
    } catch (const ESocketException& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    EXPECT_EQ(s.State(), wsClosed);
    EXPECT_EQ(s.HSocket(), INVALID_TSOCKET);
  }
  TAsyncSocket s(nullptr);
  EXPECT_THROW(s.SetLocalAddr("1.2.3"), ESocketException);
  s.SetLocalAddr(" 127.0.0.1 ");
}

TEST(AsyncSocket, SettingsRefusedUnlessClosed) {
  TcpPeer peer(1, [](SOCKET s, int) {
    TcpPeer::ReadAll(s);
    closesocket(s);
  });
  Client c;
  c.ConnectTo(peer.Port());
  ASSERT_TRUE(c.WaitConnected());
  try {
    c.s->SetAddr("10.0.0.1");
    ADD_FAILURE();
  } catch (const ESocketException& e) {
    EXPECT_EQ(e.Message(), "Cannot change Addr if not closed");
  }
  EXPECT_THROW(c.s->SetPort("1"), ESocketException);
  EXPECT_THROW(c.s->Connect(), ESocketException);
  EXPECT_EQ(c.s->PeerAddr(), "127.0.0.1");
  EXPECT_EQ(c.s->PeerPort(), peer.Port());
  c.s->Close();
  EXPECT_EQ(c.s->PeerAddr(), "error");
  EXPECT_EQ(c.closed, 1);
}

TEST(AsyncSocket, SendBeforeConnectedFails) {
  TcpPeer peer(1, [](SOCKET s, int) { closesocket(s); });
  Client c;
  int errors = 0;
  c.s->OnError = [&](TObject*) { ++errors; };
  EXPECT_EQ(c.s->SendStr("x"), -1);
  EXPECT_EQ(c.s->LastError(), 10057);
  EXPECT_EQ(errors, 1);
  c.s->OnError = nullptr;
  try {
    c.s->SendStr("x");
    ADD_FAILURE();
  } catch (const ESocketException& e) {
    EXPECT_EQ(e.Message(), "Error 10057 in function Send\r\nSocket is not connected");
  }
}

TEST(AsyncSocket, ConnectionRefusedIsReported) {
  std::string port;
  {
    TcpPeer gone(0, nullptr);
    port = gone.Port();
  }
  Client c;
  c.ConnectTo(port);
  ASSERT_TRUE(PumpUntil([&] { return c.connected > 0; }));
  EXPECT_EQ(c.connectError, 10061);
  PumpFor(200);
  EXPECT_EQ(c.s->State(), wsClosed);
  EXPECT_EQ(c.closed, 1);
}

TEST(AsyncSocket, OneSentEventPerSend) {
  const std::string big(4 * 1024 * 1024, 'b');
  const std::string all = "first" + big + "last";
  std::string got;
  auto peer = std::make_unique<TcpPeer>(1, [&](SOCKET s, int) {
    got = TcpPeer::ReadN(s, all.size());
    closesocket(s);
  });
  Client c;
  c.ConnectTo(peer->Port());
  ASSERT_TRUE(c.WaitConnected());
  PumpFor(200);
  EXPECT_EQ(c.sent, 0) << "no send, no sent event";
  c.s->SendStr("first");
  ASSERT_TRUE(PumpUntil([&] { return c.sent == 1; }));
  PumpFor(300);
  EXPECT_EQ(c.sent, 1);
  // A block bigger than the socket takes at once still gives one event.
  EXPECT_EQ(c.s->SendStr(big), static_cast<int>(big.size()));
  ASSERT_TRUE(PumpUntil([&] { return c.sent == 2; }));
  c.s->SendStr("last");
  ASSERT_TRUE(PumpUntil([&] { return c.sent == 3; }));
  PumpFor(300);
  EXPECT_EQ(c.sent, 3);
  peer.reset();  // waits until the peer has read everything
  EXPECT_EQ(got.size(), all.size());
  EXPECT_TRUE(got == all);
}

TEST(AsyncSocket, LineLimitSendsALineAtATime) {
  const std::string all = "a\nbb\ncccc\ndd";
  std::string got;
  // The peer reads until the client closes: its close cannot come first.
  auto peer = std::make_unique<TcpPeer>(1, [&](SOCKET s, int) {
    got = TcpPeer::ReadAll(s);
    closesocket(s);
  });
  Client c;
  std::vector<int> sends;
  c.s->OnSendData = [&](TObject*, int n) { sends.push_back(n); };
  c.ConnectTo(peer->Port());
  ASSERT_TRUE(c.WaitConnected());
  c.s->SendLineLimit = 2;
  c.s->SendStr(all);
  ASSERT_TRUE(PumpUntil([&] { return c.sent == 1; }));
  // Two lines one by one, then the rest in one send.
  EXPECT_EQ(sends, (std::vector<int>{2, 3, 7}));
  EXPECT_EQ(c.s->SendLineLimit, 0);
  c.s->Close();
  peer.reset();
  EXPECT_EQ(got, all);
}

TEST(AsyncSocket, CloseReturnsToTheDefaults) {
  TcpPeer peer(1, [](SOCKET s, int) {
    TcpPeer::ReadAll(s);
    closesocket(s);
  });
  Client c;
  int errors = 0;
  c.s->OnError = [&](TObject*) { ++errors; };
  // No socket: no count, and an error.
  EXPECT_EQ(c.s->RcvdCount(), -1);
  EXPECT_EQ(c.s->LastError(), 10038);
  EXPECT_EQ(errors, 1);
  c.s->OnError = nullptr;
  EXPECT_THROW(c.s->RcvdCount(), ESocketException);

  c.s->SetLocalAddr("127.0.0.1");
  c.s->LingerOnOff = false;
  c.s->LingerTimeout = 5;
  c.s->FlushTimeout = 7;
  c.s->SendLineLimit = 3;
  c.ConnectTo(peer.Port());
  ASSERT_TRUE(c.WaitConnected());
  EXPECT_EQ(c.s->RcvdCount(), 0);
  std::string protoAtClose, localAtClose;
  c.s->OnSessionClosed = [&](TObject*, int) {
    protoAtClose = c.s->Proto();
    localAtClose = c.s->LocalAddr();
  };
  c.s->Close();
  EXPECT_EQ(c.s->State(), wsClosed);
  EXPECT_EQ(localAtClose, "0.0.0.0");
  EXPECT_EQ(protoAtClose, "tcp");
  EXPECT_EQ(c.s->LocalPort(), "0");
  EXPECT_TRUE(c.s->LingerOnOff);
  EXPECT_EQ(c.s->LingerTimeout, 0);
  EXPECT_EQ(c.s->FlushTimeout, 60);
  EXPECT_EQ(c.s->SendLineLimit, 0);
  // The remote end is the caller's and stays.
  EXPECT_EQ(c.s->Addr(), "127.0.0.1");
  EXPECT_EQ(c.s->Port(), peer.Port());
}

TEST(AsyncSocket, HandlerThatDoesNotReadIsNotCalledForEver) {
  TcpPeer peer(1, [](SOCKET s, int) {
    TcpPeer::SendAll(s, "0123456789");
    TcpPeer::ReadAll(s);
    closesocket(s);
  });
  Client c(false);
  c.ConnectTo(peer.Port());
  ASSERT_TRUE(c.WaitConnected());
  ASSERT_TRUE(PumpUntil([&] { return c.available > 0; }));
  PumpFor(300);
  EXPECT_LE(c.available, 2);
  EXPECT_EQ(c.s->RcvdCount(), 10);
  EXPECT_EQ(c.s->ReceiveStr(), "0123456789");
  EXPECT_EQ(c.s->ReadCount(), 10);
  // Nothing left: a failed read is no count.
  char b[4];
  EXPECT_EQ(c.s->Receive(b, sizeof b), -1);
  EXPECT_EQ(c.s->LastError(), 10035);
  EXPECT_EQ(c.s->ReadCount(), 10);
  c.s->Close();
}

TEST(AsyncSocket, ClosedSocketsEventsNeverReachTheNextConnection) {
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  TcpPeer peer(2, [&](SOCKET s, int index) {
    if (index == 0) {
      WaitForSingleObject(go, 10000);
      TcpPeer::SendAll(s, "stale data");
      closesocket(s);  // read and close events wait in the queue
    } else {
      TcpPeer::ReadAll(s);
      closesocket(s);
    }
  });
  Client c;
  c.ConnectTo(peer.Port());
  ASSERT_TRUE(c.WaitConnected());
  SetEvent(go);
  Sleep(300);  // let the first peer's events arrive without handling them
  TSocket old = c.s->HSocket();
  PostMessageA(c.s->Handle(), WM_ASYNCSELECT, static_cast<WPARAM>(old),
               WSAMAKESELECTREPLY(FD_CLOSE, 0));
  c.s->Close();
  EXPECT_EQ(c.closed, 1);
  MSG pending;
  EXPECT_FALSE(PeekMessageA(&pending, c.s->Handle(), WM_ASYNCSELECT, WM_ASYNCSELECT, PM_NOREMOVE));
  c.connected = 0;
  c.ConnectTo(peer.Port());
  ASSERT_TRUE(c.WaitConnected());
  PumpFor(500);
  EXPECT_EQ(c.s->State(), wsConnected);
  EXPECT_EQ(c.closed, 1);
  EXPECT_EQ(c.received, "");
  c.s->Close();
  EXPECT_EQ(c.closed, 2);
  CloseHandle(go);
}

TEST(AsyncSocket, PeerResetDuringSendClosesOnce) {
  TcpPeer peer(1, [](SOCKET s, int) {
    TcpPeer::ReadN(s, 1000);
    TcpPeer::Reset(s);
  });
  Client c;
  c.ConnectTo(peer.Port());
  ASSERT_TRUE(c.WaitConnected());
  std::string chunk(64 * 1024, 'r');
  DWORD start = GetTickCount();
  while (c.closed == 0 && GetTickCount() - start < 10000) {
    if (c.s->State() == wsConnected && c.s->BufferedBytes() < 1024 * 1024) c.s->SendStr(chunk);
    PumpFor(20);
  }
  ASSERT_EQ(c.closed, 1);
  EXPECT_NE(c.closeError, 0);
  PumpFor(300);
  EXPECT_EQ(c.closed, 1);
  EXPECT_EQ(c.s->State(), wsClosed);
}

TEST(AsyncSocket, OrderlyCloseDeliversTheRestFirst) {
  TcpPeer peer(1, [](SOCKET s, int) {
    TcpPeer::SendAll(s, std::string(100000, 'd'));
    closesocket(s);
  });
  Client c;
  std::string atClose;
  c.s->OnSessionClosed = [&](TObject*, int) {
    ++c.closed;
    atClose = c.received;
  };
  c.ConnectTo(peer.Port());
  ASSERT_TRUE(PumpUntil([&] { return c.closed > 0; }));
  EXPECT_EQ(atClose.size(), 100000u);
  EXPECT_EQ(c.s->ReadCount(), 100000);
  PumpFor(200);
  EXPECT_EQ(c.closed, 1);
}

TEST(AsyncSocket, LineMode) {
  TcpPeer peer(1, [](SOCKET s, int) {
    TcpPeer::SendAll(s, "one\r\ntwo\r\nth");
    Sleep(200);
    TcpPeer::SendAll(s, "ree\r\nab\bc\tx\r\nlast");
    Sleep(200);
    closesocket(s);
  });
  Client c(false);
  std::vector<std::string> lines;
  c.s->SetLineMode(true);
  c.s->OnDataAvailable = [&](TObject*, int) { lines.push_back(c.s->ReceiveStr()); };
  c.ConnectTo(peer.Port());
  ASSERT_TRUE(PumpUntil([&] { return c.closed > 0; }));
  const std::vector<std::string> want = {"one\r\n", "two\r\n", "three\r\n", "ab\bc\tx\r\n",
                                         "last"};
  EXPECT_EQ(lines, want);
}

TEST(AsyncSocket, LineModeEditsAndLimits) {
  TcpPeer peer(1, [](SOCKET s, int) {
    TcpPeer::SendAll(s, "ab\bc\tx\r\n" + std::string(30, 'z') + "\r\n");
    Sleep(200);
    closesocket(s);
  });
  Client c(false);
  std::vector<std::string> lines;
  int tooLong = 0;
  c.s->SetLineMode(true);
  c.s->LineEdit = true;
  c.s->LineLimit = 20;
  c.s->OnLineTooLong = [&](TObject*) { ++tooLong; };
  c.s->OnDataAvailable = [&](TObject*, int) { lines.push_back(c.s->ReceiveStr()); };
  c.ConnectTo(peer.Port());
  ASSERT_TRUE(PumpUntil([&] { return c.closed > 0; }));
  const std::vector<std::string> want = {"ac      x\r\n", std::string(20, 'z'),
                                         std::string(10, 'z') + "\r\n"};
  EXPECT_EQ(lines, want);
  EXPECT_EQ(tooLong, 1);
}

TEST(AsyncSocket, HostLookups) {
  TAsyncSocket s(nullptr);
  std::vector<int> done;
  s.OnDnsLookupDone = [&](TObject*, int e) { done.push_back(e); };
  s.DnsLookup(" 127.0.0.1 ");
  ASSERT_EQ(done, std::vector<int>{0});
  EXPECT_EQ(s.DnsResult(), "127.0.0.1");
  s.DnsLookup("localhost");
  ASSERT_TRUE(PumpUntil([&] { return done.size() == 2; }));
  EXPECT_EQ(done[1], 0);
  EXPECT_EQ(s.DnsResult(), "127.0.0.1");
  EXPECT_GE(s.DnsResultList().Count(), 1);
  try {
    s.DnsLookup("");
    ADD_FAILURE();
  } catch (const ESocketException& e) {
    EXPECT_EQ(e.Message(), "DNS lookup: invalid host name.");
  }
  EXPECT_EQ(done.back(), 10022);
  s.ReverseDnsLookup("127.0.0.1");
  ASSERT_TRUE(PumpUntil([&] { return done.size() == 4; }));
  EXPECT_EQ(done[3], 0);
  EXPECT_FALSE(s.DnsResult().empty());
  // A cancelled lookup reports 10004 and its answer is ignored.
  s.DnsLookup("localhost");
  s.CancelDnsLookup();
  EXPECT_EQ(done.back(), 10004);
  size_t n = done.size();
  PumpFor(300);
  EXPECT_EQ(done.size(), n);
}

TEST(AsyncSocket, ListenAcceptAndDup) {
  std::string port;
  {
    TcpPeer probe(0, nullptr);
    port = probe.Port();
  }
  TAsyncSocket server(nullptr), served(nullptr);
  server.SetAddr("127.0.0.1");
  server.SetPort(port);
  std::string got;
  server.OnSessionAvailable = [&](TObject*, int) { served.Dup(server.Accept()); };
  served.OnDataAvailable = [&](TObject*, int) {
    std::string s = served.ReceiveStr();
    got += s;
    if (!s.empty()) served.SendStr("echo:" + s);
  };
  server.Listen();
  EXPECT_EQ(server.State(), wsListening);
  Client c;
  c.ConnectTo(port);
  ASSERT_TRUE(c.WaitConnected());
  c.s->SendStr("hi");
  ASSERT_TRUE(PumpUntil([&] { return c.received == "echo:hi"; }));
  EXPECT_EQ(got, "hi");
  EXPECT_EQ(served.State(), wsConnected);
  EXPECT_THROW(c.s->Accept(), ESocketException);
}

TEST(AsyncSocket, BackgroundExceptionsCloseUnlessKept) {
  for (bool keep : {false, true}) {
    TcpPeer peer(1, [](SOCKET s, int) {
      TcpPeer::ReadAll(s);
      closesocket(s);
    });
    Client c;
    std::string seen;
    c.s->OnBgException = [&](TObject*, const std::exception& e, bool& canClose) {
      seen = e.what();
      if (keep) canClose = false;
    };
    c.ConnectTo(peer.Port());
    ASSERT_TRUE(c.WaitConnected());
    PostMessageA(c.s->Handle(), WM_TRIGGER_EXCEPTION, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !seen.empty(); }));
    EXPECT_EQ(seen, "Test exception in AsyncSocket");
    EXPECT_EQ(c.s->State(), keep ? wsConnected : wsClosed) << keep;
    c.s->Close();
  }
}

namespace {

// A close that would block at first, as a lingering close does on systems
// that wait for the unsent data; meanwhile a handler closes the socket.
ws::closesocket_fn realClose = nullptr;
TAsyncSocket* lingering = nullptr;
std::vector<SOCKET> closeCalls;

int WINAPI LingeringClose(SOCKET s) {
  closeCalls.push_back(s);
  if (closeCalls.size() > 1) return realClose(s);
  lingering->CloseDelayed();
  ws::WSASetLastError(WSAEWOULDBLOCK);
  return SOCKET_ERROR;
}

}  // namespace

TEST(AsyncSocket, ANestedCloseFinishesTheLingeringOne) {
  TcpPeer peer(1, [](SOCKET s, int) {
    TcpPeer::ReadAll(s);
    closesocket(s);
  });
  Client c;
  c.ConnectTo(peer.Port());
  ASSERT_TRUE(c.WaitConnected());
  const SOCKET handle = static_cast<SOCKET>(c.s->HSocket());
  // The closed handler opens another socket, which may get the same handle.
  SOCKET other = INVALID_SOCKET;
  c.s->OnSessionClosed = [&](TObject*, int) {
    ++c.closed;
    other = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  };
  lingering = c.s.get();
  closeCalls.clear();
  realClose = reinterpret_cast<ws::closesocket_fn>(reinterpret_cast<void*>(ws::ReplaceProc(
      ws::Fn::closesocket, reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&LingeringClose)))));
  EXPECT_NO_THROW(c.s->Close());
  ws::ReplaceProc(ws::Fn::closesocket, reinterpret_cast<FARPROC>(reinterpret_cast<void*>(realClose)));
  EXPECT_EQ(closeCalls, std::vector<SOCKET>(2, handle));
  EXPECT_EQ(c.closed, 1);
  EXPECT_EQ(c.s->State(), wsClosed);
  EXPECT_EQ(c.s->HSocket(), INVALID_TSOCKET);
  ASSERT_NE(other, INVALID_SOCKET);
  int type = 0, len = sizeof type;
  EXPECT_EQ(getsockopt(other, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &len), 0)
      << "the other socket was closed";
  closesocket(other);
}

TEST(AsyncSocket, DelayedCloseAndRelease) {
  TcpPeer peer(1, [](SOCKET s, int) {
    TcpPeer::ReadAll(s);
    closesocket(s);
  });
  auto* s = new TAsyncSocket(nullptr);
  int closed = 0;
  s->OnSessionClosed = [&](TObject*, int) { ++closed; };
  s->OnSessionConnected = [&](TObject*, int) { s->CloseDelayed(); };
  s->SetAddr("127.0.0.1");
  s->SetPort(peer.Port());
  s->Connect();
  ASSERT_TRUE(PumpUntil([&] { return closed > 0; }));
  EXPECT_EQ(s->State(), wsClosed);
  s->Release();
  EXPECT_TRUE(WsockLoaded());
  // The component frees itself, and with it goes the library.
  ASSERT_TRUE(PumpUntil([&] { return !WsockLoaded(); }));
}

TEST(AsyncSocket, Datagrams) {
  WSADATA d;
  WSAStartup(MAKEWORD(2, 2), &d);
  SOCKET peer = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  sockaddr_in sin = {};
  sin.sin_family = AF_INET;
  sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(peer, reinterpret_cast<sockaddr*>(&sin), sizeof sin);
  int len = sizeof sin;
  getsockname(peer, reinterpret_cast<sockaddr*>(&sin), &len);
  Client c;
  c.s->SetProto("udp");
  c.ConnectTo(std::to_string(ntohs(sin.sin_port)));
  EXPECT_EQ(c.connected, 1);
  EXPECT_EQ(c.s->State(), wsConnected);
  EXPECT_EQ(c.s->SendStr("datagram"), 8);
  char buf[64];
  sockaddr_in from = {};
  int fromLen = sizeof from;
  int n = recvfrom(peer, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
  ASSERT_EQ(n, 8);
  EXPECT_EQ(std::string(buf, 8), "datagram");
  sendto(peer, "reply", 5, 0, reinterpret_cast<sockaddr*>(&from), fromLen);
  ASSERT_TRUE(PumpUntil([&] { return c.received == "reply"; }));
  c.s->Close();
  closesocket(peer);
  WSACleanup();
}

TEST(AsyncSocket, PauseHoldsEventsUntilResume) {
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  TcpPeer peer(1, [&](SOCKET s, int) {
    WaitForSingleObject(go, 10000);
    TcpPeer::SendAll(s, "held");
    TcpPeer::ReadAll(s);
    closesocket(s);
  });
  Client c;
  c.ConnectTo(peer.Port());
  ASSERT_TRUE(c.WaitConnected());
  c.s->Pause();
  SetEvent(go);
  PumpFor(400);
  EXPECT_EQ(c.available, 0);
  c.s->Resume();
  ASSERT_TRUE(PumpUntil([&] { return c.received == "held"; }));
  c.s->Close();
  CloseHandle(go);
}

TEST(SyncSocket, WaitsForAFlagOrTheTimeLimit) {
  TAsyncSocket s(nullptr);
  bool flag = false;
  EXPECT_EQ(s.WaitUntilReady(flag, 100), TCustomSyncSocket::kWaitTimedOut);
  s.OnDnsLookupDone = [&](TObject*, int) { flag = true; };
  s.DnsLookup("localhost");
  EXPECT_EQ(s.WaitUntilReady(flag, 20000), 0);
  EXPECT_TRUE(flag);
}
