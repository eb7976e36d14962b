#include "oxMenus.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <type_traits>

#include "Application.h"
#include "Forms.h"

namespace {

struct PopupList {
  std::vector<ToxPopupMenu*> menus;
  HWND window = nullptr;
};

PopupList& List() {
  // Never freed: menus of forms freed at exit still remove themselves.
  static auto* list = new PopupList;
  return *list;
}

// Every owner-drawn menu, popup or main, with its settings.
struct OwnerDrawn {
  TMenu* menu;
  ToxMenuData* data;
};
std::vector<OwnerDrawn>& AllMenus() {
  static auto* all = new std::vector<OwnerDrawn>;
  return *all;
}

TMenu* MenuOfItem(ULONG_PTR data) {
  auto* item = reinterpret_cast<TMenuItem*>(data);
  if (!item) return nullptr;
  if (ToxMenu* owner = ToxWindowMenuItemOwner(data)) return owner;
  for (const OwnerDrawn& m : AllMenus())
    if (m.menu->ContainsItem(item)) return m.menu;
  return nullptr;
}

LRESULT PopupListProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = DefWindowProcA(w, msg, wp, lp);
  auto menus = List().menus;
  const std::vector<TMenu*> asMenus(menus.begin(), menus.end());
  switch (msg) {
    case WM_COMMAND:
      for (ToxPopupMenu* m : menus)
        if (m->DispatchCommand(LOWORD(wp))) break;
      break;
    case WM_INITMENUPOPUP:
      NoteMenuOpened(reinterpret_cast<HMENU>(wp));
      for (ToxPopupMenu* m : menus)
        if (m->DispatchPopup(reinterpret_cast<HMENU>(wp))) break;
      break;
    case WM_MENUSELECT:
      MenuSelectHint(asMenus, wp, lp);
      break;
    case WM_HELP:
      if (MenuItemHelp(asMenus, *reinterpret_cast<HELPINFO*>(lp))) result = TRUE;
      break;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
      if (ToxMenuItemMessage(w, msg, lp)) result = 1;
      break;
    case WM_MENUCHAR:
      result = ToxMenuChar(static_cast<char>(LOWORD(wp)), reinterpret_cast<HMENU>(lp));
      break;
    default:
      break;
  }
  return result;
}

char LowerChar(char c) {
  char s[2] = {c, 0};
  CharLowerA(s);
  return s[0];
}

// The accelerator of a caption: the character after a single '&'.
char Accelerator(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i)
    if (caption[i] == '&') {
      if (caption[i + 1] != '&') return caption[i + 1];
      ++i;
    }
  return 0;
}

}  // namespace

HWND ToxPopupListWindow() { return List().window; }

ToxMenuData* ToxMenuDataOf(ULONG_PTR itemData) {
  auto* item = reinterpret_cast<TMenuItem*>(itemData);
  if (!item) return nullptr;
  if (ToxMenu* owner = ToxWindowMenuItemOwner(itemData)) return &owner->Data();
  for (const OwnerDrawn& m : AllMenus())
    if (m.menu->ContainsItem(item)) return m.data;
  return nullptr;
}

bool ToxMenuItemMessage(HWND window, UINT msg, LPARAM lp) {
  if (msg == WM_MEASUREITEM) {
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
    ToxMenuData* d = mis->CtlType == ODT_MENU ? ToxMenuDataOf(mis->itemData) : nullptr;
    if (!d) return false;
    d->item = reinterpret_cast<TMenuItem*>(mis->itemData);
    d->window = window;
    MeasureMenuItem(*d, *mis);
    return true;
  }
  if (msg == WM_DRAWITEM) {
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
    ToxMenuData* d = dis->CtlType == ODT_MENU ? ToxMenuDataOf(dis->itemData) : nullptr;
    if (!d) return false;
    d->item = reinterpret_cast<TMenuItem*>(dis->itemData);
    d->window = window;
    DrawMenuItem(*d, *dis);
    return true;
  }
  return false;
}

