#include "Aligrid.h"

#include <algorithm>
#include <limits>

namespace {

// A negative index finds nothing, whatever a table holds.
bool Negative(int i) { return i < 0; }
bool Negative(const std::pair<int, int>& cell) { return cell.first < 0 || cell.second < 0; }

template <class M, class K>
auto Find(const M& m, const K& k) -> const typename M::mapped_type* {
  if (Negative(k)) return nullptr;
  auto it = m.find(k);
  return it == m.end() ? nullptr : &it->second;
}

// Index tables: insert an absent entry at index, or move one entry.
template <class V>
void ShiftLine(std::map<int, V>& m, int index) {
  std::map<int, V> out;
  for (auto& e : m) out.emplace(e.first >= index ? e.first + 1 : e.first, std::move(e.second));
  m.swap(out);
}
template <class V>
void ShiftCells(std::map<std::pair<int, int>, V>& m, bool cols, int index) {
  std::map<std::pair<int, int>, V> out;
  for (auto& e : m) {
    auto k = e.first;
    int& i = cols ? k.first : k.second;
    if (i >= index) ++i;
    out.emplace(k, std::move(e.second));
  }
  m.swap(out);
}
int Moved(int i, int from, int to) {
  if (i == from) return to;
  if (from < to && i > from && i <= to) return i - 1;
  if (from > to && i >= to && i < from) return i + 1;
  return i;
}
template <class V>
void MoveLine(std::map<int, V>& m, int from, int to) {
  std::map<int, V> out;
  for (auto& e : m) out.emplace(Moved(e.first, from, to), std::move(e.second));
  m.swap(out);
}
template <class V>
void MoveCells(std::map<std::pair<int, int>, V>& m, bool cols, int from, int to) {
  std::map<std::pair<int, int>, V> out;
  for (auto& e : m) {
    auto k = e.first;
    int& i = cols ? k.first : k.second;
    i = Moved(i, from, to);
    out.emplace(k, std::move(e.second));
  }
  m.swap(out);
}
template <class V>
void CutLine(std::map<int, V>& m, int count) {
  m.erase(m.lower_bound(count), m.end());
}
template <class V>
void CutCellRows(std::map<std::pair<int, int>, V>& m, int count) {
  for (auto it = m.begin(); it != m.end();) it = it->first.second >= count ? m.erase(it) : ++it;
}
template <class V>
void CutCellCols(std::map<std::pair<int, int>, V>& m, int count) {
  m.erase(m.lower_bound({count, std::numeric_limits<int>::min()}), m.end());
}

// The application's hint handlers of the grids, the last registered first;
// the handler that was there before the first grid runs last and comes
// back when the last grid goes.
struct HintHandlers {
  std::vector<std::pair<TAlignedStringGrid*, TShowHintEvent>> list;
  TShowHintEvent previous;
};

HintHandlers& Hints() {
  // Never freed: grids of forms freed at exit still unregister.
  static auto* h = new HintHandlers;
  return *h;
}

void RegisterHintHandler(TAlignedStringGrid* grid, TShowHintEvent handler) {
  HintHandlers& h = Hints();
  if (h.list.empty()) {
    h.previous = Application->OnShowHint;
    Application->OnShowHint = [](std::string& s, bool& can, THintInfo& info) {
      auto list = Hints().list;
      for (auto it = list.rbegin(); it != list.rend(); ++it) it->second(s, can, info);
      if (Hints().previous) Hints().previous(s, can, info);
    };
  }
  h.list.emplace_back(grid, std::move(handler));
}

void UnregisterHintHandler(TAlignedStringGrid* grid) {
  HintHandlers& h = Hints();
  for (auto it = h.list.begin(); it != h.list.end(); ++it)
    if (it->first == grid) {
      h.list.erase(it);
      break;
    }
  if (h.list.empty()) {
    Application->OnShowHint = h.previous;
    h.previous = nullptr;
  }
}

}  // namespace

TNewInplaceEdit::TNewInplaceEdit(TAlignedStringGrid* grid) : TInplaceEdit(grid), aligned_(grid) {}

