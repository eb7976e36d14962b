// The standard controls on a real form, driven by real clicks and keys:
// the combo box that takes typing, the page control, the password edit,
// the scrolling memo, the check list box, the group box and labels that
// size themselves in the form's font.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CheckListBox.h"
#include "Forms.h"
#include "Memo.h"
#include "PageControl.h"
#include "StdCtrls.h"
#include "UserInput.h"

namespace {

struct LoadedForm : TForm {
  LoadedForm() : TForm(Application) { FormCreated(); }
};

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application->Initialize();
    form_ = new LoadedForm;
    // Away from the top left, where most tests put their windows.
    form_->SetBounds(520, 380, 480, 360);
    form_->Show();
    SetForegroundWindow(form_->Handle());
    PumpUntil([] { return false; }, 200);
  }
  void TearDown() override { delete form_; }
  template <typename T>
  T* Add(int left, int top, int width, int height, TWinControl* parent = nullptr) {
    T* c = new T(form_);
    c->SetBounds(left, top, width, height);
    c->SetParent(parent ? parent : form_);
    return c;
  }
  TForm* form_ = nullptr;
};

}  // namespace

TEST_F(ControlsTest, ComboBoxTakesTypingAndPicksFromItsList) {
  auto* combo = new TComboBox(form_);
  combo->Style = csDropDown;
  combo->Items()->Add("alpha");
  combo->Items()->Add("beta");
  combo->Items()->Add("gamma");
  combo->SetBounds(10, 10, 160, 24);
  combo->SetParent(form_);
  std::vector<std::string> changes;
  int drops = 0;
  combo->OnChange = [&](TObject*) { changes.push_back(combo->Text()); };
  combo->OnDropDown = [&](TObject*) { ++drops; };

  COMBOBOXINFO info = {};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetComboBoxInfo(combo->Handle(), &info));
  ASSERT_NE(info.hwndItem, nullptr) << "an edit field to type into";
  ClickAt(combo->Handle(), info.rcItem.left + 5, (info.rcItem.top + info.rcItem.bottom) / 2);
  TypeText(info.hwndItem, "xy1");
  EXPECT_EQ(combo->Text(), "xy1");
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(changes, (std::vector<std::string>{"x", "xy", "xy1"}));
  // A change of the list keeps what was typed.
  combo->Items()->Add("delta");
  EXPECT_EQ(combo->Text(), "xy1");

  // The button drops the list down; a click on an entry picks it.
  changes.clear();
  ClickAt(combo->Handle(), (info.rcButton.left + info.rcButton.right) / 2,
          (info.rcButton.top + info.rcButton.bottom) / 2);
  ASSERT_TRUE(PumpUntil([&] { return combo->DroppedDown(); }));
  EXPECT_EQ(drops, 1);
  RECT item = {};
  SendMessageA(info.hwndList, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  ClickAt(info.hwndList, item.left + 10, (item.top + item.bottom) / 2);
  ASSERT_TRUE(PumpUntil([&] { return !combo->DroppedDown(); }));
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Text(), "beta");
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(changes.back(), "beta") << "OnChange sees the entry picked";

  // The drop-down list style has no field; its text is the entry picked.
  auto* list = new TComboBox(form_);
  list->Items()->Add("one");
  list->Items()->Add("two");
  list->SetBounds(10, 50, 160, 24);
  list->SetParent(form_);
  info = {};
  info.cbSize = sizeof info;
  GetComboBoxInfo(list->Handle(), &info);
  EXPECT_TRUE(info.hwndItem == nullptr || info.hwndItem == list->Handle()) << "no edit field";
  list->SetItemIndex(1);
  EXPECT_EQ(list->Text(), "two");
}

