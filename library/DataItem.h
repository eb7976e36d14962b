// One item of a channel during a run. Its attributes are keys of one
// numbered section of the channel's item file; each process loads the
// section, changes keys and writes them back at once. The object is the
// handle the host passes to every item operator and item player.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "LibraryMap.h"
#include "SplitUrl.h"
#include "TezHashMap.h"
#include "TextUtil.h"

class CDataItem {
 public:
  CDataItem();
  CDataItem(const CDataItem&) = delete;
  CDataItem& operator=(const CDataItem&) = delete;

  virtual ~CDataItem();
  // 1 = read; 0 for an unnamed section or a missing item file.
  virtual int Load();
  // 1 when the item's main keys were all written.
  virtual int Save();
  // Chooses the item operators and the item player for the item; 1 = the
  // item may go on, 0 = skip it (the reason is in the error hint).
  virtual int FindOperatorPlayerChain();
  virtual std::string GetDescription();

  void Init(long itemNumber, long channelNumber, const char* channel, const char* itemFile,
            const char* paramFile, const char* tempFolder, int playSelected, HWND reportWindow,
            CItemOperatorMap* operators, CItemPlayerMap* players, const char* defaultExtension,
            int autoSave, const CStringList* disabledFormats);
  void SetNumber(long itemNumber);

  // Setters store the value; with auto-save on (or the write flag) they
  // write their keys at once.
  void SetRecStatus(int32_t status);
  int SetLocalFileName(const char* name, int write);
  int SetCurrentExtension(const char* extension);
  void SetDownloadTimes(int32_t start, int32_t finish, int32_t bytes);
  void SetPlayTimes(int32_t start, int32_t finish, int32_t seconds);
  void SetPreview(const char* file, const char* type, int write);
  void SetErrorHint(const char* text, int write);
  void SetDescription(const char* text, int write);
  void SetRecordFile(int recordToFile, const char* waveFile);
  void SetAutoSave(int autoSave) { m_autoSave = autoSave; }
  void SetSecondsLeft(int32_t seconds) { m_secondsLeft = seconds; }

  // currentExtension if set, else extension; 0 when both are empty.
  int GetExtension(std::string& extension) const;
  // 0 unless both parts are set; reload reads them from the file first.
  int GetPreview(std::string& file, std::string& type, int reload);
  void GetErrorHint(std::string& text, int reload);
  void GetDisplayName(std::string& name) const;

  // Temp files: the playable ones are the last numberPlayableTempFiles.
  int GetNewTempFile(std::string& name, const char* extension, int fullPath,
                     const char* givenName);
  int AddTempFile(const char* name);
  void IncPlayableTempFiles();
  void ClearTempFiles(int deleteFiles);
  int RemoveTempFile(const char* name, int deleteFile);
  void DeleteNewTempFile();
  // The first file to work on: the first playable temp file, else the
  // link (isUrl set, parts filled), else the local file.
  int GetFirstFile(std::string& name, int* isUrl, CUrlParts* parts, int fullPath);
  int GetFirstFile(std::string& name, int fullPath);
  int GetNextFile(std::string& name, int fullPath);

  // Extra values, kept for the log line. 1 = found.
  int GetValue(const char* name, std::string& value);
  void SetValue(const char* name, const char* value, int replace);
  void RemoveValue(const char* name);

  // Appends the item's log line to file (open for writing; binary mode
  // keeps the line's "\r\n" as it is).
  void WriteLog(FILE* file, const char* firstText, const char* secondText);

  // The chain found by FindOperatorPlayerChain.
  CTezItemPlayer* GetPlayer() const { return m_player; }
  const std::vector<CTezItemOperator*>& GetOperators() const { return m_operators; }
  int GetOperatorConnection() const { return m_operatorConnection; }
  int GetPlayerConnection() const { return m_playerConnection; }

