// The aligned string grid on a real window: attribute resolution, text
// measuring, the stored-data round trip and hand-made bad data, Tab and
// edit keys sent as real key messages, and marked rows read back as pixels.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../forms/Pump.h"
#include "Aligrid.h"
#include "Forms.h"

namespace {

class GridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application->Initialize();
    form_ = new TForm(Application);
    form_->SetBounds(20, 20, 500, 300);
    grid_ = new TAlignedStringGrid(form_);
    grid_->SetParent(form_);
    grid_->SetBounds(0, 0, 480, 260);
    form_->Show();
    SetForegroundWindow(form_->Handle());
    grid_->SetFocus();
    Application->ProcessMessages();
  }
  void TearDown() override { delete form_; }

  // Keys go where the user's would: the editor while it shows, else the grid
  // (not by the focus, which another program on the display may hold).
  HWND Target() {
    TInplaceEdit* e = grid_->InplaceEditor();
    return e && e->Shown() ? e->Handle() : grid_->Handle();
  }
  void Key(WORD vk, bool shift = false, HWND to = nullptr) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    HWND w = to ? to : Target();
    SendMessageA(w, WM_KEYDOWN, vk, 1);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    Application->ProcessMessages();
  }
  void Type(const std::string& text) {
    for (char c : text) SendMessageA(Target(), WM_CHAR, static_cast<unsigned char>(c), 1);
    Application->ProcessMessages();
  }
  void ClickCell(int col, int row) {
    RECT r = grid_->CellRect(col, row);
    LPARAM at = MAKELPARAM(r.left + 3, r.top + 3);
    SendMessageA(grid_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(grid_->Handle(), WM_LBUTTONUP, 0, at);
    Application->ProcessMessages();
  }
  COLORREF PixelOf(int col, int row) {
    InvalidateRect(grid_->Handle(), nullptr, TRUE);
    UpdateWindow(grid_->Handle());
    RECT r = grid_->CellRect(col, row);
    HDC dc = GetDC(grid_->Handle());
    COLORREF c = GetPixel(dc, r.right - 3, r.bottom - 3);
    ReleaseDC(grid_->Handle(), dc);
    return c;
  }
  TForm* form_ = nullptr;
  TAlignedStringGrid* grid_ = nullptr;
};

std::vector<uint8_t> Saved(TComponent& c) {
  TMemoryStream s;
  WriteComponentData(s, c);
  const auto* p = static_cast<const uint8_t*>(s.Memory());
  return std::vector<uint8_t>(p, p + s.Size());
}

void Load(TComponent& c, const std::vector<uint8_t>& bytes) {
  TMemoryStream s;
  if (!bytes.empty()) s.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  s.SetPosition(0);
  ReadComponentData(s, c);
}

// Stored data holding one byte-stream property.
std::vector<uint8_t> BinaryProperty(const std::string& name, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out;
  out.push_back(static_cast<uint8_t>(name.size()));
  for (char ch : name) out.push_back(static_cast<uint8_t>(ch));
  out.push_back(vaBinary);
  uint32_t n = static_cast<uint32_t>(data.size());
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(n >> (8 * i)));
  for (uint8_t b : data) out.push_back(b);
  out.push_back(0);
  return out;
}

// Stored data holding one list of integers.
std::vector<uint8_t> IntListProperty(const std::string& name, const std::vector<int32_t>& values) {
  TMemoryStream s;
  TWriter w(s);
  s.WriteByte(static_cast<uint8_t>(name.size()));
  s.WriteBuffer(name.data(), static_cast<int32_t>(name.size()));
  w.WriteListBegin();
  for (int32_t v : values) w.WriteInteger(v);
  w.WriteListEnd();
  s.WriteByte(0);
  const auto* p = static_cast<const uint8_t*>(s.Memory());
  return std::vector<uint8_t>(p, p + s.Size());
}

}  // namespace

