#include "Menus.h"

#include <algorithm>
#include <set>

#include "Application.h"
#include "Forms.h"

namespace {

std::set<UINT>& UsedCommands() {
  // Never freed: items of forms freed at exit still give theirs back.
  static auto* used = new std::set<UINT>;
  return *used;
}

UINT NewCommand() {
  static UINT next = 0;
  auto& used = UsedCommands();
  for (int tries = 0; tries < 0xFFFF; ++tries) {
    next = next >= 0xFFFF ? 1 : next + 1;
    if (used.insert(next).second) return next;
  }
  throw EOutOfResources("Too many menu items");
}

std::vector<TPopupMenu*>& PopupMenus() {
  static auto* list = new std::vector<TPopupMenu*>;
  return *list;
}

const char kMenuWindowClass[] = "TPopupListWindow";

}  // namespace

TShortCut ShortCut(WORD key, TShiftState shift) {
  TShortCut s = static_cast<TShortCut>(key & 0xFF);
  if (shift & ssShift) s |= scShift;
  if (shift & ssCtrl) s |= scCtrl;
  if (shift & ssAlt) s |= scAlt;
  return s;
}

std::string ShortCutToText(TShortCut shortCut) {
  WORD key = shortCut & 0xFF;
  if (key == 0) return "";
  std::string name;
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
    name = std::string(1, static_cast<char>(key));
  } else if (key >= VK_F1 && key <= VK_F24) {
    name = "F" + std::to_string(key - VK_F1 + 1);
  } else {
    static const struct {
      WORD key;
      const char* name;
    } names[] = {{VK_BACK, "BkSp"}, {VK_TAB, "Tab"},     {VK_ESCAPE, "Esc"},  {VK_RETURN, "Enter"},
                 {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},  {VK_END, "End"},
                 {VK_HOME, "Home"},  {VK_LEFT, "Left"},  {VK_UP, "Up"},       {VK_RIGHT, "Right"},
                 {VK_DOWN, "Down"},  {VK_INSERT, "Ins"}, {VK_DELETE, "Del"}};
    for (const auto& n : names)
      if (n.key == key) name = n.name;
    if (name.empty()) {
      UINT scan = MapVirtualKeyA(key, 0);
      char buf[64] = {};
      if (scan && GetKeyNameTextA(static_cast<LONG>(scan << 16), buf, sizeof buf) > 0) name = buf;
    }
    if (name.empty()) return "";
  }
  std::string text;
  if (shortCut & scShift) text += "Shift+";
  if (shortCut & scCtrl) text += "Ctrl+";
  if (shortCut & scAlt) text += "Alt+";
  return text + name;
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(NewCommand()) {}

TMenuItem::~TMenuItem() {
  Destroying();
  if (mergedInto_) mergedInto_->Merge(nullptr);
  if (merged_) merged_->mergedInto_ = nullptr;
  while (!items_.empty()) delete items_.back();
  if (parent_) parent_->Remove(this);
  if (handle_) DestroyMenu(handle_);
  UsedCommands().erase(command_);
}

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item || item->parent_) throw EComponentError("Menu item is already inserted");
  index = std::max(0, std::min(index, Count()));
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
  Rebuild();
  // An item that gains its first child becomes a submenu in its parent.
  if (Count() == 1) Changed();
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  item->parent_ = nullptr;
  if (ComponentState() & csDestroying) return;
  Rebuild();
  if (items_.empty()) Changed();
}

void TMenuItem::Delete(int index) {
  if (index < 0 || index >= Count()) throw EComponentError("Menu index out of range");
  TMenuItem* item = items_[static_cast<size_t>(index)];
  Remove(item);
  delete item;
}

