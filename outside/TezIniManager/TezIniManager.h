// Interface of the settings store TezIniManager.dll: string values of ini
// text files by file, section and key, and named mail queues of MailMessage
// records shared between processes. Callers bind the entries by name with
// GetProcAddress; the typedefs below are the entries' types.
#pragma once

#include <windows.h>

#include "MailMessage.h"
#include "TezApi.h"

extern "C" {
// Copies the value into buffer (cut to size - 1 characters, always NUL
// terminated) and returns the number of characters placed; 0 = nothing.
// A missing key gives def when def is non-null. A null key lists the
// section's key names, a null section the file's section names: each name
// NUL-terminated, the list ended by an empty name; only whole names that fit.
typedef int(TEZAPI* TezGetString_t)(const char* section, const char* key, const char* def,
                                    char* buffer, int size, const char* file);
// Writes key = value; a null value removes the key, a null key (and value)
// erases the section. 1 = written, 0 = failed.
typedef int(TEZAPI* TezWriteString_t)(const char* section, const char* key, const char* value,
                                      const char* file);
typedef int(TEZAPI* TezReloadFile_t)(const char* file);

// Opens the queue of that name for its owner: from then on each record that
// arrives posts notifyMessage to window. 1 = open.
typedef int(TEZAPI* TezCreateNewMail_t)(const char* name, HWND window, UINT notifyMessage);
// Queues a copy of the record for the owner of the name. 1 = queued.
typedef int(TEZAPI* TezSendMail_t)(const char* name, const MailMessage* mail, int* scratch);
// Takes the oldest record; *scratch receives its length (184). 1 = taken, 0 = none.
typedef int(TEZAPI* TezGetMail_t)(const char* name, MailMessage* mail, int* scratch);
typedef int(TEZAPI* TezGetMailCount_t)(const char* name);
// 1 = closed.
typedef int(TEZAPI* TezCloseMail_t)(const char* name);
}
