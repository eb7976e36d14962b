#include "Grids.h"

#include <algorithm>
#include <cstdlib>

namespace {
const char kGridClass[] = "TStringGrid";
const char* const SGridIndex = "Grid index out of range";
}  // namespace

TInplaceEdit::TInplaceEdit(TCustomGrid* grid) : TEdit(grid), grid_(grid) {
  SetVisible(false);
  SetParent(grid);
}

void TInplaceEdit::FillCreateParams(CreateParams& p) {
  TEdit::FillCreateParams(p);
  p.style &= ~static_cast<DWORD>(WS_BORDER | WS_TABSTOP);
  p.exStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
  p.style |= ES_AUTOHSCROLL;
}

void TInplaceEdit::Move(const RECT& r) {
  SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
  SetVisible(true);
  if (grid_->Focused()) SetFocus();
}

void TInplaceEdit::Hide() {
  if (!Shown()) return;
  bool hadFocus = Focused();
  SetVisible(false);
  if (hadFocus) grid_->SetFocus();
}

bool TInplaceEdit::Shown() const { return HandleAllocated() && IsWindowVisible(Handle()); }

void TInplaceEdit::KeyDown(WORD& key, TShiftState shift) {
  TEdit::KeyDown(key, shift);
  // Keys that move between cells belong to the grid.
  bool toGrid = key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT ||
                (key == VK_TAB && (grid_->Options() & goTabs));
  if (!toGrid) return;
  grid_->KeyDown(key, shift);
  key = 0;
}

void TInplaceEdit::KeyPress(char& key) {
  TEdit::KeyPress(key);
  if (key == '\t') key = 0;  // no beep for a Tab the grid took
}

LRESULT TInplaceEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  // Enter and Escape end the edit; Tab moves between cells with goTabs.
  if (msg == WM_GETDLGCODE)
    return DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTARROWS |
           ((grid_->Options() & goTabs) ? DLGC_WANTTAB : 0);
  if (msg == WM_KILLFOCUS && reinterpret_cast<HWND>(wp) != grid_->Handle()) {
    LRESULT r = TEdit::WndProc(msg, wp, lp);
    grid_->FocusLost();
    return r;
  }
  return TEdit::WndProc(msg, wp, lp);
}

void TInplaceEdit::CommandNotify(WORD code) {
  if (code == EN_CHANGE && Shown()) grid_->SetEditText(grid_->Col(), grid_->Row(), Text());
  TEdit::CommandNotify(code);
}

TCustomGrid::TCustomGrid(TComponent* owner) : TWinControl(owner) {
  RegisterOwnClass(kGridClass);
  color_ = clWindow;
  width_ = 320;
  height_ = 120;
  font_.OnChange = [this](TObject*) { InvalidateGrid(); };
}

TCustomGrid::~TCustomGrid() { Destroying(); }

void TCustomGrid::FillCreateParams(CreateParams& p) {
  p.className = kGridClass;
  // The scroll bars show only while rows or columns lie outside the
  // window (UpdateScrollBars).
  p.style |= WS_TABSTOP;
  p.exStyle |= WS_EX_CLIENTEDGE;
}

void TCustomGrid::HandleCreated() {
  TWinControl::HandleCreated();
  UpdateScrollBars();
}

