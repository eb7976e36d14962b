// The grid's attribute tables in its stored data: byte streams of fixed
// records for alignments and edit permissions, value lists for the rest.
#include "Aligrid.h"
#include "FontRecord.h"

namespace {

const char* const SBadGridData = "Invalid grid data";
constexpr int kMaxIndex = 0xFFFF;  // indexes are stored in two bytes

bool InRange(int i) { return i >= 0 && i <= kMaxIndex; }
bool InRange(const std::pair<int, int>& cell) { return InRange(cell.first) && InRange(cell.second); }

int CheckIndex(int i) {
  if (!InRange(i)) throw EReadError(SBadGridData);
  return i;
}

// Reads fixed-size records to the end of the block.
template <class Fn>
void ReadRecords(TStream& s, int size, Fn each) {
  const int64_t total = s.Size() - s.Position();
  if (total % size != 0) throw EReadError(SBadGridData);
  for (int64_t n = total / size; n > 0; --n) each();
}

template <class V, class Fn>
void WriteLineBytes(TStream& s, const std::map<int, V>& m, Fn value) {
  for (const auto& e : m) {
    if (!InRange(e.first)) continue;
    s.WriteWord(static_cast<uint16_t>(e.first));
    s.WriteByte(value(e.second));
  }
}

template <class V, class Fn>
void WriteCellBytes(TStream& s, const std::map<std::pair<int, int>, V>& m, Fn value) {
  // Column by column, rows in order: the map's own order.
  for (const auto& e : m) {
    if (!InRange(e.first)) continue;
    s.WriteWord(static_cast<uint16_t>(e.first.first));
    s.WriteWord(static_cast<uint16_t>(e.first.second));
    s.WriteByte(value(e.second));
  }
}

uint8_t AlignByte(TMyAlign a) { return static_cast<uint8_t>(a); }
TMyAlign ReadAlign(TStream& s) {
  uint8_t v = s.ReadByte();
  if (v > static_cast<uint8_t>(TMyAlign::alCenter)) throw EReadError(SBadGridData);
  return static_cast<TMyAlign>(v);
}
bool ReadFlag(TStream& s) {
  uint8_t v = s.ReadByte();
  if (v > 1) throw EReadError(SBadGridData);
  return v == 1;
}

void WriteFont(TWriter& w, TFont& f) { WriteFontRecord(w, f); }
void ReadFont(TReader& r, TFont& f) { ReadFontRecord(r, f, SBadGridData); }
void WriteBrush(TWriter& w, TBrush& b) {
  w.WriteInteger(b.Color());
  w.WriteInteger(b.Style());
}
void ReadBrush(TReader& r, TBrush& b) {
  b.SetColor(r.ReadInteger());
  int style = r.ReadInteger();
  if (style < bsSolid || style > bsDiagCross) throw EReadError(SBadGridData);
  b.SetStyle(static_cast<TBrushStyle>(style));
}

}  // namespace

void TAlignedStringGrid::ReadColorList(TReader& r, int kind) {
  r.ReadListBegin();
  while (!r.EndOfList()) {
    int a = CheckIndex(r.ReadInteger());
    if (kind == 0) {
      int b = CheckIndex(r.ReadInteger());
      GetBrushCell(a, b)->SetColor(r.ReadInteger());
      continue;
    }
    TColor c = r.ReadInteger();
    switch (kind) {
      case 1: GetBrushCol(a)->SetColor(c); break;
      case 2: GetBrushFixedCol(a)->SetColor(c); break;
      case 3: GetBrushRow(a)->SetColor(c); break;
      default: GetBrushFixedRow(a)->SetColor(c); break;
    }
  }
  r.ReadListEnd();
}

