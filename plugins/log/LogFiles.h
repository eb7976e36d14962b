// The item log's files: the document not yet sent, its archive and the
// copy of the status pane. Each returns "" on success, else the system's
// text of the error.
#pragma once

#include <string>

class CDataItem;

// Appends the item's log line (lines end in "\r\n") to the document.
std::string AppendLogLine(const std::string& document, CDataItem& item, const char* userId,
                          const char* text);
// Appends a header line and the first `sent` bytes of the document (those
// that went to the receiver) to the archive. What the document gained
// since stays in it for the next send; a document with nothing more is
// deleted.
std::string ArchiveLog(const std::string& document, const std::string& archive, long sent);
// Appends " HH:MM:SS on Mon-DD-YYYY  : text" as a line to file.
void AppendPaneLine(const std::string& file, const std::string& text);
// Deletes file when it holds more than limit bytes.
void DeleteWhenLarger(const std::string& file, unsigned long limit);
// " HH:MM:SS on Mon-DD-YYYY " of the current local time.
std::string LogTimeStamp();
