// Which item operators work on an item, in which order, and which item
// player plays the result.
#include "DataItem.h"

void CDataItem::TakeAfresh() {
  SetDownloadTimes(0, 0, 0);
  SetPlayTimes(0, 0, 0);
  SetRecStatus(1);
  ClearTempFiles(1);
  m_currentExtension.clear();
  WriteKey("currentExtension", nullptr);
}

// Appends the first operator for type that is not in the chain yet.
CTezItemOperator* CDataItem::AddOperatorFor(const std::string& type) {
  CTezItemOperator* op =
      m_operatorMap ? m_operatorMap->FirstSupporting(type.c_str(), &m_operators) : nullptr;
  if (op) m_operators.push_back(op);
  return op;
}

int CDataItem::FindOperatorPlayerChain() {
  m_operators.clear();
  m_player = nullptr;
  m_operatorConnection = 0;
  m_playerConnection = 0;

  switch (m_recStatus) {
    case 4:
      SetRecStatus(m_playSelected ? 1 : 5);
      break;
    case 5:
      if (m_playSelected) SetRecStatus(1);
      break;
    case 2:
    case 3:
    case 6:
    case 7:
      SetRecStatus(1);
      SetErrorHint("", 1);
      break;
    default:
      break;
  }
  if (m_itemStatus == 2 && !m_playSelected) TakeAfresh();
  if (m_recStatus != 1 || (m_playSelected && !m_selectedItem)) return 1;

  std::string name;
  int isUrl = 0;
  CUrlParts url;
  if (!GetFirstFile(name, &isUrl, &url, 0)) {
    Report("Current working name [%s] is not valid", name.c_str());
    return 0;
  }

  std::string type;
  if (!GetExtension(type)) {
    size_t dot = name.rfind('.');
    if (dot != std::string::npos) type = name.substr(dot + 1);
    if (dot == std::string::npos || type.size() > 8) {
      SetErrorHint("Failed to recognize item type.", 1);
      return 0;
    }
  }
  type = ToLower(type);
  if (ListHoldsNoCase(m_disabledFormats, type)) {
    SetErrorHint("This item cannot be recorded onto the selected device.", 1);
    return 0;
  }

  // A link that the splitter refuses (no path after the host) is a name.
  const bool isLink = isUrl && SplitUrl(name.c_str(), url) && !url.scheme.empty();
  m_player = m_playerMap ? m_playerMap->FirstSupporting(type.c_str()) : nullptr;
  if (m_player) {
    if (!m_player->GetState()) {
      Report("Failed to load player %s. Abort this item !", m_player->GetDllName().c_str());
      SetErrorHint("Internal software problem.", 1);
      m_player = nullptr;
      return 0;
    }
    if (!isLink) return 1;
    if (m_player->GetLinkEnabled(url.scheme.c_str())) {
      m_playerConnection = 1;
      return 1;
    }
    if (!AddOperatorFor(url.scheme)) {
      SetErrorHint("Unknown Internet protocol.", 1);
      return 0;
    }
    m_operatorConnection = 1;
    return 1;
  }

  if (isLink) {
    CTezItemOperator* first =
        m_operatorMap ? m_operatorMap->FirstSupporting(type.c_str()) : nullptr;
    if (first && first->GetLinkEnabled(0)) {
      // An operator that fetches links of this type itself.
      m_operators.push_back(first);
      const char* output = first->GetOutputType(type.c_str());
      type = output ? output : "";
      m_operatorConnection = 1;
    } else if (AddOperatorFor(url.scheme)) {
      m_operatorConnection = 1;
    }
  }
  // Once an operator works on the item, each pass lets the converter of the
  // type join first, then looks for a player of the type it gives; no
  // operator joins twice. A local file goes straight to the default.
  for (bool added = !m_operators.empty(); added && !type.empty();) {
    CTezItemOperator* converter = AddOperatorFor(type);
    added = converter != nullptr;
    if (converter) {
      const char* output = converter->GetOutputType(type.c_str());
      type = output ? ToLower(output) : "";
    }
    m_player = m_playerMap ? m_playerMap->FirstSupporting(type.c_str()) : nullptr;
    if (m_player) break;
  }
  if (!m_player) {
    m_operators.clear();  // the connection flag stays as the link set it
    m_player =
        m_playerMap ? m_playerMap->FirstSupporting(m_defaultExtension.c_str()) : nullptr;
    if (!m_player) {
      SetErrorHint("Internal software problem.", 1);
      return 0;
    }
  }
  return 1;
}
