// A list of icons that tells its owner about every change, stored in a
// form as the binary property "Icons".
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "Classes.h"
#include "Filer.h"
#include "Graphics.h"

// Loads an icon group resource of the module into the icon (its first
// image); false, leaving the icon as it was, when there is none.
bool LoadIconResource(TIcon* icon, HINSTANCE instance, const char* name);

class TIconList : public TPersistent {
 public:
  using TChangeNotify = std::function<void(TIconList* list, void* data)>;

  TIconList() = default;
  TIconList(const TIconList&) = delete;
  TIconList& operator=(const TIconList&) = delete;

  void SetNotify(TChangeNotify notify, void* data) {
    notify_ = std::move(notify);
    notifyData_ = data;
  }
  // "Icons": count, then per icon its size and the icon file's bytes (int32
  // little-endian); a size of 0 stands for an empty icon.
  virtual void DefineProperties(TFiler& filer, const TIconList* ancestor);
  // Another list (every icon copied), one icon (the list becomes it) or
  // none (cleared).
  void Assign(TPersistent* source) override;
  virtual void Changed();
  virtual TIcon* Get(int index) const;
  virtual int GetCount() const { return static_cast<int>(icons_.size()); }
  // At index = count an empty slot is appended first.
  virtual void Put(int index, TIcon* icon);
  virtual int Add(TIcon* icon);
  virtual int AddResource(HINSTANCE instance, const char* name);
  virtual void Clear();
  virtual void Delete(int index);
  virtual void Exchange(int a, int b);
  virtual int IndexOf(TIcon* icon) const;
  virtual void Insert(int index, TIcon* icon);
  virtual void InsertResource(int index, HINSTANCE instance, const char* name);
  virtual void Move(int from, int to);
  void BeginUpdate() { ++updates_; }
  void EndUpdate();

  void ReadData(TStream& stream);
  void WriteData(TStream& stream) const;
  // Whether the property is written: the list differs from the ancestor's,
  // or, without one, it is not empty.
  bool NeedsStoring(const TIconList* ancestor) const;

 private:
  void Check(int index) const;
  std::unique_ptr<TIcon> MakeIcon(TIcon* from);
  std::vector<std::unique_ptr<TIcon>> icons_;
  int updates_ = 0;
  TChangeNotify notify_;
  void* notifyData_ = nullptr;
};
