// Controls on a real form: alignment, mouse and key events with shift
// state, focus, capture, cursor, the replaceable window procedure, the
// popup menu of a right click and speed button groups.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../forms/Pump.h"
#include "Buttons.h"
#include "Forms.h"
#include "Menus.h"
#include "StdCtrls.h"

namespace {

struct LoadedForm : TForm {
  LoadedForm() : TForm(Application) { FormCreated(); }
};

struct RecordingPopup : TPopupMenu {
  using TPopupMenu::TPopupMenu;
  void Popup(int x, int y) override { shown.push_back({x, y}); }
  std::vector<POINT> shown;
};

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application->Initialize();
    form_ = new LoadedForm;
    form_->SetBounds(30, 30, 320, 240);
    form_->Show();
    Application->ProcessMessages();
  }
  void TearDown() override { delete form_; }
  TPanel* Panel(TAlign align, int w, int h) {
    auto* p = new TPanel(form_);
    p->SetParent(form_);
    p->SetBounds(0, 0, w, h);
    p->SetAlign(align);
    return p;
  }
  void SetShift(BYTE vk, bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[vk] = down ? 0x80 : 0;
    SetKeyboardState(keys);
  }
  TForm* form_ = nullptr;
};

RECT Bounds(TWinControl* c) { return c->BoundsRect(); }
bool Eq(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

TEST_F(InputTest, AlignedChildrenFillTheClientArea) {
  const int w = form_->ClientWidth(), h = form_->ClientHeight();
  TPanel* client = Panel(alClient, 10, 10);
  TPanel* top = Panel(alTop, 10, 30);
  TPanel* bottom = Panel(alBottom, 10, 20);
  TPanel* left = Panel(alLeft, 50, 10);
  EXPECT_TRUE(Eq(Bounds(top), {0, 0, w, 30}));
  EXPECT_TRUE(Eq(Bounds(bottom), {0, h - 20, w, h}));
  EXPECT_TRUE(Eq(Bounds(left), {0, 30, 50, h - 20}));
  EXPECT_TRUE(Eq(Bounds(client), {50, 30, w, h - 20}));
  // A second top panel placed below the first stays below it.
  TPanel* top2 = new TPanel(form_);
  top2->SetParent(form_);
  top2->SetBounds(0, 100, 10, 15);
  top2->SetAlign(alTop);
  EXPECT_TRUE(Eq(Bounds(top2), {0, 30, w, 45}));
  // Resizing the form lays them out again; not while alignment is off.
  form_->DisableAlign();
  form_->SetClientSize(400, 300);
  Application->ProcessMessages();
  EXPECT_EQ(top->Width(), w);
  form_->EnableAlign();
  EXPECT_EQ(top->Width(), 400);
  EXPECT_TRUE(Eq(Bounds(client), {50, 45, 400, 280}));
  top->SetVisible(false);
  EXPECT_TRUE(Eq(Bounds(top2), {0, 0, 400, 15}));
}

TEST_F(InputTest, MouseEventsCarryButtonShiftAndPosition) {
  TPanel* p = Panel(alClient, 10, 10);
  std::vector<std::string> seen;
  p->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    seen.push_back("down" + std::to_string(b) + ":" + std::to_string(s) + "@" + std::to_string(x) +
                   "," + std::to_string(y));
  };
  p->OnMouseUp = [&](TObject*, TMouseButton b, TShiftState s, int, int) {
    seen.push_back("up" + std::to_string(b) + ":" + std::to_string(s));
  };
  p->OnMouseMove = [&](TObject*, TShiftState, int x, int y) {
    seen.push_back("move@" + std::to_string(x) + "," + std::to_string(y));
  };
  p->OnMouseEnter = [&](TObject*) { seen.push_back("enter"); };
  p->OnMouseLeave = [&](TObject*) { seen.push_back("leave"); };
  p->OnDblClick = [&](TObject*) { seen.push_back("dbl"); };
  HWND h = p->Handle();
  SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(3, 4));
  SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(5, 6));
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(7, 8));
  SendMessageA(h, WM_RBUTTONUP, MK_CONTROL, MAKELPARAM(7, 8));
  SendMessageA(h, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(1, 1));
  SendMessageA(h, WM_MOUSELEAVE, 0, 0);
  const std::string down = "down0:" + std::to_string(ssLeft | ssShift) + "@7,8";
  const std::string up = "up1:" + std::to_string(ssCtrl);
  const std::string dbl = "down0:" + std::to_string(ssLeft | ssDouble) + "@1,1";
  EXPECT_EQ(seen, (std::vector<std::string>{"enter", "move@3,4", "move@5,6", down, up, "dbl", dbl,
                                            "leave"}));
}

