#include "VclUtils.h"

#include <cstring>

#include "Screen.h"

const char* const SNotImplemented = "Function not yet implemented";

namespace {
void MessageBoxInformation(const char* text) {
  MessageBoxA(GetActiveWindow(), text, "Information", MB_OK | MB_ICONINFORMATION);
}
}  // namespace

void (*ShowInformation)(const char* text) = MessageBoxInformation;

int WidthOf(const RECT& r) { return r.right - r.left; }
int HeightOf(const RECT& r) { return r.bottom - r.top; }

COLORREF PaletteColor(TColor color) { return ColorToRGB(color) | kPaletteRelative; }

void StretchBltTransparent(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw,
                           int sh, TColor transparentColor, HPALETTE palette) {
  if (w == 0 || h == 0 || sw <= 0 || sh <= 0) return;
  HDC maskDc = CreateCompatibleDC(dest);
  HDC invDc = CreateCompatibleDC(dest);
  HDC destCopyDc = CreateCompatibleDC(dest);
  HDC srcCopyDc = CreateCompatibleDC(dest);
  HBITMAP mask = CreateBitmap(sw, sh, 1, 1, nullptr);
  HBITMAP inverted = CreateBitmap(sw, sh, 1, 1, nullptr);
  HBITMAP destCopy = CreateCompatibleBitmap(dest, std::abs(w), std::abs(h));
  HBITMAP srcCopy = CreateCompatibleBitmap(dest, sw, sh);
  HGDIOBJ oldMask = SelectObject(maskDc, mask);
  HGDIOBJ oldInv = SelectObject(invDc, inverted);
  HGDIOBJ oldDestCopy = SelectObject(destCopyDc, destCopy);
  HGDIOBJ oldSrcCopy = SelectObject(srcCopyDc, srcCopy);
  HPALETTE oldPals[4] = {};
  if (palette) {
    oldPals[0] = SelectPalette(dest, palette, TRUE);
    RealizePalette(dest);
    oldPals[1] = SelectPalette(srcCopyDc, palette, FALSE);
    RealizePalette(srcCopyDc);
    oldPals[2] = SelectPalette(maskDc, palette, FALSE);
    RealizePalette(maskDc);
    oldPals[3] = SelectPalette(destCopyDc, palette, FALSE);
    RealizePalette(destCopyDc);
  }
  int oldSrcMap = SetMapMode(src, GetMapMode(dest));
  int oldWorkMap = SetMapMode(srcCopyDc, GetMapMode(dest));
  // Mask: white where the source has the transparent colour.
  BitBlt(srcCopyDc, 0, 0, sw, sh, src, sx, sy, SRCCOPY);
  COLORREF oldBk = SetBkColor(srcCopyDc, PaletteColor(transparentColor));
  BitBlt(maskDc, 0, 0, sw, sh, srcCopyDc, 0, 0, SRCCOPY);
  SetBkColor(srcCopyDc, oldBk);
  BitBlt(invDc, 0, 0, sw, sh, maskDc, 0, 0, NOTSRCCOPY);
  // Opaque pixels are cleared in the destination copy, transparent ones in
  // the source copy; the two are or-ed together.
  COLORREF destText = SetTextColor(destCopyDc, RGB(0, 0, 0));
  COLORREF destBk = SetBkColor(destCopyDc, RGB(255, 255, 255));
  COLORREF srcText = SetTextColor(srcCopyDc, RGB(0, 0, 0));
  COLORREF srcBk = SetBkColor(srcCopyDc, RGB(255, 255, 255));
  BitBlt(destCopyDc, 0, 0, std::abs(w), std::abs(h), dest, x, y, SRCCOPY);
  SetStretchBltMode(destCopyDc, COLORONCOLOR);
  StretchBlt(destCopyDc, 0, 0, std::abs(w), std::abs(h), maskDc, 0, 0, sw, sh, SRCAND);
  BitBlt(srcCopyDc, 0, 0, sw, sh, invDc, 0, 0, SRCAND);
  StretchBlt(destCopyDc, 0, 0, std::abs(w), std::abs(h), srcCopyDc, 0, 0, sw, sh, SRCPAINT);
  BitBlt(dest, x, y, std::abs(w), std::abs(h), destCopyDc, 0, 0, SRCCOPY);
  SetTextColor(destCopyDc, destText);
  SetBkColor(destCopyDc, destBk);
  SetTextColor(srcCopyDc, srcText);
  SetBkColor(srcCopyDc, srcBk);
  SetMapMode(srcCopyDc, oldWorkMap);
  SetMapMode(src, oldSrcMap);
  if (palette) {
    SelectPalette(destCopyDc, oldPals[3], FALSE);
    SelectPalette(maskDc, oldPals[2], FALSE);
    SelectPalette(srcCopyDc, oldPals[1], FALSE);
    SelectPalette(dest, oldPals[0], TRUE);
  }
  SelectObject(srcCopyDc, oldSrcCopy);
  SelectObject(destCopyDc, oldDestCopy);
  SelectObject(invDc, oldInv);
  SelectObject(maskDc, oldMask);
  DeleteObject(srcCopy);
  DeleteObject(destCopy);
  DeleteObject(inverted);
  DeleteObject(mask);
  DeleteDC(srcCopyDc);
  DeleteDC(destCopyDc);
  DeleteDC(invDc);
  DeleteDC(maskDc);
}