TEST_F(GridTest, AttributesResolveCellColumnRowDefault) {
  grid_->SetAlignment(TMyAlign::alCenter);
  grid_->SetAlignRow(2, TMyAlign::alRight);
  grid_->SetAlignCol(3, TMyAlign::alLeft);
  grid_->SetAlignCell(3, 2, TMyAlign::alCenter);
  grid_->SetFixedAlignCol(3, TMyAlign::alRight);
  EXPECT_EQ(grid_->CellAlignment(3, 2), TMyAlign::alCenter);  // own
  EXPECT_EQ(grid_->CellAlignment(3, 3), TMyAlign::alLeft);    // column
  EXPECT_EQ(grid_->CellAlignment(2, 2), TMyAlign::alRight);   // row
  EXPECT_EQ(grid_->CellAlignment(2, 3), TMyAlign::alCenter);  // grid
  EXPECT_EQ(grid_->CellAlignment(3, 0), TMyAlign::alRight);   // fixed: fixed column table
  EXPECT_EQ(grid_->CellAlignment(-1, 99), TMyAlign::alCenter);
  grid_->SetEditable(false);
  grid_->SetEditCol(2, true);
  EXPECT_TRUE(grid_->CellEditable(2, 4));
  EXPECT_FALSE(grid_->CellEditable(1, 4));
  grid_->SetColorRow(1, clRed);
  EXPECT_EQ(grid_->CellBrushColor(2, 1), clRed);
  EXPECT_EQ(grid_->CellBrushColor(0, 1), clBtnFace);  // fixed cells keep the fixed brush
  grid_->SetFixedColor(clYellow);
  EXPECT_EQ(grid_->CellBrushColor(0, 3), clYellow);
  grid_->GetFontRow(3)->SetColor(clGreen);
  EXPECT_EQ(grid_->CellFont(1, 3)->Color(), clGreen);
  EXPECT_NE(grid_->CellFont(1, 2)->Color(), clGreen);
  grid_->SetHintCell(1, 1, "first");
  grid_->SetHintCell(1, 1, "second");
  EXPECT_EQ(grid_->CellHint(1, 1), "second");
  EXPECT_EQ(grid_->CellHint(2, 1), "");
}

TEST_F(GridTest, NegativeIndexesFindNothingAndNewBrushesTakeTheGridColour) {
  // Entries stored at a negative index are never found.
  grid_->SetAlignRow(-1, TMyAlign::alRight);
  grid_->SetAlignCell(-1, 2, TMyAlign::alCenter);
  grid_->SetEditCol(-2, false);
  grid_->SetSelectedColorRow(-1, clTeal);
  grid_->SetHintCell(1, -1, "hidden");
  grid_->GetFontRow(-1)->SetColor(clGreen);
  grid_->GetBrushRow(-1)->SetColor(clRed);
  EXPECT_EQ(grid_->CellAlignment(2, -1), TMyAlign::alLeft);
  EXPECT_EQ(grid_->CellAlignment(-1, 2), TMyAlign::alLeft);
  EXPECT_TRUE(grid_->CellEditable(-2, 3));
  EXPECT_EQ(grid_->CellSelectedColor(1, -1), grid_->SelectedCellColor());
  EXPECT_EQ(grid_->CellHint(1, -1), "");
  EXPECT_EQ(grid_->CellFont(1, -1), grid_->Font());
  EXPECT_NE(grid_->CellBrushColor(1, -1), clRed);
  // A brush made after the grid's colour changed has the new colour, also
  // once cells were drawn with the old one.
  PixelOf(1, 1);
  grid_->SetColor(clAqua);
  for (TBrush* b : {grid_->GetBrushCol(2), grid_->GetBrushRow(3), grid_->GetBrushCell(2, 2),
                    grid_->GetBrushFixedCol(0), grid_->GetBrushFixedRow(0)})
    EXPECT_EQ(b->Color(), clAqua);
  EXPECT_EQ(PixelOf(3, 4), RGB(0, 255, 255));
}

TEST_F(GridTest, CollectedTextsStayAtDesignTime) {
  grid_->SetCells(2, 0, "R");
  grid_->SetCells(4, 0, "Item");
  const std::vector<uint8_t> data = Saved(*grid_);
  const std::vector<uint8_t> none = {0};  // stored data without texts
  // Running: every load puts exactly its own texts into the cells.
  TAlignedStringGrid running(nullptr);
  Load(running, data);
  EXPECT_EQ(running.Cells(4, 0), "Item");
  Load(running, none);
  EXPECT_EQ(running.Cells(4, 0), "");
  // At design time the collected texts are kept for a later load.
  TAlignedStringGrid designed(nullptr);
  designed.SetDesigning(true);
  Load(designed, data);
  EXPECT_EQ(designed.Cells(2, 0), "R");
  Load(designed, none);
  EXPECT_EQ(designed.Cells(2, 0), "R");
  EXPECT_EQ(designed.Cells(4, 0), "Item");
}