void TNewInplaceEdit::FillCreateParams(CreateParams& p) {
  TInplaceEdit::FillCreateParams(p);
  p.style &= ~static_cast<DWORD>(ES_LEFT | ES_CENTER | ES_RIGHT);
  p.style |= alignment_ == TMyAlign::alRight ? ES_RIGHT
             : alignment_ == TMyAlign::alCenter ? ES_CENTER
                                                : ES_LEFT;
}

void TNewInplaceEdit::SetAlignment(TMyAlign alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  if (!HandleAllocated()) return;
  std::string text = Text();
  bool shown = Shown(), focused = Focused();
  RECT r = BoundsRect();
  SetVisible(false);
  SetParent(nullptr);
  SetCaption(text);
  SetParent(aligned_);
  SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(aligned_->Font()->Handle()), 0);
  SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
  if (shown) SetVisible(true);
  if (focused) SetFocus();
  SendMessageA(Handle(), EM_SETSEL, 0, -1);
}

void TNewInplaceEdit::KeyDown(WORD& key, TShiftState shift) {
  if (CellCol < 0 || CellRow < 0) {  // no cell: keys are swallowed
    key = 0;
    return;
  }
  const int c = CellCol, r = CellRow;
  if (key == VK_RETURN || key == VK_ESCAPE) {
    if (key == VK_ESCAPE) {
      SetVisible(false);
      SetText(SavedText);
      aligned_->SetCells(c, r, SavedText);
      PostMessageA(aligned_->Handle(), WM_GRID_CANCELEDIT, static_cast<WPARAM>(c), r);
    } else {
      PostMessageA(aligned_->Handle(), WM_GRID_AFTEREDIT, static_cast<WPARAM>(c), r);
    }
    // The edit of this cell is over: the next show begins a new one.
    ForgetCell();
    aligned_->SetEditorMode(false);
    key = 0;
    return;
  }
  if (key == VK_TAB) {
    aligned_->KeyDown(key, shift);
    key = 0;
    return;
  }
  TInplaceEdit::KeyDown(key, shift);
}

void TNewInplaceEdit::KeyPress(char& key) {
  if (CellCol < 0 || key == '\r' || key == 27 || key == '\t') {
    key = 0;
    return;
  }
  TInplaceEdit::KeyPress(key);
}

TAlignedStringGrid::TAlignedStringGrid(TComponent* owner) : TStringGrid(owner) {
  fixedBrush_.SetColor(FixedColor());
  brush_.SetColor(Color());
  fixedBrush_.OnChange = [this](TObject*) { Redraw(); };
  brush_.OnChange = [this](TObject*) { Redraw(); };
  OnCompareRow = [this](TObject*, int col, int a, int b) { return Cells(col, a).compare(Cells(col, b)); };
  OnCompareCol = [this](TObject*, int row, int a, int b) { return Cells(a, row).compare(Cells(b, row)); };
  ShowHint = true;
  RegisterHintHandler(this, [this](std::string& s, bool&, THintInfo& info) { ShowCellHint(s, info); });
}

TAlignedStringGrid::~TAlignedStringGrid() {
  Destroying();
  UnregisterHintHandler(this);
}

void TAlignedStringGrid::ShowCellHint(std::string& hintStr, THintInfo& info) {
  if (info.HintControl != this || !ShowCellHints) return;
  int c, r;
  if (!MouseToCell(info.CursorPos.x, info.CursorPos.y, c, r)) {
    hintStr.clear();
    return;
  }
  hintCol_ = c;
  hintRow_ = r;
  RECT cell = CellRect(c, r);
  POINT p = {cell.left, cell.bottom};
  ClientToScreen(Handle(), &p);
  info.HintPos = {p.x, p.y + 6};
  info.CursorRect = cell;
  hintStr = CellHint(c, r);
}

