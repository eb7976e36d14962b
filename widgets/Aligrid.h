// A string grid whose cells carry their own alignment, font, brush, edit
// permission, selection colour and hint (per cell, column and row, with
// separate column and row settings for fixed cells), rows marked selected,
// multi-line texts, an editor that follows the cell's look, edit events and
// the move to the next cell after an edit or on Tab.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "Application.h"
#include "Filer.h"
#include "Grids.h"

enum class TMyAlign : uint8_t { alRight, alLeft, alCenter };
enum T_nextcell : uint8_t { nc_rightdown, nc_downright, nc_leftdown, nc_downleft, nc_leftup,
                            nc_upleft, nc_rightup, nc_upright };
enum t_lastcell : uint8_t { lc_newcolrow, lc_stop, lc_first };

using TCellEvent = std::function<void(TObject* sender, int col, int row)>;
using TCompareEvent = std::function<int(TObject* sender, int index, int a, int b)>;

// Messages the grid posts itself about edits (wParam column, lParam row).
enum : UINT { WM_GRID_CANCELEDIT = 0xBD0, WM_GRID_AFTEREDIT = 0xBD1, WM_GRID_LEFTCELL = 0xBD2,
              WM_GRID_BEFOREEDIT = 0xBD3, WM_GRID_REOPEN = 0xBD4 };

class TAlignedStringGrid;

class TNewInplaceEdit : public TInplaceEdit {
 public:
  explicit TNewInplaceEdit(TAlignedStringGrid* grid);
  TMyAlign Alignment() const { return alignment_; }
  // Recreates the window with the edit style of the alignment.
  void SetAlignment(TMyAlign alignment);
  int CellCol = -1, CellRow = -1;
  bool BeforeEditSent = false;
  std::string SavedText;
  void ForgetCell() {
    CellCol = CellRow = -1;
    BeforeEditSent = false;
  }

 protected:
  void FillCreateParams(CreateParams& p) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char& key) override;

 private:
  TAlignedStringGrid* aligned_;
  TMyAlign alignment_ = TMyAlign::alLeft;
};

class TAlignedStringGrid : public TStringGrid {
 public:
  explicit TAlignedStringGrid(TComponent* owner);
  ~TAlignedStringGrid() override;

  TMyAlign Alignment() const { return alignment_; }
  void SetAlignment(TMyAlign a);
  bool Editable() const { return editable_; }
  void SetEditable(bool e) { editable_ = e; }
  void SetFixedColor(TColor color) override;
  bool ShowCellHints = true;
  TCellEvent OnAfterEdit, OnCancelEdit, OnBeforeEdit;
  TColor SelectedCellColor() const { return selectedCellColor_; }
  void SetSelectedCellColor(TColor c);
  TColor SelectedFontColor() const { return selectedFontColor_; }
  void SetSelectedFontColor(TColor c);
  bool AutoEditNextCell = false;
  T_nextcell NextCellEdit = nc_rightdown;
  T_nextcell NextCellTab = nc_rightdown;
  t_lastcell AfterLastCellEdit = lc_newcolrow;
  t_lastcell AfterLastCellTab = lc_first;
  bool DrawSelection() const { return drawSelection_; }
  void SetDrawSelection(bool v);
  bool DrawSpecialSelection() const { return drawSpecialSelection_; }
  void SetDrawSpecialSelection(bool v);
  TCompareEvent OnCompareRow, OnCompareCol;
  TNotifyEvent OnColWidthsChanged, OnRowHeightsChanged;

  // Attributes by cell, column and row.
  void SetAlignCell(int col, int row, TMyAlign a);
  void SetAlignCol(int col, TMyAlign a);
  void SetFixedAlignCol(int col, TMyAlign a);
  void SetAlignRow(int row, TMyAlign a);
  void SetFixedAlignRow(int row, TMyAlign a);
  void SetEditCell(int col, int row, bool editable);
  void SetEditCol(int col, bool editable);
  void SetEditRow(int row, bool editable);
  void SetSelectedColorCell(int col, int row, TColor c);
  void SetSelectedColorCol(int col, TColor c);
  void SetSelectedColorRow(int row, TColor c);
  void SetHintCell(int col, int row, const std::string& text);
  // The row's font or brush, made on first use as a copy of the grid's; a
  // change of it redraws the grid.
  TFont* GetFontRow(int row);
  TBrush* GetBrushCell(int col, int row);
  TBrush* GetBrushCol(int col);
  TBrush* GetBrushRow(int row);
  TBrush* GetBrushFixedCol(int col);
  TBrush* GetBrushFixedRow(int row);
  void SetColorRow(int row, TColor c);

