#include <algorithm>
#include <memory>

#include "Graphics.h"

const char* const SUnknownExtension = "Unknown picture file extension (.%s)";
const char* const SUnknownClipboardFormat = "Unsupported clipboard format";

void TSharedImage::Release() {
  if (--refCount_ <= 0) {
    FreeHandle();
    delete this;
  }
}

void TGraphic::SetTransparent(bool transparent) {
  if (transparent == transparent_) return;
  transparent_ = transparent;
  Changed(this);
}

bool TGraphic::Equals(TGraphic* other) { return other == this; }

void TGraphic::LoadFromFile(const std::string& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&file);
}

void TGraphic::SaveToFile(const std::string& fileName) {
  TFileStream file(fileName, fmCreate);
  SaveToStream(&file);
}

void TGraphic::LoadFromClipboardFormat(UINT, HANDLE, HPALETTE) {
  throw EInvalidGraphic(SUnknownClipboardFormat);
}

void TGraphic::SaveToClipboardFormat(UINT&, HANDLE&, HPALETTE&) {
  throw EInvalidGraphic(SUnknownClipboardFormat);
}

void TGraphic::Changed(TObject*) {
  Modified = true;
  if (OnChange) OnChange(this);
}

void TGraphic::Progress(TObject* sender, TProgressStage stage, uint8_t percent, bool redrawNow,
                        const RECT& r, const std::string& msg) {
  if (OnProgress) OnProgress(sender, stage, percent, redrawNow, r, msg);
}

namespace {

struct FileFormat {
  std::string extension;  // lower case, no dot
  std::string description;
  const std::type_info* cls;
  TPicture::Factory factory;
};
struct ClipFormat {
  UINT format;
  const std::type_info* cls;
  TPicture::Factory factory;
};

std::vector<FileFormat>& FileFormats() {
  static std::vector<FileFormat> formats = {
      {"bmp", "Bitmaps", &typeid(TBitmap), [] { return new TBitmap; }},
      {"ico", "Icons", &typeid(TIcon), [] { return new TIcon; }},
  };
  return formats;
}

std::vector<ClipFormat>& ClipFormats() {
  static std::vector<ClipFormat> formats = {
      {CF_BITMAP, &typeid(TBitmap), [] { return new TBitmap; }},
  };
  return formats;
}

const TPicture::Factory* FactoryOfClass(const std::type_info& cls) {
  for (const FileFormat& f : FileFormats())
    if (*f.cls == cls) return &f.factory;
  for (const ClipFormat& f : ClipFormats())
    if (*f.cls == cls) return &f.factory;
  return nullptr;
}

}  // namespace

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& description,
                                  const std::type_info& cls, Factory factory) {
  std::string ext = LowerCase(extension);
  auto& list = FileFormats();
  list.erase(std::remove_if(list.begin(), list.end(), [&](const FileFormat& f) { return f.extension == ext; }),
             list.end());
  list.push_back({ext, description, &cls, std::move(factory)});
}

void TPicture::RegisterClipboardFormat(UINT format, const std::type_info& cls, Factory factory) {
  auto& list = ClipFormats();
  list.erase(std::remove_if(list.begin(), list.end(), [&](const ClipFormat& f) { return f.format == format; }),
             list.end());
  list.push_back({format, &cls, std::move(factory)});
}

void TPicture::UnregisterGraphicClass(const std::type_info& cls) {
  auto& files = FileFormats();
  files.erase(std::remove_if(files.begin(), files.end(), [&](const FileFormat& f) { return *f.cls == cls; }),
              files.end());
  auto& clips = ClipFormats();
  clips.erase(std::remove_if(clips.begin(), clips.end(), [&](const ClipFormat& f) { return *f.cls == cls; }),
              clips.end());
}

std::string TPicture::FileFormatDescription(const std::string& extension) {
  std::string ext = LowerCase(extension);
  for (const FileFormat& f : FileFormats())
    if (f.extension == ext) return f.description;
  return "";
}

bool TPicture::SupportsClipboardFormat(UINT format) {
  for (const ClipFormat& f : ClipFormats())
    if (f.format == format) return true;
  return false;
}

TPicture::~TPicture() { delete graphic_; }

void TPicture::Changed(TObject*) {
  if (OnChange) OnChange(this);
}

void TPicture::Take(TGraphic* graphic) {
  delete graphic_;
  graphic_ = graphic;
  if (graphic_) {
    graphic_->OnChange = [this](TObject* sender) { Changed(sender); };
    graphic_->OnProgress = [this](TObject* sender, TProgressStage stage, uint8_t percent, bool redraw,
                                  const RECT& r, const std::string& msg) {
      if (OnProgress) OnProgress(sender, stage, percent, redraw, r, msg);
    };
  }
  Changed(this);
}

