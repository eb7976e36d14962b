// The speech library: voices of the "system" (two fixed ones) and the
// program's own voice list, stored in TezTTS.inx of the current directory
// as [Voices] count and voice<n> = name,pitch,speed,kept. A spoken text is
// noted under [Spoken] text and voice.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "TezTtsVoice.h"

namespace {

TezTtsVoice MakeVoice(const char* name, int minPitch, int maxPitch, int minSpeed, int maxSpeed) {
  TezTtsVoice v = {};
  strncpy(v.name, name, sizeof v.name - 1);
  v.minPitch = static_cast<int16_t>(minPitch);
  v.maxPitch = static_cast<int16_t>(maxPitch);
  v.minSpeed = minSpeed;
  v.maxSpeed = maxSpeed;
  v.defaultPitch = maxPitch >= 0 ? (minPitch + maxPitch) / 2 : -1;
  v.defaultSpeed = maxSpeed >= 0 ? (minSpeed + maxSpeed) / 2 : -1;
  v.pitch = static_cast<int16_t>(v.defaultPitch);
  v.speed = v.defaultSpeed;
  return v;
}

const std::vector<TezTtsVoice>& SystemVoices() {
  static const std::vector<TezTtsVoice> voices = {
      MakeVoice("Clear Voice", 0, 100, 80, 300),
      MakeVoice("Steady Voice", 0, -1, 100, 200),  // no pitch control
  };
  return voices;
}

std::vector<TezTtsVoice> g_voices;
TezTtsVoice g_current = {};
bool g_started = false;

std::string StoreFile() {
  char dir[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, dir);
  return std::string(dir) + "\\TezTTS.inx";
}

// A system voice of that name gives the ranges; the stored values follow.
void Load() {
  g_voices.clear();
  std::string file = StoreFile();
  int count = static_cast<int>(GetPrivateProfileIntA("Voices", "count", -1, file.c_str()));
  if (count < 0) {
    g_voices.push_back(SystemVoices()[0]);
    strcpy(g_voices[0].name, "Brindale Voice");
    return;
  }
  for (int i = 1; i <= count && i <= 100; ++i) {
    char key[16], line[400] = {};
    snprintf(key, sizeof key, "voice%d", i);
    GetPrivateProfileStringA("Voices", key, "", line, sizeof line, file.c_str());
    std::string text = line;
    size_t comma = text.find(',');
    std::string name = text.substr(0, comma);
    if (name.empty()) continue;
    int pitch = 0, speed = 0, kept = 0, system = 0;
    if (comma != std::string::npos)
      sscanf(text.c_str() + comma + 1, "%d,%d,%d,%d", &pitch, &speed, &kept, &system);
    if (system < 0 || system >= static_cast<int>(SystemVoices().size())) system = 0;
    TezTtsVoice v = SystemVoices()[static_cast<size_t>(system)];
    strncpy(v.name, name.c_str(), sizeof v.name - 1);
    v.extra3 = system;
    v.pitch = static_cast<int16_t>(pitch);
    v.speed = speed;
    v.kept = kept;
    g_voices.push_back(v);
  }
}

void Save() {
  std::string file = StoreFile();
  WritePrivateProfileStringA("Voices", nullptr, nullptr, file.c_str());
  WritePrivateProfileStringA("Voices", "count", std::to_string(g_voices.size()).c_str(),
                             file.c_str());
  for (size_t i = 0; i < g_voices.size(); ++i) {
    const TezTtsVoice& v = g_voices[i];
    char line[400];
    snprintf(line, sizeof line, "%.255s,%d,%d,%d,%d", v.name, v.pitch, v.speed, v.kept, v.extra3);
    WritePrivateProfileStringA("Voices", ("voice" + std::to_string(i + 1)).c_str(), line,
                               file.c_str());
  }
}

bool Valid(int index, size_t count) { return index >= 0 && static_cast<size_t>(index) < count; }

void Copy(TezTtsVoice* to, const TezTtsVoice& from) {
  if (to) memcpy(to, &from, sizeof from);
}

}  // namespace

