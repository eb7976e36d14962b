// Tab stops and tab order of windowed controls, and the walk that Tab and
// Shift+Tab take through a form.
#include <algorithm>

#include "Controls.h"
#include "StdCtrls.h"

bool TWinControl::TabStop() const {
  if (handle_) return (GetWindowLongPtrA(handle_, GWL_STYLE) & WS_TABSTOP) != 0;
  return tabStop_ == 1;
}

void TWinControl::SetTabStop(bool tabStop) {
  tabStop_ = tabStop ? 1 : 0;
  if (!handle_) return;
  LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
  style = tabStop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
  SetWindowLongPtrA(handle_, GWL_STYLE, style);
}

int TWinControl::TabOrder() const {
  if (!parent_) return -1;
  const auto& tabs = parent_->tabList_;
  return static_cast<int>(std::find(tabs.begin(), tabs.end(), this) - tabs.begin());
}

void TWinControl::SetTabOrder(int order) {
  if (!parent_) return;
  auto& tabs = parent_->tabList_;
  tabs.erase(std::remove(tabs.begin(), tabs.end(), this), tabs.end());
  order = std::max(0, std::min(order, static_cast<int>(tabs.size())));
  tabs.insert(tabs.begin() + order, this);
}

namespace {
// Of a group of radio buttons (the ones of one parent) Tab visits only the
// checked one, or the first when none is checked.
bool RadioTakesTab(const TRadioButton* radio, const std::vector<TWinControl*>& siblings) {
  if (radio->Checked()) return true;
  const TRadioButton* first = nullptr;
  for (TWinControl* c : siblings) {
    auto* other = dynamic_cast<TRadioButton*>(c);
    if (!other || !other->CanFocus()) continue;
    if (other->Checked()) return false;
    if (!first) first = other;
  }
  return first == radio;
}
}  // namespace

void TWinControl::AddTabOrderList(std::vector<TWinControl*>& list) const {
  for (TWinControl* c : tabList_) {
    if (!c->handle_ || !c->Visible() || !c->Enabled()) continue;
    auto* radio = dynamic_cast<TRadioButton*>(c);
    if (c->TabStop() && (!radio || RadioTakesTab(radio, tabList_))) list.push_back(c);
    c->AddTabOrderList(list);
  }
}

std::vector<TWinControl*> TWinControl::TabOrderList() const {
  std::vector<TWinControl*> list;
  AddTabOrderList(list);
  return list;
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward) const {
  std::vector<TWinControl*> list = TabOrderList();
  if (list.empty()) return nullptr;
  // A control that is not a stop itself (the grid's editor, say) counts
  // as the stop that holds it.
  auto at = list.end();
  for (TWinControl* c = current; c && c != this && at == list.end(); c = c->Parent())
    at = std::find(list.begin(), list.end(), c);
  const int n = static_cast<int>(list.size());
  int index = at == list.end() ? (goForward ? -1 : n) : static_cast<int>(at - list.begin());
  for (int step = 0; step < n; ++step) {
    index = (index + (goForward ? 1 : n - 1)) % n;
    TWinControl* c = list[static_cast<size_t>(index)];
    if (c != current && c->CanFocus()) return c;
  }
  return nullptr;
}
