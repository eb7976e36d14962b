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

const void* ResourceBytes(HINSTANCE instance, LPCSTR name, LPCSTR type, DWORD& size) {
  HRSRC found = FindResourceA(instance, name, type);
  HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
  size = found ? SizeofResource(instance, found) : 0;
  return loaded ? LockResource(loaded) : nullptr;
}

std::vector<uint8_t> IconBytes(TIcon* icon) {
  if (icon->Empty()) return {};
  TMemoryStream stream;
  icon->SaveToStream(&stream);
  const auto* p = static_cast<const uint8_t*>(stream.Memory());
  return std::vector<uint8_t>(p, p + stream.Size());
}

}  // namespace

bool LoadIconResource(TIcon* icon, HINSTANCE instance, const char* name) {
  DWORD groupSize = 0, size = 0;
  const char* group = static_cast<const char*>(
      ResourceBytes(instance, name, MAKEINTRESOURCEA(14), groupSize));  // RT_GROUP_ICON
  IconDir head;
  GroupEntry g;
  if (!group || groupSize < sizeof head + sizeof g) return false;
  std::memcpy(&head, group, sizeof head);
  std::memcpy(&g, group + sizeof head, sizeof g);
  const void* bits = ResourceBytes(instance, MAKEINTRESOURCEA(g.id), MAKEINTRESOURCEA(3), size);
  if (head.count == 0 || !bits || size == 0) return false;
  IconDir fileHead = {0, 1, 1};
  IconDirEntry entry = {g.width, g.height, g.colours, 0, g.planes, g.bitCount, size,
                        sizeof(IconDir) + sizeof(IconDirEntry)};
  TMemoryStream file;
  file.WriteBuffer(&fileHead, sizeof fileHead);
  file.WriteBuffer(&entry, sizeof entry);
  file.WriteBuffer(bits, static_cast<int32_t>(size));
  file.SetPosition(0);
  try {
    icon->LoadFromStream(&file);
  } catch (const Exception&) {
    return false;
  }
  return true;
}

std::unique_ptr<TIcon> TIconList::MakeIcon(TIcon* from) {
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

void TIconList::Assign(TPersistent* source) {
  auto* list = dynamic_cast<TIconList*>(source);
  auto* icon = dynamic_cast<TIcon*>(source);
  if (source && !list && !icon) {
    TPersistent::Assign(source);
    return;
  }
  if (list == this) return;
  BeginUpdate();
  icons_.clear();
  if (list)
    for (const auto& each : list->icons_) icons_.push_back(MakeIcon(each.get()));
  if (icon) icons_.push_back(MakeIcon(icon));
  EndUpdate();
}

TIcon* TIconList::Get(int index) const {
  Check(index);
  return icons_[static_cast<size_t>(index)].get();
}

void TIconList::Put(int index, TIcon* icon) {
  if (index == GetCount()) icons_.push_back(nullptr);
  Check(index);
  auto& slot = icons_[static_cast<size_t>(index)];
  if (!slot) slot = MakeIcon(nullptr);
  slot->Assign(icon);  // notifies through the icon
}

int TIconList::Add(TIcon* icon) {
  icons_.push_back(MakeIcon(icon));
  Changed();
  return GetCount() - 1;
}

int TIconList::AddResource(HINSTANCE instance, const char* name) {
  TIcon icon;
  LoadIconResource(&icon, instance, name);
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

int TIconList::IndexOf(TIcon* icon) const {
  for (int i = 0; i < GetCount(); ++i)
    if (icons_[static_cast<size_t>(i)].get() == icon) return i;
  return -1;
}

void TIconList::Insert(int index, TIcon* icon) {
  if (index < 0 || index > GetCount()) throw EStringListError(Format(SListIndexError, index));
  icons_.insert(icons_.begin() + index, MakeIcon(icon));
  Changed();
}

void TIconList::InsertResource(int index, HINSTANCE instance, const char* name) {
  TIcon icon;
  LoadIconResource(&icon, instance, name);
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

void TIconList::ReadData(TStream& stream) {
  BeginUpdate();
  icons_.clear();
  try {
    const int32_t count = static_cast<int32_t>(stream.ReadDWord());
    for (int32_t i = 0; i < count; ++i) {
      const int32_t size = static_cast<int32_t>(stream.ReadDWord());
      auto icon = MakeIcon(nullptr);
      if (size > 0) {
        if (size > stream.Size() - stream.Position()) throw EReadError(SReadError);
        TMemoryStream data;
        data.SetSize(size);
        stream.ReadBuffer(data.Memory(), size);
        icon->LoadFromStream(&data);
      }
      icons_.push_back(std::move(icon));
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TIconList::WriteData(TStream& stream) const {
  stream.WriteDWord(static_cast<uint32_t>(GetCount()));
  for (const auto& icon : icons_) {
    std::vector<uint8_t> data = IconBytes(icon.get());
    stream.WriteDWord(static_cast<uint32_t>(data.size()));
    if (!data.empty()) stream.WriteBuffer(data.data(), static_cast<int32_t>(data.size()));
  }
}

bool TIconList::NeedsStoring(const TIconList* ancestor) const {
  if (!ancestor) return GetCount() > 0;
  if (ancestor->GetCount() != GetCount()) return true;
  for (int i = 0; i < GetCount(); ++i)
    if (IconBytes(icons_[static_cast<size_t>(i)].get()) !=
        IconBytes(ancestor->icons_[static_cast<size_t>(i)].get()))
      return true;
  return false;
}

void TIconList::DefineProperties(TFiler& filer, const TIconList* ancestor) {
  filer.DefineBinaryProperty(
      "Icons", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); },
      NeedsStoring(ancestor));
}