void TMenuItem::Clear() {
  while (!items_.empty()) Delete(Count() - 1);
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

std::vector<TMenuItem*> TMenuItem::ShownItems() const {
  std::vector<TMenuItem*> shown;
  std::set<int> mergedGroups;
  if (merged_)
    for (TMenuItem* i : merged_->items_)
      if (i->visible_) mergedGroups.insert(i->GroupIndex);
  for (TMenuItem* i : items_)
    if (i->visible_ && !mergedGroups.count(i->GroupIndex)) shown.push_back(i);
  if (merged_)
    for (TMenuItem* i : merged_->items_) {
      if (!i->visible_) continue;
      auto at = std::find_if(shown.begin(), shown.end(),
                             [i](TMenuItem* o) { return o->GroupIndex > i->GroupIndex; });
      shown.insert(at, i);
    }
  return shown;
}

void TMenuItem::Merge(TMenuItem* menu) {
  if (menu == merged_ || menu == this) return;
  if (merged_) merged_->mergedInto_ = nullptr;
  if (menu && menu->mergedInto_) menu->mergedInto_->Merge(nullptr);
  merged_ = menu;
  if (menu) menu->mergedInto_ = this;
  Rebuild();
}

TMenuItem* TMenuItem::ShownParent() const {
  if (!parent_) return nullptr;
  return parent_->mergedInto_ ? parent_->mergedInto_ : parent_;
}

int TMenuItem::VisibleIndex() const {
  TMenuItem* shownParent = ShownParent();
  if (!shownParent || !visible_) return -1;
  std::vector<TMenuItem*> shown = shownParent->ShownItems();
  auto it = std::find(shown.begin(), shown.end(), this);
  return it == shown.end() ? -1 : static_cast<int>(it - shown.begin());
}

bool TMenuItem::IsMenuBarItem() const {
  TMenuItem* p = ShownParent();
  return p && p->menu_ && p->menu_->IsMenuBar();
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* i = this;
  while (i->parent_) i = i->parent_;
  return i->menu_;
}

UINT TMenuItem::StateFlags() const {
  UINT f = MF_BYPOSITION;
  if (caption_ == "-") f |= MF_SEPARATOR;
  if (checked_) f |= MF_CHECKED;
  if (!enabled_) f |= MF_GRAYED;
  if (break_ == mbBreak) f |= MF_MENUBREAK;
  if (break_ == mbBarBreak) f |= MF_MENUBARBREAK;
  if (!items_.empty()) f |= MF_POPUP;
  return f;
}

std::string TMenuItem::DisplayText() const {
  std::string t = caption_;
  if (shortCut_ && items_.empty()) t += "\t" + ShortCutToText(shortCut_);
  return t;
}

HMENU TMenuItem::Handle() {
  if (!handle_) {
    handle_ = menu_ && menu_->IsMenuBar() ? CreateMenu() : CreatePopupMenu();
    Rebuild();
  }
  return handle_;
}

// Refills this item's Windows menu from its visible children.
void TMenuItem::Rebuild() {
  if (mergedInto_) mergedInto_->Rebuild();
  if (!handle_) return;
  // Only the entries made here go, known by command or submenu: those
  // Windows added (an MDI window menu's children, a maximised child's
  // buttons in the bar) stay where they are.
  UINT pos = static_cast<UINT>(-1);
  for (int i = GetMenuItemCount(handle_) - 1; i >= 0; --i) {
    MENUITEMINFOA mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_ID | MIIM_SUBMENU;
    if (!GetMenuItemInfoA(handle_, static_cast<UINT>(i), TRUE, &mi)) continue;
    const bool ours = mi.hSubMenu ? std::count(built_.subMenus.begin(), built_.subMenus.end(), mi.hSubMenu) > 0
                                  : std::count(built_.commands.begin(), built_.commands.end(), mi.wID) > 0;
    if (!ours) continue;
    RemoveMenu(handle_, static_cast<UINT>(i), MF_BYPOSITION);
    pos = static_cast<UINT>(i);
  }
  if (pos == static_cast<UINT>(-1)) pos = 0;
  built_ = {};
  for (TMenuItem* i : ShownItems()) {
    std::string text = i->DisplayText();
    MENUITEMINFOA mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_SUBMENU | MIIM_STRING;
    mi.fType = i->caption_ == "-" ? MFT_SEPARATOR : MFT_STRING;
    if (i->radio_) mi.fType |= MFT_RADIOCHECK;
    if (i->break_ == mbBreak) mi.fType |= MFT_MENUBREAK;
    if (i->break_ == mbBarBreak) mi.fType |= MFT_MENUBARBREAK;
    mi.fState = (i->checked_ ? MFS_CHECKED : 0) | (i->enabled_ ? 0 : MFS_GRAYED) |
                (i->default_ ? MFS_DEFAULT : 0);
    mi.wID = i->command_;
    mi.hSubMenu = i->items_.empty() ? nullptr : i->Handle();
    mi.dwItemData = reinterpret_cast<ULONG_PTR>(i);
    mi.dwTypeData = &text[0];
    if (!InsertMenuItemA(handle_, pos, TRUE, &mi)) continue;
    ++pos;
    if (mi.hSubMenu)
      built_.subMenus.push_back(mi.hSubMenu);
    else
      built_.commands.push_back(mi.wID);
  }
  if (menu_) menu_->MenuChanged();
}

void TMenuItem::Changed() {
  if (parent_) parent_->Rebuild();
}

void TMenuItem::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Changed();
}
void TMenuItem::SetShortCut(TShortCut shortCut) {
  shortCut_ = shortCut;
  Changed();
}
void TMenuItem::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  // A checked radio item unchecks the others of its group.
  if (checked && radio_ && parent_)
    for (TMenuItem* i : parent_->items_)
      if (i != this && i->radio_ && i->GroupIndex == GroupIndex) i->checked_ = false;
  Changed();
}
void TMenuItem::SetRadioItem(bool radio) {
  radio_ = radio;
  Changed();
}
void TMenuItem::SetDefault(bool isDefault) {
  if (isDefault && parent_)
    for (TMenuItem* i : parent_->items_) i->default_ = false;
  default_ = isDefault;
  Changed();
}
void TMenuItem::SetBreak(TMenuBreak value) {
  break_ = value;
  Changed();
}
void TMenuItem::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Changed();
}
void TMenuItem::SetVisible(bool visible) {
  visible_ = visible;
  Changed();
}

