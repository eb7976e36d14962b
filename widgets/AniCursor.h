// Animated cursor files (RIFF form "ACON") read into a list of icon frames,
// handed on as an icon, a bitmap strip or (through TGIFImage) a GIF.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Classes.h"
#include "Graphics.h"
#include "Streams.h"

// The "anih" header as read.
struct TAniHeader {
  uint32_t Size = 0;
  uint32_t Frames = 0;
  uint32_t Steps = 0;
  uint32_t Width = 0;
  uint32_t Height = 0;
  uint32_t BitCount = 0;
  uint32_t Planes = 0;
  uint32_t DisplayRate = 0;  // in 1/60 s
  uint32_t Flags = 0;
};

class TIconFrame : public TPersistent {
 public:
  explicit TIconFrame(uint32_t rate) : JiffRate(rate) {}
  void Assign(TPersistent* source) override;
  // The frame's icon, made empty on first use.
  TIcon* Icon();
  bool HasIcon() const { return icon_ && !icon_->Empty(); }
  bool IsIcon = true;  // false for a cursor image
  int Width = 0;
  int Height = 0;
  POINT HotSpot = {0, 0};
  uint32_t JiffRate;    // display time in 1/60 s
  int32_t Seq = 0;      // the number of the icon the frame shows

 private:
  std::unique_ptr<TIcon> icon_;
};

class TAniCursorImage : public TPersistent {
 public:
  TAniCursorImage() = default;
  TAniCursorImage(const TAniCursorImage&) = delete;
  TAniCursorImage& operator=(const TAniCursorImage&) = delete;

  // EReadError "Stream read error" for data that is not an animated cursor;
  // the frames read until then stay.
  void LoadFromStream(TStream* stream);
  void LoadFromFile(const std::string& fileName);
  // Not available: shows "Function not yet implemented" and abandons (EAbort).
  void SaveToStream(TStream* stream);
  void Assign(TPersistent* source) override;
  // All frames side by side (or one below the other), reduced to the
  // largest colour count of the icons when asked.
  void AssignToBitmap(TBitmap* bitmap, TColor backColor, bool decreaseColors, bool vertical);

  int Count() const { return static_cast<int>(frames_.size()); }
  TIconFrame* Frames(int index) const { return frames_.at(static_cast<size_t>(index)).get(); }
  TIcon* Icons(int index) const { return Frames(index)->Icon(); }
  const TAniHeader& Header() const { return header_; }
  const std::string& Title() const { return title_; }
  const std::string& Creator() const { return creator_; }
  int MaxColors() const { return maxColors_; }

 protected:
  // To an icon: the first frame's; to a bitmap: the strip.
  void AssignTo(TPersistent* dest) override;

 private:
  void Clear();
  void Read(const uint8_t* data, size_t size);
  void ReadIcon(const uint8_t* data, size_t size, int number);
  TAniHeader header_;
  std::string title_, creator_;
  std::vector<std::unique_ptr<TIconFrame>> frames_;
  int maxColors_ = 0;
};