void TAlignedStringGrid::MouseMove(TShiftState shift, int x, int y) {
  TStringGrid::MouseMove(shift, x, y);
  if (hintCol_ < 0) return;
  int c, r;
  MouseToCell(x, y, c, r);
  if (c != hintCol_ || r != hintRow_) {
    Application->CancelHint();
    hintCol_ = hintRow_ = -1;
  }
}

TNewInplaceEdit* TAlignedStringGrid::Editor() const {
  return static_cast<TNewInplaceEdit*>(InplaceEditor());
}

TInplaceEdit* TAlignedStringGrid::CreateEditor() { return new TNewInplaceEdit(this); }

void TAlignedStringGrid::SetAlignment(TMyAlign a) {
  alignment_ = a;
  Redraw();
}
void TAlignedStringGrid::SetFixedColor(TColor color) {
  TStringGrid::SetFixedColor(color);
  fixedBrush_.SetColor(color);
}
void TAlignedStringGrid::SetSelectedCellColor(TColor c) {
  selectedCellColor_ = c;
  Redraw();
}
void TAlignedStringGrid::SetSelectedFontColor(TColor c) {
  selectedFontColor_ = c;
  Redraw();
}
void TAlignedStringGrid::SetDrawSelection(bool v) {
  drawSelection_ = v;
  Redraw();
}
void TAlignedStringGrid::SetDrawSpecialSelection(bool v) {
  drawSpecialSelection_ = v;
  Redraw();
}

void TAlignedStringGrid::SetAlignCell(int col, int row, TMyAlign a) {
  alignCell_[{col, row}] = a;
  has_[hAlignCell] = true;
  Redraw();
}
void TAlignedStringGrid::SetAlignCol(int col, TMyAlign a) {
  alignCol_[col] = a;
  has_[hAlignCol] = true;
  Redraw();
}
void TAlignedStringGrid::SetFixedAlignCol(int col, TMyAlign a) {
  fixedAlignCol_[col] = a;
  has_[hFixedAlignCol] = true;
  Redraw();
}
void TAlignedStringGrid::SetAlignRow(int row, TMyAlign a) {
  alignRow_[row] = a;
  has_[hAlignRow] = true;
  Redraw();
}
void TAlignedStringGrid::SetFixedAlignRow(int row, TMyAlign a) {
  fixedAlignRow_[row] = a;
  has_[hFixedAlignRow] = true;
  Redraw();
}
void TAlignedStringGrid::SetEditCell(int col, int row, bool e) {
  editCell_[{col, row}] = e;
  has_[hEditCell] = true;
}
void TAlignedStringGrid::SetEditCol(int col, bool e) {
  editCol_[col] = e;
  has_[hEditCol] = true;
  Redraw();
}
void TAlignedStringGrid::SetEditRow(int row, bool e) {
  editRow_[row] = e;
  has_[hEditRow] = true;
}
void TAlignedStringGrid::SetSelectedColorCell(int col, int row, TColor c) {
  selColorCell_[{col, row}] = c;
  has_[hSelColorCell] = true;
  Redraw();
}
void TAlignedStringGrid::SetSelectedColorCol(int col, TColor c) {
  selColorCol_[col] = c;
  has_[hSelColorCol] = true;
  Redraw();
}
void TAlignedStringGrid::SetSelectedColorRow(int row, TColor c) {
  selColorRow_[row] = c;
  has_[hSelColorRow] = true;
  Redraw();
}
void TAlignedStringGrid::SetHintCell(int col, int row, const std::string& text) {
  hintCell_[{col, row}] = text;
  has_[hHintCell] = true;
}

TAlignedStringGrid::FontPtr TAlignedStringGrid::NewFont() {
  auto f = std::make_unique<TFont>();
  f->Assign(Font());
  f->OnChange = [this](TObject*) { Redraw(); };
  return f;
}

TAlignedStringGrid::BrushPtr TAlignedStringGrid::NewBrush() {
  auto b = std::make_unique<TBrush>();
  // The grid's brush takes the grid's colour only when a cell is drawn.
  brush_.SetColor(Color());
  b->Assign(&brush_);
  b->OnChange = [this](TObject*) { Redraw(); };
  return b;
}

