// Owner-drawn popup menus: a coloured banner strip along the menu's edge, an
// optional painted background, images from an image list by each item's
// Tag, multi-line captions, 3D text effects and three selection looks.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Filer.h"
#include "Graphics.h"
#include "ImgList.h"
#include "Menus.h"

enum ToxmStyle : uint8_t { oxmNormal, oxmWin95, oxmWin97 };
enum ToxmOption : uint8_t { oxmCustomFont, oxmBanner, oxmBackground, oxmMultiLine,
                            oxmUseTagAsImageIndex };
// A set of options: bit n stands for option n.
using ToxmOptions = uint8_t;
constexpr ToxmOptions oxmSet(ToxmOption o) { return static_cast<ToxmOptions>(1u << o); }
enum T3DEffect : uint8_t { ox3Normal, ox3Flat, ox3Raised, ox3Inset, ox3Ridged, ox3Grooved,
                           ox3Shadow, ox3None, ox3Disabled };
enum ToxmSelectionStyle : uint8_t { oxmNormSel, oxmNoSel, oxmRaisedSel, oxmInsetSel };
enum ToxmBackStyle : uint8_t { oxmSolid, oxmPictureClip, oxmPictureStretch, oxmPicturePattern,
                               oxmHorzGradient, oxmVertGradient };

class EInvalidIndex : public Exception {
  using Exception::Exception;
};

// A colour run from a start to an end colour in a number of steps, kept as
// a table of steps x (red, green, blue) made on demand.
class TGradient : public TPersistent {
 public:
  TColor StartColor() const { return start_; }
  void SetStartColor(TColor color);
  TColor EndColor() const { return end_; }
  void SetEndColor(TColor color);
  int Steps() const { return steps_; }
  void SetSteps(uint8_t steps);
  // The colour of step i; EInvalidIndex "Index out of range" outside 0..steps-1.
  COLORREF Colors(int index);
  // Bands across the rectangle: vertical bands left to right when
  // horizontal, else horizontal bands top to bottom.
  void Paint(HDC dc, const RECT& r, bool horizontal);
  void Assign(TPersistent* source) override;
  TNotifyEvent OnChange;

 private:
  void Changed();
  TColor end_ = clBlack, start_ = clWhite;
  uint8_t steps_ = 128;
  std::vector<uint8_t> table_;
};

// The banner strip.
class ToxBanner : public TPersistent {
 public:
  ToxBanner();
  TFont* Font() { return &font_; }
  ToxmBackStyle Style() const { return style_; }
  void SetStyle(ToxmBackStyle style);
  TPicture* Picture() { return &picture_; }
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TColor Gradient() const { return gradient_.StartColor(); }
  void SetGradient(TColor color);
  TGradient* GradientTable() { return &gradient_; }
  T3DEffect Font3D() const { return font3D_; }
  void SetFont3D(T3DEffect effect);
  int Width() const { return width_; }
  void SetWidth(int width);
  bool Vertical() const { return vertical_; }
  void SetVertical(bool vertical);
  void Assign(TPersistent* source) override;
  TNotifyEvent OnChange;

 private:
  void Changed();
  TFont font_;
  ToxmBackStyle style_ = oxmSolid;
  TPicture picture_;
  TColor color_ = clGray;
  TGradient gradient_;
  T3DEffect font3D_ = ox3Normal;
  uint16_t width_ = 17;
  bool vertical_ = false;
};

// The background of the whole menu.
class ToxMenuBack : public TPersistent {
 public:
  ToxMenuBack();
  ToxmBackStyle Style() const { return style_; }
  void SetStyle(ToxmBackStyle style);
  TPicture* Picture() { return &picture_; }
  TColor Gradient() const { return gradient_.StartColor(); }
  void SetGradient(TColor color);
  TGradient* GradientTable() { return &gradient_; }
  void Assign(TPersistent* source) override;
  TNotifyEvent OnChange;

 private:
  void Changed();
  ToxmBackStyle style_ = oxmSolid;
  TPicture picture_;
  TGradient gradient_;
};

// The settings of one menu and the item being measured or drawn.
struct ToxMenuData {
  HWND window = nullptr;
  bool changed = true;
  TMenuItem* item = nullptr;
  std::string caption;
  T3DEffect font3D = ox3Normal;
  TFont font;
  ToxmStyle style = oxmWin95;
  ToxmOptions options = oxmSet(oxmMultiLine);
  TImageList* imageList = nullptr;
  TColor color = clMenu;
  ToxBanner banner;
  ToxMenuBack background;
  ToxmSelectionStyle selectionStyle = oxmNormSel;
  bool ownerDraw = false;
  bool Has(ToxmOption o) const { return (options & oxmSet(o)) != 0; }
};

// Answers WM_MEASUREITEM / WM_DRAWITEM for an item of an owner-drawn menu.
void MeasureMenuItem(ToxMenuData& data, MEASUREITEMSTRUCT& mis);
void DrawMenuItem(ToxMenuData& data, const DRAWITEMSTRUCT& dis);
// Paints a rectangle in a back style (shared by banner and background).
void FillBackStyle(HDC dc, const RECT& r, ToxmBackStyle style, TColor color, TGradient& gradient,
                   TPicture* picture);
