// Small shared routines of the form programs: status texts, free disk
// space, the online test, the recorder-state byte, the product version,
// sounds, colour depth, password scrambling, autostart, field extraction,
// panel enabling and the link test.
#pragma once

#include <cstdint>
#include <string>

#include "Controls.h"
#include "MailMessage.h"

std::string RecorderStateText(int state);
// kind 1 bytes (KB), 2 seconds (mm:ss), 3 count, 4 percent.
std::string ProgressText(int kind, int32_t value, int32_t total);
std::string MinutesSecondsText(int32_t milliseconds);
std::string ItemStatusText(int state, bool playing);
std::string SubscriptionText(int state);
// The status line of the connection test for one mail record.
std::string TestStatusText(const MailMessage& mail);

// Free space of the current drive in MB, rounded; -1 when unknown.
int64_t FreeDiskSpaceMB();
bool IsInternetConnected();

struct TRecorderState {
  uint8_t kind;   // 0 recording, 1 player, 2 play one item
  uint8_t state;  // 0..15
};
void SetRecorderState(TRecorderState& record, int kind, int state);
uint8_t PackRecorderState(const TRecorderState& record);
TRecorderState UnpackRecorderState(uint8_t packed);

class TForm;
void CloseHelp(TForm* form);

// The version an installation recorded in the registry, else empty.
std::string ProductVersion();
std::string ProductVersionText();
bool IsOnlineServiceClientInstalled();
void PlaySoundFile(const std::string& fileName);
int ColourDepth();
// Every character XOR 0x9E, up to the first zero; texts up to 99 characters.
std::string ScramblePassword(const std::string& text);
bool SetAutoStart(const std::string& command, bool enable);
// Field n (from 0) of text split at delimiter; empty when there are fewer.
std::string GetField(int n, const std::string& delimiter, const std::string& text);
// Enables the panel and its children (panels recursively); list, combo and
// edit boxes get the colour, as does the panel's font when it has a caption.
void EnablePanel(TWinControl* panel, bool enabled, TColor colour);
bool IsLinkText(const std::string& text);
// The bitmap of the index-th child of control, taken as an image control;
// 0 without a control, past its children, or when that child is no image.
HBITMAP ChildImageHandle(TWinControl* control, int index);

class TTezMMBut;
// Loads the bitmap resources base + "1_BMP", "1HI_BMP", "2_BMP", "2HI_BMP"
// and "3_BMP" of the module into the button's normal, highlight, pushed,
// pushed-highlight and disabled pictures; a missing resource raises the
// class library's resource error (EResNotFound).
void LoadButtonPictures(HINSTANCE module, const std::string& baseName, TTezMMBut* button);
// One flat picture button of 26 x 22 at (left, top) on the parent, with
// visibility, enabled state, hint, Tag and group index; its pictures by
// kind: 0 up, 1 down, 2 X, 3 undo, 4 hand, 5 pencil, 6 play, 13 stop.
TTezMMBut* CreatePositionButton(int kind, HINSTANCE module, TComponent* owner, TWinControl* parent,
                                int left, int top, bool visible, bool enabled,
                                const std::string& hint, intptr_t tag, int groupIndex);
