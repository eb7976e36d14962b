// The run display: labels, item states and animations from the mail that
// the controller relays, and the controls that follow the recorder state.
#include <algorithm>

#include "Aligrid.h"
#include "Application.h"
#include "GIFAnimator.h"
#include "MainForm.h"
#include "TezMMBut.h"

namespace {
enum : int32_t {
  kReportState = 1,
  kReportDialer = 2,
  kReportDialerStatus = 3,
  kReportChannel = 4,
  kReportItem = 5,
  kReportError = 6,
  kReportItemStatus = 8,
  kReportMediaStatus = 9,
  kReportTotals = 10,
  kReportChannelStatus = 11,
};

// Text with a blank after it, or nothing, followed by the progress text.
std::string TextAndProgress(const std::string& text, const std::string& progress) {
  return (text.empty() ? std::string() : text + " ") + progress;
}
}  // namespace

void TForm1::mailslotHalvornBinMessageAvail(TObject*, const char* data, int len) {
  if (len < kMailRecordSize || !data) return;
  MailMessage record;
  memcpy(&record, data, sizeof record);
  DisplayLabels(record);
}

void TForm1::OnMainMailQueueMsg(TMessage&) {
  if (!mainMailQueue) return;
  while (mainMailQueue->GetMailCount() > 0) {
    MailMessage record = {};
    int32_t len = 0;
    if (!mainMailQueue->GetMail(&record, len)) break;
    mailslotHalvornBinMessageAvail(this, reinterpret_cast<const char*>(&record), kMailRecordSize);
    Application->ProcessMessages();
  }
}

void TForm1::DisplayLabels(const MailMessage& record) {
  if (!ready || !channelList) return;
  int oldItem = lastItem, oldStatus = lastItemStatus, oldChannel = currentChannel;
  int ch = ParseRecorderRecord(record);
  ShowRecordLabels(ch);
  bool refresh = false, light = false, follow = false;
  if (ch >= 1 && ch <= channelList->Count() && !ChannelListInUse()) {
    refresh = true;
    switch (lastCode) {
      case kReportState:
        break;
      case kReportChannel:
      case kReportChannelStatus:
        currentChannel = ch;
        channelList->ReloadChannel(ch);
        follow = ch != oldChannel;
        break;
      case kReportItem:
      case kReportItemStatus: {
        if (lastCode == kReportItem) {
          currentChannel = ch;
          channelList->ReloadChannel(ch);
          follow = ch != oldChannel;
        }
        TContentSection* list = channelList->GetContents(ch);
        if (lastItem >= 1 && list && list->Count() >= lastItem) {
          list->ReloadItem(lastItem);
          list->SetRecStatus(lastItem, lastItemStatus);
          if (lastItem == oldItem && lastItemStatus == oldStatus) {
            light = true;
            refresh = false;
          } else if (gridItems->RowCount() > lastItem && ch == currentChannel) {
            gridItems->FocusCell(6, lastItem);
            gridItemsClick(gridItems);
          }
        }
        break;
      }
      default:
        refresh = false;
    }
  }
  if (follow) {
    int slot = FindChanBut(channelList->GetName(currentChannel), channelButtons, 20);
    if (slot >= 1) {
      ListBox1Click(channelButtons[slot]);
      channelButtons[slot]->SetDown(true);
    }
  }
  if (refresh)
    PostMessageA(Handle(), WM_TEZ_REFRESH_VIEW, 20, 0);
  else if (light)
    DisplayRecordPlayState();
}

