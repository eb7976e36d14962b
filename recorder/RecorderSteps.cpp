// The steps of a run, one self-posted window message each.
#include "RecorderDlg.h"

LRESULT CRecorderDlg::OnStep(UINT message) {
  // Steps belong to a run of this dialog; one posted at another time (a
  // late post, or another process) does nothing. The hang-up steps also
  // serve a Disconnect of the user between runs.
  const bool hangUp = message == STEP_PRE_DISCONNECT || message == STEP_SEND_LOG_FINISHED;
  if (m_terminating || (!m_running && !hangUp)) return 0;
  if (!hangUp) {
    if (message != m_stepDue) {
      LogF("Step %u out of turn ignored", message);
      return 0;
    }
    m_stepDue = 0;
  }
  auto pass = [this](const char* name) {
    m_runState = eStateMachineState_NotDefined;
    LogF("%s()", name);
  };
  auto acts = [this](int state, const char* name) {
    m_runState = state;
    LogF("%s()", name);
  };
  switch (message) {
    case STEP_LOAD_CHANNELS:
      OnLoadChannels();
      break;
    case STEP_SET_DIALER:
      OnSetDialer();
      break;
    case STEP_CHANNEL_LOOP:
      m_runState = eStateMachineState_NotDefined;
      if (Stopping("ChannelLoop")) return Next(STEP_RECORD_LOOP_FINISHED), 0;
      Log("ChannelLoop()");
      if (m_mixer) m_mixer->SetRunLevels(m_masterVolume, m_wavOutVolume);
      m_channelCursor = m_channels.begin();
      if (m_channels.empty()) {
        Log("Channel list is empty.");
        Next(STEP_RECORD_LOOP_FINISHED);
      } else {
        Next(STEP_INITIALIZE_MEDIA);
      }
      break;
    case STEP_INITIALIZE_MEDIA:
      if (Stopping("InitializeMedia")) return Next(STEP_RECORD_LOOP_FINISHED), 0;
      acts(eStateMachineState_InitializeMedia, "InitializeMedia");
      Await(TEZ_MAIL_MEDIA, STEP_EDITION_HEADER_RESUME, TEZ_EVENT_START);
      MediaCalled(m_pMedia->StartRecord(1, 1), "InitializeMedia");
      break;
    case STEP_EDITION_HEADER_RESUME:
      if (Stopping("EditionHeader_MediaResume")) return Next(STEP_FINISH_MEDIA), 0;
      pass("EditionHeader_MediaResume");
      m_resumeMark = m_recorded;
      WriteRecorderState(3);
      ReportState(3);
      Next(m_playOpening ? STEP_EDITION_HEADER_MUSIC : STEP_EDITION_HEADER_PAUSE);
      break;
    case STEP_EDITION_HEADER_MUSIC:
      if (Stopping("EditionHeader_PlayMusic")) return Next(STEP_FINISH_MEDIA), 0;
      acts(eStateMachineState_PlayHeader, "EditionHeader_PlayMusic");
      PlayWave(m_startRecordMusic, STEP_EDITION_HEADER_MESSAGE);
      break;
    case STEP_EDITION_HEADER_MESSAGE:
      if (Stopping("EditionHeader_PlayMessage")) return Next(STEP_FINISH_MEDIA), 0;
      acts(eStateMachineState_PlayHeader, "EditionHeader_PlayMessage");
      PlayWave(m_startCassetteMessage, STEP_EDITION_HEADER_PAUSE);
      break;
    case STEP_EDITION_HEADER_PAUSE:
      if (Stopping("EditionHeader_MediaPause")) return Next(STEP_FINISH_MEDIA), 0;
      pass("EditionHeader_MediaPause");
      EnableDlgItem(IDC_SKIP, TRUE);
      Pause(STEP_NEXT_CHANNEL);
      break;
    case STEP_NEXT_CHANNEL:
      m_runState = eStateMachineState_NotDefined;
      if (m_stop || m_channelCursor == m_channels.end()) {
        Stopping("NextChannel");
        m_channel = nullptr;
        Next(m_playOpening ? STEP_EDITION_FOOTER_RESUME : STEP_FINISH_DIALER);
        break;
      }
      Log("NextChannel()");
      m_channel = m_channelCursor->get();
      ++m_channelCursor;
      m_channel->SetRecordState(2);
      ReportChannel(m_channel);
      SetDlgItemText(IDC_CHANNEL_STATUS, m_channel->Section().c_str());
      if (m_channel->Operator())
        Connect(m_channel->DialerRequired(), STEP_CHANNEL_OPERATE);
      else
        Next(STEP_ITEM_LOOP);
      break;
    case STEP_CHANNEL_OPERATE:
      if (Stopping("ChannelOperate")) return Next(STEP_NEXT_CHANNEL), 0;
      m_runState = eStateMachineState_ChannelOperator;
      if (DiskShort()) {
        Log("ChannelOperate(): Not EnoughDiskSpace ");
        m_stop = true;
        SetErrorHint("Not enough disk space, stopped");
        Next(STEP_NEXT_CHANNEL);
        break;
      }
      LogF("ChannelOperate() : %s", m_channel->Section().c_str());
      Await(TEZ_MAIL_CHANNEL_OPERATOR, STEP_ITEM_LOOP);
      if (!m_channel->Operator() || !m_channel->Operator()->Operate(m_channel)) {
        m_continuation = 0;
        Next(STEP_ITEM_LOOP);
      }
      break;
    case STEP_ITEM_LOOP:
      if (Stopping("ItemLoop")) return Next(STEP_NEXT_CHANNEL), 0;
      pass("ItemLoop");
      m_itemCursor = 0;
      if (NextKeptItem()) {
        m_channel->SetRecordState(3);
        ReportChannel(m_channel);
        Next(m_playOpening ? STEP_CHANNEL_HEADER_RESUME : STEP_NEXT_ITEM);
      } else {
        m_channel->SetRecordState(4);
        ReportChannel(m_channel);
        Next(STEP_NEXT_CHANNEL);
      }
      break;
    case STEP_CHANNEL_HEADER_RESUME:
      if (Stopping("ChannelHeader_MediaResume")) return Next(STEP_CHANNEL_HEADER_PLAY), 0;
      acts(eStateMachineState_ChannelHeader, "ChannelHeader_MediaResume");
      m_resumeMark = m_recorded;
      Await(TEZ_MAIL_MEDIA, STEP_CHANNEL_HEADER_PLAY, TEZ_EVENT_START);
      MediaCalled(m_pMedia->Resume(), "ChannelHeader_MediaResume");
      break;
    case STEP_CHANNEL_HEADER_PLAY:
      if (Stopping("ChannelHeader_Play")) return Next(STEP_CHANNEL_HEADER_PAUSE), 0;
      acts(eStateMachineState_ChannelHeader, "ChannelHeader_Play");
      if (m_channel->WavFile().empty())
        Next(STEP_CHANNEL_HEADER_PAUSE);
      else
        PlayWave(m_channel->WavFile(), STEP_CHANNEL_HEADER_PAUSE);
      break;
    case STEP_CHANNEL_HEADER_PAUSE:
      if (Stopping("ChannelHeader_MediaPause")) return Next(STEP_NEXT_ITEM), 0;
      pass("ChannelHeader_MediaPause");
      Pause(STEP_NEXT_ITEM);
      break;
    case STEP_NEXT_ITEM: {
      if (Stopping("NextItem")) return Next(STEP_NEXT_CHANNEL), 0;
      pass("NextItem");
      CDataItem* item = NextKeptItem();
      m_item = item;
      if (item) {
        SetRecStatus(item, 2);
        ++m_itemCursor;
        ReportItem(item);
        Next(STEP_ITEM_OPERATORS_LOOP);
      } else {
        m_channel->SetRecordState(4);
        ReportChannel(m_channel);
        Next(STEP_NEXT_CHANNEL);
      }
      break;
    }
    case STEP_ITEM_OPERATORS_LOOP:
      if (Stopping("ItemOperatorsLoop")) return Next(STEP_ITEM_PLAY_DIALER), 0;
      pass("ItemOperatorsLoop");
      m_operatorCursor = 0;
      m_operator = nullptr;
      if (m_item && !m_item->GetOperators().empty()) {
        Connect(m_connectFlags[m_item].first, STEP_NEXT_ITEM_OPERATOR);
      } else if (m_doNotPlay) {
        SetRecStatus(m_item, 1);
        ReportItem(m_item);
        Next(STEP_ITEM_LOG);
      } else {
        Next(STEP_ITEM_PLAY_DIALER);
      }
      break;
    case STEP_NEXT_ITEM_OPERATOR:
      StepNextItemOperator();
      break;
    case STEP_ITEM_PLAY_DIALER:
      m_runState = eStateMachineState_NotDefined;
      if (m_skip) {
        m_skip = false;
        ReportItem(m_item);
        Log("ItemPlay_Dialer() : Skip. Skip to next Item.");
        Next(STEP_ITEM_LOG);
      } else if (!m_item || Stopping("ItemPlay_Dialer")) {
        Next(STEP_ITEM_PLAY_RESUME);
      } else {
        Log("ItemPlay_Dialer()");
        Connect(m_connectFlags[m_item].second, STEP_ITEM_PLAY_RESUME);
      }
      break;
    case STEP_ITEM_PLAY_RESUME:
      m_runState = eStateMachineState_NotDefined;
      if (m_skip) {
        m_skip = false;
        ReportItem(m_item);
        Log("ItemPlay_MediaResume() : Skip to next Item.");
        Next(STEP_ITEM_LOG);
      } else if (!m_item) {
        Next(STEP_ITEM_PLAY);
      } else if (Stopping("ItemPlay_MediaResume")) {
        ReportItem(m_item);
        Next(STEP_ITEM_PLAY);
      } else {
        Log("ItemPlay_MediaResume()");
        m_resumeMark = m_recorded;
        m_lastPlayerEvent = TEZ_EVENT_STOP;
        Await(TEZ_MAIL_MEDIA, STEP_ITEM_PLAY, TEZ_EVENT_START);
        MediaCalled(m_pMedia->Resume(), "ItemPlay_MediaResume");
      }
      break;
    case STEP_ITEM_PLAY:
      StepItemPlay();
      break;
    case STEP_ITEM_PLAY_PAUSE:
      m_runState = eStateMachineState_NotDefined;
      if (m_item && m_item->GetRecStatus() != 6) SetRecStatus(m_item, m_stop ? 7 : 4);
      if (m_item) ReportItem(m_item);
      if (!m_item || Stopping("ItemPlay_MediaPause")) {
        Next(STEP_ITEM_LOG);
        break;
      }
      Log("ItemPlay_MediaPause()");
      Pause(STEP_ITEM_LOG);
      break;
    case STEP_ITEM_LOG:
      if (!m_item || Stopping("ItemPlay_LogItem")) return Next(STEP_NEXT_ITEM), 0;
      acts(eStateMachineState_ItemLog, "ItemPlay_LogItem");
      Await(TEZ_MAIL_ITEM_OPERATOR, STEP_NEXT_ITEM);
      if (!m_logOperator || !m_logOperator->LogItem(m_item, m_mediaType.c_str())) {
        m_continuation = 0;
        Next(STEP_NEXT_ITEM);
      }
      break;
    case STEP_EDITION_FOOTER_RESUME:
      EnableDlgItem(IDC_SKIP, FALSE);
      if (Stopping("EditionFooter_MediaResume")) return Next(STEP_EDITION_FOOTER_MESSAGE), 0;
      pass("EditionFooter_MediaResume");
      m_resumeMark = m_recorded;
      Await(TEZ_MAIL_MEDIA, STEP_EDITION_FOOTER_MESSAGE, TEZ_EVENT_START);
      MediaCalled(m_pMedia->Resume(), "EditionFooter_MediaResume");
      break;
    case STEP_EDITION_FOOTER_MESSAGE:
      if (Stopping("EditionFooter_PlayMessage")) return Next(STEP_FINISH_DIALER), 0;
      acts(eStateMachineState_PlayFooter, "EditionFooter_PlayMessage");
      PlayWave(m_endCassetteMessage, STEP_FINISH_DIALER);
      break;
    case STEP_FINISH_DIALER:
      acts(eStateMachineState_DialerDisconnect, "FinishRecordLoop_Dialer");
      Connect(0, STEP_FINISH_MEDIA);
      break;
    case STEP_FINISH_MEDIA:
      acts(eStateMachineState_Finishrecord, "FinishRecordLoop_Media");
      Await(TEZ_MAIL_MEDIA, STEP_RECORD_LOOP_FINISHED, TEZ_EVENT_STOP);
      MediaCalled(m_stop            ? m_pMedia->Stop()
                  : m_record2File ? m_pMedia->FinishRecordWithWavs(1, m_recordFiles)
                                  : m_pMedia->FinishRecord(1),
                  "FinishRecordLoop_Media");
      break;
    case STEP_RECORD_LOOP_FINISHED:
      FinishRun();
      break;
    case STEP_PRE_DISCONNECT:
      // One hang-up at a time: a second pre-disconnect would save the first
      // one's continuation in place of the run's, and the run would wait
      // for ever.
      if (m_preDisconnecting) {
        Log("PreDisconnect() : a hang-up is under way, ignored");
        break;
      }
      Log("PreDisconnect()");
      m_preDisconnecting = true;
      m_savedContinuation = m_continuation;
      m_savedContinuationFrom = m_continuationFrom;
      m_savedContinuationEvent = m_continuationEvent;
      if (m_activityLogSending && m_logOperator) {
        m_runState = eStateMachineState_SendLog;
        Await(TEZ_MAIL_ITEM_OPERATOR, STEP_SEND_LOG_FINISHED);
        if (!m_logOperator->SendLog()) {
          m_continuation = 0;
          Next(STEP_SEND_LOG_FINISHED);
        }
      } else {
        m_runState = eStateMachineState_NotDefined;
        Connect(0, STEP_SEND_LOG_FINISHED);
      }
      break;
    case STEP_SEND_LOG_FINISHED:
      if (!m_preDisconnecting) {
        LogF("Step %u out of turn ignored", message);
        break;
      }
      m_preDisconnecting = false;
      Log("SendLogFinished()");
      m_continuation = m_savedContinuation;
      m_continuationFrom = m_savedContinuationFrom;
      m_continuationEvent = m_savedContinuationEvent;
      m_savedContinuation = 0;
      if (!m_running) m_runState = eStateMachineState_Idle;
      if (!m_dialer || m_dialer->Connect(0) <= 0) Continue(m_continuationFrom, m_continuationEvent);
      break;
    default:
      break;
  }
  return 0;
}

