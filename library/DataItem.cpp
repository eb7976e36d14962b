#include "DataItem.h"

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "IniManager.h"
#include "TextReport.h"

CDataItem::CDataItem()
    : m_reportWindow(nullptr),
      m_autoSave(1),
      m_playSelected(0),
      m_operatorMap(nullptr),
      m_playerMap(nullptr),
      m_player(nullptr),
      m_operatorConnection(0),
      m_playerConnection(0),
      m_recordToFile(0),
      m_requestId(-1),
      m_creationTime(-1),
      m_startDownload(-1),
      m_finishDownload(-1),
      m_lengthBytes(-1),
      m_disabledFormats(nullptr),
      m_startPlay(-1),
      m_finishPlay(-1),
      m_lengthSeconds(-1),
      m_hasNewTempFile(0),
      m_selectedItem(0),
      m_itemNumber(0),
      m_channelNumber(0),
      m_itemStatus(0),
      m_recStatus(0),
      m_fileCreatedByBrindale(0),
      m_numberPlayableTempFiles(0),
      m_fileCursor(0),
      m_secondsLeft(-1) {}

CDataItem::~CDataItem() { DeleteNewTempFile(); }

void CDataItem::Init(long itemNumber, long channelNumber, const char* channel,
                     const char* itemFile, const char* paramFile, const char* tempFolder,
                     int playSelected, HWND reportWindow, CItemOperatorMap* operators,
                     CItemPlayerMap* players, const char* defaultExtension, int autoSave,
                     const CStringList* disabledFormats) {
  SetNumber(itemNumber);
  m_channelNumber = channelNumber;
  m_channel = channel ? channel : "";
  m_itemFile = itemFile ? itemFile : "";
  m_paramFile = paramFile ? paramFile : "";
  m_tempFolder = tempFolder ? tempFolder : "";
  m_playSelected = playSelected;
  m_reportWindow = reportWindow;
  m_operatorMap = operators;
  m_playerMap = players;
  m_defaultExtension = defaultExtension ? defaultExtension : "";
  m_autoSave = autoSave;
  m_disabledFormats = disabledFormats;
}

void CDataItem::SetNumber(long itemNumber) {
  m_itemNumber = itemNumber;
  char text[24];
  snprintf(text, sizeof text, "%ld", itemNumber);
  m_section = text;
}

void CDataItem::Report(const char* format, ...) {
  if (!m_reportWindow) return;
  va_list args;
  va_start(args, format);
  int length = vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (length < 0) return;
  std::string text(static_cast<size_t>(length) + 1, '\0');
  va_start(args, format);
  vsnprintf(&text[0], text.size(), format, args);
  va_end(args);
  text.resize(static_cast<size_t>(length));
  m_lastReport = text;
  PostTextReport(m_reportWindow, text.c_str());
}

int CDataItem::WriteKey(const char* key, const char* value, bool trace) {
  if (trace) Report("\t\t Item : %s=%s", key, value ? value : "");
  CIniManager* ini = CIniManager::Instance();
  if (!ini || m_section.empty()) return 0;
  return ini->WriteString(m_itemFile.c_str(), m_section.c_str(), key, value);
}

int CDataItem::WriteKey(const char* key, int32_t value, bool trace) {
  if (trace) Report("\t\t Item : %s=%d", key, static_cast<int>(value));
  char text[16];
  snprintf(text, sizeof text, "%d", static_cast<int>(value));
  return WriteKey(key, text, false);
}

std::string CDataItem::TempFileKey(size_t number) {
  char key[32];
  snprintf(key, sizeof key, "tempFile%u", static_cast<unsigned>(number));
  return key;
}

std::string CDataItem::ReadText(const char* key) {
  CIniManager* ini = CIniManager::Instance();
  return ini ? ini->GetString(m_itemFile.c_str(), m_section.c_str(), key) : "";
}

int32_t CDataItem::ReadInt(const char* key) {
  return static_cast<int32_t>(atol(ReadText(key).c_str()));
}

// A count read from a file: negative counts as none, and a count no item
// can have is cut.
static size_t ReadCount(int32_t value) {
  const int32_t kMaxTempFiles = 4096;
  return value < 0 ? 0 : static_cast<size_t>(value < kMaxTempFiles ? value : kMaxTempFiles);
}