int TForm1::ParseRecorderRecord(const MailMessage& r) {
  lastCode = r.message;
  const std::string text = r.textLength >= 1 ? r.Text() : std::string();
  int channel = -1;
  auto channelOf = [this](int32_t value) {
    int n = channelList->IndexOfSection(IntToStr(value));
    return n >= 1 && n <= TChannelList::MaxChannels ? n : -1;
  };
  switch (r.message) {
    case kReportState:
      lastState = static_cast<uint8_t>(r.lParam[0]);
      lastChannelText.clear();
      lastItem = -1;
      lastItemText.clear();
      lastItemProgress.clear();
      lastMediaText.clear();
      break;
    case kReportDialer:
    case kReportDialerStatus:
      globalStatusText = "Dialer";
      break;
    case kReportChannel:
      lastChannelText = IntToStr(r.lParam[0]);
      channel = channelOf(r.lParam[0]);
      lastItem = -1;
      lastItemText.clear();
      lastItemProgress.clear();
      lastMediaText.clear();
      break;
    case kReportItem:
    case kReportItemStatus:
      lastChannelText = IntToStr(r.lParam[0]);
      channel = channelOf(r.lParam[0]);
      lastItem = r.lParam[1];
      lastItemStatus = r.lParam[2];
      lastItemText = text;
      lastItemProgress =
          r.message == kReportItemStatus ? ProgressText(r.lParam[3], r.lParam[4], r.lParam[5]) : "";
      lastMediaText.clear();
      break;
    case kReportError:
      lblGlobalStatus->SetCaption(text.empty() ? "Error " : "Error (" + text + ")");
      break;
    case kReportMediaStatus:
      // The Recorder sends the media status kind in lParam[1] and its two
      // values in lParam[2] and lParam[3].
      lastState = 10;
      lastMediaText = TextAndProgress(text, ProgressText(r.lParam[1], r.lParam[2], r.lParam[3]));
      break;
    case kReportTotals:
      globalStatusText =
          RecorderStateText(r.lParam[0]) + " (" + MinutesSecondsText(r.lParam[1]) + ")";
      globalStatusHint = "Total Audio Time: " + MinutesSecondsText(r.lParam[2]) + "\r" +
                         "(Elapsed Time: " + MinutesSecondsText(r.lParam[1]) + ")";
      globalProgressText = MinutesSecondsText(r.lParam[2]);
      globalProgressHint = globalStatusHint;
      break;
    case kReportChannelStatus:
      lastChannelText = IntToStr(r.lParam[0]);
      channel = channelOf(r.lParam[0]);
      lastChannelStatusText =
          TextAndProgress(text, ProgressText(r.lParam[2], r.lParam[3], r.lParam[4]));
      lastItem = -1;
      lastItemText.clear();
      lastItemProgress.clear();
      lastMediaText.clear();
      break;
    default:
      break;
  }
  return channel;
}

void TForm1::ShowRecordLabels(int channel) {
  auto channelName = [this, channel] {
    return channel >= 1 && channel <= channelList->Count() ? channelList->GetName(channel)
                                                            : std::string();
  };
  switch (lastCode) {
    case kReportState:
      lblGlobalStatus->SetCaption(RecorderStateText(lastState));
      lblChannelName->SetCaption(lastChannelText);
      lblItemStatus->SetCaption("");
      break;
    case kReportDialer:
    case kReportDialerStatus:
      lblGlobalStatus->SetCaption(globalStatusText);
      lblGlobalStatus->Hint = globalStatusHint;
      lblGlobalProgress->SetCaption(globalProgressText);
      lblGlobalProgress->Hint = globalProgressHint;
      break;
    case kReportChannel:
      lblChannelName->SetCaption(channelName());
      lblItemStatus->SetCaption("");
      break;
    case kReportItem:
    case kReportItemStatus: {
      std::string text = "Item #" + IntToStr(lastItem);
      text += " " + lastItemText + " ";
      text += " " + lastItemProgress + " ";
      lblItemStatus->SetCaption(text);
      lblChannelName->SetCaption(channelName());
      break;
    }
    case kReportMediaStatus:
      lblItemStatus->SetCaption("Media " + lastMediaText);
      break;
    case kReportTotals:
      lblGlobalStatus->SetCaption(globalStatusText);
      lblGlobalProgress->SetCaption(globalProgressText);
      break;
    case kReportChannelStatus:
      lblChannelName->SetCaption(channelName());
      lblItemStatus->SetCaption(lastChannelStatusText);
      break;
    default:
      break;
  }
}

void TForm1::DisplayRecordPlayState() { DisplayRecordState(); }

