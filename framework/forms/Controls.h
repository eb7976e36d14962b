// Windowed controls of the form class library. Every control is a real
// window tagged with its component name (see ControlTags.h), so another
// process can find it, read it and click it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "Classes.h"
#include "Colors.h"
#include "DragDrop.h"
#include "Screen.h"


class TFont;
class TForm;
class TPopupMenu;

// Mouse and keyboard input.
enum TMouseButton { mbLeft, mbRight, mbMiddle };
using TShiftState = unsigned;
enum : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32,
                  ssDouble = 64 };
// The shift state of a mouse message's key flags, plus Alt from the keyboard.
TShiftState MouseShiftState(WPARAM keyFlags);
// The shift state of the keyboard now.
TShiftState KeyboardShiftState();
using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift,
                                       int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TObject* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char& key)>;
// A window procedure that replaces a control's own; it calls the control's
// DispatchDefault for everything it does not handle itself.
using TWndMethod = std::function<LRESULT(UINT msg, WPARAM wp, LPARAM lp)>;


enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
class TGraphicControl;

class TWinControl : public TComponent, public TDragControl {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  // The window is made when the control gets a parent with a window.
  HWND Handle() const { return handle_; }
  bool HandleAllocated() const { return handle_ != nullptr; }
  static TWinControl* FromHandle(HWND window);

  TWinControl* Parent() const { return parent_; }
  void SetParent(TWinControl* parent);
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TWinControl* Controls(int index) const { return controls_.at(static_cast<size_t>(index)); }

  void SetName(const std::string& name) override;

  std::string Caption() const;
  void SetCaption(const std::string& text);
  std::string Text() const { return Caption(); }
  void SetText(const std::string& text) { SetCaption(text); }

