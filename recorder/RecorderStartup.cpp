// Start-up of the dialog: settings, mail, the plug-in lists of the medium
// and the libraries every run needs; and their release at the end.
#include <algorithm>
#include <cstdlib>
#include <type_traits>

#include "RecorderDlg.h"
#include "TextReport.h"

namespace {

const char kRecorderSlot[] = "\\\\.\\mailslot\\Brindale_Recorder_Mailslot";
const char kControllerSlot[] = "\\\\.\\mailslot\\Pellomar";

// In-process delivery of the plug-ins' mail until the self-test arrives.
CMailSlot* g_hookTarget = nullptr;

void TEZAPI DeliverHook(const MailMessage* mail) {
  if (g_hookTarget && mail) g_hookTarget->PutMail(mail);
}

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder;
}

}  // namespace

void SwitchDeliverHookOff() { g_hookTarget = nullptr; }

std::string CRecorderDlg::Param(const char* section, const char* key) {
  return m_ini ? m_ini->GetString(m_paramFile.c_str(), section, key) : std::string();
}

int CRecorderDlg::ParamInt(const char* section, const char* key) {
  return atoi(Param(section, key).c_str());
}

void CRecorderDlg::WriteRecorderState(int state) {
  m_recorderState = state;
  if (m_ini) m_ini->WriteInt(m_paramFile.c_str(), "Recorder", "recorderState", state);
}

void CRecorderDlg::SetErrorHint(const char* text) {
  LogF("SetErrorHint%s%s", text ? " " : "", text ? text : "");
  if (m_ini) m_ini->WriteString(m_paramFile.c_str(), "Recorder", "errorHint", text);
}