void TForm1::DisplayRecordState() {
  if (lastState != 10) return;
  EnableEditControls();
  EnableRecordControls();
  EnablePlayControls();
}

void TForm1::DisplayRecorderState() {
  ShowErrorHint();
  switch (recorderState) {
    case 0:
      if (wasWorking) ResetRecStatIcons();
      break;
    case 4:
      recorderState = 0;
      ResetRecStatIcons();
      break;
    case 5:
      RestoreActiveChannel();
      break;
    default:
      break;
  }
  EnableEditControls();
  EnableRecordControls();
  EnablePlayControls();
}

void TForm1::ResetRecStatIcons() {
  if (!channelList) return;
  if (ChannelListInUse()) {
    // Done once the page or dialog that holds the list is gone.
    statesResetPending = true;
    return;
  }
  statesResetPending = false;
  // The Recorder has written its last states: the channels of the run (its
  // entry list) are read again, and items it left in the middle of work
  // are marked as failed.
  std::vector<int> run;
  if (dataIni) {
    int entries = dataIni->ReadInteger("Entry List", "numberEntries", 0);
    for (int e = 1; e <= entries && e <= TChannelList::MaxChannels; ++e) {
      int n = channelList->IndexOfSection(dataIni->ReadString("Entry List", Format("entry%d", e), ""));
      if (n >= 1 && n <= TChannelList::MaxChannels) run.push_back(n);
    }
  }
  int shown = channelList->IndexOfName(currentChannelName);
  if (shown >= 1 && shown <= TChannelList::MaxChannels &&
      std::find(run.begin(), run.end(), shown) == run.end())
    run.push_back(shown);
  for (int n : run) {
    channelList->ReloadChannel(n);
    TContentSection* list = channelList->GetContents(n);
    if (!list) continue;
    bool changed = false;
    for (int item = 1; item <= list->Count(); ++item) {
      int status = list->GetRecordStatus(item);
      if ((status == 2 || status == 3) && recorderState == 0) {
        list->SetRecStatus(item, 6);
        list->SetErrorHint(item, "General Error");
        changed = true;
      }
    }
    if (!changed) continue;
    try {
      list->Save();
    } catch (const std::exception&) {
      // The file stays as the Recorder left it.
    }
  }
  if (shown < 1) return;
  currentChannel = shown;
  TContentSection* list = channelList->GetContents(shown);
  if (!list || list->Count() < 1) return;
  for (int item = 1; item <= list->Count() && item < gridItems->RowCount(); ++item) {
    gridItems->SetCells(1, item, IntToStr(item));
    gridItems->SetCells(2, item,
                        IntToStr(ItemDisplayStatus(list->GetExtension(item),
                                                   list->GetRecordStatus(item))));
  }
  wasWorking = false;
  DisplayItems();
  gridItems->InvalidateGrid();
}

void TForm1::EnableEditControls() {
  bool working = RecorderIsRecording();
  if (working) wasWorking = true;
  AnimateGifs(working);
  for (TTezMMBut* b : {speedCustomize, speedMoveChanUp, speedMoveChanDown, speedOptions})
    b->SetEnabled(!working);
  speedPlayer->SetEnabled(!working && options.playerAvailable == 1);
  CreatePositionButtons();
  if (working)
    lblGlobalTimeLabel->SetCaption(RecorderTypeIsWorking(0) ? "Global Rec Time:"
                                                            : "Global Play Time:");
  pnlOffStatus->SetVisible(!working);
  if (!working) {
    lblGlobalStatus->SetCaption("");
    lblGlobalProgress->SetCaption("");
    lblChannelName->SetCaption("");
    lblItemStatus->SetCaption("");
  }
  pnlRecPlayDisplay->SetVisible(working);
}

namespace {
void SetGifAnimation(TGIFAnimator* animated, bool on) {
  if (!animated) return;
  animated->SetAnimate(on);
  animated->SetFrameIndex(0);
  animated->SetVisible(true);
}
}  // namespace

