#include "TezDropFileTarget.h"

#include <shlobj.h>

#include "SysUtils.h"

namespace {
// The clipboard formats of dragged links and shortcuts, registered once.
struct DragFormats {
  UINT fileContents, fileGroupDescriptor, shellIdList, preferredEffect, url;
  DragFormats()
      : fileContents(RegisterClipboardFormatA("FileContents")),
        fileGroupDescriptor(RegisterClipboardFormatA("FileGroupDescriptor")),
        shellIdList(RegisterClipboardFormatA("Shell IDList Array")),
        preferredEffect(RegisterClipboardFormatA("Preferred DropEffect")),
        url(RegisterClipboardFormatA("UniformResourceLocator")) {}
};

const DragFormats& Formats() {
  static DragFormats formats;
  return formats;
}

FORMATETC ContentFormat(UINT format) {
  FORMATETC f = {};
  f.cfFormat = static_cast<CLIPFORMAT>(format);
  f.dwAspect = DVASPECT_CONTENT;
  f.lindex = -1;
  f.tymed = TYMED_HGLOBAL;
  return f;
}

constexpr size_t MaxLink = 250;

// The start of a small text file: enough for a shortcut's header and link.
std::string FileStart(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "";
  char buf[4096];
  DWORD got = 0;
  if (!ReadFile(h, buf, sizeof buf, &got, nullptr)) got = 0;
  CloseHandle(h);
  return std::string(buf, got);
}

bool IsShortcutFile(const std::string& path) {
  return path.size() >= 4 && SameText(path.substr(path.size() - 4), ".url");
}
}  // namespace

void ParseDropFiles(const void* block, size_t size, TStringList& names) {
  const auto* bytes = static_cast<const unsigned char*>(block);
  if (!bytes || size < 20) return;
  uint32_t offset = 0, wide = 0;
  memcpy(&offset, bytes, 4);
  memcpy(&wide, bytes + 16, 4);
  size_t pos = offset;
  while (pos < size) {
    std::string name;
    if (wide) {
      size_t end = pos;
      while (end + 1 < size && (bytes[end] | bytes[end + 1]) != 0) end += 2;
      if (end + 1 >= size) break;  // no terminator inside the block
      std::wstring w((end - pos) / 2, L'\0');
      if (!w.empty()) memcpy(&w[0], bytes + pos, end - pos);
      if (!w.empty()) {
        int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                    nullptr, nullptr);
        name.resize(static_cast<size_t>(n));
        WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), &name[0], n,
                            nullptr, nullptr);
      }
      pos = end + 2;
    } else {
      size_t end = pos;
      while (end < size && bytes[end] != 0) ++end;
      if (end >= size) break;
      name.assign(reinterpret_cast<const char*>(bytes + pos), end - pos);
      pos = end + 1;
    }
    if (name.empty()) break;
    names.Add(name);
  }
}

std::string ShortcutLink(const std::string& text) {
  static const std::string header = "[InternetShortcut]";
  if (text.compare(0, header.size(), header) != 0) return "";
  size_t pos = header.size();
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    if (!line.empty() && line[0] == '[') break;  // the next section
    if (line.size() > 4 && SameText(line.substr(0, 4), "URL="))
      return line.substr(4, MaxLink);
    pos = end + 1;
  }
  return "";
}

TTezDropFileTarget::TTezDropFileTarget(TComponent* owner) : TDropTarget(owner) { Formats(); }

TTezDropFileTarget::~TTezDropFileTarget() = default;

void TTezDropFileTarget::ClearData() {
  Files.Clear();
  Link.clear();
}

