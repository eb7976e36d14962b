// Objects, events, string lists and components of the form class library.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "SysUtils.h"

class TObject {
 public:
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* sender)>;

// The class name of an object as the program declares it ("TBitmap").
std::string ClassNameOf(const TObject* object);

// An object that can copy its state from another one. Assign asks the
// source to copy itself into this object (AssignTo) when this class does not
// know the source's class; an unknown pair raises EConvertError
// "Cannot assign a <source> to a <target>".
class TPersistent : public TObject {
 public:
  virtual void Assign(TPersistent* source);

 protected:
  virtual void AssignTo(TPersistent* dest);
  [[noreturn]] void AssignError(TPersistent* source);
};

// A list of strings, each with an optional object; lines of the form
// Name=Value are addressed by name (names compared ignoring ASCII case).
class TStringList : public TObject {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  const std::string& Strings(int index) const;
  void Put(int index, const std::string& s);
  TObject* Objects(int index) const;
  void PutObject(int index, TObject* object);

  int Add(const std::string& s) { return AddObject(s, nullptr); }
  int AddObject(const std::string& s, TObject* object);
  void Insert(int index, const std::string& s);
  void Delete(int index);
  void Clear();
  int IndexOf(const std::string& s) const;
  void Assign(const TStringList& other);

  // Name=Value access.
  std::string Names(int index) const;
  std::string ValueFromIndex(int index) const;
  int IndexOfName(const std::string& name) const;
  std::string Values(const std::string& name) const;
  // An empty value removes the entry; an existing one is replaced, else appended.
  void SetValue(const std::string& name, const std::string& value);

  std::string Text() const;  // every line followed by CR LF
  void SetText(const std::string& text);

  void BeginUpdate() { ++updating_; }
  void EndUpdate();
  // Fired after each change while no update is open, and at the end of one.
  TNotifyEvent OnChange;

 private:
  struct Item {
    std::string text;
    TObject* object;
  };
  void Check(int index) const;
  void Changed();
  std::vector<Item> items_;
  int updating_ = 0;
  bool pendingChange_ = false;
};
using TStrings = TStringList;

// Classes known by name for streaming: each registered name makes a new
// object of its class.
using TPersistentFactory = std::function<TPersistent*()>;
// Registers (or replaces) the class of that name.
void RegisterStreamClass(const std::string& name, TPersistentFactory factory);
void UnRegisterStreamClass(const std::string& name);
// The factory of a registered class; empty when the name is unknown.
TPersistentFactory GetStreamClass(const std::string& name);
// As GetStreamClass; EClassNotFound "Class <name> not found" when unknown.
TPersistentFactory FindStreamClass(const std::string& name);

class EClassNotFound : public Exception {
  using Exception::Exception;
};

class TFiler;

enum TOperation { opInsert, opRemove };
enum : unsigned { csLoading = 1, csDesigning = 2, csDestroying = 4 };

// A component belongs to an owner, which frees it; it has a name that is
// unique among its owner's components, and it can ask other components to
// tell it when they are freed.
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  virtual void SetName(const std::string& name);
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const { return components_.at(static_cast<size_t>(index)); }
  TComponent* FindComponent(const std::string& name) const;
  unsigned ComponentState() const { return state_; }
  // Marks this component and everything it owns (and will own) as being
  // designed rather than run.
  void SetDesigning(bool designing);
  // A number for the program's own use.
  intptr_t Tag = 0;

  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // Marks this component and everything it owns as being read; EndLoading
  // clears the mark and calls Loaded on each, owned components first.
  void BeginLoading();
  void EndLoading();
  // Names the component's own streamed data (see Filer.h).
  virtual void DefineProperties(TFiler& filer) { (void)filer; }

 protected:
  virtual void Notification(TComponent* component, TOperation operation);
  virtual void Loaded() {}
  // Frees the owned components, the last created first.
  void DestroyComponents();
  // Marks the start of destruction; derived destructors call it first.
  void Destroying() { state_ |= csDestroying; }

 private:
  void Insert(TComponent* c);
  void Remove(TComponent* c);
  TComponent* owner_;
  std::string name_;
  unsigned state_ = 0;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
};
