#include "SpeechOptions.h"

#include <cstring>

#include "SysUtils.h"

namespace {
constexpr const char* kPlaceholder = "(voice)";

TezTtsVoice NamedRecord() {
  TezTtsVoice v = {};
  strcpy(v.name, kPlaceholder);
  return v;
}

void SetBar(TVoiceBar& bar, int low, int high, int value) {
  if (high >= 0) {
    bar.enabled = true;
    bar.min = low;
    bar.max = high;
    bar.position = value;
    bar.minText = Format("%d", low);
    bar.maxText = Format("%d", high);
    bar.curText = Format("%d", value);
  } else {
    bar = TVoiceBar();
  }
}
}  // namespace

bool TSpeechOptions::Load(HWND parent, const std::string& libraryPath,
                          const std::string& makerAddress) {
  if (loaded_) return true;
  errorText.clear();
  loadingText = "Loading TTS...";
  if (!tts_.Init(parent)) {
    if (!FileExists(libraryPath))
      errorText = "TTS not installed\rEnable TTS features at: " + makerAddress;
    else
      loadingText = "Error Loading TTS";
    return false;
  }
  systemNames.clear();
  tezNames.clear();
  tezVoices.clear();
  for (int i = 0; i < tts_.NumberSystemVoices(); ++i) {
    TezTtsVoice v = NamedRecord();
    tts_.SystemVoiceName(i, v);
    systemNames.push_back(v.name);
  }
  for (int i = 0; i < tts_.NumberBrindaleVoices(); ++i) {
    TezTtsVoice v = NamedRecord();
    tts_.BrindaleVoiceName(i, v);
    tezNames.push_back(v.name);
    tezVoices.emplace_back();
  }
  loaded_ = true;
  controlsEnabled = false;
  loadingText.clear();
  return true;
}

void TSpeechOptions::SystemNamesClick(int index) {
  if (index < 0 || index >= static_cast<int>(systemNames.size())) return;
  systemIndex = index;
  tezIndex = -1;
  addEnabled = true;
  removeEnabled = false;
  systemSelected = true;
  settingsCaption = systemNames[static_cast<size_t>(index)] + " Settings";
  ShowVoiceInfo();
  controlsEnabled = true;
}

void TSpeechOptions::TezNamesClick(int index) {
  if (index < 0 || index >= static_cast<int>(tezNames.size())) return;
  tezIndex = index;
  systemIndex = -1;
  auto& slot = tezVoices[static_cast<size_t>(index)];
  TezTtsVoice read = NamedRecord();
  tts_.BrindaleVoiceName(index, read);
  if (slot) {
    // A voice read again keeps what the page changed.
    read.pitch = slot->pitch;
    read.speed = slot->speed;
    read.kept = slot->kept;
  } else {
    slot = std::make_unique<TezTtsVoice>();
  }
  TTTsControl1::CopyVoice(*slot, read);
  addEnabled = false;
  removeEnabled = true;
  systemSelected = false;
  settingsCaption = tezNames[static_cast<size_t>(index)] + " Settings";
  ShowVoiceInfo();
  controlsEnabled = true;
}

void TSpeechOptions::ShowVoiceInfo() {
  if (systemSelected)
    tts_.SetSystemVoice(systemIndex, current);
  else if (tezIndex >= 0 && tezVoices[static_cast<size_t>(tezIndex)])
    TTTsControl1::CopyVoice(current, *tezVoices[static_cast<size_t>(tezIndex)]);
  SetBar(pitch, current.minPitch, current.maxPitch, current.pitch);
  SetBar(speed, current.minSpeed, current.maxSpeed, current.speed);
}

void TSpeechOptions::SaveVoiceInfo() {
  if (systemSelected || tezIndex < 0) return;
  TezTtsVoice* v = tezVoices[static_cast<size_t>(tezIndex)].get();
  if (!v) return;
  v->pitch = static_cast<int16_t>(pitch.position);
  v->speed = speed.position;
}

void TSpeechOptions::PitchChange(int position) {
  if (!pitch.enabled) return;
  pitch.position = position < pitch.min ? pitch.min : position > pitch.max ? pitch.max : position;
  pitch.curText = Format("%d", pitch.position);
  current.pitch = static_cast<int16_t>(pitch.position);
  SaveVoiceInfo();
}

void TSpeechOptions::SpeedChange(int position) {
  if (!speed.enabled) return;
  speed.position = position < speed.min ? speed.min : position > speed.max ? speed.max : position;
  speed.curText = Format("%d", speed.position);
  current.speed = speed.position;
  SaveVoiceInfo();
}

void TSpeechOptions::DefaultsClick() {
  PitchChange(current.defaultPitch);
  SpeedChange(current.defaultSpeed);
}

void TSpeechOptions::AddVoiceClick() {
  auto voice = std::make_unique<TezTtsVoice>();
  TTTsControl1::CopyVoice(*voice, current);
  for (const std::string& name : tezNames)
    if (name == voice->name) {
      Message("Voice Already Exists");
      return;
    }
  if (!tts_.AddBrindaleVoice(*voice)) return;
  tezNames.push_back(voice->name);
  tezVoices.push_back(std::move(voice));
  addEnabled = removeEnabled = false;
  TezNamesClick(static_cast<int>(tezNames.size()) - 1);
}

void TSpeechOptions::RemoveVoiceClick() {
  if (tezIndex < 0 || tezIndex >= static_cast<int>(tezNames.size())) return;
  if (tezNames.size() < 2) {
    Message("Can't Remove Last Voice.\rYou need at least One Voice in order for TextToSpeech to "
            "work.");
    return;
  }
  if (!tts_.RemoveBrindaleVoice(tezIndex)) return;
  tezVoices.erase(tezVoices.begin() + tezIndex);
  tezNames.erase(tezNames.begin() + tezIndex);
  tezIndex = -1;
  controlsEnabled = addEnabled = removeEnabled = false;
}

void TSpeechOptions::TestSpeechClick(const std::string& text) {
  tts_.SetVoiceParams(current);
  tts_.PlayString(text);
}

void TSpeechOptions::StoreVoices() {
  if (!loaded_) return;
  tts_.SetNumberBrindaleVoices(static_cast<int>(tezNames.size()));
  for (size_t i = 0; i < tezNames.size(); ++i) {
    TezTtsVoice v = NamedRecord();
    if (tezVoices[i])
      TTTsControl1::CopyVoice(v, *tezVoices[i]);
    else
      tts_.BrindaleVoiceName(static_cast<int>(i), v);
    v.index = static_cast<int32_t>(i);
    tts_.StoreBrindaleVoice(v);
  }
}
