#include "DllWrapper.h"

#include "IniManager.h"
#include "TextReport.h"
#include "TezDllInitParams.h"

CDllWrapper::CDllWrapper() : CDllWrapper("", nullptr) {}

CDllWrapper::CDllWrapper(const char* path, const char* caption)
    : m_loaded(0),
      m_enabled(1),
      m_initResult(0),
      m_module(nullptr),
      m_path(path ? path : ""),
      m_caption(caption ? caption : "Recorder") {}

CDllWrapper::~CDllWrapper() {
  if (m_module) FreeLibrary(m_module);
}

int CDllWrapper::Load() {
  if (m_path.empty()) return 0;
  if (m_module) return m_loaded = 1;
  m_module = LoadLibraryA(m_path.c_str());
  if (!m_module) {
    DWORD error = GetLastError();
    if (!m_caption.empty())
      PostTextReportToF(m_caption.c_str(), "DLL ERROR !!! : %s not loaded!. Error = %d",
                        m_path.c_str(), static_cast<int>(error));
    m_loaded = 0;
    return 0;
  }
  if (!m_caption.empty())
    PostTextReportToF(m_caption.c_str(), "DLL : %s    loaded", m_path.c_str());
  ResolveExports();
  m_loaded = 1;
  return 1;
}

int CDllWrapper::Supports(const char* type) const {
  if (!type || !*type || !m_enabled) return 0;
  std::string wanted = ToLower(type);
  for (const std::string& identifier : m_identifiers)
    if (identifier == wanted) return 1;
  return 0;
}

void CDllWrapper::ReadIdentifiers(const char* indexFile, const CStringList* disabledIds) {
  m_identifiers.clear();
  CIniManager* ini = CIniManager::Instance();
  if (!indexFile || !*indexFile || !ini) return;

  std::string indexPath = InCurrentDirectory(indexFile);

  const char* section = m_path.c_str();
  m_id = ini->GetString(indexPath.c_str(), section, "id");
  std::string list = ini->GetString(indexPath.c_str(), section, "identifiers");
  if (!m_id.empty() && ListHoldsNoCase(disabledIds, m_id)) {
    list = TrimLeft(ini->GetString(indexPath.c_str(), section, "localTypes"));
    if (list.empty()) {
      m_enabled = 0;
      return;
    }
  }
  for (const std::string& part : SplitText(list, ','))
    m_identifiers.push_back(ToLower(Trim(part)));
}

void CDllWrapper::ReadIndexAndLoad(const CTezDllInitParams* params, const char* defaultIndex,
                                   const CStringList* disabledIds, int load) {
  if (defaultIndex) {
    const bool ownIndex = params && !params->m_indexFile.empty();
    ReadIdentifiers(ownIndex ? params->m_indexFile.c_str() : defaultIndex, disabledIds);
  }
  if (load) Load();
}
