#include "DllManager.h"

#include "SysUtils.h"

TTezDll::TTezDll(const std::string& name) : Name(UpperCase(name)) {
  Module = LoadLibraryA(name.c_str());
}

TTezDll::~TTezDll() {
  if (Module) FreeLibrary(Module);
}

HMODULE TTezDllManager::GetModule(const std::string& name) {
  std::string key = UpperCase(name);
  for (const auto& dll : dlls_)
    if (dll->Name == key) return dll->Module;
  auto dll = std::make_unique<TTezDll>(name);
  if (!dll->Module) return nullptr;
  dlls_.push_back(std::move(dll));
  return dlls_.back()->Module;
}

TTezDllManager::~TTezDllManager() {
  while (!dlls_.empty()) dlls_.pop_back();
}
