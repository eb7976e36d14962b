// Drawing helpers of the UI components (transparent bitmap drawing, the
// image under a non-windowed control), memory blocks for bitmap bits,
// minimum and maximum, and the silent "not implemented" end of an operation.
#pragma once

#include <windows.h>

#include <cstdint>

#include "GraphicControls.h"
#include "Graphics.h"
#include "Screen.h"

// Numbers of the two hand cursors in the screen's cursor table.
constexpr TCursor crHand = 14000;
constexpr TCursor crDragHand = 14001;

// The private clipboard format of icons ("Brindale Icon").
UINT IconClipboardFormat();

int WidthOf(const RECT& r);
int HeightOf(const RECT& r);
// The colour as RGB marked palette-relative.
COLORREF PaletteColor(TColor color);

// Draws part of a bitmap (the whole one when the rectangle is empty)
// stretched to (left, top, width, height); a width or height below 1 takes
// the bitmap's. Pixels of the transparent colour leave the canvas as it was:
// clNone draws plainly, clDefault takes the bottom-left pixel's colour, and
// a monochrome bitmap is transparent where it is white.
void StretchBitmapRectTransparent(TCanvas* dest, int left, int top, int width, int height,
                                  TBitmap* bitmap, RECT rect, TColor transparentColor);
// The whole bitmap at (left, top), sized as the rectangle.
void DrawBitmapRectTransparent(TCanvas* dest, int left, int top, const RECT& rect, TBitmap* bitmap,
                               TColor transparentColor);
// Stretches the source rectangle onto the destination through a mask made
// of the transparent colour, realising the palette when one is given.
void StretchBltTransparent(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw,
                           int sh, TColor transparentColor, HPALETTE palette);

// Paints what lies under the control: the parent's window, then the
// visible non-windowed siblings before it that overlap it.
void CopyParentImage(TGraphicControl* control, TCanvas* dest);

// Zero-filled global blocks (none for a size below 1).
void* AllocMemo(int32_t size);
void FreeMemo(void*& block);
void* HugeOffset(void* block, int32_t offset);
void HMemCpy(void* dest, const void* src, int32_t count);

int32_t Max(int32_t a, int32_t b);
int32_t Min(int32_t a, int32_t b);

// The text of NotImplemented's information message.
extern const char* const SNotImplemented;  // "Function not yet implemented"
// Shows an information message (a message box unless replaced, e.g. by tests).
extern void (*ShowInformation)(const char* text);
// Returns the screen cursor to the default, tells the user that the
// function is not implemented and abandons the operation silently (EAbort).
[[noreturn]] void NotImplemented();
