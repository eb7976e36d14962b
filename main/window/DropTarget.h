// A component that makes a window accept OLE drag and drop: it works out
// the drop effect from the keys held and the allowed drag types, and calls
// its owner's events. Descendants say which data they take.
#pragma once

#include <ole2.h>

#include <atomic>
#include <functional>
#include <string>

#include "Controls.h"

enum TDragType { dtCopy = 1, dtMove = 2, dtLink = 4 };
using TDragTypes = unsigned;

class TDropTarget;
using TTargetOnEnterEvent = std::function<void(TObject* sender, POINTL point)>;
using TTargetOnDropEvent = std::function<void(TObject* sender, TDragType dragType, POINTL point)>;
using TGetDropEffectEvent =
    std::function<void(TObject* sender, DWORD keyState, DWORD& effect)>;

// A component that also counts the references to its interface: the one
// who creates it holds the first; at zero it frees itself. An owner that
// frees it first ends it whatever the count.
class TInterfacedComponent : public TComponent {
 public:
  explicit TInterfacedComponent(TComponent* owner) : TComponent(owner) {}
  ULONG AddReference() { return static_cast<ULONG>(++refs_); }
  ULONG ReleaseReference() {
    long left = --refs_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 private:
  std::atomic<long> refs_{1};
};

class TDropTarget : public TInterfacedComponent, public IDropTarget {
 public:
  explicit TDropTarget(TComponent* owner);
  ~TDropTarget() override;

  // Registers the target on the control's window (revoking it from another
  // control first); registering again on the same control does nothing.
  // A refusal raises "Failed to Register " + the control's name.
  void Register(TWinControl* control);
  // Revokes the registration; nothing when none is registered.
  void Unregister();
  TWinControl* Target() const { return target_; }
  bool Registered() const { return target_ != nullptr; }
  // The effect for the keys held: link with Shift and Ctrl, move with
  // Shift, else the first allowed of copy, move and link.
  DWORD GetValidDropEffect(DWORD keyState);

  bool GetDataOnEnter = true;
  TDragTypes Dragtypes = dtCopy | dtMove | dtLink;
  TTargetOnEnterEvent OnEnter;
  TNotifyEvent OnDragOver;
  TNotifyEvent OnLeave;
  TTargetOnDropEvent OnDrop;
  TGetDropEffectEvent OnGetDropEffect;

  // IUnknown and IDropTarget.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point,
                                      DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point,
                                 DWORD* effect) override;

 protected:
  // Fetches the drag's data into the component; true when any was found.
  virtual bool GetData() { return false; }
  virtual void ClearData() {}
  // The data object offers a format the component takes.
  virtual bool HasValidFormats() { return false; }
  IDataObject* DataObject() const { return data_; }

 private:
  void ReleaseData();
  TWinControl* target_ = nullptr;
  IDataObject* data_ = nullptr;
};