TEST_F(GridTest, MeasureCellTextSplitsAtCarriageReturns) {
  int w1, h1, w2, h2, w3, h3, we, he;
  grid_->MeasureCellText("Item", 1, 1, w1, h1);
  grid_->MeasureCellText("Item\r\nItem", 1, 1, w2, h2);
  grid_->MeasureCellText("Item\rItem", 1, 1, w3, h3);
  grid_->MeasureCellText("", 1, 1, we, he);
  HDC dc = GetDC(grid_->Handle());
  HGDIOBJ old = SelectObject(dc, grid_->Font()->Handle());
  SIZE s;
  GetTextExtentPoint32A(dc, "Item", 4, &s);
  SelectObject(dc, old);
  ReleaseDC(grid_->Handle(), dc);
  EXPECT_EQ(w1, s.cx + 4);
  EXPECT_EQ(h1, s.cy);
  EXPECT_EQ(w2, w1);
  EXPECT_EQ(h2, 2 * h1);
  EXPECT_EQ(w3, w2);  // the line feed is not measured
  EXPECT_EQ(we, 0);
  EXPECT_EQ(he, h1);
}

TEST_F(GridTest, StoredDataRoundTrip) {
  grid_->SetColCount(6);
  grid_->SetCells(2, 0, "R");
  grid_->SetCells(3, 0, "S");
  grid_->SetCells(4, 0, "Item");
  grid_->SetAlignRow(1, TMyAlign::alRight);
  grid_->SetFixedAlignRow(0, TMyAlign::alCenter);
  grid_->SetAlignCol(7, TMyAlign::alCenter);  // past the columns: kept
  grid_->SetAlignCell(2, 3, TMyAlign::alRight);
  grid_->SetEditCol(4, false);
  grid_->SetHintCell(4, 2, "a hint");
  grid_->SetSelectedColorRow(2, clTeal);
  std::vector<uint8_t> data = Saved(*grid_);

  TAlignedStringGrid copy(nullptr);
  copy.SetColCount(6);
  Load(copy, data);
  EXPECT_EQ(copy.Cells(2, 0), "R");
  EXPECT_EQ(copy.Cells(3, 0), "S");
  EXPECT_EQ(copy.Cells(4, 0), "Item");
  EXPECT_EQ(copy.Cells(1, 1), "");
  EXPECT_EQ(copy.CellAlignment(1, 1), TMyAlign::alRight);
  EXPECT_EQ(copy.CellAlignment(1, 0), TMyAlign::alCenter);
  EXPECT_EQ(copy.CellAlignment(2, 3), TMyAlign::alRight);
  EXPECT_FALSE(copy.CellEditable(4, 3));
  EXPECT_EQ(copy.CellHint(4, 2), "a hint");
  EXPECT_EQ(copy.CellSelectedColor(1, 2), clTeal);
  // Written again, the same bytes.
  EXPECT_EQ(Saved(copy), data);
  copy.SetColCount(8);
  EXPECT_EQ(copy.CellAlignment(7, 2), TMyAlign::alCenter);
  // Older data: colours of brushes, read only.
  TAlignedStringGrid old(nullptr);
  Load(old, IntListProperty("ColorRow", {2, static_cast<int32_t>(clRed)}));
  EXPECT_EQ(old.CellBrushColor(1, 2), clRed);
}

