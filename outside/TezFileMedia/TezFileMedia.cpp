// The "file on disk" medium. During a run the players record every part
// (opening, items, closing) into wave files of the run and hand the list
// over with each pause and at the end; the medium joins them, in list
// order, into one wave file in the medium's outputFolder (default
// "Recordings" in the program folder) and writes its full name as
// lastRecording of the media type section. Answers every call by mail.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "TezMediaApi.h"
#include "StandInLink.h"
#include "WaveFile.h"

namespace {

CStandInLink g_link(TEZ_MAIL_MEDIA);
std::vector<std::string> g_wavs;
std::string g_paramFile;
std::string g_outputFolder;
int g_recording = 0;

std::string MediaSection() {
  CIniManager* ini = g_link.Settings();
  const char* file = g_paramFile.c_str();
  const char* key = ini->GetInt(file, "Recorder", "useVirtualMedia") ? "virtualMediaType"
                                                                      : "selectedMediaType";
  return ini->GetString(file, "MediaTypes", key);
}

int Start(HWND parent, const char* name, TezMailHook hook, int useMappedMail, int useMailslot,
          const char* indexFile) {
  if (!g_link.Initialize(parent, name, hook, useMappedMail, useMailslot, indexFile)) return 0;
  g_paramFile = g_link.IndexPath("TezParam.inx");
  return 1;
}

void TakeList(const char* list) {
  if (!list) return;
  g_wavs.clear();
  for (const char* name = list; *name; name += strlen(name) + 1) g_wavs.push_back(name);
}

// Joins the recorded parts; false after an error mail.
bool WriteRecording() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char fileName[64];
  snprintf(fileName, sizeof fileName, "Recording-%04d%02d%02d-%02d%02d%02d.wav", now.wYear,
           now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
  const std::string path = g_outputFolder + "\\" + fileName;
  CWaveWriter writer;
  if (!writer.Open(path.c_str())) {
    g_link.SendError(("Cannot write the recording " + path).c_str());
    return false;
  }
  std::vector<int16_t> frames;
  std::string error;
  int parts = 0;
  for (const std::string& wav : g_wavs) {
    if (!ReadWaveFile(wav.c_str(), frames, error)) continue;  // a part never played
    writer.Append(frames.data(), frames.size() / kWaveChannels);
    ++parts;
  }
  if (!writer.Close()) {
    g_link.SendError(("Failed to write the recording " + path).c_str());
    return false;
  }
  const std::string section = MediaSection();
  if (!section.empty())
    g_link.Settings()->WriteString(g_paramFile.c_str(), section.c_str(), "lastRecording",
                                   path.c_str());
  const int values[1] = {0};
  g_link.SendStatus(1, values, ("Recorded " + std::to_string(parts) + " parts: " + path).c_str());
  return true;
}

int Finish() {
  if (!g_link.IsReady()) return 0;
  const bool wasRecording = g_recording;
  g_recording = 0;
  if (wasRecording && !WriteRecording()) return 0;
  g_link.SendEvent(TEZ_EVENT_STOP);
  return 1;
}

}  // namespace

extern "C" {
int TEZAPI tezInitialize1(HWND parent, const char* name, TezMailHook hook) {
  return Start(parent, name, hook, 0, 1, nullptr);
}
int TEZAPI tezInitialize2(HWND parent, const char* name, TezMailHook hook, int useMappedMail,
                          int useMailslot) {
  return Start(parent, name, hook, useMappedMail, useMailslot, nullptr);
}
int TEZAPI tezInitialize3(HWND parent, const char* name, TezMailHook hook, int useMappedMail,
                          int useMailslot, const char* indexFile) {
  return Start(parent, name, hook, useMappedMail, useMailslot, indexFile);
}
int TEZAPI tezClose() {
  g_link.Close();
  return 1;
}
int TEZAPI tezGetVersion() { return g_link.IsReady() ? 100 : 0; }
int TEZAPI tezGetState() { return g_link.IsReady(); }

int TEZAPI tezStartRecord(int, int) {
  if (!g_link.IsReady()) return 0;
  g_wavs.clear();
  std::string folder = g_link.Settings()->GetString(g_paramFile.c_str(), MediaSection().c_str(),
                                                    "outputFolder");
  if (folder.empty()) folder = "Recordings";
  if (folder.size() < 2 || (folder[1] != ':' && folder[0] != '\\'))
    folder = InCurrentDirectory(folder.c_str());
  if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    g_link.SendError(("Cannot create the recording folder " + folder).c_str());
    return 0;
  }
  g_outputFolder = folder;
  g_recording = 1;
  g_link.SendEvent(TEZ_EVENT_START);
  return 1;
}
int TEZAPI tezPause() {
  if (!g_link.IsReady()) return 0;
  g_link.SendEvent(TEZ_EVENT_READY);
  return 1;
}
int TEZAPI tezPauseWithWavs(const char* wavList) {
  TakeList(wavList);
  return tezPause();
}
int TEZAPI tezResume() {
  if (!g_link.IsReady()) return 0;
  g_link.SendEvent(TEZ_EVENT_START);
  return 1;
}
int TEZAPI tezFinishRecord(int) { return Finish(); }
int TEZAPI tezFinishRecordWithWavs(int, const char* wavList) {
  TakeList(wavList);
  return Finish();
}
int TEZAPI tezStop() { return Finish(); }
}
