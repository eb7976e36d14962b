// The grid base: cells in columns and rows with fixed ones at the top and
// left, a current cell, a selection, keyboard and mouse movement, scrolling,
// painting cell by cell, and an in-place editor; the string grid keeps a
// text per cell.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Controls.h"
#include "Graphics.h"
#include "StdCtrls.h"

class EInvalidGridOperation : public Exception {
  using Exception::Exception;
};

enum : unsigned {
  goFixedVertLine = 1 << 0, goFixedHorzLine = 1 << 1, goVertLine = 1 << 2, goHorzLine = 1 << 3,
  goRangeSelect = 1 << 4, goDrawFocusSelected = 1 << 5, goRowSizing = 1 << 6,
  goColSizing = 1 << 7, goRowMoving = 1 << 8, goColMoving = 1 << 9, goEditing = 1 << 10,
  goTabs = 1 << 11, goRowSelect = 1 << 12, goAlwaysShowEditor = 1 << 13, goThumbTracking = 1 << 14
};
using TGridOptions = unsigned;

enum : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = unsigned;

struct TGridRect {
  int Left, Top, Right, Bottom;
};

class TCustomGrid;
using TDrawCellEvent = std::function<void(TObject* sender, int col, int row, const RECT& rect,
                                          TGridDrawState state)>;
using TSelectCellEvent = std::function<void(TObject* sender, int col, int row, bool& canSelect)>;

// The edit box laid over the current cell.
class TInplaceEdit : public TEdit {
 public:
  explicit TInplaceEdit(TCustomGrid* grid);
  TCustomGrid* Grid() const { return grid_; }
  // Places the editor over the rectangle and shows it.
  void Move(const RECT& r);
  void Hide();
  bool Shown() const;

 protected:
  void FillCreateParams(CreateParams& p) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void CommandNotify(WORD code) override;
  TCustomGrid* grid_;
};

class TCustomGrid : public TWinControl {
 public:
  explicit TCustomGrid(TComponent* owner);
  ~TCustomGrid() override;

  int ColCount() const { return colCount_; }
  virtual void SetColCount(int count);
  int RowCount() const { return rowCount_; }
  virtual void SetRowCount(int count);
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int count);
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int count);
  int DefaultColWidth() const { return defaultColWidth_; }
  void SetDefaultColWidth(int width);
  int DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(int height);
  int ColWidths(int col) const;
  void SetColWidths(int col, int width);
  int RowHeights(int row) const;
  void SetRowHeights(int row, int height);
  int GridLineWidth() const { return lineWidth_; }
  TGridOptions Options() const { return options_; }
  void SetOptions(TGridOptions options);
  TColor FixedColor() const { return fixedColor_; }
  virtual void SetFixedColor(TColor color);
  bool DefaultDrawing = true;

  int Col() const { return col_; }
  void SetCol(int col) { FocusCell(col, row_); }
  int Row() const { return row_; }
  void SetRow(int row) { FocusCell(col_, row); }
  TGridRect Selection() const;
  int TopRow() const { return topRow_; }
  void SetTopRow(int row);
  int LeftCol() const { return leftCol_; }
  void SetLeftCol(int col);

  RECT CellRect(int col, int row) const;
  // The cell under a client point; false (and -1, -1) outside every cell.
  bool MouseToCell(int x, int y, int& col, int& row) const;
  void InvalidateCell(int col, int row);
  void InvalidateGrid();

  bool EditorMode() const { return editorMode_; }
  void SetEditorMode(bool on);
  TInplaceEdit* InplaceEditor() const { return editor_; }
  void MoveColumn(int from, int to);
  void MoveRow(int from, int to);

  TFont* Font() { return &font_; }
  TCanvas* Canvas() { return &canvas_; }
  TDrawCellEvent OnDrawCell;
  TSelectCellEvent OnSelectCell;

  // Moves the current cell (if SelectCell allows) and keeps it in view.
  void FocusCell(int col, int row);
  // As FocusCell; with extend (and goRangeSelect) the selection stretches
  // from its anchor to the new cell.
  void MoveCurrent(int col, int row, bool extend);

 protected:
  void FillCreateParams(CreateParams& p) override;
  void HandleCreated() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

  virtual void DrawCell(int col, int row, const RECT& rect, TGridDrawState state);
  virtual bool SelectCell(int col, int row);
  virtual bool CanEditShow();
  virtual TInplaceEdit* CreateEditor();
  virtual std::string GetEditText(int col, int row);
  virtual void SetEditText(int col, int row, const std::string& text);
  virtual void ColumnMoved(int from, int to) { (void)from; (void)to; }
  virtual void RowMoved(int from, int to) { (void)from; (void)to; }
  virtual void ColWidthsChanged() {}
  virtual void RowHeightsChanged() {}
  // The grid lost the focus to a window that is not its editor.
  virtual void FocusLost() {}
  // The editor is shown on the current cell, or hidden when it may not be.
  void UpdateEdit();
  void HideEdit();
  bool IsFixed(int col, int row) const { return col < fixedCols_ || row < fixedRows_; }
  bool Selected(int col, int row) const;
  void ShowEditorChar(char c);

  friend class TInplaceEdit;

 private:
  void Paint(HDC dc);
  void UpdateScrollBars();
  void Scroll(int bar, WORD code);
  void ScrollInView(int col, int row);
  int VisibleRows() const;
  int VisibleCols() const;
  int SizingLine(int x, int y, bool& cols) const;
  int sizing_ = 0;  // 1 a column, 2 a row is being sized
  int sizingIndex_ = -1;
  bool selecting_ = false;
  int colCount_ = 5, rowCount_ = 5, fixedCols_ = 1, fixedRows_ = 1;
  int defaultColWidth_ = 64, defaultRowHeight_ = 24, lineWidth_ = 1;
  std::vector<int> colWidths_, rowHeights_;
  TGridOptions options_ = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine |
                          goRangeSelect;
  TColor fixedColor_ = clBtnFace;
  int col_ = 1, row_ = 1, anchorCol_ = 1, anchorRow_ = 1;
  int topRow_ = 1, leftCol_ = 1;
  bool editorMode_ = false;
  TInplaceEdit* editor_ = nullptr;
  int editorCol_ = -1, editorRow_ = -1;  // the cell whose text the editor shows
  TFont font_;
  TCanvas canvas_;
};

class TStringGrid : public TCustomGrid {
 public:
  explicit TStringGrid(TComponent* owner);
  std::string Cells(int col, int row) const;
  void SetCells(int col, int row, const std::string& text);
  void SetColCount(int count) override;
  void SetRowCount(int count) override;

 protected:
  void DrawCell(int col, int row, const RECT& rect, TGridDrawState state) override;
  std::string GetEditText(int col, int row) override { return Cells(col, row); }
  void SetEditText(int col, int row, const std::string& text) override;
  void ColumnMoved(int from, int to) override;
  void RowMoved(int from, int to) override;

 private:
  void Resize(int cols, int rows);
  std::vector<std::vector<std::string>> cells_;  // [col][row]
};
