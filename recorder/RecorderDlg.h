// The Recorder's main dialog, captioned "Recorder": start-up, the activity
// log, the controller's commands, the run state machine (one self-posted
// message per step) and the sorting of incoming mail.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <deque>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "Dialer.h"
#include "IniManager.h"
#include "LibraryMap.h"
#include "LogOperator.h"
#include "MailSlot.h"
#include "MediaWrapper.h"
#include "Mixer.h"
#include "RecorderChannel.h"
#include "RecorderIds.h"
#include "TezDialog.h"
#include "TezItemsApi.h"
#include "WavPlayer.h"

class CRecorderDlg : public CTezDialog {
 public:
  explicit CRecorderDlg(bool startedByController);
  ~CRecorderDlg() override;

  // Activity log: any thread may call it.
  void Log(const char* text);
  void LogF(const char* format, ...);

 protected:
  BOOL OnInitDialog() override;
  const TezMessageEntry* GetMessageMap() const override;

 private:
  // Start-up (RecorderStartup.cpp).
  bool OpenMail();
  void OpenLogFile();
  void ReadSettings();
  void ReadDisabledFormats(const std::string& text);
  void ReadDisabledIds(const std::string& ids, int audioTrap, const std::string& trapIds);
  void LoadPluginLists();
  void LoadWavPlayer();
  void LoadLogOperator();
  void LoadMedia();
  void LoadDialer();
  void DeleteAll();
  void DeleteChannels();
  std::string Param(const char* section, const char* key);
  int ParamInt(const char* section, const char* key);
  void WriteRecorderState(int state);
  void SetErrorHint(const char* text);

  // Activity log (RecorderLog.cpp).
  void DrainLog();
  void WriteLine(const char* text);

  // Window messages of the dialog (RecorderDlg.cpp).
  LRESULT OnTextReport(WPARAM, LPARAM);
  LRESULT OnLogQueued(WPARAM, LPARAM);
  LRESULT OnStartMessage(WPARAM, LPARAM);
  LRESULT OnErrorMessage(WPARAM, LPARAM);
  LRESULT OnOkMessage(WPARAM, LPARAM);
  LRESULT OnDebugMessage(WPARAM, LPARAM);
  LRESULT OnPostInit(WPARAM, LPARAM);
  LRESULT OnTerminateMessage(WPARAM, LPARAM);
  LRESULT OnStopMessage(WPARAM, LPARAM);
  LRESULT OnSkipMessage(WPARAM, LPARAM);
  LRESULT OnHide(WPARAM, LPARAM);
  LRESULT OnShowWindow(WPARAM, LPARAM);
  LRESULT OnTimer(WPARAM, LPARAM);
  LRESULT OnOK(WPARAM, LPARAM);
  LRESULT OnCancel(WPARAM, LPARAM);
  LRESULT OnClose(WPARAM, LPARAM);
  LRESULT OnConnect(WPARAM, LPARAM);
  LRESULT OnDisconnect(WPARAM, LPARAM);
  LRESULT OnDialCheck(WPARAM, LPARAM);
  LRESULT OnMailQueued(WPARAM, LPARAM);
  LRESULT OnCommandMessage(WPARAM, LPARAM);
  LRESULT OnStep(UINT message);
  LRESULT OnRecordMessage(UINT category, WPARAM wParam);
  LRESULT OnMediaMessage(WPARAM w, LPARAM) { return OnRecordMessage(TEZ_MAIL_MEDIA, w); }
  LRESULT OnDialerMessage(WPARAM w, LPARAM) { return OnRecordMessage(TEZ_MAIL_DIALER, w); }
  LRESULT OnChannelOpMessage(WPARAM w, LPARAM) {
    return OnRecordMessage(TEZ_MAIL_CHANNEL_OPERATOR, w);
  }
  LRESULT OnItemOpMessage(WPARAM w, LPARAM) {
    return OnRecordMessage(TEZ_MAIL_ITEM_OPERATOR, w);
  }
  LRESULT OnItemPlayerMessage(WPARAM w, LPARAM) {
    return OnRecordMessage(TEZ_MAIL_ITEM_PLAYER, w);
  }
  template <UINT N>
  LRESULT Step(WPARAM, LPARAM) {
    return OnStep(N);
  }

  // The run (RecorderRun.cpp, RecorderSteps.cpp).
  void OnOperate();
  void OnStop();
  void OnSkip();
  void RunClock();
  void OnLoadChannels();
  void OnSetDialer();
  // Posts a step; a run step is taken only as the one the run posted last,
  // so that a step posted out of turn (late, or from another process) finds
  // no cursor that it does not own.
  void Next(UINT step) {
    if (step != STEP_PRE_DISCONNECT && step != STEP_SEND_LOG_FINISHED) m_stepDue = step;
    PostMessage(step);
  }
  // Stores the step that the next answer of that sender posts; with an
  // event value, only an answer with that event.
  void Await(int category, UINT step, int event = -1);
  // Posts the stored step when it waits for that sender and event; clears it.
  void Continue(int category, int event = -1);
  // A media call that was refused ends the run as an error.
  void MediaCalled(int result, const char* step);
  bool Stopping(const char* step);
  bool KeepItem(const CDataItem* item) const;
  CDataItem* NextKeptItem();
  bool DiskShort();
  void Pause(UINT next);
  void Connect(int connect, UINT next);
  void PlayWave(const std::string& name, UINT next);
  std::string NextRecordFile();
  void SetRecStatus(CDataItem* item, int status);
  void StepNextItemOperator();
  void StepItemPlay();
  void FinishRun();
  CRecorderChannel* CurrentChannel() const;

