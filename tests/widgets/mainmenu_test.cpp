// The owner-drawn menu bar of a form: opened by a click and by keys on the
// X display with its items' pixels read back; merging of main menus; F1 on
// an item; the window hook in both modes and across a new window.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "../forms/Pump.h"
#include "Forms.h"
#include "GraphicControls.h"
#include "MenuWindow.h"
#include "oxMenus.h"

namespace {

struct LoadedForm : TForm {
  LoadedForm() : TForm(Application) { FormCreated(); }
};

TMenuItem* NewItem(TComponent* owner, TMenuItem* parent, const std::string& caption, int group = 0) {
  auto* i = new TMenuItem(owner);
  i->SetCaption(caption);
  i->GroupIndex = group;
  parent->Add(i);
  return i;
}

std::string BarText(HMENU menu, int pos) {
  char buf[64] = {};
  GetMenuStringA(menu, static_cast<UINT>(pos), buf, sizeof buf, MF_BYPOSITION);
  return buf;
}

HWND ShownMenuWindow(int ms = 4000) {
  for (int waited = 0; waited < ms; waited += 10) {
    if (HWND w = OwnMenuWindow()) return w;
    Sleep(10);
  }
  return nullptr;
}

void ClickAt(POINT p) {
  SetCursorPos(p.x, p.y);
  Sleep(60);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(1, &in[0], sizeof(INPUT));
  Sleep(60);
  SendInput(1, &in[1], sizeof(INPUT));
}

// What a helper thread saw of the open drop-down menu.
struct Seen {
  bool found = false;
  RECT rect{};
  COLORREF banner = 0, item = 0;
  bool ownerDrawn = false;
};

// Waits for the drop-down, reads it, then types the keys into it.
void Watch(Seen* seen, HWND owner, HMENU sub, std::vector<WORD> keys) {
  HWND w = ShownMenuWindow();
  if (!w) return;
  seen->found = true;
  GetWindowRect(w, &seen->rect);
  HDC screen = GetDC(nullptr);
  for (int i = 0; i < 100; ++i) {
    seen->banner = GetPixel(screen, seen->rect.left + 6, seen->rect.bottom - 8);
    if (seen->banner == RGB(0, 0, 160)) break;
    Sleep(20);
  }
  seen->item = GetPixel(screen, seen->rect.right - 8, seen->rect.top + 6);
  ReleaseDC(nullptr, screen);
  seen->ownerDrawn = (GetMenuState(sub, 0, MF_BYPOSITION) & MF_OWNERDRAW) != 0;
  // Keys go to the menu's owner (the menu loop reads the thread's whole
  // queue): windows of tests beside this one may hold the keyboard focus
  // of the display.
  auto post = [owner](WORD k) {
    if (k >= 'A' && k <= 'Z') {
      PostMessageA(owner, WM_CHAR, static_cast<WPARAM>(k - 'A' + 'a'), 1);
    } else {
      PostMessageA(owner, WM_KEYDOWN, k, 1);
      Sleep(40);
      PostMessageA(owner, WM_KEYUP, k, 0xC0000001);
    }
    Sleep(60);
  };
  for (WORD k : keys) post(k);
  // A menu the keys did not close is closed, so that a failing test ends.
  for (int i = 0; i < 200 && OwnMenuWindow(); ++i) Sleep(10);
  for (int i = 0; i < 3 && OwnMenuWindow(); ++i) post(VK_ESCAPE);
}

// Alt and a letter on the form, as the keyboard's translation hands it
// over.
void AltKey(HWND form, char letter) {
  PostMessageA(form, WM_SYSCHAR, static_cast<WPARAM>(letter), 1 | (1 << 29));
}

class MainMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application->Initialize();
    form_ = new LoadedForm;
    form_->SetBounds(40, 40, 360, 240);
    menu_ = new ToxMenu(form_);
    menu_->SetStyle(oxmWin97);
    menu_->SetOptions(oxmSet(oxmBanner) | oxmSet(oxmMultiLine));
    menu_->Banner()->SetVertical(true);
    menu_->Banner()->SetColor(static_cast<TColor>(RGB(0, 0, 160)));
    menu_->SetCaption("Brindale");
    file_ = NewItem(form_, menu_->Items(), "&File");
    open_ = NewItem(form_, file_, "&Open");
    NewItem(form_, file_, "-");
    exit_ = NewItem(form_, file_, "E&xit");
    help_ = NewItem(form_, menu_->Items(), "&Help", 9);
    about_ = NewItem(form_, help_, "&About");
    open_->OnClick = [this](TObject*) { ++opened_; };
    exit_->OnClick = [this](TObject*) { ++exited_; };
    form_->SetMenu(menu_);
    // Above the windows of tests beside this one, where the clicks land.
    form_->SetFormStyle(fsStayOnTop);
    form_->Show();
    SetForegroundWindow(form_->Handle());
    PumpUntil([this] { return GetForegroundWindow() == form_->Handle(); }, 3000);
  }
  void TearDown() override {
    delete form_;
    Application->OnHelp = nullptr;
  }
  POINT BarItemCentre(int pos) {
    RECT r = {};
    GetMenuItemRect(form_->Handle(), GetMenu(form_->Handle()), static_cast<UINT>(pos), &r);
    POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    PumpUntil([&] { return WindowFromPoint(p) == form_->Handle(); }, 3000);
    return p;
  }

  LoadedForm* form_ = nullptr;
  ToxMenu* menu_ = nullptr;
  TMenuItem *file_, *open_, *exit_, *help_, *about_;
  int opened_ = 0, exited_ = 0;
};

}  // namespace

