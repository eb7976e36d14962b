// Graphics of the form class library: fonts, pens and brushes, the canvas
// that draws with them, and the pictures (bitmaps, icons and the graphic
// classes registered with TPicture by file extension and clipboard format).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "Classes.h"
#include "Colors.h"
#include "Streams.h"

class EInvalidGraphic : public Exception {
  using Exception::Exception;
};
class EInvalidGraphicOperation : public Exception {
  using Exception::Exception;
};

extern const char* const SInvalidBitmap;          // "Bitmap image is not valid"
extern const char* const SInvalidIcon;            // "Icon image is not valid"
extern const char* const SUnknownExtension;       // "Unknown picture file extension (.%s)"
extern const char* const SUnknownClipboardFormat; // "Unsupported clipboard format"
extern const char* const SNoCanvasHandle;         // "Canvas does not allow drawing"
extern const char* const SChangeIconSize;         // "Cannot change the size of an icon"

class TCanvas;
class TBitmap;

// Base of fonts, pens and brushes: a GDI object made on demand from the
// stored attributes and remade after a change.
class TGraphicsObject : public TPersistent {
 public:
  ~TGraphicsObject() override;
  TNotifyEvent OnChange;

 protected:
  void Changed();
  void FreeObject();
  HGDIOBJ object_ = nullptr;
};

enum : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;
enum TFontPitch { fpDefault, fpVariable, fpFixed };

class TFont : public TGraphicsObject {
 public:
  TFont();
  void Assign(TPersistent* source) override;
  HFONT Handle();
  // Takes the attributes of a logical font handle (the handle stays the caller's).
  void SetHandle(HFONT font);
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  int Height() const { return height_; }  // negative: character height in pixels
  void SetHeight(int height);
  int Size() const;                        // points at the screen's resolution
  void SetSize(int points);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  uint8_t Charset() const { return charset_; }
  void SetCharset(uint8_t charset);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch pitch);

 private:
  std::string name_ = "MS Sans Serif";
  int height_ = -11;
  TFontStyles style_ = 0;
  TColor color_ = clWindowText;
  uint8_t charset_ = DEFAULT_CHARSET;
  TFontPitch pitch_ = fpDefault;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};

class TPen : public TGraphicsObject {
 public:
  void Assign(TPersistent* source) override;
  HPEN Handle();
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  int Width() const { return width_; }
  void SetWidth(int width);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle style);
  // The raster operation of lines (SetROP2), e.g. pmXor.
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode mode);

 private:
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross,
                   bsDiagCross };

class TBrush : public TGraphicsObject {
 public:
  ~TBrush() override;
  void Assign(TPersistent* source) override;
  HBRUSH Handle();
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle style);
  // A pattern bitmap (the brush keeps a copy); nullptr returns to the style.
  TBitmap* Bitmap() const { return bitmap_; }
  void SetBitmap(TBitmap* bitmap);

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  TBitmap* bitmap_ = nullptr;
};

class TGraphic;

// Draws on a device context with its font, pen and brush. The context
// comes from outside (SetHandle) or, in derived canvases, is made on demand.
class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // The device context; EInvalidGraphicOperation when none can be made.
  HDC Handle();
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return dc_ != nullptr; }

  TFont* Font() { return &font_; }
  TPen* Pen() { return &pen_; }
  TBrush* Brush() { return &brush_; }
  // Raster operation of copies and stretches (SRCCOPY by default).
  DWORD CopyMode() const { return copyMode_; }
  void SetCopyMode(DWORD rop) { copyMode_ = rop; }

  TColor Pixels(int x, int y);
  void SetPixel(int x, int y, TColor color);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  POINT PenPos();
  void Rectangle(int x1, int y1, int x2, int y2);
  void Ellipse(int x1, int y1, int x2, int y2);
  void RoundRect(int x1, int y1, int x2, int y2, int w, int h);
  void Polyline(const std::vector<POINT>& points);
  void Polygon(const std::vector<POINT>& points);
  void FillRect(const RECT& r);
  void FrameRect(const RECT& r);
  void DrawFocusRect(const RECT& r);
  void TextOut(int x, int y, const std::string& text);
  // Text clipped to the rectangle, starting at (x, y).
  void TextRect(const RECT& r, int x, int y, const std::string& text);
  SIZE TextExtent(const std::string& text);
  int TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) { return TextExtent(text).cy; }
  void Draw(int x, int y, TGraphic* graphic);
  void StretchDraw(const RECT& r, TGraphic* graphic);
  void CopyRect(const RECT& dest, TCanvas* source, const RECT& src);
  RECT ClipRect();
  // Puts the stock objects back into the context (before it is released).
  void Refresh();
  void Lock() { EnterCriticalSection(&lock_); }
  void Unlock() { LeaveCriticalSection(&lock_); }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void CreateHandle() {}
  void Changing();
  void Changed();

 private:
  enum : unsigned { kFont = 1, kPen = 2, kBrush = 4 };
  // Makes sure the context exists and holds the current objects.
  HDC Require(unsigned what);
  void DeselectAll();
  HDC dc_ = nullptr;
  TFont font_;
  TPen pen_;
  TBrush brush_;
  DWORD copyMode_ = SRCCOPY;
  HGDIOBJ oldFont_ = nullptr, oldPen_ = nullptr, oldBrush_ = nullptr;
  CRITICAL_SECTION lock_;
};

