// A channel's item file in memory: up to 75 items, each the name=value
// lines of its section, read whole at creation and written whole when the
// copy is freed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Classes.h"
#include "IniFiles2.h"

class TContentItem : public TObject {
 public:
  TContentItem() = default;
  explicit TContentItem(const TStringList& lines) { Lines.Assign(lines); }
  // Every line as key = value; the section is erased first when erase.
  void WriteSection(TIniFile& file, const std::string& section, bool erase) const;
  TStringList Lines;
};

class TContentSection : public TObject {
 public:
  static constexpr int MaxItems = 75;

  TContentSection(std::string folder, std::string section, std::string workingDir,
                  std::string iniFile);
  ~TContentSection() override;
  TContentSection(const TContentSection&) = delete;
  TContentSection& operator=(const TContentSection&) = delete;

  // Writes the whole file under a new name and then puts it in place of
  // the old one, so a failed write leaves the old file as it was. Raises
  // the settings class's write error.
  void Save();

  int Count() const { return static_cast<int>(items_.size()); }
  const std::string& GetSection() const { return section_; }
  std::string FilePath() const { return folder_ + workingDir_ + iniFile_; }
  // A new empty last item; the new count, or 0 when the list is full.
  int AddItem();
  static std::string ItemSectionName(int n);
  void LoadItems(int n);
  void ReloadItem(int n);
  void Exchange(int a, int b);
  void DeleteItem(int n, bool withFiles);
  void DeleteAll();
  int64_t StoredSize() const;
  int64_t ItemStoredSize(int n) const;
  int TempFileCount(int n) const;
  std::string TempFileName(int n, int k) const;
  std::string LastTempFile(int n) const;
  bool ClearTempFiles(int n, bool deleteFiles);
  std::string GetDisplayText(int n) const;

  std::string GetLocalFileName(int n) const { return Get(n, "localFileName"); }
  void SetLocalFileName(int n, const std::string& v) { Set(n, "localFileName", v); }
  std::string GetLink(int n) const { return Get(n, "link"); }
  void SetLink(int n, const std::string& v) { Set(n, "link", v); }
  std::string GetDescription(int n) const { return Get(n, "description"); }
  void SetDescription(int n, const std::string& v) { Set(n, "description", v); }
  std::string GetPreviewFileName(int n) const { return Get(n, "previewFileName"); }
  std::string GetPreviewFileType(int n) const { return Get(n, "previewFileType"); }
  std::string GetExtension(int n) const { return Get(n, "extension"); }
  void SetExtension(int n, const std::string& text);
  std::string GetCurrentExtension(int n) const { return Get(n, "currentExtension"); }
  std::string GetOriginalChannel(int n) const { return Get(n, "originalChannel"); }
  void SetOriginalChannel(int n, const std::string& v) { Set(n, "originalChannel", v); }
  std::string GetErrorHint(int n) const { return Get(n, "errorHint"); }
  void SetErrorHint(int n, const std::string& v) { Set(n, "errorHint", v); }
  int GetItemStatus(int n) const { return GetInt(n, "itemStatus", 1); }
  void SetItemStatus(int n, int v) { Set(n, "itemStatus", IntToStr(v)); }
  void SetRecStatus(int n, int v) { Set(n, "recStatus", IntToStr(v)); }
  void SetSelectedItem(int n, int v) { Set(n, "selectedItem", IntToStr(v)); }
  void SetRequestId(int n, int v) { Set(n, "requestId", IntToStr(v)); }
  int GetCreationDate(int n) const;
  void SetCreationDate(int n, int day) { Set(n, "creationDate", IntToStr(day)); }
  int GetRecordStatus(int n) const;
  int GetPlayStatus(int n) const;

  void CopyItemTo(int n, TStringList& lines) const;
  void SetItemFrom(int n, const TStringList& lines);
  // The item's lines, or none.
  const TContentItem* Item(int n) const;

  int32_t MaxIndex() const { return maxIndex_; }
  uint8_t doNotSave = 0;

 private:
  TContentItem* At(int n) const;
  std::string Get(int n, const char* key) const;
  int GetInt(int n, const char* key, int def) const;
  void Set(int n, const char* key, const std::string& value);
  std::string ReadItemSectionName(int n);
  bool IsStoredFormat(int n) const;
  void WriteWhole(TIniFile& file) const;

  std::string folder_, section_, workingDir_, iniFile_;
  TIniFile file_;
  int32_t maxIndex_ = 0;
  std::vector<std::unique_ptr<TContentItem>> items_;
  TStringList extensions_;
};

// Creates one folder level; failure is ignored.
void CreateFolder(const std::string& path);
// A file (not a folder) of that name exists.
bool IsFile(const std::string& path);