TFont* TAlignedStringGrid::GetFontRow(int row) {
  FontPtr& f = fontRow_[row];
  if (!f) f = NewFont();
  return f.get();
}

#define BRUSH_GETTER(Name, table, key) \
  TBrush* TAlignedStringGrid::Name {   \
    BrushPtr& b = table[key];          \
    if (!b) b = NewBrush();            \
    return b.get();                    \
  }
BRUSH_GETTER(GetBrushCell(int col, int row), brushCell_, std::make_pair(col, row))
BRUSH_GETTER(GetBrushCol(int col), brushCol_, col)
BRUSH_GETTER(GetBrushRow(int row), brushRow_, row)
BRUSH_GETTER(GetBrushFixedCol(int col), brushFixedCol_, col)
BRUSH_GETTER(GetBrushFixedRow(int row), brushFixedRow_, row)
#undef BRUSH_GETTER

void TAlignedStringGrid::SetColorRow(int row, TColor c) {
  GetBrushRow(row)->SetColor(c);
  Redraw();
}

TMyAlign TAlignedStringGrid::CellAlignment(int col, int row) const {
  const bool fixed = IsFixed(col, row);
  if (auto* a = Find(alignCell_, std::make_pair(col, row))) return *a;
  if (auto* a = Find(fixed ? fixedAlignCol_ : alignCol_, col)) return *a;
  if (auto* a = Find(fixed ? fixedAlignRow_ : alignRow_, row)) return *a;
  return alignment_;
}

TFont* TAlignedStringGrid::CellFont(int col, int row) {
  const bool fixed = IsFixed(col, row);
  if (auto* f = Find(fontCell_, std::make_pair(col, row))) return f->get();
  if (auto* f = Find(fixed ? fontFixedCol_ : fontCol_, col)) return f->get();
  if (auto* f = Find(fixed ? fontFixedRow_ : fontRow_, row)) return f->get();
  return Font();
}

TBrush* TAlignedStringGrid::CellBrush(int col, int row) {
  const bool fixed = IsFixed(col, row);
  if (auto* b = Find(brushCell_, std::make_pair(col, row))) return b->get();
  if (auto* b = Find(fixed ? brushFixedCol_ : brushCol_, col)) return b->get();
  if (auto* b = Find(fixed ? brushFixedRow_ : brushRow_, row)) return b->get();
  if (fixed) return &fixedBrush_;
  brush_.SetColor(Color());
  return &brush_;
}

bool TAlignedStringGrid::CellEditable(int col, int row) const {
  if (auto* e = Find(editCell_, std::make_pair(col, row))) return *e;
  if (auto* e = Find(editCol_, col)) return *e;
  if (auto* e = Find(editRow_, row)) return *e;
  return editable_;
}

TColor TAlignedStringGrid::CellSelectedColor(int col, int row) const {
  if (auto* c = Find(selColorCell_, std::make_pair(col, row))) return *c;
  if (auto* c = Find(selColorCol_, col)) return *c;
  if (auto* c = Find(selColorRow_, row)) return *c;
  return selectedCellColor_;
}

std::string TAlignedStringGrid::CellHint(int col, int row) const {
  auto* h = Find(hintCell_, std::make_pair(col, row));
  return h ? *h : std::string();
}

bool TAlignedStringGrid::GetSelectedRow(int row) const {
  auto* m = Find(rowMarks_, row);
  return m && *m;
}

void TAlignedStringGrid::SetSelectedRow(int row, bool marked) {
  if (row < 0) return;
  rowMarks_[row] = marked;
  Redraw();
}

void TAlignedStringGrid::ClearSelectedRows(bool redraw) {
  for (auto& m : rowMarks_) m.second = false;
  if (redraw) Redraw();
}

namespace {
// The lines of a cell text: split at CR, a LF right after a CR dropped.
std::vector<std::string> CellLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string t = text + "\r", cur;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '\r') {
      lines.push_back(cur);
      cur.clear();
      if (i + 1 < t.size() && t[i + 1] == '\n') ++i;
    } else {
      cur += t[i];
    }
  }
  return lines;
}
}  // namespace

