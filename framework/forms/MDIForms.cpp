// The MDI side of forms: a frame's MDI client window and its window menu,
// and children made in the frame's client.
#include <vector>

#include "Application.h"
#include "Forms.h"
#include "Menus.h"

namespace {
// Commands of the window menu's child entries start here, above the
// commands of menu items.
constexpr UINT kFirstMDIChild = 0xFF00;

// The window menu lists the client's children as they are now.
void RefreshWindowMenu(HWND client) {
  SendMessageA(client, WM_MDIREFRESHMENU, 0, 0);
  DrawMenuBar(GetParent(client));
}
}  // namespace

TForm* TForm::MDIFrame() const {
  auto* owner = dynamic_cast<TForm*>(Owner());
  if (owner && owner->formStyle_ == fsMDIForm) return owner;
  TForm* main = Application->MainForm();
  return main && main->formStyle_ == fsMDIForm ? main : nullptr;
}

void TForm::CreateMDIClient() {
  CLIENTCREATESTRUCT ccs = {nullptr, kFirstMDIChild};
  RECT r;
  GetClientRect(Handle(), &r);
  clientHandle_ = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                                  WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, 0, 0,
                                  r.right, r.bottom, Handle(), nullptr, GetModuleHandleA(nullptr), &ccs);
  if (!clientHandle_) throw EOutOfResources(SWindowCreate);
}

HWND TForm::CreateWindowHandle(const CreateParams& p) {
  if (formStyle_ != fsMDIChild) return TWinControl::CreateWindowHandle(p);
  if (!p.parent) throw EInvalidOperation(SNoMDIForm);
  MDICREATESTRUCTA mcs = {p.className, caption_.c_str(), GetModuleHandleA(nullptr), left_, top_, width_,
                          height_, p.style, 0};
  auto h = reinterpret_cast<HWND>(SendMessageA(p.parent, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
  RefreshWindowMenu(p.parent);
  return h;
}

void TForm::DestroyMDIChild() {
  if (formStyle_ != fsMDIChild || !Handle()) return;
  HWND client = GetParent(Handle());
  if (!client) return;
  SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(Handle()), 0);
  RefreshWindowMenu(client);
}

LRESULT TForm::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (formStyle_ == fsMDIForm && clientHandle_) return DefFrameProcA(Handle(), clientHandle_, msg, wp, lp);
  if (formStyle_ == fsMDIChild && msg == WM_SETTEXT) {
    // The window menu shows the new title.
    LRESULT r = TWinControl::DefaultProc(msg, wp, lp);
    if (HWND client = GetParent(Handle())) RefreshWindowMenu(client);
    return r;
  }
  return TWinControl::DefaultProc(msg, wp, lp);
}

namespace {
BOOL CALLBACK AddMDIChild(HWND w, LPARAM lp) {
  auto* list = reinterpret_cast<std::vector<TForm*>*>(lp);
  if (auto* f = dynamic_cast<TForm*>(TWinControl::FromHandle(w)))
    if (f->FormStyle() == fsMDIChild && GetParent(w) == GetParent(f->Handle())) list->push_back(f);
  return TRUE;
}

std::vector<TForm*> ChildrenOf(HWND client) {
  std::vector<TForm*> list;
  if (client) EnumChildWindows(client, AddMDIChild, reinterpret_cast<LPARAM>(&list));
  std::vector<TForm*> direct;
  for (TForm* f : list)
    if (GetParent(f->Handle()) == client) direct.push_back(f);
  return direct;
}
}  // namespace

int TForm::MDIChildCount() const { return static_cast<int>(ChildrenOf(clientHandle_).size()); }

TForm* TForm::MDIChildren(int index) const { return ChildrenOf(clientHandle_).at(static_cast<size_t>(index)); }

TForm* TForm::ActiveMDIChild() const {
  if (!clientHandle_) return nullptr;
  auto w = reinterpret_cast<HWND>(SendMessageA(clientHandle_, WM_MDIGETACTIVE, 0, 0));
  return dynamic_cast<TForm*>(FromHandle(w));
}

void TForm::SetWindowMenu(TMenuItem* item) {
  if (item == windowMenu_) return;
  if (windowMenu_) windowMenu_->RemoveFreeNotification(this);
  windowMenu_ = item;
  if (item) item->FreeNotification(this);
  SetMDIMenu();
}

void TForm::SetMDIMenu() {
  if (!clientHandle_ || !menu_ || !Handle()) return;
  HMENU window = windowMenu_ && windowMenu_->Count() > 0 ? windowMenu_->Handle() : nullptr;
  // The menu bar is the form's already: only the window menu is handed over.
  SendMessageA(clientHandle_, WM_MDISETMENU, 0, reinterpret_cast<LPARAM>(window));
  DrawMenuBar(Handle());
}
