// Controls with a canvas: the non-windowed graphic control, which its
// parent window paints (in control order, after the parent's own
// painting), and the windowed custom control with a virtual Paint.
#pragma once

#include <windows.h>

#include "Controls.h"
#include "Graphics.h"

class TGraphicControl;

// A canvas on a control's window: a windowed control's own, or for a
// graphic control the parent's, moved to the control's origin and clipped
// to it. The context is taken on first use and given back by FreeHandle.
class TControlCanvas : public TCanvas {
 public:
  explicit TControlCanvas(TWinControl* control) : window_(control) {}
  explicit TControlCanvas(TGraphicControl* control) : graphic_(control) {}
  ~TControlCanvas() override;
  void FreeHandle();

 protected:
  void CreateHandle() override;

 private:
  TWinControl* window_ = nullptr;
  TGraphicControl* graphic_ = nullptr;
  HWND owner_ = nullptr;
  HDC own_ = nullptr;
};

class TGraphicControl : public TComponent, public TDragControl {
 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;

  TWinControl* Parent() const { return parent_; }
  void SetParent(TWinControl* parent);

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
  RECT ClientRect() const { return {0, 0, width_, height_}; }
  int ClientWidth() const { return width_; }
  int ClientHeight() const { return height_; }

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);
  // With ParentColor the parent's colour is used.
  TColor Color() const;
  void SetColor(TColor color);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool parentColor);
  TFont* Font() { return &font_; }
  TCanvas* Canvas() { return &canvas_; }

  // Marks the control's area of the parent for painting.
  void Invalidate();
  // Paints at once: an opaque control directly, else through the parent.
  void Repaint();
  void Update();
  // Draws the control into a context whose origin is the control's top-left.
  void PaintTo(HDC dc);

  std::string Hint;
  bool ShowHint = false;
  // The parent's ShowHint counts while ParentShowHint is set.
  bool ParentShowHint = true;
  // Shown while the mouse is over the control.
  TCursor Cursor = crDefault;
  // Laid out by the parent with its windowed children.
  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);
  // The menu a right click on the control opens (with its AutoPopup).
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu);
  // The parent hands the mouse over the control to it, in the control's
  // co-ordinates; a button pressed on it holds the mouse until released.
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

 protected:
  friend class TWinControl;
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  void Notification(TComponent* component, TOperation operation) override;
  virtual void Paint() {}
  // After the bounds changed (the control's size message).
  virtual void Resized() {}
  TObject* DragSelf() override { return this; }
  HWND DragWindow() const override;
  POINT DragScreenToClient(POINT screen) const override;
  // A control that covers its whole area when it paints.
  bool opaque_ = false;

 private:
  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = clBtnFace;
  bool parentColor_ = true;
  TFont font_;
  TControlCanvas canvas_;
  TPopupMenu* popupMenu_ = nullptr;
  TAlign align_ = alNone;
};

// A windowed control that paints itself on its Canvas, which starts every
// painting with the control's Font.
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* owner);
  TCanvas* Canvas() { return &canvas_; }
  void Invalidate();
  void Repaint();

 protected:
  virtual void Paint() {}
  void FillCreateParams(CreateParams& p) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void PaintOn(HDC dc);
  TControlCanvas canvas_;
};
