// The binding of the speech library TezTTS.dll: loaded on demand, each
// entry looked up by name; a missing entry makes its wrapper do nothing.
#pragma once

#include <windows.h>

#include <string>

#include "Classes.h"
#include "TezTtsVoice.h"

class TTTsControl1 : public TComponent {
 public:
  explicit TTTsControl1(TComponent* owner) : TComponent(owner) {}
  ~TTTsControl1() override;

  // Loads the library and starts it for the parent window; true when it
  // answers 1.
  bool Init(HWND parent);
  bool Loaded() const { return module_ != nullptr; }

  int NumberSystemVoices();
  int NumberBrindaleVoices();
  // Fill the record; false when the entry is missing or refuses.
  bool SystemVoiceName(int index, TezTtsVoice& voice);
  bool BrindaleVoiceName(int index, TezTtsVoice& voice);
  bool SetSystemVoice(int index, TezTtsVoice& voice);
  bool SetBrindaleVoice(int index, TezTtsVoice& voice);
  bool SetNumberBrindaleVoices(int count);
  bool PlayString(const std::string& text);
  bool StoreBrindaleVoice(TezTtsVoice& voice);
  bool SetVoiceParams(TezTtsVoice& voice);
  bool AddBrindaleVoice(TezTtsVoice& voice);
  bool RemoveBrindaleVoice(int index);
  // Every field; the name as a string, always terminated.
  static void CopyVoice(TezTtsVoice& to, const TezTtsVoice& from);

 private:
  template <typename T>
  T Entry(const char* name) const;
  HMODULE module_ = nullptr;
};