void StretchBitmapRectTransparent(TCanvas* dest, int left, int top, int width, int height,
                                  TBitmap* bitmap, RECT rect, TColor transparentColor) {
  if (!bitmap || bitmap->Empty()) return;
  if (width < 1) width = bitmap->Width();
  if (height < 1) height = bitmap->Height();
  if (WidthOf(rect) < 1 || HeightOf(rect) < 1) rect = {0, 0, bitmap->Width(), bitmap->Height()};
  HDC destDc = dest->Handle();
  HDC srcDc = bitmap->Canvas()->Handle();
  if (!bitmap->Monochrome()) SetStretchBltMode(destDc, COLORONCOLOR);
  if (transparentColor == clNone) {
    StretchBlt(destDc, left, top, width, height, srcDc, rect.left, rect.top, WidthOf(rect),
               HeightOf(rect), dest->CopyMode());
    return;
  }
  if (transparentColor == clDefault)
    transparentColor = static_cast<TColor>(GetPixel(srcDc, 0, bitmap->Height() - 1) & 0xFFFFFF);
  if (bitmap->Monochrome()) transparentColor = clWhite;
  StretchBltTransparent(destDc, left, top, width, height, srcDc, rect.left, rect.top, WidthOf(rect),
                        HeightOf(rect), transparentColor, bitmap->Palette());
}

void DrawBitmapRectTransparent(TCanvas* dest, int left, int top, const RECT& rect, TBitmap* bitmap,
                               TColor transparentColor) {
  StretchBitmapRectTransparent(dest, left, top, WidthOf(rect), HeightOf(rect), bitmap,
                               {0, 0, 0, 0}, transparentColor);
}

void CopyParentImage(TGraphicControl* control, TCanvas* dest) {
  TWinControl* parent = control ? control->Parent() : nullptr;
  if (!parent || !parent->HandleAllocated()) return;
  HDC dc = dest->Handle();
  int saved = SaveDC(dc);
  POINT origin;
  GetViewportOrgEx(dc, &origin);
  SetViewportOrgEx(dc, origin.x - control->Left(), origin.y - control->Top(), nullptr);
  IntersectClipRect(dc, 0, 0, parent->ClientWidth(), parent->ClientHeight());
  SendMessageA(parent->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  SendMessageA(parent->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  RestoreDC(dc, saved);
  RECT self = control->BoundsRect();
  for (int i = 0; i < parent->GraphicControlCount(); ++i) {
    TGraphicControl* sibling = parent->GraphicControls(i);
    if (sibling == control) break;
    RECT bounds = sibling->BoundsRect(), both;
    if (!sibling->Visible() || !IntersectRect(&both, &bounds, &self)) continue;
    saved = SaveDC(dc);
    SetViewportOrgEx(dc, origin.x + bounds.left - self.left, origin.y + bounds.top - self.top, nullptr);
    IntersectClipRect(dc, 0, 0, sibling->Width(), sibling->Height());
    sibling->PaintTo(dc);
    RestoreDC(dc, saved);
  }
}

void* AllocMemo(int32_t size) {
  if (size < 1) return nullptr;
  return GlobalAlloc(GPTR, static_cast<SIZE_T>(size));
}

void FreeMemo(void*& block) {
  if (block) GlobalFree(block);
  block = nullptr;
}

void* HugeOffset(void* block, int32_t offset) { return static_cast<uint8_t*>(block) + offset; }

void HMemCpy(void* dest, const void* src, int32_t count) {
  if (count > 0) std::memmove(dest, src, static_cast<size_t>(count));
}

int32_t Max(int32_t a, int32_t b) { return a > b ? a : b; }
int32_t Min(int32_t a, int32_t b) { return a < b ? a : b; }

void NotImplemented() {
  Screen->SetCursor(crDefault);
  ShowInformation(SNotImplemented);
  Abort();
}

UINT IconClipboardFormat() {
  static UINT format = RegisterClipboardFormatA("Brindale Icon");
  return format;
}

namespace {
// Start-up: the program's two hand cursors join the screen's table, and
// icons take part in the clipboard exchange of pictures.
struct Registrations {
  Registrations() {
    HINSTANCE self = GetModuleHandleA(nullptr);
    if (HCURSOR hand = LoadCursorA(self, "RX_HANDCUR")) Screen->SetCursors(crHand, hand);
    if (HCURSOR drag = LoadCursorA(self, "RX_DRAGCUR")) Screen->SetCursors(crDragHand, drag);
    TIcon::ClipboardFormat = IconClipboardFormat();
    TPicture::RegisterClipboardFormat<TIcon>(IconClipboardFormat());
  }
} registrations;
}  // namespace