LRESULT ToxMenuChar(char typed, HMENU menu) {
  int count = GetMenuItemCount(menu);
  int hilite = -1;
  std::vector<int> candidates;
  for (int pass = 1; pass <= 2 && candidates.empty(); ++pass) {
    for (int i = 0; i < count; ++i) {
      MENUITEMINFOA mi = {};
      mi.cbSize = sizeof mi;
      mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_DATA;
      if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &mi)) continue;
      if (mi.fState & MFS_HILITE) hilite = i;
      if (!(mi.fType & MFT_OWNERDRAW) || !MenuOfItem(mi.dwItemData)) continue;
      auto* item = reinterpret_cast<TMenuItem*>(mi.dwItemData);
      if (!item->Enabled()) continue;
      const std::string& c = item->Caption();
      bool match;
      if (pass == 1) {
        char a = Accelerator(c);
        match = a && LowerChar(a) == LowerChar(typed);
      } else {
        match = !c.empty() && c.find('&') == std::string::npos && LowerChar(c[0]) == LowerChar(typed);
      }
      if (match) candidates.push_back(i);
    }
  }
  if (candidates.empty()) return 0;
  if (candidates.size() == 1) return MAKELRESULT(candidates[0], MNC_EXECUTE);
  int pick = candidates[0];
  for (int c : candidates)
    if (c > hilite) {
      pick = c;
      break;
    }
  return MAKELRESULT(pick, MNC_SELECT);
}

ToxPopupPlace ToxPopupPlacement(int x, int y) {
  if (x < 0 && y < 0) {
    POINT p = {x, y};
    if (!MonitorFromPoint(p, MONITOR_DEFAULTTONULL)) return {std::abs(x), std::abs(y), false};
  }
  return {x, y, true};
}

void TGradient::Changed() {
  if (OnChange) OnChange(this);
}
void TGradient::SetStartColor(TColor color) {
  start_ = color;
  table_.clear();
  Changed();
}
// The end colour follows the fill colour at paint time: no change of the
// settings, so no notification (it would forget the caches mid-paint).
void TGradient::SetEndColor(TColor color) {
  if (color == end_) return;
  end_ = color;
  table_.clear();
}
void TGradient::SetSteps(uint8_t steps) {
  steps_ = steps ? steps : 1;
  table_.clear();
  Changed();
}

COLORREF TGradient::Colors(int index) {
  if (index < 0 || index >= steps_) throw EInvalidIndex("Index out of range");
  if (table_.empty()) {
    COLORREF s = ColorToRGB(start_), e = ColorToRGB(end_);
    int sc[3] = {GetRValue(s), GetGValue(s), GetBValue(s)};
    int ec[3] = {GetRValue(e), GetGValue(e), GetBValue(e)};
    table_.resize(static_cast<size_t>(steps_) * 3);
    for (int i = 0; i < steps_; ++i)
      for (int k = 0; k < 3; ++k)
        table_[static_cast<size_t>(i * 3 + k)] = static_cast<uint8_t>(
            sc[k] - static_cast<int>(std::trunc(static_cast<double>(sc[k] - ec[k]) / steps_ * i)));
  }
  const uint8_t* t = &table_[static_cast<size_t>(index) * 3];
  return RGB(t[0], t[1], t[2]);
}

void TGradient::Paint(HDC dc, const RECT& r, bool horizontal) {
  const int extent = horizontal ? r.right - r.left : r.bottom - r.top;
  const double step = static_cast<double>(extent) / steps_;
  const int thickness = static_cast<int>(std::trunc(step + 1.0));
  for (int i = 0; i < steps_; ++i) {
    int start = static_cast<int>(std::trunc(i * step));
    RECT band = r;
    if (horizontal) {
      band.left = r.left + start;
      band.right = std::min<LONG>(band.left + thickness, r.right);
    } else {
      band.top = r.top + start;
      band.bottom = std::min<LONG>(band.top + thickness, r.bottom);
    }
    HBRUSH b = CreateSolidBrush(Colors(i));
    FillRect(dc, &band, b);
    DeleteObject(b);
  }
}

void TGradient::Assign(TPersistent* source) {
  auto* g = dynamic_cast<TGradient*>(source);
  if (!g) return TPersistent::Assign(source);
  start_ = g->start_;
  end_ = g->end_;
  steps_ = g->steps_;
  table_.clear();
  Changed();
}

