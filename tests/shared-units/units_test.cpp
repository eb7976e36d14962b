// Utility routines, the registry class, the trace writer, panel enabling
// and the screen limits and hops of the position component.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "Application.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "MailSlotComp.h"
#include "ModalScope.h"
#include "ProbeProcess.h"
#include "Registry2.h"
#include "SavePos.h"
#include "StdCtrls.h"
#include "Trace.h"
#include "Utils.h"

TEST(Utils, TimeAndProgressTexts) {
  struct Case {
    int kind;
    int32_t value, total;
    const char* text;
  } cases[] = {
      {1, 999, 500, "0 KB"},       {1, 2500, 10000, "2/10 KB"}, {2, 59, 0, "00:59"},
      {2, 3725, 7200, "62:05/120:00"}, {3, 4, 0, "4"},          {3, 4, 9, "4/9"},
      {4, 50, 0, "50%"},           {4, 50, 100, "50%/100%"},   {5, 1, 1, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ProgressText(c.kind, c.value, c.total), c.text) << c.kind << " " << c.value;
  EXPECT_EQ(MinutesSecondsText(59999), "00:59");
  EXPECT_EQ(MinutesSecondsText(60000), "01:00");
  EXPECT_EQ(RecorderStateText(3), "Working");
  EXPECT_EQ(RecorderStateText(4), "");
  EXPECT_EQ(ItemStatusText(3, true), "Playing");
  EXPECT_EQ(ItemStatusText(3, false), "Recording");
  EXPECT_EQ(ItemStatusText(1004, false), "Local file has been removed");
  EXPECT_EQ(ItemStatusText(8, false), "");
  EXPECT_EQ(SubscriptionText(1), "");
  EXPECT_EQ(SubscriptionText(3), "On Hold");
}

TEST(Utils, FieldsLinksPasswordsAndRecorderState) {
  EXPECT_EQ(GetField(1, ",", "a,b,c"), "b");
  EXPECT_EQ(GetField(2, ",", "a,b,c"), "c");
  EXPECT_EQ(GetField(3, ",", "a,b,c"), "");
  EXPECT_EQ(GetField(1, ",", "a,,c"), "");
  EXPECT_EQ(GetField(1, "::", "x::y::z"), "y");
  EXPECT_TRUE(IsLinkText("http://host/a"));
  EXPECT_TRUE(IsLinkText("c:\\\\share"));
  EXPECT_FALSE(IsLinkText("c:\\file.mp3"));
  std::string secret = "pass word 123";
  EXPECT_NE(ScramblePassword(secret), secret);
  EXPECT_EQ(ScramblePassword(ScramblePassword(secret)), secret);
  EXPECT_EQ(ScramblePassword(std::string("ab\x9E" "cd")), std::string("\xFF\xFC"));  // stops at 0
  EXPECT_EQ(ScramblePassword(std::string(150, 'a')).size(), 99u);
  TRecorderState s;
  SetRecorderState(s, 2, 13);
  EXPECT_EQ(PackRecorderState(s), 2 * 16 + 13);
  TRecorderState back = UnpackRecorderState(0x1F);
  EXPECT_EQ(back.kind, 1);
  EXPECT_EQ(back.state, 15);
}

TEST(Utils, TestStatusTextReadsTheMailTextWithinItsBounds) {
  MailMessage m = {};
  m.message = TEZ_MSG_EVENT;
  m.lParam[0] = TEZ_EVENT_START;
  EXPECT_EQ(TestStatusText(m), " Starting Download");
  m.lParam[0] = TEZ_EVENT_STOP;
  EXPECT_EQ(TestStatusText(m), " Finished Download");
  m.message = TEZ_MSG_STATUS;
  EXPECT_EQ(TestStatusText(m), "Downloading test data...");
  m.message = TEZ_MSG_ERROR;
  EXPECT_EQ(TestStatusText(m), "Error");
  // A text length beyond the field and no terminating zero anywhere.
  std::memset(m.text, 'z', sizeof m.text);
  m.textLength = 5000;
  EXPECT_EQ(TestStatusText(m), "Error " + std::string(127, 'z'));
  m.textLength = 3;
  EXPECT_EQ(TestStatusText(m), "Error zzz");
  m.textLength = -4;
  EXPECT_EQ(TestStatusText(m), "Error");
}

TEST(Utils, ModalScopeLowersTheCountOnEveryWayOut) {
  int depth = 0, done = 0;
  {
    TModalScope modal(depth, [&] { ++done; });
    EXPECT_EQ(depth, 1);
    TModalScope inner(depth);
    EXPECT_EQ(depth, 2);
  }
  EXPECT_EQ(depth, 0);
  try {
    TModalScope modal(depth, [&] { ++done; });
    throw std::runtime_error("the dialog failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(depth, 0);
  EXPECT_EQ(done, 2);
}

TEST(Registry, OpensExistingKeysAndKeepsTheAutostartValue) {
  // Without an installation's record the version is empty.
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Brindale");
  EXPECT_EQ(ProductVersion(), "");
  EXPECT_EQ(ProductVersionText(), "Brindale Media Manager, ");
  Tregistry2 reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(reg.OpenKey("Software\\BrindaleTestNoSuchKey", false));
  ASSERT_TRUE(reg.OpenKey("\\Software\\Brindale", true));
  reg.WriteString("Version", "4.2.1");
  EXPECT_EQ(reg.CurrentPath(), "Software\\Brindale");
  reg.CloseKey();
  EXPECT_EQ(ProductVersion(), "4.2.1");
  EXPECT_EQ(ProductVersionText(), "Brindale Media Manager, 4.2.1");

  // A value of another type is refused with its text.
  HKEY k;
  ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Brindale", &k), ERROR_SUCCESS);
  DWORD number = 5;
  RegSetValueExA(k, "Number", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), sizeof number);
  RegCloseKey(k);
  ASSERT_TRUE(reg.OpenKey("\\Software\\Brindale", false));
  try {
    reg.ReadString("Number");
    ADD_FAILURE() << "no exception";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message(), "Invalid data type for 'Number'");
  }
  EXPECT_EQ(reg.ReadString("Missing"), "");

  EXPECT_TRUE(SetAutoStart("C:\\Brindale\\Pellomar.exe", true));
  TRegistry run;
  run.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(run.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Run", false));
  EXPECT_EQ(run.ReadString("BrindaleSoftware"), "C:\\Brindale\\Pellomar.exe");
  EXPECT_TRUE(SetAutoStart("", false));
  EXPECT_FALSE(run.ValueExists("BrindaleSoftware"));
  EXPECT_FALSE(SetAutoStart("", false));
}

namespace {
std::string ReadAll(const char* name) {
  std::ifstream f(name, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}
}  // namespace

TEST(Trace, StampAndFileRestartAboveTheLimit) {
  SYSTEMTIME t = {};
  t.wHour = 0;
  t.wMinute = 5;
  t.wSecond = 7;
  t.wMilliseconds = 42;
  EXPECT_EQ(TraceStamp(t), " 0:05:07.042 ");
  t.wHour = 13;
  EXPECT_EQ(TraceStamp(t).substr(0, 3), "13:");

  std::remove("trace.log");
  EXPECT_EQ(GetFileSizeByName("trace.log"), 0);
  WriteTrace("trace.log", "first", false, 40);
  std::string one = ReadAll("trace.log");
  ASSERT_EQ(one.size(), 13u + 5 + 2);
  EXPECT_EQ(one.substr(13), "first\r\n");
  WriteTrace("trace.log", "second", false, 40);  // 20 bytes: appended
  EXPECT_EQ(GetFileSizeByName("trace.log"), 41);
  WriteTrace("trace.log", "third", false, 40);  // 41 > 40: a new file
  EXPECT_EQ(ReadAll("trace.log").substr(13), "third\r\n");
  WriteTrace("trace.log", "at limit", false, 20);  // exactly 20: appended
  EXPECT_EQ(GetFileSizeByName("trace.log"), 20 + 13 + 8 + 2);

  // The copy to the trace mailslot is the line without its end.
  Application->Initialize();
  TMailSlotComp slot(nullptr);
  slot.SetSlot("tezdbg.slt");
  std::string got;
  slot.OnMessageAvail = [&](TObject*, const std::string& msg) { got = msg; };
  slot.SetActive(true);
  WriteTrace("", "to slot", true, 40);
  ASSERT_TRUE(PumpUntil([&] { return !got.empty(); }));
  EXPECT_EQ(got.size(), 13u + 7);
  EXPECT_EQ(got.substr(13), "to slot");

  EXPECT_THROW(WriteTrace("no_such_folder\\trace.log", "x", false, 40), EInOutError);
}

namespace {
struct PanelForm : TForm {
  TPanel *outer, *inner;
  TImage* image;
  TComboBox* combo;
  TEdit* edit;
  TButton* button;
  explicit PanelForm(TComponent* owner) : TForm(owner, "TPanelForm") {
    outer = new TPanel(this);
    outer->SetCaption("Dial-up");
    outer->SetParent(this);
    inner = new TPanel(this);
    inner->SetParent(outer);
    combo = new TComboBox(this);
    combo->SetParent(inner);
    edit = new TEdit(this);
    edit->SetParent(outer);
    button = new TButton(this);
    button->SetParent(outer);
    image = new TImage(this);
    image->SetBitmap(CreateBitmap(4, 4, 1, 1, nullptr));
    image->SetParent(outer);
    FormCreated();
  }
};
}  // namespace

TEST(Utils, EnablePanelReachesNestedPanelsAndChildImages) {
  Application->Initialize();
  PanelForm form(nullptr);
  form.button->SetColor(clWindow);  // buttons keep their own colour
  EnablePanel(form.outer, false, clBtnFace);
  EXPECT_FALSE(IsWindowEnabled(form.outer->Handle()));
  EXPECT_FALSE(IsWindowEnabled(form.combo->Handle()));
  EXPECT_FALSE(IsWindowEnabled(form.button->Handle()));
  EXPECT_EQ(form.combo->Color(), clBtnFace);
  EXPECT_EQ(form.edit->Color(), clBtnFace);
  EXPECT_EQ(form.button->Color(), clWindow);
  EXPECT_EQ(form.outer->FontColor(), clBtnFace);
  EnablePanel(form.outer, true, clWindow);
  EXPECT_TRUE(IsWindowEnabled(form.combo->Handle()));
  EXPECT_EQ(form.combo->Color(), clWindow);
  EXPECT_EQ(form.inner->FontColor(), clWindowText);  // no caption: font kept

  EXPECT_EQ(ChildImageHandle(form.outer, 3), form.image->BitmapHandle());
  EXPECT_NE(form.image->BitmapHandle(), nullptr);
  EXPECT_EQ(ChildImageHandle(form.outer, 2), nullptr);  // the button
  EXPECT_EQ(ChildImageHandle(form.outer, 4), nullptr);
  EXPECT_EQ(ChildImageHandle(nullptr, 0), nullptr);
}

namespace {
struct PlainForm : TForm {
  TSavePos* pos;
  explicit PlainForm(TComponent* owner) : TForm(owner, "TPlainForm") {
    pos = new TSavePos(this);
    FormCreated();
  }
};
}  // namespace

TEST(SavePos, MoveFormKeepsTheWindowOnTheScreenAndHopsChangeSides) {
  Application->Initialize();
  PlainForm form(nullptr);
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  form.pos->MoveForm(RECT{-30, -20, 170, 130}, false, 0);
  EXPECT_EQ(form.Left(), 0);
  EXPECT_EQ(form.Top(), 0);
  EXPECT_EQ(form.Width(), 200);
  form.pos->MoveForm(RECT{sw - 100, sh - 50, sw + 100, sh + 100}, false, 10);
  EXPECT_EQ(form.Left(), sw - 200 - 5);
  EXPECT_EQ(form.Top(), sh - 150 - 10 - 5);
  EXPECT_EQ(form.Height(), 160);

  int last = 0;
  for (int i = 0; i < 200; ++i) {
    RECT r = form.pos->NextEdgeSquare();
    int side = form.pos->LastSide();
    EXPECT_NE(side, last);
    last = side;
    EXPECT_EQ(r.right - r.left, 50);
    EXPECT_GE(r.left, 0);
    EXPECT_LE(r.right, sw);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.bottom, sh);
    if (side == 2) {
      EXPECT_EQ(r.top, sh - 50);
    }
    if (side == 3) {
      EXPECT_EQ(r.left, sw - 50);
    }
  }

  // A straight slide ends exactly on the target.
  form.pos->NumJumps = 0;
  form.pos->NumIterations = 7;
  form.pos->MoveForm(RECT{101, 103, 301, 260}, true, 0);
  EXPECT_EQ(form.Left(), 101);
  EXPECT_EQ(form.Top(), 103);
  EXPECT_EQ(form.Width(), 200);
  form.pos->NumJumps = 2;
  form.pos->ChangeSideBeforeSlide = true;
  form.pos->NumIterations = 0;  // moves at once
  form.pos->MoveForm(RECT{50, 60, 250, 210}, true, 0);
  EXPECT_EQ(form.Left(), 50);
  EXPECT_EQ(form.Height(), 150);
}
