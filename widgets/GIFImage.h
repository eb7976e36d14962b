// GIF pictures (87a and 89a) with all their frames: reading, decoding a
// frame into a bitmap on first use, composing frames for display, and
// writing a GIF back from the frames or from any other graphic.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Classes.h"
#include "Graphics.h"
#include "Streams.h"

class TAniCursorImage;
class TGIFImage;

// Failure texts of the GIF classes (raised as EInvalidGraphicOperation).
extern const char* const SGIFVersion;         // "Unknown GIF version"
extern const char* const SGIFEncodeError;     // "GIF image encoding error"
extern const char* const SGIFDecodeError;     // "GIF encoded data is corrupt"
extern const char* const SGIFBadCodeSize;     // "GIF code size not in range 2 to 9"
extern const char* const SWrongGIFColors;     // "Wrong number of colors; must be a power of 2"
extern const char* const SBadGIFExtension;    // "Unrecognized extension block: %.2x"
extern const char* const SNoGIFData;          // "No GIF Data to write"
extern const char* const SChangeGIFSize;      // "Cannot change the Size of a GIF image"

// Bits per pixel of a colour count: 1 for 2 up to 8 for 256; any other
// count fails with SWrongGIFColors.
int GifColorBits(int count);

// The clipboard format "GIF Image".
UINT GIFClipboardFormat();

// A colour table: Count entries (0, 2, 4, ... 256) of red, green, blue.
struct TGIFColorTable {
  int32_t Count = 0;
  uint8_t Colors[256][3] = {};
};

// The header shared by copies of an image.
class TGIFData : public TSharedImage {
 public:
  TStringList Comment;
  uint8_t AspectRatio = 0;
  uint8_t BitsPerPixel = 0;
  uint8_t ColorResBits = 0;
  TGIFColorTable ColorMap;
};

// The encoded data of a frame, shared by copies of the frame: the LZW
// minimum code size and the data sub-blocks as stored, terminator included.
class TGIFItem : public TSharedImage {
 public:
  TMemoryStream ZipData;
  int32_t Width = 0;
  int32_t Height = 0;
  bool Interlaced = false;
  uint8_t BitsPerPixel = 0;
  TGIFColorTable ColorMap;
};

enum TExtensionKind { ekGraphicControl, ekPlainText, ekApplication, ekComment };

// An extension block kept with a frame: its fixed part as stored and its
// data sub-blocks, one string each.
class TExtension : public TPersistent {
 public:
  explicit TExtension(TExtensionKind kind);
  void Assign(TPersistent* source) override;
  TExtensionKind Kind;
  TStringList Data;
  // Graphic control: 6 bytes; plain text: 13; application: 12; comment: none.
  uint8_t Fixed[13] = {};
  int FixedSize() const;
  uint8_t Label() const;
};

class TGIFFrame : public TPersistent {
 public:
  explicit TGIFFrame(TGIFImage* owner);
  ~TGIFFrame() override;
  TGIFFrame(const TGIFFrame&) = delete;
  TGIFFrame& operator=(const TGIFFrame&) = delete;

  void Assign(TPersistent* source) override;
  // The decoded bitmap (decoded and cached on first use).
  TBitmap* Bitmap();
  int Width();
  int Height();
  // Draws the frame stretched into the rectangle, with its transparent
  // colour left out when transparent is set.
  void Draw(TCanvas* canvas, const RECT& rect, bool transparent);
  TStringList* Comment();

  TGIFImage* Owner() const { return owner_; }
  int32_t Left = 0;
  int32_t Top = 0;
  bool Interlaced = false;
  TColor TransparentColor = clNone;
  // Milliseconds (kept in 32 bits: a stored delay of 65535 hundredths fits).
  uint32_t Delay = 0;
  uint8_t DisposalMethod = 0;
  bool LocalColors = false;
  bool GrayScale = false;

