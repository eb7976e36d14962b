#include "IniManager.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

static CIniManager* g_instance = nullptr;

CIniManager::CIniManager(const char* path, int load)
    : CDllWrapper(path, nullptr), m_buffer{} {
  g_instance = this;
  if (load) Load();
}

CIniManager::~CIniManager() {
  if (g_instance == this) g_instance = nullptr;
}

void CIniManager::ResolveExports() {
  Bind(m_getString, "TezGetString");
  Bind(m_writeString, "TezWriteString");
  Bind(m_reloadFile, "TezReloadFile");
}

CIniManager* CIniManager::Instance() { return g_instance; }

const char* CIniManager::GetString(const char* file, const char* section, const char* key) {
  m_buffer[0] = '\0';
  if (m_getString &&
      m_getString(section, key, nullptr, m_buffer, static_cast<int>(sizeof m_buffer), file) <= 0)
    m_buffer[0] = '\0';
  m_buffer[sizeof m_buffer - 1] = '\0';
  return m_buffer;
}

int CIniManager::GetInt(const char* file, const char* section, const char* key) {
  return static_cast<int>(atol(GetString(file, section, key)));
}

std::vector<std::string> CIniManager::GetKeys(const char* file, const char* section) {
  std::vector<std::string> keys;
  if (!m_getString || !section) return keys;
  std::vector<char> names(8192, '\0');
  int length = m_getString(section, nullptr, nullptr, names.data(),
                           static_cast<int>(names.size()) - 1, file);
  if (length < 0) length = 0;
  if (length > static_cast<int>(names.size()) - 1) length = static_cast<int>(names.size()) - 1;
  for (int at = 0; at < length && names[at];) {
    keys.emplace_back(names.data() + at);
    at += static_cast<int>(keys.back().size()) + 1;
  }
  return keys;
}

int CIniManager::WriteString(const char* file, const char* section, const char* key,
                             const char* value) {
  return m_writeString ? m_writeString(section, key, value, file) : 0;
}

int CIniManager::WriteInt(const char* file, const char* section, const char* key, int value) {
  char text[16];
  snprintf(text, sizeof text, "%d", value);
  return WriteString(file, section, key, text);
}

int CIniManager::ReloadFile(const char* file) { return m_reloadFile ? m_reloadFile(file) : 0; }

std::string InCurrentDirectory(const char* name) {
  std::string folder(MAX_PATH, '\0');
  DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(folder.size()), &folder[0]);
  if (length >= folder.size()) {
    folder.assign(length, '\0');
    length = GetCurrentDirectoryA(static_cast<DWORD>(folder.size()), &folder[0]);
  }
  folder.resize(length < folder.size() ? length : 0);
  return folder + "\\" + (name ? name : "");
}
