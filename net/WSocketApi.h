// The sockets library, bound at run time: loaded by name on the first call
// of one of its functions, each function looked up on its own first call,
// and cleaned up and unloaded when the last socket component is destroyed.
#pragma once

#include <winsock2.h>

#include "SocketError.h"

namespace ws {

#define BRINDALE_WSOCK_FUNCTIONS(X)                                                         \
  X(WSAStartup, int, (WORD, LPWSADATA))                                                     \
  X(WSACleanup, int, ())                                                                    \
  X(WSASetLastError, void, (int))                                                           \
  X(WSAGetLastError, int, ())                                                               \
  X(WSACancelAsyncRequest, int, (HANDLE))                                                   \
  X(WSAAsyncGetHostByName, HANDLE, (HWND, u_int, const char*, char*, int))                  \
  X(WSAAsyncGetHostByAddr, HANDLE, (HWND, u_int, const char*, int, int, char*, int))        \
  X(WSAAsyncSelect, int, (SOCKET, HWND, u_int, long))                                       \
  X(getservbyname, struct servent*, (const char*, const char*))                             \
  X(getprotobyname, struct protoent*, (const char*))                                        \
  X(gethostbyname, struct hostent*, (const char*))                                          \
  X(socket, SOCKET, (int, int, int))                                                        \
  X(shutdown, int, (SOCKET, int))                                                           \
  X(setsockopt, int, (SOCKET, int, int, const char*, int))                                  \
  X(sendto, int, (SOCKET, const char*, int, int, const struct sockaddr*, int))              \
  X(send, int, (SOCKET, const char*, int, int))                                             \
  X(ntohs, u_short, (u_short))                                                              \
  X(listen, int, (SOCKET, int))                                                             \
  X(ioctlsocket, int, (SOCKET, long, u_long*))                                              \
  X(inet_ntoa, char*, (struct in_addr))                                                     \
  X(inet_addr, unsigned long, (const char*))                                                \
  X(htons, u_short, (u_short))                                                              \
  X(getsockname, int, (SOCKET, struct sockaddr*, int*))                                     \
  X(getpeername, int, (SOCKET, struct sockaddr*, int*))                                     \
  X(connect, int, (SOCKET, const struct sockaddr*, int))                                    \
  X(closesocket, int, (SOCKET))                                                             \
  X(bind, int, (SOCKET, const struct sockaddr*, int))                                       \
  X(accept, SOCKET, (SOCKET, struct sockaddr*, int*))                                       \
  X(recv, int, (SOCKET, char*, int, int))                                                   \
  X(recvfrom, int, (SOCKET, char*, int, int, struct sockaddr*, int*))

enum class Fn {
#define BRINDALE_WSOCK_ENUM(name, ret, params) name,
  BRINDALE_WSOCK_FUNCTIONS(BRINDALE_WSOCK_ENUM)
#undef BRINDALE_WSOCK_ENUM
  Count
};

// The entry point of a function, loading the library first when needed;
// ESocketException when the library or the entry cannot be found.
FARPROC Proc(Fn fn);

#define BRINDALE_WSOCK_CALL(name, ret, params)                          \
  using name##_fn = ret(WINAPI*) params;                                \
  template <typename... A>                                              \
  ret name(A... a) {                                                    \
    return reinterpret_cast<name##_fn>(reinterpret_cast<void*>(Proc(Fn::name)))(a...); \
  }
BRINDALE_WSOCK_FUNCTIONS(BRINDALE_WSOCK_CALL)
#undef BRINDALE_WSOCK_CALL

// Puts `proc` in place of a function of the loaded library until it is
// unloaded, and returns the entry it replaced (tests stand in for answers
// that the library gives only on other systems).
FARPROC ReplaceProc(Fn fn, FARPROC proc);

// Counting of live components: the library goes when the count drops to 0.
void ComponentCreated();
void ComponentDestroyed();
bool Loaded();

}  // namespace ws