TEST_F(MainMenuTest, BarOpensByClickAndKeysWithOwnerDrawnItems) {
  HMENU bar = GetMenu(form_->Handle());
  ASSERT_EQ(bar, menu_->Handle());
  ASSERT_EQ(GetMenuItemCount(bar), 2);
  EXPECT_EQ(BarText(bar, 0), "&File");

  // A click on "File" drops it down: banner strip and items are painted by
  // the menu; the bar's own items stay plain. Down twice skips the
  // separator to "Exit", Enter runs it.
  Seen seen;
  std::thread t(Watch, &seen, form_->Handle(), file_->Handle(), std::vector<WORD>{VK_DOWN, VK_DOWN, VK_RETURN});
  ClickAt(BarItemCentre(0));
  EXPECT_TRUE(PumpUntil([this] { return exited_ == 1; }, 8000));
  t.join();
  ASSERT_TRUE(seen.found);
  EXPECT_TRUE(seen.ownerDrawn);
  EXPECT_EQ(seen.banner, RGB(0, 0, 160));
  EXPECT_NE(seen.item, RGB(0, 0, 160));
  MENUITEMINFOA mi = {};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_FTYPE;
  ASSERT_TRUE(GetMenuItemInfoA(bar, 0, TRUE, &mi));
  EXPECT_FALSE(mi.fType & MFT_OWNERDRAW);
  EXPECT_EQ(opened_, 0);

  // Alt+F opens it from the keyboard; the accelerator "o" of the
  // owner-drawn item runs "Open".
  Seen keys;
  std::thread k(Watch, &keys, form_->Handle(), file_->Handle(), std::vector<WORD>{'O'});
  AltKey(form_->Handle(), 'f');
  EXPECT_TRUE(PumpUntil([this] { return opened_ == 1; }, 8000));
  k.join();
  EXPECT_TRUE(keys.found);
  EXPECT_EQ(exited_, 1);
}

TEST_F(MainMenuTest, ChangesRedrawTheBarAndMergedItemsFollowTheirGroups) {
  // A change of the menu marks it: the next opening rewrites the items.
  SendMessageA(form_->Handle(), WM_INITMENU, reinterpret_cast<WPARAM>(menu_->Handle()), 0);
  EXPECT_FALSE(menu_->Data().changed);
  menu_->SetStyle(oxmNormal);
  EXPECT_TRUE(menu_->Data().changed);
  SendMessageA(form_->Handle(), WM_INITMENU, reinterpret_cast<WPARAM>(menu_->Handle()), 0);
  EXPECT_FALSE(GetMenuState(file_->Handle(), 0, MF_BYPOSITION) & MF_OWNERDRAW);

  // An MDI child's menu: its group 0 replaces the form's, its group 5
  // lands between 0 and 9.
  TMainMenu child(nullptr);
  TMenuItem* childFile = NewItem(&child, child.Items(), "&Document", 0);
  TMenuItem* save = NewItem(&child, childFile, "&Save");
  NewItem(&child, child.Items(), "&Edit", 5);
  int saved = 0;
  save->OnClick = [&](TObject*) { ++saved; };
  menu_->Merge(&child);
  HMENU bar = GetMenu(form_->Handle());
  ASSERT_EQ(GetMenuItemCount(bar), 3);
  EXPECT_EQ(BarText(bar, 0), "&Document");
  EXPECT_EQ(BarText(bar, 1), "&Edit");
  EXPECT_EQ(BarText(bar, 2), "&Help");
  // Owner-drawn again, the merged items are drawn too.
  menu_->SetStyle(oxmWin95);
  SendMessageA(form_->Handle(), WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
  EXPECT_TRUE(GetMenuState(childFile->Handle(), 0, MF_BYPOSITION) & MF_OWNERDRAW);
  // The merged item's command reaches it through the form.
  SendMessageA(form_->Handle(), WM_COMMAND, save->Command(), 0);
  EXPECT_EQ(saved, 1);
  // A new item of the merged menu shows at once.
  NewItem(&child, child.Items(), "&Tools", 6);
  EXPECT_EQ(GetMenuItemCount(bar), 4);
  EXPECT_EQ(BarText(bar, 2), "&Tools");
  menu_->Unmerge(&child);
  ASSERT_EQ(GetMenuItemCount(bar), 2);
  EXPECT_EQ(BarText(bar, 0), "&File");
  EXPECT_EQ(BarText(bar, 1), "&Help");
}

int frameChanges = 0;
WNDPROC formProc = nullptr;
LRESULT CALLBACK CountingFormProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  // The bar is redrawn through a frame change of its window.
  if (msg == WM_NCCALCSIZE && wp) ++frameChanges;
  return CallWindowProcA(formProc, w, msg, wp, lp);
}