TEST_F(GridTest, BadStoredDataIsRefused) {
  struct Case {
    const char* what;
    std::vector<uint8_t> data;
  } cases[] = {
      {"record size", BinaryProperty("AlignCol", {1, 0, 1, 2})},
      {"cell record size", BinaryProperty("AlignCell", {1, 0, 1, 0, 1, 1})},
      {"alignment value", BinaryProperty("AlignRow", {1, 0, 9})},
      {"permission value", BinaryProperty("EditCol", {1, 0, 2})},
      {"block past the end", {8, 'A', 'l', 'i', 'g', 'n', 'C', 'o', 'l', vaBinary, 0xFF, 0xFF, 0, 0, 1}},
      {"index too large", IntListProperty("SelectedColorRow", {70000, 5})},
      {"negative index", IntListProperty("ColorCol", {-1, 5})},
      {"list without end", {8, 'H', 'i', 'n', 't', 'C', 'e', 'l', 'l', vaList, vaInt8, 1}},
      {"string past the end", {8, 'H', 'i', 'n', 't', 'C', 'e', 'l', 'l', vaList, vaInt8, 1, vaInt8, 1,
                               vaLString, 0xFF, 0xFF, 0xFF, 0x7F, 'x'}},
      {"unknown property", BinaryProperty("Bogus", {})},
      {"bad value tag", {8, 'H', 'i', 'n', 't', 'C', 'e', 'l', 'l', 0xEE}},
  };
  for (const Case& c : cases) {
    TAlignedStringGrid g(nullptr);
    EXPECT_THROW(Load(g, c.data), EReadError) << c.what;
  }
  // The largest stored indexes make one entry, not a table of that size.
  TAlignedStringGrid g(nullptr);
  Load(g, BinaryProperty("AlignCell", {0xFF, 0xFF, 0xFF, 0xFF, 0}));
  EXPECT_EQ(g.CellAlignment(65535, 65535), TMyAlign::alRight);
}

// Entries at indexes that stored data cannot hold are left out when
// writing, so what is written always loads again.
TEST_F(GridTest, OutOfRangeEntriesAreNotWritten) {
  grid_->SetHintCell(4, 2, "kept");
  grid_->SetHintCell(-1, 0, "negative");
  grid_->SetHintCell(1, 70000, "too far");
  grid_->SetSelectedColorCol(-3, clRed);
  grid_->SetSelectedColorRow(65536, clRed);
  grid_->SetSelectedColorCell(0, -1, clRed);
  grid_->SetAlignRow(-2, TMyAlign::alRight);
  grid_->GetFontRow(-1)->SetColor(clRed);
  grid_->GetBrushCell(-1, 3)->SetColor(clRed);
  std::vector<uint8_t> data = Saved(*grid_);
  TAlignedStringGrid copy(nullptr);
  ASSERT_NO_THROW(Load(copy, data));
  EXPECT_EQ(copy.CellHint(4, 2), "kept");
  EXPECT_EQ(copy.CellHint(1, 0), "");
}

// Shrinking the grid drops the attributes of the columns and rows that
// went; growing it again shows the defaults there.
TEST_F(GridTest, ShrinkingCutsColumnAndRowTables) {
  grid_->SetColCount(6);
  grid_->SetRowCount(6);
  grid_->SetAlignCol(5, TMyAlign::alRight);
  grid_->SetAlignCell(5, 1, TMyAlign::alCenter);
  grid_->SetEditCol(5, false);
  grid_->SetHintCell(5, 1, "col five");
  grid_->SetSelectedColorCol(5, clRed);
  grid_->GetBrushCol(5)->SetColor(clRed);
  grid_->SetAlignRow(5, TMyAlign::alRight);
  grid_->SetHintCell(1, 5, "row five");
  grid_->SetColCount(5);
  grid_->SetRowCount(5);
  grid_->SetColCount(6);
  grid_->SetRowCount(6);
  EXPECT_EQ(grid_->CellAlignment(5, 1), TMyAlign::alLeft);
  EXPECT_EQ(grid_->CellAlignment(1, 5), TMyAlign::alLeft);
  EXPECT_TRUE(grid_->CellEditable(5, 2));
  EXPECT_EQ(grid_->CellHint(5, 1), "");
  EXPECT_EQ(grid_->CellHint(1, 5), "");
  EXPECT_EQ(grid_->CellSelectedColor(5, 2), grid_->SelectedCellColor());
  EXPECT_EQ(grid_->CellBrushColor(5, 2), grid_->CellBrushColor(4, 2));
}

