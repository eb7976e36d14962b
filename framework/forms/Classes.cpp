#include "Classes.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <typeinfo>

void TStringList::Check(int index) const {
  if (index < 0 || index >= Count()) throw EStringListError(Format(SListIndexError, index));
}

void TStringList::Changed() {
  if (updating_ > 0) {
    pendingChange_ = true;
    return;
  }
  if (OnChange) OnChange(this);
}

void TStringList::EndUpdate() {
  if (updating_ > 0 && --updating_ == 0 && pendingChange_) {
    pendingChange_ = false;
    if (OnChange) OnChange(this);
  }
}

const std::string& TStringList::Strings(int index) const {
  Check(index);
  return items_[static_cast<size_t>(index)].text;
}

void TStringList::Put(int index, const std::string& s) {
  Check(index);
  items_[static_cast<size_t>(index)].text = s;
  Changed();
}

TObject* TStringList::Objects(int index) const {
  Check(index);
  return items_[static_cast<size_t>(index)].object;
}

void TStringList::PutObject(int index, TObject* object) {
  Check(index);
  items_[static_cast<size_t>(index)].object = object;
}

int TStringList::AddObject(const std::string& s, TObject* object) {
  items_.push_back({s, object});
  Changed();
  return Count() - 1;
}

void TStringList::Insert(int index, const std::string& s) {
  if (index < 0 || index > Count()) throw EStringListError(Format(SListIndexError, index));
  items_.insert(items_.begin() + index, Item{s, nullptr});
  Changed();
}

void TStringList::Delete(int index) {
  Check(index);
  items_.erase(items_.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  items_.clear();
  Changed();
}

int TStringList::IndexOf(const std::string& s) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(items_[static_cast<size_t>(i)].text, s)) return i;
  return -1;
}

void TStringList::Assign(const TStringList& other) {
  if (&other == this) return;
  items_ = other.items_;
  Changed();
}

std::string TStringList::Names(int index) const {
  const std::string& s = Strings(index);
  size_t eq = s.find('=');
  return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

std::string TStringList::ValueFromIndex(int index) const {
  const std::string& s = Strings(index);
  size_t eq = s.find('=');
  return eq == std::string::npos ? std::string() : s.substr(eq + 1);
}

int TStringList::IndexOfName(const std::string& name) const {
  for (int i = 0; i < Count(); ++i) {
    const std::string& s = items_[static_cast<size_t>(i)].text;
    size_t eq = s.find('=');
    if (eq != std::string::npos && SameText(s.substr(0, eq), name)) return i;
  }
  return -1;
}

std::string TStringList::Values(const std::string& name) const {
  int i = IndexOfName(name);
  return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStringList::SetValue(const std::string& name, const std::string& value) {
  int i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
  } else if (i >= 0) {
    Put(i, name + "=" + value);
  } else {
    Add(name + "=" + value);
  }
}

std::string TStringList::Text() const {
  std::string out;
  for (const Item& it : items_) out += it.text + "\r\n";
  return out;
}

void TStringList::SetText(const std::string& text) {
  BeginUpdate();
  Clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    Add(text.substr(start, end - start));
    if (end < text.size() && text[end] == '\r') ++end;
    if (end < text.size() && text[end] == '\n') ++end;
    start = end;
  }
  EndUpdate();
}

TComponent::TComponent(TComponent* owner) : owner_(nullptr) {
  if (owner) {
    owner->Insert(this);
    state_ |= owner->state_ & (csLoading | csDesigning);
  }
}

void TComponent::SetDesigning(bool designing) {
  if (designing)
    state_ |= csDesigning;
  else
    state_ &= ~csDesigning;
  for (TComponent* c : components_) c->SetDesigning(designing);
}

TComponent::~TComponent() {
  state_ |= csDestroying;
  DestroyComponents();
  // Tell every component that asked to hear of our end, then forget them.
  std::vector<TComponent*> peers;
  peers.swap(freeNotifies_);
  for (TComponent* p : peers) {
    auto& back = p->freeNotifies_;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
    p->Notification(this, opRemove);
  }
  if (owner_) owner_->Remove(this);
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) delete components_.back();
}

void TComponent::Insert(TComponent* c) {
  components_.push_back(c);
  c->owner_ = this;
  Notification(c, opInsert);
}

void TComponent::Remove(TComponent* c) {
  components_.erase(std::remove(components_.begin(), components_.end(), c), components_.end());
  c->owner_ = nullptr;
  if (!(state_ & csDestroying)) Notification(c, opRemove);
}

void TComponent::SetName(const std::string& name) {
  if (SameText(name, name_)) {
    name_ = name;
    return;
  }
  if (owner_ && !name.empty() && owner_->FindComponent(name))
    throw EComponentError(Format(SDuplicateName, name.c_str()));
  name_ = name;
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  for (TComponent* c : components_)
    if (SameText(c->name_, name)) return c;
  return nullptr;
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end()) {
    freeNotifies_.push_back(component);
    component->freeNotifies_.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), component),
                      freeNotifies_.end());
  if (component)
    component->freeNotifies_.erase(
        std::remove(component->freeNotifies_.begin(), component->freeNotifies_.end(), this),
        component->freeNotifies_.end());
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove)
    for (TComponent* c : components_) c->Notification(component, operation);
}

void TComponent::BeginLoading() {
  state_ |= csLoading;
  for (TComponent* c : components_) c->BeginLoading();
}

void TComponent::EndLoading() {
  for (TComponent* c : components_) c->EndLoading();
  if (state_ & csLoading) {
    state_ &= ~csLoading;
    Loaded();
  }
}

std::string ClassNameOf(const TObject* object) {
  if (!object) return "nil";
  const char* mangled = typeid(*object).name();
  int status = 0;
  char* plain = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
  std::string name = status == 0 && plain ? plain : mangled;
  std::free(plain);
  return name;
}

void TPersistent::Assign(TPersistent* source) {
  if (!source) AssignError(nullptr);
  source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* dest) { dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* source) {
  throw EConvertError(Format(SAssignError, ClassNameOf(source).c_str(), ClassNameOf(this).c_str()));
}

namespace {
std::map<std::string, TPersistentFactory>& StreamClasses() {
  // Never freed: units unregister their classes at exit.
  static auto* classes = new std::map<std::string, TPersistentFactory>;
  return *classes;
}
}  // namespace

void RegisterStreamClass(const std::string& name, TPersistentFactory factory) {
  StreamClasses()[name] = std::move(factory);
}

void UnRegisterStreamClass(const std::string& name) { StreamClasses().erase(name); }

TPersistentFactory GetStreamClass(const std::string& name) {
  auto it = StreamClasses().find(name);
  return it == StreamClasses().end() ? TPersistentFactory() : it->second;
}

TPersistentFactory FindStreamClass(const std::string& name) {
  TPersistentFactory f = GetStreamClass(name);
  if (!f) throw EClassNotFound(Format(SClassNotFound, name.c_str()));
  return f;
}
