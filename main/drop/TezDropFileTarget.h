// The main window's drop target: takes either a list of files or one link
// (a browser's address, plain text, a dragged shortcut or a ".url" file).
#pragma once

#include <string>

#include "Classes.h"
#include "DropTarget.h"

class TTezDropFileTarget : public TDropTarget {
 public:
  explicit TTezDropFileTarget(TComponent* owner);
  ~TTezDropFileTarget() override;

  TStringList Files;
  std::string Link;
  int DropKind = 0;  // 0 none, 1 files, 2 link

  // A drag whose data could not be fetched shows no effect and is no drop.
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point,
                                 DWORD* effect) override;

 protected:
  bool GetData() override;
  void ClearData() override;
  bool HasValidFormats() override;

 private:
  bool FetchText(UINT format, std::string& text);
  bool FetchFiles();
  bool FetchShortcutContents();
  TDragTypes ownerTypes_ = 0;
  bool ownerDataOnEnter_ = false;
  bool ownerSaved_ = false;
};

// The names of a file-drop block (header, then zero-terminated names, wide
// or not, ending with an empty name), read within size bytes.
void ParseDropFiles(const void* block, size_t size, TStringList& names);
// The link of an internet shortcut's text: the URL entry that follows the
// "[InternetShortcut]" header, at most 250 characters; empty without one.
std::string ShortcutLink(const std::string& text);