// Mutated copies of good stored data either load or raise a read error.
TEST_F(GridTest, MutatedStoredDataNeverCrashes) {
  grid_->SetCells(2, 0, "R");
  grid_->SetAlignRow(1, TMyAlign::alRight);
  grid_->SetAlignCell(2, 3, TMyAlign::alCenter);
  grid_->SetEditCol(4, false);
  grid_->SetHintCell(4, 2, "a hint");
  grid_->SetSelectedColorRow(2, clTeal);
  std::vector<uint8_t> good = Saved(*grid_);
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
  int refused = 0;
  for (int i = 0; i < 3000; ++i) {
    std::vector<uint8_t> bad = good;
    for (int n = 1 + next() % 4; n > 0; --n) bad[next() % bad.size()] = static_cast<uint8_t>(next() >> 16);
    if (next() % 8 == 0) bad.resize(next() % bad.size());
    TAlignedStringGrid g(nullptr);
    try {
      Load(g, bad);
    } catch (const EReadError&) {
      ++refused;
    }
  }
  EXPECT_GT(refused, 0);
}

TEST_F(GridTest, TabFollowsNextCellSetting) {
  grid_->SetOptions(grid_->Options() | goTabs);
  grid_->FocusCell(4, 4);  // the last cell
  grid_->AfterLastCellTab = lc_first;
  Key(VK_TAB);
  EXPECT_EQ(grid_->Col(), 1);
  EXPECT_EQ(grid_->Row(), 1);
  grid_->FocusCell(4, 4);
  grid_->AfterLastCellTab = lc_stop;
  Key(VK_TAB);
  EXPECT_EQ(grid_->Col(), 4);
  EXPECT_EQ(grid_->Row(), 4);
  grid_->AfterLastCellTab = lc_newcolrow;
  Key(VK_TAB);
  EXPECT_EQ(grid_->RowCount(), 6);
  EXPECT_EQ(grid_->Col(), 1);
  EXPECT_EQ(grid_->Row(), 5);
  // Shift+Tab from the first column: last column of the row above.
  Key(VK_TAB, true);
  EXPECT_EQ(grid_->Col(), 4);
  EXPECT_EQ(grid_->Row(), 4);
  Key(VK_TAB, true);
  EXPECT_EQ(grid_->Col(), 3);
  // Downwards first: the next row, then the next column at the top.
  grid_->NextCellTab = nc_downright;
  grid_->FocusCell(2, 5);
  Key(VK_TAB);
  EXPECT_EQ(grid_->Col(), 3);
  EXPECT_EQ(grid_->Row(), 1);
  // A cell the grid refuses is passed over.
  grid_->OnSelectCell = [](TObject*, int, int row, bool& ok) { ok = row != 2; };
  Key(VK_TAB);
  EXPECT_EQ(grid_->Row(), 3);
}

TEST_F(GridTest, EditKeysRaiseEventsOnce) {
  grid_->SetOptions(grid_->Options() | goEditing);
  std::vector<std::string> events;
  auto log = [&](const char* what) {
    return [&events, what](TObject*, int c, int r) {
      events.push_back(std::string(what) + std::to_string(c) + std::to_string(r));
    };
  };
  grid_->OnBeforeEdit = log("before");
  grid_->OnAfterEdit = log("after");
  grid_->OnCancelEdit = log("cancel");
  grid_->SetCells(1, 1, "old");
  grid_->FocusCell(1, 1);
  Key(VK_F2);
  ASSERT_TRUE(grid_->InplaceEditor() && grid_->InplaceEditor()->Shown());
  EXPECT_TRUE(grid_->Editing());
  Type("X");
  Key(VK_RETURN);
  EXPECT_EQ(grid_->Cells(1, 1), "X");
  EXPECT_FALSE(grid_->Editing());
  EXPECT_EQ(events, (std::vector<std::string>{"before11", "after11"}));
  // Moving on after Enter does not report the old cell again.
  events.clear();
  grid_->FocusCell(2, 1);
  Key(VK_F2);
  Type("Y");
  Key(VK_ESCAPE);
  EXPECT_EQ(grid_->Cells(2, 1), "");
  EXPECT_EQ(events, (std::vector<std::string>{"before21", "cancel21"}));
  // The editor moved by the mouse: after-edit for the old cell, before-edit
  // for the new one. (Should another program on the display take the focus,
  // the edit of the new cell ends and may begin again.)
  events.clear();
  Key(VK_F2);
  ClickCell(3, 2);
  ClickCell(3, 2);  // a click on the current cell opens the editor
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(events.begin(), events.begin() + 3),
            (std::vector<std::string>{"before21", "after21", "before32"}));
  for (size_t i = 3; i < events.size(); ++i)
    EXPECT_TRUE(events[i] == "after32" || events[i] == "before32") << events[i];
  // Keys while the editor has no cell are swallowed.
  auto* editor = static_cast<TNewInplaceEdit*>(grid_->InplaceEditor());
  editor->ForgetCell();
  SendMessageA(editor->Handle(), WM_CHAR, 'Z', 1);
  Key(VK_RETURN, false, editor->Handle());
  EXPECT_EQ(grid_->Cells(3, 2), "");
}

