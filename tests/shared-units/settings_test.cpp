// Settings files, mail queues and saved window positions through the real
// settings store library.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "Application.h"
#include "Forms.h"
#include "IniFiles2.h"
#include "ProbeProcess.h"
#include "SavePos.h"

TEST(Settings, WithoutTheLibraryEverythingAnswersItsDefault) {
  IniManagerUnload();
  TIniFile ini("unloaded.inx");
  EXPECT_EQ(ini.ReadString("S", "k", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadInteger("S", "k", 7), 7);
  EXPECT_NO_THROW(ini.WriteString("S", "k", "v"));
  EXPECT_NO_THROW(ini.EraseSection("S"));
  TStringList keys;
  ini.ReadSection("S", keys);
  EXPECT_EQ(keys.Count(), 0);
  TTezMailSlot queue("forms_test_queue");
  EXPECT_FALSE(queue.CreateNewMail(nullptr, WM_USER));
  EXPECT_EQ(queue.GetMailCount(), 0);
  EXPECT_FALSE(queue.CloseMail());
  EXPECT_EQ(GetFileAttributesA("unloaded.inx"), INVALID_FILE_ATTRIBUTES);
}

TEST(Settings, ValuesIntegersAndSections) {
  ASSERT_TRUE(IniManagerLoad());
  std::remove("settings.inx");
  TIniFile ini("settings.inx");
  ini.WriteString("Params", "name", "Brindale");
  EXPECT_EQ(ini.ReadString("Params", "name", ""), "Brindale");
  EXPECT_EQ(ini.ReadString("Params", "missing", "dflt"), "dflt");
  ini.WriteInteger("Params", "count", -42);
  EXPECT_EQ(ini.ReadString("Params", "count", ""), "-42");

  struct Case {
    const char* stored;
    int32_t expected;
  } cases[] = {{"0x1F", 31}, {"0X10", 16}, {"0x", 99}, {"12", 12},
               {"abc", 99},  {"$20", 32},  {"", 99},   {"0xFFFFFFFF", -1}};
  for (const Case& c : cases) {
    ini.WriteString("Numbers", "n", c.stored);
    EXPECT_EQ(ini.ReadInteger("Numbers", "n", 99), c.expected) << c.stored;
  }

  ini.WriteString("List", "a", "1");
  ini.WriteString("List", "b", "2");
  ini.WriteString("List", "empty", "");
  TStringList keys;
  keys.Add("stale");
  ini.ReadSection("List", keys);
  ASSERT_EQ(keys.Count(), 3);
  EXPECT_EQ(keys.Strings(0), "a");

  TStringList values;
  values.Add("z=9");
  values.Add("a=old");
  ini.ReadSectionValues("List", values);
  EXPECT_EQ(values.Text(), "z=9\r\na=1\r\nb=2\r\n");  // kept, replaced, added; empty not listed

  ini.EraseSection("List");
  ini.ReadSection("List", keys);
  EXPECT_EQ(keys.Count(), 0);
  EXPECT_EQ(ini.ReadString("Params", "name", ""), "Brindale");

  // A value longer than the shared buffer comes back cut, never overrun.
  ini.WriteString("Params", "long", std::string(600, 'x'));
  EXPECT_EQ(ini.ReadString("Params", "long", ""), std::string(255, 'x'));
}

TEST(Settings, RefusedWritesRaiseWithTheFileName) {
  ASSERT_TRUE(IniManagerLoad());
  TIniFile ini("no_such_folder\\x.inx");
  try {
    ini.WriteString("S", "k", "v");
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Unable to write to no_such_folder\\x.inx");
  }
  // A section the store refuses to erase: its name breaks the line.
  TIniFile good("erase.inx");
  good.WriteString("S", "k", "v");
  try {
    good.EraseSection("S\r\n[T]");
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Unable to write to erase.inx");
  }
  EXPECT_EQ(good.ReadString("S", "k", ""), "v");
}

TEST(Settings, MailQueueCarriesARecordAndNotifiesItsWindow) {
  ASSERT_TRUE(IniManagerLoad());
  Application->Initialize();
  int notified = 0;
  HWND window = AllocateHWnd([&](HWND w, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
    if (msg == WM_USER + 34) ++notified;
    return DefWindowProcA(w, msg, wp, lp);
  });
  TTezMailSlot queue("forms_test_queue");
  ASSERT_TRUE(queue.CreateNewMail(window, WM_USER + 34));
  MailMessage out = {};
  out.id = 77;
  out.message = TEZ_MSG_STATUS;
  out.lParam[9] = 9;
  ASSERT_EQ(IniManagerSendMail("forms_test_queue", out), 1);
  EXPECT_TRUE(PumpUntil([&] { return notified > 0; }));
  EXPECT_EQ(queue.GetMailCount(), 1);
  MailMessage in = {};
  int32_t len = 0;
  ASSERT_TRUE(queue.GetMail(&in, len));
  EXPECT_EQ(len, 184);
  EXPECT_EQ(in.id, 77);
  EXPECT_EQ(in.lParam[9], 9);
  EXPECT_FALSE(queue.GetMail(&in, len));
  EXPECT_TRUE(queue.CloseMail());
  DeallocateHWnd(window);
}

namespace {
struct PositionForm : TForm {
  TSavePos* SavePos1;
  explicit PositionForm(TComponent* owner) : TForm(owner, "TPositionForm") {
    SavePos1 = new TSavePos(this);
    SavePos1->SetName("SavePos1");
    SavePos1->FileName = "Halvorn.inx";
    SavePos1->SectionName = "ViewerSize";
    FormCreated();
  }
};
}  // namespace

TEST(SavePos, PositionsRoundTripThroughHalvornInx) {
  ASSERT_TRUE(IniManagerLoad());
  Application->Initialize();
  std::remove("Halvorn.inx");
  PositionForm form(nullptr);
  form.SetBounds(120, 80, 300, 200);
  form.SavePos1->SaveToFile();
  TIniFile ini("Halvorn.inx");
  EXPECT_EQ(ini.ReadInteger("ViewerSize", "Left", 0), 120);
  EXPECT_EQ(ini.ReadInteger("ViewerSize", "Height", 0), 200);

  form.SetBounds(10, 10, 100, 100);
  form.SavePos1->RestoreFromFile(false, 0);
  EXPECT_EQ(form.Left(), 120);
  EXPECT_EQ(form.Top(), 80);
  EXPECT_EQ(form.Width(), 300);
  EXPECT_EQ(form.Height(), 200);

  // Left and Top only.
  form.SavePos1->SectionName = "DragDropSize";
  form.SavePos1->SaveOptions = SaveLeft | SaveTop;
  form.SavePos1->SaveToFile();
  TStringList keys;
  ini.ReadSection("DragDropSize", keys);
  EXPECT_EQ(keys.Text(), "Top\r\nLeft\r\n");

  // A stored Top above the screen restores at 0; a rectangle reaching below
  // the screen is moved up to end 5 pixels (plus the extra height) above it.
  int sh = GetSystemMetrics(SM_CYSCREEN);
  ini.WriteInteger("ViewerSize", "Top", -20);
  form.SavePos1->SectionName = "ViewerSize";
  form.SavePos1->RestoreFromFile(false, 0);
  EXPECT_EQ(form.Top(), 0);
  ini.WriteInteger("ViewerSize", "Top", sh - 100);
  form.SavePos1->RestoreFromFile(false, 8);
  EXPECT_EQ(form.Top(), sh - 200 - 8 - 5);
  EXPECT_EQ(form.Height(), 200 + 8);
  // A slide ends on the stored rectangle too.
  form.SavePos1->NumIterations = 5;
  ini.WriteInteger("ViewerSize", "Top", 90);
  form.SavePos1->RestoreFromFile(true, 0);
  EXPECT_EQ(form.Top(), 90);
  EXPECT_EQ(form.Left(), 120);
  EXPECT_EQ(form.Width(), 300);
}
