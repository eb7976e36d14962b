// Message boxes of the player. A host (a test) can turn them off, through
// SetUserMessagesEnabled or the environment variable BRINDALE_NO_MESSAGE_BOXES;
// the texts are kept either way.
#pragma once

#include <windows.h>

#include <string>

void ShowUserMessage(HWND owner, const char* text, const char* caption, UINT flags);
void SetUserMessagesEnabled(bool enabled);
// "caption: text" of each message since the last call, one a line.
std::string TakeUserMessages();
