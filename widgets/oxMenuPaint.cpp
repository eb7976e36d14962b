// Measuring and painting the items of owner-drawn menus.
#include <algorithm>
#include <cstdlib>

#include "oxMenus.h"

namespace {

// An off-screen bitmap and the menu it was last rendered for.
struct BackgroundBits {
  HBITMAP bitmap = nullptr;
  int width = 0, height = 0;
  HMENU menu = nullptr;
  HDC Prepare(int w, int h) {
    if (!bitmap || w != width || h != height) {
      if (bitmap) DeleteObject(bitmap);
      HDC screen = GetDC(nullptr);
      bitmap = CreateCompatibleBitmap(screen, std::max(w, 1), std::max(h, 1));
      ReleaseDC(nullptr, screen);
      width = w;
      height = h;
    }
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    return dc;
  }
};

// The caches live as long as the process (menus freed at exit use them).
BackgroundBits& BannerCache() {
  static auto* b = new BackgroundBits;
  return *b;
}
BackgroundBits& BackCache() {
  static auto* b = new BackgroundBits;
  return *b;
}
HMENU lastOpened = nullptr;
bool firstColumnDone = false;

COLORREF Sys(TColor c) { return ColorToRGB(c); }

int CheckWidth() { return GetSystemMetrics(SM_CXMENUCHECK); }
int CheckHeight() { return GetSystemMetrics(SM_CYMENUCHECK); }

// The glyph of the check mark or the radio bullet, one byte a pixel.
const std::vector<uint8_t>& GlyphBits(bool radio) {
  static std::vector<uint8_t> bits[2];
  std::vector<uint8_t>& b = bits[radio ? 1 : 0];
  const int w = CheckWidth(), h = CheckHeight();
  if (b.size() == static_cast<size_t>(w * h)) return b;
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* px = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &px, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, dib);
  RECT r = {0, 0, w, h};
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  DrawFrameControl(dc, &r, DFC_MENU, radio ? DFCS_MENUBULLET : DFCS_MENUCHECK);
  GdiFlush();
  b.assign(static_cast<size_t>(w * h), 0);
  auto* p = static_cast<uint32_t*>(px);
  for (size_t i = 0; i < b.size(); ++i) b[i] = (p[i] & 0xFFFFFF) != 0xFFFFFF;
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(dib);
  return b;
}

// The system menu font as a font object.
void SystemMenuFont(TFont& font) {
  NONCLIENTMETRICSA ncm = {};
  ncm.cbSize = sizeof ncm;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) {
    const LOGFONTA& lf = ncm.lfMenuFont;
    font.SetName(lf.lfFaceName);
    font.SetHeight(lf.lfHeight);
    TFontStyles s = 0;
    if (lf.lfWeight >= 700) s |= fsBold;
    if (lf.lfItalic) s |= fsItalic;
    if (lf.lfUnderline) s |= fsUnderline;
    if (lf.lfStrikeOut) s |= fsStrikeOut;
    font.SetStyle(s);
  } else {
    font.SetHandle(static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
  }
}

// The font items are measured and drawn with.
void MenuFont(ToxMenuData& d, TFont& font) {
  if (d.Has(oxmCustomFont))
    font.Assign(&d.font);
  else
    SystemMenuFont(font);
}

bool HasImage(const ToxMenuData& d, const TMenuItem* item) {
  return d.imageList && item->Tag >= 0 && item->Tag < d.imageList->Count();
}

std::string ReplaceBars(std::string s) {
  for (size_t p; (p = s.find("||")) != std::string::npos;) s.replace(p, 2, "\r\n");
  return s;
}

std::string CaptionText(const ToxMenuData& d, const TMenuItem* item, bool withShortCut) {
  std::string s = item->Caption();
  if (withShortCut && item->ShortCut() && item->Count() == 0)
    s += "\t" + ShortCutToText(item->ShortCut());
  return d.Has(oxmMultiLine) ? ReplaceBars(s) : s;
}

bool ParentHoldsChecked(const TMenuItem* item) {
  const TMenuItem* p = item->Parent();
  if (!p) return false;
  for (int i = 0; i < p->Count(); ++i)
    if (p->Items(i)->Checked()) return true;
  return false;
}