TEST_F(GridTest, AutoEditNextCellGrowsTheGridOnce) {
  grid_->SetOptions(grid_->Options() | goEditing);
  grid_->AutoEditNextCell = true;
  grid_->SetEditable(false);
  grid_->SetEditCell(4, 4, true);
  grid_->FocusCell(4, 4);
  Key(VK_F2);
  Key(VK_RETURN);
  Application->ProcessMessages();
  EXPECT_EQ(grid_->RowCount(), 6);  // one new row, then the search ends
  EXPECT_EQ(grid_->Col(), 4);
  EXPECT_EQ(grid_->Row(), 4);
  // With an editable cell ahead, Enter moves there and opens the editor.
  grid_->SetEditable(true);
  grid_->FocusCell(2, 2);
  Key(VK_F2);
  Key(VK_RETURN);
  Application->ProcessMessages();
  EXPECT_EQ(grid_->Col(), 3);
  EXPECT_TRUE(grid_->InplaceEditor()->Shown());
}

TEST_F(GridTest, MarkedRowsPaintInSelectionColours) {
  grid_->SetDrawSelection(false);
  grid_->SetDrawSpecialSelection(true);
  grid_->SetSelectedCellColor(clTeal);
  grid_->SetSelectedRow(3, true);
  grid_->FocusCell(2, 1);
  EXPECT_EQ(PixelOf(2, 3), ColorToRGB(clTeal));
  EXPECT_EQ(PixelOf(2, 1), ColorToRGB(clWindow));  // the focused cell keeps its colours
  grid_->ClearSelectedRows(false);
  EXPECT_FALSE(grid_->GetSelectedRow(3));
  EXPECT_EQ(PixelOf(2, 3), ColorToRGB(clWindow));
  // Row attributes do not survive a smaller row count.
  grid_->SetColorRow(4, clRed);
  grid_->SetSelectedRow(4, true);
  grid_->SetRowCount(3);
  grid_->SetRowCount(5);
  EXPECT_EQ(grid_->CellBrushColor(2, 4), clWindow);
  EXPECT_FALSE(grid_->GetSelectedRow(4));
}

TEST_F(GridTest, MouseSizesColumnsAndStretchesTheSelection) {
  grid_->SetOptions(grid_->Options() | goColSizing | goRowSizing);
  int widthEvents = 0;
  grid_->OnColWidthsChanged = [&](TObject*) { ++widthEvents; };
  HWND h = grid_->Handle();
  RECT c2 = grid_->CellRect(2, 0);
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c2.right, 5));
  SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(c2.right + 30, 5));
  SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(c2.right + 30, 5));
  EXPECT_EQ(grid_->ColWidths(2), 64 + 30);
  EXPECT_GE(widthEvents, 1);
  RECT r1 = grid_->CellRect(0, 1);
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, r1.bottom));
  SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, r1.bottom - 10));
  SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(5, r1.bottom - 10));
  EXPECT_EQ(grid_->RowHeights(1), 24 - 10);
  // A press and a drag over cells select the range between them.
  RECT a = grid_->CellRect(1, 1), b = grid_->CellRect(3, 3);
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(a.left + 5, a.top + 5));
  SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(b.left + 5, b.top + 5));
  SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(b.left + 5, b.top + 5));
  TGridRect s = grid_->Selection();
  EXPECT_EQ(s.Left, 1);
  EXPECT_EQ(s.Top, 1);
  EXPECT_EQ(s.Right, 3);
  EXPECT_EQ(s.Bottom, 3);
  EXPECT_EQ(grid_->Col(), 3);
  // Shift+click and Shift+arrow stretch it from the same anchor.
  RECT d = grid_->CellRect(2, 4);
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(d.left + 5, d.top + 5));
  SendMessageA(h, WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(d.left + 5, d.top + 5));
  s = grid_->Selection();
  EXPECT_EQ(s.Right, 2);
  EXPECT_EQ(s.Bottom, 4);
  Key(VK_RIGHT, true);
  EXPECT_EQ(grid_->Selection().Right, 3);
  Key(VK_RIGHT);  // without Shift: one cell again
  s = grid_->Selection();
  EXPECT_EQ(s.Left, 4);
  EXPECT_EQ(s.Right, 4);
}