// Draws text at a point with a 3D effect; the DC's text colour is the base.
void DrawText3D(HDC dc, int x, int y, const std::string& text, T3DEffect effect);
// Forgets the banner and background caches so the next paint renders them.
void ForgetMenuCaches();
// Remembers the menu just opened (WM_INITMENUPOPUP) for the background fill.
void NoteMenuOpened(HMENU menu);

// Where Popup(x, y) opens a menu: both negative and off every monitor means
// (|x|, |y|) without TPM_RIGHTBUTTON; a point on a monitor is taken as it is.
struct ToxPopupPlace {
  int x, y;
  bool rightButton;
};
ToxPopupPlace ToxPopupPlacement(int x, int y);

// The settings of the owner-drawn menus and their preparation, shared by
// the popup menu and the main menu.
template <class Base>
class ToxMenuComponent : public Base {
 public:
  explicit ToxMenuComponent(TComponent* owner);
  ~ToxMenuComponent() override;

  // Makes every visible item owner-drawn (or plain with oxmNormal); a full
  // refresh rewrites items that are owner-drawn already. The items of a
  // menu bar stay as they are.
  void PrepareItems(bool refresh);

  TImageList* ImageList() const { return data_.imageList; }
  void SetImageList(TImageList* list);
  TImageList* Images() const { return ImageList(); }
  void SetImages(TImageList* list) { SetImageList(list); }
  TFont* Font() { return &data_.font; }
  ToxmStyle Style() const { return data_.style; }
  void SetStyle(ToxmStyle style);
  ToxmOptions Options() const { return data_.options; }
  void SetOptions(ToxmOptions options);
  TColor Color() const { return data_.color; }
  void SetColor(TColor color);
  ToxBanner* Banner() { return &data_.banner; }
  void SetBanner(ToxBanner* banner) { data_.banner.Assign(banner); }
  const std::string& Caption() const { return data_.caption; }
  void SetCaption(const std::string& caption);
  T3DEffect Font3D() const { return data_.font3D; }
  void SetFont3D(T3DEffect effect) { data_.font3D = effect; }
  ToxMenuBack* Background() { return &data_.background; }
  void SetBackground(ToxMenuBack* back) { data_.background.Assign(back); }
  ToxmSelectionStyle SelectionStyle() const { return data_.selectionStyle; }
  void SetSelectionStyle(ToxmSelectionStyle style) { data_.selectionStyle = style; }
  bool OwnerDraw() const { return data_.ownerDraw; }
  void SetOwnerDraw(bool value) { data_.ownerDraw = value; }

  ToxMenuData& Data() { return data_; }
  // The settings in stored form data; Font, Banner and Background only
  // with their option, the image list by its name in the owner.
  void DefineProperties(TFiler& filer) override;
  // Marks the menu changed: the next preparation rewrites every item, and
  // banner and background are rendered again.
  void MarkChanged();

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;
  // At design time a change of the banner, background or font turns its
  // option on.
  void DesignSwitch(ToxmOption option);

  ToxMenuData data_;
  std::string storedImageList_;  // read, found in the owner when loading ends
};

class ToxPopupMenu : public ToxMenuComponent<TPopupMenu> {
 public:
  explicit ToxPopupMenu(TComponent* owner);
  ~ToxPopupMenu() override;
  void Popup(int x, int y) override;
};

class TMenuFormSubclass;
class TForm;

// The owner-drawn menu bar of a form (set as the form's Menu).
class ToxMenu : public ToxMenuComponent<TMainMenu> {
 public:
  explicit ToxMenu(TComponent* owner);
  ~ToxMenu() override;
  // The hook of the owner form (shared by its owner-drawn menus).
  TMenuFormSubclass* FormHook() const { return hook_; }

 private:
  TMenuFormSubclass* hook_ = nullptr;
};

// The hidden window that owns the owner-drawn popup menus while they show;
// it exists while at least one ToxPopupMenu does.
HWND ToxPopupListWindow();
// The accelerator search of WM_MENUCHAR on an owner-drawn menu.
LRESULT ToxMenuChar(char typed, HMENU menu);
// The settings of the owner-drawn menu that holds the item; none when no
// such menu holds it (or the data is not an item).
ToxMenuData* ToxMenuDataOf(ULONG_PTR itemData);
// The MDI window menu of the main form: every entry Windows added to it
// (the children, their separator) is drawn as an item of the menu, through
// a temporary item that lives until the menu loop ends.
void ToxPrepareWindowMenu(ToxMenu* menu, TForm* form);
// Turns the temporary entries back into plain ones, frees them and has the
// main form's MDI client refresh its window menu (with refresh).
void ToxReleaseWindowMenuItems(bool refresh = true);
// The menu whose temporary window-menu item the data is, or none.
ToxMenu* ToxWindowMenuItemOwner(ULONG_PTR itemData);
// Answers WM_MEASUREITEM and WM_DRAWITEM of owner-drawn menu items for the
// window; false for anything else.
bool ToxMenuItemMessage(HWND window, UINT msg, LPARAM lp);

#include "oxSubClass.h"