void TAlignedStringGrid::MeasureCellText(const std::string& text, int col, int row, int& width,
                                         int& height) {
  HDC dc = GetDC(HandleAllocated() ? Handle() : nullptr);
  HGDIOBJ old = SelectObject(dc, CellFont(col, row)->Handle());
  width = height = 0;
  for (const std::string& line : CellLines(text)) {
    SIZE s = {0, 0};
    if (!line.empty())
      GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(line.size()), &s);
    else {
      TEXTMETRICA tm = {};
      GetTextMetricsA(dc, &tm);
      s.cy = tm.tmHeight;
    }
    width = std::max<int>(width, s.cx + 4);
    height += s.cy;
  }
  SelectObject(dc, old);
  ReleaseDC(HandleAllocated() ? Handle() : nullptr, dc);
  if (width < 5) width = 0;
  if (height < 5) height = 0;
}

void TAlignedStringGrid::DrawCell(int col, int row, const RECT& rect, TGridDrawState state) {
  if (!DefaultDrawing) {
    TStringGrid::DrawCell(col, row, rect, state);
    return;
  }
  TCanvas* c = Canvas();
  c->Font()->Assign(CellFont(col, row));
  c->Brush()->Assign(CellBrush(col, row));
  const bool focused = col == Col() && row == Row();
  if (drawSelection_ && (state & gdSelected) &&
      (!focused || (Options() & (goDrawFocusSelected | goRowSelect)))) {
    c->Brush()->SetColor(CellSelectedColor(col, row));
    c->Font()->SetColor(selectedFontColor_);
  } else if (drawSpecialSelection_ && GetSelectedRow(row)) {
    c->Brush()->SetColor(selectedCellColor_);
    c->Font()->SetColor(selectedFontColor_);
  }
  c->FillRect(rect);
  HDC dc = c->Handle();
  SetBkMode(dc, TRANSPARENT);
  const TMyAlign align = CellAlignment(col, row);
  int y = rect.top + 2;
  for (const std::string& line : CellLines(Cells(col, row))) {
    SIZE s = {0, 0};
    GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(line.size()), &s);
    if (line.empty()) {
      TEXTMETRICA tm = {};
      GetTextMetricsA(dc, &tm);
      s.cy = tm.tmHeight;
    }
    int x = align == TMyAlign::alRight ? rect.right - s.cx - 2
            : align == TMyAlign::alLeft ? rect.left + 2
                                        : rect.left + (rect.right - rect.left - s.cx) / 2;
    ExtTextOutA(dc, x, y, ETO_CLIPPED, &rect, line.c_str(), static_cast<UINT>(line.size()), nullptr);
    y += s.cy;
  }
  if (OnDrawCell) OnDrawCell(this, col, row, rect, state);
}

void TAlignedStringGrid::CellEvent(const TCellEvent& e, int col, int row) {
  if (e && col >= 0 && row >= 0) e(this, col, row);
}

bool TAlignedStringGrid::CanEditShow() {
  const bool allowed = TStringGrid::CanEditShow() &&
                       ((ComponentState() & csDesigning) || CellEditable(Col(), Row()));
  TNewInplaceEdit* e = Editor();
  if (!e) return allowed;
  if ((e->CellCol != Col() || e->CellRow != Row()) && e->CellCol >= 0 && e->CellRow >= 0) {
    // Handled at once, so the old cell's edit ends before the new one begins.
    const int oldCol = e->CellCol, oldRow = e->CellRow;
    e->ForgetCell();
    Perform(WM_GRID_LEFTCELL, static_cast<WPARAM>(oldCol), oldRow);
  }
  if (allowed) {
    e->SetAlignment(CellAlignment(Col(), Row()));
    TFont* f = CellFont(Col(), Row());
    SendMessageA(e->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(f->Handle()), 0);
    e->SetFontColor(f->Color());
    e->SetColor(CellBrushColor(Col(), Row()));
    e->CellCol = Col();
    e->CellRow = Row();
    if (!e->BeforeEditSent) {
      Perform(WM_GRID_BEFOREEDIT, static_cast<WPARAM>(Col()), Row());
      e->BeforeEditSent = true;
      e->SavedText = Cells(Col(), Row());
    }
  } else {
    e->ForgetCell();
    e->Hide();
  }
  return allowed;
}

