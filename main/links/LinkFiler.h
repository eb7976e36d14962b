// Filing of dropped files and links into the channel lists: the extension
// table that names each type's channel, appends with the channels' size
// limits, and the request and reply files of the link-check program.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ChannelList.h"
#include "IniFiles2.h"

struct TTezAddFileStuct {
  std::string listName;       // a channel section, "Pending", "Rejected" or "Deleted"
  std::string localFileName;  // dropped files
  std::string link;
  std::string originalLink;   // stored as the item's description
  std::string extension;      // with its dot, or empty
  int32_t requestId = -1;
};

class TLinkFiler {
 public:
  static constexpr int MaxChannelItems = 50, MaxDeletedItems = 20;

  explicit TLinkFiler(TChannelList* list) : list_(list) {}
  // The channel list changes when it is reloaded.
  void SetList(TChannelList* list) { list_ = list; }

  // The name=value lines of [Extensions] of TezParam.inx: each value's
  // first comma field.
  void ReadExtensionTables(const TStringList& lines);
  // The channel section the name's extension belongs to, or empty.
  std::string FileSectionName(const std::string& name) const;
  bool FileIsLegal(const std::string& name) const { return !FileSectionName(name).empty(); }
  std::string DefaultFileExtension() const;

  // Appends the record to its list, saves the list and keeps channels and
  // Rejected to 50 items (older ones to Deleted, which keeps 20). False
  // when the list is missing or full: nothing was added.
  bool AddToList(const TTezAddFileStuct& record);
  // Called when an add moved items to Deleted.
  std::function<void()> OnMovedToDeleted;
  // The list of that section exists and is a channel that is not active.
  bool IsInactiveChannel(const std::string& section) const;
  // The first Pending link, or empty without one.
  int PendingCount() const;
  std::string PendingLink() const;

  // Writes the request for Pending item 1 into a fresh file and remembers
  // the link it asks about.
  bool WriteCheckRequest(const std::string& path, const std::string& tezID);

  // What a reply did with the link.
  struct TReplyResult {
    bool filed = false;          // to a channel
    bool inactive = false;       // ... that is not active
    bool rejected = false;       // to Rejected
    bool kept = false;           // no list took it: it stays in Pending
    std::string section;         // the list it went to
  };
  // Asked when an accepted link's type is unclear: link and extension in,
  // new extension and extension for the channel out.
  using TAskFileType =
      std::function<void(const std::string& link, const std::string& extension,
                         std::string& outExtension, std::string& outExtensionForChannel)>;
  // Files the requested link as the reply at path says and removes it from
  // Pending (its files stay). A link no list takes stays in Pending; a
  // link that left Pending during the check is not filed.
  TReplyResult ApplyReply(const std::string& path, const TAskFileType& ask);

 private:
  TContentSection* ListOf(const std::string& section) const;
  bool TrimChannel(const std::string& section);
  std::vector<std::pair<std::string, std::string>> table_;  // extension, section
  std::string checkedLink_;
  TChannelList* list_;
};

// The extension of a file name or link with its dot ("" without one); the
// query and fragment of a link are not part of it.
std::string LinkExtension(const std::string& link);
