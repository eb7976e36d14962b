#include "IconList.h"

#include <cstdint>
#include <cstring>

#include "SysUtils.h"

namespace {

#pragma pack(push, 1)
struct IconDir {
  uint16_t reserved, type, count;
};
struct IconDirEntry {
  uint8_t width, height, colours, reserved;
  uint16_t planes, bitCount;
  uint32_t bytes, offset;
};
struct GroupEntry {
  uint8_t width, height, colours, reserved;
  uint16_t planes, bitCount;
  uint32_t bytes;
  uint16_t id;
};
#pragma pack(pop)

void PutInt(std::string& out, int32_t v) {
  char b[4];
  std::memcpy(b, &v, 4);
  out.append(b, 4);
}

bool GetInt(const std::string& in, size_t& at, int32_t& v) {
  if (in.size() < 4 || at > in.size() - 4) return false;
  std::memcpy(&v, in.data() + at, 4);
  at += 4;
  return true;
}

}  // namespace

TIcon::~TIcon() {
  if (handle_) DestroyIcon(handle_);
}

bool TIcon::LoadFromData(const std::string& data) {
  if (handle_) DestroyIcon(handle_);
  handle_ = nullptr;
  data_.clear();
  IconDir dir;
  if (data.size() < sizeof dir) return false;
  std::memcpy(&dir, data.data(), sizeof dir);
  if (dir.type != 1 || dir.count == 0 || data.size() < sizeof dir + sizeof(IconDirEntry)) {
    Changed();
    return false;
  }
  IconDirEntry entry;
  std::memcpy(&entry, data.data() + sizeof dir, sizeof entry);
  if (entry.offset > data.size() || entry.bytes > data.size() - entry.offset || entry.bytes == 0) {
    Changed();
    return false;
  }
  auto* bits = reinterpret_cast<BYTE*>(const_cast<char*>(data.data()) + entry.offset);
  handle_ = CreateIconFromResourceEx(bits, entry.bytes, TRUE, 0x00030000, entry.width ? entry.width : 256,
                                     entry.height ? entry.height : 256, 0);
  if (handle_) data_ = data;
  Changed();
  return handle_ != nullptr;
}