void TMenuItem::Click() {
  if (enabled_ && OnClick) OnClick(this);
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) {
  items_->menu_ = this;
}

TMenu::~TMenu() {
  Destroying();
  // The items outlive this object while the owned components are freed.
  items_->menu_ = nullptr;
}

TMenuItem* TMenu::FindItem(UINT_PTR value, TFindItemKind kind) const {
  std::vector<TMenuItem*> stack{items_};
  while (!stack.empty()) {
    TMenuItem* i = stack.back();
    stack.pop_back();
    if (kind == fkCommand && i != items_ && i->command_ == value) return i;
    if (kind == fkHandle && i->handle_ && reinterpret_cast<UINT_PTR>(i->handle_) == value) return i;
    stack.insert(stack.end(), i->items_.begin(), i->items_.end());
    if (i->merged_) stack.insert(stack.end(), i->merged_->items_.begin(), i->merged_->items_.end());
  }
  return nullptr;
}

// Searched from the root down: the pointer may come from outside (another
// program's item data) and is only compared, never followed.
bool TMenu::ContainsItem(const TMenuItem* item) const {
  if (!item) return false;
  std::vector<const TMenuItem*> stack{items_};
  while (!stack.empty()) {
    const TMenuItem* i = stack.back();
    stack.pop_back();
    if (i == item) return true;
    stack.insert(stack.end(), i->items_.begin(), i->items_.end());
    if (i->merged_) stack.push_back(i->merged_);
  }
  return false;
}

int TMenu::HelpContextOf(UINT_PTR commandOrHandle) const {
  TMenuItem* i = FindItem(commandOrHandle, fkCommand);
  if (!i) i = FindItem(commandOrHandle, fkHandle);
  return i ? i->HelpContext : 0;
}

bool TMenu::DispatchCommand(UINT command) {
  TMenuItem* i = FindItem(command, fkCommand);
  if (!i) return false;
  i->Click();
  return true;
}

bool TMenu::DispatchPopup(HMENU menu) {
  TMenuItem* i = FindItem(reinterpret_cast<UINT_PTR>(menu), fkHandle);
  if (!i) return false;
  i->Click();
  return true;
}

namespace {
// The path from below the root to the shown item without children that
// has the shortcut; empty when none.
bool FindShortCut(const TMenuItem* parent, TShortCut shortCut, std::vector<TMenuItem*>& path) {
  for (TMenuItem* i : parent->ShownItems()) {
    path.push_back(i);
    if (i->Count() == 0 ? i->ShortCut() == shortCut : FindShortCut(i, shortCut, path)) return true;
    path.pop_back();
  }
  return false;
}
}  // namespace

bool TMenu::IsShortCut(TShortCut shortCut) {
  if (!(shortCut & 0xFF)) return false;
  std::vector<TMenuItem*> path;
  if (!FindShortCut(items_, shortCut, path)) return false;
  for (size_t i = 0; i + 1 < path.size(); ++i) path[i]->Click();
  // Those clicks may have changed the items: look again.
  path.clear();
  if (!FindShortCut(items_, shortCut, path)) return false;
  for (TMenuItem* i : path)
    if (!i->Enabled()) return false;
  path.back()->Click();
  return true;
}

TMenuItem* TMenu::MenuSelectItem(WPARAM wp, LPARAM lp) const {
  const UINT flags = HIWORD(wp);
  if (flags == 0xFFFF && !lp) return nullptr;  // the menu closed
  if (flags & MF_POPUP) {
    HMENU sub = GetSubMenu(reinterpret_cast<HMENU>(lp), LOWORD(wp));
    return sub ? FindItem(reinterpret_cast<UINT_PTR>(sub), fkHandle) : nullptr;
  }
  return FindItem(LOWORD(wp), fkCommand);
}

