// The form's part of the software update check and the update list: the
// check is its own unit, driven by the form's HTTP client, timers and
// window.
#include "ControlForm.h"
#include "Registry2.h"
#include "UpdateList.h"

namespace {

// The installation's serial number; empty when none is recorded.
std::string SerialNumber() {
  try {
    Tregistry2 reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (reg.KeyExists("Software\\Brindale") && reg.OpenKey("Software\\Brindale", false) &&
        reg.ValueExists("SerialNumber"))
      return reg.ReadString("SerialNumber");
  } catch (const std::exception&) {
  }
  return "";
}

}  // namespace

void TForm1::StartUpdateCheck() {
  updateCheck_ = std::make_unique<TUpdateCheck>(this, HttpClient1, tmStartUpDelay, tmHttpProgress);
  updateCheck_->CheckUrl = autoUpdateCheckUrl_;
  updateCheck_->PrepareUrl = autoUpdatePrepareUrl_;
  updateCheck_->Serial = SerialNumber();
  updateCheck_->ProductVersion = productVersion_;
  updateCheck_->Folder = GetCurrentDir();
  updateCheck_->TimeOutDelay = httpTimeOutDelay_;
  updateCheck_->Settings = settings_.get();
  updateCheck_->Trace = [this](const std::string& text) { Trace(text); };
}

void TForm1::ProcessUpdateListAtStart() {
  ProcessUpdateList(GetCurrentDir() + "\\TezUpdateList.inx",
                    [this](const std::string& text) { Trace(text); });
}
