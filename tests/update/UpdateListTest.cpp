// The update list at the controller's start: entries that run, entries that
// are skipped, and entries that ran once and are marked done. The entries
// start the updater stand-in, which leaves its command line in
// TezUpdate.ran.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "IniFiles2.h"
#include "UpdateList.h"
#include "UpdateTestSupport.h"

namespace {

const char kKey[] = "Software\\BrindaleUpdateListTest";

void SetVersion(HKEY root, const char* name, const char* value) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(root, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                 static_cast<DWORD>(strlen(value) + 1));
  RegCloseKey(key);
}

struct Entry {
  const char* root;
  const char* value;  // registry value name
  const char* compare;
  const char* active;  // nullptr: key absent
  int timeout;
};

std::string EntryCommand(int i) {
  return "\"" + ProgramFolder() + "\\TezUpdate.exe\" entry" + std::to_string(i);
}

void WriteList(const std::string& file, const std::vector<Entry>& entries) {
  std::ofstream f(file, std::ios::binary | std::ios::trunc);
  f << "[Entry List]\r\nnumberEntries=" << entries.size() << "\r\n";
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    f << "[entry" << i + 1 << "]\r\n"
      << "updateRegistryRootKeyName=" << e.root << "\r\n"
      << "updateRegistryKeyName=" << kKey << "\r\n"
      << "updateRegistryValue=" << e.value << "\r\n"
      << "updateRegistryCompareValue=" << e.compare << "\r\n"
      << "updateCommandLine=" << EntryCommand(static_cast<int>(i + 1)) << "\r\n"
      << "description=entry " << i + 1 << "\r\n";
    if (e.active) f << "active=" << e.active << "\r\n";
    if (e.timeout) f << "timeout=" << e.timeout << "\r\n";
  }
}

// The entries that ran, by the marks of the updater stand-in.
std::vector<int> EntriesRun() {
  std::vector<int> run;
  std::string marks = ReadFileText("TezUpdate.ran");
  for (size_t at = marks.find(" entry"); at != std::string::npos;
       at = marks.find(" entry", at + 1))
    run.push_back(std::atoi(marks.c_str() + at + 6));
  return run;
}

class UpdateListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(IniManagerLoad());
    DeleteFileA("TezUpdate.ran");
    DeleteFileA("TezUpdate.hold");
    RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
  }
  void TearDown() override {
    DeleteFileA("TezUpdate.hold");
    RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
    IniManagerUnload();
  }
  std::vector<std::string> trace_;
  std::function<void(const std::string&)> trace = [this](const std::string& s) {
    trace_.push_back(s);
  };
};

}  // namespace

TEST_F(UpdateListTest, RunsDueEntriesOnceAndSkipsTheRest) {
  SetVersion(HKEY_CURRENT_USER, "Version", "1,2,5");
  SetVersion(HKEY_CURRENT_USER, "Old", "1.2");
  SetVersion(HKEY_LOCAL_MACHINE, "Machine", "2.0");
  SetVersion(HKEY_CURRENT_USER, "Empty", "");
  std::string file = "TezUpdateList.inx";
  WriteList(file, {
                      {"HKCU", "Version", "1.2", nullptr, 10000},            // 1 runs
                      {"HKEY_CURRENT_USER", "Old", "1.2.3", "1", 10000},    // 2 version too low
                      {"hklm", "Machine", "1.9", "1", 10000},               // 3 runs
                      {"HKCU", "Version", "1.0", "0", 10000},               // 4 not active
                      {"HKCU", "Missing", "0", "1", 10000},                 // 5 no value
                      {"HKCU", "Empty", "", "1", 10000},                    // 6 empty version
                      {"nonsense", "Version", "1.2.5", "1", 10000},         // 7 HKCU by default
                  });
  ProcessUpdateList(file, trace);
  EXPECT_EQ(EntriesRun(), (std::vector<int>{1, 3, 7}));

  TIniFile list(file);
  for (int i = 1; i <= 7; ++i) {
    bool ran = i == 1 || i == 3 || i == 7;
    EXPECT_EQ(list.ReadInteger("entry" + std::to_string(i), "active", 1), ran || i == 4 ? 0 : 1)
        << "entry " << i;
  }
  EXPECT_EQ(list.ReadString("entry1", "updateCommandLine", ""), EntryCommand(1));

  // The next start runs nothing again; an entry that becomes due later runs then.
  SetVersion(HKEY_CURRENT_USER, "Old", "1.2.3");
  ProcessUpdateList(file, trace);
  EXPECT_EQ(EntriesRun(), (std::vector<int>{1, 3, 7, 2}));
}

TEST_F(UpdateListTest, ProgramStillRunningAfterItsTimeOutIsEnded) {
  SetVersion(HKEY_CURRENT_USER, "Version", "3.0");
  WriteList("TezUpdateList.inx", {{"HKCU", "Version", "3", "1", 3000}});
  // The stand-in waits while the hold file exists: it never ends by itself.
  { std::ofstream("TezUpdate.hold") << "hold"; }
  ProcessUpdateList("TezUpdateList.inx", trace);
  DeleteFileA("TezUpdate.hold");
  EXPECT_EQ(EntriesRun(), (std::vector<int>{1}));
  TIniFile list("TezUpdateList.inx");
  EXPECT_EQ(list.ReadInteger("entry1", "active", 1), 0);
  bool ended = false;
  for (const std::string& line : trace_) ended |= line.find("time-out") != std::string::npos;
  EXPECT_TRUE(ended);
}

TEST_F(UpdateListTest, MissingListAndBadCommandLine) {
  ProcessUpdateList("NoSuchList.inx", trace);
  EXPECT_FALSE(PathExists("NoSuchList.inx"));
  SetVersion(HKEY_CURRENT_USER, "Version", "3.0");
  {
    std::ofstream f("TezUpdateList.inx", std::ios::binary | std::ios::trunc);
    f << "[Entry List]\r\nnumberEntries=1\r\n[entry1]\r\nupdateRegistryKeyName=" << kKey
      << "\r\nupdateRegistryValue=Version\r\nupdateCommandLine=NoSuchProgram.exe\r\n";
  }
  ProcessUpdateList("TezUpdateList.inx", trace);
  // Not started: it stays due and the trace says why.
  TIniFile list("TezUpdateList.inx");
  EXPECT_EQ(list.ReadInteger("entry1", "active", 1), 1);
  ASSERT_FALSE(trace_.empty());
  EXPECT_NE(trace_.back().find("cannot start NoSuchProgram.exe"), std::string::npos);
}