BOOL CRecorderDlg::OnInitDialog() {
  HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
  SendMessageA(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageA(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  EnableDlgItem(IDC_SKIP, FALSE);
  EnableDlgItem(IDC_STOP, FALSE);

  m_ini.reset(new CIniManager("TezIniManager.dll", 1));
  if (!m_ini->GetDllLoadState()) {
    MessageBoxA(m_hwnd, "Brindale error 120. Terminating.", nullptr, MB_OK);
    m_ini.reset();
    EndDialog(IDCANCEL);
    return TRUE;
  }
  char folder[257] = {};
  GetCurrentDirectoryA(256, folder);
  m_programFolder = WithSlash(folder);
  m_paramFile = m_programFolder + "TezParam.inx";
  m_dataFolder = m_programFolder + WithSlash(Param("Folders", "dataFolder"));
  m_wavFolder = m_programFolder + WithSlash(Param("Folders", "wavFolder"));
  m_tempFolder = m_programFolder + WithSlash(Param("Folders", "tempFolder"));
  const std::string files = Param("Folders", "filesFolder");
  m_filesFolder = files.empty() ? std::string() : m_programFolder + WithSlash(files);
  m_dataFile = m_dataFolder + "TezData.inx";
  CreateDirectoryA(m_tempFolder.c_str(), nullptr);
  WriteRecorderState(0);

  if (!OpenMail()) {
    MessageBoxA(m_hwnd, "Brindale error 130. Terminating.", nullptr, MB_OK);
    EndDialog(IDCANCEL);
    return TRUE;
  }
  if (ParamInt("Recorder", "logFile")) OpenLogFile();
  ReadSettings();
  LoadPluginLists();
  if (!m_initError) LoadWavPlayer();
  LoadLogOperator();
  if (!m_initError) LoadMedia();
  LoadDialer();
  WriteRecorderState(1);
  m_refuseCommands = false;
  m_runState = eStateMachineState_Idle;
  return TRUE;
}

bool CRecorderDlg::OpenMail() {
  m_server.reset(new CMailSlot());
  m_server->EnableMappedMail(1);
  if (!m_server->Initialize(kRecorderSlot, TEZ_MAIL_RECORDER, 0, m_hwnd)) {
    m_server.reset();
    return false;
  }
  g_hookTarget = m_server.get();

  m_controller.reset(new CMailSlot());
  m_controller->EnableMappedMail(1);
  if (!m_controller->Initialize(kControllerSlot, TEZ_MAIL_TO_CONTROLLER, 1, nullptr))
    Log("Failed to initialize pellomar mailslot");

  CMailSlot test;
  if (test.Initialize(kRecorderSlot, TEZ_MAIL_INTERNAL, 1, m_hwnd))
    test.SendMail(TEZ_MSG_TEST, 0, "internal test");
  else
    Log("Failed to open internal mailslot for testing");
  return true;
}

void CRecorderDlg::ReadSettings() {
  m_logFile = ParamInt("Recorder", "logFile");
  ParamInt("Recorder", "waitFlag");
  m_sendActivityLog = ParamInt("Recorder", "sendActivityLog");
  m_storeRecState = ParamInt("Recorder", "storeRecState");
  m_playOpeningSetting = ParamInt("Recorder", "playOpening");
  m_showDialog = ParamInt("Recorder", "showRecorderDialog");
  m_removeBlanks = ParamInt("Recorder", "removeBlanks");
  m_useVirtualMedia = ParamInt("Recorder", "useVirtualMedia");
  m_playSelectedItem = ParamInt("Recorder", "playSelectedItem");
  m_ini->WriteInt(m_paramFile.c_str(), "Recorder", "playSelectedItem", 0);
  m_startRecordMusic = Param("Recorder", "startRecordMusic");
  m_startCassetteMessage = Param("Recorder", "startCassetteMessage");
  m_endCassetteMessage = Param("Recorder", "endCassetteMessage");
  // A level that is not set stays as the mixer has it; a stored 0 is silence.
  auto level = [this](const char* key) {
    const std::string text = Param("Recorder", key);
    return text.empty() ? -1.0 : atof(text.c_str());
  };
  m_masterVolume = level("masterVolume");
  m_wavOutVolume = level("wavOutVolume");
  m_defaultExtension = Param("Extensions", "defaultExtension");
  char dialerKey[32];
  snprintf(dialerKey, sizeof dialerKey, "dialerDll%d", ParamInt("Dialer", "useDialer"));
  m_dialerDll = Param("Dialer", dialerKey);
  m_minRecSpace = uint64_t(ParamInt("Notifications", "minRecSpace")) * 1000000u;

  m_mediaType = Param("MediaTypes", m_useVirtualMedia ? "virtualMediaType" : "selectedMediaType");
  const char* type = m_mediaType.c_str();
  m_doNotPlay = m_useVirtualMedia ? 0 : ParamInt(type, "doNotPlay");
  m_doNotPlayOpening = ParamInt(type, "doNotPlayOpening");
  m_mediaDll = Param(type, "dllName");
  m_mediaLengthMinutes = ParamInt(type, "mediaLength");
  m_lengthLimit = DWORD(m_mediaLengthMinutes) * 60000u;
  m_lengthLimited = m_mediaLengthMinutes != 0;
  auto fileOr = [this, type](const char* key, std::string& file) {
    std::string value = Param(type, key);
    if (!value.empty()) file = value;
  };
  fileOr("itemOperatorsFile", m_itemOperatorsFile);
  fileOr("itemPlayersFile", m_itemPlayersFile);
  fileOr("channelOperatorsFile", m_channelOperatorsFile);
  fileOr("playerFormat", m_playerFormat);
  m_record2File = ParamInt(type, "record2File");
  m_tezAudioDevice = ParamInt(type, "tezAudioDevice");

  m_activityLogSending = m_sendActivityLog && m_storeRecState;
  m_playOpening = m_playOpeningSetting && !m_doNotPlay && !m_doNotPlayOpening;
  m_statusWord = (m_playSelectedItem || !m_storeRecState) ? "Playing" : "Recording";

  if (m_showDialog) ShowWindow(m_hwnd, SW_SHOW);
  char length[16];
  snprintf(length, sizeof length, "%02d:%02d", m_mediaLengthMinutes, 0);
  SetDlgItemText(IDC_MEDIA_LENGTH, length);

  ReadDisabledFormats(Param(type, "disabledFormats"));

  if (m_record2File && !m_filesFolder.empty()) {
    CreateDirectoryA(m_filesFolder.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((m_filesFolder + "tez????.wav").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do DeleteFileA((m_filesFolder + found.cFileName).c_str());
      while (FindNextFileA(search, &found));
      FindClose(search);
    }
    m_fileCounter = 0;
  } else if (m_record2File) {
    m_record2File = 0;
    Log("Empty files path. Switching to speaker output");
  }

  m_mixer.reset(new CTezMixer());
  m_mixer->Remember();

  ReadDisabledIds(Param("Recorder", "disabledIds"), ParamInt("Recorder", "audioTrap"),
                  Param("Recorder", "audioTrapId"));
}

void CRecorderDlg::ReadDisabledFormats(const std::string& text) {
  const std::string value = text == "(null)" ? std::string() : text;
  LogF("media disabled formats: %s", value.c_str());
  m_disabledFormats.clear();
  for (const std::string& part : SplitText(ToLower(value), ',')) {
    std::string entry = Trim(part);
    if (!entry.empty()) m_disabledFormats.push_back(entry);
  }
  LogF("%s [total=%ld]", value.c_str(), long(m_disabledFormats.size()));
}

static void AddOnce(CStringList& list, const std::string& id) {
  if (std::find(list.begin(), list.end(), id) == list.end()) list.push_back(id);
}

void CRecorderDlg::ReadDisabledIds(const std::string& ids, int audioTrap,
                                   const std::string& trapIds) {
  m_disabledIds.clear();
  for (const std::string& part : SplitText(ToLower(ids), ',')) {
    std::string id = Trim(part);
    if (!id.empty()) AddOnce(m_disabledIds, id);
  }
  const std::string trap = ToLower(Trim(trapIds));
  if (audioTrap) {
    m_audioSwitch = true;
    for (const std::string& part : SplitText(trap, ',')) {
      std::string id = Trim(part);
      if (!id.empty()) AddOnce(m_disabledIds, id);
    }
  } else {
    if (!trap.empty())
      m_disabledIds.erase(std::remove(m_disabledIds.begin(), m_disabledIds.end(), trap),
                          m_disabledIds.end());
    m_audioSwitch = m_tezAudioDevice != 0;
  }
}

void CRecorderDlg::LoadPluginLists() {
  m_items = LoadLibraryA("TezItems.dll");
  if (m_items) {
    auto bind = [this](auto& entry, const char* name) {
      entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(
          reinterpret_cast<void*>(GetProcAddress(m_items, name)));
    };
    bind(m_createItem, "CreateNewItem");
    bind(m_createOperator, "CreateNewOperator");
    bind(m_createPlayer, "CreateNewPlayer");
  }
  auto record = [this](const std::string& index) {
    return CTezDllInitParams(m_hwnd, kRecorderSlot, DeliverHook, 0, 1, index.c_str());
  };
  m_channelOperators.SetParams(record(m_channelOperatorsFile));
  m_itemOperators.SetParams(record(m_itemOperatorsFile));
  m_itemPlayers.SetParams(record(m_itemPlayersFile));
  auto each = [this](const std::string& indexFile, auto add) {
    const std::string index = m_programFolder + indexFile;
    const int count = m_ini->GetInt(index.c_str(), "Entry List", "numberEntries");
    for (int n = 1; n <= count; ++n) {
      char key[32];
      snprintf(key, sizeof key, "entry%d", n);
      std::string name = m_ini->GetString(index.c_str(), "Entry List", key);
      if (!name.empty()) add(name);
    }
  };
  each(m_channelOperatorsFile, [this](const std::string& name) {
    m_channelOperators.Add(name, new CChannelOperator(name.c_str(), &m_disabledIds, 0,
                                                      &m_channelOperators.GetParams()));
  });
  each(m_itemOperatorsFile, [this](const std::string& name) {
    const CTezDllInitParams* params = &m_itemOperators.GetParams();
    m_itemOperators.Add(name, m_createOperator
                                  ? m_createOperator(name.c_str(), &m_disabledIds, 0, params)
                                  : MakeItemOperator(name.c_str(), &m_disabledIds, 0, params));
  });
  each(m_itemPlayersFile, [this](const std::string& name) {
    const CTezDllInitParams* params = &m_itemPlayers.GetParams();
    m_itemPlayers.Add(name, m_createPlayer
                                ? m_createPlayer(name.c_str(), &m_disabledIds, 0, params)
                                : MakeItemPlayer(name.c_str(), &m_disabledIds, 0, params));
  });
}

void CRecorderDlg::LoadWavPlayer() {
  m_pWavPlayer = static_cast<CWavPlayer*>(m_itemPlayers.FirstSupporting(m_playerFormat.c_str()));
  const char* what = nullptr;
  if (!m_pWavPlayer)
    what = "m_pWavPlayer == NULL";
  else if (!m_pWavPlayer->GetDllLoadState())
    what = "GetDllLoadState";
  else if (!m_pWavPlayer->GetState())
    what = "GetState";
  if (!what) return;
  m_initError = true;
  LogF("Error loading WavPlayer DLL (format=%s, file=%s): %s", m_playerFormat.c_str(),
       m_itemPlayersFile.c_str(), what);
}

void CRecorderDlg::LoadLogOperator() {
  m_logOperator = static_cast<CLogOperator*>(m_itemOperators.FirstSupporting("actLog"));
  if (m_logOperator && m_logOperator->GetDllLoadState() && m_logOperator->GetState()) return;
  m_initError = true;
  Log("Error loading Log Operator DLL: ");
}

void CRecorderDlg::LoadMedia() {
  const CTezDllInitParams record(m_hwnd, kRecorderSlot, DeliverHook, 0, 1, "TezParam.inx");
  m_pMedia.reset(new CMediaWrapper(m_mediaDll.c_str(), nullptr, 1, &record));
  const char* what = nullptr;
  if (!m_pMedia->GetDllLoadState())
    what = "GetDllLoadState";
  else if (!m_pMedia->GetState())
    what = "GetState";
  if (!what) return;
  m_initError = true;
  LogF("Error loading Media DLL [%s]: %s", m_mediaDll.c_str(), what);
}

void CRecorderDlg::LoadDialer() {
  const CTezDllInitParams record(m_hwnd, kRecorderSlot, DeliverHook, 0, 1, "");
  m_dialer.reset(new CDialer(m_dialerDll.c_str(), nullptr, 1, &record));
  if (m_dialer->GetDllLoadState() && m_dialer->GetState()) {
    m_dialer->SetPreDisconnectMessage(m_activityLogSending);
    return;
  }
  Log("Dialer - Error loading Dialer DLL");
  m_initError = true;
}

void CRecorderDlg::DeleteChannels() {
  m_channels.clear();
  m_channelCursor = m_channels.end();
  m_channel = nullptr;
  m_item = nullptr;
  m_operator = nullptr;
}

void CRecorderDlg::DeleteAll() {
  if (m_clockRunning && m_hwnd) KillTimer(m_hwnd, kRunClockTimer);
  m_clockRunning = false;
  Log("DeleteAll - ItemOperators");
  m_logOperator = nullptr;
  m_itemOperators.Clear();
  Log("DeleteAll - ItemPlayers");
  m_pWavPlayer = nullptr;
  m_itemPlayers.Clear();
  Log("DeleteAll - ChannelList");
  DeleteChannels();
  Log("DeleteAll - ChannelOperators");
  m_channelOperators.Clear();
  Log("DeleteAll - Dialer");
  m_dialer.reset();
  RestorePreferredAudio();
  Log("DeleteAll - Media");
  m_pMedia.reset();
  Log("DeleteAll - Local mailSlot");
  SwitchDeliverHookOff();
  m_server.reset();
  Log("DeleteAll - Parent mailSlot");
  m_controller.reset();
  Log("DeleteAll - Mixer");
  if (m_recorderState != 1 && m_ini) {
    WriteRecorderState(1);
    if (m_mixer) m_mixer->Restore();
  }
  m_mixer.reset();
  if (m_items) {
    FreeLibrary(m_items);
    m_items = nullptr;
  }
}