ToxBanner::ToxBanner() {
  font_.SetName("Arial");
  font_.SetSize(8);
  font_.SetColor(clWhite);
  font_.OnChange = [this](TObject*) { Changed(); };
  picture_.OnChange = [this](TObject*) { Changed(); };
  gradient_.OnChange = [this](TObject*) { Changed(); };
}
void ToxBanner::Changed() {
  if (OnChange) OnChange(this);
}
void ToxBanner::SetStyle(ToxmBackStyle style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}
void ToxBanner::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}
void ToxBanner::SetGradient(TColor color) {
  if (color != gradient_.StartColor()) gradient_.SetStartColor(color);
}
void ToxBanner::SetFont3D(T3DEffect effect) {
  if (effect == font3D_) return;
  font3D_ = effect;
  Changed();
}
void ToxBanner::SetWidth(int width) {
  width = std::max(0, std::min(width, 0xFFFF));
  if (width == width_) return;
  width_ = static_cast<uint16_t>(width);
  Changed();
}
void ToxBanner::SetVertical(bool vertical) {
  if (vertical == vertical_) return;
  vertical_ = vertical;
  Changed();
}
void ToxBanner::Assign(TPersistent* source) {
  auto* b = dynamic_cast<ToxBanner*>(source);
  if (!b) return TPersistent::Assign(source);
  font_.Assign(&b->font_);
  style_ = b->style_;
  picture_.Assign(&b->picture_);
  color_ = b->color_;
  gradient_.SetStartColor(b->gradient_.StartColor());
  font3D_ = b->font3D_;
  width_ = b->width_;
  vertical_ = b->vertical_;
  Changed();
}

ToxMenuBack::ToxMenuBack() {
  picture_.OnChange = [this](TObject*) { Changed(); };
  gradient_.OnChange = [this](TObject*) { Changed(); };
}
void ToxMenuBack::Changed() {
  if (OnChange) OnChange(this);
}
void ToxMenuBack::SetStyle(ToxmBackStyle style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}
void ToxMenuBack::SetGradient(TColor color) {
  if (color != gradient_.StartColor()) gradient_.SetStartColor(color);
}
void ToxMenuBack::Assign(TPersistent* source) {
  auto* b = dynamic_cast<ToxMenuBack*>(source);
  if (!b) return TPersistent::Assign(source);
  style_ = b->style_;
  picture_.Assign(&b->picture_);
  gradient_.SetStartColor(b->gradient_.StartColor());
  Changed();
}