void TCustomGrid::InvalidateGrid() {
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TCustomGrid::InvalidateCell(int col, int row) {
  if (!HandleAllocated()) return;
  RECT r = CellRect(col, row);
  InflateRect(&r, lineWidth_, lineWidth_);
  InvalidateRect(Handle(), &r, TRUE);
}

void TCustomGrid::SetColCount(int count) {
  count = std::max(count, 1);
  colCount_ = count;
  colWidths_.resize(static_cast<size_t>(count), -1);
  if (fixedCols_ >= count) fixedCols_ = count - 1;
  if (col_ >= count) col_ = std::max(fixedCols_, count - 1);
  anchorCol_ = std::min(anchorCol_, col_);
  leftCol_ = std::max(fixedCols_, std::min(leftCol_, count - 1));
  UpdateScrollBars();
  InvalidateGrid();
  if (editor_ && editor_->Shown()) UpdateEdit();
}

void TCustomGrid::SetRowCount(int count) {
  count = std::max(count, 1);
  rowCount_ = count;
  rowHeights_.resize(static_cast<size_t>(count), -1);
  if (fixedRows_ >= count) fixedRows_ = count - 1;
  if (row_ >= count) row_ = std::max(fixedRows_, count - 1);
  anchorRow_ = std::min(anchorRow_, row_);
  topRow_ = std::max(fixedRows_, std::min(topRow_, count - 1));
  UpdateScrollBars();
  InvalidateGrid();
  if (editor_ && editor_->Shown()) UpdateEdit();
}

void TCustomGrid::SetFixedCols(int count) {
  if (count < 0 || count >= colCount_) throw EInvalidGridOperation("Fixed column count must be less than column count");
  // A new count scrolls back to the first column that is not fixed.
  if (count != fixedCols_) leftCol_ = count;
  fixedCols_ = count;
  col_ = anchorCol_ = std::max(col_, count);
  UpdateScrollBars();
  InvalidateGrid();
}

void TCustomGrid::SetFixedRows(int count) {
  if (count < 0 || count >= rowCount_) throw EInvalidGridOperation("Fixed row count must be less than row count");
  if (count != fixedRows_) topRow_ = count;
  fixedRows_ = count;
  row_ = anchorRow_ = std::max(row_, count);
  UpdateScrollBars();
  InvalidateGrid();
}

void TCustomGrid::SetDefaultColWidth(int width) {
  defaultColWidth_ = std::max(width, 0);
  InvalidateGrid();
  ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(int height) {
  defaultRowHeight_ = std::max(height, 0);
  InvalidateGrid();
  RowHeightsChanged();
}

int TCustomGrid::ColWidths(int col) const {
  if (col < 0 || col >= colCount_) return defaultColWidth_;
  int w = colWidths_.empty() ? -1 : colWidths_[static_cast<size_t>(col)];
  return w < 0 ? defaultColWidth_ : w;
}

void TCustomGrid::SetColWidths(int col, int width) {
  if (col < 0 || col >= colCount_) throw EInvalidGridOperation(SGridIndex);
  colWidths_.resize(static_cast<size_t>(colCount_), -1);
  colWidths_[static_cast<size_t>(col)] = std::max(width, 0);
  InvalidateGrid();
  UpdateScrollBars();
  ColWidthsChanged();
}

int TCustomGrid::RowHeights(int row) const {
  if (row < 0 || row >= rowCount_) return defaultRowHeight_;
  int h = rowHeights_.empty() ? -1 : rowHeights_[static_cast<size_t>(row)];
  return h < 0 ? defaultRowHeight_ : h;
}

void TCustomGrid::SetRowHeights(int row, int height) {
  if (row < 0 || row >= rowCount_) throw EInvalidGridOperation(SGridIndex);
  rowHeights_.resize(static_cast<size_t>(rowCount_), -1);
  rowHeights_[static_cast<size_t>(row)] = std::max(height, 0);
  InvalidateGrid();
  UpdateScrollBars();
  RowHeightsChanged();
}

void TCustomGrid::SetOptions(TGridOptions options) {
  options_ = options;
  if (options_ & goRowSelect) options_ &= ~static_cast<unsigned>(goAlwaysShowEditor);
  if (options_ & goAlwaysShowEditor) editorMode_ = true;
  if (!(options_ & goEditing)) {
    editorMode_ = false;
    HideEdit();
  }
  InvalidateGrid();
}

void TCustomGrid::SetFixedColor(TColor color) {
  fixedColor_ = color;
  InvalidateGrid();
}

TGridRect TCustomGrid::Selection() const {
  if (options_ & goRowSelect)
    return {fixedCols_, std::min(row_, anchorRow_), colCount_ - 1, std::max(row_, anchorRow_)};
  return {std::min(col_, anchorCol_), std::min(row_, anchorRow_), std::max(col_, anchorCol_),
          std::max(row_, anchorRow_)};
}

bool TCustomGrid::Selected(int col, int row) const {
  TGridRect s = Selection();
  return col >= s.Left && col <= s.Right && row >= s.Top && row <= s.Bottom;
}

RECT TCustomGrid::CellRect(int col, int row) const {
  RECT r = {0, 0, 0, 0};
  if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_) return r;
  bool colShown = col < fixedCols_ || col >= leftCol_;
  bool rowShown = row < fixedRows_ || row >= topRow_;
  if (!colShown || !rowShown) return r;
  int x = 0;
  for (int c = 0; c < col; ++c)
    if (c < fixedCols_ || c >= leftCol_) x += ColWidths(c) + lineWidth_;
  int y = 0;
  for (int rr = 0; rr < row; ++rr)
    if (rr < fixedRows_ || rr >= topRow_) y += RowHeights(rr) + lineWidth_;
  return {x, y, x + ColWidths(col), y + RowHeights(row)};
}

bool TCustomGrid::MouseToCell(int x, int y, int& col, int& row) const {
  col = row = -1;
  int cx = 0;
  for (int c = 0; c < colCount_; ++c) {
    if (c >= fixedCols_ && c < leftCol_) continue;
    int w = ColWidths(c) + lineWidth_;
    if (x >= cx && x < cx + w) {
      col = c;
      break;
    }
    cx += w;
  }
  int cy = 0;
  for (int r = 0; r < rowCount_; ++r) {
    if (r >= fixedRows_ && r < topRow_) continue;
    int h = RowHeights(r) + lineWidth_;
    if (y >= cy && y < cy + h) {
      row = r;
      break;
    }
    cy += h;
  }
  if (col < 0 || row < 0) col = row = -1;
  return col >= 0;
}

int TCustomGrid::VisibleRows() const {
  int h = ClientHeight();
  for (int r = 0; r < fixedRows_; ++r) h -= RowHeights(r) + lineWidth_;
  int n = 0;
  for (int r = topRow_; r < rowCount_ && h >= RowHeights(r); ++r, ++n) h -= RowHeights(r) + lineWidth_;
  return std::max(n, 1);
}

int TCustomGrid::VisibleCols() const {
  int w = ClientWidth();
  for (int c = 0; c < fixedCols_; ++c) w -= ColWidths(c) + lineWidth_;
  int n = 0;
  for (int c = leftCol_; c < colCount_ && w >= ColWidths(c); ++c, ++n) w -= ColWidths(c) + lineWidth_;
  return std::max(n, 1);
}

void TCustomGrid::SetTopRow(int row) {
  row = std::max(fixedRows_, std::min(row, rowCount_ - 1));
  if (row == topRow_) return;
  topRow_ = row;
  UpdateScrollBars();
  InvalidateGrid();
  if (editor_ && editor_->Shown()) UpdateEdit();
}

void TCustomGrid::SetLeftCol(int col) {
  col = std::max(fixedCols_, std::min(col, colCount_ - 1));
  if (col == leftCol_) return;
  leftCol_ = col;
  UpdateScrollBars();
  InvalidateGrid();
  if (editor_ && editor_->Shown()) UpdateEdit();
}

void TCustomGrid::ScrollInView(int col, int row) {
  if (row >= fixedRows_) {
    if (row < topRow_) SetTopRow(row);
    else if (row >= topRow_ + VisibleRows()) SetTopRow(row - VisibleRows() + 1);
  }
  if (col >= fixedCols_) {
    if (col < leftCol_) SetLeftCol(col);
    else if (col >= leftCol_ + VisibleCols()) SetLeftCol(col - VisibleCols() + 1);
  }
}

void TCustomGrid::UpdateScrollBars() {
  if (!HandleAllocated()) return;
  SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_POS | SIF_PAGE, 0, 0, 0, 0, 0};
  si.nMin = fixedRows_;
  si.nMax = rowCount_ - 1;
  si.nPage = static_cast<UINT>(VisibleRows());
  si.nPos = topRow_;
  SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
  si.nMin = fixedCols_;
  si.nMax = colCount_ - 1;
  si.nPage = static_cast<UINT>(VisibleCols());
  si.nPos = leftCol_;
  SetScrollInfo(Handle(), SB_HORZ, &si, TRUE);
}

