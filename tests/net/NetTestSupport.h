// Helpers of the network client's tests: those of the local test server's
// tests, and a blocking peer on 127.0.0.1 run on a thread.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>

#include "../http/HttpTestSupport.h"

// A listening socket on 127.0.0.1 whose connections are served one after
// the other by `serve` on a thread of its own (plain blocking sockets of
// ws2_32, not the component under test).
class TcpPeer {
 public:
  using Serve = std::function<void(SOCKET s, int index)>;
  TcpPeer(int connections, Serve serve) {
    WSADATA d;
    WSAStartup(MAKEWORD(2, 2), &d);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in sin = {};
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&sin), sizeof sin);
    listen(listener_, 5);
    int len = sizeof sin;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&sin), &len);
    port_ = ntohs(sin.sin_port);
    thread_ = std::thread([this, connections, serve] {
      for (int i = 0; i < connections; ++i) {
        SOCKET s = accept(listener_, nullptr, nullptr);
        if (s == INVALID_SOCKET) return;
        serve(s, i);
      }
    });
  }
  ~TcpPeer() {
    closesocket(listener_);
    if (thread_.joinable()) thread_.join();
    WSACleanup();
  }
  std::string Port() const { return std::to_string(port_); }

  static std::string ReadN(SOCKET s, size_t n) {
    std::string out;
    char buf[4096];
    while (out.size() < n) {
      int r = recv(s, buf, static_cast<int>(std::min(sizeof buf, n - out.size())), 0);
      if (r <= 0) break;
      out.append(buf, static_cast<size_t>(r));
    }
    return out;
  }
  static std::string ReadAll(SOCKET s) {
    std::string out;
    char buf[4096];
    int r;
    while ((r = recv(s, buf, sizeof buf, 0)) > 0) out.append(buf, static_cast<size_t>(r));
    return out;
  }
  static void SendAll(SOCKET s, const std::string& data) {
    size_t off = 0;
    while (off < data.size()) {
      int r = send(s, data.data() + off, static_cast<int>(data.size() - off), 0);
      if (r <= 0) return;
      off += static_cast<size_t>(r);
    }
  }
  // Closes with a reset instead of an orderly end.
  static void Reset(SOCKET s) {
    linger l = {1, 0};
    setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
    closesocket(s);
  }

 private:
  SOCKET listener_;
  int port_ = 0;
  std::thread thread_;
};
