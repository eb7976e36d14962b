// Streaming of a component's own data: the component names its properties
// (DefineProperties) and the writer or reader calls back for each. Values
// carry their own type tags; lists end with a null value.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "Classes.h"
#include "Streams.h"

class TReader;
class TWriter;

enum TValueType : uint8_t { vaNull, vaList, vaInt8, vaInt16, vaInt32, vaString, vaLString,
                            vaBinary, vaFalse, vaTrue };

class TFiler {
 public:
  using TReaderProc = std::function<void(TReader&)>;
  using TWriterProc = std::function<void(TWriter&)>;
  using TStreamProc = std::function<void(TStream&)>;
  virtual ~TFiler() = default;
  // A property written as values; written only when hasData is true.
  virtual void DefineProperty(const std::string& name, TReaderProc read, TWriterProc write,
                              bool hasData) = 0;
  // A property written as one block of bytes.
  virtual void DefineBinaryProperty(const std::string& name, TStreamProc read, TStreamProc write,
                                    bool hasData) = 0;
};

class TWriter : public TFiler {
 public:
  explicit TWriter(TStream& stream) : stream_(stream) {}
  void DefineProperty(const std::string& name, TReaderProc read, TWriterProc write,
                      bool hasData) override;
  void DefineBinaryProperty(const std::string& name, TStreamProc read, TStreamProc write,
                            bool hasData) override;
  void WriteInteger(int32_t value);
  void WriteBoolean(bool value);
  void WriteString(const std::string& value);
  void WriteListBegin();
  void WriteListEnd();
  // The component's defined properties, ended by an empty name.
  void WriteProperties(TComponent& component);

 private:
  void WriteValue(TValueType type) { stream_.WriteByte(type); }
  void WriteName(const std::string& name);
  TStream& stream_;
};

// Reads what TWriter wrote; bad data raises EReadError.
class TReader : public TFiler {
 public:
  explicit TReader(TStream& stream) : stream_(stream) {}
  void DefineProperty(const std::string& name, TReaderProc read, TWriterProc write,
                      bool hasData) override;
  void DefineBinaryProperty(const std::string& name, TStreamProc read, TStreamProc write,
                            bool hasData) override;
  int32_t ReadInteger();
  bool ReadBoolean();
  std::string ReadString();
  void ReadListBegin();
  bool EndOfList();
  void ReadListEnd();
  TValueType NextValue();
  void ReadProperties(TComponent& component);

 private:
  TValueType ReadValue();
  void Expect(TValueType type);
  // A count of bytes that the rest of the stream must hold.
  int32_t CheckedCount(int64_t count);
  TStream& stream_;
  std::string wanted_;
  bool found_ = false;
};

// A component's data as written by TWriter; reading marks the component as
// loading and ends with its Loaded.
void WriteComponentData(TStream& stream, TComponent& component);
void ReadComponentData(TStream& stream, TComponent& component);
