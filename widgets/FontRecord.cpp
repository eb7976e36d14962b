#include "FontRecord.h"

void WriteFontRecord(TWriter& w, TFont& f) {
  w.WriteInteger(f.Color());
  w.WriteInteger(f.Height());
  w.WriteString(f.Name());
  w.WriteInteger(f.Pitch());
  w.WriteInteger(static_cast<int32_t>(f.Style()));
}

void ReadFontRecord(TReader& r, TFont& f, const char* badData) {
  f.SetColor(r.ReadInteger());
  f.SetHeight(r.ReadInteger());
  f.SetName(r.ReadString());
  int pitch = r.ReadInteger();
  if (pitch < fpDefault || pitch > fpFixed) throw EReadError(badData);
  f.SetPitch(static_cast<TFontPitch>(pitch));
  f.SetStyle(static_cast<TFontStyles>(r.ReadInteger()) & (fsBold | fsItalic | fsUnderline | fsStrikeOut));
}