 protected:
  void AssignTo(TPersistent* dest) override;

 private:
  friend class TGIFImage;
  void NewItem();
  void Clear();
  bool HasData() const { return item_ && item_->ZipData.Size() > 0; }
  void Decode();
  void Encode();
  void PrepareExtensions();
  TGIFImage* owner_;
  std::unique_ptr<TBitmap> bitmap_;
  TGIFItem* item_ = nullptr;
  std::vector<std::unique_ptr<TExtension>> extensions_;
};

class TGIFImage : public TGraphic {
 public:
  TGIFImage();
  ~TGIFImage() override;
  TGIFImage(const TGIFImage&) = delete;
  TGIFImage& operator=(const TGIFImage&) = delete;

  void Assign(TPersistent* source) override;
  void Draw(TCanvas* canvas, const RECT& rect) override;
  bool Equals(TGraphic* other) override;
  bool Empty() override;
  int Width() override;
  int Height() override;
  void SetWidth(int) override;
  void SetHeight(int) override;
  HPALETTE Palette() override;
  bool Transparent() override;
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  // A 32-bit byte count, then that many GIF bytes.
  void ReadData(TStream* stream) override;
  void WriteData(TStream* stream) override;
  void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
  void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;

  // Appends a frame made from the graphic and makes it current; returns its index.
  int AddFrame(TGraphic* graphic);
  int Count() const { return static_cast<int>(frames_.size()); }
  TGIFFrame* Frames(int index) const { return frames_.at(static_cast<size_t>(index)); }
  int FrameIndex() const { return frameIndex_; }
  void SetFrameIndex(int index);
  int ScreenWidth() const { return frames_.empty() ? 0 : screenWidth_; }
  int ScreenHeight() const { return frames_.empty() ? 0 : screenHeight_; }
  TColor BackgroundColor() const { return backgroundColor_; }
  void SetBackgroundColor(TColor color) { backgroundColor_ = color; }
  TStringList* Comment() { return &header_->Comment; }
  // 0 none, 1 "87a", 2 "89a".
  int Version() const { return version_; }
  // Encodes every frame that has no encoded data yet.
  void EncodeFrames(bool releaseBitmaps);
  // Frame index (clamped to the frames) composed on the background for
  // display: frame disposal and transparency applied. transparentColor is
  // the result's (clNone when it has none). Empty image: nullptr.
  std::unique_ptr<TBitmap> ComposeFrame(int index, bool transparency, TColor& transparentColor);

 protected:
  void AssignTo(TPersistent* dest) override;

 private:
  friend class TGIFFrame;
  void Clear();
  void NewHeader();
  void ReadFromMemory(const uint8_t* data, size_t size, bool decodeFirst);
  void ReadImage(class GifReader& in, std::vector<std::unique_ptr<TExtension>>& gathered);
  void WriteTo(TStream* stream);
  void UpdateScreenSize();
  void AssignCursor(TAniCursorImage* cursor);
  TGIFData* header_ = nullptr;
  int version_ = 0;
  std::vector<TGIFFrame*> frames_;
  int frameIndex_ = -1;
  uint16_t screenWidth_ = 0;
  uint16_t screenHeight_ = 0;
  TColor backgroundColor_ = clNone;
};

// LZW data of a frame decoded into 1-, 4- or 8-bit rows (row y at rows[y]);
// pixel values are masked to depth bits. Raises the GIF failures above.
void DecodeGifLzw(const uint8_t* data, size_t size, int width, int height, bool interlaced,
                  int bitCount, int depth, uint8_t* const* rows,
                  const std::function<void(int percent)>& progress);
// Pixels (one index per byte, row by row) encoded as LZW data: the minimum
// code size byte, the sub-blocks and the terminator.
void EncodeGifLzw(const uint8_t* pixels, int width, int height, bool interlaced, int bitCount,
                  TStream* out, const std::function<void(int percent)>& progress);