// Each change that marks the menu redraws the bar; painting the drop-down
// items (gradient banner included) never does.
TEST_F(MainMenuTest, MarkingChangesRedrawTheBarAndPaintingDoesNot) {
  menu_->Banner()->SetStyle(oxmVertGradient);
  menu_->Banner()->SetGradient(clRed);
  formProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(form_->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingFormProc)));
  auto redraws = [](const std::function<void()>& change) {
    frameChanges = 0;
    change();
    return frameChanges;
  };
  EXPECT_GE(redraws([&] { menu_->SetStyle(oxmWin95); }), 1);
  EXPECT_GE(redraws([&] { menu_->SetOptions(menu_->Options() | oxmSet(oxmCustomFont)); }), 1);
  EXPECT_GE(redraws([&] { menu_->Banner()->SetWidth(20); }), 1);
  EXPECT_GE(redraws([&] { menu_->Font()->SetHeight(-15); }), 1);
  EXPECT_EQ(redraws([&] { menu_->SetColor(clYellow); }), 0);  // stored without marking
  SendMessageA(form_->Handle(), WM_INITMENU, reinterpret_cast<WPARAM>(menu_->Handle()), 0);
  EXPECT_FALSE(menu_->Data().changed);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bits = CreateCompatibleBitmap(screen, 120, 40);
  HGDIOBJ old = SelectObject(dc, bits);
  for (TMenuItem* item : {open_, exit_}) {
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_MENU;
    dis.itemID = item->Command();
    dis.itemAction = ODA_DRAWENTIRE;
    dis.hwndItem = reinterpret_cast<HWND>(file_->Handle());
    dis.hDC = dc;
    dis.rcItem = {0, 0, 120, 40};
    dis.itemData = reinterpret_cast<ULONG_PTR>(item);
    EXPECT_EQ(redraws([&] { SendMessageA(form_->Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis)); }), 0);
  }
  EXPECT_FALSE(menu_->Data().changed);
  SelectObject(dc, old);
  DeleteObject(bits);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  SetWindowLongPtrA(form_->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(formProc));
}

// F1 on a highlighted item asks for its help context: as a context popup
// when the form has the help border icon, else as the help-context call.
TEST_F(MainMenuTest, F1OnAnItemShowsItsHelp) {
  open_->HelpContext = 4711;
  std::vector<std::pair<UINT, ULONG_PTR>> asked;
  Application->OnHelp = [&](UINT command, ULONG_PTR data, bool& callHelp) {
    asked.emplace_back(command, data);
    callHelp = false;
    return true;
  };
  // F1 pressed in the open menu.
  Seen seen;
  PumpUntil([] { return false; }, 300);
  std::thread t(Watch, &seen, form_->Handle(), file_->Handle(), std::vector<WORD>{VK_DOWN, VK_F1, VK_ESCAPE, VK_ESCAPE});
  ClickAt(BarItemCentre(0));
  PumpUntil([&] { return !asked.empty() && !OwnMenuWindow(); }, 8000);
  t.join();
  ASSERT_TRUE(seen.found);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].first, static_cast<UINT>(HELP_CONTEXT));
  EXPECT_EQ(asked[0].second, 4711u);
  // With the help border icon the same request is a context popup; an
  // item of no menu of the form is left to the default handling.
  form_->SetBorderIcons(biSystemMenu | biHelp);
  EXPECT_TRUE(GetWindowLongPtrA(form_->Handle(), GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
  SetForegroundWindow(form_->Handle());
  PumpUntil([this] { return GetActiveWindow() == form_->Handle(); }, 3000);
  asked.clear();
  HELPINFO info = {sizeof info, HELPINFO_MENUITEM, static_cast<int>(open_->Command()),
                   reinterpret_cast<HANDLE>(file_->Handle()), 0, {0, 0}};
  EXPECT_EQ(SendMessageA(form_->Handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info)), TRUE);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].first, static_cast<UINT>(HELP_CONTEXTPOPUP));
  EXPECT_EQ(asked[0].second, 4711u);
  info.iCtrlId = 0xFFF0;
  info.hItemHandle = nullptr;
  SendMessageA(form_->Handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(asked.size(), 1u);
}

