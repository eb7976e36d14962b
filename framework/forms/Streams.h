// Streams of the form class library: a byte stream with a position, kept in
// memory, in a file or in a module's resource.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Classes.h"

class EStreamError : public Exception {
  using Exception::Exception;
};
class EReadError : public EStreamError {
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
  using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
  using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
  using EStreamError::EStreamError;
};
class EResNotFound : public Exception {
  using Exception::Exception;
};

extern const char* const SReadError;     // "Stream read error"
extern const char* const SWriteError;    // "Stream write error"
extern const char* const SFCreateError;  // "Cannot create file %s"
extern const char* const SFOpenError;    // "Cannot open file %s"
extern const char* const SResNotFound;   // "Resource %s not found"

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
 public:
  // Reads or writes up to count bytes; returns how many were moved.
  virtual int32_t Read(void* buffer, int32_t count) = 0;
  virtual int32_t Write(const void* buffer, int32_t count) = 0;
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual void SetSize(int64_t size);

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t position) { Seek(position, soBeginning); }
  int64_t Size();

  // All or nothing: EReadError "Stream read error", EWriteError "Stream write error".
  void ReadBuffer(void* buffer, int32_t count);
  void WriteBuffer(const void* buffer, int32_t count);
  // Copies count bytes from source's position; count 0 copies the whole
  // source from its start. Returns the bytes copied.
  int64_t CopyFrom(TStream* source, int64_t count);

  uint8_t ReadByte();
  uint16_t ReadWord();    // little-endian
  uint32_t ReadDWord();   // little-endian
  void WriteByte(uint8_t v) { WriteBuffer(&v, 1); }
  void WriteWord(uint16_t v);
  void WriteDWord(uint32_t v);
};

// A stream over a block of memory that it does not own.
class TCustomMemoryStream : public TStream {
 public:
  int32_t Read(void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  const void* Memory() const { return memory_; }
  void SaveToStream(TStream* stream);
  void SaveToFile(const std::string& fileName);

 protected:
  void SetPointer(const void* memory, int64_t size);
  const uint8_t* memory_ = nullptr;
  int64_t size_ = 0;
  int64_t position_ = 0;
};

// A growing stream in memory that owns its bytes.
class TMemoryStream : public TCustomMemoryStream {
 public:
  int32_t Write(const void* buffer, int32_t count) override;
  void SetSize(int64_t size) override;
  void Clear();
  void* Memory() { return data_.data(); }
  const void* Memory() const { return data_.data(); }
  void LoadFromStream(TStream* stream);
  void LoadFromFile(const std::string& fileName);

 private:
  std::vector<uint8_t> data_;
};

// A read-only stream over a resource of a module.
class TResourceStream : public TCustomMemoryStream {
 public:
  // EResNotFound "Resource <name> not found" when the module has none.
  TResourceStream(HINSTANCE instance, const std::string& name, LPCSTR type);
  TResourceStream(HINSTANCE instance, int id, LPCSTR type);
  int32_t Write(const void* buffer, int32_t count) override;

 private:
  void Initialize(HINSTANCE instance, LPCSTR name, LPCSTR type, const std::string& shown);
};

// Open modes and sharing of a file stream.
enum : uint32_t {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFFFF,
};

class THandleStream : public TStream {
 public:
  explicit THandleStream(HANDLE handle) : handle_(handle) {}
  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t size) override;
  HANDLE Handle() const { return handle_; }

 protected:
  HANDLE handle_;
};

class TFileStream : public THandleStream {
 public:
  // fmCreate makes (or empties) the file; EFCreateError / EFOpenError on failure.
  TFileStream(const std::string& fileName, uint32_t mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;
};
