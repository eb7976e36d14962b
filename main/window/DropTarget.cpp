#include "DropTarget.h"

namespace {
// OLE for the drop targets of this process, started before the first one.
struct OleSession {
  OleSession() { started = SUCCEEDED(OleInitialize(nullptr)); }
  ~OleSession() {
    if (started) OleUninitialize();
  }
  bool started = false;
};

void StartOle() { static OleSession session; }
}  // namespace

TDropTarget::TDropTarget(TComponent* owner) : TInterfacedComponent(owner) { StartOle(); }

TDropTarget::~TDropTarget() {
  Destroying();
  try {
    Unregister();
  } catch (const Exception&) {
    // The window went first; nothing is left to revoke.
  }
  ReleaseData();
}

void TDropTarget::Register(TWinControl* control) {
  if (control == target_) return;
  if (target_) Unregister();
  if (!control || !control->HandleAllocated())
    throw Exception("Failed to Register " + (control ? control->Name() : std::string()));
  CoLockObjectExternal(static_cast<IDropTarget*>(this), TRUE, FALSE);
  if (FAILED(RegisterDragDrop(control->Handle(), this))) {
    CoLockObjectExternal(static_cast<IDropTarget*>(this), FALSE, TRUE);
    throw Exception("Failed to Register " + control->Name());
  }
  target_ = control;
}

void TDropTarget::Unregister() {
  if (!target_) return;
  TWinControl* control = target_;
  target_ = nullptr;
  HRESULT revoked = control->HandleAllocated() ? RevokeDragDrop(control->Handle()) : S_OK;
  CoLockObjectExternal(static_cast<IDropTarget*>(this), FALSE, TRUE);
  if (FAILED(revoked)) throw Exception("Failed to Unregister " + control->Name());
}

DWORD TDropTarget::GetValidDropEffect(DWORD keyState) {
  DWORD effect = DROPEFFECT_NONE;
  bool shift = keyState & MK_SHIFT, ctrl = keyState & MK_CONTROL;
  if (shift && ctrl && (Dragtypes & dtLink))
    effect = DROPEFFECT_LINK;
  else if (shift && (Dragtypes & dtMove))
    effect = DROPEFFECT_MOVE;
  else if (Dragtypes & dtCopy)
    effect = DROPEFFECT_COPY;
  else if (Dragtypes & dtMove)
    effect = DROPEFFECT_MOVE;
  else if (Dragtypes & dtLink)
    effect = DROPEFFECT_LINK;
  if (OnGetDropEffect) OnGetDropEffect(this, keyState, effect);
  return effect;
}

void TDropTarget::ReleaseData() {
  if (data_) data_->Release();
  data_ = nullptr;
}

HRESULT TDropTarget::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG TDropTarget::AddRef() { return AddReference(); }
ULONG TDropTarget::Release() { return ReleaseReference(); }

HRESULT TDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
  ClearData();
  ReleaseData();
  if (!data || !effect) return E_INVALIDARG;
  data_ = data;
  data_->AddRef();
  *effect = GetValidDropEffect(keyState);
  if (!HasValidFormats()) {
    ReleaseData();
    *effect = DROPEFFECT_NONE;
    return E_FAIL;
  }
  if (GetDataOnEnter && !GetData()) *effect = DROPEFFECT_NONE;
  if (OnEnter) OnEnter(this, point);
  return S_OK;
}

HRESULT TDropTarget::DragOver(DWORD keyState, POINTL, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  *effect = data_ ? GetValidDropEffect(keyState) : DROPEFFECT_NONE;
  if (OnDragOver) OnDragOver(this);
  return S_OK;
}

HRESULT TDropTarget::DragLeave() {
  ClearData();
  ReleaseData();
  if (OnLeave) OnLeave(this);
  return S_OK;
}

HRESULT TDropTarget::Drop(IDataObject*, DWORD keyState, POINTL point, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  *effect = data_ ? GetValidDropEffect(keyState) : DROPEFFECT_NONE;
  if (data_ && !GetDataOnEnter && !GetData()) *effect = DROPEFFECT_NONE;
  TDragType type = *effect == DROPEFFECT_MOVE   ? dtMove
                   : *effect == DROPEFFECT_LINK ? dtLink
                                                : dtCopy;
  if (OnDrop && *effect != DROPEFFECT_NONE) OnDrop(this, type, point);
  ClearData();
  ReleaseData();
  return S_OK;
}