void TCustomGrid::Scroll(int bar, WORD code) {
  const bool vert = bar == SB_VERT;
  int pos = vert ? topRow_ : leftCol_;
  int page = vert ? VisibleRows() : VisibleCols();
  SCROLLINFO si = {sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
  switch (code) {
    case SB_LINEUP: --pos; break;
    case SB_LINEDOWN: ++pos; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      GetScrollInfo(Handle(), bar, &si);
      pos = si.nTrackPos;
      break;
    default: return;
  }
  if (vert) SetTopRow(pos); else SetLeftCol(pos);
}

bool TCustomGrid::SelectCell(int col, int row) {
  bool ok = true;
  if (OnSelectCell) OnSelectCell(this, col, row, ok);
  return ok;
}

void TCustomGrid::FocusCell(int col, int row) { MoveCurrent(col, row, false); }

void TCustomGrid::MoveCurrent(int col, int row, bool extend) {
  if (col < fixedCols_ || col >= colCount_ || row < fixedRows_ || row >= rowCount_) return;
  if ((col != col_ || row != row_) && !SelectCell(col, row)) return;
  TGridRect old = Selection();
  col_ = col;
  row_ = row;
  if (!extend || !(options_ & goRangeSelect)) {
    anchorCol_ = col;
    anchorRow_ = row;
  }
  for (int c = old.Left; c <= old.Right; ++c)
    for (int r = old.Top; r <= old.Bottom; ++r) InvalidateCell(c, r);
  ScrollInView(col, row);
  TGridRect now = Selection();
  for (int c = now.Left; c <= now.Right; ++c)
    for (int r = now.Top; r <= now.Bottom; ++r) InvalidateCell(c, r);
  if (editorMode_) UpdateEdit(); else HideEdit();
}

bool TCustomGrid::CanEditShow() {
  return (options_ & goEditing) && !(options_ & goRowSelect) && editorMode_ &&
         !IsFixed(col_, row_);
}

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

std::string TCustomGrid::GetEditText(int, int) { return ""; }
void TCustomGrid::SetEditText(int, int, const std::string&) {}

void TCustomGrid::UpdateEdit() {
  if (!editor_ && (options_ & goEditing)) editor_ = CreateEditor();
  if (!editor_ || !CanEditShow()) {
    HideEdit();
    return;
  }
  bool moved = !editor_->Shown() || editorCol_ != col_ || editorRow_ != row_;
  editorCol_ = col_;
  editorRow_ = row_;
  if (moved) {
    std::string text = GetEditText(col_, row_);
    editor_->SetVisible(false);  // no change notice while the text is set
    editor_->SetText(text);
  }
  editor_->Move(CellRect(col_, row_));
  if (moved && editor_->HandleAllocated()) SendMessageA(editor_->Handle(), EM_SETSEL, 0, -1);
}

void TCustomGrid::HideEdit() {
  if (editor_) editor_->Hide();
}

void TCustomGrid::SetEditorMode(bool on) {
  if (on) {
    if (!(options_ & goEditing)) return;
    editorMode_ = true;
    UpdateEdit();
  } else {
    if (!(options_ & goAlwaysShowEditor)) editorMode_ = false;
    HideEdit();
  }
}

void TCustomGrid::ShowEditorChar(char c) {
  SetEditorMode(true);
  if (editor_ && editor_->Shown()) {
    editor_->SetFocus();
    PostMessageA(editor_->Handle(), WM_CHAR, static_cast<unsigned char>(c), 0);
  }
}

void TCustomGrid::MoveColumn(int from, int to) {
  if (from < 0 || from >= colCount_ || to < 0 || to >= colCount_) throw EInvalidGridOperation(SGridIndex);
  if (from == to) return;
  colWidths_.resize(static_cast<size_t>(colCount_), -1);
  int w = colWidths_[static_cast<size_t>(from)];
  colWidths_.erase(colWidths_.begin() + from);
  colWidths_.insert(colWidths_.begin() + to, w);
  ColumnMoved(from, to);
  InvalidateGrid();
}

void TCustomGrid::MoveRow(int from, int to) {
  if (from < 0 || from >= rowCount_ || to < 0 || to >= rowCount_) throw EInvalidGridOperation(SGridIndex);
  if (from == to) return;
  rowHeights_.resize(static_cast<size_t>(rowCount_), -1);
  int h = rowHeights_[static_cast<size_t>(from)];
  rowHeights_.erase(rowHeights_.begin() + from);
  rowHeights_.insert(rowHeights_.begin() + to, h);
  RowMoved(from, to);
  InvalidateGrid();
}

void TCustomGrid::KeyDown(WORD& key, TShiftState shift) {
  TWinControl::KeyDown(key, shift);
  if (key == 0) return;
  int c = col_, r = row_;
  const int page = VisibleRows();
  switch (key) {
    case VK_UP: --r; break;
    case VK_DOWN: ++r; break;
    case VK_LEFT: if (!editor_ || !editor_->Shown()) --c; else return; break;
    case VK_RIGHT: if (!editor_ || !editor_->Shown()) ++c; else return; break;
    case VK_PRIOR: r -= page; break;
    case VK_NEXT: r += page; break;
    case VK_HOME: if (shift & ssCtrl) r = fixedRows_; c = fixedCols_; break;
    case VK_END: if (shift & ssCtrl) r = rowCount_ - 1; c = colCount_ - 1; break;
    case VK_TAB:
      if (!(options_ & goTabs)) return;
      if (shift & ssShift) {
        if (--c < fixedCols_) { c = colCount_ - 1; --r; }
      } else if (++c >= colCount_) {
        c = fixedCols_;
        ++r;
      }
      if (r < fixedRows_ || r >= rowCount_) { key = 0; return; }
      break;
    case VK_F2: SetEditorMode(true); key = 0; return;
    case VK_RETURN:
      if (options_ & goEditing) SetEditorMode(!(editor_ && editor_->Shown()));
      key = 0;
      return;
    default: return;
  }
  c = std::max(fixedCols_, std::min(c, colCount_ - 1));
  r = std::max(fixedRows_, std::min(r, rowCount_ - 1));
  MoveCurrent(c, r, key != VK_TAB && (shift & ssShift));
  key = 0;
}

void TCustomGrid::KeyPress(char& key) {
  TWinControl::KeyPress(key);
  if (key == 0 || !(options_ & goEditing) || (editor_ && editor_->Shown())) return;
  if (static_cast<unsigned char>(key) < 32 && key != '\b') return;
  ShowEditorChar(key);
  key = 0;
}

// The column (row) whose right (bottom) grid line lies within 3 pixels of
// x (y) in the fixed row (column), when sizing is allowed; else -1.
int TCustomGrid::SizingLine(int x, int y, bool& cols) const {
  int c, r;
  if (!MouseToCell(x, y, c, r) && !(x >= 0 && y >= 0)) return -1;
  for (int i = 0; i < colCount_ && (options_ & goColSizing) && y >= 0 && r >= 0 && r < fixedRows_; ++i) {
    RECT cr = CellRect(i, 0);
    if (cr.right > cr.left && std::abs(x - cr.right) <= 3) {
      cols = true;
      return i;
    }
  }
  for (int i = 0; i < rowCount_ && (options_ & goRowSizing) && x >= 0 && c >= 0 && c < fixedCols_; ++i) {
    RECT cr = CellRect(0, i);
    if (cr.bottom > cr.top && std::abs(y - cr.bottom) <= 3) {
      cols = false;
      return i;
    }
  }
  return -1;
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (!Focused() && CanFocus()) SetFocus();
  int c, r;
  bool cols = false;
  int line = button == mbLeft ? SizingLine(x, y, cols) : -1;
  if (line >= 0) {
    sizing_ = cols ? 1 : 2;
    sizingIndex_ = line;
    SetMouseCapture(true);
  } else if (button == mbLeft && MouseToCell(x, y, c, r) && !IsFixed(c, r)) {
    bool same = c == col_ && r == row_;
    MoveCurrent(c, r, (shift & ssShift) != 0);
    if (same && (options_ & goEditing) && !(shift & (ssDouble | ssShift))) SetEditorMode(true);
    selecting_ = (options_ & goRangeSelect) != 0;
    if (selecting_) SetMouseCapture(true);
  }
  TWinControl::MouseDown(button, shift, x, y);
}

void TCustomGrid::MouseMove(TShiftState shift, int x, int y) {
  int c, r;
  if (sizing_) {
    RECT cr = sizing_ == 1 ? CellRect(sizingIndex_, 0) : CellRect(0, sizingIndex_);
    if (sizing_ == 1)
      SetColWidths(sizingIndex_, std::max<int>(x - cr.left, 0));
    else
      SetRowHeights(sizingIndex_, std::max<int>(y - cr.top, 0));
  } else if (selecting_ && (shift & ssLeft)) {
    if (MouseToCell(x, y, c, r) && !IsFixed(c, r) && (c != col_ || r != row_)) MoveCurrent(c, r, true);
  }
  TWinControl::MouseMove(shift, x, y);
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && (sizing_ || selecting_)) {
    sizing_ = 0;
    selecting_ = false;
    SetMouseCapture(false);
  }
  TWinControl::MouseUp(button, shift, x, y);
}