  // The resolved attributes of a cell.
  TMyAlign CellAlignment(int col, int row) const;
  TFont* CellFont(int col, int row);
  TBrush* CellBrush(int col, int row);
  TColor CellBrushColor(int col, int row) { return CellBrush(col, row)->Color(); }
  bool CellEditable(int col, int row) const;
  TColor CellSelectedColor(int col, int row) const;
  std::string CellHint(int col, int row) const;

  bool GetSelectedRow(int row) const;
  void SetSelectedRow(int row, bool marked);
  void ClearSelectedRows(bool redraw);
  // Lines split at CR (a LF after it dropped); width = widest line + 4,
  // height = sum of line heights; below 5 either becomes 0.
  void MeasureCellText(const std::string& text, int col, int row, int& width, int& height);
  void InsertCol(int index);
  void InsertRow(int index);
  void SetColCount(int count) override;
  void SetRowCount(int count) override;
  bool Editing() const { return editing_; }

  void DefineProperties(TFiler& filer) override;

 protected:
  void DrawCell(int col, int row, const RECT& rect, TGridDrawState state) override;
  bool CanEditShow() override;
  TInplaceEdit* CreateEditor() override;
  void ColumnMoved(int from, int to) override;
  void RowMoved(int from, int to) override;
  void ColWidthsChanged() override;
  void RowHeightsChanged() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void FocusLost() override;
  void Loaded() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void MouseMove(TShiftState shift, int x, int y) override;

 private:
  friend class TNewInplaceEdit;
  void ShowCellHint(std::string& hintStr, THintInfo& info);
  int hintCol_ = -1, hintRow_ = -1;
  template <class V>
  using LineMap = std::map<int, V>;
  template <class V>
  using CellMap = std::map<std::pair<int, int>, V>;  // (column, row)
  using FontPtr = std::unique_ptr<TFont>;
  using BrushPtr = std::unique_ptr<TBrush>;

  // One step toward the next cell; false when there is none.
  bool NextCell(T_nextcell dir, t_lastcell last, int& col, int& row, bool& grown);
  void CellEvent(const TCellEvent& e, int col, int row);
  TNewInplaceEdit* Editor() const;
  FontPtr NewFont();
  BrushPtr NewBrush();
  void ShiftTables(bool cols, int index);
  void MoveTables(bool cols, int from, int to);
  void Redraw() { InvalidateGrid(); }
  void ReadColorList(TReader& r, int kind);

  TMyAlign alignment_ = TMyAlign::alLeft;
  bool editable_ = true;
  TColor selectedCellColor_ = clActiveCaption, selectedFontColor_ = clWhite;
  bool drawSelection_ = true, drawSpecialSelection_ = false;
  bool editing_ = false;
  bool reopenEditor_ = false;
  bool alwaysShowEditor_ = false;
  int savedSelStart_ = 0, savedSelLength_ = 0;
  TBrush fixedBrush_, brush_;

  CellMap<TMyAlign> alignCell_;
  LineMap<TMyAlign> alignCol_, fixedAlignCol_, alignRow_, fixedAlignRow_;
  CellMap<FontPtr> fontCell_;
  LineMap<FontPtr> fontCol_, fontFixedCol_, fontRow_, fontFixedRow_;
  CellMap<BrushPtr> brushCell_;
  LineMap<BrushPtr> brushCol_, brushFixedCol_, brushRow_, brushFixedRow_;
  CellMap<bool> editCell_;
  LineMap<bool> editCol_, editRow_;
  CellMap<TColor> selColorCell_;
  LineMap<TColor> selColorCol_, selColorRow_;
  CellMap<std::string> hintCell_;
  LineMap<bool> rowMarks_;
  CellMap<std::string> loadedCells_;

  // Has-data flags of the streamed tables.
  enum : unsigned { hAlignCell, hAlignCol, hFixedAlignCol, hAlignRow, hFixedAlignRow, hEditCell,
                    hEditCol, hEditRow, hHintCell, hFontCell, hFontCol, hFontFixedCol, hFontRow,
                    hFontFixedRow, hBrushCell, hBrushCol, hBrushFixedCol, hBrushRow,
                    hBrushFixedRow, hSelColorCell, hSelColorCol, hSelColorRow, hCount };
  bool has_[hCount] = {};
};
