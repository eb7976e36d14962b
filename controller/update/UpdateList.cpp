#include "UpdateList.h"

#include <windows.h>

#include "IniFiles2.h"
#include "Registry2.h"
#include "SysUtils.h"
#include "UpdateText.h"
#include "WinExc32.h"

namespace {

HKEY RootKeyByName(const std::string& name) {
  std::string upper = UpperCase(name);
  if (upper == "HKEY_LOCAL_MACHINE" || upper == "HKLM") return HKEY_LOCAL_MACHINE;
  if (upper == "HKEY_CLASSES_ROOT" || upper == "HKCR") return HKEY_CLASSES_ROOT;
  return HKEY_CURRENT_USER;
}

// The installed version named by the entry; empty when the key or the
// value is missing or not a string.
std::string InstalledVersion(TIniFile& list, const std::string& section) {
  std::string root = list.ReadString(section, "updateRegistryRootKeyName", "");
  std::string key = list.ReadString(section, "updateRegistryKeyName", "");
  std::string value = list.ReadString(section, "updateRegistryValue", "");
  try {
    Tregistry2 reg;
    reg.SetRootKey(RootKeyByName(root));
    if (reg.KeyExists(key) && reg.OpenKey(key, false) && reg.ValueExists(value))
      return reg.ReadString(value);
  } catch (const std::exception&) {
  }
  return "";
}

// Runs the command line, waiting up to timeoutMs for its end; a program
// still running then is ended. False when it cannot be started.
bool RunEntry(const std::string& commandLine, int timeoutMs,
              const std::function<void(const std::string&)>& trace) {
  HANDLE process = nullptr;
  DWORD wait = timeoutMs < 0 ? 0 : static_cast<DWORD>(timeoutMs);
  DWORD result = WinExecAndWait(commandLine, SW_SHOWNORMAL, wait, process);
  if (!process) {
    trace(Format("Update list: cannot start %s (error %u)", commandLine.c_str(),
                 static_cast<unsigned>(result)));
    return false;
  }
  if (WaitForSingleObject(process, 1) == WAIT_TIMEOUT) {
    trace("Update list: ended after its time-out: " + commandLine);
    TerminateProcess(process, 0);
  }
  CloseHandle(process);
  return true;
}

}  // namespace

void ProcessUpdateList(const std::string& fileName,
                       const std::function<void(const std::string&)>& trace) {
  if (!FileExists(fileName)) return;
  TIniFile list(fileName);
  int count = list.ReadInteger("Entry List", "numberEntries", 0);
  for (int i = 1; i <= count; ++i) {
    std::string section = Format("entry%d", i);
    if (list.ReadInteger(section, "active", 1) != 1) continue;
    std::string installed = InstalledVersion(list, section);
    if (installed.empty()) continue;
    if (!VersionAtLeast(installed, list.ReadString(section, "updateRegistryCompareValue", "")))
      continue;
    std::string commandLine = list.ReadString(section, "updateCommandLine", "");
    trace("Update list: running " + commandLine);
    if (!RunEntry(commandLine, list.ReadInteger(section, "timeout", 60000), trace)) continue;
    try {
      list.WriteInteger(section, "active", 0);
    } catch (const std::exception& e) {
      trace(std::string("Update list: ") + e.what());
    }
  }
}