void Frame3D(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
  HPEN tl = CreatePen(PS_SOLID, 1, topLeft), br = CreatePen(PS_SOLID, 1, bottomRight);
  HGDIOBJ old = SelectObject(dc, tl);
  MoveToEx(dc, r.left, r.bottom - 1, nullptr);
  LineTo(dc, r.left, r.top);
  LineTo(dc, r.right - 1, r.top);
  SelectObject(dc, br);
  LineTo(dc, r.right - 1, r.bottom - 1);
  LineTo(dc, r.left - 1, r.bottom - 1);
  SelectObject(dc, old);
  DeleteObject(tl);
  DeleteObject(br);
}

void FillColor(HDC dc, const RECT& r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void Line(HDC dc, int x1, int y, int x2, COLORREF c) {
  HPEN p = CreatePen(PS_SOLID, 1, c);
  HGDIOBJ old = SelectObject(dc, p);
  MoveToEx(dc, x1, y, nullptr);
  LineTo(dc, x2, y);
  SelectObject(dc, old);
  DeleteObject(p);
}

void DitherFill(HDC dc, const RECT& r) {
  static HBITMAP pattern = [] {
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    uint32_t px[64];
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        px[y * 8 + x] = ((x & 1) == (y & 1)) ? 0xFFFFFF
                                             : (GetRValue(face) << 16 | GetGValue(face) << 8 |
                                                GetBValue(face));
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 8, -8, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    HBITMAP b = CreateDIBitmap(screen, &bi.bmiHeader, CBM_INIT, px, &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return b;
  }();
  HBRUSH brush = CreatePatternBrush(pattern);
  HGDIOBJ old = SelectObject(dc, brush);
  PatBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, PATINVERT);
  PatBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, DSTINVERT);
  SelectObject(dc, old);
  DeleteObject(brush);
}

void DrawCheck(HDC dc, const ToxMenuData& d, const TMenuItem* item, int x, int y, bool selected) {
  if (!item->Checked()) return;
  const auto& bits = GlyphBits(item->RadioItem());
  const int w = CheckWidth(), h = CheckHeight();
  if (!item->Enabled()) {
    if (!selected || d.style == oxmWin97)
      DrawMaskBits(dc, x + 1, y + 1, w, h, bits, Sys(clBtnHighlight));
    DrawMaskBits(dc, x, y, w, h, bits, Sys(clBtnShadow));
  } else {
    DrawMaskBits(dc, x, y, w, h, bits, GetTextColor(dc));
  }
}

void DrawImage(HDC dc, const ToxMenuData& d, const TMenuItem* item, int x, int y, bool selected) {
  TImageList* list = d.imageList;
  const int index = static_cast<int>(item->Tag);
  if (item->Enabled()) {
    list->Draw(dc, x, y, index, true);
    return;
  }
  const int w = list->Width(), h = list->Height();
  std::vector<uint8_t> m = list->MaskBits(index);
  std::vector<uint8_t> shadow(m.size()), light(m.size());
  for (int yy = 0; yy < h; ++yy)
    for (int xx = 0; xx < w; ++xx) {
      size_t i = static_cast<size_t>(yy * w + xx);
      bool moved = xx > 0 && yy > 0 && m[i - static_cast<size_t>(w) - 1];
      shadow[i] = m[i] && !moved;
      light[i] = moved && !m[i];
    }
  DrawMaskBits(dc, x, y, w, h, shadow, Sys(clBtnShadow));
  if (!(d.style == oxmWin95 && selected)) DrawMaskBits(dc, x, y, w, h, light, Sys(clBtnHighlight));
}

// The window of an open menu that an item is drawn in: the one the
// context belongs to, else the top-most menu window.
HWND MenuWindowOf(HDC dc) {
  HWND w = WindowFromDC(dc);
  char cls[16] = {};
  if (w && GetClassNameA(w, cls, sizeof cls) && lstrcmpA(cls, "#32768") == 0) return w;
  for (HWND top = GetTopWindow(nullptr); top; top = GetWindow(top, GW_HWNDNEXT))
    if (IsWindowVisible(top) && GetClassNameA(top, cls, sizeof cls) && lstrcmpA(cls, "#32768") == 0)
      return top;
  return nullptr;
}

