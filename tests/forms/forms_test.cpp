// The form class library: run-time conversions, string lists, components,
// threads calling into the main thread, timers and forms on real windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "Application.h"
#include "ControlTags.h"
#include "ExtCtrls.h"
#include "Pump.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "Threads.h"


TEST(RunTime, FormatTreatsCapitalSAsPlainString) {
  EXPECT_EQ(Format("&Automatic Recording (%d:%2.2d %S)", 12, 5, "PM"),
            "&Automatic Recording (12:05 PM)");
  EXPECT_EQ(Format("%2d:%2.2d:%2.2d.%3.3d ", 0, 5, 7, 42), " 0:05:07.042 ");
  EXPECT_EQ(Format("100%% %s", "done"), "100% done");
}

TEST(RunTime, StrToIntDefReadsDecimalAndHexadecimal) {
  struct Case {
    const char* text;
    int32_t expected;
  } cases[] = {{"12", 12},      {"-7", -7},           {"$20", 32},        {"0x1F", 31},
               {"0X10", 16},    {"  5", 5},           {"abc", -1},        {"", -1},
               {"0x", -1},      {"$", -1},            {"12a", -1},        {"2147483647", 2147483647},
               {"2147483648", -1}, {"-2147483648", INT32_MIN}, {"$FFFFFFFF", -1},
               {"$100000000", -1}, {"$7fffffff", 2147483647}};
  for (const Case& c : cases) EXPECT_EQ(StrToIntDef(c.text, -1), c.expected) << c.text;
  EXPECT_THROW(StrToInt("x1"), EConvertError);
  try {
    StrToInt("x1");
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'x1' is not a valid integer value");
  }
}

TEST(RunTime, DateTimeCountsDaysSince30Dec1899) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
  EXPECT_EQ(EncodeDate(1899, 12, 29), -1.0);
  EXPECT_THROW(EncodeDate(2001, 2, 29), EConvertError);
  int y, m, d, h, mi, s, ms;
  DecodeDate(36526.75, y, m, d);
  DecodeTime(36526.75, h, mi, s, ms);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20000101);
  EXPECT_EQ(h, 18);
  // Before the epoch the fraction still counts from midnight.
  DecodeDate(-1.25, y, m, d);
  DecodeTime(-1.25, h, mi, s, ms);
  EXPECT_EQ(y * 10000 + m * 100 + d, 18991229);
  EXPECT_EQ(h, 6);
  SYSTEMTIME st = {2024, 2, 0, 29, 23, 59, 58, 999};
  SYSTEMTIME back = DateTimeToSystemTime(SystemTimeToDateTime(st));
  EXPECT_EQ(back.wDay, 29);
  EXPECT_EQ(back.wDayOfWeek, 4);  // a Thursday
  EXPECT_EQ(back.wMilliseconds, 999);
}

TEST(StringList, NamesValuesAndObjects) {
  TStringList list;
  int changes = 0;
  list.OnChange = [&](TObject*) { ++changes; };
  list.Add("a=1");
  list.AddObject("plain", &list);
  list.SetValue("B", "2");
  list.SetValue("A", "3");  // names ignore case; replaced in place
  EXPECT_EQ(list.Text(), "A=3\r\nplain\r\nB=2\r\n");
  EXPECT_EQ(list.Values("b"), "2");
  EXPECT_EQ(list.Objects(1), &list);
  list.SetValue("a", "");  // an empty value removes the entry
  EXPECT_EQ(list.IndexOfName("a"), -1);
  EXPECT_EQ(list.Count(), 2);
  int before = changes;
  list.BeginUpdate();
  list.Add("x");
  list.Add("y");
  EXPECT_EQ(changes, before);
  list.EndUpdate();
  EXPECT_EQ(changes, before + 1);
  EXPECT_THROW(list.Strings(9), EStringListError);
}

namespace {
struct Probe : TComponent {
  Probe(TComponent* owner, std::vector<std::string>* log) : TComponent(owner), log_(log) {}
  ~Probe() override { log_->push_back("free " + Name()); }
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == opRemove) log_->push_back(Name() + " hears " + c->Name());
  }
  void Loaded() override { log_->push_back("loaded " + Name()); }
  std::vector<std::string>* log_;
};
}  // namespace

TEST(Component, OwnershipNamesAndFreeNotification) {
  std::vector<std::string> log;
  auto* owner = new Probe(nullptr, &log);
  owner->SetName("owner");
  owner->BeginLoading();
  auto* a = new Probe(owner, &log);
  a->SetName("a");
  auto* b = new Probe(owner, &log);
  b->SetName("b");
  EXPECT_TRUE(b->ComponentState() & csLoading);
  EXPECT_THROW(b->SetName("A"), EComponentError);
  owner->EndLoading();
  EXPECT_EQ(log, (std::vector<std::string>{"loaded a", "loaded b", "loaded owner"}));
  log.clear();

  Probe watcher(nullptr, &log);
  watcher.SetName("watcher");
  watcher.FreeNotification(a);
  EXPECT_EQ(owner->FindComponent("B"), b);
  delete owner;  // frees b, then a (last created first)
  EXPECT_EQ(log, (std::vector<std::string>{"free owner", "free b", "free a", "watcher hears a"}));
}