  // Bounds in the parent's client co-ordinates (the screen's for forms).
  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
  void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
  void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
  void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
  virtual void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const;
  int ClientWidth() const;
  int ClientHeight() const;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const;
  virtual void SetVisible(bool visible);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TColor FontColor() const { return fontColor_; }
  void SetFontColor(TColor color);
  // The font of the window's text (the system's GUI font at first). With
  // ParentFont, which a change of Font turns off, it follows the parent's
  // font (all but the colour, which stays FontColor).
  TFont* Font() const { return font_.get(); }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool parentFont);
  std::string Hint;
  bool ShowHint = false;

  // Controls aligned to an edge or the client area are laid out by their
  // parent whenever it or they change size (unless alignment is disabled).
  TAlign Align() const { return align_; }
  virtual void SetAlign(TAlign align);
  void DisableAlign() { ++alignDisabled_; }
  void EnableAlign();
  void Realign();

  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);

  // Focus and capture. CanFocus: the window and every parent up to the
  // form are visible and enabled.
  void SetFocus();
  bool Focused() const;
  bool CanFocus() const;

  // Keyboard navigation: Tab visits the controls with TabStop in TabOrder
  // within each parent, each followed by its own children. TabStop starts
  // as the window class sets it (buttons, edits, lists: on); TabOrder is
  // the place among the parent's children (the order they were put in).
  bool TabStop() const;
  void SetTabStop(bool tabStop);
  int TabOrder() const;
  void SetTabOrder(int order);
  // The control Tab (goForward) or Shift+Tab reaches after current among
  // this control's descendants, round the end; none when none takes it.
  TWinControl* FindNextControl(TWinControl* current, bool goForward) const;
  // The descendants that Tab visits now, in order.
  std::vector<TWinControl*> TabOrderList() const;
  bool MouseCapture() const;
  void SetMouseCapture(bool capture);

  // The menu shown by a right click (with its AutoPopup) or the menu key.
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu);

  // Every message of the window goes through WindowProc when it is set;
  // DispatchDefault is the control's own handling.
  TWndMethod WindowProc;
  LRESULT DispatchDefault(UINT msg, WPARAM wp, LPARAM lp) { return WndProc(msg, wp, lp); }
  LRESULT Perform(UINT msg, WPARAM wp, LPARAM lp);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TNotifyEvent OnResize;

  // Non-windowed children in control order; this window paints them.
  int GraphicControlCount() const { return static_cast<int>(graphicControls_.size()); }
  TGraphicControl* GraphicControls(int index) const { return graphicControls_.at(static_cast<size_t>(index)); }
  // Paints the graphic children that meet the context's clip region.
  void PaintGraphicControls(HDC dc);
  // The visible, enabled graphic child at a client point, or none.
  TGraphicControl* GraphicControlAt(int x, int y) const;

 protected:
  struct CreateParams {
    const char* className;
    DWORD style;
    DWORD exStyle;
    HWND parent;
  };
  virtual void FillCreateParams(CreateParams& params) = 0;
  // Made after the window exists (to push stored state into it).
  virtual void HandleCreated() {}
  void CreateHandle();
  // Makes the window of the parameters (CreateWindowEx by default).
  virtual HWND CreateWindowHandle(const CreateParams& params);
  // Messages of this control's window; the default reflects notifications
  // and colour requests to the child they come from.
  virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
  // The window's own default handling of a message.
  virtual LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);
  // A notification code of WM_COMMAND sent by this control.
  virtual void CommandNotify(WORD code) { (void)code; }
  // A code of WM_HSCROLL or WM_VSCROLL sent by this control.
  virtual void ScrollNotify(WORD code) { (void)code; }
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void KeyDown(WORD& key, TShiftState shift);
  virtual void KeyUp(WORD& key, TShiftState shift);
  virtual void KeyPress(char& key);
  virtual void DoEnter();
  virtual void DoExit();
  virtual void Resize();
  // The mouse capture went to another window (or was released).
  virtual void CaptureChanged() {}
  // A WM_NOTIFY sent by this control; true when handled (result set).
  virtual bool NotifyReflected(NMHDR& header, LRESULT& result) {
    (void)header;
    (void)result;
    return false;
  }
  // A WM_DRAWITEM for this owner-drawn control; true when drawn.
  virtual bool DrawItem(const DRAWITEMSTRUCT& item) {
    (void)item;
    return false;
  }
  // After Font changed (its own or the parent's, taken over).
  virtual void FontChanged() {}
  // Lays out the aligned children inside the client area.
  virtual void AlignControls();
  void Notification(TComponent* component, TOperation operation) override;
  bool MouseInside() const { return mouseInside_; }
  // Brush and text colour for the WM_CTLCOLORxxx request of this control.
  HBRUSH CtlColor(HDC dc);
  HBRUSH BackgroundBrush();
  // Fills the client area with Color (a WM_ERASEBKGND answer).
  LRESULT FillBackground(HDC dc);
  static void RegisterOwnClass(const char* className, UINT classStyle = CS_DBLCLKS,
                               WNDPROC classProc = DefWindowProcA);
  TObject* DragSelf() override { return this; }
  HWND DragWindow() const override { return handle_; }
  POINT DragScreenToClient(POINT screen) const override;

  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::string caption_;
  TColor color_ = clBtnFace;

 private:
  friend class TGraphicControl;
  static LRESULT CALLBACK StaticProc(HWND, UINT, WPARAM, LPARAM);
  bool InputMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  // Hands a mouse message over a graphic child (or to the one that holds
  // the mouse) to that child; true when one took it.
  bool GraphicMouse(UINT msg, WPARAM wp, int x, int y);
  LRESULT PaintWithGraphicControls(WPARAM wp, LPARAM lp);
  void Detach();
  void ApplyNameTag();
  void AddTabOrderList(std::vector<TWinControl*>& list) const;
  HWND handle_ = nullptr;
  WNDPROC oldProc_ = nullptr;
  ATOM nameAtom_ = 0;
  TWinControl* parent_ = nullptr;
  std::vector<TWinControl*> controls_;
  std::vector<TWinControl*> tabList_;
  int tabStop_ = -1;  // -1: as the window class sets it
  std::vector<TGraphicControl*> graphicControls_;
  TGraphicControl* graphicCapture_ = nullptr;
  bool enabled_ = true;
  bool visible_ = true;
  TColor fontColor_ = clWindowText;
  HBRUSH brush_ = nullptr;
  TAlign align_ = alNone;
  int alignDisabled_ = 0;
  bool aligning_ = false;
  TCursor cursor_ = crDefault;
  TPopupMenu* popupMenu_ = nullptr;
  bool mouseInside_ = false;
  // Font and ParentFont (ControlFont.cpp).
  void InitFont();
  void TakeParentFont();
  void ApplyFont();
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  bool takingFont_ = false;
};

// The form that holds a control, or none.
TForm* GetParentForm(TWinControl* control);