void TPicture::SetGraphic(TGraphic* graphic) {
  if (graphic == graphic_) return;
  if (!graphic) {
    Take(nullptr);
    return;
  }
  const Factory* factory = FactoryOfClass(typeid(*graphic));
  if (!factory) throw EInvalidGraphic(Format("Cannot assign a %s to a TPicture", ClassNameOf(graphic).c_str()));
  std::unique_ptr<TGraphic> copy((*factory)());
  copy->Assign(graphic);
  Take(copy.release());
}

TBitmap* TPicture::Bitmap() {
  if (auto* b = dynamic_cast<TBitmap*>(graphic_)) return b;
  Take(new TBitmap);
  return static_cast<TBitmap*>(graphic_);
}

TIcon* TPicture::Icon() {
  if (auto* i = dynamic_cast<TIcon*>(graphic_)) return i;
  Take(new TIcon);
  return static_cast<TIcon*>(graphic_);
}

void TPicture::Assign(TPersistent* source) {
  if (!source) {
    Take(nullptr);
  } else if (auto* p = dynamic_cast<TPicture*>(source)) {
    SetGraphic(p->graphic_);
  } else if (auto* g = dynamic_cast<TGraphic*>(source)) {
    SetGraphic(g);
  } else {
    TPersistent::Assign(source);
  }
}

void TPicture::AssignTo(TPersistent* dest) {
  if (graphic_ && dynamic_cast<TGraphic*>(dest)) {
    dest->Assign(graphic_);
    return;
  }
  TPersistent::AssignTo(dest);
}

void TPicture::LoadFromFile(const std::string& fileName) {
  std::string name = ExtractFileName(fileName);
  size_t dot = name.rfind('.');
  std::string ext = dot == std::string::npos ? "" : LowerCase(name.substr(dot + 1));
  const FileFormat* found = nullptr;
  for (const FileFormat& f : FileFormats())
    if (f.extension == ext) found = &f;
  if (!found) throw EInvalidGraphic(Format(SUnknownExtension, ext.c_str()));
  std::unique_ptr<TGraphic> graphic(found->factory());
  graphic->OnProgress = OnProgress;
  graphic->LoadFromFile(fileName);
  Take(graphic.release());
}

void TPicture::SaveToFile(const std::string& fileName) {
  if (graphic_) graphic_->SaveToFile(fileName);
}

void TPicture::WriteData(TStream& stream) {
  if (!graphic_) return;
  const FileFormat* found = nullptr;
  for (const FileFormat& f : FileFormats())
    if (*f.cls == typeid(*graphic_)) found = &f;
  if (!found) throw EInvalidGraphic(Format("Cannot store a %s", ClassNameOf(graphic_).c_str()));
  stream.WriteByte(static_cast<uint8_t>(found->extension.size()));
  stream.WriteBuffer(found->extension.data(), static_cast<int32_t>(found->extension.size()));
  graphic_->WriteData(&stream);
}

void TPicture::ReadData(TStream& stream) {
  if (stream.Position() >= stream.Size()) {
    Take(nullptr);
    return;
  }
  std::string ext(stream.ReadByte(), '\0');
  if (static_cast<int64_t>(ext.size()) > stream.Size() - stream.Position()) throw EReadError(SReadError);
  if (!ext.empty()) stream.ReadBuffer(&ext[0], static_cast<int32_t>(ext.size()));
  const FileFormat* found = nullptr;
  for (const FileFormat& f : FileFormats())
    if (f.extension == ext) found = &f;
  if (!found) throw EInvalidGraphic(Format(SUnknownExtension, ext.c_str()));
  std::unique_ptr<TGraphic> graphic(found->factory());
  graphic->ReadData(&stream);
  Take(graphic.release());
}

void TPicture::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) {
  const ClipFormat* found = nullptr;
  for (const ClipFormat& f : ClipFormats())
    if (f.format == format) found = &f;
  if (!found) throw EInvalidGraphic(SUnknownClipboardFormat);
  std::unique_ptr<TGraphic> graphic(found->factory());
  graphic->LoadFromClipboardFormat(format, data, palette);
  Take(graphic.release());
}

void TPicture::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) {
  format = 0;
  data = nullptr;
  palette = nullptr;
  if (graphic_) graphic_->SaveToClipboardFormat(format, data, palette);
}