namespace {
struct SyncThread : TThread {
  std::vector<DWORD> seen;
  void Execute() override {
    for (int i = 0; i < 3; ++i) Synchronize([this] { seen.push_back(GetCurrentThreadId()); });
  }
};
}  // namespace

TEST(Thread, SynchronizeRunsOnTheMainThreadAndWaitForLetsItThrough) {
  Application->Initialize();
  SyncThread t;
  t.Resume();
  // The main thread waits without pumping its queue: the calls still come in.
  t.WaitFor();
  ASSERT_EQ(t.seen.size(), 3u);
  for (DWORD id : t.seen) EXPECT_EQ(id, GetCurrentThreadId());
}

TEST(Timer, FiresWhileEnabledOnly) {
  TTimer timer(nullptr);
  int ticks = 0;
  timer.SetInterval(20);
  timer.SetOnTimer([&](TObject*) { ++ticks; });
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 2; }));
  timer.SetEnabled(false);
  int now = ticks;
  DWORD start = GetTickCount();
  PumpUntil([&] { return GetTickCount() - start > 100; });
  EXPECT_EQ(ticks, now);
}

namespace {
struct TestForm : TForm {
  TButton* okButton;
  TCheckBox* check;
  TPanel* panel;
  std::vector<std::string> events;
  explicit TestForm(TComponent* owner) : TForm(owner, "TTestForm") {
    SetName("TestForm");
    SetCaption("Forms Test Window");
    panel = new TPanel(this);
    panel->SetName("panel");
    panel->SetBounds(0, 0, 200, 100);
    panel->SetParent(this);
    okButton = new TButton(this);
    okButton->SetName("okButton");
    okButton->SetCaption("&OK");
    okButton->ModalResult = mrOk;
    okButton->SetBounds(10, 10, 75, 25);
    okButton->SetParent(panel);
    check = new TCheckBox(this);
    check->SetName("check");
    check->SetBounds(10, 40, 100, 20);
    check->SetParent(panel);
    check->OnClick = [this](TObject*) { events.push_back(check->Checked() ? "on" : "off"); };
    SetMessageMethod(WM_USER + 5, [this](TMessage& m) {
      m.Result = static_cast<LRESULT>(m.WParam + m.LParam);
    });
    OnCreate = [this](TObject*) { events.push_back("create"); };
    OnShow = [this](TObject*) { events.push_back("show"); };
    FormCreated();
  }
};
}  // namespace

TEST(Form, ControlsAreTaggedWindowsAndMessagesReachTheirMethods) {
  Application->Initialize();
  TestForm form(nullptr);
  HWND button = FindControlByName(form.Handle(), "okButton");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button, form.okButton->Handle());
  EXPECT_EQ(GetParent(button), form.panel->Handle());
  EXPECT_EQ(ComponentNameOf(form.Handle()), "TestForm");
  char cls[64];
  GetClassNameA(form.Handle(), cls, sizeof cls);
  EXPECT_STREQ(cls, "TTestForm");
  EXPECT_EQ(SendMessageA(form.Handle(), WM_USER + 5, 40, 2), 42);

  form.check->SetChecked(true);  // a change in code fires OnClick too
  SendMessageA(form.check->Handle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(form.check->Checked());

  // The modal loop ends on the button's modal result.
  PostMessageA(button, BM_CLICK, 0, 0);
  EXPECT_EQ(form.ShowModal(), mrOk);
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(form.events, (std::vector<std::string>{"create", "on", "off", "show"}));

  form.SetBorderStyle(bsNone);
  EXPECT_FALSE(GetWindowLongPtrA(form.Handle(), GWL_STYLE) & WS_CAPTION);
  form.SetFormStyle(fsStayOnTop);
  EXPECT_TRUE(GetWindowLongPtrA(form.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  form.SetBounds(30, 40, 200, 150);
  EXPECT_EQ(form.Left(), 30);
  EXPECT_EQ(form.Width(), 200);
}

TEST(Form, ApplicationWindowHasClassAndTitle) {
  Application->SetTitle("Forms Test App");
  Application->Initialize();
  EXPECT_EQ(FindWindowA("TApplication", "Forms Test App"), Application->Handle());
}

namespace {
struct MainForm : TForm {
  explicit MainForm(TComponent* owner) : TForm(owner, "TMainProbe") {
    SetCaption("Forms Test Main");
    FormCreated();
  }
};
}  // namespace

TEST(Form, MinimisingTheMainFormFiresTheApplicationsEvent) {
  Application->Initialize();
  auto* form = new MainForm(Application);
  ASSERT_EQ(Application->MainForm(), form);
  int minimised = 0, restored = 0;
  Application->OnMinimize = [&](TObject*) { ++minimised; };
  Application->OnRestore = [&](TObject*) { ++restored; };
  form->Show();
  SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_EQ(minimised, 1);
  EXPECT_EQ(form->WindowState(), wsMinimized);
  Application->Restore();
  EXPECT_EQ(restored, 1);
  EXPECT_EQ(form->WindowState(), wsNormal);
  Application->OnMinimize = nullptr;
  Application->OnRestore = nullptr;
  delete form;
  EXPECT_EQ(Application->MainForm(), nullptr);
}