TEST_F(GridTest, MovesAndInsertsCarryAttributes) {
  grid_->SetCells(1, 1, "a");
  grid_->SetCells(2, 1, "b");
  grid_->SetAlignCol(1, TMyAlign::alRight);
  grid_->SetHintCell(1, 1, "hint a");
  grid_->MoveColumn(1, 3);
  EXPECT_EQ(grid_->Cells(3, 1), "a");
  EXPECT_EQ(grid_->Cells(1, 1), "b");
  EXPECT_EQ(grid_->CellAlignment(3, 2), TMyAlign::alRight);
  EXPECT_EQ(grid_->CellHint(3, 1), "hint a");
  EXPECT_THROW(grid_->MoveColumn(1, 5), EInvalidGridOperation);
  EXPECT_THROW(grid_->MoveRow(-1, 2), EInvalidGridOperation);
  grid_->InsertCol(0);  // raised to the first non-fixed column
  EXPECT_EQ(grid_->ColCount(), 6);
  EXPECT_EQ(grid_->Cells(1, 1), "");
  EXPECT_EQ(grid_->Cells(2, 1), "b");
  EXPECT_EQ(grid_->Cells(4, 1), "a");
  EXPECT_EQ(grid_->CellAlignment(4, 2), TMyAlign::alRight);
  grid_->SetSelectedRow(2, true);
  grid_->InsertRow(2);
  EXPECT_TRUE(grid_->GetSelectedRow(3));
  EXPECT_FALSE(grid_->GetSelectedRow(2));
}

TEST(GridHints, CellHintShowsBelowTheCellAndFollowsTheMouse) {
  Application->Initialize();
  Application->HintPause = 50;
  std::vector<std::string> order;
  Application->OnShowHint = [&](std::string& s, bool&, THintInfo&) { order.push_back("before:" + s); };
  auto* form = new TForm(Application);
  form->SetBounds(20, 20, 400, 250);
  auto* grid = new TAlignedStringGrid(form);
  grid->SetParent(form);
  grid->SetBounds(0, 0, 380, 200);
  grid->SetHintCell(2, 1, "Cell two one");
  form->Show();
  Application->ProcessMessages();
  auto moveTo = [&](int col, int row) {
    RECT r = grid->CellRect(col, row);
    POINT p = {r.left + 5, r.top + 5};
    ClientToScreen(grid->Handle(), &p);
    SetCursorPos(p.x, p.y);
    PumpUntil([] { return false; }, 150);
  };
  HWND hint = Application->HintWindow();
  moveTo(2, 1);
  moveTo(2, 1);
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(hint) != FALSE; }, 3000));
  char text[64] = {};
  GetWindowTextA(hint, text, sizeof text);
  EXPECT_STREQ(text, "Cell two one");
  RECT cell = grid->CellRect(2, 1), w;
  POINT corner = {cell.left, cell.bottom};
  ClientToScreen(grid->Handle(), &corner);
  GetWindowRect(hint, &w);
  EXPECT_EQ(w.left, corner.x);
  EXPECT_EQ(w.top, corner.y + 6);
  // The handler that was there before runs after the grid's.
  ASSERT_FALSE(order.empty());
  EXPECT_EQ(order.back(), "before:Cell two one");
  // Another cell: the hint goes; a cell without a hint shows none.
  moveTo(4, 3);
  EXPECT_FALSE(IsWindowVisible(hint));
  moveTo(4, 3);
  PumpUntil([] { return false; }, 300);
  EXPECT_FALSE(IsWindowVisible(hint));
  delete form;
  // The last grid gone, the handler from before is back.
  std::string s = "x";
  bool can = true;
  THintInfo info;
  Application->OnShowHint(s, can, info);
  EXPECT_EQ(order.back(), "before:x");
  Application->OnShowHint = nullptr;
}
