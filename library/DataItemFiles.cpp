// The item's temporary files and the walk over the files it is played from.
#include <cstdlib>
#include <cstring>

#include "DataItem.h"

static bool FileExists(const std::string& name) {
  return !name.empty() && GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

static std::string FullPath(const std::string& name) {
  DWORD length = GetFullPathNameA(name.c_str(), 0, nullptr, nullptr);
  if (length == 0) return name;
  std::string full(length, '\0');
  length = GetFullPathNameA(name.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
  if (length == 0 || length >= full.size()) return name;
  full.resize(length);
  return full;
}

static bool SameFile(const std::string& a, const char* b) { return _stricmp(a.c_str(), b) == 0; }

int CDataItem::GetNewTempFile(std::string& name, const char* extension, int fullPath,
                              const char* givenName) {
  DeleteNewTempFile();
  name.clear();
  if (givenName && *givenName) {
    name = givenName;
  } else {
    const char* suffix = extension && *extension ? extension : "tzx";
    unsigned long n = GetTickCount() % 0xFFFFF;
    for (int attempt = 0; attempt < 5 && name.empty(); ++attempt) {
      char file[64];
      snprintf(file, sizeof file, "tez%lx.", n);
      std::string candidate = m_tempFolder + file + suffix;
      if (!FileExists(candidate))
        name = fullPath ? FullPath(candidate) : candidate;
      else
        n = (n + static_cast<unsigned long>(rand())) % 0xFFFFF;
    }
    if (name.empty()) {
      Report("DataItem: GetNewTempFile() - GetTempFileName Failed");
      return 0;
    }
  }
  m_newTempFile = name;
  m_hasNewTempFile = 1;
  return 1;
}

void CDataItem::DeleteNewTempFile() {
  if (m_hasNewTempFile && !m_newTempFile.empty()) DeleteFileA(m_newTempFile.c_str());
  m_newTempFile.clear();
  m_hasNewTempFile = 0;
}

int CDataItem::AddTempFile(const char* name) {
  if (name && *name) {
    m_newTempFile = name;
    m_hasNewTempFile = 1;
  }
  if (!m_hasNewTempFile || m_newTempFile.empty()) return 0;
  m_tempFiles.push_back(m_newTempFile);
  WriteKey("numberTempFiles", static_cast<int32_t>(m_tempFiles.size()));
  WriteKey(TempFileKey(m_tempFiles.size()).c_str(), m_newTempFile.c_str());
  m_newTempFile.clear();
  m_hasNewTempFile = 0;
  return 1;
}

void CDataItem::IncPlayableTempFiles() {
  ++m_numberPlayableTempFiles;
  WriteKey("numberPlayableTempFiles", m_numberPlayableTempFiles);
}

void CDataItem::ClearTempFiles(int deleteFiles) {
  while (!m_tempFiles.empty()) {
    if (deleteFiles) DeleteFileA(m_tempFiles.back().c_str());
    WriteKey(TempFileKey(m_tempFiles.size()).c_str(), nullptr);
    m_tempFiles.pop_back();
  }
  m_fileCursor = 0;
  m_numberPlayableTempFiles = 0;
  WriteKey("numberTempFiles", 0);
  WriteKey("numberPlayableTempFiles", 0);
}

int CDataItem::RemoveTempFile(const char* name, int deleteFile) {
  if (!name || !*name) return 0;
  size_t at = 0;
  while (at < m_tempFiles.size() && !SameFile(m_tempFiles[at], name)) ++at;
  if (at == m_tempFiles.size()) return 0;
  const size_t count = m_tempFiles.size();
  if (m_numberPlayableTempFiles > 0 &&
      at + static_cast<size_t>(m_numberPlayableTempFiles) >= count)
    --m_numberPlayableTempFiles;
  WriteKey(TempFileKey(count).c_str(), nullptr);
  std::string file = m_tempFiles[at];
  m_tempFiles.erase(m_tempFiles.begin() + static_cast<std::ptrdiff_t>(at));
  // A cursor on the removed entry moves to the one before it, so that the
  // next step reaches the entry that followed.
  if (m_fileCursor > at || (m_fileCursor == at && at > 0)) --m_fileCursor;
  if (deleteFile) DeleteFileA(file.c_str());
  WriteKey("numberTempFiles", static_cast<int32_t>(m_tempFiles.size()));
  WriteKey("numberPlayableTempFiles", m_numberPlayableTempFiles);
  for (size_t i = 0; i < m_tempFiles.size(); ++i)
    WriteKey(TempFileKey(i + 1).c_str(), m_tempFiles[i].c_str());
  return 1;
}

int CDataItem::CheckFile(const std::string& file, std::string& name, int fullPath) {
  if (!FileExists(file)) {
    name = file;
    SetErrorHint("File not found.", 1);
    return 0;
  }
  name = fullPath ? FullPath(file) : file;
  return 1;
}

int CDataItem::GetFirstFile(std::string& name, int* isUrl, CUrlParts* parts, int fullPath) {
  if (isUrl) *isUrl = 0;
  name.clear();
  if (!m_tempFiles.empty()) {
    const size_t count = m_tempFiles.size();
    const int32_t playable = m_numberPlayableTempFiles;
    if (playable < 1 || static_cast<size_t>(playable) > count) {
      SetErrorHint("Corrupted item.", 1);
      return 0;
    }
    m_fileCursor = count - static_cast<size_t>(playable);
    return CheckFile(m_tempFiles[m_fileCursor], name, fullPath);
  }
  if (!m_link.empty()) {
    name = m_link;
    if (isUrl) *isUrl = 1;
    CUrlParts ignored;
    SplitUrl(m_link.c_str(), parts ? *parts : ignored);
    return 1;
  }
  return CheckFile(m_localFileName, name, fullPath);
}

int CDataItem::GetFirstFile(std::string& name, int fullPath) {
  return GetFirstFile(name, nullptr, nullptr, fullPath);
}

int CDataItem::GetNextFile(std::string& name, int fullPath) {
  name.clear();
  if (m_numberPlayableTempFiles < 1 || m_fileCursor + 1 >= m_tempFiles.size()) return 0;
  ++m_fileCursor;
  return CheckFile(m_tempFiles[m_fileCursor], name, fullPath);
}
