#include "Graphics.h"

TGraphicsObject::~TGraphicsObject() { FreeObject(); }

void TGraphicsObject::FreeObject() {
  if (object_) DeleteObject(object_);
  object_ = nullptr;
}

void TGraphicsObject::Changed() {
  FreeObject();
  if (OnChange) OnChange(this);
}

namespace {
int ScreenPixelsPerInch() {
  HDC dc = GetDC(nullptr);
  int ppi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return ppi > 0 ? ppi : 96;
}
}  // namespace

TFont::TFont() { SetSize(8); }

void TFont::Assign(TPersistent* source) {
  if (auto* f = dynamic_cast<TFont*>(source)) {
    name_ = f->name_;
    height_ = f->height_;
    style_ = f->style_;
    color_ = f->color_;
    charset_ = f->charset_;
    pitch_ = f->pitch_;
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

HFONT TFont::Handle() {
  if (!object_) {
    LOGFONTA lf = {};
    lf.lfHeight = height_;
    lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style_ & fsItalic) != 0;
    lf.lfUnderline = (style_ & fsUnderline) != 0;
    lf.lfStrikeOut = (style_ & fsStrikeOut) != 0;
    lf.lfCharSet = charset_;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    static const BYTE kPitches[] = {DEFAULT_PITCH, VARIABLE_PITCH, FIXED_PITCH};
    lf.lfPitchAndFamily = kPitches[pitch_];
    lstrcpynA(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
    object_ = CreateFontIndirectA(&lf);
  }
  return static_cast<HFONT>(object_);
}

void TFont::SetHandle(HFONT font) {
  LOGFONTA lf = {};
  if (!font || !GetObjectA(font, sizeof lf, &lf)) return;
  name_ = lf.lfFaceName;
  height_ = lf.lfHeight;
  style_ = 0;
  if (lf.lfWeight >= FW_BOLD) style_ |= fsBold;
  if (lf.lfItalic) style_ |= fsItalic;
  if (lf.lfUnderline) style_ |= fsUnderline;
  if (lf.lfStrikeOut) style_ |= fsStrikeOut;
  charset_ = lf.lfCharSet;
  Changed();
}

void TFont::SetName(const std::string& name) {
  if (name.empty() || name == name_) return;
  name_ = name;
  Changed();
}

void TFont::SetHeight(int height) {
  if (height == height_) return;
  height_ = height;
  Changed();
}

int TFont::Size() const { return -MulDiv(height_, 72, ScreenPixelsPerInch()); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, ScreenPixelsPerInch(), 72)); }

void TFont::SetStyle(TFontStyles style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  if (OnChange) OnChange(this);  // the colour is not part of the GDI object
}

void TFont::SetCharset(uint8_t charset) {
  if (charset == charset_) return;
  charset_ = charset;
  Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
  if (pitch == pitch_) return;
  pitch_ = pitch;
  Changed();
}

void TPen::Assign(TPersistent* source) {
  if (auto* p = dynamic_cast<TPen*>(source)) {
    color_ = p->color_;
    width_ = p->width_;
    style_ = p->style_;
    mode_ = p->mode_;
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

HPEN TPen::Handle() {
  if (!object_) {
    static const int kStyles[] = {PS_SOLID, PS_DASH,      PS_DOT,        PS_DASHDOT,
                                  PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    object_ = CreatePen(kStyles[style_], width_, ColorToRGB(color_));
  }
  return static_cast<HPEN>(object_);
}

void TPen::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void TPen::SetWidth(int width) {
  if (width < 0 || width == width_) return;
  width_ = width;
  Changed();
}

void TPen::SetStyle(TPenStyle style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

void TPen::SetMode(TPenMode mode) {
  if (mode == mode_) return;
  mode_ = mode;
  if (OnChange) OnChange(this);
}

TBrush::~TBrush() { delete bitmap_; }

void TBrush::Assign(TPersistent* source) {
  if (auto* b = dynamic_cast<TBrush*>(source)) {
    color_ = b->color_;
    style_ = b->style_;
    SetBitmap(b->bitmap_);
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

HBRUSH TBrush::Handle() {
  if (!object_) {
    if (bitmap_ && !bitmap_->Empty()) {
      object_ = CreatePatternBrush(bitmap_->Handle());
    } else if (style_ == bsClear) {
      object_ = nullptr;
      return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    } else if (style_ == bsSolid) {
      object_ = CreateSolidBrush(ColorToRGB(color_));
    } else {
      static const int kHatches[] = {0, 0, HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL,
                                     HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
      object_ = CreateHatchBrush(kHatches[style_], ColorToRGB(color_));
    }
  }
  return static_cast<HBRUSH>(object_);
}

void TBrush::SetColor(TColor color) {
  if (color == color_ && style_ != bsClear) return;
  color_ = color;
  if (style_ == bsClear) style_ = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

void TBrush::SetBitmap(TBitmap* bitmap) {
  if (bitmap == bitmap_) return;
  TBitmap* copy = nullptr;
  if (bitmap) {
    copy = new TBitmap;
    copy->Assign(bitmap);
  }
  delete bitmap_;
  bitmap_ = copy;
  Changed();
}
