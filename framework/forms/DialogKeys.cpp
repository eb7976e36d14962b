// The keyboard of forms: menu shortcuts before the focused control sees a
// key, and the dialog keys it does not want (Tab, arrows, Enter, Escape,
// the page keys, Alt with a letter).
#include <algorithm>
#include <cctype>

#include "Application.h"
#include "Forms.h"
#include "Menus.h"
#include "PageControl.h"
#include "StdCtrls.h"

namespace {

// The nearest control of ours that holds the window (a combo box holds
// its edit field).
TWinControl* ControlOfWindow(HWND w) {
  while (w) {
    if (TWinControl* c = TWinControl::FromHandle(w)) return c;
    w = (GetWindowLongPtrA(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr;
  }
  return nullptr;
}

bool IsMenuKey(TWinControl* control, TForm* form, TShortCut shortCut) {
  for (TWinControl* c = control; c; c = c->Parent())
    if (c->PopupMenu() && c->PopupMenu()->IsShortCut(shortCut)) return true;
  if (form->Menu() && form->Menu()->IsShortCut(shortCut)) return true;
  // An MDI child's menu shows in its frame's bar.
  TForm* frame = Application->MainForm();
  return form->FormStyle() == fsMDIChild && frame && frame != form && frame->Menu() &&
         frame->Menu()->IsShortCut(shortCut);
}

// The letter that & marks in a caption (&& is a plain &), or 0.
char AccelChar(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i)
    if (caption[i] == '&') {
      if (caption[i + 1] != '&') return caption[i + 1];
      ++i;
    }
  return 0;
}

bool SameLetter(char a, char b) {
  return a && b &&
         std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
}

// Every descendant of the control, depth first in tab order.
void Descendants(const TWinControl* parent, std::vector<TWinControl*>& out) {
  std::vector<TWinControl*> children;
  for (int i = 0; i < parent->ControlCount(); ++i) children.push_back(parent->Controls(i));
  std::stable_sort(children.begin(), children.end(),
                   [](TWinControl* a, TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
  for (TWinControl* c : children) {
    out.push_back(c);
    Descendants(c, out);
  }
}

TButton* FindButton(const TForm* form, bool cancel) {
  std::vector<TWinControl*> all;
  Descendants(form, all);
  for (TWinControl* c : all) {
    auto* b = dynamic_cast<TButton*>(c);
    if (b && (cancel ? b->Cancel : b->Default()) && b->CanFocus()) return b;
  }
  return nullptr;
}

// The page control that holds the control, else the form's first one
// that can take the focus.
TPageControl* PageControlFor(const TForm* form, TWinControl* focused) {
  for (TWinControl* c = focused; c && c != form; c = c->Parent())
    if (auto* pages = dynamic_cast<TPageControl*>(c)) return pages;
  std::vector<TWinControl*> all;
  Descendants(form, all);
  for (TWinControl* c : all)
    if (auto* pages = dynamic_cast<TPageControl*>(c))
      if (pages->CanFocus()) return pages;
  return nullptr;
}

bool IsChildOf(const TWinControl* c, const TWinControl* ancestor) {
  for (; c; c = c->Parent())
    if (c == ancestor) return true;
  return false;
}

}  // namespace

TWinControl* TForm::ActiveControl() const {
  HWND focus = GetFocus();
  if (focus && IsChild(Handle(), focus)) return ControlOfWindow(focus);
  return activeWindow_ && IsWindow(activeWindow_) && IsChild(Handle(), activeWindow_)
             ? FromHandle(activeWindow_)
             : nullptr;
}

void TForm::SetActiveControl(TWinControl* control) {
  if (!control || GetParentForm(control) != this) return;
  activeWindow_ = control->Handle();
  if (control->CanFocus()) control->SetFocus();
}

void TForm::FocusChanged(TWinControl* control) {
  if (control != this) activeWindow_ = control->Handle();
  // The focused push button shows the default frame, else the Default one.
  const bool onButton = dynamic_cast<TButton*>(control) != nullptr;
  std::vector<TWinControl*> all;
  Descendants(this, all);
  for (TWinControl* c : all)
    if (auto* b = dynamic_cast<TButton*>(c)) b->SetActive(b == control || (b->Default() && !onButton));
}

bool TForm::RestoreFocus() {
  TWinControl* c = activeWindow_ && IsWindow(activeWindow_) && IsChild(Handle(), activeWindow_)
                       ? FromHandle(activeWindow_)
                       : nullptr;
  if (!c || !c->CanFocus()) c = FindNextControl(nullptr, true);
  if (!c) return false;
  c->SetFocus();
  return true;
}

void TForm::SelectNext(TWinControl* current, bool goForward) {
  TWinControl* next = FindNextControl(current ? current : ActiveControl(), goForward);
  if (!next) return;
  next->SetFocus();
  // An edit field that the keys come to has its text selected.
  if (SendMessageA(next->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
    SendMessageA(next->Handle(), EM_SETSEL, 0, -1);
}

bool TForm::DialogKey(WORD key, TShiftState shift) {
  TWinControl* focused = ActiveControl();
  if (shift & ssAlt) return false;
  if (shift & ssCtrl) {
    if (key != VK_TAB && key != VK_PRIOR && key != VK_NEXT) return false;
    TPageControl* pages = PageControlFor(this, focused);
    if (!pages) return false;
    const bool hadFocus = IsChildOf(focused, pages);
    pages->SelectNextPage(key == VK_TAB ? !(shift & ssShift) : key == VK_NEXT);
    // The focus does not stay on a page that is hidden now.
    if (hadFocus && focused != pages && !focused->CanFocus()) pages->SetFocus();
    return true;
  }
  switch (key) {
    case VK_TAB:
      SelectNext(focused, !(shift & ssShift));
      return true;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: {
      auto* radio = dynamic_cast<TRadioButton*>(focused);
      if (!radio || !radio->Parent()) return false;
      std::vector<TRadioButton*> group;
      std::vector<TWinControl*> siblings;
      Descendants(radio->Parent(), siblings);
      for (TWinControl* c : siblings)
        if (auto* r = dynamic_cast<TRadioButton*>(c))
          if (r->Parent() == radio->Parent() && (r == radio || r->CanFocus())) group.push_back(r);
      const int n = static_cast<int>(group.size());
      const int at = static_cast<int>(std::find(group.begin(), group.end(), radio) - group.begin());
      TRadioButton* next = group[static_cast<size_t>((at + (key == VK_RIGHT || key == VK_DOWN ? 1 : n - 1)) % n)];
      next->SetFocus();
      next->SetChecked(true);
      return true;
    }
    case VK_RETURN:
    case VK_ESCAPE: {
      TButton* b = key == VK_RETURN ? dynamic_cast<TButton*>(focused) : nullptr;
      if (!b) b = FindButton(this, key == VK_ESCAPE);
      if (!b) return false;
      b->Click();
      return true;
    }
    default:
      return false;
  }
}

bool TForm::DialogChar(char c) {
  std::vector<TWinControl*> all;
  Descendants(this, all);
  for (TWinControl* control : all) {
    auto* label = dynamic_cast<TLabel*>(control);
    auto* button = dynamic_cast<TButton*>(control);
    auto* check = dynamic_cast<TCheckBox*>(control);
    if ((!label && !button && !check) || !control->CanFocus()) continue;
    if (!SameLetter(c, AccelChar(control->Caption()))) continue;
    if (label) {
      TWinControl* target = label->FocusControl();
      if (!target || !target->CanFocus()) continue;
      target->SetFocus();
      if (SendMessageA(target->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        SendMessageA(target->Handle(), EM_SETSEL, 0, -1);
    } else if (button) {
      button->Click();
    } else if (auto* radio = dynamic_cast<TRadioButton*>(check)) {
      radio->SetFocus();
      radio->SetChecked(true);
    } else {
      check->SetFocus();
      check->SetChecked(!check->Checked());
    }
    return true;
  }
  return false;
}

bool TApplication::IsKeyMsg(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN && msg.message != WM_SYSCHAR)
    return false;
  TWinControl* control = ControlOfWindow(msg.hwnd);
  TForm* form = control ? GetParentForm(control) : nullptr;
  if (!form) return false;
  const auto uiState = [form] {
    SendMessageA(form->Handle(), WM_CHANGEUISTATE,
                 MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
  };
  if (msg.message == WM_SYSCHAR) {
    if (!form->DialogChar(static_cast<char>(msg.wParam))) return false;
    uiState();
    return true;
  }
  const WORD key = static_cast<WORD>(msg.wParam);
  if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return false;
  const TShiftState shift = KeyboardShiftState() & (ssShift | ssCtrl | ssAlt);
  if (IsMenuKey(control, form, ShortCut(key, shift))) return true;
  // A drag (a splitter's, say) or a press in progress takes its keys.
  if (GetCapture()) return false;
  UINT mask = 0;
  switch (key) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN: case VK_ESCAPE: mask = DLGC_WANTALLKEYS; break;
    case VK_PRIOR: case VK_NEXT: mask = (shift & ssCtrl) ? DLGC_WANTALLKEYS : 0; break;
    default: break;
  }
  if (!mask) return false;
  // The control is asked with the key in wParam and no message: with one,
  // the system's edit fields act as in a dialog box (Escape in a memo
  // would close its parent).
  if (SendMessageA(msg.hwnd, WM_GETDLGCODE, key, 0) & mask) return false;
  // A dropped-down list closes with Enter or Escape.
  auto* combo = dynamic_cast<TComboBox*>(control);
  if (combo && mask == DLGC_WANTALLKEYS && combo->DroppedDown()) return false;
  if (!form->DialogKey(key, shift)) return false;
  uiState();
  return true;
}
