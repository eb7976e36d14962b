// The entries Windows adds to the MDI window menu, drawn owner-drawn
// through temporary items.
#include <memory>
#include <string>
#include <vector>

#include "Application.h"
#include "Forms.h"
#include "oxMenus.h"

namespace {

struct TemporaryItem {
  std::unique_ptr<TMenuItem> item;
  ToxMenu* owner;
  HMENU menu;
  UINT id;
  bool separator;
};

std::vector<TemporaryItem>& Temporary() {
  static auto* items = new std::vector<TemporaryItem>;
  return *items;
}

// The entry that carries the temporary item; -1 when it is gone.
UINT EntryOf(const TemporaryItem& t) {
  for (int i = 0, n = GetMenuItemCount(t.menu); i < n; ++i) {
    MENUITEMINFOA mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_DATA;
    if (GetMenuItemInfoA(t.menu, static_cast<UINT>(i), TRUE, &mi) &&
        mi.dwItemData == reinterpret_cast<ULONG_PTR>(t.item.get()))
      return static_cast<UINT>(i);
  }
  return static_cast<UINT>(-1);
}

}  // namespace

ToxMenu* ToxWindowMenuItemOwner(ULONG_PTR itemData) {
  for (const TemporaryItem& t : Temporary())
    if (reinterpret_cast<ULONG_PTR>(t.item.get()) == itemData) return t.owner;
  return nullptr;
}

void ToxPrepareWindowMenu(ToxMenu* menu, TForm* form) {
  if (!form || form != Application->MainForm() || form->FormStyle() != fsMDIForm) return;
  TMenuItem* windowItem = form->WindowMenu();
  if (!windowItem || !windowItem->HasHandle()) return;
  HMENU window = windowItem->Handle();
  const int count = GetMenuItemCount(window);
  for (int pos = 0; pos < count; ++pos) {
    char text[256] = {};
    MENUITEMINFOA mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_DATA | MIIM_ID | MIIM_SUBMENU;
    if (!GetMenuItemInfoA(window, static_cast<UINT>(pos), TRUE, &mi) || mi.hSubMenu) continue;
    if (mi.dwItemData && (ToxMenuDataOf(mi.dwItemData) || ToxWindowMenuItemOwner(mi.dwItemData))) continue;
    const bool separator = (mi.fType & MFT_SEPARATOR) != 0;
    if (!separator && !(mi.fType & MFT_OWNERDRAW))
      GetMenuStringA(window, static_cast<UINT>(pos), text, sizeof text, MF_BYPOSITION);
    auto item = std::make_unique<TMenuItem>(nullptr);
    item->SetCaption(separator ? "-" : text);
    item->SetChecked((mi.fState & MFS_CHECKED) != 0);
    UINT flags = MF_BYPOSITION | MF_OWNERDRAW | (separator ? MF_SEPARATOR : 0) |
                 (item->Checked() ? MF_CHECKED : 0);
    ModifyMenuA(window, static_cast<UINT>(pos), flags, mi.wID, reinterpret_cast<LPCSTR>(item.get()));
    Temporary().push_back({std::move(item), menu, window, mi.wID, separator});
  }
}

void ToxReleaseWindowMenuItems(bool refresh) {
  std::vector<TemporaryItem> items = std::move(Temporary());
  Temporary().clear();
  for (const TemporaryItem& t : items) {
    // Found by its data: a rebuild of the menu's own items may have moved it.
    const UINT pos = EntryOf(t);
    if (pos == static_cast<UINT>(-1)) continue;
    if (t.separator)
      ModifyMenuA(t.menu, pos, MF_BYPOSITION | MF_SEPARATOR, t.id, nullptr);
    else
      ModifyMenuA(t.menu, pos, MF_BYPOSITION | MF_STRING | (t.item->Checked() ? MF_CHECKED : 0), t.id,
                  t.item->Caption().c_str());
    MENUITEMINFOA mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_DATA;  // no pointer to the freed item stays behind
    SetMenuItemInfoA(t.menu, pos, TRUE, &mi);
  }
  TForm* main = Application->MainForm();
  if (refresh && main && main->ClientHandle()) SendMessageA(main->ClientHandle(), WM_MDIREFRESHMENU, 0, 0);
}