void CRecorderDlg::StepNextItemOperator() {
  m_runState = eStateMachineState_NotDefined;
  if (!m_stop && DiskShort()) {
    m_stop = true;
    Log("NextItemOperator(): Not EnoughDiskSpace ");
    SetErrorHint("Not enough disk space, stopped");
  }
  if (Stopping("NextItemOperator")) return Next(STEP_ITEM_PLAY_DIALER);
  if (!m_item) {
    Log("NextItemOperator(): null item ");
    return Next(STEP_ITEM_PLAY_DIALER);
  }
  if (m_skip) {
    m_skip = false;
    ReportItem(m_item);
    Log("NextItemOperator() : Skip to next Item.");
    return Next(STEP_ITEM_LOG);
  }
  if (m_item->GetRecStatus() == 6) {
    ReportItem(m_item);
    Log("NextItemOperator() : error. Skip to next Item.");
    return Next(STEP_ITEM_LOG);
  }
  const std::vector<CTezItemOperator*>& chain = m_item->GetOperators();
  if (m_operatorCursor < chain.size()) {
    m_operator = chain[m_operatorCursor++];
    LogF("NextItemOperator() : %s", m_operator->GetDllName().c_str());
    Await(TEZ_MAIL_ITEM_OPERATOR, STEP_NEXT_ITEM_OPERATOR);
    m_item->SetSecondsLeft(m_lengthLimited ? int32_t((int64_t(m_lengthLimit) - m_recorded) / 1000)
                                           : -1);
    if (!m_operator->Operate(m_item)) {
      m_continuation = 0;
      return Next(STEP_NEXT_ITEM_OPERATOR);
    }
    m_runState = eStateMachineState_ItemOperator;
    return;
  }
  m_operator = nullptr;
  if (m_doNotPlay) {
    Log("NextItemOperator(): doNotPlay - skip to next item");
    SetRecStatus(m_item, 1);
    ReportItem(m_item);
    return Next(STEP_ITEM_LOG);
  }
  Log("NextItemOperator() - no more operators");
  Next(STEP_ITEM_PLAY_DIALER);
}

