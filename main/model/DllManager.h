// Libraries loaded by name once per run and freed together at exit.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "Classes.h"

class TTezDll : public TObject {
 public:
  explicit TTezDll(const std::string& name);
  ~TTezDll() override;
  TTezDll(const TTezDll&) = delete;
  TTezDll& operator=(const TTezDll&) = delete;
  std::string Name;  // upper-cased
  HMODULE Module = nullptr;
};

class TTezDllManager : public TObject {
 public:
  TTezDllManager() = default;
  // Frees the libraries, the last loaded first.
  ~TTezDllManager() override;
  TTezDllManager(const TTezDllManager&) = delete;
  TTezDllManager& operator=(const TTezDllManager&) = delete;
  // The module of that library (names compared without case), loading it
  // on first use; 0 when it does not load.
  HMODULE GetModule(const std::string& name);
  int Count() const { return static_cast<int>(dlls_.size()); }

 private:
  std::vector<std::unique_ptr<TTezDll>> dlls_;
};