int CDataItem::Load() {
  if (m_section.empty() || m_itemFile.empty()) return 0;
  if (GetFileAttributesA(m_itemFile.c_str()) == INVALID_FILE_ATTRIBUTES) return 0;
  m_requestId = ReadInt("requestId");
  m_creationTime = ReadInt("creationTime");
  m_link = ReadText("link");
  m_startDownload = ReadInt("startDownload");
  m_finishDownload = ReadInt("finishDownload");
  m_lengthBytes = ReadInt("lengthBytes");
  m_localFileName = ReadText("localFileName");
  m_startPlay = ReadInt("startPlay");
  m_finishPlay = ReadInt("finishPlay");
  m_lengthSeconds = ReadInt("lengthSeconds");
  m_itemStatus = ReadInt("itemStatus");
  if (m_itemStatus < 2) m_itemStatus = 1;
  m_recStatus = ReadInt("recStatus");
  if (m_recStatus < 2) m_recStatus = 1;
  m_type = ReadText("type");
  if (m_type.empty()) m_type = "basic";
  m_fileCreatedByBrindale = ReadInt("fileCreatedByBrindale");
  size_t count = ReadCount(ReadInt("numberTempFiles"));
  m_numberPlayableTempFiles = ReadInt("numberPlayableTempFiles");
  for (size_t number = 1; number <= count; ++number) {
    char key[32];
    snprintf(key, sizeof key, "tempFile%u", static_cast<unsigned>(number));
    m_tempFiles.push_back(ReadText(key));
  }
  m_previewFileName = ReadText("previewFileName");
  m_previewFileType = ReadText("previewFileType");
  m_errorHint = ReadText("errorHint");
  m_description = ReadText("description");
  m_selectedItem = ReadInt("selectedItem");
  m_extension = ToLower(ReadText("extension"));
  m_currentExtension = ReadText("currentExtension");
  return 1;
}

int CDataItem::Save() {
  bool written = true;  // the main keys, up to the first failed write
  auto mainKey = [&](const char* key, const std::string& value) {
    if (written) written = WriteKey(key, value.c_str(), false) != 0;
  };
  auto mainNumber = [&](const char* key, int32_t value) {
    if (written) written = WriteKey(key, value, false) != 0;
  };
  mainNumber("requestId", m_requestId);
  mainNumber("creationTime", m_creationTime);
  mainKey("link", m_link);
  WriteKey("startDownload", m_startDownload, false);
  WriteKey("finishDownload", m_finishDownload, false);
  WriteKey("lengthBytes", m_lengthBytes, false);
  mainKey("localFileName", m_localFileName);
  WriteKey("startPlay", m_startPlay, false);
  WriteKey("finishPlay", m_finishPlay, false);
  WriteKey("lengthSeconds", m_lengthSeconds, false);
  mainNumber("itemStatus", m_itemStatus);
  mainNumber("recStatus", m_recStatus);
  mainKey("type", m_type);
  mainNumber("fileCreatedByBrindale", m_fileCreatedByBrindale);
  WriteKey("numberTempFiles", static_cast<int32_t>(m_tempFiles.size()), false);
  WriteKey("numberPlayableTempFiles", m_numberPlayableTempFiles, false);
  for (size_t i = 0; i < m_tempFiles.size(); ++i)
    WriteKey(TempFileKey(i + 1).c_str(), m_tempFiles[i].c_str(), false);
  WriteKey("previewFileName", m_previewFileName.c_str(), false);
  WriteKey("previewFileType", m_previewFileType.c_str(), false);
  WriteKey("errorHint", m_errorHint.c_str(), false);
  WriteKey("description", m_description.c_str(), false);
  return written ? 1 : 0;
}

std::string CDataItem::GetDescription() { return m_description; }

void CDataItem::SetRecStatus(int32_t status) {
  m_recStatus = status;
  if (m_autoSave) WriteKey("recStatus", status);
}

int CDataItem::SetLocalFileName(const char* name, int write) {
  m_localFileName = name ? name : "";
  if (!ShouldWrite(write)) return 0;
  WriteKey("localFileName", m_localFileName.c_str());
  return WriteKey("fileCreatedByBrindale", m_fileCreatedByBrindale);
}

int CDataItem::SetCurrentExtension(const char* extension) {
  m_currentExtension = extension ? extension : "";
  return WriteKey("currentExtension", extension);
}

void CDataItem::SetDownloadTimes(int32_t start, int32_t finish, int32_t bytes) {
  m_startDownload = start;
  m_finishDownload = finish;
  m_lengthBytes = bytes;
  if (!m_autoSave) return;
  WriteKey("startDownload", start);
  WriteKey("finishDownload", finish);
  WriteKey("lengthBytes", bytes);
}

void CDataItem::SetPlayTimes(int32_t start, int32_t finish, int32_t seconds) {
  m_startPlay = start;
  m_finishPlay = finish;
  m_lengthSeconds = seconds;
  if (!m_autoSave) return;
  WriteKey("startPlay", start);
  WriteKey("finishPlay", finish);
  WriteKey("lengthSeconds", seconds);
}