TEST_F(InputTest, KeysFocusCaptureAndCursor) {
  auto* edit = new TEdit(form_);
  edit->SetParent(form_);
  edit->SetBounds(10, 10, 100, 20);
  auto* other = new TEdit(form_);
  other->SetParent(form_);
  other->SetBounds(10, 40, 100, 20);
  std::vector<std::string> seen;
  edit->OnEnter = [&](TObject*) { seen.push_back("enter"); };
  edit->OnExit = [&](TObject*) { seen.push_back("exit"); };
  edit->OnKeyDown = [&](TObject*, WORD& key, TShiftState s) {
    seen.push_back("key" + std::to_string(key) + ":" + std::to_string(s));
  };
  edit->OnKeyPress = [&](TObject*, char& c) {
    if (c == 'a') c = 'b';  // a changed character is what the box gets
    if (c == 'x') c = 0;    // a cleared one is swallowed
  };
  edit->SetFocus();
  EXPECT_TRUE(edit->Focused());
  SetShift(VK_CONTROL, true);
  SendMessageA(edit->Handle(), WM_KEYDOWN, VK_F5, 1);
  SetShift(VK_CONTROL, false);
  SendMessageA(edit->Handle(), WM_CHAR, 'a', 1);
  SendMessageA(edit->Handle(), WM_CHAR, 'x', 1);
  SendMessageA(edit->Handle(), WM_CHAR, 'c', 1);
  EXPECT_EQ(edit->Text(), "bc");
  other->SetFocus();
  EXPECT_EQ(seen, (std::vector<std::string>{"enter", "key" + std::to_string(VK_F5) + ":" +
                                                          std::to_string(ssCtrl),
                                            "exit"}));
  // Capture.
  edit->SetMouseCapture(true);
  EXPECT_TRUE(edit->MouseCapture());
  EXPECT_EQ(GetCapture(), edit->Handle());
  edit->SetMouseCapture(false);
  EXPECT_FALSE(edit->MouseCapture());
  // The control's cursor over its client area.
  edit->SetCursor(crHandPoint);
  EXPECT_EQ(SendMessageA(edit->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(edit->Handle()),
                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
            TRUE);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHandPoint));
}

TEST_F(InputTest, ReplacedWindowProcedureSeesEveryMessage) {
  TPanel* p = Panel(alNone, 50, 50);
  int custom = 0, clicks = 0;
  p->OnClick = [&](TObject*) { ++clicks; };
  p->WindowProc = [&](UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
    if (msg == WM_APP + 5) return ++custom;
    return p->DispatchDefault(msg, wp, lp);
  };
  EXPECT_EQ(SendMessageA(p->Handle(), WM_APP + 5, 0, 0), 1);
  EXPECT_EQ(p->Perform(WM_APP + 5, 0, 0), 2);
  SendMessageA(p->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(clicks, 1);  // the rest still reaches the control
  p->WindowProc = nullptr;
  EXPECT_EQ(SendMessageA(p->Handle(), WM_APP + 5, 0, 0), 0);
}

TEST_F(InputTest, RightClickShowsThePopupMenu) {
  TPanel* p = Panel(alNone, 50, 50);
  auto* menu = new RecordingPopup(form_);
  p->SetPopupMenu(menu);
  SendMessageA(p->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(p->Handle()), MAKELPARAM(120, 130));
  ASSERT_EQ(menu->shown.size(), 1u);
  EXPECT_EQ(menu->shown[0].x, 120);
  EXPECT_EQ(menu->PopupComponent, p);
  menu->AutoPopup = false;
  SendMessageA(p->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(p->Handle()), MAKELPARAM(1, 1));
  EXPECT_EQ(menu->shown.size(), 1u);
  delete menu;
  EXPECT_EQ(p->PopupMenu(), nullptr);
}

TEST_F(InputTest, SpeedButtonsOfAGroupStayDownOneAtATime) {
  auto make = [&](int x) {
    auto* b = new TSpeedButton(form_);
    b->SetParent(form_);
    b->SetBounds(x, 10, 23, 22);
    b->SetGroupIndex(1);
    return b;
  };
  TSpeedButton* a = make(10);
  TSpeedButton* b = make(40);
  int clicks = 0;
  a->OnClick = b->OnClick = [&](TObject*) { ++clicks; };
  auto click = [](TSpeedButton* s) {
    SendMessageA(s->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(s->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  };
  click(a);
  EXPECT_TRUE(a->Down());
  click(b);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  click(b);
  EXPECT_TRUE(b->Down());  // the last one stays down
  b->SetAllowAllUp(true);
  click(b);
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(clicks, 4);
  EXPECT_EQ(GetFocus() == a->Handle() || GetFocus() == b->Handle(), false);  // no focus taken
}
