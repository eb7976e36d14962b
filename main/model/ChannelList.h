// The user's channels as stored in TezData.inx: up to 20 numbered slots
// and the three special lists Deleted, Pending and Rejected (numbers 40,
// 41, 42), each with its item file and its optional outside libraries.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "Classes.h"
#include "ContentSection.h"
#include "TezApi.h"

// Entries of a channel configuration library.
typedef BOOL(TEZAPI* TInitConfiguration)(HWND parent, const char* dataFile, const char* section,
                                          void* context);
typedef BOOL(TEZAPI* TCloseConfiguration)(int mode);
typedef BOOL(TEZAPI* TSetActiveState)(int active, int kind);

class TTezMMBut;

class TChannelObj : public TObject {
 public:
  TChannelObj(const std::string& key, const std::string& fileName, const std::string& folder);
  ~TChannelObj() override;
  TChannelObj(const TChannelObj&) = delete;
  TChannelObj& operator=(const TChannelObj&) = delete;

  // Writes workingDir, iniFile, active and imgNum into the channel's section.
  void Save(const std::string& fileName);
  void ReadRecordState();

  std::string section, dataFilePath, folder;
  std::string name, hint, workingDir, iniFile, butBitmap;
  int32_t active = 1;
  int32_t recordState = 1;
  std::string bitmapLibraryPath, configLibraryPath;
  HMODULE bitmapLibrary = nullptr;
  HMODULE configLibrary = nullptr;
  TInitConfiguration initConfiguration = nullptr;
  TCloseConfiguration closeConfiguration = nullptr;
  TSetActiveState setActiveState = nullptr;
  std::unique_ptr<TObject> picture;
  std::unique_ptr<TContentSection> contents;
  uint8_t doNotSave = 0;

 private:
  void LoadConfigLibrary();
};

class TChannelList : public TObject {
 public:
  static constexpr int MaxChannels = 20;
  static constexpr int DeletedList = 40, PendingList = 41, RejectedList = 42;

  TChannelList(const std::string& folder, const std::string& fileName);
  ~TChannelList() override;
  TChannelList(const TChannelList&) = delete;
  TChannelList& operator=(const TChannelList&) = delete;

  int Count() const { return numberTypes_; }
  int ActiveCount() const;
  static std::string TypeKey(int n);
  std::string GetSection(int n) const;
  std::string GetName(int n) const;
  int GetActive(int n) const;
  TObject* GetPicture(int n) const;
  TContentSection* GetContents(int n) const;
  int IndexOfName(const std::string& text) const;
  int IndexOfSection(const std::string& text) const;
  void Exchange(int a, int b);
  void SetActive(int n, int value);
  int64_t StoredSize(int n) const;
  // The stored bytes of the three special lists and every channel.
  int64_t TotalStoredSize() const;
  // The channel's five button pictures, butBitmap + "1_BMP" ... "3_BMP",
  // from its bitmap library when it has one loaded.
  void LoadButtonBitmaps(int n, TTezMMBut* button);
  void ClearContents(int n);
  void ReloadChannel(int n);
  void ReloadRecordStates();
  bool ShowConfiguration(int n, HWND parent, void* context);
  bool CloseConfiguration(int n, int mode);
  // The channel object of slot n (1..20), or none.
  TChannelObj* Channel(int n) const;

  const std::string& DefaultChannel() const { return defaultChannel_; }
  const std::string& Folder() const { return folder_; }
  std::string DataFilePath() const { return folder_ + fileName_; }
  uint8_t doNotSave = 0;

 private:
  std::string folder_, fileName_;
  TIniFile file_;
  int numberTypes_ = 0;
  std::string defaultChannel_;
  std::unique_ptr<TChannelObj> slots_[MaxChannels];
  std::unique_ptr<TChannelObj> deleted_, pending_, rejected_;
};