void CRecorderDlg::StepItemPlay() {
  m_runState = eStateMachineState_ItemPlayer;
  if (!m_stop && DiskShort()) {
    m_stop = true;
    Log("ItemPlay(): Not EnoughDiskSpace ");
    SetErrorHint("Not enough disk space, stopped");
  }
  if (Stopping("ItemPlay")) return Next(STEP_ITEM_PLAY_PAUSE);
  if (!m_item) {
    Log("ItemPlay(): null item ");
    return Next(STEP_ITEM_PLAY_PAUSE);
  }
  if (m_skip) {
    m_skip = false;
    ReportItem(m_item);
    Log("ItemPlay() : Skip. Skip to next Item.");
    return Next(STEP_ITEM_LOG);
  }
  if (m_item->GetRecStatus() == 6) {
    // An item that an operator failed is never played.
    ReportItem(m_item);
    Log("ItemPlay() : error. Skip to next Item.");
    return Next(STEP_ITEM_LOG);
  }
  Await(TEZ_MAIL_ITEM_PLAYER, STEP_ITEM_PLAY_PAUSE);
  SetRecStatus(m_item, 3);
  ReportItem(m_item);
  CTezItemPlayer* player = m_item->GetPlayer();
  if (!player) {
    LogF("ItemPlay() : name=%ld, NULL player - skipped", m_item->GetNumber());
    m_continuation = 0;
    return Next(STEP_ITEM_PLAY_PAUSE);
  }
  LogF("ItemPlay() : name=%ld, player=%s", m_item->GetNumber(), player->GetDllName().c_str());
  const std::string record = m_record2File ? NextRecordFile() : std::string();
  m_item->SetRecordFile(m_record2File, m_record2File ? record.c_str() : nullptr);
  if (!player->Play(m_item)) {
    m_continuation = 0;
    return Next(STEP_ITEM_PLAY_PAUSE);
  }
}

