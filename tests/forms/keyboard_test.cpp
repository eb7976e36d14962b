// The keyboard of a form, by real keys: Tab and Shift+Tab through nested
// panels and a page control in tab order, the arrows between radio
// buttons, Ctrl+Tab between pages (a refused change keeps the page),
// Enter and Escape for the default and cancel buttons, Alt with a letter,
// and menu shortcuts of a popup menu that is not open.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "Forms.h"
#include "Memo.h"
#include "Menus.h"
#include "PageControl.h"
#include "StdCtrls.h"
#include "UserInput.h"

namespace {

struct LoadedForm : TForm {
  LoadedForm() : TForm(Application) { FormCreated(); }
};

// Presses the key in whatever window has the focus now.
void PressInFocus(WORD vk, std::initializer_list<WORD> modifiers = {}) {
  PressKeyWith(GetFocus(), vk, modifiers);
}

bool FocusIs(TWinControl* c) {
  return PumpUntil([c] { return GetFocus() == c->Handle(); }, 3000);
}

bool IsDefaultFrame(TButton* b) {
  return (GetWindowLongA(b->Handle(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

// Runs fn once the modal loop that is about to start handles messages.
std::function<void()>* pendingInModal = nullptr;
void CALLBACK RunPending(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  std::function<void()>* fn = pendingInModal;
  pendingInModal = nullptr;
  if (fn) (*fn)();
}
void InModal(std::function<void()>& fn) {
  pendingInModal = &fn;
  SetTimer(nullptr, 0, 50, RunPending);
}

class KeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application->Initialize();
    form_ = new LoadedForm;
    form_->SetBounds(60, 60, 460, 400);
    form_->Show();
    SetForegroundWindow(form_->Handle());
    PumpUntil([] { return false; }, 200);
  }
  void TearDown() override { delete form_; }
  template <typename T>
  T* Add(TWinControl* parent, int left, int top, int width, int height, const char* caption = "") {
    T* c = new T(form_);
    c->SetBounds(left, top, width, height);
    c->SetParent(parent);
    if (*caption) c->SetCaption(caption);
    return c;
  }
  TForm* form_ = nullptr;
};

}  // namespace

TEST_F(KeyboardTest, TabArrowsPagesEnterEscapeAndAltLetters) {
  // Outer panel > inner panel with a check box and an edit (the check box
  // put there second, then moved first in tab order); a page control
  // whose first page holds a group of radio buttons in a group box.
  auto* outer = Add<TPanel>(form_, 8, 8, 440, 100);
  auto* edit1 = Add<TEdit>(outer, 8, 8, 120, 22);
  auto* inner = Add<TPanel>(outer, 140, 8, 290, 80);
  auto* name = Add<TLabel>(inner, 8, 44, 50, 18, "&Name:");
  auto* edit2 = Add<TEdit>(inner, 60, 40, 120, 22);
  auto* loud = Add<TCheckBox>(inner, 8, 8, 120, 22, "&Loud");
  loud->SetTabOrder(0);
  name->SetFocusControl(edit2);
  auto* pages = Add<TPageControl>(form_, 8, 116, 440, 180);
  auto* page1 = new TTabSheet(form_);
  page1->SetPageControl(pages);
  page1->SetCaption("First");
  auto* page2 = new TTabSheet(form_);
  page2->SetPageControl(pages);
  page2->SetCaption("Second");
  auto* group = Add<TGroupBox>(page1, 8, 8, 200, 110, "Speed");
  auto* slow = Add<TRadioButton>(group, 10, 20, 150, 22, "&Slow");
  auto* fast = Add<TRadioButton>(group, 10, 48, 150, 22, "Fast");
  auto* wild = Add<TRadioButton>(group, 10, 76, 150, 22, "Wild");
  auto* edit3 = Add<TEdit>(page2, 8, 8, 120, 22);
  fast->SetChecked(true);
  // A memo on a panel of its own.
  auto* notes = Add<TPanel>(form_, 8, 300, 180, 60);
  auto* memo = Add<TMemo>(notes, 4, 4, 170, 50);
  auto* ok = Add<TButton>(form_, 200, 320, 75, 25, "OK");
  ok->ModalResult = mrOk;
  ok->SetDefault(true);
  auto* cancel = Add<TButton>(form_, 285, 320, 75, 25, "Cancel");
  cancel->ModalResult = mrCancel;
  cancel->Cancel = true;
  auto* apply = Add<TButton>(form_, 370, 320, 75, 25, "Ap&ply");
  int applied = 0, changes = 0, slowClicks = 0, wildClicks = 0;
  apply->OnClick = [&](TObject*) { ++applied; };
  slow->OnClick = [&](TObject*) { ++slowClicks; };
  wild->OnClick = [&](TObject*) { ++wildClicks; };
  bool allowChange = true;
  pages->OnChanging = [&](TObject*, bool& allow) { allow = allowChange; };
  pages->OnChange = [&](TObject*) { ++changes; };

  // Tab visits every control that takes it, in order, round the end;
  // of the radio group only the checked button. Shift+Tab goes back.
  const std::vector<TWinControl*> order = {edit1, loud, edit2, pages, fast, memo, ok, cancel, apply};
  TakeKeys(edit1->Handle());
  for (size_t i = 1; i <= order.size(); ++i) {
    PressInFocus(VK_TAB);
    ASSERT_TRUE(FocusIs(order[i % order.size()])) << "Tab " << i;
  }
  for (size_t i = order.size(); i-- > 0;) {
    PressInFocus(VK_TAB, {VK_SHIFT});
    ASSERT_TRUE(FocusIs(order[i])) << "Shift+Tab to " << i;
  }

  // The check box and the push button that Tab comes to show the focus
  // frame.
  TakeKeys(edit1->Handle());
  const std::vector<COLORREF> loudPlain = ClientPixels(loud->Handle());
  const std::vector<COLORREF> okPlain = ClientPixels(ok->Handle());
  PressInFocus(VK_TAB);
  ASSERT_TRUE(FocusIs(loud));
  EXPECT_NE(ClientPixels(loud->Handle()), loudPlain);
  TakeKeys(memo->Handle());
  PressInFocus(VK_TAB);
  ASSERT_TRUE(FocusIs(ok));
  EXPECT_NE(ClientPixels(ok->Handle()), okPlain);

  // The default frame is the OK button's, and moves to the push button
  // that has the focus.
  EXPECT_TRUE(IsDefaultFrame(ok));
  TakeKeys(cancel->Handle());
  EXPECT_TRUE(IsDefaultFrame(cancel));
  EXPECT_FALSE(IsDefaultFrame(ok));
  TakeKeys(edit1->Handle());
  EXPECT_TRUE(IsDefaultFrame(ok));
  EXPECT_FALSE(IsDefaultFrame(cancel));

  // The arrows move between the radio buttons of the group and check the
  // one they come to, round the end.
  TakeKeys(fast->Handle());
  PressInFocus(VK_DOWN);
  ASSERT_TRUE(FocusIs(wild));
  EXPECT_TRUE(wild->Checked());
  EXPECT_FALSE(fast->Checked());
  EXPECT_EQ(wildClicks, 1);
  PressInFocus(VK_DOWN);
  ASSERT_TRUE(FocusIs(slow));
  EXPECT_TRUE(slow->Checked());
  EXPECT_FALSE(wild->Checked());
  PressInFocus(VK_UP);
  ASSERT_TRUE(FocusIs(wild));
  EXPECT_EQ(slowClicks, 1);

  // Ctrl+Tab and Ctrl+PageDown go on a page, Ctrl+Shift+Tab and
  // Ctrl+PageUp back, through the changing event: a refused change keeps
  // the page.
  TakeKeys(edit1->Handle());
  PressInFocus(VK_TAB, {VK_CONTROL});
  EXPECT_TRUE(PumpUntil([&] { return pages->ActivePage() == page2; }, 3000));
  EXPECT_TRUE(IsWindowVisible(edit3->Handle()));
  EXPECT_EQ(changes, 1);
  PressInFocus(VK_TAB, {VK_CONTROL, VK_SHIFT});
  EXPECT_TRUE(PumpUntil([&] { return pages->ActivePage() == page1; }, 3000));
  PressInFocus(VK_NEXT, {VK_CONTROL});
  EXPECT_TRUE(PumpUntil([&] { return pages->ActivePage() == page2; }, 3000));
  PressInFocus(VK_PRIOR, {VK_CONTROL});
  EXPECT_TRUE(PumpUntil([&] { return pages->ActivePage() == page1; }, 3000));
  EXPECT_EQ(changes, 4);
  allowChange = false;
  PressInFocus(VK_TAB, {VK_CONTROL});
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(pages->ActivePage(), page1);
  EXPECT_EQ(SendMessageA(pages->Handle(), TCM_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(changes, 4);
  allowChange = true;

  // Alt with the marked letter clicks a button, toggles a check box,
  // checks a radio button and focuses the control after a label.
  TakeKeys(edit1->Handle());
  PressInFocus('P', {VK_MENU});
  EXPECT_TRUE(PumpUntil([&] { return applied == 1; }, 3000));
  PressInFocus('L', {VK_MENU});
  EXPECT_TRUE(PumpUntil([&] { return loud->Checked(); }, 3000));
  ASSERT_TRUE(FocusIs(loud));
  PressInFocus('S', {VK_MENU});
  EXPECT_TRUE(PumpUntil([&] { return slow->Checked() && !wild->Checked(); }, 3000));
  PressInFocus('N', {VK_MENU});
  EXPECT_TRUE(FocusIs(edit2));
  EXPECT_EQ(applied, 1);

  // In the modal form, Enter presses the default button (or the focused
  // push button), Escape the cancel button.
  std::function<void()> enter = [&] { PressKeyWith(edit1->Handle(), VK_RETURN, {}); };
  InModal(enter);
  EXPECT_EQ(form_->ShowModal(), mrOk);
  form_->Show();
  std::function<void()> escape = [&] { PressKeyWith(edit2->Handle(), VK_ESCAPE, {}); };
  InModal(escape);
  EXPECT_EQ(form_->ShowModal(), mrCancel);
  form_->Show();
  std::function<void()> onApply = [&] {
    PressKeyWith(apply->Handle(), VK_RETURN, {});
    PumpUntil([&] { return applied == 2; }, 3000);
    PressKeyWith(apply->Handle(), VK_ESCAPE, {});
  };
  InModal(onApply);
  EXPECT_EQ(form_->ShowModal(), mrCancel);
  EXPECT_EQ(applied, 2);
  // In the memo Enter makes a new line; Escape is still the cancel
  // button's (and leaves the memo's panel be).
  form_->Show();
  std::function<void()> inMemo = [&] {
    PressKeyWith(memo->Handle(), VK_RETURN, {});
    PumpUntil([&] { return memo->Text().find("\r\n") != std::string::npos; }, 3000);
    PressKeyWith(memo->Handle(), VK_ESCAPE, {});
  };
  InModal(inMemo);
  EXPECT_EQ(form_->ShowModal(), mrCancel);
  EXPECT_NE(memo->Text().find("\r\n"), std::string::npos);
  PumpUntil([] { return false; }, 200);
  EXPECT_TRUE(IsWindow(notes->Handle()));
}

TEST_F(KeyboardTest, ShortcutsOfAMenuThatIsNotOpen) {
  auto* edit = Add<TEdit>(form_, 8, 8, 200, 22);
  auto* other = Add<TEdit>(form_, 8, 40, 200, 22);
  auto* popup = new TPopupMenu(form_);
  int deletes = 0, finds = 0, opens = 0, bars = 0;
  auto item = [&](TMenuItem* parent, const char* caption, TShortCut shortCut, int* count) {
    auto* m = new TMenuItem(form_);
    m->SetCaption(caption);
    m->SetShortCut(shortCut);
    if (count) m->OnClick = [count](TObject*) { ++*count; };
    parent->Add(m);
    return m;
  };
  TMenuItem* del = item(popup->Items(), "&Delete", VK_DELETE, &deletes);
  TMenuItem* more = item(popup->Items(), "More", 0, &opens);
  item(more, "Find", static_cast<TShortCut>('F' | scCtrl), &finds);
  popup->OnPopup = [](TObject*) { FAIL() << "the menu opened"; };
  // The edit sits on a panel whose popup menu holds the items.
  auto* holder = Add<TPanel>(form_, 8, 80, 300, 60);
  auto* inside = Add<TEdit>(holder, 8, 8, 200, 22);
  holder->SetPopupMenu(popup);
  edit->SetPopupMenu(popup);
  auto* bar = new TMainMenu(form_);
  TMenuItem* file = item(bar->Items(), "&File", 0, nullptr);
  item(file, "Mark", static_cast<TShortCut>('M' | scCtrl), &bars);
  form_->SetMenu(bar);
  edit->SetText("abc");
  inside->SetText("abc");
  other->SetText("abc");

  // Del runs the item once, before the edit sees the key.
  TakeKeys(edit->Handle());
  SendMessageA(edit->Handle(), EM_SETSEL, 0, 0);
  PressInFocus(VK_DELETE);
  EXPECT_TRUE(PumpUntil([&] { return deletes == 1; }, 3000));
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(deletes, 1);
  EXPECT_EQ(edit->Text(), "abc");
  // A submenu's item: the submenu gets its click first, as when opened.
  PressInFocus('F', {VK_CONTROL});
  EXPECT_TRUE(PumpUntil([&] { return finds == 1; }, 3000));
  EXPECT_EQ(opens, 1);
  // The popup menu of a parent serves its children; the form's menu bar
  // serves every control.
  TakeKeys(inside->Handle());
  SendMessageA(inside->Handle(), EM_SETSEL, 0, 0);
  PressInFocus(VK_DELETE);
  EXPECT_TRUE(PumpUntil([&] { return deletes == 2; }, 3000));
  EXPECT_EQ(inside->Text(), "abc");
  TakeKeys(other->Handle());
  PressInFocus('M', {VK_CONTROL});
  EXPECT_TRUE(PumpUntil([&] { return bars == 1; }, 3000));
  // A control without that menu keeps the key.
  SendMessageA(other->Handle(), EM_SETSEL, 0, 0);
  PressInFocus(VK_DELETE);
  EXPECT_TRUE(PumpUntil([&] { return other->Text() == "bc"; }, 3000));
  EXPECT_EQ(deletes, 2);

  // Disabled or hidden, the item does not run and the key goes to the
  // edit.
  struct Case {
    const char* what;
    std::function<void(bool)> set;
  } cases[] = {{"disabled", [&](bool on) { del->SetEnabled(!on); }},
               {"hidden", [&](bool on) { del->SetVisible(!on); }}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.set(true);
    edit->SetText("abc");
    TakeKeys(edit->Handle());
    SendMessageA(edit->Handle(), EM_SETSEL, 0, 0);
    PressInFocus(VK_DELETE);
    EXPECT_TRUE(PumpUntil([&] { return edit->Text() == "bc"; }, 3000));
    EXPECT_EQ(deletes, 2);
    c.set(false);
  }
  form_->SetMenu(nullptr);
}