// A data block shared by reference between copies of a graphic.
class TSharedImage {
 public:
  void Reference() { ++refCount_; }
  // Drops one reference; the last one frees the block.
  void Release();
  int RefCount() const { return refCount_; }

 protected:
  virtual ~TSharedImage() = default;
  virtual void FreeHandle() {}

 private:
  int refCount_ = 0;
};

enum TProgressStage { psStarting, psRunning, psEnding };
using TProgressEvent = std::function<void(TObject* sender, TProgressStage stage, uint8_t percent,
                                          bool redrawNow, const RECT& r, const std::string& msg)>;

// Base of every picture class.
class TGraphic : public TPersistent {
 public:
  // Draws the picture stretched into the rectangle of the canvas.
  virtual void Draw(TCanvas* canvas, const RECT& rect) = 0;
  virtual bool Empty() = 0;
  virtual int Width() = 0;
  virtual int Height() = 0;
  virtual void SetWidth(int width) = 0;
  virtual void SetHeight(int height) = 0;
  virtual HPALETTE Palette() { return nullptr; }
  virtual void SetPalette(HPALETTE) {}
  bool PaletteModified = false;
  bool Modified = false;
  virtual bool Transparent() { return transparent_; }
  virtual void SetTransparent(bool transparent);
  virtual bool Equals(TGraphic* other);

  virtual void LoadFromStream(TStream* stream) = 0;
  virtual void SaveToStream(TStream* stream) = 0;
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName);
  // The streaming of a picture property (the whole stream by default).
  virtual void ReadData(TStream* stream) { LoadFromStream(stream); }
  virtual void WriteData(TStream* stream) { SaveToStream(stream); }
  virtual void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette);
  virtual void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette);

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

 protected:
  virtual void Changed(TObject* sender);
  void Progress(TObject* sender, TProgressStage stage, uint8_t percent, bool redrawNow,
                const RECT& r, const std::string& msg);
  bool transparent_ = false;
};

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };
enum TTransparentMode { tmAuto, tmFixed };

// A bitmap kept as a device-independent section of 1, 4, 8, 16, 24 or 32
// bits per pixel with its colour table; the canvas draws on it directly.
class TBitmap : public TGraphic {
 public:
  TBitmap();
  ~TBitmap() override;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  void Assign(TPersistent* source) override;
  void Draw(TCanvas* canvas, const RECT& rect) override;
  bool Empty() override { return !handle_; }
  int Width() override { return width_; }
  int Height() override { return height_; }
  void SetWidth(int width) override { SetSize(width, height_); }
  void SetHeight(int height) override { SetSize(width_, height); }
  void SetSize(int width, int height);
  HPALETTE Palette() override;
  // Takes the palette over; its entries become the colour table.
  void SetPalette(HPALETTE palette) override;
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
  void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;
  // A bitmap resource (RT_BITMAP) of a module; EResNotFound when missing.
  void LoadFromResourceName(HINSTANCE instance, const std::string& name);
  void LoadFromResourceID(HINSTANCE instance, int id);

  HBITMAP Handle() { return handle_; }
  // Takes the bitmap over (a device-dependent one is copied into a section).
  void SetHandle(HBITMAP bitmap);
  // Gives the handle to the caller; the bitmap becomes empty.
  HBITMAP ReleaseHandle();
  TCanvas* Canvas();
  TPixelFormat PixelFormat() const;
  void SetPixelFormat(TPixelFormat format);
  int BitCount() const { return bitCount_; }
  bool Monochrome() const;
  void SetMonochrome(bool mono);
  // Row y from the top, in the section's own pixel layout.
  uint8_t* ScanLine(int y);
  int RowStride() const { return ((width_ * bitCount_ + 31) / 32) * 4; }
  // The colour table of a bitmap of up to 8 bits per pixel.
  const std::vector<RGBQUAD>& Colors() const { return colors_; }
  void SetColors(const std::vector<RGBQUAD>& colors);