void CRecorderDlg::FinishRun() {
  m_runState = eStateMachineState_Idle;
  Log("RecordLoopFinished()");
  if (m_mixer) m_mixer->Restore();
  EnableDlgItem(IDC_SKIP, FALSE);
  EnableDlgItem(IDC_STOP, FALSE);
  WriteRecorderState(1);
  ReportState(1);
  m_continuation = 0;
  Log("Finished the channel list.");
  if (m_clockRunning) KillTimer(m_hwnd, kRunClockTimer);
  m_clockRunning = false;
  m_running = false;
  if (m_kill) PostMessage(WM_TEZ_RECORDER_TERMINATE);
}

void CRecorderDlg::OnLoadChannels() {
  if (!Stopping("OnLoadChannels")) {
    Log("OnLoadChannels()");
    DeleteChannels();
    m_connectFlags.clear();
    const int count = m_ini->GetInt(m_dataFile.c_str(), "Entry List", "numberEntries");
    LogF("Number of channels : %d", count);
    for (int n = 1; n <= count && !m_terminating && !m_stop; ++n) {
      char key[32];
      snprintf(key, sizeof key, "entry%d", n);
      const std::string section = m_ini->GetString(m_dataFile.c_str(), "Entry List", key);
      const std::string name = m_ini->GetString(m_dataFile.c_str(), section.c_str(), "name");
      LogF("Channel #%d : number = %s, name = %s", n, section.c_str(), name.c_str());
      std::unique_ptr<CRecorderChannel> channel(new CRecorderChannel());
      channel->Init(m_hwnd, m_paramFile.c_str(), m_dataFolder.c_str(), m_tempFolder.c_str(),
                    m_dataFile.c_str(), name.c_str(), section.c_str(), &m_channelOperators,
                    &m_itemOperators, &m_itemPlayers, m_defaultExtension.c_str(),
                    m_storeRecState, m_playSelectedItem, &m_disabledFormats, m_createItem);
      if (channel->Load())
        m_channels.push_back(std::move(channel));
      else
        Log("Non Active channel");
    }
    LogF("Actual number of channels : %d", int(m_channels.size()));
  }
  Next(STEP_SET_DIALER);
}

