// Incoming mail sorted by sender category, the controller's commands and
// every report to the controller.
#include "RecorderDlg.h"

void SwitchDeliverHookOff();

namespace {

const char* EventName(int event) {
  switch (event) {
    case TEZ_EVENT_START: return "Start.";
    case TEZ_EVENT_STOP: return "Stop.";
    case TEZ_EVENT_READY: return "Ready.";
    case TEZ_EVENT_RESUME: return "Resume.";
    default: return nullptr;
  }
}

std::string WithText(std::string line, const MailMessage& mail) {
  if (mail.textLength > 0) line += mail.Text();
  return line;
}

}  // namespace

LRESULT CRecorderDlg::OnMailQueued(WPARAM, LPARAM) {
  DispatchMail();
  return 0;
}

LRESULT CRecorderDlg::OnCommandMessage(WPARAM wParam, LPARAM lParam) {
  OnControllerCommand(int(wParam), lParam);
  return 0;
}

void CRecorderDlg::DispatchMail() {
  if (!m_server) return;
  MailMessage mail;
  while (!m_terminating && m_server && m_server->GetMail(&mail)) {
    switch (mail.category) {
      case TEZ_MAIL_INTERNAL: OnInternalMail(mail); break;
      case TEZ_MAIL_MEDIA: OnMediaMail(mail); break;
      case TEZ_MAIL_DIALER: OnDialerMail(mail); break;
      case TEZ_MAIL_CHANNEL_OPERATOR: OnChannelOperatorMail(mail); break;
      case TEZ_MAIL_ITEM_OPERATOR: OnItemOperatorMail(mail); break;
      case TEZ_MAIL_ITEM_PLAYER: OnItemPlayerMail(mail); break;
      case TEZ_MAIL_CONTROLLER: OnControllerCommand(mail.message, mail.lParam[0]); break;
      default:
        LogF("undefined message: id=%ld, category=%ld, message=%ld", long(mail.id),
             long(mail.category), long(mail.message));
        break;
    }
  }
}

void CRecorderDlg::OnInternalMail(const MailMessage& mail) {
  std::string line = "\tRecorder <- Internal :";
  switch (mail.message) {
    case TEZ_MSG_STATUS: line = WithText(line + " Status : ", mail); break;
    case TEZ_MSG_ERROR: line = WithText(line + " Error : ", mail); break;
    case TEZ_MSG_TEST:
      SwitchDeliverHookOff();
      m_server->EnableMappedMail(0);
      if (m_controller) m_controller->EnableMappedMail(0);
      line = WithText(line + " Mailslot test succedded : ", mail);
      break;
    default: line += "undefined message (newMessage.message)"; break;
  }
  Log(line.c_str());
}

void CRecorderDlg::OnMediaMail(const MailMessage& mail) {
  std::string line = "\tRecorder <- Media :";
  switch (mail.message) {
    case TEZ_MSG_EVENT: {
      const int event = mail.lParam[0];
      line += " Event == ";
      if (event == TEZ_EVENT_START || event == TEZ_EVENT_READY) {
        m_mediaEvent = event;
        line += event == TEZ_EVENT_START ? "Record." : "Pause.";
        if (m_removeBlanks && m_blankPauseMark) {
          line += " Ignored.";
          m_blankPauseMark = false;
        } else {
          Continue(TEZ_MAIL_MEDIA, event);
        }
      } else if (event == TEZ_EVENT_STOP) {
        m_mediaEvent = event;
        line += "Stop.";
        Continue(TEZ_MAIL_MEDIA, event);
      } else {
        line += "undefined message (newMessage.lParam[0])";
      }
      break;
    }
    case TEZ_MSG_STATUS: {
      const int kind = mail.lParam[0];
      int values[4] = {2, kind, 0, 0};
      line += " Status : ";
      if (kind == 1) {
        values[0] = 3;
        values[2] = mail.lParam[1];
        values[3] = mail.lParam[2];
        if (mail.lParam[3] == 2) {
          EnterCriticalSection(&m_logLock);
          m_mediaPosition = DWORD(mail.lParam[4]);
          m_mediaPositionArrived = true;
          LeaveCriticalSection(&m_logLock);
          RunClock();
          char numbers[64];
          snprintf(numbers, sizeof numbers, "%ld, %ld, %ld", long(mail.lParam[1]),
                   long(mail.lParam[2]), long(mail.lParam[4]));
          line += numbers;
        }
      }
      line = WithText(line, mail);
      ReportMail(TEZ_REPORT_MEDIA_STATUS, 4, values, mail.textLength > 0 ? mail.Text().c_str()
                                                                         : nullptr);
      break;
    }
    case TEZ_MSG_ERROR:
      line = WithText(line + " Error : ", mail);
      if (mail.textLength > 0) {
        ReportError(mail.Text().c_str());
        SetErrorHint(mail.Text().c_str());
      } else {
        Report(TEZ_REPORT_ERROR, 0);
      }
      PostMessage(WM_TEZ_ERROR);
      break;
    default: line += "undefined message (newMessage.message)"; break;
  }
  Log(line.c_str());
}

