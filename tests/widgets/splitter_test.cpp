// The splitter bar on a real form: dragged with mouse messages, clamped to
// the limits, cancelled with Escape or a lost capture.
#include <windows.h>

#include <gtest/gtest.h>

#include "../forms/Pump.h"
#include "Forms.h"
#include "SplitterBar.h"

namespace {

// A form whose loading has ended, as the program's forms are after their
// constructors.
struct LoadedForm : TForm {
  LoadedForm() : TForm(Application) { FormCreated(); }
};

class SplitterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application->Initialize();
    form_ = new LoadedForm;
    form_->SetBounds(10, 10, 400, 300);
    top_ = new TPanel(form_);
    top_->SetParent(form_);
    top_->SetBounds(0, 0, 100, 100);
    top_->SetAlign(alTop);
    bar_ = new TSplitterBar(form_);
    bar_->SetParent(form_);
    bar_->SetBounds(0, 150, 100, 10);
    bar_->SetAlign(alTop);  // below the panel: 3 high, the panel is its first control
    rest_ = new TPanel(form_);
    rest_->SetParent(form_);
    rest_->SetAlign(alClient);
    focus_ = new TEdit(form_);
    focus_->SetParent(rest_);
    focus_->SetBounds(10, 10, 80, 20);
    form_->Show();
    focus_->SetFocus();
    focus_->OnKeyDown = [this](TObject*, WORD& key, TShiftState) { keys_.push_back(key); };
    form_->OnKeyDown = focus_->OnKeyDown;
    bar_->OnPosChanged = [this](TObject*) { ++changed_; };
    Application->ProcessMessages();
  }
  void TearDown() override { delete form_; }

  void Mouse(UINT msg, int x, int y) {
    SendMessageA(bar_->Handle(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
    Application->ProcessMessages();
  }
  void Drag(int dy) {
    Mouse(WM_LBUTTONDOWN, 10, 1);
    Mouse(WM_MOUSEMOVE, 10, 1 + dy / 2);
    Mouse(WM_MOUSEMOVE, 10, 1 + dy);
    Mouse(WM_LBUTTONUP, 10, 1 + dy);
  }
  // The window whose key handler the bar borrows: the focused control, or
  // the form when the focus is elsewhere (another program on the display
  // may hold it).
  HWND Lender() {
    return GetFocus() == focus_->Handle() ? focus_->Handle() : form_->Handle();
  }
  void KeyTo(HWND w, WORD key) {
    SendMessageA(w, WM_KEYDOWN, key, 1);
    Application->ProcessMessages();
  }
  // A pixel of the form as drawn, children included (read from the form's
  // own surface, so other programs' windows on the display do not matter).
  COLORREF FormPixel(int clientX, int clientY) {
    RedrawWindow(form_->Handle(), nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
    HDC dc = GetDCEx(form_->Handle(), nullptr, DCX_CACHE);
    COLORREF c = GetPixel(dc, clientX, clientY);
    ReleaseDC(form_->Handle(), dc);
    return c;
  }

  TForm* form_ = nullptr;
  TPanel* top_ = nullptr;
  TSplitterBar* bar_ = nullptr;
  TPanel* rest_ = nullptr;
  TEdit* focus_ = nullptr;
  std::vector<WORD> keys_;
  int changed_ = 0;
};

}  // namespace

TEST_F(SplitterTest, SettingAlignFindsTheControlAndTheCursor) {
  EXPECT_EQ(bar_->Height(), 3);
  EXPECT_EQ(bar_->Top(), 100);
  EXPECT_EQ(bar_->ControlFirst(), top_);
  EXPECT_EQ(bar_->ResizeStyle(), 1);
  EXPECT_EQ(bar_->Cursor(), crVSplit);
  bar_->SetControlFirst(form_);  // a form is refused
  EXPECT_EQ(bar_->ControlFirst(), nullptr);
  bar_->SetControlFirst(bar_);
  EXPECT_EQ(bar_->ControlFirst(), nullptr);
  EXPECT_EQ(bar_->Cursor(), crDefault);
  // First control top-aligned, the bar bottom-aligned: no drag at all.
  bar_->SetControlFirst(top_);
  bar_->SetAlign(alBottom);
  EXPECT_EQ(bar_->ResizeStyle(), 0);
  EXPECT_EQ(bar_->Cursor(), crDefault);
  Mouse(WM_LBUTTONDOWN, 10, 1);
  EXPECT_FALSE(bar_->Dragging());
  Mouse(WM_LBUTTONUP, 10, -40);
  EXPECT_EQ(top_->Height(), 100);
  // A freed control is dropped.
  bar_->SetControlSecond(focus_);
  delete focus_;
  focus_ = nullptr;
  EXPECT_EQ(bar_->ControlSecond(), nullptr);
}

TEST_F(SplitterTest, DragResizesTheFirstControlWithinTheLimits) {
  int changing = 0;
  bar_->OnPosChanging = [&](TObject*, int, int, bool&) { ++changing; };
  COLORREF before = FormPixel(200, 151);
  Mouse(WM_LBUTTONDOWN, 10, 1);
  EXPECT_TRUE(bar_->Dragging());
  Mouse(WM_MOUSEMOVE, 10, 51);
  // The inverted line across the form, in the middle of the bar's thickness.
  EXPECT_NE(FormPixel(200, 151), before);
  Mouse(WM_LBUTTONUP, 10, 51);
  EXPECT_EQ(FormPixel(200, 151), before);
  EXPECT_EQ(top_->Height(), 150);
  EXPECT_EQ(bar_->Top(), 150);
  EXPECT_EQ(changed_, 1);
  EXPECT_EQ(changing, 2);
  // To the very top: the panel stays TopLeftLimit high.
  Drag(-1000);
  EXPECT_EQ(top_->Height(), 20);
  // To the very bottom: the bar stays BottomRightLimit above the edge.
  Drag(1000);
  EXPECT_EQ(top_->Height(), form_->ClientHeight() - 20 - 3);
  EXPECT_EQ(changed_, 3);
  // A refused position keeps the line where it was.
  bar_->OnPosChanging = [](TObject*, int, int, bool& allow) { allow = false; };
  int h = top_->Height();
  Drag(-50);
  EXPECT_EQ(top_->Height(), h);
}

TEST_F(SplitterTest, EscapeCancelsAndOtherKeysGoToTheLender) {
  Mouse(WM_LBUTTONDOWN, 10, 1);
  HWND lender = Lender();
  Mouse(WM_MOUSEMOVE, 10, 41);
  KeyTo(lender, 'A');
  EXPECT_EQ(keys_, std::vector<WORD>{'A'});
  EXPECT_FALSE(Application->ShowHint);
  KeyTo(lender, VK_ESCAPE);
  EXPECT_FALSE(bar_->Dragging());
  Mouse(WM_LBUTTONUP, 10, 41);
  EXPECT_EQ(top_->Height(), 100);
  EXPECT_EQ(changed_, 0);
  EXPECT_TRUE(Application->ShowHint);
  KeyTo(lender, VK_ESCAPE);
  EXPECT_EQ(keys_, (std::vector<WORD>{'A', VK_ESCAPE}));  // the handler is back
}

TEST_F(SplitterTest, LostCaptureEndsTheDrag) {
  Mouse(WM_LBUTTONDOWN, 10, 1);
  HWND lender = Lender();
  Mouse(WM_MOUSEMOVE, 10, 41);
  ReleaseCapture();
  Application->ProcessMessages();
  EXPECT_FALSE(bar_->Dragging());
  EXPECT_TRUE(Application->ShowHint);
  KeyTo(lender, VK_ESCAPE);
  EXPECT_EQ(keys_, std::vector<WORD>{VK_ESCAPE});
  Mouse(WM_LBUTTONUP, 10, 41);
  EXPECT_EQ(top_->Height(), 100);
  EXPECT_EQ(changed_, 0);
}
