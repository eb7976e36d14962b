// Saves and restores the position of the form that owns it, keeping it on
// the screen, and moves the form with a sliding animation.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "Classes.h"

class TForm;

enum : unsigned { SaveLeft = 1, SaveTop = 2, SaveWidth = 4, SaveHeight = 8 };
enum : unsigned { RestoreLeft = 1, RestoreTop = 2, RestoreWidth = 4, RestoreHeight = 8 };

class TSavePos : public TComponent {
 public:
  explicit TSavePos(TComponent* owner) : TComponent(owner) {}

  void SaveToFile() { Save(FileName); }
  void Save(const std::string& file);
  void RestoreFromFile(bool slide, int extraHeight) { Restore(FileName, slide, extraHeight); }
  void Restore(const std::string& file, bool slide, int extraHeight);
  void MoveForm(const RECT& rect, bool slide, int extraHeight);

  std::string FileName;
  std::string SectionName = "Position";
  unsigned SaveOptions = SaveLeft | SaveTop | SaveWidth | SaveHeight;
  unsigned RestoreOptions = RestoreLeft | RestoreTop | RestoreWidth | RestoreHeight;
  std::string TopKey = "Top", LeftKey = "Left", WidthKey = "Width", HeightKey = "Height";
  int NumJumps = 2;
  int NumIterations = 30;
  int IterationDelay = 0;
  std::string SlideSound;
  bool LimitToScreen = true;
  bool ChangeSideBeforeSlide = false;
  bool LoseFocusOnSlide = false;
  bool SoundEffects = true;

  // Where the next hop lands: a side 1..4 other than the last one's (top,
  // bottom, right, left) and a 50 x 50 square on it.
  RECT NextEdgeSquare();
  int LastSide() const { return lastSide_; }

 private:
  TForm* Form() const;
  void Slide(TForm* form, const RECT& target);
  void Glide(TForm* form, const RECT& target);
  void SetFormRect(TForm* form, const RECT& r);
  int lastSide_ = 0;
};