void CRecorderDlg::OnDialerMail(const MailMessage& mail) {
  static const char* const kStates[] = {"Disconnected.",
                                        "Disconnected (continued).",
                                        "Count down.",
                                        "Connecting.",
                                        "Connected.",
                                        "Connected (continued).",
                                        "Pre disconnect.",
                                        "Connected (external).",
                                        "Disconnected (external).",
                                        "Disconnected (continued, external).",
                                        "Connected (continued, external).",
                                        "Pre disconnect (external)."};
  std::string line = "\tRecorder <- Dialer :";
  switch (mail.message) {
    case TEZ_MSG_EVENT: {
      const int state = mail.lParam[0];
      line += " State == ";
      if (state < 0 || state > 11) {
        line += "undefined message (newMessage.lParam[0])";
        break;
      }
      line += kStates[state];
      if (state == 0 || state == 2 || state == 3 || state == 4) Report(TEZ_REPORT_DIALER, state);
      if (state == 6 || state == 11)
        PostMessage(STEP_PRE_DISCONNECT);
      else if (state != 2 && state != 3)
        Continue(TEZ_MAIL_DIALER);
      break;
    }
    case TEZ_MSG_STATUS:
      if (mail.textLength <= 0) return;
      line = WithText(line + " Status : ", mail);
      {
        std::string shown = mail.Text();
        if (mail.lParam[0] == 2) {
          char countDown[32];
          snprintf(countDown, sizeof countDown, ", %02d:%02d", mail.lParam[1] / 60,
                   mail.lParam[1] % 60);
          line += countDown;
          shown += countDown;
        }
        SetDlgItemText(IDC_DIALER_TEXT, shown.c_str());
      }
      {
        const int values[2] = {mail.lParam[0], mail.lParam[1]};
        ReportMail(TEZ_REPORT_DIALER_STATUS, 2, values, mail.Text().c_str());
      }
      break;
    case TEZ_MSG_ERROR:
      line = WithText(line + " Error : ", mail);
      if (mail.textLength > 0)
        ReportError(mail.Text().c_str());
      else
        Report(TEZ_REPORT_ERROR, 0);
      PostMessage(WM_TEZ_ERROR);
      break;
    case TEZ_MSG_USER_COMMAND:
      line += " User command : ";
      line += mail.lParam[0] == 0 ? "Cancel." : "Unknown.";
      break;
    default: line += "undefined message (newMessage.message)"; break;
  }
  Log(line.c_str());
}

