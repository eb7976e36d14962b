#include "IniFile.h"

#include <windows.h>

#include <cctype>
#include <cstdint>
#include <cstdio>

namespace {

constexpr DWORD kMaxFileSize = 16 * 1024 * 1024;

std::string FullPath(const char* path) {
  char full[MAX_PATH * 2];
  DWORD n = GetFullPathNameA(path, sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full) return path;
  return full;
}

// One mutex per file, named after the lower-cased full path.
class FileLock {
 public:
  explicit FileLock(const std::string& full) {
    uint32_t h = 5381;
    for (char c : full) h = h * 33 + static_cast<unsigned char>(tolower(static_cast<unsigned char>(c)));
    char name[64];
    snprintf(name, sizeof name, "TezIniManager_file_%08lx", static_cast<unsigned long>(h));
    mutex_ = CreateMutexA(nullptr, FALSE, name);
    if (mutex_) {
      DWORD r = WaitForSingleObject(mutex_, 10000);
      held_ = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;  // abandoned: its owner died
    }
  }
  ~FileLock() {
    if (held_) ReleaseMutex(mutex_);
    if (mutex_) CloseHandle(mutex_);
  }
  bool held() const { return held_; }

 private:
  HANDLE mutex_ = nullptr;
  bool held_ = false;
};

bool ReadAll(const std::string& path, std::string* bytes) {
  bytes->clear();
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    return e == ERROR_FILE_NOT_FOUND;  // a missing file is an empty one
  }
  DWORD high = 0;
  DWORD size = GetFileSize(f, &high);
  bool ok = size != INVALID_FILE_SIZE && high == 0 && size <= kMaxFileSize;
  if (ok) {
    bytes->resize(size);
    DWORD got = 0;
    ok = size == 0 || (ReadFile(f, &(*bytes)[0], size, &got, nullptr) && got == size);
  }
  CloseHandle(f);
  return ok;
}

bool ReplaceWith(const std::string& path, const std::string& bytes) {
  char tmp[MAX_PATH * 2 + 32];
  snprintf(tmp, sizeof tmp, "%s.%lu.tmp", path.c_str(), GetCurrentProcessId());
  HANDLE f = CreateFileA(tmp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  bool ok = bytes.empty() ||
            (WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
             put == bytes.size());
  ok = FlushFileBuffers(f) && ok;
  CloseHandle(f);
  // A reader of another program may hold the file open for a moment.
  for (int tries = 0; ok && tries < 50; ++tries) {
    if (MoveFileExA(tmp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return true;
    Sleep(10);
  }
  DeleteFileA(tmp);
  return false;
}

}  // namespace

bool ReadIniFile(const char* path, IniText* text) {
  if (!path || !*path) return false;
  std::string full = FullPath(path);
  FileLock lock(full);
  if (!lock.held()) return false;
  std::string bytes;
  if (!ReadAll(full, &bytes)) return false;
  text->Parse(bytes);
  return true;
}

bool ChangeIniFile(const char* path, const std::function<bool(IniText&)>& change) {
  if (!path || !*path) return false;
  std::string full = FullPath(path);
  FileLock lock(full);
  if (!lock.held()) return false;
  std::string bytes;
  if (!ReadAll(full, &bytes)) return false;
  IniText text;
  text.Parse(bytes);
  if (!change(text)) return true;
  return ReplaceWith(full, text.Serialize());
}
