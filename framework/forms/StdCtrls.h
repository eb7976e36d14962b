// The standard controls: panel, label, button, check box, group box, combo
// box, list box and edit box.
#pragma once

#include "Controls.h"
#include "GraphicControls.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

enum TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public TWinControl {
 public:
  explicit TPanel(TComponent* owner);
  void SetBevelInner(TBevelCut v);
  void SetBevelOuter(TBevelCut v);
  void SetBevelWidth(int v);
  TBevelCut BevelInner() const { return inner_; }
  TBevelCut BevelOuter() const { return outer_; }
  int BevelWidth() const { return bevelWidth_; }
  // Room between the outer and the inner bevel.
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int v);
  bool Ctl3D = true;

 protected:
  void FillCreateParams(CreateParams& p) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  // Bevels and caption; derived panels paint more over them.
  virtual void Paint(HDC dc);

 private:
  TBevelCut inner_ = bvNone, outer_ = bvRaised;
  int bevelWidth_ = 1;
  int borderWidth_ = 0;
};

// A label that paints its caption in its font and font colour (grey when
// disabled); a press and release of the left button on it is a click.
// With a FocusControl its caption's & marks the letter (shown underlined)
// that with Alt focuses that control; without one, & is plain text.
// With AutoSize (the default) it takes the size of its caption in its font
// whenever the caption, the font or the bounds given change: a right-
// justified label keeps the right edge of the bounds given, a centred one
// their middle; with WordWrap it keeps the width given and takes the height
// of the wrapped lines; an aligned label keeps what its alignment sets.
// Alignment and WordWrap are set before the caption.
class TLabel : public TCustomControl {
 public:
  explicit TLabel(TComponent* owner);
  TAlignment Alignment = taLeftJustify;
  bool WordWrap = false;
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize);
  void SetBounds(int left, int top, int width, int height) override;
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* control);

 protected:
  void Paint() override;
  void Notification(TComponent* component, TOperation operation) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void HandleCreated() override { AdjustBounds(); }
  void FontChanged() override { AdjustBounds(); }
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  void AdjustBounds();
  UINT TextFlags() const;
  bool pressed_ = false;
  bool autoSize_ = true;
  TWinControl* focusControl_ = nullptr;
  RECT given_ = {0, 0, 0, 0};
};

// A push button. Enter presses the form's Default button (or the push
// button that has the focus, which then shows the default frame instead),
// Escape its Cancel button.
class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* owner) : TWinControl(owner) {}
  // A non-zero value is handed to the button's form when it is clicked.
  int ModalResult = 0;
  bool Default() const { return default_; }
  void SetDefault(bool isDefault);
  bool Cancel = false;
  // What a click by the user does: ModalResult to the form, then OnClick.
  void Click() override;
  // Shows or hides the default frame (the form does it as the focus moves).
  void SetActive(bool active);

 protected:
  void FillCreateParams(CreateParams& p) override;
  void CommandNotify(WORD code) override;

 private:
  bool default_ = false;
  bool active_ = false;
};

class TCheckBox : public TWinControl {
 public:
  explicit TCheckBox(TComponent* owner) : TWinControl(owner) {}
  bool Checked() const;
  // A change fires OnClick, as a click by the user does.
  void SetChecked(bool checked);

 protected:
  void FillCreateParams(CreateParams& p) override;
  void HandleCreated() override;
  void CommandNotify(WORD code) override;
  bool checked_ = false;
};

// A radio button: checking it unchecks the other radio buttons of its
// parent; it fires OnClick when it becomes checked (by a click, an arrow
// key that moves to it, or SetChecked). A double click is reported too.
class TRadioButton : public TCheckBox {
 public:
  explicit TRadioButton(TComponent* owner) : TCheckBox(owner) {}
  void SetChecked(bool checked);

 protected:
  void FillCreateParams(CreateParams& p) override;
  void CommandNotify(WORD code) override;
};

// A frame with a caption around the controls placed in it.
class TGroupBox : public TWinControl {
 public:
  explicit TGroupBox(TComponent* owner) : TWinControl(owner) {}

 protected:
  void FillCreateParams(CreateParams& p) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

// Base of the combo box and the list box: a list of strings kept in the
// window, and the selected entry.
class TListControl : public TWinControl {
 public:
  explicit TListControl(TComponent* owner);
  TStringList* Items() { return &items_; }
  int ItemIndex() const;
  void SetItemIndex(int index);
  TNotifyEvent OnChange;

 protected:
  struct Messages {
    UINT reset, add, getSel, setSel, selChange;
  };
  virtual Messages ListMessages() const = 0;
  void HandleCreated() override;
  void CommandNotify(WORD code) override;
  // After any change of Items: fills the window again.
  virtual void ItemsChanged() { Refill(); }
  void Refill();

 private:
  TStringList items_;
  int index_ = -1;
};

enum TComboBoxStyle { csDropDown, csDropDownList };

// A combo box: a drop-down list, or (csDropDown) an edit field that takes
// typing with the list below it. Text is what the field shows; OnChange
// fires when the user types or picks an entry.
class TComboBox : public TListControl {
 public:
  explicit TComboBox(TComponent* owner) : TListControl(owner) { color_ = clWindow; }
  // Made before the window exists.
  TComboBoxStyle Style = csDropDownList;
  // The height given is the closed box's; the window keeps room to drop down.
  void SetBounds(int left, int top, int width, int height) override;
  bool DroppedDown() const;
  void SetDroppedDown(bool dropped);
  // The list is about to drop down.
  TNotifyEvent OnDropDown;

 protected:
  void FillCreateParams(CreateParams& p) override;
  Messages ListMessages() const override;
  void HandleCreated() override;
  void CommandNotify(WORD code) override;
  void ItemsChanged() override;

 private:
  // Refills the list; a typed text with no entry picked stays in the field.
  void RefillKeepingText();
  bool settingText_ = false;
};

class TListBox : public TListControl {
 public:
  explicit TListBox(TComponent* owner) : TListControl(owner) { color_ = clWindow; }

 protected:
  void FillCreateParams(CreateParams& p) override;
  Messages ListMessages() const override;
};

class TEdit : public TWinControl {
 public:
  explicit TEdit(TComponent* owner) : TWinControl(owner) { color_ = clWindow; }
  // Not 0: the field shows this character for each one typed (Text keeps
  // the real text).
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char c);
  TNotifyEvent OnChange;

 protected:
  void FillCreateParams(CreateParams& p) override;
  void HandleCreated() override;
  void CommandNotify(WORD code) override;

 private:
  char passwordChar_ = 0;
};
