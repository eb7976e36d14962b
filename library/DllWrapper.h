// Base of every wrapper around a library loaded at run time: loads it by
// name, binds its entries by name (a missing entry stays null), and keeps
// the item types the library says it handles in its index file.
#pragma once

#include <windows.h>

#include <string>

#include "TextUtil.h"

class CTezDllInitParams;

class CDllWrapper {
 public:
  CDllWrapper();
  // caption: window that receives the load reports; null means "Recorder",
  // an empty caption sends none.
  explicit CDllWrapper(const char* path, const char* caption = nullptr);
  CDllWrapper(const CDllWrapper&) = delete;
  CDllWrapper& operator=(const CDllWrapper&) = delete;

  // Binds every entry of the kind; called by Load once the module is held.
  virtual void ResolveExports() = 0;
  virtual ~CDllWrapper();

  // 1 = loaded (also when it already was); 0 for an empty path or a failure.
  int Load();
  // 1 when the enabled library lists the type (compared in lower case).
  int Supports(const char* type) const;
  // Reads the library's identifiers from its section of the index file in
  // the current directory; a library whose id is disabled uses its
  // localTypes, and without them is disabled.
  void ReadIdentifiers(const char* indexFile, const CStringList* disabledIds);

  std::string GetDllName() const { return m_path; }
  int GetDllLoadState() const { return m_loaded; }
  int IsEnabled() const { return m_enabled; }
  int GetInitResult() const { return m_initResult; }
  const std::string& GetId() const { return m_id; }
  const CStringList& GetIdentifiers() const { return m_identifiers; }

 protected:
  // The first steps of every kind's full constructor: the identifiers from
  // the record's index file (else defaultIndex; none when that is null
  // too), then loading when asked.
  void ReadIndexAndLoad(const CTezDllInitParams* params, const char* defaultIndex,
                        const CStringList* disabledIds, int load);

  // The named entry of the held module, or null.
  template <typename Entry>
  void Bind(Entry& entry, const char* name) {
    FARPROC proc = m_module ? GetProcAddress(m_module, name) : nullptr;
    entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(proc));
  }

  // Loaded and holding the module: entries may be called.
  bool Ready() const { return m_loaded && m_module; }

  int m_loaded;
  int m_enabled;
  int m_initResult;
  HMODULE m_module;
  std::string m_path;
  std::string m_caption;
  std::string m_id;
  CStringList m_identifiers;
};