// Where the item stands in the Windows menu: its visible index, or for an
// item that stands in for a foreign entry, the entry that carries it.
int PositionInMenu(HMENU menu, TMenuItem* item) {
  int pos = item->VisibleIndex();
  if (pos >= 0) return pos;
  for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
    MENUITEMINFOA mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_DATA;
    if (GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &mi) &&
        mi.dwItemData == reinterpret_cast<ULONG_PTR>(item))
      return i;
  }
  return -1;
}

// The union of the menu's item rectangles in the item DC's co-ordinates.
RECT MenuArea(const DRAWITEMSTRUCT& dis, HMENU menu, int pos) {
  RECT area = {0, 0, 0, 0}, mine;
  int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    RECT r;
    if (GetMenuItemRect(nullptr, menu, static_cast<UINT>(i), &r)) UnionRect(&area, &area, &r);
  }
  if (IsRectEmpty(&area) || !GetMenuItemRect(nullptr, menu, static_cast<UINT>(pos), &mine))
    return {0, 0, dis.rcItem.right, dis.rcItem.bottom};
  OffsetRect(&area, dis.rcItem.left - mine.left, dis.rcItem.top - mine.top);
  return area;
}

void PaintBanner(HDC dc, ToxMenuData& d, HMENU menu, const RECT& area, const RECT& item) {
  ToxBanner& b = d.banner;
  const int mw = area.right - area.left, mh = area.bottom - area.top;
  const int w = b.Vertical() ? b.Width() : mw, h = b.Vertical() ? mh : b.Width();
  BackgroundBits& cache = BannerCache();
  if (cache.menu != menu || cache.width != w || cache.height != h) {
    cache.menu = menu;
    HDC cdc = cache.Prepare(w, h);
    RECT strip = {0, 0, w, h};
    FillBackStyle(cdc, strip, b.Style(), b.Color(), *b.GradientTable(), b.Picture());
    std::string text = d.caption;
    if (text.empty() && d.item && d.item->Parent()) text = d.item->Parent()->Caption();
    SetBkMode(cdc, TRANSPARENT);
    SetTextColor(cdc, ColorToRGB(b.Font()->Color()));
    HFONT font;
    if (b.Vertical()) {
      LOGFONTA lf = {};
      GetObjectA(b.Font()->Handle(), sizeof lf, &lf);
      lf.lfEscapement = lf.lfOrientation = 900;
      lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
      lf.lfQuality = PROOF_QUALITY;
      font = CreateFontIndirectA(&lf);
    } else {
      font = nullptr;
    }
    HGDIOBJ oldFont = SelectObject(cdc, font ? font : b.Font()->Handle());
    SIZE ext = {0, 0};
    GetTextExtentPoint32A(cdc, text.c_str(), static_cast<int>(text.size()), &ext);
    if (b.Vertical())
      DrawText3D(cdc, (b.Width() - ext.cy) / 2, mh - 5, text, b.Font3D());
    else
      DrawText3D(cdc, 5, (b.Width() - ext.cy) / 2, text, b.Font3D());
    SelectObject(cdc, oldFont);
    if (font) DeleteObject(font);
    DeleteDC(cdc);
  }
  // Only the item's own slice of the strip.
  RECT strip = {area.left, area.top, area.left + w, area.top + h}, slice;
  if (!IntersectRect(&slice, &strip, &item)) return;
  HDC cdc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(cdc, cache.bitmap);
  BitBlt(dc, slice.left, slice.top, slice.right - slice.left, slice.bottom - slice.top, cdc,
         slice.left - area.left, slice.top - area.top, SRCCOPY);
  SelectObject(cdc, old);
  DeleteDC(cdc);
}

void PaintBackground(HDC dc, ToxMenuData& d, HMENU menu, const RECT& area, const RECT& item) {
  BackgroundBits& cache = BackCache();
  // The cache covers the menu area and whatever of the window lies below
  // or right of it.
  const int w = std::max(area.right, item.right) - area.left;
  const int h = std::max(area.bottom, item.bottom) - area.top;
  if (cache.menu != menu || cache.width != w || cache.height != h) {
    cache.menu = menu;
    HDC cdc = cache.Prepare(w, h);
    RECT all = {0, 0, w, h};
    FillBackStyle(cdc, all, d.background.Style(), d.color, *d.background.GradientTable(),
                  d.background.Picture());
    DeleteDC(cdc);
  }
  HDC cdc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(cdc, cache.bitmap);
  BitBlt(dc, item.left, item.top, item.right - item.left, item.bottom - item.top, cdc,
         item.left - area.left, item.top - area.top, SRCCOPY);
  SelectObject(cdc, old);
  DeleteDC(cdc);
}

