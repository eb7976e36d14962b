// The configuration libraries of the selected media type: configDll draws
// the medium's settings into the options panel, playerDll a view of the
// device into the player page. Both come through the library cache, so a
// library is loaded once per run however often the type changes.
#pragma once

#include <windows.h>

#include <string>

#include "DllManager.h"
#include "TezApi.h"

// What the options show of one media type.
struct TMediaTypeView {
  std::string section, imagePath, note, lengthText = "30";
  std::string configDll, playerDll;
  bool comPortVisible = false;
  int comPort = 1;  // index into "(None)", "COM1" .. "COM8"
};

class TMediaConfig {
 public:
  explicit TMediaConfig(TTezDllManager& dlls) : dlls_(dlls) {}
  ~TMediaConfig();
  TMediaConfig(const TMediaConfig&) = delete;
  TMediaConfig& operator=(const TMediaConfig&) = delete;

  void BindMediaConfigDll(const std::string& library, const std::string& settingsFile,
                          const std::string& section, HWND panel);
  void CloseMediaConfigDll();
  void ReadMediaConfigParams();
  // Failures of the library are swallowed.
  void SaveMediaConfigParams();
  void BindMediaConfigDll2(const std::string& library, const std::string& settingsFile,
                           const std::string& section, HWND panel);
  void CloseMediaConfigDll2();
  bool ConfigBound() const { return configInit_ != nullptr; }
  bool PlayerBound() const { return playerInit_ != nullptr; }

  // Reads the media section of TezParam.inx in dir, closes both libraries,
  // binds the configuration library into panel and reads its values.
  TMediaTypeView ShowMediaType(const std::string& dir, const std::string& section, HWND panel);

 private:
  typedef BOOL(TEZAPI* TInit)(HWND, const char*, const char*);
  typedef BOOL(TEZAPI* TClose)(int);
  typedef BOOL(TEZAPI* TParams)();
  TTezDllManager& dlls_;
  TInit configInit_ = nullptr, playerInit_ = nullptr;
  TClose configClose_ = nullptr, playerClose_ = nullptr;
  TParams saveParams_ = nullptr, readParams_ = nullptr;
};
