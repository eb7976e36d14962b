// What the speech page of the options shows and does: the system's voices
// and the program's own, the chosen voice's pitch and speed bars, adding
// and removing program voices, the test sentence, and storing the voices
// when the options are confirmed. The page's controls draw this state.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TtsControl.h"

// A track bar with its range labels and current-value label.
struct TVoiceBar {
  bool enabled = false;
  int min = -1, max = 0, position = -1;
  std::string minText, maxText, curText;
};

class TSpeechOptions {
 public:
  explicit TSpeechOptions(TTTsControl1& tts) : tts_(tts) {}

  // Loads the library for the parent window and fills both lists; the
  // error text ("TTS not installed..." or "Error Loading TTS") otherwise.
  bool Load(HWND parent, const std::string& libraryPath, const std::string& makerAddress);
  bool Loaded() const { return loaded_; }

  void SystemNamesClick(int index);
  void TezNamesClick(int index);
  void PitchChange(int position);
  void SpeedChange(int position);
  void DefaultsClick();
  void AddVoiceClick();
  void RemoveVoiceClick();
  void TestSpeechClick(const std::string& text);
  // On OK: the library's program list becomes the page's, in its order.
  void StoreVoices();

  std::vector<std::string> systemNames;
  std::vector<std::string> tezNames;
  std::vector<std::unique_ptr<TezTtsVoice>> tezVoices;  // one per entry, or none yet
  int systemIndex = -1, tezIndex = -1;  // selected entries
  bool systemSelected = false;
  bool addEnabled = false, removeEnabled = false, controlsEnabled = false;
  std::string settingsCaption, errorText, loadingText;
  TVoiceBar pitch, speed;
  TezTtsVoice current = {};
  std::function<void(const std::string&)> ShowMessage;

 private:
  void ShowVoiceInfo();
  void SaveVoiceInfo();
  void Message(const std::string& text) {
    if (ShowMessage) ShowMessage(text);
  }
  TTTsControl1& tts_;
  bool loaded_ = false;
};
