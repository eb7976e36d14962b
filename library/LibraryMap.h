// A host's list of libraries of one kind, keyed by library file name, with
// the host-link record that initialises them. The map owns its wrappers.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "TezDllInitParams.h"
#include "TezHashMap.h"
#include "TezItemOperator.h"
#include "TezItemPlayer.h"

template <typename Wrapper>
class CLibraryMap {
 public:
  explicit CLibraryMap(const CTezDllInitParams& params = CTezDllInitParams()) : m_params(params) {}
  CLibraryMap(const CLibraryMap&) = delete;
  CLibraryMap& operator=(const CLibraryMap&) = delete;
  ~CLibraryMap() { Clear(); }

  const CTezDllInitParams& GetParams() const { return m_params; }
  void SetParams(const CTezDllInitParams& params) { m_params = params; }

  // Enters wrapper under the file name; one entered before under that name
  // is deleted.
  void Add(const std::string& fileName, Wrapper* wrapper) {
    Wrapper** known = m_entries.Find(fileName);
    if (known && *known != wrapper) delete *known;
    m_entries.Set(fileName, wrapper);
  }

  Wrapper* Find(const std::string& fileName) {
    Wrapper** known = m_entries.Find(fileName);
    return known ? *known : nullptr;
  }

  // Loads the library and initialises it with the map's record unless it
  // is loaded already. Returns the wrapper.
  Wrapper* Prepare(Wrapper* wrapper) {
    if (wrapper && !wrapper->GetDllLoadState() && wrapper->Load())
      wrapper->Initialize(&m_params);
    return wrapper;
  }

  // The first library in walk order whose Supports (type) is 1 and that
  // is not in skip, prepared; null when none.
  Wrapper* FirstSupporting(const char* type, const std::vector<Wrapper*>* skip = nullptr) {
    auto entry = m_entries.Walk([type, skip](const std::string&, Wrapper* wrapper) {
      if (!wrapper || !wrapper->Supports(type)) return false;
      return !skip || std::find(skip->begin(), skip->end(), wrapper) == skip->end();
    });
    return entry ? Prepare(entry->value) : nullptr;
  }

  size_t Count() const { return m_entries.Count(); }

  void Clear() {
    m_entries.Walk([](const std::string&, Wrapper* wrapper) {
      delete wrapper;
      return false;
    });
    m_entries.Clear();
  }

 private:
  CTezDllInitParams m_params;
  CTezHashMap<Wrapper*> m_entries;
};

typedef CLibraryMap<CTezItemOperator> CItemOperatorMap;
typedef CLibraryMap<CTezItemPlayer> CItemPlayerMap;
