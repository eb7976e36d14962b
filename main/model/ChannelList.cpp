#include "ChannelList.h"

#include "Utils.h"

namespace {
const char* const DataTypes = "Data Types";

template <typename T>
T Entry(HMODULE module, const char* name) {
  return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
}  // namespace

TChannelObj::TChannelObj(const std::string& key, const std::string& fileName,
                         const std::string& folder_)
    : dataFilePath(folder_ + fileName), folder(folder_) {
  TIniFile data(dataFilePath);
  section = data.ReadString(DataTypes, key, key);
  name = data.ReadString(section, "name", section);
  hint = data.ReadString(section, "hint", section);
  workingDir = data.ReadString(section, "workingDir", section + "\\");
  iniFile = data.ReadString(section, "iniFile", section + ".inx");
  active = data.ReadInteger(section, "active", 1);
  butBitmap = data.ReadString(section, "butBitmap", "");
  recordState = data.ReadInteger(section, "recordState", 1);
  bitmapLibraryPath = folder + workingDir + data.ReadString(section, "butBitmapDll", "");
  std::string dll4 = data.ReadString(section, "butBitmapDll4", "");
  if (ColourDepth() < 16 && !dll4.empty() && IsFile(folder + workingDir + dll4))
    bitmapLibraryPath = folder + workingDir + dll4;
  configLibraryPath = folder + workingDir + data.ReadString(section, "configDll", "");

  LoadConfigLibrary();
  if (IsFile(bitmapLibraryPath)) bitmapLibrary = LoadLibraryA(bitmapLibraryPath.c_str());
  CreateFolder(folder + workingDir);
  contents = std::make_unique<TContentSection>(folder, section, workingDir, iniFile);
}

void TChannelObj::LoadConfigLibrary() {
  if (!IsFile(configLibraryPath)) return;
  try {
    configLibrary = LoadLibraryA(configLibraryPath.c_str());
    if (!configLibrary) return;
    initConfiguration = Entry<TInitConfiguration>(configLibrary, "InitConfiguration");
    closeConfiguration = Entry<TCloseConfiguration>(configLibrary, "CloseConfiguration");
    setActiveState = Entry<TSetActiveState>(configLibrary, "SetActiveState");
  } catch (...) {
    // A library that fails while loading is left out without a report.
    configLibrary = nullptr;
    initConfiguration = nullptr;
    closeConfiguration = nullptr;
    setActiveState = nullptr;
  }
}

TChannelObj::~TChannelObj() {
  contents->doNotSave = doNotSave;
  contents.reset();
  if (configLibrary) {
    if (closeConfiguration) closeConfiguration(0);
    FreeLibrary(configLibrary);
  }
  if (bitmapLibrary) FreeLibrary(bitmapLibrary);
}

void TChannelObj::Save(const std::string& fileName) {
  TIniFile data(folder + fileName);
  data.WriteString(section, "workingDir", workingDir);
  data.WriteString(section, "iniFile", iniFile);
  data.WriteInteger(section, "active", active);
  data.WriteString(section, "imgNum", butBitmap);
}

void TChannelObj::ReadRecordState() {
  TIniFile data(dataFilePath);
  recordState = data.ReadInteger(section, "recordState", 1);
}

TChannelList::TChannelList(const std::string& folder, const std::string& fileName)
    : folder_(folder), fileName_(fileName), file_(folder + fileName) {
  defaultChannel_ = file_.ReadString(DataTypes, "defaultChannel", "");
  int32_t count = file_.ReadInteger(DataTypes, "numberTypes", 0);
  // Only the slots there are; the rest of a longer list is ignored.
  numberTypes_ = count < 0 ? 0 : count > MaxChannels ? MaxChannels : count;
  for (int n = 1; n <= numberTypes_; ++n)
    slots_[n - 1] = std::make_unique<TChannelObj>(TypeKey(n), fileName_, folder_);
  deleted_ = std::make_unique<TChannelObj>("Deleted", fileName_, folder_);
  pending_ = std::make_unique<TChannelObj>("Pending", fileName_, folder_);
  rejected_ = std::make_unique<TChannelObj>("Rejected", fileName_, folder_);
}

TChannelList::~TChannelList() {
  for (int n = 1; n <= MaxChannels; ++n) {
    auto& slot = slots_[n - 1];
    if (!slot) continue;
    try {
      file_.WriteString(DataTypes, TypeKey(n), slot->section);
    } catch (const std::exception&) {
      // The order stays as the file had it.
    }
    slot->doNotSave = doNotSave;
    slot.reset();
  }
  deleted_.reset();
  pending_.reset();
  rejected_.reset();
}

std::string TChannelList::TypeKey(int n) { return Format("type%d", n); }

TChannelObj* TChannelList::Channel(int n) const {
  return n >= 1 && n <= MaxChannels ? slots_[n - 1].get() : nullptr;
}

int TChannelList::ActiveCount() const {
  int count = 0;
  for (int n = 1; n <= Count(); ++n)
    if (GetActive(n) == 1) ++count;
  return count;
}

std::string TChannelList::GetSection(int n) const {
  TChannelObj* c = Channel(n);
  return c ? c->section : "";
}

std::string TChannelList::GetName(int n) const {
  TChannelObj* c = Channel(n);
  return c ? c->name : "";
}

int TChannelList::GetActive(int n) const {
  TChannelObj* c = Channel(n);
  return c ? c->active : 0;
}

TObject* TChannelList::GetPicture(int n) const {
  TChannelObj* c = Channel(n);
  return c ? c->picture.get() : nullptr;
}

TContentSection* TChannelList::GetContents(int n) const {
  switch (n) {
    case DeletedList: return deleted_->contents.get();
    case PendingList: return pending_->contents.get();
    case RejectedList: return rejected_->contents.get();
    default: {
      TChannelObj* c = Channel(n);
      return c ? c->contents.get() : nullptr;
    }
  }
}

int TChannelList::IndexOfName(const std::string& text) const {
  if (numberTypes_ == 0) return -1;
  if (text == "Deleted") return DeletedList;
  if (text == "Pending") return PendingList;
  if (text == "Rejected") return RejectedList;
  for (int n = 1; n <= Count(); ++n)
    if (Channel(n) && SameText(Channel(n)->name, text)) return n;
  return -1;
}

int TChannelList::IndexOfSection(const std::string& text) const {
  if (numberTypes_ == 0) return -1;
  if (text == "Deleted") return DeletedList;
  if (text == "Pending") return PendingList;
  if (text == "Rejected") return RejectedList;
  for (int n = 1; n <= Count(); ++n)
    if (Channel(n) && SameText(Channel(n)->section, text)) return n;
  return -1;
}

void TChannelList::Exchange(int a, int b) {
  if (a < 1 || b < 1 || a > Count() || b > Count()) return;
  std::swap(slots_[a - 1], slots_[b - 1]);
}

void TChannelList::SetActive(int n, int value) {
  TChannelObj* c = Channel(n);
  if (!c) return;
  if (c->setActiveState && !c->setActiveState(value, 16)) return;
  c->active = value;
  c->Save(fileName_);
}

int64_t TChannelList::StoredSize(int n) const {
  TContentSection* contents = GetContents(n);
  return contents ? contents->StoredSize() : 0;
}

int64_t TChannelList::TotalStoredSize() const {
  int64_t size = StoredSize(DeletedList) + StoredSize(PendingList) + StoredSize(RejectedList);
  for (int n = 1; n <= Count(); ++n) size += StoredSize(n);
  return size;
}

void TChannelList::LoadButtonBitmaps(int n, TTezMMBut* button) {
  TChannelObj* c = Channel(n);
  if (c && c->bitmapLibrary && button) LoadButtonPictures(c->bitmapLibrary, c->butBitmap, button);
}

void TChannelList::ClearContents(int n) {
  if (TContentSection* contents = GetContents(n)) contents->DeleteAll();
}

void TChannelList::ReloadChannel(int n) {
  if (n < 1 || n > Count()) return;
  if (auto& slot = slots_[n - 1]) {
    slot->doNotSave = 1;
    slot.reset();
  }
  slots_[n - 1] = std::make_unique<TChannelObj>(TypeKey(n), fileName_, folder_);
}

void TChannelList::ReloadRecordStates() {
  for (int n = 1; n <= Count(); ++n)
    if (TChannelObj* c = Channel(n)) c->ReadRecordState();
}

bool TChannelList::ShowConfiguration(int n, HWND parent, void* context) {
  TChannelObj* c = Channel(n);
  if (!c) return false;
  if (!c->initConfiguration) return true;
  std::string path = DataFilePath();
  std::string section = c->section;
  return c->initConfiguration(parent, path.c_str(), section.c_str(), context) != FALSE;
}

bool TChannelList::CloseConfiguration(int n, int mode) {
  TChannelObj* c = Channel(n);
  if (!c || !c->closeConfiguration) return true;
  return c->closeConfiguration(mode) != FALSE;
}
