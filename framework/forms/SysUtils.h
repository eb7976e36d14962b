// Run-time basics of the form class library: the exception classes with
// their fixed texts, Delphi-style formatting and integer conversion, and
// date-time values counted in days since 30 Dec 1899.
#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>
#include <string>

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

class EConvertError : public Exception {
  using Exception::Exception;
};
class EInOutError : public Exception {
 public:
  EInOutError(const std::string& message, DWORD code) : Exception(message), ErrorCode(code) {}
  DWORD ErrorCode;
};
class EStringListError : public Exception {
  using Exception::Exception;
};
class EComponentError : public Exception {
  using Exception::Exception;
};
class EOutOfResources : public Exception {
  using Exception::Exception;
};
class EInvalidOperation : public Exception {
  using Exception::Exception;
};
class EThread : public Exception {
  using Exception::Exception;
};

// The silent exception: the application's exception handler ignores it.
class EAbort : public Exception {
  using Exception::Exception;
};
// Abandons the current operation silently (raises EAbort).
[[noreturn]] void Abort();

// Fixed texts of the run-time's exceptions.
extern const char* const SInvalidInteger;     // "'%s' is not a valid integer value"
extern const char* const SListIndexError;     // "List index out of bounds (%d)"
extern const char* const SDuplicateName;      // "A component named %s already exists"
extern const char* const SWindowCreate;       // "Error creating window"
extern const char* const SThreadCreateError;  // "Thread creation error: %s"
extern const char* const SInOutError;         // "I/O error %d"
extern const char* const SAssignError;        // "Cannot assign a %s to a %s"
extern const char* const SClassNotFound;      // "Class %s not found"
extern const char* const SOperationAborted;   // "Operation aborted"
extern const char* const SNoMDIForm;          // "Cannot create form. No MDI forms are currently active"

// printf-style formatting with the class library's conventions: "%S" is a
// plain string like "%s"; widths and precisions as in C ("%2.2d" pads
// with zeros to two digits).
std::string Format(const char* format, ...);

std::string IntToStr(int64_t value);
// Signed 32-bit conversion: optional blanks and sign, decimal digits or,
// after "$" or "0x"/"0X", up to eight hexadecimal digits; nothing may follow.
bool TryStrToInt(const std::string& text, int32_t& value);
int32_t StrToInt(const std::string& text);  // EConvertError on bad text
int32_t StrToIntDef(const std::string& text, int32_t def);

std::string UpperCase(const std::string& s);  // ASCII letters only
std::string LowerCase(const std::string& s);
bool SameText(const std::string& a, const std::string& b);  // ignoring ASCII case

bool FileExists(const std::string& name);
std::string ExtractFileName(const std::string& path);
std::string ExtractFilePath(const std::string& path);  // with its final "\"
std::string GetCurrentDir();

// Days since 30 Dec 1899; the fraction is the time of day.
using TDateTime = double;
constexpr double MSecsPerDay = 86400000.0;

TDateTime EncodeDate(int year, int month, int day);  // EConvertError on a bad date
TDateTime EncodeTime(int hour, int min, int sec, int msec);
void DecodeDate(TDateTime t, int& year, int& month, int& day);
void DecodeTime(TDateTime t, int& hour, int& min, int& sec, int& msec);
TDateTime SystemTimeToDateTime(const SYSTEMTIME& st);
SYSTEMTIME DateTimeToSystemTime(TDateTime t);
TDateTime Now();
TDateTime Date();