void TAlignedStringGrid::DefineProperties(TFiler& filer) {
  TStringGrid::DefineProperties(filer);
  // Byte streams.
  auto cellBytes = [&](const char* name, unsigned flag, auto& table, auto read, auto toByte) {
    filer.DefineBinaryProperty(
        name,
        [this, &table, flag, read](TStream& s) {
          ReadRecords(s, 5, [&] {
            int c = s.ReadWord(), r = s.ReadWord();
            table[{c, r}] = read(s);
          });
          has_[flag] = true;
        },
        [&table, toByte](TStream& s) { WriteCellBytes(s, table, toByte); }, has_[flag]);
  };
  auto lineBytes = [&](const char* name, unsigned flag, auto& table, auto read, auto toByte) {
    filer.DefineBinaryProperty(
        name,
        [this, &table, flag, read](TStream& s) {
          ReadRecords(s, 3, [&] {
            int i = s.ReadWord();
            table[i] = read(s);
          });
          has_[flag] = true;
        },
        [&table, toByte](TStream& s) { WriteLineBytes(s, table, toByte); }, has_[flag]);
  };
  auto flagByte = [](bool b) { return static_cast<uint8_t>(b ? 1 : 0); };
  cellBytes("AlignCell", hAlignCell, alignCell_, ReadAlign, AlignByte);
  lineBytes("AlignCol", hAlignCol, alignCol_, ReadAlign, AlignByte);
  lineBytes("FixedAlignCol", hFixedAlignCol, fixedAlignCol_, ReadAlign, AlignByte);
  lineBytes("AlignRow", hAlignRow, alignRow_, ReadAlign, AlignByte);
  lineBytes("FixedAlignRow", hFixedAlignRow, fixedAlignRow_, ReadAlign, AlignByte);
  cellBytes("EditCell", hEditCell, editCell_, ReadFlag, flagByte);
  lineBytes("EditCol", hEditCol, editCol_, ReadFlag, flagByte);
  lineBytes("EditRow", hEditRow, editRow_, ReadFlag, flagByte);

  // Value lists: (column, row, value) or (index, value) until the list ends.
  auto cellList = [&](const char* name, bool hasData, auto readValue, auto writeEntries) {
    filer.DefineProperty(
        name,
        [readValue](TReader& r) {
          r.ReadListBegin();
          while (!r.EndOfList()) {
            int c = CheckIndex(r.ReadInteger()), row = CheckIndex(r.ReadInteger());
            readValue(r, c, row);
          }
          r.ReadListEnd();
        },
        [writeEntries](TWriter& w) {
          w.WriteListBegin();
          writeEntries(w);
          w.WriteListEnd();
        },
        hasData);
  };
  auto lineList = [&](const char* name, bool hasData, auto readValue, auto writeEntries) {
    filer.DefineProperty(
        name,
        [readValue](TReader& r) {
          r.ReadListBegin();
          while (!r.EndOfList()) readValue(r, CheckIndex(r.ReadInteger()));
          r.ReadListEnd();
        },
        [writeEntries](TWriter& w) {
          w.WriteListBegin();
          writeEntries(w);
          w.WriteListEnd();
        },
        hasData);
  };

  // Tables of values: reading an entry marks the table as held.
  auto cellTable = [&](const char* name, unsigned flag, auto& table, auto readOne, auto writeOne) {
    cellList(name, has_[flag],
             [this, &table, flag, readOne](TReader& r, int c, int row) {
               readOne(r, table[{c, row}]);
               has_[flag] = true;
             },
             [&table, writeOne](TWriter& w) {
               for (auto& e : table) {
                 if (!InRange(e.first)) continue;
                 w.WriteInteger(e.first.first);
                 w.WriteInteger(e.first.second);
                 writeOne(w, e.second);
               }
             });
  };
  auto lineTable = [&](const char* name, unsigned flag, auto& table, auto readOne, auto writeOne) {
    lineList(name, has_[flag],
             [this, &table, flag, readOne](TReader& r, int i) {
               readOne(r, table[i]);
               has_[flag] = true;
             },
             [&table, writeOne](TWriter& w) {
               for (auto& e : table) {
                 if (!InRange(e.first)) continue;
                 w.WriteInteger(e.first);
                 writeOne(w, e.second);
               }
             });
  };
  auto readString = [](TReader& r, std::string& v) { v = r.ReadString(); };
  auto writeString = [](TWriter& w, const std::string& v) { w.WriteString(v); };
  auto readFont = [this](TReader& r, FontPtr& f) {
    if (!f) f = NewFont();
    ReadFont(r, *f);
  };
  auto writeFont = [](TWriter& w, const FontPtr& f) { WriteFont(w, *f); };
  auto readBrush = [this](TReader& r, BrushPtr& b) {
    if (!b) b = NewBrush();
    ReadBrush(r, *b);
  };
  auto writeBrush = [](TWriter& w, const BrushPtr& b) { WriteBrush(w, *b); };
  auto readColor = [](TReader& r, TColor& v) { v = r.ReadInteger(); };
  auto writeColor = [](TWriter& w, TColor v) { w.WriteInteger(v); };

  cellTable("HintCell", hHintCell, hintCell_, readString, writeString);
  bool anyText = false;
  for (int c = 0; c < ColCount() && !anyText; ++c)
    for (int r = 0; r < RowCount() && !anyText; ++r) anyText = !Cells(c, r).empty();
  cellList("Cells", anyText,
           [this](TReader& r, int c, int row) { loadedCells_[{c, row}] = r.ReadString(); },
           [this](TWriter& w) {
             for (int c = 0; c < ColCount(); ++c)
               for (int r = 0; r < RowCount(); ++r)
                 if (!Cells(c, r).empty()) {
                   w.WriteInteger(c);
                   w.WriteInteger(r);
                   w.WriteString(Cells(c, r));
                 }
           });

  cellTable("FontCell", hFontCell, fontCell_, readFont, writeFont);
  lineTable("FontCol", hFontCol, fontCol_, readFont, writeFont);
  lineTable("FontFixedCol", hFontFixedCol, fontFixedCol_, readFont, writeFont);
  lineTable("FontRow", hFontRow, fontRow_, readFont, writeFont);
  lineTable("FontFixedRow", hFontFixedRow, fontFixedRow_, readFont, writeFont);
  cellTable("BrushCell", hBrushCell, brushCell_, readBrush, writeBrush);
  lineTable("BrushCol", hBrushCol, brushCol_, readBrush, writeBrush);
  lineTable("BrushFixedCol", hBrushFixedCol, brushFixedCol_, readBrush, writeBrush);
  lineTable("BrushRow", hBrushRow, brushRow_, readBrush, writeBrush);
  lineTable("BrushFixedRow", hBrushFixedRow, brushFixedRow_, readBrush, writeBrush);
  // Older stored data: colours of the brushes, read only.
  const char* colorNames[] = {"ColorCell", "ColorCol", "ColorFixedCol", "ColorRow", "ColorFixedRow"};
  for (int k = 0; k < 5; ++k)
    filer.DefineProperty(colorNames[k], [this, k](TReader& r) { ReadColorList(r, k); }, nullptr, false);

  cellTable("SelectedColorCell", hSelColorCell, selColorCell_, readColor, writeColor);
  lineTable("SelectedColorCol", hSelColorCol, selColorCol_, readColor, writeColor);
  lineTable("SelectedColorRow", hSelColorRow, selColorRow_, readColor, writeColor);
}