void TForm1::AnimateGifs(bool animateThem) {
  if (animateThem) {
    SetGifAnimation(gifAnimDownload, false);
    bool playing = recorderKind == 1 || recorderKind == 2;
    SetGifAnimation(gifanimPlay, playing);
    SetGifAnimation(gifanimRecord, !playing);
  } else {
    SetGifAnimation(gifanimPlay, false);
    SetGifAnimation(gifanimRecord, false);
    SetGifAnimation(gifAnimDownload, false);
  }
}

void TForm1::EnableRecordControls() {
  bool rec = options.recButAvailable == 1;
  // The play buttons stand above the record buttons when those are
  // offered, else in their place.
  int above = rec ? 37 : 0;
  speedPlayNow->SetBounds(speedRecordNow->Left(), speedRecordNow->Top() - above,
                          speedPlayNow->Width(), speedPlayNow->Height());
  speedPlayStop->SetBounds(speedRecordStop->Left(), speedRecordStop->Top() - above,
                           speedPlayStop->Width(), speedPlayStop->Height());
  bool working = RecorderTypeIsWorking(0);
  if (working) {
    speedRecordNow->SetVisible(false);
    speedRecordStop->SetAllowAllUp(true);
    speedRecordStop->SetDown(false);
    speedRecordStop->SetVisible(rec);
  } else {
    speedRecordStop->SetVisible(false);
    speedRecordNow->SetAllowAllUp(true);
    speedRecordNow->SetDown(false);
    speedRecordNow->SetVisible(rec);
    speedRecordNow->SetEnabled(!RecorderIsRecording());
  }
  mnuRecordNow->SetVisible(!working && rec);
  mnuRecordNow->SetChecked(false);
  mnuRecordNow->SetEnabled(!RecorderIsRecording());
  mnuRecordStop->SetVisible(working && rec);
  mnuRecordStop->SetChecked(false);
}

void TForm1::EnablePlayControls() {
  bool play = options.playButAvailable == 1;
  bool working = RecorderTypeIsWorking(1);
  if (working) {
    speedPlayNow->SetVisible(false);
    speedPlayStop->SetAllowAllUp(true);
    speedPlayStop->SetDown(false);
    speedPlayStop->SetVisible(play);
  } else {
    speedPlayStop->SetVisible(false);
    speedPlayNow->SetAllowAllUp(true);
    speedPlayNow->SetDown(false);
    speedPlayNow->SetVisible(play);
    speedPlayNow->SetEnabled(!RecorderIsRecording());
  }
  mnuPlayNow->SetVisible(!working && play);
  mnuPlayNow->SetChecked(false);
  mnuPlayNow->SetEnabled(!RecorderIsRecording());
  mnuPlayStop->SetVisible(working && play);
  mnuPlayStop->SetChecked(false);
}

void TForm1::ShowStatusLine(const std::string& text, int seconds) {
  lblStatusLine->SetCaption(text);
  // An empty line would show as a small box on the tiled panel.
  lblStatusLine->SetVisible(!text.empty());
  timerStatusLabel->SetEnabled(true);
  statusLineTicks = seconds;
}

void TForm1::ShowErrorHint() {
  if (!paramIni) return;
  errorHintText = paramIni->ReadString("Recorder", "errorHint", "");
  if (errorHintText.empty()) return;
  ShowStatusLine(errorHintText, 20);
  paramIni->WriteString("Recorder", "errorHint", "");
}

void TForm1::timerStatusLabelTimer(TObject*) {
  if (ViewState() == 0) statusLineCounting = true;
  if (!statusLineCounting) return;
  if (--statusLineTicks < 1) {
    lblStatusLine->SetCaption("");
    lblStatusLine->SetVisible(false);
    timerStatusLabel->SetEnabled(false);
    statusLineCounting = false;
  }
}

int TForm1::ItemDisplayStatus(const std::string& extension, int status) const {
  if (!options.disabledFormats.empty() && !extension.empty() &&
      options.disabledFormats.find(UpperCase(extension)) != std::string::npos)
    return 8;
  return status;
}
