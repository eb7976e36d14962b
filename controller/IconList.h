// Icons held as the bytes of the icon file format, and a list of them that
// tells its owner about every change.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Classes.h"

class TIcon : public TObject {
 public:
  TIcon() = default;
  ~TIcon() override;
  TIcon(const TIcon&) = delete;
  TIcon& operator=(const TIcon&) = delete;

  bool Empty() const { return handle_ == nullptr; }
  HICON Handle() const { return handle_; }
  // The icon file's bytes (one image); empty for an empty icon.
  const std::string& Data() const { return data_; }
  // False, leaving the icon empty, when the bytes hold no usable icon.
  bool LoadFromData(const std::string& data);
  // An icon group resource of the module; false when it is missing.
  bool LoadFromResource(HINSTANCE instance, const char* name);
  void Assign(const TIcon* other);
  void Clear();
  bool SameAs(const TIcon& other) const { return data_ == other.data_; }

  TNotifyEvent OnChange;

 private:
  void Changed();
  HICON handle_ = nullptr;
  std::string data_;
};

class TIconList : public TObject {
 public:
  using TChangeNotify = std::function<void(TIconList* list, void* data)>;

  TIconList() = default;
  TIconList(const TIconList&) = delete;
  TIconList& operator=(const TIconList&) = delete;

  void SetNotify(TChangeNotify notify, void* data) {
    notify_ = std::move(notify);
    notifyData_ = data;
  }
  // Another list (every icon copied), one icon (the list becomes it) or
  // none (cleared).
  void Assign(const TIconList* other);
  void Assign(const TIcon* icon);
  virtual void Changed();
  TIcon* Get(int index) const;
  int GetCount() const { return static_cast<int>(icons_.size()); }
  // At index = count an empty slot is appended first.
  void Put(int index, const TIcon* icon);
  int Add(const TIcon* icon);
  int AddResource(HINSTANCE instance, const char* name);
  void Clear();
  void Delete(int index);
  void Exchange(int a, int b);
  int IndexOf(const TIcon* icon) const;
  void Insert(int index, const TIcon* icon);
  void InsertResource(int index, HINSTANCE instance, const char* name);
  void Move(int from, int to);
  void BeginUpdate() { ++updates_; }
  void EndUpdate();

  // The stored form: count, then per icon its size and its bytes (int32
  // little-endian); a size of 0 stands for an empty icon. Reading replaces
  // the list; false at the first entry that runs past the end.
  bool ReadData(const std::string& stream);
  std::string WriteData() const;
  // Whether the list must be stored: it differs from the ancestor's, or,
  // without one, it is not empty.
  bool NeedsStoring(const TIconList* ancestor) const;

 private:
  void Check(int index) const;
  std::unique_ptr<TIcon> MakeIcon(const TIcon* from);
  std::vector<std::unique_ptr<TIcon>> icons_;
  int updates_ = 0;
  TChangeNotify notify_;
  void* notifyData_ = nullptr;
};
