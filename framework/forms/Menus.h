// Menu items, menus and popup menus on Windows menus. Every change of an
// item rebuilds the Windows menu that shows it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Classes.h"
#include "Controls.h"

// A shortcut: a virtual key plus scShift, scCtrl and scAlt.
using TShortCut = WORD;
enum : WORD { scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0 };
TShortCut ShortCut(WORD key, TShiftState shift);
// "Ctrl+Shift+F5", "Alt+X"; empty for none.
std::string ShortCutToText(TShortCut shortCut);

enum TMenuBreak { mbNone, mbBreak, mbBarBreak };

class TMenu;

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut shortCut);
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  bool RadioItem() const { return radio_; }
  void SetRadioItem(bool radio);
  bool Default() const { return default_; }
  void SetDefault(bool isDefault);
  TMenuBreak Break() const { return break_; }
  void SetBreak(TMenuBreak value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  int GroupIndex = 0;
  int HelpContext = 0;
  // Shown as the application's hint while the item is highlighted.
  std::string Hint;
  TNotifyEvent OnClick;

  // Children; the item frees them when it is freed.
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
  // The items shown in this item's Windows menu, in order: the visible
  // children and the visible items merged into them, by group index (a
  // merged group replaces the children of the same group).
  std::vector<TMenuItem*> ShownItems() const;
  // Merges the children of another item into this one (none: unmerges).
  void Merge(TMenuItem* menu);
  TMenuItem* Merged() const { return merged_; }
  // The item whose Windows menu shows this one (the parent, or the item
  // its parent is merged into).
  TMenuItem* ShownParent() const;
  void Add(TMenuItem* item) { Insert(Count(), item); }
  void Insert(int index, TMenuItem* item);
  void Remove(TMenuItem* item);
  void Delete(int index);
  void Clear();
  int IndexOf(const TMenuItem* item) const;
  TMenuItem* Parent() const { return parent_; }
  int MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }
  // Position of this item in its shown parent's Windows menu; -1 when
  // hidden.
  int VisibleIndex() const;
  // True for the items of a menu bar (the top level of a main menu).
  bool IsMenuBarItem() const;
  // The Windows menu of the children (made on first use).
  HMENU Handle();
  bool HasHandle() const { return handle_ != nullptr; }
  UINT Command() const { return command_; }
  // The menu this item belongs to (through its root), or none.
  TMenu* GetParentMenu() const;
  // Flags of the Windows item (MF_...), without MF_OWNERDRAW.
  UINT StateFlags() const;
  // Caption followed by a tab and the shortcut text when the item has a
  // shortcut and no children.
  std::string DisplayText() const;

  virtual void Click();

 private:
  friend class TMenu;
  void Changed();
  void Rebuild();
  std::string caption_;
  TShortCut shortCut_ = 0;
  bool checked_ = false, radio_ = false, default_ = false, enabled_ = true, visible_ = true;
  TMenuBreak break_ = mbNone;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
  TMenuItem* merged_ = nullptr;      // merged into this one
  TMenuItem* mergedInto_ = nullptr;  // this one is merged into it
  TMenu* menu_ = nullptr;  // set on the root item only
  HMENU handle_ = nullptr;
  struct Built {  // the entries of handle_ that Rebuild made
    std::vector<UINT> commands;
    std::vector<HMENU> subMenus;
  } built_;
  UINT command_;
};

enum TFindItemKind { fkCommand, fkHandle };

class TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* owner);
  ~TMenu() override;
  TMenuItem* Items() const { return items_; }
  HMENU Handle() const { return items_->Handle(); }
  // The item that a WM_COMMAND (fkCommand) or WM_INITMENUPOPUP (fkHandle)
  // names; none when the menu does not hold it.
  TMenuItem* FindItem(UINT_PTR value, TFindItemKind kind) const;
  // True when this menu holds the item (anywhere below its root).
  bool ContainsItem(const TMenuItem* item) const;
  bool DispatchCommand(UINT command);
  bool DispatchPopup(HMENU menu);
  // A key with that shortcut: runs the click of the shown item that
  // carries it (its submenus first get their clicks, as when opened).
  // False when no shown item has it, or the item or a submenu on its way
  // is disabled.
  bool IsShortCut(TShortCut shortCut);
  // The item that a WM_MENUSELECT names, or none.
  TMenuItem* MenuSelectItem(WPARAM wp, LPARAM lp) const;
  // The help context of the item with that command (else that submenu
  // handle); 0 when none.
  int HelpContextOf(UINT_PTR commandOrHandle) const;

 protected:
  friend class TMenuItem;
  // The root's Windows menu was rebuilt.
  virtual void MenuChanged() {}
  // True when the root's Windows menu is a menu bar.
  virtual bool IsMenuBar() const { return false; }

 private:
  TMenuItem* items_;
};

// The menu bar of a form: set as the form's Menu, its top-level items
// show in the bar and their children drop down from it.
class TMainMenu : public TMenu {
 public:
  explicit TMainMenu(TComponent* owner);
  ~TMainMenu() override;
  // The window whose bar shows the menu (set by the form); none while the
  // menu is not shown.
  HWND WindowHandle() const { return window_; }
  void SetWindowHandle(HWND window);
  // Shows the items of another main menu in this one, in group order, as
  // a form's menu takes an MDI child's; Unmerge takes them out again.
  void Merge(TMainMenu* menu);
  void Unmerge(TMainMenu* menu);
  // Redraws the bar of the window that shows the menu.
  void UpdateBar() const;

 protected:
  void MenuChanged() override { UpdateBar(); }
  bool IsMenuBar() const override { return true; }

 private:
  HWND window_ = nullptr;
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu {
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;
  // Shows the menu at a screen point; the chosen item's OnClick runs when
  // its command arrives at the popup list window.
  virtual void Popup(int x, int y);
  TPopupAlignment Alignment = paLeft;
  bool AutoPopup = true;
  TComponent* PopupComponent = nullptr;
  TNotifyEvent OnPopup;

 protected:
  void DoPopup();
  // TPM_ alignment flags of Alignment.
  UINT AlignmentFlags() const;
};

// The hidden window that owns every popup menu while it is shown and hands
// its commands to the popup menus.
HWND PopupListWindow();
// The application's hint for a WM_MENUSELECT: the item's hint when one of
// the menus holds it, else empty.
void MenuSelectHint(const std::vector<TMenu*>& menus, WPARAM wp, LPARAM lp);

// F1 on an item of one of the menus: its help context shows as a context
// popup when the active form has the help border icon, else through the
// application's help-context call. False when no menu holds the item.
bool MenuItemHelp(const std::vector<TMenu*>& menus, const HELPINFO& info);

// A hidden top-level window (menus need one as their owner) whose messages
// go to handler; freed by DeallocateHWnd.
HWND AllocateMenuWindow(std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> handler);