namespace {

// Counts a private message after the window's own handling.
class CountingHook : public ToxBaseSubClass {
 public:
  CountingHook() : ToxBaseSubClass(nullptr) {}
  int seen = 0;

 protected:
  void HookMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
    if (msg == WM_APP + 7) {
      ++seen;
      result = 77;
    }
  }
};

}  // namespace

TEST_F(MainMenuTest, WindowHookFollowsANewWindowAndRefusesNonWindows) {
  auto* control = new TCustomControl(form_);
  control->SetParent(form_);
  control->SetBounds(10, 10, 50, 50);
  {
    CountingHook hook;
    hook.SetControl(control);
    hook.SetActive(true);
    EXPECT_EQ(SendMessageA(control->Handle(), WM_APP + 7, 0, 0), 77);
    EXPECT_EQ(hook.seen, 1);
    // The control makes a new window: within a few ticks the hook is on it.
    HWND old = control->Handle();
    control->SetParent(nullptr);
    control->SetParent(form_);
    ASSERT_NE(control->Handle(), nullptr);
    ASSERT_NE(control->Handle(), old);
    EXPECT_TRUE(PumpUntil([&] { return SendMessageA(control->Handle(), WM_APP + 7, 0, 0) == 77; }, 3000));
    EXPECT_TRUE(hook.Active());
    // Deactivated, the window has its own procedure again.
    hook.SetActive(false);
    EXPECT_EQ(SendMessageA(control->Handle(), WM_APP + 7, 0, 0), 0);
    hook.SetActive(true);
    // Freed while a new window is awaited: its timer goes with it.
    control->SetParent(nullptr);
  }
  PumpUntil([] { return false; }, 700);
  control->SetParent(form_);
  EXPECT_EQ(SendMessageA(control->Handle(), WM_APP + 7, 0, 0), 0);

  // No new window within eleven ticks: the hook stays off.
  CountingHook late;
  late.SetControl(control);
  late.SetActive(true);
  control->SetParent(nullptr);
  PumpUntil([] { return false; }, 3500);
  control->SetParent(form_);
  PumpUntil([] { return false; }, 600);
  EXPECT_FALSE(late.Active());
  EXPECT_EQ(SendMessageA(control->Handle(), WM_APP + 7, 0, 0), 0);

  CountingHook bad;
  bad.SetWindow(reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7FF0)));
  try {
    bad.SetActive(true);
    ADD_FAILURE() << "a hook went on a handle that is no window";
  } catch (const ENotOwnerError& e) {
    EXPECT_EQ(e.Message(), "Not a valid Window");
  }
  EXPECT_FALSE(bad.Active());

  // Control mode: the control's method is replaced and given back.
  CountingHook method;
  method.SetControlMode(true);
  method.SetControl(control);
  method.SetActive(true);
  EXPECT_EQ(SendMessageA(control->Handle(), WM_APP + 7, 0, 0), 77);
  method.SetActive(false);
  EXPECT_FALSE(control->WindowProc);
  // The form's own hook is shared by its owner-drawn menus.
  auto* second = new ToxMenu(form_);
  EXPECT_EQ(second->FormHook(), menu_->FormHook());
  EXPECT_EQ(menu_->FormHook()->RefCount, 2);
  delete second;
  EXPECT_EQ(menu_->FormHook()->RefCount, 1);
  EXPECT_TRUE(menu_->FormHook()->ControlMode());
  EXPECT_TRUE(menu_->FormHook()->Active());
}

// At design time a change of the banner, background or font turns its
// option on; at run time it does not.
TEST(OwnerDrawnMenuDesign, ChangesSwitchTheirOptionsOnlyAtDesignTime) {
  ToxPopupMenu running(nullptr);
  running.SetOptions(0);
  running.Banner()->SetWidth(20);
  running.Background()->SetStyle(oxmVertGradient);
  running.Font()->SetHeight(-20);
  EXPECT_EQ(running.Options(), 0);

  TComponent designer(nullptr);
  designer.SetDesigning(true);
  auto* designed = new ToxMenu(&designer);
  designed->SetOptions(0);
  designed->Data().changed = false;
  designed->Banner()->SetWidth(20);
  EXPECT_EQ(designed->Options(), oxmSet(oxmBanner));
  EXPECT_TRUE(designed->Data().changed);
  designed->Background()->SetStyle(oxmVertGradient);
  designed->Font()->SetHeight(-20);
  EXPECT_EQ(designed->Options(), oxmSet(oxmBanner) | oxmSet(oxmBackground) | oxmSet(oxmCustomFont));
}