void TCustomGrid::DrawCell(int col, int row, const RECT& rect, TGridDrawState state) {
  (void)state;
  if (OnDrawCell) OnDrawCell(this, col, row, rect, state);
}

void TCustomGrid::Paint(HDC dc) {
  canvas_.SetHandle(dc);
  canvas_.Font()->Assign(&font_);
  RECT client;
  GetClientRect(Handle(), &client);
  canvas_.Brush()->SetColor(Color());
  canvas_.FillRect(client);
  for (int r = 0; r < rowCount_; ++r) {
    if (r >= fixedRows_ && r < topRow_) continue;
    RECT first = CellRect(0, r);
    if (first.top >= client.bottom) break;
    for (int c = 0; c < colCount_; ++c) {
      if (c >= fixedCols_ && c < leftCol_) continue;
      RECT cr = CellRect(c, r);
      if (cr.left >= client.right) break;
      TGridDrawState state = 0;
      if (IsFixed(c, r)) state |= gdFixed;
      else {
        if (Selected(c, r)) state |= gdSelected;
        if (c == col_ && r == row_ && Focused()) state |= gdFocused;
      }
      canvas_.Font()->Assign(&font_);
      if (DefaultDrawing) {
        canvas_.Brush()->SetColor(state & gdFixed ? fixedColor_
                                  : (state & gdSelected) && (!(state & gdFocused) ||
                                        (options_ & (goDrawFocusSelected | goRowSelect)))
                                      ? clHighlight
                                      : Color());
        if ((state & gdSelected) && !(state & gdFixed)) canvas_.Font()->SetColor(clHighlightText);
        canvas_.FillRect(cr);
      }
      DrawCell(c, r, cr, state);
      if (DefaultDrawing && (state & gdFixed)) {
        RECT e = cr;
        DrawEdge(dc, &e, BDR_RAISEDINNER, BF_RECT);
      }
      if (DefaultDrawing && (state & gdFocused) && !(options_ & goRowSelect)) canvas_.DrawFocusRect(cr);
      // Grid lines right and below the cell.
      bool fixed = (state & gdFixed) != 0;
      HBRUSH line = CreateSolidBrush(ColorToRGB(clBtnShadow));
      if (options_ & (fixed ? goFixedVertLine : goVertLine)) {
        RECT v = {cr.right, cr.top, cr.right + lineWidth_, cr.bottom + lineWidth_};
        FillRect(dc, &v, line);
      }
      if (options_ & (fixed ? goFixedHorzLine : goHorzLine)) {
        RECT h = {cr.left, cr.bottom, cr.right + lineWidth_, cr.bottom + lineWidth_};
        FillRect(dc, &h, line);
      }
      DeleteObject(line);
    }
  }
  canvas_.SetHandle(nullptr);
}

