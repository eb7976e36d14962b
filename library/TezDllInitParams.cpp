#include "TezDllInitParams.h"

CTezDllInitParams::CTezDllInitParams()
    : m_parent(nullptr),
      m_hook(nullptr),
      m_useMappedMail(0),
      m_useMailslot(1),
      m_indexFile("TezItemOperators.inx") {}

CTezDllInitParams::CTezDllInitParams(HWND parent, const char* mailslotName, TezMailHook hook,
                                     int32_t useMappedMail, int32_t useMailslot,
                                     const char* indexFile)
    : m_parent(parent),
      m_mailslotName(mailslotName ? mailslotName : ""),
      m_hook(hook),
      m_useMappedMail(useMappedMail),
      m_useMailslot(useMailslot),
      m_indexFile(indexFile ? indexFile : "") {}

CTezDllInitParams::~CTezDllInitParams() = default;

bool CTezDllInitParams::operator==(const CTezDllInitParams& other) const {
  return m_parent == other.m_parent && m_hook == other.m_hook &&
         m_useMappedMail == other.m_useMappedMail && m_useMailslot == other.m_useMailslot &&
         m_mailslotName == other.m_mailslotName && m_indexFile == other.m_indexFile;
}

int InitializeLibrary(const CTezDllInitParams* params, TezInitialize3_t init3,
                      TezInitialize2_t init2, TezInitialize_t init1) {
  if (!params) return 0;
  const CTezDllInitParams& p = *params;
  if (init3)
    return init3(p.m_parent, p.m_mailslotName.c_str(), p.m_hook, p.m_useMappedMail,
                 p.m_useMailslot, p.m_indexFile.c_str());
  if (init2)
    return init2(p.m_parent, p.m_mailslotName.c_str(), p.m_hook, p.m_useMappedMail,
                 p.m_useMailslot);
  if (init1) return init1(p.m_parent, p.m_mailslotName.c_str(), p.m_hook);
  return 0;
}