  const std::string& GetSection() const { return m_section; }
  const std::string& GetItemFile() const { return m_itemFile; }
  const std::string& GetParamFile() const { return m_paramFile; }
  const std::string& GetTempFolder() const { return m_tempFolder; }
  const std::string& GetChannel() const { return m_channel; }
  const std::string& GetLocalFileName() const { return m_localFileName; }
  const std::string& GetLink() const { return m_link; }
  const std::string& GetType() const { return m_type; }
  const std::string& GetRecordWaveFile() const { return m_recordWaveFile; }
  const CStringList& GetTempFiles() const { return m_tempFiles; }
  HWND GetReportWindow() const { return m_reportWindow; }
  int GetRecordToFile() const { return m_recordToFile; }
  long GetNumber() const { return m_itemNumber; }
  long GetChannelNumber() const { return m_channelNumber; }
  int32_t GetRequestId() const { return m_requestId; }
  int32_t GetCreationTime() const { return m_creationTime; }
  int32_t GetStartDownload() const { return m_startDownload; }
  int32_t GetFinishDownload() const { return m_finishDownload; }
  int32_t GetLengthBytes() const { return m_lengthBytes; }
  int32_t GetStartPlay() const { return m_startPlay; }
  int32_t GetFinishPlay() const { return m_finishPlay; }
  int32_t GetLengthSeconds() const { return m_lengthSeconds; }
  int32_t GetSelectedItem() const { return m_selectedItem; }
  int32_t GetItemStatus() const { return m_itemStatus; }
  int32_t GetRecStatus() const { return m_recStatus; }
  int32_t GetFileCreatedByBrindale() const { return m_fileCreatedByBrindale; }
  int32_t GetNumberPlayableTempFiles() const { return m_numberPlayableTempFiles; }
  int32_t GetSecondsLeft() const { return m_secondsLeft; }

 private:
  // Writes one key of the section; with trace, reports it to the report window.
  int WriteKey(const char* key, const char* value, bool trace = true);
  int WriteKey(const char* key, int32_t value, bool trace = true);
  static std::string TempFileKey(size_t number);
  void Report(const char* format, ...);
  std::string ReadText(const char* key);
  int32_t ReadInt(const char* key);
  // name as it stands or as a full path; the file test of the file walk.
  int CheckFile(const std::string& file, std::string& name, int fullPath);
  bool ShouldWrite(int write) const { return write || m_autoSave; }
  void TakeAfresh();
  CTezItemOperator* AddOperatorFor(const std::string& type);

  HWND m_reportWindow;
  std::string m_lastReport;
  std::string m_itemFile;
  std::string m_paramFile;
  std::string m_tempFolder;
  std::string m_section;
  std::string m_channel;
  std::string m_recordWaveFile;
  int m_autoSave;
  int m_playSelected;
  CItemOperatorMap* m_operatorMap;
  CItemPlayerMap* m_playerMap;
  CTezItemPlayer* m_player;
  std::vector<CTezItemOperator*> m_operators;
  int m_operatorConnection;
  int m_playerConnection;
  int m_recordToFile;
  std::string m_localFileName;
  std::string m_link;
  std::string m_extension;
  std::string m_currentExtension;
  std::string m_description;
  std::string m_type;
  std::string m_defaultExtension;
  std::string m_newTempFile;
  std::string m_previewFileName;
  std::string m_previewFileType;
  std::string m_errorHint;
  int32_t m_requestId;
  int32_t m_creationTime;
  int32_t m_startDownload;
  int32_t m_finishDownload;
  int32_t m_lengthBytes;
  CStringList m_tempFiles;
  const CStringList* m_disabledFormats;
  int32_t m_startPlay;
  int32_t m_finishPlay;
  int32_t m_lengthSeconds;
  int m_hasNewTempFile;
  int32_t m_selectedItem;
  long m_itemNumber;
  long m_channelNumber;
  int32_t m_itemStatus;
  int32_t m_recStatus;
  int32_t m_fileCreatedByBrindale;
  int32_t m_numberPlayableTempFiles;
  size_t m_fileCursor;
  int32_t m_secondsLeft;
  CTezHashMap<std::string> m_values;
};