void TAlignedStringGrid::FocusLost() {
  TNewInplaceEdit* e = Editor();
  if (!e || !e->Shown()) return;
  DWORD start = 0, end = 0;
  SendMessageA(e->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  savedSelStart_ = static_cast<int>(start);
  savedSelLength_ = static_cast<int>(end - start);
  reopenEditor_ = alwaysShowEditor_;
  int c = e->CellCol, r = e->CellRow;
  e->ForgetCell();
  e->Hide();
  editing_ = false;
  CellEvent(OnAfterEdit, c, r);
}

void TAlignedStringGrid::Loaded() {
  TStringGrid::Loaded();
  for (int c = 0; c < ColCount(); ++c)
    for (int r = 0; r < RowCount(); ++r) {
      auto* t = Find(loadedCells_, std::make_pair(c, r));
      SetCells(c, r, t ? *t : std::string());
    }
  // At design time the texts stay collected for the next store.
  if (!(ComponentState() & csDesigning)) loadedCells_.clear();
  alwaysShowEditor_ = (Options() & goAlwaysShowEditor) != 0;
}

LRESULT TAlignedStringGrid::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  const int c = static_cast<int>(wp), r = static_cast<int>(lp);
  switch (msg) {
    case WM_GRID_CANCELEDIT:
      editing_ = false;
      CellEvent(OnCancelEdit, c, r);
      return 0;
    case WM_GRID_AFTEREDIT: {
      editing_ = false;
      CellEvent(OnAfterEdit, c, r);
      if (!AutoEditNextCell) return 0;
      int nc = Col(), nr = Row();
      bool grown = false;
      while (NextCell(NextCellEdit, AfterLastCellEdit, nc, nr, grown)) {
        if (nc == Col() && nr == Row()) return 0;
        if (CellEditable(nc, nr)) {
          FocusCell(nc, nr);
          SetEditorMode(true);
          return 0;
        }
      }
      return 0;
    }
    case WM_GRID_LEFTCELL:
      editing_ = false;
      CellEvent(OnAfterEdit, c, r);
      return 0;
    case WM_GRID_BEFOREEDIT:
      CellEvent(OnBeforeEdit, c, r);
      editing_ = true;
      return 0;
    case WM_GRID_REOPEN:
      SetEditorMode(true);
      if (Editor() && Editor()->Shown())
        SendMessageA(Editor()->Handle(), EM_SETSEL, static_cast<WPARAM>(savedSelStart_),
                     savedSelStart_ + savedSelLength_);
      return 0;
    case WM_SETFOCUS:
      if (reopenEditor_) {
        reopenEditor_ = false;
        PostMessageA(Handle(), WM_GRID_REOPEN, 0, 0);
      }
      break;
    default:
      break;
  }
  return TStringGrid::WndProc(msg, wp, lp);
}