LRESULT TCustomGrid::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS | ((options_ & goTabs) ? DLGC_WANTTAB : 0);
    case WM_ERASEBKGND:
      return 1;
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(Handle(), &p);
        bool cols = false;
        if (sizing_ || SizingLine(p.x, p.y, cols) >= 0) {
          ::SetCursor(Screen->Cursors((sizing_ ? sizing_ == 1 : cols) ? crHSplit : crVSplit));
          return TRUE;
        }
      }
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(Handle(), &ps);
      Paint(dc);
      EndPaint(Handle(), &ps);
      return 0;
    }
    case WM_VSCROLL:
    case WM_HSCROLL:
      Scroll(msg == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(wp));
      return 0;
    case WM_MOUSEWHEEL:
      SetTopRow(topRow_ - static_cast<short>(HIWORD(wp)) / WHEEL_DELTA * 3);
      return 0;
    case WM_SIZE:
      UpdateScrollBars();
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateCell(col_, row_);
      if (msg == WM_SETFOCUS && editor_ && editor_->Shown()) editor_->SetFocus();
      if (msg == WM_KILLFOCUS && !(editor_ && reinterpret_cast<HWND>(wp) == editor_->Handle())) {
        LRESULT res = TWinControl::WndProc(msg, wp, lp);
        FocusLost();
        return res;
      }
      break;
    default:
      break;
  }
  return TWinControl::WndProc(msg, wp, lp);
}

