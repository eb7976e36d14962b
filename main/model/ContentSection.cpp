#include "ContentSection.h"

#include <windows.h>

#include <cstdio>

#include "Utils.h"

void CreateFolder(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }

bool IsFile(const std::string& path) { return !path.empty() && FileExists(path); }

namespace {
std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

int64_t FileSizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path.empty() || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return 0;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void DeleteIfFile(const std::string& path) {
  if (IsFile(path)) DeleteFileA(path.c_str());
}
}  // namespace

void TContentItem::WriteSection(TIniFile& file, const std::string& section, bool erase) const {
  if (erase) file.EraseSection(section);
  for (int i = 0; i < Lines.Count(); ++i) {
    std::string name = Lines.Names(i);
    if (!name.empty()) file.WriteString(section, name, Lines.ValueFromIndex(i));
  }
}

TContentSection::TContentSection(std::string folder, std::string section, std::string workingDir,
                                 std::string iniFile)
    : folder_(std::move(folder)),
      section_(std::move(section)),
      workingDir_(std::move(workingDir)),
      iniFile_(std::move(iniFile)),
      file_(folder_ + workingDir_ + iniFile_) {
  TIniFile param(GetCurrentDir() + "\\TezParam.inx");
  param.ReadSectionValues("Extensions", extensions_);
  CreateFolder(folder_ + workingDir_);
  int32_t count = file_.ReadInteger("Entry List", "numberEntries", 0);
  maxIndex_ = file_.ReadInteger("Entry List", "maxIndex", 0);
  // A file that claims more entries than the list holds is cut.
  if (count < 0) count = 0;
  if (count > MaxItems) count = MaxItems;
  items_.resize(static_cast<size_t>(count));
  for (int n = 1; n <= count; ++n) LoadItems(n);
}

TContentSection::~TContentSection() {
  if (!doNotSave) {
    try {
      Save();
    } catch (const std::exception&) {
      // The old file stays whole; nothing else can be done while freeing.
    }
  }
}

std::string TContentSection::ItemSectionName(int n) { return Format("%d", n); }

std::string TContentSection::ReadItemSectionName(int n) {
  std::string key = ItemSectionName(n);
  return file_.ReadString("Entry List", key, key);
}

TContentItem* TContentSection::At(int n) const {
  if (n < 1 || n > Count()) return nullptr;
  return items_[static_cast<size_t>(n - 1)].get();
}

const TContentItem* TContentSection::Item(int n) const { return At(n); }

void TContentSection::LoadItems(int n) {
  if (n < 1 || n > Count()) return;
  auto item = std::make_unique<TContentItem>();
  file_.ReadSectionLongValues(ReadItemSectionName(n), item->Lines);
  items_[static_cast<size_t>(n - 1)] = std::move(item);
}

void TContentSection::ReloadItem(int n) {
  TContentItem* item = At(n);
  if (!item) return;
  item->Lines.Clear();
  file_.ReadSectionLongValues(ReadItemSectionName(n), item->Lines);
}

void TContentSection::WriteWhole(TIniFile& file) const {
  file.EraseSection("Entry List");
  file.WriteInteger("Entry List", "numberEntries", Count());
  file.WriteInteger("Entry List", "maxIndex", maxIndex_);
  int written = 0;
  for (const auto& item : items_) {
    if (!item) continue;
    ++written;
    item->WriteSection(file, ItemSectionName(written), true);
  }
  file.WriteInteger("Entry List", "numberEntries", written);
}