bool TAlignedStringGrid::NextCell(T_nextcell dir, t_lastcell last, int& col, int& row, bool& grown) {
  const int fc = FixedCols(), fr = FixedRows();
  int lc = ColCount() - 1, lr = RowCount() - 1;
  int c = col, r = row;
  bool ended = false;
  switch (dir) {
    case nc_rightdown: if (++c > lc) { c = fc; ended = ++r > lr; } break;
    case nc_downright: if (++r > lr) { r = fr; ended = ++c > lc; } break;
    case nc_leftdown: if (--c < fc) { c = lc; ended = ++r > lr; } break;
    case nc_downleft: if (++r > lr) { r = fr; ended = --c < fc; } break;
    case nc_leftup: if (--c < fc) { c = lc; ended = --r < fr; } break;
    case nc_upleft: if (--r < fr) { r = lr; ended = --c < fc; } break;
    case nc_rightup: if (++c > lc) { c = fc; ended = --r < fr; } break;
    case nc_upright: if (--r < fr) { r = lr; ended = ++c > lc; } break;
  }
  if (ended) {
    if (last == lc_stop) return false;
    if (last == lc_newcolrow) {
      // The grid grows once per search, never without end.
      if (grown) return false;
      grown = true;
      switch (dir) {
        case nc_rightdown: SetRowCount(RowCount() + 1); c = fc; r = RowCount() - 1; break;
        case nc_downright: SetColCount(ColCount() + 1); c = ColCount() - 1; r = fr; break;
        case nc_leftdown: SetRowCount(RowCount() + 1); c = lc; r = RowCount() - 1; break;
        case nc_downleft: InsertCol(fc); c = fc; r = fr; break;
        case nc_leftup: InsertRow(fr); c = ColCount() - 1; r = fr; break;
        case nc_upleft: InsertCol(fc); c = fc; r = RowCount() - 1; break;
        case nc_rightup: InsertRow(fr); c = fc; r = fr; break;
        case nc_upright: SetColCount(ColCount() + 1); c = ColCount() - 1; r = RowCount() - 1; break;
      }
    } else {
      const bool left = dir == nc_leftdown || dir == nc_downleft || dir == nc_leftup || dir == nc_upleft;
      const bool up = dir == nc_leftup || dir == nc_upleft || dir == nc_rightup || dir == nc_upright;
      c = left ? lc : fc;
      r = up ? lr : fr;
    }
  }
  col = c;
  row = r;
  return true;
}

void TAlignedStringGrid::KeyDown(WORD& key, TShiftState shift) {
  if (key != VK_TAB) {
    TStringGrid::KeyDown(key, shift);
    return;
  }
  static const T_nextcell reverse[] = {nc_leftup, nc_upleft, nc_rightup, nc_upright,
                                       nc_rightdown, nc_downright, nc_leftdown, nc_downleft};
  const T_nextcell dir = (shift & ssShift) ? reverse[NextCellTab] : NextCellTab;
  int c = Col(), r = Row();
  bool grown = false;
  while (NextCell(dir, AfterLastCellTab, c, r, grown)) {
    if (c == Col() && r == Row()) break;
    if (SelectCell(c, r)) {
      FocusCell(c, r);
      break;
    }
  }
  key = 0;
}

void TAlignedStringGrid::ShiftTables(bool cols, int index) {
  if (cols) {
    ShiftLine(alignCol_, index); ShiftLine(fixedAlignCol_, index); ShiftLine(fontCol_, index);
    ShiftLine(fontFixedCol_, index); ShiftLine(brushCol_, index); ShiftLine(brushFixedCol_, index);
    ShiftLine(editCol_, index); ShiftLine(selColorCol_, index);
  } else {
    ShiftLine(alignRow_, index); ShiftLine(fixedAlignRow_, index); ShiftLine(fontRow_, index);
    ShiftLine(fontFixedRow_, index); ShiftLine(brushRow_, index); ShiftLine(brushFixedRow_, index);
    ShiftLine(editRow_, index); ShiftLine(selColorRow_, index); ShiftLine(rowMarks_, index);
  }
  ShiftCells(alignCell_, cols, index); ShiftCells(fontCell_, cols, index);
  ShiftCells(brushCell_, cols, index); ShiftCells(editCell_, cols, index);
  ShiftCells(selColorCell_, cols, index); ShiftCells(hintCell_, cols, index);
}

