// The drop target's registration on a real window and its drop effects.
#include <gtest/gtest.h>

#include "Application.h"
#include "DropTarget.h"
#include "Forms.h"

namespace {

class TargetForm : public TForm {
 public:
  explicit TargetForm(TComponent* owner) : TForm(owner, "DropTargetTestForm") { FormCreated(); }
};

bool HasDropTargetProp(HWND w) { return GetPropA(w, "OleDropTargetInterface") != nullptr; }

}  // namespace

TEST(DropTarget, RegisteringTwiceAndUnregisteringUnregisteredRaiseNothing) {
  TargetForm form(nullptr);
  form.SetName("TargetForm");
  TDropTarget target(nullptr);
  EXPECT_NO_THROW(target.Unregister());
  EXPECT_NO_THROW(target.Register(&form));
  EXPECT_NO_THROW(target.Register(&form));
  EXPECT_TRUE(target.Registered());
  EXPECT_TRUE(HasDropTargetProp(form.Handle()));
  EXPECT_NO_THROW(target.Unregister());
  EXPECT_NO_THROW(target.Unregister());
  EXPECT_FALSE(HasDropTargetProp(form.Handle()));
  // Registered again after a revocation, and revoked when freed.
  {
    TDropTarget again(nullptr);
    again.Register(&form);
    EXPECT_TRUE(HasDropTargetProp(form.Handle()));
  }
  EXPECT_FALSE(HasDropTargetProp(form.Handle()));
}

TEST(DropTarget, EffectFollowsKeysAndAllowedTypes) {
  TDropTarget target(nullptr);
  struct Case {
    TDragTypes allowed;
    DWORD keys, effect;
  } cases[] = {
      {dtCopy | dtMove | dtLink, MK_SHIFT | MK_CONTROL, DROPEFFECT_LINK},
      {dtCopy | dtMove | dtLink, MK_SHIFT, DROPEFFECT_MOVE},
      {dtCopy | dtMove | dtLink, 0, DROPEFFECT_COPY},
      {dtCopy | dtMove | dtLink, MK_CONTROL, DROPEFFECT_COPY},
      {dtMove, MK_SHIFT | MK_CONTROL, DROPEFFECT_MOVE},
      {dtLink, 0, DROPEFFECT_LINK},
      {dtCopy, MK_SHIFT, DROPEFFECT_COPY},
      {0, 0, DROPEFFECT_NONE},
  };
  for (const Case& c : cases) {
    target.Dragtypes = c.allowed;
    EXPECT_EQ(target.GetValidDropEffect(c.keys), c.effect) << c.allowed << " " << c.keys;
  }
  target.OnGetDropEffect = [](TObject*, DWORD, DWORD& effect) { effect = DROPEFFECT_NONE; };
  target.Dragtypes = dtCopy;
  EXPECT_EQ(target.GetValidDropEffect(0), static_cast<DWORD>(DROPEFFECT_NONE));
}

TEST(DropTarget, DataWithoutATakenFormatIsRefusedAtEntry) {
  TDropTarget target(nullptr);
  bool entered = false;
  target.OnEnter = [&](TObject*, POINTL) { entered = true; };
  // Text on the clipboard gives a real data object of the system.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 6);
  memcpy(GlobalLock(text), "hello", 6);
  GlobalUnlock(text);
  SetClipboardData(CF_TEXT, text);
  CloseClipboard();
  IDataObject* data = nullptr;
  ASSERT_EQ(OleGetClipboard(&data), S_OK);
  DWORD effect = DROPEFFECT_COPY;
  EXPECT_EQ(target.DragEnter(data, 0, POINTL{1, 1}, &effect), E_FAIL);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_FALSE(entered);
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(target.DragOver(0, POINTL{1, 1}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  data->Release();
}

TEST(DropTarget, FreesItselfWhenTheLastReferenceGoes) {
  static bool freed = false;
  struct Watched : TDropTarget {
    Watched() : TDropTarget(nullptr) {}
    ~Watched() override { freed = true; }
  };
  TargetForm form(nullptr);
  form.SetName("TargetForm");
  auto* target = new Watched;
  IDropTarget* iface = nullptr;
  ASSERT_EQ(target->QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(&iface)), S_OK);
  // The registration's references come and go without freeing it.
  target->Register(&form);
  target->Unregister();
  EXPECT_EQ(iface->Release(), 1u);
  EXPECT_FALSE(freed);
  // The creator's reference was the last.
  EXPECT_EQ(iface->Release(), 0u);
  EXPECT_TRUE(freed);
}
