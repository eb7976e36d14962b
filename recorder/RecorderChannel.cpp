#include "RecorderChannel.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "IniManager.h"
#include "TextReport.h"

CRecorderChannel::~CRecorderChannel() { DeleteItems(); }

void CRecorderChannel::Init(HWND dialog, const char* paramFile, const char* dataFolder,
                            const char* tempFolder, const char* dataFile, const char* name,
                            const char* section, CChannelOperatorMap* channelOperators,
                            CItemOperatorMap* itemOperators, CItemPlayerMap* itemPlayers,
                            const char* defaultExtension, int storeRecState, int playSelected,
                            const CStringList* disabledFormats, CreateNewItem_t createItem) {
  m_dialog = dialog;
  m_paramFile = paramFile ? paramFile : "";
  m_dataFolder = dataFolder ? dataFolder : "";
  m_tempFolder = tempFolder ? tempFolder : "";
  m_dataFile = dataFile ? dataFile : "";
  m_name = name ? name : "";
  m_section = section ? section : "";
  m_channelOperators = channelOperators;
  m_itemOperators = itemOperators;
  m_itemPlayers = itemPlayers;
  m_defaultExtension = defaultExtension ? defaultExtension : "";
  m_storeRecState = storeRecState;
  m_playSelected = playSelected;
  m_disabledFormats = disabledFormats;
  m_createItem = createItem;
  m_number = atol(m_section.c_str());
}

void CRecorderChannel::Report(const char* format, ...) {
  char text[300];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  PostTextReportF(m_dialog, "\t Channel : %s", text);
}

void CRecorderChannel::DeleteItems() {
  for (CDataItem* item : m_items) delete item;
  m_items.clear();
}

CDataItem* CRecorderChannel::NewItem(const std::string& type) {
  return m_createItem ? m_createItem(type.c_str()) : new CDataItem();
}

void CRecorderChannel::SetRecordState(int state) {
  m_recordState = state;
  CIniManager* ini = CIniManager::Instance();
  if (ini) ini->WriteInt(m_dataFile.c_str(), m_section.c_str(), "recordState", state);
}

int CRecorderChannel::Load() {
  CIniManager* ini = CIniManager::Instance();
  SetRecordState(1);
  if (!ini) return 0;
  const char* data = m_dataFile.c_str();
  const char* section = m_section.c_str();
  m_active = ini->GetInt(data, section, "active");
  if (!m_active) return 0;
  if (!m_items.empty()) {
    Report("Deleting existing item list");
    DeleteItems();
  }
  m_workingFolder = m_dataFolder + ini->GetString(data, section, "workingDir");
  m_dllName = ini->GetString(data, section, "dllName");
  m_wavFile = ini->GetString(data, section, "wavFile");
  m_itemFile = m_workingFolder + ini->GetString(data, section, "iniFile");
  m_oldItemsFile = m_workingFolder + ini->GetString(data, section, "oldItemsFile");
  m_numberEntries = ini->GetInt(m_itemFile.c_str(), "Entry List", "numberEntries");
  m_maxIndex = ini->GetInt(m_itemFile.c_str(), "Entry List", "maxIndex");
  Report("Number of Items : %d", m_numberEntries);
  for (int number = 1; number <= m_numberEntries; ++number) {
    char itemSection[16];
    snprintf(itemSection, sizeof itemSection, "%d", number);
    std::string type = ini->GetString(m_itemFile.c_str(), itemSection, "type");
    if (type.empty()) type = "basic";
    CDataItem* item = NewItem(type);
    if (!item) continue;
    item->Init(number, m_number, m_name.c_str(), m_itemFile.c_str(), m_paramFile.c_str(),
               m_tempFolder.c_str(), m_playSelected, m_dialog, m_itemOperators, m_itemPlayers,
               m_defaultExtension.c_str(), m_storeRecState, m_disabledFormats);
    if (item->Load() && item->FindOperatorPlayerChain()) {
      m_items.push_back(item);
    } else {
      Report("Item %d: Failed to find operator-player chain. Skipped.", number);
      delete item;
    }
  }
  if (!m_playSelected && !m_dllName.empty()) {
    m_operator = m_channelOperators ? m_channelOperators->Prepare(
                                          m_channelOperators->Find(m_dllName))
                                    : nullptr;
    if (!m_operator) return 0;
    m_dialerRequired = m_operator->GetDialerRequired();
  }
  return 1;
}

int CRecorderChannel::AddItem(CDataItem* item, long number, int reinit) {
  if (!item) return 0;
  if (reinit)
    item->Init(number, m_number, m_name.c_str(), m_itemFile.c_str(), m_paramFile.c_str(),
               m_tempFolder.c_str(), m_playSelected, m_dialog, m_itemOperators, m_itemPlayers,
               m_defaultExtension.c_str(), m_storeRecState, m_disabledFormats);
  if (!item->FindOperatorPlayerChain()) {
    delete item;
    return 0;
  }
  m_items.push_back(item);
  return 1;
}

// Every key = value of a section, as the settings store lists them.
static std::vector<std::pair<std::string, std::string>> ReadSection(CIniManager* ini,
                                                                    const std::string& file,
                                                                    const std::string& section) {
  std::vector<std::pair<std::string, std::string>> keys;
  for (const std::string& key : ini->GetKeys(file.c_str(), section.c_str()))
    keys.emplace_back(key, ini->GetString(file.c_str(), section.c_str(), key.c_str()));
  return keys;
}

void CRecorderChannel::SaveItems(int save) {
  CIniManager* ini = CIniManager::Instance();
  if (!save || m_items.empty() || !ini) return;
  std::vector<std::vector<std::pair<std::string, std::string>>> kept;
  for (CDataItem* item : m_items) kept.push_back(ReadSection(ini, m_itemFile, item->GetSection()));
  DeleteFileA(m_itemFile.c_str());
  const char* file = m_itemFile.c_str();
  ini->WriteInt(file, "Entry List", "numberEntries", 0);
  for (size_t n = 0; n < m_items.size(); ++n) {
    m_items[n]->SetNumber(long(n + 1));
    const std::string& section = m_items[n]->GetSection();
    for (const auto& key : kept[n])
      ini->WriteString(file, section.c_str(), key.first.c_str(), key.second.c_str());
    m_items[n]->Save();
  }
  ini->WriteInt(file, "Entry List", "numberEntries", int(m_items.size()));
  ini->WriteInt(file, "Entry List", "maxIndex", m_maxIndex);
}
