#include "Streams.h"

#include <algorithm>
#include <cstring>

const char* const SReadError = "Stream read error";
const char* const SWriteError = "Stream write error";
const char* const SFCreateError = "Cannot create file %s";
const char* const SFOpenError = "Cannot open file %s";
const char* const SResNotFound = "Resource %s not found";

void TStream::SetSize(int64_t) {}

int64_t TStream::Size() {
  int64_t pos = Seek(0, soCurrent);
  int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::ReadBuffer(void* buffer, int32_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError(SReadError);
}

void TStream::WriteBuffer(const void* buffer, int32_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError(SWriteError);
}

int64_t TStream::CopyFrom(TStream* source, int64_t count) {
  if (count == 0) {
    source->SetPosition(0);
    count = source->Size();
  }
  int64_t total = count;
  std::vector<uint8_t> buffer(static_cast<size_t>(std::min<int64_t>(count, 0xF000)) + 1);
  while (count > 0) {
    auto n = static_cast<int32_t>(std::min<int64_t>(count, 0xF000));
    source->ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    count -= n;
  }
  return total;
}

uint8_t TStream::ReadByte() {
  uint8_t v;
  ReadBuffer(&v, 1);
  return v;
}

uint16_t TStream::ReadWord() {
  uint8_t b[2];
  ReadBuffer(b, 2);
  return static_cast<uint16_t>(b[0] | b[1] << 8);
}

uint32_t TStream::ReadDWord() {
  uint8_t b[4];
  ReadBuffer(b, 4);
  return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
}

void TStream::WriteWord(uint16_t v) {
  uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
  WriteBuffer(b, 2);
}

void TStream::WriteDWord(uint32_t v) {
  uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                  static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
  WriteBuffer(b, 4);
}

void TCustomMemoryStream::SetPointer(const void* memory, int64_t size) {
  memory_ = static_cast<const uint8_t*>(memory);
  size_ = size;
}

int32_t TCustomMemoryStream::Read(void* buffer, int32_t count) {
  if (count <= 0 || position_ >= size_) return 0;
  auto n = static_cast<int32_t>(std::min<int64_t>(count, size_ - position_));
  std::memcpy(buffer, memory_ + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? position_ : size_;
  position_ = std::max<int64_t>(0, base + offset);
  return position_;
}

void TCustomMemoryStream::SaveToStream(TStream* stream) {
  if (size_ > 0) stream->WriteBuffer(memory_, static_cast<int32_t>(size_));
}

void TCustomMemoryStream::SaveToFile(const std::string& fileName) {
  TFileStream file(fileName, fmCreate);
  SaveToStream(&file);
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count) {
  if (count <= 0) return 0;
  int64_t end = position_ + count;
  if (end > size_) SetSize(end);
  std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
  position_ = end;
  return count;
}

void TMemoryStream::SetSize(int64_t size) {
  if (size < 0) size = 0;
  data_.resize(static_cast<size_t>(size));
  SetPointer(data_.data(), size);
  if (position_ > size) position_ = size;
}

void TMemoryStream::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  SetPointer(nullptr, 0);
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream* stream) {
  stream->SetPosition(0);
  int64_t n = stream->Size();
  SetSize(n);
  if (n > 0) stream->ReadBuffer(data_.data(), static_cast<int32_t>(n));
  position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&file);
}

TResourceStream::TResourceStream(HINSTANCE instance, const std::string& name, LPCSTR type) {
  Initialize(instance, name.c_str(), type, name);
}

TResourceStream::TResourceStream(HINSTANCE instance, int id, LPCSTR type) {
  Initialize(instance, MAKEINTRESOURCEA(id), type, IntToStr(id));
}

void TResourceStream::Initialize(HINSTANCE instance, LPCSTR name, LPCSTR type,
                                 const std::string& shown) {
  HRSRC info = FindResourceA(instance, name, type);
  HGLOBAL block = info ? LoadResource(instance, info) : nullptr;
  const void* data = block ? LockResource(block) : nullptr;
  if (!data) throw EResNotFound(Format(SResNotFound, shown.c_str()));
  SetPointer(data, SizeofResource(instance, info));
}

int32_t TResourceStream::Write(const void*, int32_t) { throw EStreamError(SWriteError); }

int32_t THandleStream::Read(void* buffer, int32_t count) {
  DWORD done = 0;
  if (count <= 0 || !ReadFile(handle_, buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
  return static_cast<int32_t>(done);
}

int32_t THandleStream::Write(const void* buffer, int32_t count) {
  DWORD done = 0;
  if (count <= 0 || !WriteFile(handle_, buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
  return static_cast<int32_t>(done);
}

int64_t THandleStream::Seek(int64_t offset, TSeekOrigin origin) {
  LARGE_INTEGER to, now;
  to.QuadPart = offset;
  DWORD how = origin == soBeginning ? FILE_BEGIN : origin == soCurrent ? FILE_CURRENT : FILE_END;
  if (!SetFilePointerEx(handle_, to, &now, how)) return -1;
  return now.QuadPart;
}

void THandleStream::SetSize(int64_t size) {
  Seek(size, soBeginning);
  if (!SetEndOfFile(handle_)) throw EWriteError(SWriteError);
}

namespace {
HANDLE OpenFileHandle(const std::string& name, uint32_t mode) {
  if (mode == fmCreate)
    return CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  static const DWORD kAccess[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  static const DWORD kShare[] = {FILE_SHARE_READ | FILE_SHARE_WRITE, 0, FILE_SHARE_READ,
                                 FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
  uint32_t access = mode & 3, share = (mode & 0xF0) >> 4;
  if (access > 2 || share > 4) return INVALID_HANDLE_VALUE;
  return CreateFileA(name.c_str(), kAccess[access], kShare[share], nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}
}  // namespace

TFileStream::TFileStream(const std::string& fileName, uint32_t mode)
    : THandleStream(OpenFileHandle(fileName, mode)) {
  if (handle_ != INVALID_HANDLE_VALUE) return;
  if (mode == fmCreate) throw EFCreateError(Format(SFCreateError, fileName.c_str()));
  throw EFOpenError(Format(SFOpenError, fileName.c_str()));
}

TFileStream::~TFileStream() { CloseHandle(handle_); }
