// A drag of the test program's own data, dropped at a point of the screen
// through the system's drag-and-drop loop: the cursor is moved there while
// the loop runs, and the drop follows once the target had time to enter.
#pragma once

#include <ole2.h>
#include <shlobj.h>

#include <string>
#include <vector>

class TestDataObject : public IDataObject {
 public:
  struct Entry {
    UINT format;
    std::string bytes;
    bool fails;  // offered, but the fetch fails
  };
  void Add(UINT format, const std::string& bytes, bool fails = false) {
    entries_.push_back({format, bytes, fails});
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
      *out = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* medium) override {
    const Entry* e = Find(f);
    if (!e) return DV_E_FORMATETC;
    if (e->fails) return E_UNEXPECTED;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, e->bytes.size() ? e->bytes.size() : 1);
    memcpy(GlobalLock(h), e->bytes.data(), e->bytes.size());
    GlobalUnlock(h);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = h;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override {
    return Find(f) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    std::vector<FORMATETC> list;
    for (const Entry& e : entries_) list.push_back(Format(e.format));
    return SHCreateStdEnumFmtEtc(static_cast<UINT>(list.size()), list.data(), out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

  static FORMATETC Format(UINT format) {
    FORMATETC f = {};
    f.cfFormat = static_cast<CLIPFORMAT>(format);
    f.dwAspect = DVASPECT_CONTENT;
    f.lindex = -1;
    f.tymed = TYMED_HGLOBAL;
    return f;
  }

 private:
  const Entry* Find(const FORMATETC* f) const {
    if (!f || !(f->tymed & TYMED_HGLOBAL) || f->dwAspect != DVASPECT_CONTENT) return nullptr;
    for (const Entry& e : entries_)
      if (e.format == f->cfFormat) return &e;
    return nullptr;
  }
  std::vector<Entry> entries_;
  ULONG refs_ = 1;
};

// Moves the cursor to the point while the drag loop runs and drops there
// after some rounds.
class TestDropSource : public IDropSource {
 public:
  explicit TestDropSource(POINT at) : at_(at) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropSource)) {
      *out = static_cast<IDropSource*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override {
    if (escape) return DRAGDROP_S_CANCEL;
    SetCursorPos(at_.x + (rounds_ & 1), at_.y);
    return ++rounds_ > 12 ? DRAGDROP_S_DROP : S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override {
    return DRAGDROP_S_USEDEFAULTCURSORS;
  }

 private:
  POINT at_;
  int rounds_ = 0;
};

// Drags the data to the screen point; the effect the target chose, or
// DROPEFFECT_NONE.
inline DWORD DragTo(IDataObject* data, POINT at) {
  static HRESULT ole = OleInitialize(nullptr);
  (void)ole;
  SetCursorPos(at.x, at.y);
  TestDropSource source(at);
  DWORD effect = DROPEFFECT_NONE;
  HRESULT hr = DoDragDrop(data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK,
                          &effect);
  return hr == DRAGDROP_S_DROP ? effect : DROPEFFECT_NONE;
}

// A file-drop block: the header, then the names, each zero-terminated,
// and an empty name; wide names when wide.
inline std::string DropFilesBlock(const std::vector<std::string>& names, bool wide) {
  std::string block(20, '\0');
  block[0] = 20;
  block[16] = wide ? 1 : 0;
  for (const std::string& n : names) {
    for (char c : n) {
      block += c;
      if (wide) block += '\0';
    }
    block += std::string(wide ? 2 : 1, '\0');
  }
  block += std::string(wide ? 2 : 1, '\0');
  return block;
}
