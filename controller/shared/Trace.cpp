#include "Trace.h"

#include "MailSlotComp.h"
#include "SysUtils.h"

std::string TraceStamp(const SYSTEMTIME& t) {
  return Format("%2d:%2.2d:%2.2d.%3.3d ", t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
}

int32_t GetFileSizeByName(const std::string& fileName) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(fileName.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  FindClose(find);
  return static_cast<int32_t>(data.nFileSizeLow);
}

void WriteTrace(const std::string& fileName, const std::string& text, bool toMailslot,
                int32_t maxSize) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  std::string line = TraceStamp(now) + text;
  if (!ExtractFileName(fileName).empty()) {
    DWORD disposition = OPEN_ALWAYS;
    if (FileExists(fileName) && GetFileSizeByName(fileName) > maxSize) disposition = CREATE_ALWAYS;
    HANDLE f = CreateFileA(fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
      DWORD err = GetLastError();
      throw EInOutError(Format(SInOutError, static_cast<int>(err)), err);
    }
    std::string out = line + "\r\n";
    DWORD written = 0;
    bool ok = SetFilePointer(f, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
              WriteFile(f, out.data(), static_cast<DWORD>(out.size()), &written, nullptr) &&
              written == out.size();
    DWORD err = ok ? 0 : GetLastError();
    CloseHandle(f);
    if (!ok) throw EInOutError(Format(SInOutError, static_cast<int>(err)), err);
  }
  if (toMailslot) MailSlotSendMessage(".", "tezdbg.slt", line);
}
