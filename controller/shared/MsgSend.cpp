#include "MsgSend.h"

#include <cstring>

HWND TMsgSend::FindTarget() {
  char caption[256];
  size_t n = WindowCaption.size() < sizeof caption ? WindowCaption.size() : sizeof caption - 1;
  std::memcpy(caption, WindowCaption.data(), n);
  caption[n] = '\0';
  return FindWindowA(nullptr, caption);
}

bool TMsgSend::Deliver(bool wait) {
  target_ = FindTarget();
  if (!target_) return false;
  auto msg = static_cast<UINT>(MsgVal);
  auto wp = static_cast<WPARAM>(MsgWParam);
  auto lp = static_cast<LPARAM>(msgLParam);
  if (wait)
    SendMessageA(target_, msg, wp, lp);
  else
    PostMessageA(target_, msg, wp, lp);
  return true;
}