TEST_F(ControlsTest, PageControlChangesPageOnATabClickUnlessRefused) {
  auto* pages = Add<TPageControl>(10, 10, 300, 200);
  std::vector<TTabSheet*> sheets;
  std::vector<TButton*> buttons;
  for (const char* caption : {"First", "Second", "Third"}) {
    auto* sheet = new TTabSheet(form_);
    sheet->SetCaption(caption);
    sheet->SetPageControl(pages);
    sheets.push_back(sheet);
    auto* b = Add<TButton>(10, 10, 80, 24, sheet);
    b->SetCaption(caption);
    buttons.push_back(b);
  }
  ASSERT_EQ(pages->PageCount(), 3);
  EXPECT_EQ(pages->ActivePage(), sheets[0]);
  EXPECT_EQ(sheets[2]->PageIndex(), 2);
  HWND tabs = pages->Handle();
  EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
  // The pages fill the display area below the tabs.
  RECT tab = {};
  SendMessageA(tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab));
  EXPECT_GE(sheets[0]->Top(), tab.bottom);
  EXPECT_GT(sheets[0]->Width(), 250);

  std::vector<std::string> events;
  bool allow = true;
  pages->OnChanging = [&](TObject*, bool& allowChange) {
    events.push_back("changing from " + std::to_string(pages->ActivePageIndex()));
    allowChange = allow;
  };
  pages->OnChange = [&](TObject*) {
    events.push_back("change to " + std::to_string(pages->ActivePageIndex()));
  };
  auto clickTab = [&](int i) {
    RECT r = {};
    SendMessageA(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    ClickAt(tabs, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  };
  auto shownAt = [&] {
    // The window under the middle of the display area.
    POINT p = {sheets[0]->Left() + 150, sheets[0]->Top() + 100};
    ClientToScreen(tabs, &p);
    return WindowFromPoint(p);
  };
  clickTab(1);
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  EXPECT_TRUE(IsWindowVisible(buttons[1]->Handle()));
  EXPECT_FALSE(IsWindowVisible(sheets[0]->Handle()));
  EXPECT_EQ(shownAt(), sheets[1]->Handle());
  EXPECT_EQ(events, (std::vector<std::string>{"changing from 0", "change to 1"}));

  // A refused change keeps the page shown and its tab selected.
  events.clear();
  allow = false;
  clickTab(2);
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 1);
  EXPECT_TRUE(IsWindowVisible(sheets[1]->Handle()));
  EXPECT_FALSE(IsWindowVisible(sheets[2]->Handle()));
  EXPECT_EQ(shownAt(), sheets[1]->Handle());
  EXPECT_EQ(events, (std::vector<std::string>{"changing from 1"}));
  pages->SelectNextPage(true);
  EXPECT_EQ(pages->ActivePage(), sheets[1]);

  // In code: no events; a caption change shows on its tab.
  events.clear();
  allow = true;
  pages->SetActivePageIndex(2);
  EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 2);
  EXPECT_TRUE(IsWindowVisible(buttons[2]->Handle()));
  EXPECT_TRUE(events.empty());
  sheets[2]->SetCaption("Renamed");
  char text[32] = {};
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(tabs, TCM_GETITEMA, 2, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(text, "Renamed");
  pages->SelectNextPage(true);  // round the end
  EXPECT_EQ(pages->ActivePageIndex(), 0);
  EXPECT_EQ(events, (std::vector<std::string>{"changing from 2", "change to 0"}));

  // A page that goes takes its tab; the next one shows.
  delete sheets[0];
  EXPECT_EQ(pages->PageCount(), 2);
  EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(pages->ActivePage(), sheets[1]);
  EXPECT_TRUE(IsWindowVisible(sheets[1]->Handle()));
}

