// Forms: top-level windows with caption, bounds, border and form styles,
// show and hide, a modal loop, message methods dispatched by message
// number, and the create, show and destroy events.
#pragma once

#include <functional>
#include <map>

#include "Controls.h"

class TMainMenu;
class TMenuItem;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
// An MDI frame (fsMDIForm) holds its MDI children (fsMDIChild) in its MDI
// client window; both styles are fixed when the form is made.
enum TFormStyle { fsNormal, fsStayOnTop, fsMDIChild, fsMDIForm };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
enum : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
             mrYes = 6, mrNo = 7 };

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};
using TMessageMethod = std::function<void(TMessage& msg)>;

// A derived form builds its components in its constructor (they are
// created while the form is loading) and then calls FormCreated, which
// ends the loading and fires OnCreate. The window class name is the one
// given to the constructor, and so is an MDI style: an MDI child is made
// in the MDI frame that owns it, else in the main form.
class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* owner, const char* className = "TForm", TFormStyle style = fsNormal);
  ~TForm() override;

  void Show();
  void Hide();
  void SetVisible(bool visible) override { visible ? Show() : Hide(); }
  // Shows the form, keeps the other windows of the program disabled and
  // handles messages until ModalResult is set; then hides it.
  int ShowModal();
  // The main form ends the program; any other form hides (a modal one
  // answers mrCancel).
  void Close();
  int ModalResult = mrNone;

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle style);
  unsigned BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(unsigned icons);
  TFormStyle FormStyle() const { return formStyle_; }
  // Between fsNormal and fsStayOnTop; the MDI styles stay as made.
  void SetFormStyle(TFormStyle style);
  // The MDI client window of an MDI frame (else none), its children and
  // the active one.
  HWND ClientHandle() const { return clientHandle_; }
  int MDIChildCount() const;
  TForm* MDIChildren(int index) const;
  TForm* ActiveMDIChild() const;
  // The item of the menu bar whose menu lists the MDI children.
  TMenuItem* WindowMenu() const { return windowMenu_; }
  void SetWindowMenu(TMenuItem* item);
  TWindowState WindowState() const;
  void SetWindowState(TWindowState state);
  void SetClientSize(int width, int height);

  // The menu bar; its commands, popups, highlighted items and F1 on an
  // item are handled by the form.
  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* menu);

  // The control that has (or, while the form is inactive, last had) the
  // focus; setting it focuses it. The form gives it back the focus when it
  // is activated again (at first: the first control that Tab reaches).
  TWinControl* ActiveControl() const;
  void SetActiveControl(TWinControl* control);
  // Moves the focus to the control Tab (or Shift+Tab) reaches from
  // current (the active control when none).
  void SelectNext(TWinControl* current, bool goForward);
  // The focus arrived at a control of this form.
  void FocusChanged(TWinControl* control);
  // Keys that the focused control does not want: Tab and Shift+Tab, the
  // arrows between radio buttons, Enter and Escape for the default and
  // cancel buttons, Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PageDown and
  // Ctrl+PageUp for the page control. True when the key was used.
  virtual bool DialogKey(WORD key, TShiftState shift);
  // Alt with a letter: the button, check box or radio button whose caption
  // marks it with & is clicked, the label's FocusControl focused.
  virtual bool DialogChar(char c);

  // Message methods: handler runs for every message of that number; it may
  // hand the message on to the default handling with DefaultHandler.
  void SetMessageMethod(UINT msg, TMessageMethod method);
  void DefaultHandler(TMessage& msg);

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnDestroy;

 protected:
  void FormCreated();
  void FillCreateParams(CreateParams& p) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp) override;
  HWND CreateWindowHandle(const CreateParams& params) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void ApplyStyle();
  // Hands the menu bar and the window menu to the MDI client.
  void SetMDIMenu();
  // The MDI frame an MDI child is made in.
  TForm* MDIFrame() const;
  void CreateMDIClient();
  void DestroyMDIChild();
  LRESULT FormDefault(UINT msg, WPARAM wp, LPARAM lp);
  // Focuses the active control (else the first Tab reaches); false when
  // the form has none to focus.
  bool RestoreFocus();
  const char* className_;
  TFormBorderStyle borderStyle_ = bsSizeable;
  unsigned borderIcons_ = biSystemMenu | biMinimize | biMaximize;
  TFormStyle formStyle_ = fsNormal;
  bool modal_ = false;
  TMainMenu* menu_ = nullptr;
  TMenuItem* windowMenu_ = nullptr;
  HWND clientHandle_ = nullptr;
  HWND activeWindow_ = nullptr;  // of ActiveControl
  std::map<UINT, TMessageMethod> methods_;
};
