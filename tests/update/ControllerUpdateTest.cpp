// The controller Pellomar with the update check and the update list wired
// in: started without "/GETDIR" it works through its update list; the
// automatic check and the user's check (asked for by the main program)
// reach the local update service, and an accepted upgrade starts the
// updater. Each program is a process of its own.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ControllerSupport.h"
#include "UpdateTestSupport.h"

namespace {

constexpr UINT kUserUpdateCheck = 1436;
const char kListKey[] = "Software\\BrindaleUpdateStartTest";

std::string ServiceUrl(const std::string& request) {
  const char* port = std::getenv("BRINDALE_HTTP_PORT");
  return std::string("127.0.0.1:") + (port ? port : "0") + "/isapi/TezBGUpdate.dll?" + request;
}

void SetValue(HKEY root, const char* key, const char* name, const char* value) {
  HKEY k;
  ASSERT_EQ(RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                 static_cast<DWORD>(strlen(value) + 1));
  RegCloseKey(k);
}

void DeleteValue(HKEY root, const char* key, const char* name) {
  HKEY k;
  if (RegOpenKeyExA(root, key, 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
  RegDeleteValueA(k, name);
  RegCloseKey(k);
}

// Waits for the controller's offer and presses one of its buttons.
bool AnswerOffer(DWORD controller, const char* button) {
  HWND offer = nullptr;
  for (int i = 0; i < 600 && !offer; ++i) {
    offer = FindProcessWindow(controller, "TfrmUpgradeAvailable", "  Brindale Update");
    if (!offer) Sleep(50);
  }
  if (!offer) return false;
  Sleep(200);
  return PressToClose(offer, button);
}

class ControllerUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetValue(HKEY_LOCAL_MACHINE, "Software\\Brindale", "SerialNumber", "upgrade");
    SetValue(HKEY_CURRENT_USER, kListKey, "Version", "5.0");
  }
  void TearDown() override {
    DeleteValue(HKEY_LOCAL_MACHINE, "Software\\Brindale", "SerialNumber");
    RegDeleteKeyA(HKEY_CURRENT_USER, kListKey);
  }
};

}  // namespace

TEST_F(ControllerUpdateTest, UpdateListAtStartThenAutomaticAndUserChecks) {
  ControllerFolder folder("update_start",
                          {"Pellomar.exe", "Caddrel.exe", "HalvornPeer.exe", "HalvornBasket.dll",
                           "TezIniManager.dll", "TezUpdate.exe"});
  folder.SetParam("Update", "autoUpdateActive", "1");
  folder.SetParam("Update", "autoUpdateStartupDelay", "500");
  folder.SetParam("Update", "httpTimeOutDelay", "8000");
  folder.SetParam("Links", "autoUpdateCheckUrl", ServiceUrl("Check&SN=%s&Ver=%s"));
  folder.SetParam("Update", "autoUpdatePrepareUrl", ServiceUrl("Prepare&SN=%s"));
  folder.Write("TezUpdateList.inx",
               std::string("[Entry List]\r\nnumberEntries=2\r\n[entry1]\r\n"
                           "updateRegistryRootKeyName=HKCU\r\nupdateRegistryKeyName=") +
                   kListKey +
                   "\r\nupdateRegistryValue=Version\r\nupdateRegistryCompareValue=4.9\r\n"
                   "updateCommandLine=TezUpdate.exe listentry1\r\ntimeout=20000\r\n"
                   "[entry2]\r\nupdateRegistryRootKeyName=HKCU\r\nupdateRegistryKeyName=" +
                   kListKey +
                   "\r\nupdateRegistryValue=Version\r\nupdateRegistryCompareValue=5.1\r\n"
                   "updateCommandLine=TezUpdate.exe listentry2\r\n");
  ASSERT_TRUE(folder.StartPeer());
  HANDLE controller = folder.Start("Pellomar.exe");
  ASSERT_TRUE(controller);
  ASSERT_TRUE(WaitForWindow("Brindale Control", true, 30000));
  DWORD pid = GetProcessId(controller);

  // The list runs at start; the automatic check then offers the upgrade.
  EXPECT_TRUE(folder.WaitForLine("TezUpdate.ran", "TezUpdate.exe listentry1", 20000));
  ASSERT_TRUE(AnswerOffer(pid, "Update"));
  EXPECT_EQ(folder.Key("TezUpdateList.inx", "entry1", "active"), "0");
  EXPECT_EQ(folder.FindLine("TezUpdate.ran", "TezUpdate.exe listentry2"), -1);
  ASSERT_TRUE(folder.WaitForLine("TezUpdate.ran", "\"", 20000));
  EXPECT_EQ(folder.Key("TezParam.inx", "Update", "autoUpdateActive"), "1");

  // The main program's menu asks for a check: the progress window, the
  // offer again, skipped this time.
  folder.Post(kUserUpdateCheck);
  ASSERT_TRUE(AnswerOffer(pid, "Skip"));
  EXPECT_EQ(folder.CountLines("TezUpdate.ran", "\""), 1);
  // The progress window is gone with the offer.
  EXPECT_FALSE(FindProcessWindow(pid, "TfrmUserUpdate"));
  EXPECT_TRUE(folder.CloseController());
}
