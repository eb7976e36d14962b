#include "ColorReduce.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "VclUtils.h"

TMappingMethod DefaultMappingMethod = mmHistogram;

namespace {

struct Rgb {
  uint8_t r, g, b;
};

// Nearest-level lookup of a component for 4, 6, 7 and 8 levels (the lowest
// index on a tie).
struct Levels {
  std::vector<uint8_t> values;
  std::array<uint8_t, 256> nearest;
  explicit Levels(std::vector<uint8_t> v) : values(std::move(v)) {
    for (int c = 0; c < 256; ++c) {
      int best = 0;
      for (size_t i = 1; i < values.size(); ++i)
        if (std::abs(values[i] - c) < std::abs(values[static_cast<size_t>(best)] - c)) best = static_cast<int>(i);
      nearest[static_cast<size_t>(c)] = static_cast<uint8_t>(best);
    }
  }
};
const Levels kLevels4({0, 85, 170, 255});
const Levels kLevels6({0, 51, 102, 153, 204, 255});
const Levels kLevels7({0, 43, 85, 128, 170, 213, 255});
const Levels kLevels8({0, 36, 73, 109, 146, 182, 219, 255});

// 24-bit pixels of the bitmap, row by row from the top.
struct Pixels {
  int width, height;
  std::vector<Rgb> data;
  const Rgb& At(int x, int y) const { return data[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
};

Pixels Fetch24(TBitmap* bitmap) {
  TBitmap copy;
  copy.Assign(bitmap);
  copy.SetPixelFormat(pf24bit);
  Pixels p{copy.Width(), copy.Height(), {}};
  p.data.resize(static_cast<size_t>(p.width) * static_cast<size_t>(p.height));
  for (int y = 0; y < p.height; ++y) {
    const uint8_t* row = copy.ScanLine(y);
    for (int x = 0; x < p.width; ++x)
      p.data[static_cast<size_t>(y) * static_cast<size_t>(p.width) + static_cast<size_t>(x)] = {
          row[x * 3 + 2], row[x * 3 + 1], row[x * 3]};
  }
  return p;
}

struct Result {
  std::vector<RGBQUAD> table;  // the entries written (and counted in the header)
  std::vector<uint8_t> indexes;
};

void SetEntry(std::vector<RGBQUAD>& table, size_t i, int r, int g, int b) {
  table[i] = {static_cast<BYTE>(b), static_cast<BYTE>(g), static_cast<BYTE>(r), 0};
}

// Method 0: the most frequent colours, counted on masked components.
Result Histogram(const Pixels& p, int paletteSize) {
  struct Entry {
    uint32_t count;
    uint8_t b, g, r;
    int index;
  };
  constexpr size_t kSlots = 5191, kMaxColors = 2049;
  uint8_t mr = 0xFF, mg = 0xFF, mb = 0xFF;
  std::vector<Entry> entries;
  std::vector<int> slots(kSlots);
  auto hash = [](int r, int g, int b) {
    return static_cast<size_t>(((r + g) * (g + b) * (b + r)) % static_cast<int>(kSlots));
  };
  auto find = [&](const Rgb& c, bool add) -> int {
    int r = c.r & mr, g = c.g & mg, b = c.b & mb;
    size_t s = hash(r, g, b);
    while (slots[s] >= 0) {
      const Entry& e = entries[static_cast<size_t>(slots[s])];
      if (e.r == r && e.g == g && e.b == b) return slots[s];
      s = s + 1 == kSlots ? 0 : s + 1;
    }
    if (!add) return -1;
    if (entries.size() >= kMaxColors) return -2;
    slots[s] = static_cast<int>(entries.size());
    entries.push_back({0, static_cast<uint8_t>(b), static_cast<uint8_t>(g), static_cast<uint8_t>(r), -1});
    return slots[s];
  };
  for (bool counted = false; !counted;) {
    entries.clear();
    std::fill(slots.begin(), slots.end(), -1);
    counted = true;
    for (const Rgb& c : p.data) {
      int i = find(c, true);
      if (i == -2) {
        // Too many colours: drop one more low bit (blue, red, green in turn).
        if (mg > mr) mg &= static_cast<uint8_t>(mg - 1);
        else if (mr <= mb) mb &= static_cast<uint8_t>(mb - 1);
        else mr &= static_cast<uint8_t>(mr - 1);
        counted = false;
        break;
      }
      ++entries[static_cast<size_t>(i)].count;
    }
  }
  std::vector<size_t> order(entries.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return entries[a].count > entries[b].count; });
  Result out;
  out.table.assign(static_cast<size_t>(paletteSize), {128, 128, 128, 0});
  size_t taken = std::min(order.size(), static_cast<size_t>(paletteSize));
  for (size_t k = 0; k < taken; ++k) {
    Entry& e = entries[order[k]];
    e.index = static_cast<int>(k);
    SetEntry(out.table, k, e.r, e.g, e.b);
  }
  for (Entry& e : entries) {
    if (e.index >= 0) continue;
    int best = 0, bestDistance = 196608;
    for (size_t k = 0; k < taken; ++k) {
      const RGBQUAD& q = out.table[k];
      int d = (q.rgbRed - e.r) * (q.rgbRed - e.r) + (q.rgbGreen - e.g) * (q.rgbGreen - e.g) +
              (q.rgbBlue - e.b) * (q.rgbBlue - e.b);
      if (d < bestDistance) {
        bestDistance = d;
        best = static_cast<int>(k);
      }
    }
    e.index = best;
  }
  out.indexes.reserve(p.data.size());
  for (const Rgb& c : p.data) out.indexes.push_back(static_cast<uint8_t>(entries[static_cast<size_t>(find(c, false))].index));
  return out;
}

// Method 1: median cut over a 16-level cube.
Result MedianCut(const Pixels& p) {
  auto cellOf = [](const Rgb& c) { return (c.r >> 4) << 8 | (c.g >> 4) << 4 | (c.b >> 4); };
  std::vector<uint32_t> counts(4096);
  for (const Rgb& c : p.data) ++counts[static_cast<size_t>(cellOf(c))];
  auto component = [](int cell, int axis) { return (cell >> (8 - 4 * axis)) & 15; };
  std::vector<std::vector<int>> boxes(1);
  for (int cell = 0; cell < 4096; ++cell)
    if (counts[static_cast<size_t>(cell)]) boxes[0].push_back(cell);
  while (boxes.size() < 256) {
    int chosen = -1, axis = 0, widest = -1;
    for (size_t i = 0; i < boxes.size(); ++i) {
      if (boxes[i].size() < 2) continue;
      for (int a = 0; a < 3; ++a) {
        int lo = 15, hi = 0;
        for (int cell : boxes[i]) {
          lo = std::min(lo, component(cell, a));
          hi = std::max(hi, component(cell, a));
        }
        if (hi - lo > widest) {
          widest = hi - lo;
          chosen = static_cast<int>(i);
          axis = a;
        }
      }
    }
    if (chosen < 0) break;  // every box holds one cell
    std::vector<int>& box = boxes[static_cast<size_t>(chosen)];
    std::stable_sort(box.begin(), box.end(),
                     [&](int a, int b) { return component(a, axis) < component(b, axis); });
    uint64_t total = 0;
    for (int cell : box) total += counts[static_cast<size_t>(cell)];
    uint64_t running = 0;
    size_t split = 0;
    while (split < box.size() && (running += counts[static_cast<size_t>(box[split])]) <= total / 2) ++split;
    // Both halves keep at least one cell.
    split = std::min(std::max<size_t>(split + 1, 1), box.size() - 1);
    std::vector<int> upper(box.begin() + static_cast<std::ptrdiff_t>(split), box.end());
    box.resize(split);
    boxes.push_back(std::move(upper));
  }
  Result out;
  out.table.assign(boxes.size(), {0, 0, 0, 0});
  std::vector<uint8_t> boxOfCell(4096);
  for (size_t i = 0; i < boxes.size(); ++i) {
    const std::vector<int>& box = boxes[i];
    if (box.empty()) continue;
    int sum[3] = {0, 0, 0};
    for (int cell : box) {
      boxOfCell[static_cast<size_t>(cell)] = static_cast<uint8_t>(i);
      for (int a = 0; a < 3; ++a) sum[a] += component(cell, a);
    }
    int n = static_cast<int>(box.size()), rgb[3];
    for (int a = 0; a < 3; ++a) rgb[a] = std::min(255, (sum[a] * 16 + 15) / n);
    if (rgb[0] < 17 && rgb[1] < 17 && rgb[2] < 17) rgb[0] = rgb[1] = rgb[2] = 0;
    SetEntry(out.table, i, rgb[0], rgb[1], rgb[2]);
  }
  out.indexes.reserve(p.data.size());
  for (const Rgb& c : p.data) out.indexes.push_back(boxOfCell[static_cast<size_t>(cellOf(c))]);
  return out;
}

// Methods 2 and 3: each component cut to its nearest level.
Result Truncate(const Pixels& p, const Levels& lr, const Levels& lg, const Levels& lb) {
  size_t nr = lr.values.size(), ng = lg.values.size(), nb = lb.values.size();
  Result out;
  out.table.assign(256, {128, 128, 128, 0});
  for (size_t r = 0; r < nr; ++r)
    for (size_t g = 0; g < ng; ++g)
      for (size_t b = 0; b < nb; ++b)
        SetEntry(out.table, (r * ng + g) * nb + b, lr.values[r], lg.values[g], lb.values[b]);
  out.table.resize(nr * ng * nb);
  out.indexes.reserve(p.data.size());
  for (const Rgb& c : p.data)
    out.indexes.push_back(static_cast<uint8_t>((lr.nearest[c.r] * ng + lg.nearest[c.g]) * nb + lb.nearest[c.b]));
  return out;
}

Result TripleRamps(const Pixels& p) {
  Result out;
  out.table.assign(256, {0, 0, 0, 0});
  for (int i = 0; i < 64; ++i) {
    SetEntry(out.table, static_cast<size_t>(i), 4 * i, 0, 0);
    SetEntry(out.table, static_cast<size_t>(64 + i), 0, 4 * i, 0);
    SetEntry(out.table, static_cast<size_t>(128 + i), 0, 0, 4 * i);
  }
  out.indexes.reserve(p.data.size());
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const Rgb& c = p.At(x, y);
      int k = (x + y) % 3;
      out.indexes.push_back(static_cast<uint8_t>(k == 0 ? c.r >> 2 : k == 1 ? 64 + (c.g >> 2) : 128 + (c.b >> 2)));
    }
  return out;
}

Result Grey(const Pixels& p) {
  Result out;
  out.table.resize(256);
  for (int i = 0; i < 256; ++i) SetEntry(out.table, static_cast<size_t>(i), i, i, i);
  out.indexes.reserve(p.data.size());
  // The weighted sum rounded to the nearest level (pure red gives 77).
  for (const Rgb& c : p.data)
    out.indexes.push_back(static_cast<uint8_t>((c.r * 77 + c.g * 150 + c.b * 29 + 128) >> 8));
  return out;
}

std::unique_ptr<TMemoryStream> WriteBitmap(int width, int height, int bitCount, const Result& r) {
  auto out = std::make_unique<TMemoryStream>();
  size_t stride = ((static_cast<size_t>(width) * static_cast<size_t>(bitCount) + 31) / 32) * 4;
  size_t tableSize = r.table.size() * sizeof(RGBQUAD);
  size_t imageSize = stride * static_cast<size_t>(height);
  BITMAPFILEHEADER fh = {};
  fh.bfType = 0x4D42;
  fh.bfOffBits = static_cast<DWORD>(sizeof fh + sizeof(BITMAPINFOHEADER) + tableSize);
  fh.bfSize = static_cast<DWORD>(fh.bfOffBits + imageSize);
  BITMAPINFOHEADER h = {};
  h.biSize = sizeof h;
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(bitCount);
  h.biCompression = BI_RGB;
  h.biSizeImage = static_cast<DWORD>(imageSize);
  h.biClrUsed = static_cast<DWORD>(r.table.size());
  out->WriteBuffer(&fh, sizeof fh);
  out->WriteBuffer(&h, sizeof h);
  if (tableSize) out->WriteBuffer(r.table.data(), static_cast<int32_t>(tableSize));
  std::vector<uint8_t> row(stride);
  int perByte = 8 / bitCount;
  for (int y = height - 1; y >= 0; --y) {
    std::fill(row.begin(), row.end(), 0);
    const uint8_t* from = &r.indexes[static_cast<size_t>(y) * static_cast<size_t>(width)];
    for (int x = 0; x < width; ++x)
      row[static_cast<size_t>(x / perByte)] |=
          static_cast<uint8_t>(from[x] << (8 - bitCount * (x % perByte + 1)));
    out->WriteBuffer(row.data(), static_cast<int32_t>(stride));
  }
  out->SetPosition(0);
  return out;
}

}  // namespace