TStringGrid::TStringGrid(TComponent* owner) : TCustomGrid(owner) { Resize(ColCount(), RowCount()); }

void TStringGrid::Resize(int cols, int rows) {
  cells_.resize(static_cast<size_t>(cols));
  for (auto& c : cells_) c.resize(static_cast<size_t>(rows));
}

void TStringGrid::SetColCount(int count) {
  Resize(std::max(count, 1), RowCount());
  TCustomGrid::SetColCount(count);
}

void TStringGrid::SetRowCount(int count) {
  Resize(ColCount(), std::max(count, 1));
  TCustomGrid::SetRowCount(count);
}

std::string TStringGrid::Cells(int col, int row) const {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return "";
  return cells_[static_cast<size_t>(col)][static_cast<size_t>(row)];
}

void TStringGrid::SetCells(int col, int row, const std::string& text) {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) throw EInvalidGridOperation(SGridIndex);
  cells_[static_cast<size_t>(col)][static_cast<size_t>(row)] = text;
  InvalidateCell(col, row);
  TInplaceEdit* e = InplaceEditor();
  if (e && e->Shown() && col == Col() && row == Row() && e->Text() != text) {
    e->SetVisible(false);
    e->SetText(text);
    e->SetVisible(true);
  }
}

void TStringGrid::SetEditText(int col, int row, const std::string& text) {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return;
  cells_[static_cast<size_t>(col)][static_cast<size_t>(row)] = text;
  InvalidateCell(col, row);
}

void TStringGrid::DrawCell(int col, int row, const RECT& rect, TGridDrawState state) {
  if (DefaultDrawing) Canvas()->TextRect(rect, rect.left + 2, rect.top + 2, Cells(col, row));
  TCustomGrid::DrawCell(col, row, rect, state);
}

void TStringGrid::ColumnMoved(int from, int to) {
  auto moved = std::move(cells_[static_cast<size_t>(from)]);
  cells_.erase(cells_.begin() + from);
  cells_.insert(cells_.begin() + to, std::move(moved));
}

void TStringGrid::RowMoved(int from, int to) {
  for (auto& c : cells_) {
    std::string s = std::move(c[static_cast<size_t>(from)]);
    c.erase(c.begin() + from);
    c.insert(c.begin() + to, std::move(s));
  }
}