void CRecorderDlg::OnChannelOperatorMail(const MailMessage& mail) {
  std::string line = "\tRecorder <- Channel Operator :";
  switch (mail.message) {
    case TEZ_MSG_EVENT: {
      const char* name = mail.lParam[0] == TEZ_EVENT_RESUME ? nullptr : EventName(mail.lParam[0]);
      line += " Event == ";
      line += name ? name : "undefined message (newMessage.lParam[0])";
      if (mail.lParam[0] == TEZ_EVENT_STOP) Continue(TEZ_MAIL_CHANNEL_OPERATOR);
      break;
    }
    case TEZ_MSG_STATUS:
      line = WithText(line + " Status : ", mail);
      if (m_channel) {
        char value[16];
        snprintf(value, sizeof value, ", %ld", long(mail.lParam[1]));
        EnterCriticalSection(&m_logLock);
        SetDlgItemText(IDC_CHANNEL_STATUS, (mail.Text() + value).c_str());
        LeaveCriticalSection(&m_logLock);
        const int values[5] = {int(m_channel->Number()), m_channel->RecordState(),
                               mail.lParam[0], mail.lParam[1], mail.lParam[2]};
        ReportMail(TEZ_REPORT_CHANNEL_STATUS, 5, values,
                   mail.textLength > 0 ? mail.Text().c_str() : "Processing");
      }
      break;
    case TEZ_MSG_ERROR:
      line = WithText(line + " Error : ", mail);
      ReportError(mail.textLength > 0 ? mail.Text().c_str() : nullptr);
      break;
    default: line += "undefined message (newMessage.message)"; break;
  }
  Log(line.c_str());
}

// The values of an item status record and its log line; kind 100 is
// logged only.
std::string CRecorderDlg::ItemStatusLine(const MailMessage& mail, const char* defaultText,
                                         int* kind) {
  *kind = mail.lParam[0];
  int first = 0, second = 0;
  if (*kind == 1 || *kind == 2) {
    first = mail.lParam[1];
    second = mail.lParam[2];
  } else if (*kind == 3 || *kind == 4) {
    first = mail.lParam[1];
  }
  std::string line;
  if (mail.textLength > 0) line = mail.Text() + ": ";
  char numbers[64] = "";
  if (*kind == 1 || *kind == 2)
    snprintf(numbers, sizeof numbers, "%ld, %ld", long(mail.lParam[1]), long(mail.lParam[2]));
  else if (*kind == 3)
    snprintf(numbers, sizeof numbers, "%ld", long(mail.lParam[1]));
  line += numbers;
  if (m_item && m_channel && *kind != 100) {
    const int values[6] = {int(m_channel->Number()), int(m_item->GetNumber()),
                           m_item->GetRecStatus(), *kind, first, second};
    ReportMail(TEZ_REPORT_ITEM_STATUS, 6, values,
               mail.textLength > 0 ? mail.Text().c_str() : defaultText);
  }
  if (m_item && m_channel) {
    EnterCriticalSection(&m_logLock);
    SetDlgItemText(IDC_ITEM_STATUS, line.c_str());
    LeaveCriticalSection(&m_logLock);
  }
  return line;
}

void CRecorderDlg::OnItemOperatorMail(const MailMessage& mail) {
  std::string line = "\tRecorder <- Item Operator :";
  int kind = 0;
  switch (mail.message) {
    case TEZ_MSG_EVENT:
      line += " Event == ";
      if (mail.lParam[0] == TEZ_EVENT_START) {
        line += "Start.";
      } else if (mail.lParam[0] == TEZ_EVENT_STOP) {
        line += "Stop.";
        Continue(TEZ_MAIL_ITEM_OPERATOR);
      } else {
        line += "undefined message (newMessage.lParam[0])";
      }
      break;
    case TEZ_MSG_STATUS:
      line += " Status : " + ItemStatusLine(mail, "Processing", &kind);
      break;
    case TEZ_MSG_ERROR:
      line = WithText(line + " Error : ", mail);
      // An operator that reports an error has failed its item, whether or
      // not it marked the item itself.
      if (m_item && m_runState == eStateMachineState_ItemOperator) SetRecStatus(m_item, 6);
      break;
    default: line += "undefined message (newMessage.message)"; break;
  }
  Log(line.c_str());
}

