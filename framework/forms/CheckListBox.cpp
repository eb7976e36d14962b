#include "CheckListBox.h"

#include <algorithm>

namespace {
const int kBox = 13;  // the check box's side
const int kGap = 3;   // room left of the box and between box and text
}  // namespace

void TCheckListBox::FillCreateParams(CreateParams& p) {
  TListBox::FillCreateParams(p);
  p.style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
}

void TCheckListBox::HandleCreated() {
  TListBox::HandleCreated();
  SetItemHeight();
}

void TCheckListBox::FontChanged() {
  SetItemHeight();
  TListBox::FontChanged();
}

void TCheckListBox::SetItemHeight() {
  if (!HandleAllocated()) return;
  HDC dc = GetDC(Handle());
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  TEXTMETRICA tm = {};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(Handle(), dc);
  int height = std::max<int>(tm.tmHeight + 2, kBox + 2);
  SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, height);
  InvalidateRect(Handle(), nullptr, TRUE);
}

// Ticks follow their entries: the entries before and after the changed
// stretch keep theirs, the entries of the stretch start clear.
void TCheckListBox::ItemsChanged() {
  const TStringList* items = Items();
  const size_t count = static_cast<size_t>(items->Count());
  std::vector<std::string> texts(count);
  for (size_t i = 0; i < count; ++i) texts[i] = items->Strings(static_cast<int>(i));
  size_t head = 0;
  while (head < count && head < texts_.size() && texts[head] == texts_[head]) ++head;
  size_t tail = 0;
  while (tail < count - head && tail < texts_.size() - head &&
         texts[count - 1 - tail] == texts_[texts_.size() - 1 - tail])
    ++tail;
  std::vector<bool> checked(count, false);
  for (size_t i = 0; i < head; ++i) checked[i] = checked_[i];
  for (size_t i = 0; i < tail; ++i) checked[count - 1 - i] = checked_[checked_.size() - 1 - i];
  checked_.swap(checked);
  texts_.swap(texts);
  TListBox::ItemsChanged();
}

bool TCheckListBox::Checked(int index) const {
  return index >= 0 && static_cast<size_t>(index) < checked_.size() &&
         checked_[static_cast<size_t>(index)];
}

void TCheckListBox::SetChecked(int index, bool checked) {
  if (index < 0 || static_cast<size_t>(index) >= checked_.size()) return;
  checked_[static_cast<size_t>(index)] = checked;
  if (!HandleAllocated()) return;
  RECT r;
  if (SendMessageA(Handle(), LB_GETITEMRECT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&r)) != LB_ERR)
    InvalidateRect(Handle(), &r, TRUE);
}

void TCheckListBox::Toggle(int index) {
  if (index < 0 || index >= Items()->Count()) return;
  SetChecked(index, !Checked(index));
  if (OnClickCheck) OnClickCheck(this);
}

bool TCheckListBox::DrawItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  if (item.itemID == static_cast<UINT>(-1)) {
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
    return true;
  }
  const int index = static_cast<int>(item.itemID);
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &r, selected ? GetSysColorBrush(COLOR_HIGHLIGHT) : BackgroundBrush());
  const int boxTop = r.top + (r.bottom - r.top - kBox) / 2;
  RECT box = {r.left + kGap, boxTop, r.left + kGap + kBox, boxTop + kBox};
  UINT state = DFCS_BUTTONCHECK | (Checked(index) ? DFCS_CHECKED : 0) |
               (Enabled() ? 0 : DFCS_INACTIVE);
  DrawFrameControl(dc, &box, DFC_BUTTON, state);
  if (index < Items()->Count()) {
    const std::string& text = Items()->Strings(index);
    RECT t = r;
    t.left = box.right + kGap;
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, !Enabled() ? GetSysColor(COLOR_GRAYTEXT)
                     : selected ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                : ColorToRGB(FontColor()));
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &t,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, old);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
  return true;
}

void TCheckListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TListBox::MouseDown(button, shift, x, y);
  if (button != mbLeft || x < 0 || x >= kGap + kBox + kGap) return;
  LRESULT hit = SendMessageA(Handle(), LB_ITEMFROMPOINT, 0, MAKELPARAM(x, y));
  if (HIWORD(hit) == 0) Toggle(static_cast<int>(LOWORD(hit)));
}

void TCheckListBox::KeyPress(char& key) {
  TListBox::KeyPress(key);
  if (key != ' ') return;
  Toggle(ItemIndex());
  key = 0;
}