void TContentSection::Save() {
  std::string path = FilePath();
  std::string fresh = path + ".new";
  DeleteIfFile(fresh);
  TIniFile file(fresh);
  try {
    WriteWhole(file);
  } catch (...) {
    DeleteIfFile(fresh);
    throw;
  }
  // Without the settings store nothing was written, and the old file stays.
  if (!IsFile(fresh)) return;
  // A reader of another program may hold the file open for a moment.
  for (int tries = 0; tries < 50; ++tries) {
    if (MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return;
    Sleep(10);
  }
  DeleteIfFile(fresh);
  throw Exception(Format("Unable to write to %s", path.c_str()));
}

int TContentSection::AddItem() {
  if (Count() >= MaxItems) return 0;
  items_.push_back(std::make_unique<TContentItem>());
  return Count();
}

void TContentSection::Exchange(int a, int b) {
  if (a < 1 || b < 1 || a > Count() || b > Count() || a == b) return;
  std::swap(items_[static_cast<size_t>(a - 1)], items_[static_cast<size_t>(b - 1)]);
}

void TContentSection::DeleteItem(int n, bool withFiles) {
  if (n < 1 || n > Count()) return;
  for (int k = n; k < Count(); ++k) Exchange(k, k + 1);
  if (withFiles) {
    int last = Count();
    if (GetInt(last, "fileCreatedByBrindale", 0) == 1) {
      DeleteIfFile(GetLocalFileName(last));
      DeleteIfFile(GetPreviewFileName(last));
    }
    int temps = TempFileCount(last);
    for (int k = 1; k <= temps; ++k) DeleteIfFile(Get(last, Format("tempFile%d", k).c_str()));
    Set(last, "numberTempFiles", "0");
  }
  items_.pop_back();
}

void TContentSection::DeleteAll() {
  for (int i = Count(); i > 0; --i) DeleteItem(1, true);
}

int64_t TContentSection::ItemStoredSize(int n) const {
  if (!At(n)) return 0;
  int64_t size = 0;
  if (GetInt(n, "fileCreatedByBrindale", 0) == 1) size += FileSizeOf(GetLocalFileName(n));
  int temps = TempFileCount(n);
  for (int k = 1; k <= temps; ++k) size += FileSizeOf(Get(n, Format("tempFile%d", k).c_str()));
  return size;
}

int64_t TContentSection::StoredSize() const {
  int64_t size = 0;
  for (int n = 1; n <= Count(); ++n) size += ItemStoredSize(n);
  return size;
}

int TContentSection::TempFileCount(int n) const { return GetInt(n, "numberTempFiles", 0); }

std::string TContentSection::TempFileName(int n, int k) const {
  if (k < 1 || k > TempFileCount(n)) return "";
  std::string name = Get(n, Format("tempFile%d", k).c_str());
  return IsFile(name) ? name : "";
}

std::string TContentSection::LastTempFile(int n) const {
  return Get(n, Format("tempFile%d", TempFileCount(n)).c_str());
}

bool TContentSection::ClearTempFiles(int n, bool deleteFiles) {
  TContentItem* item = At(n);
  if (!item) return false;
  int k = TempFileCount(n);
  if (k < 1 || item->Lines.IndexOfName(Format("tempFile%d", k)) < 0) return false;
  if (deleteFiles) {
    for (int i = 1; i <= k; ++i) {
      std::string key = Format("tempFile%d", i);
      DeleteIfFile(item->Lines.Values(key));
      item->Lines.SetValue(key, "");
    }
  }
  item->Lines.SetValue("numberTempFiles", "");
  item->Lines.SetValue("currentExtension", "");
  item->Lines.SetValue("numberPlayableTempFiles", "");
  return true;
}

std::string TContentSection::GetDisplayText(int n) const {
  std::string text = GetDescription(n);
  if (text.empty()) text = GetLink(n);
  if (text.empty())
    text = GetInt(n, "fileCreatedByBrindale", 0) == 1 ? "No description for this item"
                                                      : GetLocalFileName(n);
  return text;
}

void TContentSection::SetExtension(int n, const std::string& text) {
  std::string ext = Trim(text);
  if (ext.size() > 1 && ext[0] == '.') ext.erase(0, 1);
  Set(n, "extension", ext);
}

int TContentSection::GetCreationDate(int n) const {
  return GetInt(n, "creationDate", static_cast<int>(Date()));
}

bool TContentSection::IsStoredFormat(int n) const {
  std::string ext = GetCurrentExtension(n);
  if (ext.empty() || extensions_.IndexOfName(ext) < 0) ext = GetExtension(n);
  if (ext.empty() || extensions_.IndexOfName(ext) < 0) return false;
  return StrToIntDef(Trim(GetField(2, ",", extensions_.Values(ext))), 0) == 1;
}

int TContentSection::GetRecordStatus(int n) const {
  int status = GetInt(n, "recStatus", 1);
  if (!At(n) || !IsStoredFormat(n)) return status;
  std::string local = GetLocalFileName(n);
  if (!local.empty() && !IsFile(local)) return 13;
  switch (status) {
    case 1: return 10;
    case 4: return 9;
    case 5: return 11;
    case 7: return 12;
    default: return status;
  }
}

int TContentSection::GetPlayStatus(int n) const {
  int status = GetRecordStatus(n);
  if (IsFile(LastTempFile(n))) return status;
  std::string local = GetLocalFileName(n);
  if (At(n) && IsStoredFormat(n) && !local.empty()) {
    if (!IsFile(local)) status = 13;
    switch (status) {
      case 9: return 1000;
      case 10: return 1002;
      case 11: return 1001;
      case 12: return 1003;
      case 13: return 1004;
      default: return status;
    }
  }
  return status;
}

void TContentSection::CopyItemTo(int n, TStringList& lines) const {
  lines.Clear();
  if (const TContentItem* item = At(n)) lines.Assign(item->Lines);
}

void TContentSection::SetItemFrom(int n, const TStringList& lines) {
  if (TContentItem* item = At(n)) item->Lines.Assign(lines);
}

std::string TContentSection::Get(int n, const char* key) const {
  const TContentItem* item = At(n);
  return item ? item->Lines.Values(key) : std::string();
}

int TContentSection::GetInt(int n, const char* key, int def) const {
  return StrToIntDef(Get(n, key), def);
}

void TContentSection::Set(int n, const char* key, const std::string& value) {
  if (TContentItem* item = At(n)) item->Lines.SetValue(key, value);
}
