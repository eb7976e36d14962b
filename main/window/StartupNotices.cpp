// The notices of the start: low free disk space and too many stored bytes,
// each offering the channel cleanup and able to switch itself off.
#include "ChannelCleanup.h"
#include "MainForm.h"
#include "NoSpaceMessage.h"
#include "Utils.h"

namespace {
constexpr int64_t kMegabyte = 1048576;
}

bool TForm1::ShowStartupNotices() {
  // Ticking the box turns the notice off, here and in the stored settings.
  auto ask = [this](const std::string& text, int32_t& option, const char* key) {
    // The boxes' message loops must not free the list they clean.
    ++modalDepth;
    NoticeAnswer answer = ShowNoSpaceNotice(this, text);
    option = answer.doNotShowAgain ? 0 : 1;
    try {
      if (paramIni) paramIni->WriteInteger("Notifications", key, option);
    } catch (const Exception&) {
      // The field keeps the answer; the options save at exit writes it.
    }
    if (answer.modalResult == mrYes)
      RunCleanupDialog(this, channelList.get(), RecorderIsRecording());
    --modalDepth;
  };
  if (options.shouldNotifyMinSpace) {
    int64_t freeMB = FreeDiskSpaceMB();
    if (freeMB < 0) return false;
    if (freeMB <= StrToIntDef(options.minSpaceText, 0))
      ask("", options.shouldNotifyMinSpace, "shouldNotifyMinSpace");
  }
  if (options.shouldNotifyMaxSize && channelList) {
    int64_t stored = channelList->TotalStoredSize() / kMegabyte;
    if (stored >= StrToIntDef(options.maxSizeText, 0))
      ask("Brindale files exceeded size limit. Perform cleanup?", options.shouldNotifyMaxSize,
          "shouldNotifyMaxSize");
  }
  return true;
}