bool TTezDropFileTarget::HasValidFormats() {
  // A link drag narrows the drag types for itself only: the owner's
  // settings come back for the next drag.
  if (ownerSaved_) {
    Dragtypes = ownerTypes_;
    GetDataOnEnter = ownerDataOnEnter_;
  }
  ownerTypes_ = Dragtypes;
  ownerDataOnEnter_ = GetDataOnEnter;
  ownerSaved_ = true;
  DropKind = 0;
  IDataObject* data = DataObject();
  if (!data) return false;
  FORMATETC files = ContentFormat(CF_HDROP);
  if (data->QueryGetData(&files) == S_OK) {
    DropKind = 1;
    return true;
  }
  IEnumFORMATETC* formats = nullptr;
  if (FAILED(data->EnumFormatEtc(DATADIR_GET, &formats)) || !formats) return false;
  const DragFormats& f = Formats();
  FORMATETC entry;
  ULONG got = 0;
  while (DropKind == 0 && formats->Next(1, &entry, &got) == S_OK && got == 1) {
    if (entry.ptd) CoTaskMemFree(entry.ptd);
    if (entry.dwAspect != DVASPECT_CONTENT || entry.ptd || !(entry.tymed & TYMED_HGLOBAL))
      continue;
    UINT cf = entry.cfFormat;
    if (cf == f.url || cf == f.fileContents || cf == CF_HDROP || cf == CF_TEXT) DropKind = 2;
  }
  formats->Release();
  if (DropKind != 2) return false;
  Dragtypes = dtLink;
  GetDataOnEnter = true;
  return true;
}

bool TTezDropFileTarget::FetchText(UINT format, std::string& text) {
  FORMATETC fmt = ContentFormat(format);
  STGMEDIUM medium = {};
  if (DataObject()->GetData(&fmt, &medium) != S_OK) return false;
  bool ok = false;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
    size_t size = GlobalSize(medium.hGlobal);
    if (const char* p = static_cast<const char*>(GlobalLock(medium.hGlobal))) {
      size_t n = 0;
      while (n < size && p[n]) ++n;
      text.assign(p, n);
      GlobalUnlock(medium.hGlobal);
      ok = true;
    }
  }
  ReleaseStgMedium(&medium);
  return ok;
}

bool TTezDropFileTarget::FetchFiles() {
  FORMATETC fmt = ContentFormat(CF_HDROP);
  STGMEDIUM medium = {};
  if (DataObject()->GetData(&fmt, &medium) != S_OK) return false;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
    size_t size = GlobalSize(medium.hGlobal);
    if (void* p = GlobalLock(medium.hGlobal)) {
      ParseDropFiles(p, size, Files);
      GlobalUnlock(medium.hGlobal);
    }
  }
  ReleaseStgMedium(&medium);
  return Files.Count() > 0;
}

bool TTezDropFileTarget::FetchShortcutContents() {
  std::string text;
  if (!FetchText(Formats().fileContents, text)) return false;
  Link = ShortcutLink(text);
  return !Link.empty();
}

bool TTezDropFileTarget::GetData() {
  Files.Clear();
  Link.clear();
  if (!DataObject()) return false;
  bool found = false;
  if (DropKind == 1) {
    found = FetchFiles();
  } else if (DropKind == 2) {
    std::string text;
    if (FetchText(Formats().url, text) && !text.empty()) {
      Link = text;
    } else if (FetchText(CF_TEXT, text) && !text.empty()) {
      Link = text;
    } else if (!FetchShortcutContents() && FetchFiles() && IsShortcutFile(Files.Strings(0))) {
      Link = ShortcutLink(FileStart(Files.Strings(0)));
    }
    Files.Clear();
    found = !Link.empty();
  }
  // A fetch that finds nothing is no drop.
  if (!found) DropKind = 0;
  return found;
}

HRESULT TTezDropFileTarget::DragOver(DWORD keyState, POINTL point, DWORD* effect) {
  HRESULT hr = TDropTarget::DragOver(keyState, point, effect);
  if (effect && DropKind == 0) *effect = DROPEFFECT_NONE;
  return hr;
}

HRESULT TTezDropFileTarget::Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
  TTargetOnDropEvent owner = OnDrop;
  bool refused = false;
  OnDrop = [&](TObject* sender, TDragType type, POINTL at) {
    if (DropKind == 0)
      refused = true;
    else if (owner)
      owner(sender, type, at);
  };
  HRESULT hr = TDropTarget::Drop(data, keyState, point, effect);
  OnDrop = owner;
  if (refused && effect) *effect = DROPEFFECT_NONE;
  return hr;
}