template <class Base>
ToxMenuComponent<Base>::ToxMenuComponent(TComponent* owner) : Base(owner) {
  data_.font.SetHandle(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  data_.font.OnChange = [this](TObject*) {
    DesignSwitch(oxmCustomFont);
    MarkChanged();
  };
  data_.banner.OnChange = [this](TObject*) {
    DesignSwitch(oxmBanner);
    MarkChanged();
  };
  // Only the cached rendering depends on the background.
  data_.background.OnChange = [this](TObject*) {
    DesignSwitch(oxmBackground);
    if (this->ComponentState() & csDesigning)
      MarkChanged();
    else
      ForgetMenuCaches();
  };
  AllMenus().push_back({this, &data_});
}

template <class Base>
ToxMenuComponent<Base>::~ToxMenuComponent() {
  auto& all = AllMenus();
  all.erase(std::remove_if(all.begin(), all.end(), [this](const OwnerDrawn& m) { return m.data == &data_; }),
            all.end());
  if (data_.imageList) data_.imageList->RemoveFreeNotification(this);
}

template <class Base>
void ToxMenuComponent<Base>::DesignSwitch(ToxmOption option) {
  if (this->ComponentState() & csDesigning) data_.options |= oxmSet(option);
}

template <class Base>
void ToxMenuComponent<Base>::MarkChanged() {
  data_.changed = true;
  ForgetMenuCaches();
  if constexpr (std::is_base_of_v<TMainMenu, Base>) this->UpdateBar();
}

template <class Base>
void ToxMenuComponent<Base>::Notification(TComponent* component, TOperation operation) {
  Base::Notification(component, operation);
  if (operation == opRemove && component == data_.imageList) {
    data_.imageList = nullptr;
    MarkChanged();
  }
}

template <class Base>
void ToxMenuComponent<Base>::SetImageList(TImageList* list) {
  if (data_.imageList) data_.imageList->RemoveFreeNotification(this);
  data_.imageList = list;
  if (list) list->FreeNotification(this);
  MarkChanged();
}
template <class Base>
void ToxMenuComponent<Base>::SetStyle(ToxmStyle style) {
  data_.style = style;
  MarkChanged();
}
template <class Base>
void ToxMenuComponent<Base>::SetOptions(ToxmOptions options) {
  data_.options = options;
  MarkChanged();
}
// Colour and caption show in the cached banner and background, so their
// caches are rendered again.
template <class Base>
void ToxMenuComponent<Base>::SetColor(TColor color) {
  data_.color = color;
  ForgetMenuCaches();
}
template <class Base>
void ToxMenuComponent<Base>::SetCaption(const std::string& caption) {
  data_.caption = caption;
  ForgetMenuCaches();
}

template <class Base>
void ToxMenuComponent<Base>::PrepareItems(bool refresh) {
  const bool ownerDraw = data_.style != oxmNormal;
  // Depth first, children (and the items merged into them) before their
  // parent.
  std::function<void(TMenuItem*)> walk = [&](TMenuItem* parent) {
    HMENU menu = parent->Handle();
    std::vector<TMenuItem*> shown = parent->ShownItems();
    for (size_t pos = 0; pos < shown.size(); ++pos) {
      TMenuItem* item = shown[pos];
      if (item->Count() > 0) walk(item);
      if (item->IsMenuBarItem()) continue;
      UINT flags = item->StateFlags();
      UINT_PTR id = item->Count() > 0 ? reinterpret_cast<UINT_PTR>(item->Handle()) : item->Command();
      if (ownerDraw) {
        // GetMenuState gives a submenu's item count in its high byte.
        MENUITEMINFOA mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_FTYPE;
        if (!refresh && GetMenuItemInfoA(menu, static_cast<UINT>(pos), TRUE, &mi) &&
            (mi.fType & MFT_OWNERDRAW))
          continue;
        ModifyMenuA(menu, static_cast<UINT>(pos), flags | MF_OWNERDRAW, id,
                    reinterpret_cast<LPCSTR>(item));
      } else {
        std::string text = item->DisplayText();
        ModifyMenuA(menu, static_cast<UINT>(pos), flags | MF_STRING, id, text.c_str());
      }
    }
  };
  walk(this->Items());
}

template class ToxMenuComponent<TPopupMenu>;
template class ToxMenuComponent<TMainMenu>;

ToxPopupMenu::ToxPopupMenu(TComponent* owner) : ToxMenuComponent<TPopupMenu>(owner) {
  PopupList& l = List();
  l.menus.push_back(this);
  if (!l.window) l.window = AllocateMenuWindow(PopupListProc);
}

ToxPopupMenu::~ToxPopupMenu() {
  PopupList& l = List();
  l.menus.erase(std::remove(l.menus.begin(), l.menus.end(), this), l.menus.end());
  if (l.menus.empty() && l.window) {
    DeallocateHWnd(l.window);
    l.window = nullptr;
  }
}

void ToxPopupMenu::Popup(int x, int y) {
  DoPopup();
  PrepareItems(data_.changed);
  data_.changed = false;
  ToxPopupPlace place = ToxPopupPlacement(x, y);
  HWND owner = ToxPopupListWindow();
  SetForegroundWindow(owner);
  TrackPopupMenu(Handle(), AlignmentFlags() | (place.rightButton ? TPM_RIGHTBUTTON : 0), place.x,
                 place.y, 0, owner, nullptr);
  PostMessageA(owner, WM_NULL, 0, 0);
}

ToxMenu::ToxMenu(TComponent* owner) : ToxMenuComponent<TMainMenu>(owner) {
  auto* form = dynamic_cast<TForm*>(owner);
  hook_ = TMenuFormSubclass::Of(form);
  if (!hook_ && form) hook_ = new TMenuFormSubclass(form);
  if (hook_) ++hook_->RefCount;
}

ToxMenu::~ToxMenu() {
  ToxReleaseWindowMenuItems(false);
  if (hook_ && --hook_->RefCount == 0) delete hook_;
}
