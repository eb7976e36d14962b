#include "MainLinks.h"

#include "Clipboard.h"
#include "MainForm.h"
#include "ModalScope.h"
#include "SmallDialogs.h"
#include "TezDropFileTarget.h"

namespace {
const char* const InactiveNote = "Note: Some files were added to inactive channels";
}

bool IsPastedLink(const std::string& text) {
  size_t at = UpperCase(text).find("://");
  return at != std::string::npos && at >= 3 && at <= 5;
}

TMainLinks::TMainLinks(TForm1& form) : form_(form), filer_(nullptr) {
  timerCheckPending = new TTimer(&form);
  timerCheckPending->SetName("timerCheckPending");
  timerCheckPending->SetInterval(2000);
  timerCheckPending->SetOnTimer([this](TObject*) { timerCheckPendingTimer(); });
  form.SetMessageMethod(WM_TEZ_CHECK_PENDING, [this](TMessage&) { wmCheckPending(); });
  form.SetMessageMethod(WM_TEZ_FINISHED_CHECK, [this](TMessage&) { wmFinishedCheck(); });
  form.TezDropFileTarget1->OnDrop = [this](TObject*, TDragType, POINTL) { OnDrop(); };
  form.mnuPasteLink->OnClick = [this](TObject*) { mnuPasteLinkClick(); };
  form.SetMessageMethod(WM_TEZ_NO_INET_CONNECTION,
                        [this](TMessage&) { ShowNoInetConnection(&form_); });
  filer_.OnMovedToDeleted = [this] {
    if (form_.memoPreview) form_.memoPreview->SetCaption("");
  };
  AskFileType = [this](const std::string& link, const std::string& extension,
                       std::string& outExtension, std::string& outChannelExtension) {
    TfrmAskFileType dialog(&form_);
    dialog.Execute(link, extension);
    outExtension = dialog.Extension;
    outChannelExtension = dialog.ChannelExtension;
  };
}

TMainLinks::~TMainLinks() { Shutdown(); }

void TMainLinks::Shutdown() {
  timerCheckPending->SetEnabled(false);
  authThread_.reset();
}

void TMainLinks::InitDragDrop() {
  form_.doorState = 0;
  pendingBusy = false;
  pendingCountdown = form_.options.pendingDelay;
  filer_.SetList(form_.channelList.get());
  filer_.ReadExtensionTables(form_.extensionLists[0]);
}

bool TMainLinks::RunBusy() const {
  int s = form_.recorderState;
  return s == 1 || s == 2 || s == 3 || s == 7;
}

void TMainLinks::PlayWave(const std::string& name) {
  if (form_.options.audioEffects != 1 || RunBusy()) return;
  PlaySoundFile(GetCurrentDir() + "\\" + form_.options.wavFolder + name);
}

void TMainLinks::Status(const std::string& text, int seconds) {
  if (ShowStatusLine) ShowStatusLine(text, seconds);
}

void TMainLinks::StartDoor() { form_.StartDoorAnimation(); }

void TMainLinks::OnDrop() {
  if (form_.RecorderIsRecording()) return;
  auto* target = static_cast<TTezDropFileTarget*>(form_.TezDropFileTarget1);
  if (target->DropKind == 1)
    ProcessDraggedFiles(target->Files);
  else if (target->DropKind == 2)
    ProcessDraggedLink(target->Link);
}

bool TMainLinks::AddAndNote(const TTezAddFileStuct& record, bool& inactive) {
  if (!filer_.AddToList(record)) {
    Status("Could not add to " + record.listName + ": the list is missing or full", 20);
    return false;
  }
  if (filer_.IsInactiveChannel(record.listName)) inactive = true;
  return true;
}

void TMainLinks::ProcessDraggedLink(const std::string& link) {
  if (form_.options.useDialer == 2) {
    PostMessageA(form_.Handle(), WM_TEZ_NO_INET_CONNECTION, 0, 0);
    return;
  }
  if (link.size() < 3) return;
  filer_.SetList(form_.channelList.get());
  bool inactive = false;
  TTezAddFileStuct record;
  if (link.find("://") != std::string::npos || link.find(":\\\\") != std::string::npos) {
    record.listName = "Pending";
    record.link = link;
    if (!AddAndNote(record, inactive)) {
      PlayWave(form_.options.linkRejectWave);
      return;
    }
    if (!pendingBusy) pendingCountdown = form_.options.pendingDelay;
    StartDoor();
    PlayWave(form_.options.linkDropWave);
  } else if (filer_.FileIsLegal(link) && FileExists(link)) {
    record.listName = filer_.FileSectionName(link);
    record.localFileName = link;
    if (!AddAndNote(record, inactive)) {
      PlayWave(form_.options.linkRejectWave);
      return;
    }
    StartDoor();
    if (inactive) Status(InactiveNote, 20);
    PlayWave(form_.options.linkAcceptWave);
  } else {
    PlayWave(form_.options.linkRejectWave);
  }
}

