// Exports of the wav player. Every entry but the initialisations answers 0
// until the library is initialised.
#include <string>

#include "DataItem.h"
#include "StandInLink.h"
#include "TezItemPlayerApi.h"
#include "WavPlayback.h"

static CStandInLink g_link(TEZ_MAIL_ITEM_PLAYER);
static CWavPlayback g_playback(g_link);

static int Start(HWND parent, const char* name, TezMailHook hook, int useMappedMail,
                 int useMailslot, const char* indexFile) {
  if (!g_link.Initialize(parent, name, hook, useMappedMail, useMailslot,
                         indexFile && *indexFile ? indexFile : "TezPlayers.inx"))
    return 0;
  const std::string index = g_link.IndexPath("TezPlayers.inx");
  g_playback.SetSpeed(g_link.Settings()->GetInt(index.c_str(), "TezWavPlayer.dll", "speed"));
  return 1;
}

extern "C" {
int TEZAPI TezItemPlayer_Initialize(HWND parent, const char* name, TezMailHook hook) {
  return Start(parent, name, hook, 0, 1, nullptr);
}
int TEZAPI TezItemPlayer_Initialize2(HWND parent, const char* name, TezMailHook hook,
                                     int useMappedMail, int useMailslot) {
  return Start(parent, name, hook, useMappedMail, useMailslot, nullptr);
}
int TEZAPI TezItemPlayer_Initialize3(HWND parent, const char* name, TezMailHook hook,
                                     int useMappedMail, int useMailslot, const char* indexFile) {
  return Start(parent, name, hook, useMappedMail, useMailslot, indexFile);
}
int TEZAPI TezItemPlayer_Close() {
  if (!g_link.IsReady()) return 0;
  g_playback.Stop();
  g_link.Close();
  return 1;
}
int TEZAPI TezItemPlayer_Play(CDataItem* item) {
  if (!g_link.IsReady() || !item) return 0;
  std::string file;
  if (!item->GetFirstFile(file, 1)) {
    // GetFirstFile has written the reason into the item.
    g_link.SendEvent(TEZ_EVENT_START);
    item->SetRecStatus(6);
    g_link.SendError("File not found.");
    g_link.SendEvent(TEZ_EVENT_STOP);
    return 1;
  }
  return g_playback.Start(file, item->GetRecordToFile(), item->GetRecordWaveFile().c_str(), item);
}
int TEZAPI TezWavPlayer_PlayFile(const char* file, int recordToFile, const char* recordFile) {
  if (!g_link.IsReady()) return 0;
  return g_playback.Start(file ? file : "", recordToFile, recordFile, nullptr);
}
int TEZAPI TezItemPlayer_Stop() { return g_link.IsReady() ? g_playback.Stop() : 0; }
int TEZAPI TezItemPlayer_Pause() { return 0; }
int TEZAPI TezItemPlayer_SwitchParent(const CTezDllInitParams*, CTezDllInitParams*) { return 0; }
int TEZAPI TezItemPlayer_GetVersion() { return g_link.IsReady() ? 100 : 0; }
int TEZAPI TezItemPlayer_GetState() { return g_link.IsReady(); }
int TEZAPI TezItemPlayer_GetLinkEnabled() { return 0; }
int TEZAPI TezItemPlayer_GetLinkEnabled2(const char*) { return 0; }
int TEZAPI TezItemPlayer_GetPlayPosition() {
  return g_link.IsReady() ? g_playback.PositionSeconds() : 0;
}
int TEZAPI TezItemPlayer_GetTotalPlayTime() {
  return g_link.IsReady() ? g_playback.TotalSeconds() : 0;
}
int TEZAPI TezItemPlayer_GetReportInterval() {
  return g_link.IsReady() ? g_playback.ReportInterval() : 0;
}
int TEZAPI TezItemPlayer_SetReportInterval(int interval) {
  if (!g_link.IsReady()) return 0;
  g_playback.SetReportInterval(interval);
  return 1;
}
}