  // Mail and reports (RecorderMail.cpp).
  void DispatchMail();
  void OnInternalMail(const MailMessage& mail);
  void OnMediaMail(const MailMessage& mail);
  void OnDialerMail(const MailMessage& mail);
  void OnChannelOperatorMail(const MailMessage& mail);
  void OnItemOperatorMail(const MailMessage& mail);
  void OnItemPlayerMail(const MailMessage& mail);
  void OnControllerCommand(int command, LPARAM argument);
  std::string ItemStatusLine(const MailMessage& mail, const char* defaultText, int* kind);
  void Report(int code, int value);  // window and mail
  void ReportMail(int code, int count, const int* values, const char* text);
  void ReportState(int state);
  void ReportChannel(CRecorderChannel* channel);
  void ReportItem(CDataItem* item);
  void ReportError(const char* text);

  // Paths and settings.
  std::string m_programFolder, m_paramFile, m_dataFolder, m_wavFolder, m_tempFolder,
      m_filesFolder, m_dataFile;
  int m_logFile = 0, m_sendActivityLog = 0, m_storeRecState = 0, m_playOpeningSetting = 0;
  int m_showDialog = 0, m_removeBlanks = 0, m_useVirtualMedia = 0, m_playSelectedItem = 0;
  int m_doNotPlay = 0, m_doNotPlayOpening = 0, m_record2File = 0, m_tezAudioDevice = 0;
  int m_activityLogSending = 0, m_playOpening = 0;
  std::string m_statusWord = "Recording";
  std::string m_startRecordMusic, m_startCassetteMessage, m_endCassetteMessage;
  double m_masterVolume = -1, m_wavOutVolume = -1;  // fractions; -1: not set
  std::string m_defaultExtension, m_mediaType, m_mediaDll, m_dialerDll;
  int m_mediaLengthMinutes = 0;
  DWORD m_lengthLimit = 0;
  bool m_lengthLimited = false;
  uint64_t m_minRecSpace = 0;
  std::string m_itemOperatorsFile = "TezItemOperators.inx", m_itemPlayersFile = "TezPlayers.inx",
              m_channelOperatorsFile = "TezChannelOperators.inx", m_playerFormat = "wav";
  CStringList m_disabledFormats, m_disabledIds;
  bool m_audioSwitch = false;

  // Libraries.
  HMODULE m_items = nullptr;
  CreateNewItem_t m_createItem = nullptr;
  CreateNewOperator_t m_createOperator = nullptr;
  CreateNewPlayer_t m_createPlayer = nullptr;
  std::unique_ptr<CIniManager> m_ini;
  CChannelOperatorMap m_channelOperators;
  CItemOperatorMap m_itemOperators;
  CItemPlayerMap m_itemPlayers;
  CWavPlayer* m_pWavPlayer = nullptr;
  CLogOperator* m_logOperator = nullptr;
  std::unique_ptr<CMediaWrapper> m_pMedia;
  std::unique_ptr<CDialer> m_dialer;
  std::unique_ptr<CTezMixer> m_mixer;

  // Mail.
  std::unique_ptr<CMailSlot> m_server, m_controller;
  HWND m_controlWindow = nullptr;

  // Run.
  int m_recorderState = 0;
  int m_runState = eStateMachineState_NotDefined;
  UINT m_continuation = 0;
  int m_continuationFrom = 0;
  int m_continuationEvent = -1;
  UINT m_stepDue = 0;              // the run step posted and not yet taken
  bool m_preDisconnecting = false;  // a pre-disconnect waits for its log to be sent
  bool m_errorReported = false;     // this run's halt has been reported
  UINT m_savedContinuation = 0;
  int m_savedContinuationFrom = 0;
  int m_savedContinuationEvent = -1;
  bool m_initError = false, m_terminating = false, m_kill = false, m_refuseCommands = true;
  bool m_startedByController;
  bool m_running = false;
  bool m_stop = false, m_skip = false, m_blankPauseMark = false;
  int m_mediaEvent = 0, m_lastPlayerEvent = TEZ_EVENT_STOP;
  std::list<std::unique_ptr<CRecorderChannel>> m_channels;
  std::list<std::unique_ptr<CRecorderChannel>>::iterator m_channelCursor;
  CRecorderChannel* m_channel = nullptr;
  size_t m_itemCursor = 0;
  CDataItem* m_item = nullptr;
  size_t m_operatorCursor = 0;
  CTezItemOperator* m_operator = nullptr;
  DWORD m_runStart = 0, m_lastTick = 0, m_elapsed = 0, m_recorded = 0, m_resumeMark = 0;
  DWORD m_mediaPosition = 0;
  bool m_mediaPositionArrived = false, m_playerStatusArrived = false;
  int m_playerSeconds[2] = {0, 0};
  bool m_clockRunning = false;
  // Where the dial-up connection is needed: operator and player flag of
  // each item, as the dialer planning set them.
  std::unordered_map<const CDataItem*, std::pair<int, int>> m_connectFlags;
  CStringList m_recordFiles;
  int m_fileCounter = 0;

  // Activity log.
  CRITICAL_SECTION m_logLock;
  std::deque<std::string> m_logQueue;
  FILE* m_log = nullptr;
  int m_linesShown = 0;
  bool m_editLogging = true;

  // Audio switch (AudioSwitch.cpp).
  int SwitchAudioDevice(const char* name);
  void RestorePreferredAudio();
  std::string m_prevAudioDevice;
  bool m_restoring = false;
};
