// Named mail queues shared between processes: a ring of MailMessage records
// in a named block, kept in a file of the current folder, under a named
// mutex. A queue holds its records until they are taken, also when no
// process has it open.
#pragma once

#include <windows.h>

#include "MailMessage.h"

int MailQueueCreate(const char* name, HWND window, UINT notifyMessage);
int MailQueueSend(const char* name, const MailMessage* mail);
int MailQueueTake(const char* name, MailMessage* mail);
int MailQueueCount(const char* name);
int MailQueueClose(const char* name);
