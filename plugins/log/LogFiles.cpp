#include "LogFiles.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "DataItem.h"

namespace {

std::string ErrorText(int error) {
  return std::string(strerror(error ? error : EIO)).substr(0, 255);
}

}  // namespace

std::string LogTimeStamp() {
  char stamp[64] = "";
  time_t now = time(nullptr);
  if (const tm* t = localtime(&now)) strftime(stamp, sizeof stamp, " %H:%M:%S on %b-%d-%Y ", t);
  return stamp;
}

std::string AppendLogLine(const std::string& document, CDataItem& item, const char* userId,
                          const char* text) {
  errno = 0;
  FILE* file = fopen(document.c_str(), "ab");
  if (!file) return ErrorText(errno);
  fseek(file, 0, SEEK_END);
  const long before = ftell(file);
  item.WriteLog(file, userId, text);  // reports its own write errors, and drops them
  fseek(file, 0, SEEK_END);
  const bool grown = ftell(file) > before;
  errno = 0;
  if (fclose(file) != 0) return ErrorText(errno);
  return grown ? std::string() : "The log line was not written";
}

std::string ArchiveLog(const std::string& document, const std::string& archive, long sent) {
  errno = 0;
  FILE* in = fopen(document.c_str(), "rb");
  if (!in) return ErrorText(errno);
  FILE* out = fopen(archive.c_str(), "ab");
  if (!out) {
    const int error = errno;
    fclose(in);
    return ErrorText(error);
  }
  // The sent lines go over byte for byte, their line ends with them.
  const std::string header =
      "\r\n\r\n" + LogTimeStamp() + " : The following log was sent to server\r\n";
  bool ok = fwrite(header.data(), 1, header.size(), out) == header.size();
  char buf[8192];
  long left = sent > 0 ? sent : 0;
  while (ok && left > 0) {
    const size_t want = left < long(sizeof buf) ? static_cast<size_t>(left) : sizeof buf;
    const size_t n = fread(buf, 1, want, in);
    if (n == 0) break;
    ok = fwrite(buf, 1, n, out) == n;
    left -= static_cast<long>(n);
  }
  // Lines logged while the send ran.
  std::string later;
  size_t n;
  while (ok && (n = fread(buf, 1, sizeof buf, in)) > 0) later.append(buf, n);
  ok = ok && !ferror(in);
  const int error = errno;
  fclose(in);
  if (fclose(out) != 0) ok = false;
  if (!ok) return ErrorText(error ? error : errno);
  if (later.empty()) {
    if (!DeleteFileA(document.c_str())) return "Cannot delete " + document;
    return std::string();
  }
  errno = 0;
  FILE* rest = fopen(document.c_str(), "wb");
  if (!rest) return ErrorText(errno);
  ok = fwrite(later.data(), 1, later.size(), rest) == later.size();
  if (fclose(rest) != 0) ok = false;
  return ok ? std::string() : ErrorText(errno);
}

void AppendPaneLine(const std::string& file, const std::string& text) {
  if (FILE* f = fopen(file.c_str(), "a")) {
    fprintf(f, "%s : %s\n", LogTimeStamp().c_str(), text.c_str());
    fclose(f);
  }
}

void DeleteWhenLarger(const std::string& file, unsigned long limit) {
  WIN32_FILE_ATTRIBUTE_DATA info;
  if (!GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &info)) return;
  if (info.nFileSizeHigh || info.nFileSizeLow > limit) DeleteFileA(file.c_str());
}
