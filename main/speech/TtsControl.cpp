#include "TtsControl.h"

#include <cstring>

template <typename T>
T TTTsControl1::Entry(const char* name) const {
  if (!module_) return nullptr;
  return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
}

TTTsControl1::~TTTsControl1() {
  if (!module_) return;
  if (auto close = Entry<TTtsClose>("TezItemPlayer_Close")) close();
  FreeLibrary(module_);
}

bool TTTsControl1::Init(HWND parent) {
  if (!module_) module_ = LoadLibraryA("TezTTS.dll");
  auto init = Entry<TTtsInitialize1>("TezItemPlayer_Initialize1");
  return init && init(parent) == 1;
}

int TTTsControl1::NumberSystemVoices() {
  auto f = Entry<TTtsCount>("TezTtsPlayer_GetNumberSystemVoices");
  return f ? f() : 0;
}

int TTTsControl1::NumberBrindaleVoices() {
  auto f = Entry<TTtsCount>("TezTtsPlayer_GetNumberBrindaleVoices");
  return f ? f() : 0;
}

namespace {
// The library may leave a name unterminated; it is cut at the buffer's end.
bool Terminated(int result, TezTtsVoice& voice) {
  voice.name[sizeof voice.name - 1] = '\0';
  return result != 0;
}
}  // namespace

bool TTTsControl1::SystemVoiceName(int index, TezTtsVoice& voice) {
  auto f = Entry<TTtsIndexVoiceCall>("TezTtsPlayer_GetSystemVoiceName");
  return f && Terminated(f(index, &voice), voice);
}

bool TTTsControl1::BrindaleVoiceName(int index, TezTtsVoice& voice) {
  auto f = Entry<TTtsIndexVoiceCall>("TezTtsPlayer_GetBrindaleVoiceName");
  return f && Terminated(f(index, &voice), voice);
}

bool TTTsControl1::SetSystemVoice(int index, TezTtsVoice& voice) {
  auto f = Entry<TTtsIndexVoiceCall>("TezTtsPlayer_SetSystemVoice");
  return f && Terminated(f(index, &voice), voice);
}

bool TTTsControl1::SetBrindaleVoice(int index, TezTtsVoice& voice) {
  auto f = Entry<TTtsIndexVoiceCall>("TezTtsPlayer_SetBrindaleVoice");
  return f && Terminated(f(index, &voice), voice);
}

bool TTTsControl1::SetNumberBrindaleVoices(int count) {
  auto f = Entry<TTtsIntCall>("TezTtsPlayer_SetNumberBrindaleVoices");
  return f && f(count) != 0;
}

bool TTTsControl1::PlayString(const std::string& text) {
  auto f = Entry<TTtsPlayString>("TezTtsPlayer_PlayString");
  return f && f(text.c_str()) != 0;
}

bool TTTsControl1::StoreBrindaleVoice(TezTtsVoice& voice) {
  auto f = Entry<TTtsVoiceCall>("TezTtsPlayer_StoreBrindaleVoice");
  return f && f(&voice) != 0;
}

bool TTTsControl1::SetVoiceParams(TezTtsVoice& voice) {
  auto f = Entry<TTtsVoiceCall>("TezTtsPlayer_SetVoiceParams");
  return f && f(&voice) != 0;
}

bool TTTsControl1::AddBrindaleVoice(TezTtsVoice& voice) {
  auto f = Entry<TTtsVoiceCall>("TezTtsPlayer_AddBrindaleVoice");
  return f && f(&voice) != 0;
}

bool TTTsControl1::RemoveBrindaleVoice(int index) {
  auto f = Entry<TTtsIntCall>("TezTtsPlayer_RemoveBrindaleVoice");
  return f && f(index) != 0;
}

void TTTsControl1::CopyVoice(TezTtsVoice& to, const TezTtsVoice& from) {
  if (&to == &from) return;
  char name[sizeof to.name];
  memcpy(name, from.name, sizeof name);
  name[sizeof name - 1] = '\0';
  to = from;
  memset(to.name, 0, sizeof to.name);
  strcpy(to.name, name);
}
