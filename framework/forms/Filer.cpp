#include "Filer.h"

#include <memory>

namespace {
[[noreturn]] void Bad(const std::string& what) { throw EReadError(what); }
}  // namespace

void TWriter::WriteName(const std::string& name) {
  if (name.size() > 255) throw EWriteError(SWriteError);
  stream_.WriteByte(static_cast<uint8_t>(name.size()));
  stream_.WriteBuffer(name.data(), static_cast<int32_t>(name.size()));
}

void TWriter::WriteInteger(int32_t v) {
  if (v >= -128 && v <= 127) {
    WriteValue(vaInt8);
    stream_.WriteByte(static_cast<uint8_t>(v));
  } else if (v >= -32768 && v <= 32767) {
    WriteValue(vaInt16);
    stream_.WriteWord(static_cast<uint16_t>(v));
  } else {
    WriteValue(vaInt32);
    stream_.WriteDWord(static_cast<uint32_t>(v));
  }
}

void TWriter::WriteBoolean(bool v) { WriteValue(v ? vaTrue : vaFalse); }

void TWriter::WriteString(const std::string& v) {
  if (v.size() <= 255) {
    WriteValue(vaString);
    stream_.WriteByte(static_cast<uint8_t>(v.size()));
  } else {
    WriteValue(vaLString);
    stream_.WriteDWord(static_cast<uint32_t>(v.size()));
  }
  stream_.WriteBuffer(v.data(), static_cast<int32_t>(v.size()));
}

void TWriter::WriteListBegin() { WriteValue(vaList); }
void TWriter::WriteListEnd() { WriteValue(vaNull); }

void TWriter::DefineProperty(const std::string& name, TReaderProc, TWriterProc write, bool hasData) {
  if (!hasData || !write) return;
  WriteName(name);
  write(*this);
}

void TWriter::DefineBinaryProperty(const std::string& name, TStreamProc, TStreamProc write,
                                   bool hasData) {
  if (!hasData || !write) return;
  WriteName(name);
  TMemoryStream block;
  write(block);
  WriteValue(vaBinary);
  stream_.WriteDWord(static_cast<uint32_t>(block.Size()));
  block.SetPosition(0);
  if (block.Size() > 0) stream_.CopyFrom(&block, block.Size());
}

void TWriter::WriteProperties(TComponent& component) {
  component.DefineProperties(*this);
  stream_.WriteByte(0);
}

TValueType TReader::ReadValue() {
  uint8_t b = stream_.ReadByte();
  if (b > vaTrue) Bad("Invalid property value");
  return static_cast<TValueType>(b);
}

TValueType TReader::NextValue() {
  TValueType t = ReadValue();
  stream_.Seek(-1, soCurrent);
  return t;
}

void TReader::Expect(TValueType type) {
  if (ReadValue() != type) Bad("Invalid property value");
}

int32_t TReader::CheckedCount(int64_t count) {
  if (count < 0 || count > stream_.Size() - stream_.Position()) Bad(SReadError);
  return static_cast<int32_t>(count);
}

int32_t TReader::ReadInteger() {
  switch (ReadValue()) {
    case vaInt8: return static_cast<int8_t>(stream_.ReadByte());
    case vaInt16: return static_cast<int16_t>(stream_.ReadWord());
    case vaInt32: return static_cast<int32_t>(stream_.ReadDWord());
    default: Bad("Invalid property value");
  }
}

bool TReader::ReadBoolean() {
  TValueType t = ReadValue();
  if (t != vaTrue && t != vaFalse) Bad("Invalid property value");
  return t == vaTrue;
}

std::string TReader::ReadString() {
  int64_t n;
  switch (ReadValue()) {
    case vaString: n = stream_.ReadByte(); break;
    case vaLString: n = static_cast<int32_t>(stream_.ReadDWord()); break;
    default: Bad("Invalid property value");
  }
  std::string s(static_cast<size_t>(CheckedCount(n)), '\0');
  if (!s.empty()) stream_.ReadBuffer(&s[0], static_cast<int32_t>(s.size()));
  return s;
}

void TReader::ReadListBegin() { Expect(vaList); }
bool TReader::EndOfList() { return NextValue() == vaNull; }
void TReader::ReadListEnd() { Expect(vaNull); }

void TReader::DefineProperty(const std::string& name, TReaderProc read, TWriterProc, bool) {
  if (found_ || name != wanted_) return;
  found_ = true;
  if (read) read(*this);
}

void TReader::DefineBinaryProperty(const std::string& name, TStreamProc read, TStreamProc, bool) {
  if (found_ || name != wanted_) return;
  found_ = true;
  Expect(vaBinary);
  int32_t n = CheckedCount(static_cast<int32_t>(stream_.ReadDWord()));
  TMemoryStream block;
  if (n > 0) block.CopyFrom(&stream_, n);
  block.SetPosition(0);
  if (read) read(block);
}

void TReader::ReadProperties(TComponent& component) {
  for (;;) {
    int32_t len = CheckedCount(stream_.ReadByte());
    if (len == 0) return;
    wanted_.assign(static_cast<size_t>(len), '\0');
    stream_.ReadBuffer(&wanted_[0], len);
    found_ = false;
    component.DefineProperties(*this);
    if (!found_) Bad("Error reading " + component.Name() + "." + wanted_ + ": Property " + wanted_ +
                     " does not exist");
  }
}

void WriteComponentData(TStream& stream, TComponent& component) {
  TWriter writer(stream);
  writer.WriteProperties(component);
}

void ReadComponentData(TStream& stream, TComponent& component) {
  TReader reader(stream);
  component.BeginLoading();
  try {
    reader.ReadProperties(component);
  } catch (...) {
    component.EndLoading();
    throw;
  }
  component.EndLoading();
}