std::unique_ptr<TMemoryStream> BitmapToMemoryStream(TBitmap* bitmap, TPixelFormat format,
                                                    TMappingMethod method) {
  if (!bitmap || !bitmap->Handle()) throw EInvalidGraphic(SInvalidBitmap);
  if (format != pf1bit && format != pf4bit && format != pf8bit) NotImplemented();
  if (bitmap->PixelFormat() == format && method != mmGrayscale) {
    auto out = std::make_unique<TMemoryStream>();
    bitmap->SaveToStream(out.get());
    out->SetPosition(0);
    return out;
  }
  if (format != pf8bit && method != mmHistogram) {
    // The system maps the colours onto the standard table of that depth.
    TBitmap copy;
    copy.Assign(bitmap);
    copy.SetPixelFormat(format);
    auto out = std::make_unique<TMemoryStream>();
    copy.SaveToStream(out.get());
    out->SetPosition(0);
    return out;
  }
  Pixels p = Fetch24(bitmap);
  Result r;
  switch (method) {
    case mmHistogram: r = Histogram(p, format == pf1bit ? 2 : format == pf4bit ? 16 : 256); break;
    case mmQuantize: r = MedianCut(p); break;
    case mmTrunc784: r = Truncate(p, kLevels7, kLevels8, kLevels4); break;
    case mmTrunc666: r = Truncate(p, kLevels6, kLevels6, kLevels6); break;
    case mmTripel: r = TripleRamps(p); break;
    case mmGrayscale: r = Grey(p); break;
  }
  return WriteBitmap(p.width, p.height, format == pf1bit ? 1 : format == pf4bit ? 4 : 8, r);
}

std::unique_ptr<TMemoryStream> BitmapToMemory(TBitmap* bitmap, int colors) {
  TPixelFormat format = colors <= 2 ? pf1bit : colors <= 16 ? pf4bit : colors <= 256 ? pf8bit : pf24bit;
  return BitmapToMemoryStream(bitmap, format, DefaultMappingMethod);
}