// A bitmap with its transparent colour left out, an icon drawn at the
// rectangle's size, any other graphic stretched.
void DrawGraphicIn(HDC dc, TGraphic* g, const RECT& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (auto* bmp = dynamic_cast<TBitmap*>(g)) {
    COLORREF key = ColorToRGB(bmp->TransparentColor());
    TransparentStretch(dc, r.left, r.top, w, h, bmp->Canvas()->Handle(), 0, 0, bmp->Width(),
                       bmp->Height(), key);
  } else if (auto* icon = dynamic_cast<TIcon*>(g)) {
    DrawIconEx(dc, r.left, r.top, icon->Handle(), w, h, 0, nullptr, DI_NORMAL);
  } else {
    TCanvas canvas;
    canvas.SetHandle(dc);
    canvas.StretchDraw(r, g);
    canvas.SetHandle(nullptr);
  }
}

}  // namespace

void ForgetMenuCaches() {
  BannerCache().menu = nullptr;
  BackCache().menu = nullptr;
}

void NoteMenuOpened(HMENU menu) { lastOpened = menu; }

void FillBackStyle(HDC dc, const RECT& r, ToxmBackStyle style, TColor color, TGradient& gradient,
                   TPicture* picture) {
  if (style == oxmHorzGradient || style == oxmVertGradient) {
    gradient.SetEndColor(color);
    gradient.Paint(dc, r, style == oxmHorzGradient);
    return;
  }
  FillColor(dc, r, ColorToRGB(color));
  TGraphic* g = picture ? picture->Graphic() : nullptr;
  if (style == oxmSolid || !g || g->Empty()) return;
  const int gw = g->Width(), gh = g->Height();
  if (gw <= 0 || gh <= 0) return;
  switch (style) {
    case oxmPictureClip: {
      int x = r.left + (r.right - r.left - gw) / 2, y = r.top + (r.bottom - r.top - gh) / 2;
      DrawGraphicIn(dc, g, {x, y, x + gw, y + gh});
      break;
    }
    case oxmPicturePattern:
      for (int y = r.top; y < r.bottom; y += gh)
        for (int x = r.left; x < r.right; x += gw) DrawGraphicIn(dc, g, {x, y, x + gw, y + gh});
      break;
    case oxmPictureStretch:
      DrawGraphicIn(dc, g, r);
      break;
    default:
      break;
  }
}

void DrawText3D(HDC dc, int x, int y, const std::string& text, T3DEffect effect) {
  const COLORREF base = GetTextColor(dc);
  const COLORREF hi = Sys(clBtnHighlight), sh = Sys(clBtnShadow);
  auto at = [&](int n, COLORREF c) {
    RECT r = {x + n, y + n, x + n + 1, y + n + 1};
    SetTextColor(dc, c);
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_NOCLIP | DT_EXPANDTABS);
  };
  switch (effect) {
    case ox3Normal: at(0, base); break;
    case ox3Flat: at(0, sh); break;
    case ox3Raised:
      if (base == hi) at(1, sh); else at(-1, hi);
      at(0, base);
      break;
    case ox3Inset:
      if (base == hi) at(-1, sh); else at(1, hi);
      at(0, base);
      break;
    case ox3Ridged: at(1, sh); at(-1, hi); at(0, base); break;
    case ox3Grooved: at(1, hi); at(-1, sh); at(0, base); break;
    case ox3Shadow: at(2, sh); at(0, base); break;
    case ox3None: break;
    case ox3Disabled: at(1, hi); at(0, sh); break;
  }
  SetTextColor(dc, base);
}