void TAlignedStringGrid::MoveTables(bool cols, int from, int to) {
  if (cols) {
    MoveLine(alignCol_, from, to); MoveLine(fixedAlignCol_, from, to); MoveLine(fontCol_, from, to);
    MoveLine(fontFixedCol_, from, to); MoveLine(brushCol_, from, to);
    MoveLine(brushFixedCol_, from, to); MoveLine(editCol_, from, to); MoveLine(selColorCol_, from, to);
  } else {
    MoveLine(alignRow_, from, to); MoveLine(fixedAlignRow_, from, to); MoveLine(fontRow_, from, to);
    MoveLine(fontFixedRow_, from, to); MoveLine(brushRow_, from, to);
    MoveLine(brushFixedRow_, from, to); MoveLine(editRow_, from, to); MoveLine(selColorRow_, from, to);
    MoveLine(rowMarks_, from, to);
  }
  MoveCells(alignCell_, cols, from, to); MoveCells(fontCell_, cols, from, to);
  MoveCells(brushCell_, cols, from, to); MoveCells(editCell_, cols, from, to);
  MoveCells(selColorCell_, cols, from, to); MoveCells(hintCell_, cols, from, to);
}

void TAlignedStringGrid::InsertCol(int index) {
  index = std::max(index, FixedCols());
  SetColCount(ColCount() + 1);
  ShiftTables(true, index);
  for (int c = ColCount() - 1; c > index; --c)
    for (int r = 0; r < RowCount(); ++r) SetCells(c, r, Cells(c - 1, r));
  for (int r = 0; r < RowCount() && index < ColCount(); ++r) SetCells(index, r, "");
  Redraw();
}

void TAlignedStringGrid::InsertRow(int index) {
  index = std::max(index, FixedRows());
  SetRowCount(RowCount() + 1);
  ShiftTables(false, index);
  for (int r = RowCount() - 1; r > index; --r)
    for (int c = 0; c < ColCount(); ++c) SetCells(c, r, Cells(c, r - 1));
  for (int c = 0; c < ColCount() && index < RowCount(); ++c) SetCells(c, index, "");
  Redraw();
}

void TAlignedStringGrid::SetColCount(int count) {
  const int old = ColCount();
  TStringGrid::SetColCount(count);
  // Columns that are gone take their attributes with them; a grid that
  // grows keeps entries stored beyond its old end.
  const int n = ColCount();
  if (n >= old) return;
  CutLine(alignCol_, n); CutLine(fixedAlignCol_, n); CutLine(fontCol_, n);
  CutLine(fontFixedCol_, n); CutLine(brushCol_, n); CutLine(brushFixedCol_, n);
  CutLine(editCol_, n); CutLine(selColorCol_, n);
  CutCellCols(alignCell_, n); CutCellCols(fontCell_, n); CutCellCols(brushCell_, n);
  CutCellCols(editCell_, n); CutCellCols(selColorCell_, n); CutCellCols(hintCell_, n);
}

void TAlignedStringGrid::SetRowCount(int count) {
  const int old = RowCount();
  TStringGrid::SetRowCount(count);
  // Rows that are gone take their attributes with them.
  const int n = RowCount();
  if (n >= old) return;
  CutLine(alignRow_, n); CutLine(fixedAlignRow_, n); CutLine(fontRow_, n);
  CutLine(fontFixedRow_, n); CutLine(brushRow_, n); CutLine(brushFixedRow_, n);
  CutLine(editRow_, n); CutLine(selColorRow_, n); CutLine(rowMarks_, n);
  CutCellRows(alignCell_, n); CutCellRows(fontCell_, n); CutCellRows(brushCell_, n);
  CutCellRows(editCell_, n); CutCellRows(selColorCell_, n); CutCellRows(hintCell_, n);
}

void TAlignedStringGrid::ColumnMoved(int from, int to) {
  MoveTables(true, from, to);
  TStringGrid::ColumnMoved(from, to);
}

void TAlignedStringGrid::RowMoved(int from, int to) {
  MoveTables(false, from, to);
  TStringGrid::RowMoved(from, to);
}

void TAlignedStringGrid::ColWidthsChanged() {
  TStringGrid::ColWidthsChanged();
  if (OnColWidthsChanged) OnColWidthsChanged(this);
}

void TAlignedStringGrid::RowHeightsChanged() {
  TStringGrid::RowHeightsChanged();
  if (OnRowHeightsChanged) OnRowHeightsChanged(this);
}
