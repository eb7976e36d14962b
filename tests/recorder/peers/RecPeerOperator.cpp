// Item operators of the Recorder tests. RecPeerFetch "fetches" links
// peer://<host>/<name> by copying <name> from the folder "source" of the
// current directory into a temp file of the item; a missing source fails
// the item. RecPeerLog keeps the item log as RecPeerLog.txt. Both answer
// every operation with a stop mail.
#include <cstdio>
#include <string>

#include "DataItem.h"
#include "StandInLink.h"
#include "TezItemOperatorApi.h"
#include "TezLogOperatorApi.h"

static CStandInLink g_link(TEZ_MAIL_ITEM_OPERATOR);

static int Start(HWND parent, const char* name, TezMailHook hook, int useMappedMail,
                 int useMailslot, const char* indexFile) {
  return g_link.Initialize(parent, name, hook, useMappedMail, useMailslot, indexFile);
}

extern "C" {
int TEZAPI TezItemOperator_Initialize(HWND parent, const char* name, TezMailHook hook) {
  return Start(parent, name, hook, 0, 1, nullptr);
}
int TEZAPI TezItemOperator_Initialize2(HWND parent, const char* name, TezMailHook hook,
                                       int useMappedMail, int useMailslot) {
  return Start(parent, name, hook, useMappedMail, useMailslot, nullptr);
}
int TEZAPI TezItemOperator_Initialize3(HWND parent, const char* name, TezMailHook hook,
                                       int useMappedMail, int useMailslot, const char* index) {
  return Start(parent, name, hook, useMappedMail, useMailslot, index);
}
int TEZAPI TezItemOperator_Close() {
  g_link.Close();
  return 1;
}
void TEZAPI TezItemOperator_Operate(CDataItem* item) {
  if (!g_link.IsReady() || !item) return;
  g_link.SendEvent(TEZ_EVENT_START);
#ifdef PEER_FETCH
  CUrlParts parts;
  SplitUrl(item->GetLink().c_str(), parts);
  const std::string source = InCurrentDirectory(("source\\" + parts.path).c_str());
  std::string temp;
  if (GetFileAttributesA(source.c_str()) == INVALID_FILE_ATTRIBUTES ||
      !item->GetNewTempFile(temp, "wav", 1, nullptr) ||
      !CopyFileA(source.c_str(), temp.c_str(), FALSE)) {
    item->SetErrorHint("File not found on the server.", 1);
    item->SetRecStatus(6);
    g_link.SendError("File not found on the server.");
  } else {
    item->AddTempFile(nullptr);
    item->IncPlayableTempFiles();
    item->SetCurrentExtension("wav");
    const int values[3] = {1, 100, 100};
    g_link.SendStatus(3, values, "Downloading");
  }
#endif
  g_link.SendEvent(TEZ_EVENT_STOP);
}
int TEZAPI TezItemOperator_Stop() { return 0; }
void TEZAPI TezItemOperator_Pause() {}
int TEZAPI TezItemOperator_GetVersion() { return g_link.IsReady() ? 1 : 0; }
int TEZAPI TezItemOperator_GetState() { return g_link.IsReady(); }
int TEZAPI TezItemOperator_GetLinkEnabled() { return g_link.IsReady(); }
const char* TEZAPI TezItemOperator_GetOutputType(const char* type) {
  return g_link.IsReady() ? type : nullptr;
}
#ifdef PEER_LOG
void TEZAPI TezLogOperator_LogItem(CDataItem* item, const char* text) {
  if (!g_link.IsReady() || !item) return;
  FILE* log = fopen(InCurrentDirectory("RecPeerLog.txt").c_str(), "ab");
  if (log) {
    item->WriteLog(log, item->GetChannel().c_str(), text ? text : "");
    fclose(log);
  }
  g_link.SendEvent(TEZ_EVENT_STOP);
}
void TEZAPI TezLogOperator_SendLog() {
  if (g_link.IsReady()) g_link.SendEvent(TEZ_EVENT_STOP);
}
#endif
}