void CRecorderDlg::OnItemPlayerMail(const MailMessage& mail) {
  std::string line = "\tRecorder <- Item Player :";
  int kind = 0;
  switch (mail.message) {
    case TEZ_MSG_EVENT: {
      const int event = mail.lParam[0];
      const char* name = EventName(event);
      line += " Event == ";
      if (!name) {
        line += "undefined message (newMessage.lParam[0])";
        break;
      }
      m_lastPlayerEvent = event;
      line += event == TEZ_EVENT_READY ? "Pause." : name;
      if (event == TEZ_EVENT_STOP) {
        m_blankPauseMark = false;
        Continue(TEZ_MAIL_ITEM_PLAYER);
      } else if ((event == TEZ_EVENT_START || event == TEZ_EVENT_RESUME) && m_removeBlanks &&
                 m_mediaEvent == TEZ_EVENT_READY) {
        line += "  Media -> Resume.";
        m_blankPauseMark = true;
        m_mediaEvent = TEZ_EVENT_START;
        m_pMedia->Resume();
      } else if (event == TEZ_EVENT_READY && m_removeBlanks && m_mediaEvent == TEZ_EVENT_START) {
        line += "  Media -> Pause.";
        m_blankPauseMark = true;
        m_mediaEvent = TEZ_EVENT_READY;
        m_pMedia->Pause();
      }
      break;
    }
    case TEZ_MSG_STATUS:
      line += " Status : " + ItemStatusLine(mail, m_statusWord.c_str(), &kind);
      if (kind == 1 || kind == 2) {
        EnterCriticalSection(&m_logLock);
        m_playerSeconds[0] = mail.lParam[1];
        m_playerSeconds[1] = mail.lParam[2];
        m_playerStatusArrived = true;
        LeaveCriticalSection(&m_logLock);
      }
      break;
    case TEZ_MSG_ERROR: line = WithText(line + " Error : ", mail); break;
    default: line += "undefined message (newMessage.message)"; break;
  }
  Log(line.c_str());
}

void CRecorderDlg::OnControllerCommand(int command, LPARAM argument) {
  if (m_terminating || m_refuseCommands) return;
  const char* text = nullptr;
  char unknown[64];
  switch (command) {
    case 0:
      text = "Set control window.";
      // Only a window handle: used as a post target, never as memory.
      m_controlWindow = IsWindow(reinterpret_cast<HWND>(argument))
                            ? reinterpret_cast<HWND>(argument)
                            : nullptr;
      break;
    case 1:
      text = "Start.";
      PostMessage(WM_TEZ_START);
      break;
    case 2:
      text = "Stop.";
      if (m_recorderState == 1)
        ReportState(1);
      else
        PostMessage(WM_TEZ_STOP);
      break;
    case 3:
      text = "Kill.";
      m_kill = true;
      if (m_recorderState == 1) {
        ReportState(1);
        PostMessage(WM_TEZ_RECORDER_TERMINATE);
      } else {
        PostMessage(WM_TEZ_STOP);
      }
      break;
    case 4:
      text = "Skip.";
      PostMessage(WM_TEZ_SKIP);
      break;
    default:
      snprintf(unknown, sizeof unknown, "Unknown message [wParam = %d.]", command);
      text = unknown;
      break;
  }
  LogF("\tRecorder <- Controller : %s", text);
  Report(TEZ_REPORT_ECHO, command);
}

void CRecorderDlg::Report(int code, int value) {
  if (m_controlWindow) ::PostMessageA(m_controlWindow, WM_TEZ_RECORDER_REPORT, code, value);
  if (m_controller) m_controller->SendMail(code, value);
}

void CRecorderDlg::ReportMail(int code, int count, const int* values, const char* text) {
  if (m_controller) m_controller->SendMail(code, count, values, text);
}

void CRecorderDlg::ReportState(int state) { Report(TEZ_REPORT_STATE, state); }

void CRecorderDlg::ReportError(const char* text) {
  const int values[1] = {0};
  ReportMail(TEZ_REPORT_ERROR, 1, values, text);
}

void CRecorderDlg::ReportChannel(CRecorderChannel* channel) {
  if (!channel) return;
  const int values[2] = {int(channel->Number()), channel->RecordState()};
  ReportMail(TEZ_REPORT_CHANNEL, 2, values, channel->Name().c_str());
}

void CRecorderDlg::ReportItem(CDataItem* item) {
  if (!item) return;
  const int status = item->GetRecStatus();
  const LPARAM value = (LPARAM(status) << 16) | (item->GetNumber() & 0xFFFF);
  if (m_controlWindow) ::PostMessageA(m_controlWindow, WM_TEZ_RECORDER_REPORT, TEZ_REPORT_ITEM, value);
  const int values[3] = {int(item->GetChannelNumber()), int(item->GetNumber()), status};
  ReportMail(TEZ_REPORT_ITEM, 3, values, nullptr);
}