bool TIcon::LoadFromResource(HINSTANCE instance, const char* name) {
  HRSRC group = FindResourceA(instance, name, MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  HGLOBAL groupData = group ? LoadResource(instance, group) : nullptr;
  const char* dir = groupData ? static_cast<const char*>(LockResource(groupData)) : nullptr;
  DWORD groupSize = group ? SizeofResource(instance, group) : 0;
  IconDir head;
  if (!dir || groupSize < sizeof head + sizeof(GroupEntry)) return false;
  std::memcpy(&head, dir, sizeof head);
  if (head.count == 0) return false;
  GroupEntry g;
  std::memcpy(&g, dir + sizeof head, sizeof g);
  HRSRC image = FindResourceA(instance, MAKEINTRESOURCEA(g.id), MAKEINTRESOURCEA(3));  // RT_ICON
  HGLOBAL imageData = image ? LoadResource(instance, image) : nullptr;
  const char* bits = imageData ? static_cast<const char*>(LockResource(imageData)) : nullptr;
  DWORD size = image ? SizeofResource(instance, image) : 0;
  if (!bits || size == 0) return false;
  std::string file;
  IconDir fileHead = {0, 1, 1};
  IconDirEntry entry = {g.width, g.height, g.colours, 0, g.planes, g.bitCount, size,
                        sizeof(IconDir) + sizeof(IconDirEntry)};
  file.append(reinterpret_cast<const char*>(&fileHead), sizeof fileHead);
  file.append(reinterpret_cast<const char*>(&entry), sizeof entry);
  file.append(bits, size);
  return LoadFromData(file);
}

void TIcon::Assign(const TIcon* other) {
  if (other && !other->Empty())
    LoadFromData(other->data_);
  else
    Clear();
}

void TIcon::Clear() {
  if (handle_) DestroyIcon(handle_);
  handle_ = nullptr;
  data_.clear();
  Changed();
}

void TIcon::Changed() {
  if (OnChange) OnChange(this);
}

std::unique_ptr<TIcon> TIconList::MakeIcon(const TIcon* from) {
  auto icon = std::make_unique<TIcon>();
  if (from) icon->Assign(from);
  icon->OnChange = [this](TObject*) { Changed(); };
  return icon;
}

void TIconList::Check(int index) const {
  if (index < 0 || index >= GetCount()) throw EStringListError(Format(SListIndexError, index));
}

void TIconList::Changed() {
  if (updates_ == 0 && notify_) notify_(this, notifyData_);
}

void TIconList::EndUpdate() {
  if (updates_ > 0 && --updates_ == 0) Changed();
}

void TIconList::Assign(const TIconList* other) {
  BeginUpdate();
  icons_.clear();
  if (other)
    for (const auto& icon : other->icons_) icons_.push_back(MakeIcon(icon.get()));
  EndUpdate();
}

void TIconList::Assign(const TIcon* icon) {
  BeginUpdate();
  icons_.clear();
  if (icon) icons_.push_back(MakeIcon(icon));
  EndUpdate();
}

TIcon* TIconList::Get(int index) const {
  Check(index);
  return icons_[static_cast<size_t>(index)].get();
}

void TIconList::Put(int index, const TIcon* icon) {
  if (index == GetCount()) icons_.push_back(nullptr);
  Check(index);
  auto& slot = icons_[static_cast<size_t>(index)];
  if (!slot) slot = MakeIcon(nullptr);
  slot->Assign(icon);  // notifies through the icon
}

int TIconList::Add(const TIcon* icon) {
  icons_.push_back(MakeIcon(icon));
  Changed();
  return GetCount() - 1;
}

int TIconList::AddResource(HINSTANCE instance, const char* name) {
  TIcon icon;
  icon.LoadFromResource(instance, name);
  return Add(&icon);
}

void TIconList::Clear() {
  if (icons_.empty()) return;
  icons_.clear();
  Changed();
}

void TIconList::Delete(int index) {
  Check(index);
  icons_.erase(icons_.begin() + index);
  Changed();
}

void TIconList::Exchange(int a, int b) {
  Check(a);
  Check(b);
  std::swap(icons_[static_cast<size_t>(a)], icons_[static_cast<size_t>(b)]);
  Changed();
}

int TIconList::IndexOf(const TIcon* icon) const {
  for (int i = 0; i < GetCount(); ++i)
    if (icons_[static_cast<size_t>(i)].get() == icon) return i;
  return -1;
}

void TIconList::Insert(int index, const TIcon* icon) {
  if (index < 0 || index > GetCount()) throw EStringListError(Format(SListIndexError, index));
  icons_.insert(icons_.begin() + index, MakeIcon(icon));
  Changed();
}

void TIconList::InsertResource(int index, HINSTANCE instance, const char* name) {
  TIcon icon;
  icon.LoadFromResource(instance, name);
  Insert(index, &icon);
}

void TIconList::Move(int from, int to) {
  Check(from);
  Check(to);
  auto icon = std::move(icons_[static_cast<size_t>(from)]);
  icons_.erase(icons_.begin() + from);
  icons_.insert(icons_.begin() + to, std::move(icon));
  Changed();
}

bool TIconList::ReadData(const std::string& stream) {
  BeginUpdate();
  icons_.clear();
  size_t at = 0;
  int32_t count = 0;
  bool ok = GetInt(stream, at, count) && count >= 0;
  for (int32_t i = 0; ok && i < count; ++i) {
    int32_t size = 0;
    ok = GetInt(stream, at, size);
    if (!ok) break;
    auto icon = MakeIcon(nullptr);
    if (size > 0) {
      ok = static_cast<size_t>(size) <= stream.size() - at;
      if (!ok) break;
      icon->LoadFromData(stream.substr(at, static_cast<size_t>(size)));
      at += static_cast<size_t>(size);
    }
    icons_.push_back(std::move(icon));
  }
  EndUpdate();
  return ok;
}

std::string TIconList::WriteData() const {
  std::string out;
  PutInt(out, GetCount());
  for (const auto& icon : icons_) {
    const std::string& data = icon->Data();
    PutInt(out, static_cast<int32_t>(data.size()));
    out += data;
  }
  return out;
}

bool TIconList::NeedsStoring(const TIconList* ancestor) const {
  if (!ancestor) return GetCount() > 0;
  if (ancestor->GetCount() != GetCount()) return true;
  for (int i = 0; i < GetCount(); ++i)
    if (!icons_[static_cast<size_t>(i)]->SameAs(*ancestor->icons_[static_cast<size_t>(i)]))
      return true;
  return false;
}
