// The clipboard: text, handles of any format, and pictures by the formats
// their classes registered.
#pragma once

#include <windows.h>

#include <string>

#include "Classes.h"

class EClipboardException : public Exception {
  using Exception::Exception;
};

class TClipboard : public TPersistent {
 public:
  TClipboard() = default;
  ~TClipboard() override;
  TClipboard(const TClipboard&) = delete;
  TClipboard& operator=(const TClipboard&) = delete;

  // Opens are counted; EClipboardException "Cannot open clipboard" on failure.
  void Open();
  void Close();
  void Clear();
  bool HasFormat(UINT format);
  std::string AsText();
  void SetAsText(const std::string& text);
  // The handle stays the clipboard's.
  HANDLE GetAsHandle(UINT format);
  // The clipboard takes the handle over; the clipboard is emptied first.
  void SetAsHandle(UINT format, HANDLE value);
  // A graphic or picture puts itself on the clipboard.
  void Assign(TPersistent* source) override;

 protected:
  // Into a picture or graphic: the first registered picture format found.
  void AssignTo(TPersistent* dest) override;

 private:
  void Adding();
  HWND window_ = nullptr;
  int openRefs_ = 0;
  bool emptied_ = false;
};

TClipboard* Clipboard();