void MeasureMenuItem(ToxMenuData& d, MEASUREITEMSTRUCT& mis) {
  TMenuItem* item = d.item;
  int roomW = 0, roomH = 0;
  if (d.Has(oxmBanner)) {
    const int index = item->VisibleIndex();
    if (index == 0) firstColumnDone = false;
    if (d.banner.Vertical()) {
      if (item->Break() != mbNone)
        firstColumnDone = true;
      else if (!firstColumnDone)
        roomW = d.banner.Width();
    } else if (index == 0 || item->Break() != mbNone) {
      roomH = d.banner.Width();
    }
  }
  HDC dc = GetWindowDC(d.window);
  TFont font;
  MenuFont(d, font);
  HGDIOBJ oldFont = SelectObject(dc, font.Handle());
  TEXTMETRICA tm = {};
  GetTextMetricsA(dc, &tm);
  std::string text = CaptionText(d, item, true);
  RECT tr = {0, 0, 0, 0};
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &tr, DT_CALCRECT | DT_EXPANDTABS);
  const int fontH = std::abs(font.Height());
  const int textH = std::max<int>(tr.bottom - tr.top, fontH + tm.tmInternalLeading);
  const int textW = tr.right - tr.left;
  int w, h;
  const bool separator = item->Caption() == "-";
  if (separator) {
    // The check-mark width, not reduced below: Windows gives a separator
    // no check column of its own.
    h = roomH + 8;
    w = CheckWidth();
  } else if (d.imageList) {
    h = std::max(textH, d.imageList->Height()) + roomH + 4;
    w = d.imageList->Width() + textW + roomW + 4;
  } else {
    h = textH + 4 + roomH;
    w = textW + 4 + roomW;
    if (d.style == oxmWin97) w += h;
  }
  if (!separator) {
    if (!(d.style != oxmWin97 && (!item->Parent() || ParentHoldsChecked(item)))) w -= CheckWidth();
    if (!text.empty()) w += 2 * fontH;
  }
  mis.itemWidth = static_cast<UINT>(std::max(w, 0));
  mis.itemHeight = static_cast<UINT>(std::max(h, 0));
  SelectObject(dc, oldFont);
  ReleaseDC(d.window, dc);
}