extern "C" {

int TEZAPI TezItemPlayer_Initialize1(HWND) {
  Load();
  g_current = g_voices.empty() ? SystemVoices()[0] : g_voices[0];
  g_started = true;
  return 1;
}

int TEZAPI TezItemPlayer_Close() {
  g_started = false;
  return 1;
}

int TEZAPI TezTtsPlayer_PlayString(const char* text) {
  if (!g_started || !text) return 0;
  std::string file = StoreFile();
  WritePrivateProfileStringA("Spoken", "text", text, file.c_str());
  WritePrivateProfileStringA("Spoken", "voice", g_current.name, file.c_str());
  char values[64];
  snprintf(values, sizeof values, "%d,%d", g_current.pitch, g_current.speed);
  WritePrivateProfileStringA("Spoken", "values", values, file.c_str());
  return 1;
}

int TEZAPI TezTtsPlayer_GetNumberSystemVoices() { return static_cast<int>(SystemVoices().size()); }

int TEZAPI TezTtsPlayer_GetNumberBrindaleVoices() { return static_cast<int>(g_voices.size()); }

int TEZAPI TezTtsPlayer_GetSystemVoiceName(int index, TezTtsVoice* voice) {
  if (!voice || !Valid(index, SystemVoices().size())) return 0;
  memset(voice->name, 0, sizeof voice->name);
  strcpy(voice->name, SystemVoices()[static_cast<size_t>(index)].name);
  return 1;
}

int TEZAPI TezTtsPlayer_GetBrindaleVoiceName(int index, TezTtsVoice* voice) {
  if (!voice || !Valid(index, g_voices.size())) return 0;
  Copy(voice, g_voices[static_cast<size_t>(index)]);
  return 1;
}

int TEZAPI TezTtsPlayer_SetSystemVoice(int index, TezTtsVoice* voice) {
  if (!Valid(index, SystemVoices().size())) return 0;
  g_current = SystemVoices()[static_cast<size_t>(index)];
  g_current.extra3 = index;
  Copy(voice, g_current);
  return 1;
}

int TEZAPI TezTtsPlayer_SetBrindaleVoice(int index, TezTtsVoice* voice) {
  if (!Valid(index, g_voices.size())) return 0;
  g_current = g_voices[static_cast<size_t>(index)];
  Copy(voice, g_current);
  return 1;
}

int TEZAPI TezTtsPlayer_SetVoiceParams(TezTtsVoice* voice) {
  if (!voice) return 0;
  g_current = *voice;
  g_current.name[sizeof g_current.name - 1] = '\0';
  return 1;
}

int TEZAPI TezTtsPlayer_GetCurrentVoiceParams(TezTtsVoice* voice) {
  if (!voice) return 0;
  Copy(voice, g_current);
  return 1;
}

int TEZAPI TezTtsPlayer_SetNumberBrindaleVoices(int count) {
  if (count < 0 || count > 100) return 0;
  g_voices.resize(static_cast<size_t>(count), SystemVoices()[0]);
  Save();
  return 1;
}

int TEZAPI TezTtsPlayer_StoreBrindaleVoice(TezTtsVoice* voice) {
  if (!voice || !Valid(voice->index, g_voices.size())) return 0;
  TezTtsVoice v = *voice;
  v.name[sizeof v.name - 1] = '\0';
  g_voices[static_cast<size_t>(voice->index)] = v;
  Save();
  return 1;
}

int TEZAPI TezTtsPlayer_AddBrindaleVoice(TezTtsVoice* voice) {
  if (!voice || g_voices.size() >= 100) return 0;
  TezTtsVoice v = *voice;
  v.name[sizeof v.name - 1] = '\0';
  g_voices.push_back(v);
  Save();
  return 1;
}

int TEZAPI TezTtsPlayer_RemoveBrindaleVoice(int index) {
  if (!Valid(index, g_voices.size())) return 0;
  g_voices.erase(g_voices.begin() + index);
  Save();
  return 1;
}

}  // extern "C"
