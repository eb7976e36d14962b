// Finds a top-level window by its exact caption and posts or sends it one
// configured message.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "Classes.h"

class TMsgSend : public TComponent {
 public:
  explicit TMsgSend(TComponent* owner) : TComponent(owner) {}

  // The top-level window captioned WindowCaption (up to 255 characters),
  // of any class; null when there is none.
  HWND FindTarget();
  // False when no window has the caption; the result of the post itself is
  // not looked at.
  bool PostMsg() { return Deliver(false); }
  // As PostMsg, waiting until the target has handled the message.
  bool SendMsg() { return Deliver(true); }
  HWND Target() const { return target_; }

  std::string WindowCaption;
  int32_t MsgVal = 0;
  int32_t MsgWParam = 0;
  int32_t msgLParam = 0;

 private:
  bool Deliver(bool wait);
  HWND target_ = nullptr;
};
