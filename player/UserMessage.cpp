#include "UserMessage.h"

#include <mutex>

namespace {
std::mutex guard;
std::string last;
bool enabled = true;
}  // namespace

void ShowUserMessage(HWND owner, const char* text, const char* caption, UINT flags) {
  bool show;
  {
    std::lock_guard<std::mutex> lock(guard);
    if (!last.empty()) last += "\n";
    last += std::string(caption) + ": " + text;
    char value[8];
    show = enabled && GetEnvironmentVariableA("BRINDALE_NO_MESSAGE_BOXES", value, sizeof value) == 0;
  }
  if (show) MessageBoxA(owner, text, caption, flags);
}

void SetUserMessagesEnabled(bool on) {
  std::lock_guard<std::mutex> lock(guard);
  enabled = on;
}

std::string TakeUserMessages() {
  std::lock_guard<std::mutex> lock(guard);
  std::string text;
  text.swap(last);
  return text;
}