void MenuSelectHint(const std::vector<TMenu*>& menus, WPARAM wp, LPARAM lp) {
  for (TMenu* m : menus)
    if (TMenuItem* i = m->MenuSelectItem(wp, lp)) {
      Application->SetHint(i->Hint);
      return;
    }
  Application->SetHint("");
}

bool MenuItemHelp(const std::vector<TMenu*>& menus, const HELPINFO& info) {
  if (info.iContextType != HELPINFO_MENUITEM) return false;
  for (TMenu* m : menus) {
    bool holds = m->FindItem(static_cast<UINT_PTR>(info.iCtrlId), fkCommand) ||
                 m->FindItem(reinterpret_cast<UINT_PTR>(info.hItemHandle), fkHandle);
    if (!holds) continue;
    int context = m->HelpContextOf(static_cast<UINT_PTR>(info.iCtrlId));
    if (!context) context = m->HelpContextOf(reinterpret_cast<UINT_PTR>(info.hItemHandle));
    TForm* form = Screen->ActiveForm();
    if (!form) return true;
    const LONG_PTR ex = GetWindowLongPtrA(form->Handle(), GWL_EXSTYLE);
    if (ex & WS_EX_CONTEXTHELP)
      Application->HelpCommand(HELP_CONTEXTPOPUP, static_cast<ULONG_PTR>(context), form->Handle());
    else
      Application->HelpContext(context);
    return true;
  }
  return false;
}

HWND AllocateMenuWindow(std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> handler) {
  return AllocateHandlerWindow(kMenuWindowClass, WS_EX_TOOLWINDOW, WS_POPUP, nullptr,
                               std::move(handler));
}

HWND PopupListWindow() {
  static HWND window = AllocateMenuWindow([](HWND w, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
    switch (msg) {
      case WM_COMMAND:
        for (TPopupMenu* m : std::vector<TPopupMenu*>(PopupMenus()))
          if (m->DispatchCommand(LOWORD(wp))) return 0;
        break;
      case WM_INITMENUPOPUP:
        for (TPopupMenu* m : std::vector<TPopupMenu*>(PopupMenus()))
          if (m->DispatchPopup(reinterpret_cast<HMENU>(wp))) return 0;
        break;
      case WM_MENUSELECT:
        MenuSelectHint(std::vector<TMenu*>(PopupMenus().begin(), PopupMenus().end()), wp, lp);
        break;
      case WM_HELP:
        if (MenuItemHelp(std::vector<TMenu*>(PopupMenus().begin(), PopupMenus().end()),
                         *reinterpret_cast<HELPINFO*>(lp)))
          return TRUE;
        break;
      default:
        break;
    }
    return DefWindowProcA(w, msg, wp, lp);
  });
  return window;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) { PopupMenus().push_back(this); }

TPopupMenu::~TPopupMenu() {
  auto& list = PopupMenus();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TPopupMenu::DoPopup() {
  if (OnPopup) OnPopup(this);
}

UINT TPopupMenu::AlignmentFlags() const {
  switch (Alignment) {
    case paRight: return TPM_RIGHTALIGN;
    case paCenter: return TPM_CENTERALIGN;
    default: return TPM_LEFTALIGN;
  }
}

void TPopupMenu::Popup(int x, int y) {
  DoPopup();
  HWND owner = PopupListWindow();
  SetForegroundWindow(owner);
  TrackPopupMenu(Handle(), AlignmentFlags() | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
  PostMessageA(owner, WM_NULL, 0, 0);
}

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner) {}

TMainMenu::~TMainMenu() {
  // The bar must not show a menu that is gone.
  if (window_ && IsWindow(window_) && Items()->HasHandle() && GetMenu(window_) == Items()->Handle())
    ::SetMenu(window_, nullptr);
}

void TMainMenu::SetWindowHandle(HWND window) {
  window_ = window;
  UpdateBar();
}

void TMainMenu::Merge(TMainMenu* menu) { Items()->Merge(menu ? menu->Items() : nullptr); }

void TMainMenu::Unmerge(TMainMenu* menu) {
  if (menu && Items()->Merged() == menu->Items()) Items()->Merge(nullptr);
}

void TMainMenu::UpdateBar() const {
  if (window_ && IsWindow(window_)) DrawMenuBar(window_);
}