void CRecorderDlg::OnSetDialer() {
  if (Stopping("OnSetDialer")) return Next(STEP_CHANNEL_LOOP);
  Log("OnSetDialer()");
  for (const auto& channel : m_channels)
    for (CDataItem* item : channel->Items())
      m_connectFlags[item] = {item->GetOperatorConnection(), item->GetPlayerConnection()};
  auto needs = [this](CRecorderChannel* channel, int* lastItem) {
    const std::vector<CDataItem*>& items = channel->Items();
    for (int i = int(items.size()) - 1; i >= 0; --i) {
      const auto& flags = m_connectFlags[items[i]];
      if (flags.first || flags.second) {
        *lastItem = i;
        return true;
      }
    }
    *lastItem = -1;
    return channel->DialerRequired() != 0;
  };
  std::vector<CRecorderChannel*> channels;
  for (const auto& channel : m_channels) channels.push_back(channel.get());
  int last = -1, lastItem = -1;
  for (int c = int(channels.size()) - 1; c >= 0 && last < 0; --c)
    if (needs(channels[c], &lastItem)) last = c;
  if (last >= 0) {
    int running = 0;
    for (int c = 0; c < last; ++c) {
      running |= channels[c]->DialerRequired();
      channels[c]->SetDialerRequired(running);
      for (CDataItem* item : channels[c]->Items()) {
        auto& flags = m_connectFlags[item];
        running |= flags.first;
        flags.first = running;
        running |= flags.second;
        flags.second = running;
      }
    }
    CRecorderChannel* channel = channels[last];
    channel->SetConnectHere(1);
    running |= channel->DialerRequired();
    channel->SetDialerRequired(running);
    const std::vector<CDataItem*>& items = channel->Items();
    for (int i = 0; i <= lastItem; ++i) {
      auto& flags = m_connectFlags[items[i]];
      running |= flags.first;
      flags.first = running;
      if (i == lastItem) {
        if (flags.second) flags.first = flags.second;
      } else {
        running |= flags.second;
        flags.second = running;
      }
    }
  }
  Next(STEP_CHANNEL_LOOP);
}