void DrawMenuItem(ToxMenuData& d, const DRAWITEMSTRUCT& dis) {
  TMenuItem* item = d.item;
  HDC dc = dis.hDC;
  HMENU menu = reinterpret_cast<HMENU>(dis.hwndItem);
  const int pos = PositionInMenu(menu, item);
  const bool selected = (dis.itemState & ODS_SELECTED) != 0;
  const bool grayed = (dis.itemState & ODS_GRAYED) != 0 || !item->Enabled();
  const int saved = SaveDC(dc);
  RECT r = dis.rcItem;
  RECT area = MenuArea(dis, menu, pos);

  if (d.Has(oxmBanner)) {
    PaintBanner(dc, d, menu, area, r);
    if (d.banner.Vertical() && r.left <= area.left) r.left = area.left + d.banner.Width();
    if (!d.banner.Vertical() && r.top <= area.top) r.top = area.top + d.banner.Width();
  }
  if (d.Has(oxmBackground)) {
    RECT fill = r;
    if (lastOpened == menu) {
      // The whole window of the menu just opened, once.
      lastOpened = nullptr;
      if (HWND w = MenuWindowOf(dc)) {
        RECT client;
        GetClientRect(w, &client);
        UnionRect(&fill, &fill, &client);
      }
    }
    PaintBackground(dc, d, menu, area, fill);
  }
  if (item->Caption() == "-") {
    const int y = r.top + (r.bottom - r.top) / 2;
    Line(dc, r.left, y - 1, r.right, Sys(clBtnShadow));
    Line(dc, r.left, y, r.right, Sys(clBtnHighlight));
    RestoreDC(dc, saved);
    return;
  }

  TFont font;
  MenuFont(d, font);
  TFontStyles style = font.Style();
  font.SetStyle(item->Default() ? (style | fsBold) : (style & ~fsBold));
  SelectObject(dc, font.Handle());
  TEXTMETRICA tm = {};
  GetTextMetricsA(dc, &tm);
  const int s = std::abs(font.Height()) + tm.tmInternalLeading + 4;
  const bool image = HasImage(d, item);
  RECT box = {r.left, r.top, r.left + s, r.top + s};
  if (d.imageList) {
    box.right = box.left + std::max(d.imageList->Width() + 4, s);
    box.bottom = box.top + std::max(d.imageList->Height() + 4, s);
  }
  if (d.style == oxmWin97 && (image || item->Checked())) r.left = box.right + 1;

  auto plainFill = [&] {
    SetTextColor(dc, d.Has(oxmCustomFont) ? ColorToRGB(d.font.Color()) : Sys(clMenuText));
    if (!d.Has(oxmBackground)) FillColor(dc, r, Sys(clMenu));
  };
  if (!selected) {
    plainFill();
  } else {
    if (d.selectionStyle != oxmNormSel) plainFill();
    switch (d.selectionStyle) {
      case oxmNormSel:
        SetTextColor(dc, Sys(clHighlightText));
        FillColor(dc, r, Sys(clHighlight));
        break;
      case oxmRaisedSel: Frame3D(dc, r, Sys(clBtnHighlight), Sys(clBtnShadow)); break;
      case oxmInsetSel: Frame3D(dc, r, Sys(clBtnShadow), Sys(clBtnHighlight)); break;
      default: break;
    }
  }
  SetBkMode(dc, TRANSPARENT);
  if (d.style == oxmWin95) {
    bool anyChecked = false;
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i)
      if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED) anyChecked = true;
    if (anyChecked || ParentHoldsChecked(item)) {
      DrawCheck(dc, d, item, r.left, r.top + (r.bottom - r.top - CheckHeight()) / 2, selected);
      r.left += CheckWidth();
      OffsetRect(&box, CheckWidth(), 0);
    }
  }
  if ((d.style == oxmWin95 && d.imageList) || d.style == oxmWin97) r.left = box.right + 1;

  const T3DEffect effect = grayed ? (selected ? ox3Flat : ox3Disabled) : d.font3D;
  const std::string caption = CaptionText(d, item, false);
  RECT tr = {0, 0, 0, 0};
  DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &tr, DT_CALCRECT);
  const int textH = tr.bottom - tr.top;
  const int y = r.top + (r.bottom - r.top - textH) / 2;
  DrawText3D(dc, r.left + 4, y, caption, effect);
  if (item->ShortCut() && item->Count() == 0) {
    std::string sc = ShortCutToText(item->ShortCut());
    SIZE ext = {0, 0};
    GetTextExtentPoint32A(dc, sc.c_str(), static_cast<int>(sc.size()), &ext);
    DrawText3D(dc, r.right - ext.cx - 4 - CheckWidth(), y, sc, effect);
  }

  const int bw = box.right - box.left, bh = box.bottom - box.top;
  const int iw = d.imageList ? d.imageList->Width() : 0, ih = d.imageList ? d.imageList->Height() : 0;
  if (d.style == oxmWin97) {
    SetTextColor(dc, Sys(clMenuText));
    if (!d.Has(oxmBackground) && (image || item->Checked())) FillColor(dc, box, Sys(clMenu));
    const COLORREF hi = Sys(clBtnHighlight), sh = Sys(clBtnShadow);
    const int cx = box.left + (bw - CheckWidth()) / 2 + 1, cy = box.top + (bh - CheckHeight()) / 2 + 1;
    if (selected) {
      if (image && item->Checked()) {
        Frame3D(dc, box, sh, hi);
        DrawImage(dc, d, item, box.left + (bw - iw) / 2 + 1, box.top + (bh - ih) / 2 + 1, true);
      } else if (image) {
        Frame3D(dc, box, hi, sh);
        DrawImage(dc, d, item, box.left + (bw - iw) / 2, box.top + (bh - ih) / 2, true);
      } else if (item->Checked()) {
        Frame3D(dc, box, sh, hi);
        DrawCheck(dc, d, item, cx, cy, true);
      }
    } else {
      if (image && item->Checked()) {
        Frame3D(dc, box, sh, hi);
        RECT inner = {box.left + 1, box.top + 1, box.right - 1, box.bottom - 1};
        DitherFill(dc, inner);
        DrawImage(dc, d, item, box.left + (bw - iw) / 2 + 1, box.top + (bh - ih) / 2 + 1, false);
      } else if (image) {
        if (!d.Has(oxmBackground)) Frame3D(dc, box, Sys(clMenu), Sys(clMenu));
        DrawImage(dc, d, item, box.left + (bw - iw) / 2, box.top + (bh - ih) / 2, false);
      } else if (item->Checked()) {
        Frame3D(dc, box, sh, hi);
        RECT inner = {box.left + 1, box.top + 1, box.right - 1, box.bottom - 1};
        DitherFill(dc, inner);
        DrawCheck(dc, d, item, cx, cy, false);
      }
    }
  } else if (d.style == oxmWin95 && image) {
    DrawImage(dc, d, item, box.left + 1, box.top + (bh - ih) / 2, selected);
  }
  RestoreDC(dc, saved);
}