  // tmAuto: the bottom-left pixel's colour; tmFixed: the colour set.
  TColor TransparentColor();
  void SetTransparentColor(TColor color);
  TTransparentMode TransparentMode() const { return transparentMode_; }
  void SetTransparentMode(TTransparentMode mode);

  // The BITMAPINFO and pixel rows of the bitmap (a packed DIB, bottom row first).
  std::vector<uint8_t> PackedDib() const;
  // Loads a packed DIB (info header, colour masks or table, rows); bounds checked.
  void LoadPackedDib(const uint8_t* data, size_t size);

 private:
  friend class TBitmapCanvas;
  void Recreate(int width, int height, int bitCount, const std::vector<RGBQUAD>& colors,
                bool keepPixels);
  void FreeImage();
  void SelectInto();
  void Deselect();
  void ApplyColors();
  HBITMAP handle_ = nullptr;
  uint8_t* bits_ = nullptr;
  int width_ = 0, height_ = 0, bitCount_ = 24;
  std::vector<RGBQUAD> colors_;
  HPALETTE palette_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  TCanvas* canvas_ = nullptr;
  TColor transparentColor_ = clDefault;
  TTransparentMode transparentMode_ = tmAuto;
};

class TIcon : public TGraphic {
 public:
  TIcon();
  ~TIcon() override;
  TIcon(const TIcon&) = delete;
  TIcon& operator=(const TIcon&) = delete;

  void Assign(TPersistent* source) override;
  void Draw(TCanvas* canvas, const RECT& rect) override;
  bool Empty() override { return !handle_; }
  int Width() override { return width_; }
  int Height() override { return height_; }
  // EInvalidGraphicOperation "Cannot change the size of an icon".
  void SetWidth(int) override;
  void SetHeight(int) override;
  // An icon (type 1) or cursor (type 2) file: its first image; EInvalidGraphic
  // "Icon image is not valid" for bad data.
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  // Global memory holding an icon file, under ClipboardFormat (0: icons
  // do not take part in the clipboard).
  void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
  void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;
  static UINT ClipboardFormat;
  HICON Handle() { return handle_; }
  // Takes the icon over.
  void SetHandle(HICON icon);
  HICON ReleaseHandle();

 private:
  void FreeIcon();
  HICON handle_ = nullptr;
  int width_ = 0, height_ = 0;
  std::vector<uint8_t> data_;  // the file the icon was read from
};

// Holds one graphic of any registered class.
class TPicture : public TPersistent {
 public:
  using Factory = std::function<TGraphic*()>;
  TPicture() = default;
  ~TPicture() override;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  TGraphic* Graphic() const { return graphic_; }
  // A copy of the graphic (of the same class) becomes the picture's.
  void SetGraphic(TGraphic* graphic);
  // The graphic as a bitmap (an empty bitmap replaces another graphic).
  TBitmap* Bitmap();
  TIcon* Icon();
  int Width() { return graphic_ ? graphic_->Width() : 0; }
  int Height() { return graphic_ ? graphic_->Height() : 0; }
  void Assign(TPersistent* source) override;

  // By the file's extension; EInvalidGraphic "Unknown picture file extension (.%s)".
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName);
  // The graphic in stored form data: the extension registered for its
  // class, then the graphic's own data; an empty picture writes nothing and
  // reads back empty. An unknown extension raises EInvalidGraphic.
  void WriteData(TStream& stream);
  void ReadData(TStream& stream);
  void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette);
  void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette);
  static bool SupportsClipboardFormat(UINT format);

  // Registrations of graphic classes, keyed by the class.
  static void RegisterFileFormat(const std::string& extension, const std::string& description,
                                 const std::type_info& cls, Factory factory);
  static void RegisterClipboardFormat(UINT format, const std::type_info& cls, Factory factory);
  static void UnregisterGraphicClass(const std::type_info& cls);
  template <class G>
  static void RegisterFileFormat(const std::string& extension, const std::string& description) {
    RegisterFileFormat(extension, description, typeid(G), [] { return new G; });
  }
  template <class G>
  static void RegisterClipboardFormat(UINT format) {
    RegisterClipboardFormat(format, typeid(G), [] { return new G; });
  }
  // The description of a registered extension ("" when none).
  static std::string FileFormatDescription(const std::string& extension);

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

 protected:
  void AssignTo(TPersistent* dest) override;

 private:
  void Take(TGraphic* graphic);
  void Changed(TObject* sender);
  TGraphic* graphic_ = nullptr;
};

// A new palette with the same entries (nullptr for none).
HPALETTE CopyPalette(HPALETTE palette);

// Draws part of a source device into a destination rectangle so that the
// source pixels of transparentRGB leave the destination unchanged.
void TransparentStretch(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw,
                        int sh, COLORREF transparentRGB);