TEST_F(ControlsTest, PasswordEditShowsMaskCharactersAndKeepsTheText) {
  auto* password = Add<TEdit>(10, 10, 160, 24);
  password->SetPasswordChar('*');
  auto* masked = Add<TEdit>(10, 50, 160, 24);
  masked->SetText("******");
  auto* plain = Add<TEdit>(10, 90, 160, 24);
  plain->SetText("secret");
  ClickAt(password->Handle(), 5, 10);
  TypeText(password->Handle(), "secret");
  EXPECT_EQ(password->Text(), "secret");
  EXPECT_EQ(SendMessageA(password->Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
  std::vector<COLORREF> shown = ClientPixels(password->Handle());
  EXPECT_EQ(shown, ClientPixels(masked->Handle())) << "six mask characters show";
  EXPECT_NE(shown, ClientPixels(plain->Handle()));
  // Without a mask character the text itself shows.
  password->SetPasswordChar(0);
  EXPECT_EQ(ClientPixels(password->Handle()), ClientPixels(plain->Handle()));
}

TEST_F(ControlsTest, MemoTypesAtTheCaretScrollsAndWraps) {
  auto* memo = Add<TMemo>(10, 10, 200, 90);
  for (int i = 0; i < 40; ++i) memo->Lines()->Add("line " + std::to_string(i));
  std::vector<std::string> changes;
  memo->OnChange = [&](TObject*) { changes.push_back(memo->Lines()->Strings(0)); };
  ClickAt(memo->Handle(), 3, 5);
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  ASSERT_TRUE(GetGUIThreadInfo(GetCurrentThreadId(), &gui));
  EXPECT_EQ(gui.hwndCaret, memo->Handle()) << "the memo has the caret";
  PressKey(memo->Handle(), VK_HOME);
  TypeText(memo->Handle(), "abc ");
  EXPECT_EQ(memo->Lines()->Strings(0), "abc line 0") << "each key goes in at the caret";
  EXPECT_EQ(changes.size(), 4u);
  EXPECT_EQ(memo->Lines()->Count(), 40);

  // The wheel and the scroll bar scroll it.
  HWND h = memo->Handle();
  EXPECT_EQ(SendMessageA(h, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  WheelAt(h, 50, 40, -1, [h] { return SendMessageA(h, EM_GETFIRSTVISIBLELINE, 0, 0) > 0; });
  LRESULT afterWheel = SendMessageA(h, EM_GETFIRSTVISIBLELINE, 0, 0);
  EXPECT_GT(afterWheel, 0);
  RECT client;
  GetClientRect(h, &client);
  const int arrow = GetSystemMetrics(SM_CYVSCROLL);
  // The scroll bar's lower arrow lies right of the client area, at its bottom.
  ClickAt(h, client.right + arrow / 2, client.bottom - arrow / 2);
  EXPECT_GT(SendMessageA(h, EM_GETFIRSTVISIBLELINE, 0, 0), afterWheel);

  // Read-only: keys change nothing.
  memo->SetReadOnly(true);
  ClickAt(h, 3, 5);
  TypeText(h, "zz");
  EXPECT_EQ(memo->Lines()->Count(), 40);
  EXPECT_EQ(changes.size(), 4u);

  // A long line wraps at the right edge; without WordWrap it stays one line.
  const std::string longLine(60, 'w');
  auto* wrapped = Add<TMemo>(220, 10, 120, 90);
  wrapped->Lines()->Add(longLine);
  EXPECT_GT(SendMessageA(wrapped->Handle(), EM_GETLINECOUNT, 0, 0), 1);
  auto* unwrapped = new TMemo(form_);
  unwrapped->WordWrap = false;
  unwrapped->ScrollBars = ssBoth;
  unwrapped->SetBounds(220, 110, 120, 90);
  unwrapped->SetParent(form_);
  unwrapped->Lines()->Add(longLine);
  EXPECT_EQ(SendMessageA(unwrapped->Handle(), EM_GETLINECOUNT, 0, 0), 1);
  EXPECT_TRUE(GetWindowLongPtrA(unwrapped->Handle(), GWL_STYLE) & WS_HSCROLL);
}

TEST_F(ControlsTest, CheckListBoxTicksByClickAndSpaceAndScrolls) {
  auto* list = Add<TCheckListBox>(10, 10, 180, 100);
  for (int i = 0; i < 30; ++i) list->Items()->Add("entry " + std::to_string(i));
  int clicks = 0;
  list->OnClickCheck = [&](TObject*) { ++clicks; };
  HWND h = list->Handle();
  const int itemHeight = static_cast<int>(SendMessageA(h, LB_GETITEMHEIGHT, 0, 0));
  auto itemY = [&](int row) { return row * itemHeight + itemHeight / 2; };

  // A click on an entry's box ticks it; a click on its text only selects.
  ClickAt(h, 8, itemY(1));
  PumpUntil([&] { return clicks == 1; }, 3000);
  EXPECT_TRUE(list->Checked(1));
  EXPECT_EQ(clicks, 1);
  ClickAt(h, 80, itemY(2));
  PumpUntil([&] { return list->ItemIndex() == 2; }, 3000);
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_FALSE(list->Checked(2));
  PressKey(h, VK_SPACE);
  PumpUntil([&] { return clicks == 2; }, 3000);
  EXPECT_TRUE(list->Checked(2));
  EXPECT_EQ(clicks, 2);
  ClickAt(h, 8, itemY(1));
  PumpUntil([&] { return clicks == 3; }, 3000);
  EXPECT_FALSE(list->Checked(1));
  EXPECT_EQ(clicks, 3);

  // Drawn readable: the ticked entry's box holds a mark, its text is dark.
  std::vector<COLORREF> pixels = ClientPixels(h);
  RECT client;
  GetClientRect(h, &client);
  auto darkIn = [&](int x0, int x1, int row) {
    int n = 0;
    for (int y = row * itemHeight + 2; y < (row + 1) * itemHeight - 2; ++y)
      for (int x = x0; x < x1; ++x)
        if (Dark(pixels[static_cast<size_t>(y * client.right + x)])) ++n;
    return n;
  };
  EXPECT_GT(darkIn(6, 14, 2), darkIn(6, 14, 3) + 4) << "a check mark in the ticked box";
  EXPECT_GT(darkIn(20, 80, 3), 10) << "the entry's text";

  // Ticks stay with their entries when one is put before them.
  list->Items()->Insert(0, "new");
  EXPECT_TRUE(list->Checked(3));
  EXPECT_FALSE(list->Checked(2));
  EXPECT_FALSE(list->Checked(0));

  // More entries than room: the wheel scrolls, and a click ticks the entry
  // shown there.
  WheelAt(h, 80, 40, -1, [h] { return SendMessageA(h, LB_GETTOPINDEX, 0, 0) > 0; });
  PumpUntil([] { return false; }, 300);  // the scroll settles
  const int top = static_cast<int>(SendMessageA(h, LB_GETTOPINDEX, 0, 0));
  ASSERT_GT(top, 0);
  const bool before = list->Checked(top + 1);
  ClickAt(h, 8, itemY(1));
  PumpUntil([&] { return clicks == 4; }, 3000);
  EXPECT_NE(list->Checked(top + 1), before);
}

TEST_F(ControlsTest, GroupBoxFramesTheControlsInIt) {
  auto* group = Add<TGroupBox>(10, 10, 200, 100);
  group->SetCaption("Options");
  auto* check = Add<TCheckBox>(10, 30, 150, 20, group);
  check->SetCaption("Inside");
  int clicks = 0;
  check->OnClick = [&](TObject*) { ++clicks; };
  EXPECT_EQ(GetParent(check->Handle()), group->Handle());
  EXPECT_EQ(GetWindowLongPtrA(group->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX);
  ClickAt(check->Handle(), 6, 10);
  EXPECT_TRUE(check->Checked());
  EXPECT_EQ(clicks, 1) << "the box's messages reach the control inside";
  // A frame line runs along the bottom; inside, the box is plain.
  std::vector<COLORREF> pixels = ClientPixels(group->Handle());
  const int w = group->ClientWidth(), h = group->ClientHeight();
  const COLORREF face = ColorToRGB(clBtnFace);
  int longest = 0;
  for (int y = 60; y < h; ++y) {
    int line = 0;
    for (int x = 100; x < 190; ++x)
      if (pixels[static_cast<size_t>(y * w + x)] != face) ++line;
    longest = std::max(longest, line);
  }
  EXPECT_EQ(longest, 90) << "the bottom line of the frame";
  EXPECT_EQ(pixels[static_cast<size_t>(60 * w + 100)], face);
}

// The caption drawn as a label should draw it, in the font given, on a
// bitmap wider than the label: the label's pixels and whether ink lies
// right of or below the label (cut text).
struct Reference {
  std::vector<COLORREF> pixels;
  bool inkOutside = false;
};
Reference DrawCaption(HFONT font, const std::string& text, int width, int height) {
  const int w = width + 60, h = height + 30;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ oldBmp = SelectObject(dc, bmp);
  RECT all = {0, 0, w, h};
  HBRUSH face = CreateSolidBrush(ColorToRGB(clBtnFace));
  FillRect(dc, &all, face);
  DeleteObject(face);
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(clWindowText));
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &all, DT_NOPREFIX);
  Reference ref;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      COLORREF c = GetPixel(dc, x, y);
      if (x < width && y < height)
        ref.pixels.push_back(c);
      else if (Dark(c))
        ref.inkOutside = true;
    }
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBmp);
  DeleteObject(bmp);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return ref;
}

TEST_F(ControlsTest, LabelsSizeToTheirCaptionInTheFormsFont) {
  const std::string caption = "A caption wider than twenty pixels";
  auto* label = Add<TLabel>(10, 10, 20, 8);
  label->SetCaption(caption);
  EXPECT_TRUE(label->AutoSize());
  const int width = label->Width(), height = label->Height();
  EXPECT_GT(width, 120);
  EXPECT_GE(height, 11);
  // It shows the whole caption in the form's font.
  auto shownWhole = [&](TLabel* l, const std::string& text) {
    Reference ref = DrawCaption(form_->Font()->Handle(), text, l->Width(), l->Height());
    EXPECT_FALSE(ref.inkOutside) << "nothing cut";
    return ClientPixels(l->Handle()) == ref.pixels;
  };
  EXPECT_TRUE(shownWhole(label, caption));
  label->SetCaption("Short");
  EXPECT_LT(label->Width(), width);

  // The form's font reaches the label; the label's own font stops that.
  form_->Font()->SetHeight(-24);
  EXPECT_TRUE(label->ParentFont());
  EXPECT_EQ(label->Font()->Height(), -24);
  EXPECT_GT(label->Height(), 2 * height - 4);
  EXPECT_TRUE(shownWhole(label, "Short"));
  auto* own = Add<TLabel>(10, 100, 10, 10);
  own->SetCaption("Own");
  own->Font()->SetHeight(-11);
  EXPECT_FALSE(own->ParentFont());
  const int ownHeight = own->Height();
  form_->Font()->SetHeight(-30);
  EXPECT_EQ(own->Height(), ownHeight);
  EXPECT_GT(label->Height(), 30);

  // A right-justified label keeps its right edge; a wrapped one its width.
  auto* right = new TLabel(form_);
  right->Alignment = taRightJustify;
  right->SetParent(form_);
  right->SetBounds(100, 200, 300, 10);
  right->SetCaption("Right");
  EXPECT_EQ(right->Left() + right->Width(), 400);
  auto* wrapped = new TLabel(form_);
  wrapped->WordWrap = true;
  wrapped->SetParent(form_);
  wrapped->SetBounds(10, 240, 150, 10);
  wrapped->SetCaption("Several words that do not fit on one line of this label");
  EXPECT_EQ(wrapped->Width(), 150);
  EXPECT_GT(wrapped->Height(), 2 * label->Font()->Height() * -1);
  // Without AutoSize the bounds given stay.
  auto* fixed = Add<TLabel>(10, 300, 40, 12);
  fixed->SetAutoSize(false);
  fixed->SetBounds(10, 300, 40, 12);
  fixed->SetCaption("A long caption that does not fit");
  EXPECT_EQ(fixed->Width(), 40);
}
