// One channel of a run: its section of TezData.inx, its item file read into
// item records (each with its operator and player chain) and its channel
// operator. The Recorder hands a pointer to it to the channel operator.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ChannelOperator.h"
#include "DataItem.h"
#include "LibraryMap.h"
#include "TezItemsApi.h"

typedef CLibraryMap<CChannelOperator> CChannelOperatorMap;

class CRecorderChannel {
 public:
  CRecorderChannel() = default;
  CRecorderChannel(const CRecorderChannel&) = delete;
  CRecorderChannel& operator=(const CRecorderChannel&) = delete;
  virtual ~CRecorderChannel();

  void Init(HWND dialog, const char* paramFile, const char* dataFolder, const char* tempFolder,
            const char* dataFile, const char* name, const char* section,
            CChannelOperatorMap* channelOperators, CItemOperatorMap* itemOperators,
            CItemPlayerMap* itemPlayers, const char* defaultExtension, int storeRecState,
            int playSelected, const CStringList* disabledFormats, CreateNewItem_t createItem);
  // 1 = active, with a channel operator when it needs one.
  int Load();
  void SetRecordState(int state);
  // With reinit the item gets this channel's context first; the item is
  // kept when its chain is found (else deleted). 1 = kept.
  int AddItem(CDataItem* item, long number, int reinit);
  // Writes the item file again with the items numbered 1..n in list order;
  // keys of the items' sections that the item record does not know are
  // carried over to the new sections.
  void SaveItems(int save);

  const std::vector<CDataItem*>& Items() const { return m_items; }
  CChannelOperator* Operator() const { return m_operator; }
  const std::string& Name() const { return m_name; }
  const std::string& Section() const { return m_section; }
  const std::string& WavFile() const { return m_wavFile; }
  long Number() const { return m_number; }
  int RecordState() const { return m_recordState; }
  int DialerRequired() const { return m_dialerRequired; }
  void SetDialerRequired(int value) { m_dialerRequired = value; }
  int ConnectHere() const { return m_connectHere; }
  void SetConnectHere(int value) { m_connectHere = value; }

 private:
  void Report(const char* format, ...);
  void DeleteItems();
  CDataItem* NewItem(const std::string& type);

  CChannelOperatorMap* m_channelOperators = nullptr;
  CItemOperatorMap* m_itemOperators = nullptr;
  CItemPlayerMap* m_itemPlayers = nullptr;
  CChannelOperator* m_operator = nullptr;
  std::vector<CDataItem*> m_items;
  int m_dialerRequired = 0;
  int m_connectHere = 0;
  HWND m_dialog = nullptr;
  std::string m_name;
  std::string m_section;
  std::string m_workingFolder;
  int m_active = 0;
  std::string m_dataFolder;
  std::string m_tempFolder;
  std::string m_paramFile;
  std::string m_itemFile;
  std::string m_oldItemsFile;
  std::string m_dataFile;
  std::string m_dllName;
  std::string m_wavFile;
  std::string m_defaultExtension;
  int m_numberEntries = 0;
  int m_maxIndex = 0;
  int m_recordState = 0;
  long m_number = 0;
  int m_storeRecState = 0;
  int m_playSelected = 0;
  const CStringList* m_disabledFormats = nullptr;
  CreateNewItem_t m_createItem = nullptr;
};