// An empty text is written as no value.
static const char* ValueOrNone(const std::string& text) {
  return text.empty() ? nullptr : text.c_str();
}

void CDataItem::SetPreview(const char* file, const char* type, int write) {
  const bool both = file && *file && type && *type;
  m_previewFileName = both ? file : "";
  m_previewFileType = both ? type : "";
  if (!ShouldWrite(write)) return;
  WriteKey("previewFileName", ValueOrNone(m_previewFileName));
  WriteKey("previewFileType", ValueOrNone(m_previewFileType));
}

void CDataItem::SetErrorHint(const char* text, int write) {
  m_errorHint = text ? text : "";
  if (ShouldWrite(write)) WriteKey("errorHint", ValueOrNone(m_errorHint));
}

void CDataItem::SetDescription(const char* text, int write) {
  m_description = text ? text : "";
  if (ShouldWrite(write)) WriteKey("description", ValueOrNone(m_description));
}

void CDataItem::SetRecordFile(int recordToFile, const char* waveFile) {
  m_recordToFile = recordToFile;
  m_recordWaveFile = waveFile ? waveFile : "";
}

int CDataItem::GetExtension(std::string& extension) const {
  extension = !m_currentExtension.empty() ? m_currentExtension : m_extension;
  return extension.empty() ? 0 : 1;
}

int CDataItem::GetPreview(std::string& file, std::string& type, int reload) {
  if (reload) {
    m_previewFileName = ReadText("previewFileName");
    m_previewFileType = ReadText("previewFileType");
  }
  const bool both = !m_previewFileName.empty() && !m_previewFileType.empty();
  file = both ? m_previewFileName : "";
  type = both ? m_previewFileType : "";
  return both ? 1 : 0;
}

void CDataItem::GetErrorHint(std::string& text, int reload) {
  if (reload) m_errorHint = ReadText("errorHint");
  text = m_errorHint;
}

void CDataItem::GetDisplayName(std::string& name) const {
  if (!m_description.empty()) {
    name = m_description;
  } else if (!m_link.empty()) {
    name = m_link;
  } else if (!m_localFileName.empty()) {
    name = m_localFileName;
  } else {
    char text[64];
    if (!m_channel.empty()) {
      name = m_channel;
      snprintf(text, sizeof text, " %ld", m_itemNumber);
    } else {
      snprintf(text, sizeof text, "Brindale item %ld", m_itemNumber);
    }
    name += text;
  }
  size_t separator = name.find_last_of("\\/");
  if (separator != std::string::npos && separator > 0) name.erase(0, separator + 1);
}

int CDataItem::GetValue(const char* name, std::string& value) {
  std::string* known = m_values.Find(name ? name : "");
  value = known ? *known : "";
  return known ? 1 : 0;
}

void CDataItem::SetValue(const char* name, const char* value, int replace) {
  std::string key = name ? name : "";
  std::string text = value ? value : "";
  std::string* known = m_values.Find(key);
  if (known && !replace)
    *known += "&" + text;
  else
    m_values.Set(key, text);
}

void CDataItem::RemoveValue(const char* name) { m_values.Remove(name ? name : ""); }

void CDataItem::WriteLog(FILE* file, const char* firstText, const char* secondText) {
  if (!file) return;
  std::string values;
  m_values.Walk([&values](const std::string& name, const std::string& value) {
    if (!values.empty()) values += "#";
    values += name + "?" + value;
    return false;
  });
  const char* format = "%s,%d,%d,%s,%d,%d,%d,%s,%d,%d,%d,%s,%d,%s,%s\r\n";
  auto print = [&](char* out, size_t size) {
    return snprintf(out, size, format, firstText ? firstText : "", m_requestId, m_creationTime,
                    m_link.c_str(), m_startDownload, m_finishDownload, m_lengthBytes,
                    m_localFileName.c_str(), m_startPlay, m_finishPlay, m_lengthSeconds,
                    secondText ? secondText : "", m_errorHint.empty() ? 0 : 1,
                    m_errorHint.c_str(), values.c_str());
  };
  int length = print(nullptr, 0);
  if (length < 0) return;
  std::string line(static_cast<size_t>(length) + 1, '\0');
  print(&line[0], line.size());
  line.resize(static_cast<size_t>(length));
  errno = 0;
  if (fseek(file, 0, SEEK_END) != 0 || fwrite(line.data(), 1, line.size(), file) != line.size() ||
      fflush(file) != 0) {
    Report("Log error : %.255s", strerror(errno ? errno : EIO));
    clearerr(file);
  }
}
