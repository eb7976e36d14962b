#include "MsgSend.h"

#include <cstring>

HWND TMsgSend::FindTarget() {
  char caption[256];
  size_t n = WindowCaption.size() < sizeof caption ? WindowCaption.size() : sizeof caption - 1;
  std::memcpy(caption, WindowCaption.data(), n);
  caption[n] = '\0';
  return FindWindowA(nullptr, caption);
}

bool TMsgSend::PostMsg() {
  target_ = FindTarget();
  if (!target_) return false;
  PostMessageA(target_, static_cast<UINT>(MsgVal), static_cast<WPARAM>(MsgWParam),
               static_cast<LPARAM>(msgLParam));
  return true;
}

bool TMsgSend::SendMsg() {
  target_ = FindTarget();
  if (!target_) return false;
  SendMessageA(target_, static_cast<UINT>(MsgVal), static_cast<WPARAM>(MsgWParam),
               static_cast<LPARAM>(msgLParam));
  return true;
}
