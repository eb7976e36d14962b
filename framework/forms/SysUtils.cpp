#include "SysUtils.h"

#include <cmath>
#include <cstring>
#include <cstdarg>
#include <cstdio>
#include <vector>

const char* const SInvalidInteger = "'%s' is not a valid integer value";
const char* const SListIndexError = "List index out of bounds (%d)";
const char* const SDuplicateName = "A component named %s already exists";
const char* const SWindowCreate = "Error creating window";
const char* const SNoMDIForm = "Cannot create form. No MDI forms are currently active";
const char* const SThreadCreateError = "Thread creation error: %s";
const char* const SInOutError = "I/O error %d";
const char* const SAssignError = "Cannot assign a %s to a %s";
const char* const SClassNotFound = "Class %s not found";
const char* const SOperationAborted = "Operation aborted";

void Abort() { throw EAbort(SOperationAborted); }

std::string Format(const char* format, ...) {
  // "%S" is a plain string here; C would read it as a wide one.
  std::string fmt;
  for (const char* p = format; *p; ++p) {
    fmt += *p;
    if (*p != '%') continue;
    ++p;
    if (*p == '%') {
      fmt += '%';
      continue;
    }
    while (*p && std::strchr("-+ #0123456789.*", *p)) fmt += *p++;
    if (!*p) break;
    fmt += (*p == 'S') ? 's' : *p;
  }
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int n = std::vsnprintf(nullptr, 0, fmt.c_str(), args);
  va_end(args);
  std::string out;
  if (n > 0) {
    std::vector<char> buf(static_cast<size_t>(n) + 1);
    std::vsnprintf(buf.data(), buf.size(), fmt.c_str(), again);
    out.assign(buf.data(), static_cast<size_t>(n));
  }
  va_end(again);
  return out;
}

std::string IntToStr(int64_t value) { return std::to_string(value); }

bool TryStrToInt(const std::string& text, int32_t& value) {
  size_t i = 0, n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  bool hex = false;
  if (i < n && text[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == n) return false;
  uint64_t v = 0;
  for (; i < n; ++i) {
    char c = text[i];
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (hex && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    v = v * (hex ? 16 : 10) + static_cast<uint64_t>(d);
    if (v > 0xFFFFFFFFull) return false;
  }
  if (hex) {
    uint32_t bits = static_cast<uint32_t>(v);
    value = static_cast<int32_t>(negative ? 0u - bits : bits);
    return true;
  }
  if (negative ? v > 2147483648ull : v > 2147483647ull) return false;
  value = negative ? static_cast<int32_t>(-static_cast<int64_t>(v)) : static_cast<int32_t>(v);
  return true;
}

int32_t StrToInt(const std::string& text) {
  int32_t v;
  if (!TryStrToInt(text, v)) throw EConvertError(Format(SInvalidInteger, text.c_str()));
  return v;
}

int32_t StrToIntDef(const std::string& text, int32_t def) {
  int32_t v;
  return TryStrToInt(text, v) ? v : def;
}

std::string UpperCase(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return r;
}

std::string LowerCase(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return r;
}

bool SameText(const std::string& a, const std::string& b) { return UpperCase(a) == UpperCase(b); }

bool FileExists(const std::string& name) {
  DWORD a = GetFileAttributesA(name.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

static size_t LastDelimiter(const std::string& path) {
  size_t p = path.find_last_of("\\/:");
  return p == std::string::npos ? 0 : p + 1;
}

std::string ExtractFileName(const std::string& path) { return path.substr(LastDelimiter(path)); }
std::string ExtractFilePath(const std::string& path) { return path.substr(0, LastDelimiter(path)); }

std::string GetCurrentDir() {
  char buf[MAX_PATH + 1];
  DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
  return (n > 0 && n < sizeof buf) ? std::string(buf, n) : std::string();
}

// Day number of a civil date, days since 1 Jan of year 1 (proleptic Gregorian).
static int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe;
}

static const int64_t kDelphiEpoch = DaysFromCivil(1899, 12, 30);

static bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

TDateTime EncodeDate(int year, int month, int day) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > kDays[month - 1] + (month == 2 && IsLeap(year)))
    throw EConvertError("Invalid argument to date encode");
  return static_cast<double>(DaysFromCivil(year, month, day) - kDelphiEpoch);
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
  if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 ||
      msec > 999)
    throw EConvertError("Invalid argument to time encode");
  return ((hour * 3600000.0) + min * 60000.0 + sec * 1000.0 + msec) / MSecsPerDay;
}

void DecodeDate(TDateTime t, int& year, int& month, int& day) {
  int64_t z = static_cast<int64_t>(std::trunc(t)) + kDelphiEpoch;
  // Inverse of DaysFromCivil.
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

void DecodeTime(TDateTime t, int& hour, int& min, int& sec, int& msec) {
  // The time of day is the fraction's distance from midnight, also before 1899.
  double frac = std::fabs(t - std::trunc(t));
  int64_t ms = std::llround(frac * MSecsPerDay);
  if (ms >= 86400000) ms = 86399999;
  hour = static_cast<int>(ms / 3600000);
  min = static_cast<int>(ms / 60000 % 60);
  sec = static_cast<int>(ms / 1000 % 60);
  msec = static_cast<int>(ms % 1000);
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& st) {
  return EncodeDate(st.wYear, st.wMonth, st.wDay) +
         EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
}

SYSTEMTIME DateTimeToSystemTime(TDateTime t) {
  SYSTEMTIME st = {};
  int y, mo, d, h, mi, s, ms;
  DecodeDate(t, y, mo, d);
  DecodeTime(t, h, mi, s, ms);
  st.wYear = static_cast<WORD>(y);
  st.wMonth = static_cast<WORD>(mo);
  st.wDay = static_cast<WORD>(d);
  st.wDayOfWeek = static_cast<WORD>(((static_cast<int64_t>(std::trunc(t)) % 7) + 7 + 6) % 7);
  st.wHour = static_cast<WORD>(h);
  st.wMinute = static_cast<WORD>(mi);
  st.wSecond = static_cast<WORD>(s);
  st.wMilliseconds = static_cast<WORD>(ms);
  return st;
}

TDateTime Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return SystemTimeToDateTime(st);
}

TDateTime Date() { return std::floor(Now()); }