void TMainLinks::ProcessDraggedFiles(const TStringList& files) {
  filer_.SetList(form_.channelList.get());
  int added = 0;
  bool inactive = false;
  for (int i = 0; i < files.Count(); ++i) {
    std::string file = files.Strings(i);
    if (!filer_.FileIsLegal(file) || !FileExists(file)) continue;
    TTezAddFileStuct record;
    record.listName = filer_.FileSectionName(file);
    record.localFileName = file;
    record.extension = LinkExtension(file);
    if (AddAndNote(record, inactive)) ++added;
  }
  if (inactive) Status(InactiveNote, 20);
  if (added > 0) {
    StartDoor();
    PlayWave(form_.options.linkAcceptWave);
  } else {
    PlayWave(form_.options.linkRejectWave);
  }
}

void TMainLinks::mnuPasteLinkClick() {
  std::string text;
  try {
    text = Clipboard()->AsText();
  } catch (const Exception&) {
    return;
  }
  if (IsPastedLink(text)) ProcessDraggedLink(text);
}

void TMainLinks::CopyLinkClick(TContentSection* contents, int item) {
  if (!contents || item < 1 || item > contents->Count()) return;
  std::string text = contents->GetLink(item);
  if (text.empty() || text.size() > 255) text = contents->GetLocalFileName(item);
  if (text.empty() || text.size() > 255) return;
  try {
    Clipboard()->Open();
  } catch (const Exception&) {
    return;  // the clipboard is another program's for now
  }
  try {
    Clipboard()->Clear();
    Clipboard()->SetAsText(text);
  } catch (const Exception&) {
    // Nothing is put there then.
  }
  Clipboard()->Close();
}

void TMainLinks::timerCheckPendingTimer() {
  if (form_.doorState != 0 || pendingCountdown <= 0 || form_.RecorderIsRecording()) return;
  if (--pendingCountdown == 0) PostMessageA(form_.Handle(), WM_TEZ_CHECK_PENDING, 0, 0);
}

void TMainLinks::wmCheckPending() {
  filer_.SetList(form_.channelList.get());
  if (pendingBusy || filer_.PendingCount() < 1) return;
  std::string dir = GetCurrentDir();
  std::string request = dir + "\\CheckAuth.inx";
  std::string tezID, exe = "Ostrevar.exe";
  if (form_.paramIni) {
    tezID = form_.paramIni->ReadString("DragDrop", "tezID", "");
    exe = form_.paramIni->ReadString("DragDrop", "authExe", exe);
  }
  if (!filer_.WriteCheckRequest(request, tezID)) {
    pendingCountdown = form_.options.pendingDelay;  // tried again later
    return;
  }
  pendingBusy = true;
  authThread_.reset();
  authThread_ = std::make_unique<TAuthThread>(form_.Handle(), WM_TEZ_FINISHED_CHECK,
                                              "\"" + exe + "\" \"" + request + "\"");
  authThread_->Start();
}

void TMainLinks::wmFinishedCheck() {
  if (!pendingBusy) return;
  filer_.SetList(form_.channelList.get());
  TLinkFiler::TReplyResult result;
  try {
    TLinkFiler::TAskFileType ask;
    if (AskFileType)
      ask = [this](const std::string& link, const std::string& ext, std::string& outExt,
                   std::string& outChannelExt) {
        form_.TezDropFileTarget1->Unregister();
        // The dialog's message loop must not free the list being filed into.
        TModalScope modal(form_.modalDepth, [this] {
          form_.TezDropFileTarget1->Register(&form_);
          form_.BringToTop();
        });
        AskFileType(link, ext, outExt, outChannelExt);
      };
    result = filer_.ApplyReply(GetCurrentDir() + "\\CheckAuth.inx", ask);
  } catch (const std::exception&) {
    // A reply that cannot be read leaves the link pending for another check.
  }
  // Whatever the reply, the check is over: nothing keeps the list waiting.
  pendingBusy = false;
  if (result.inactive) Status(InactiveNote, 20);
  if (filer_.PendingCount() > 0) pendingCountdown = form_.options.pendingDelay;
  PostMessageA(form_.Handle(), WM_TEZ_REFRESH_VIEW, 20, 0);
}
