#include "LinkFiler.h"

#include "SysUtils.h"

void TLinkFiler::ReadExtensionTables(const TStringList& lines) {
  table_.clear();
  for (int i = 0; i < lines.Count(); ++i) {
    std::string line = lines.Strings(i);
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string value = line.substr(eq + 1);
    size_t comma = value.find(',');
    if (comma != std::string::npos) value.resize(comma);
    table_.emplace_back(line.substr(0, eq), value);
  }
}

std::string TLinkFiler::FileSectionName(const std::string& name) const {
  size_t dot = name.rfind('.');
  std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
  for (const auto& entry : table_)
    if (SameText(entry.first, ext)) return entry.second;
  return "";
}

std::string TLinkFiler::DefaultFileExtension() const {
  for (const auto& entry : table_)
    if (SameText(entry.first, "defaultExtension")) return entry.second;
  return "";
}

std::string LinkExtension(const std::string& link) {
  std::string path = link.substr(0, link.find_first_of("?#"));
  size_t dot = path.rfind('.');
  size_t slash = path.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return path.substr(dot);
}

TContentSection* TLinkFiler::ListOf(const std::string& section) const {
  if (!list_ || section.empty()) return nullptr;
  int n = list_->IndexOfSection(section);
  return n < 0 ? nullptr : list_->GetContents(n);
}

bool TLinkFiler::IsInactiveChannel(const std::string& section) const {
  if (!list_) return false;
  int n = list_->IndexOfSection(section);
  return n >= 1 && n <= TChannelList::MaxChannels && list_->GetActive(n) != 1;
}

bool TLinkFiler::AddToList(const TTezAddFileStuct& record) {
  TContentSection* target = ListOf(record.listName);
  if (!target) return false;
  int n = target->AddItem();
  if (n == 0) return false;
  target->SetLocalFileName(n, record.localFileName);
  target->SetLink(n, record.link);
  target->SetDescription(n, record.originalLink);
  target->SetCreationDate(n, static_cast<int>(Date()));
  target->SetRecStatus(n, 1);
  target->SetErrorHint(n, "");
  target->SetRequestId(n, record.requestId);
  target->SetExtension(n, record.extension);
  if (!SameText(record.listName, "Deleted") && !SameText(record.listName, "Pending") &&
      TrimChannel(record.listName) && OnMovedToDeleted)
    OnMovedToDeleted();
  try {
    target->Save();
  } catch (const std::exception&) {
    // The item stays in memory and is written with the list later.
  }
  return true;
}

// Moves the oldest items beyond 50 to Deleted, which keeps its newest 20.
bool TLinkFiler::TrimChannel(const std::string& section) {
  TContentSection* target = ListOf(section);
  TContentSection* deleted = ListOf("Deleted");
  if (!target || !deleted) return false;
  bool moved = false;
  while (target->Count() > MaxChannelItems) {
    if (deleted->Count() >= TContentSection::MaxItems) deleted->DeleteItem(1, true);
    TStringList lines;
    target->CopyItemTo(1, lines);
    int d = deleted->AddItem();
    if (d == 0) break;
    deleted->SetItemFrom(d, lines);
    deleted->SetOriginalChannel(d, section);
    target->DeleteItem(1, false);
    moved = true;
  }
  while (deleted->Count() > MaxDeletedItems) deleted->DeleteItem(1, true);
  if (moved) {
    try {
      deleted->Save();
    } catch (const std::exception&) {
    }
  }
  return moved;
}

int TLinkFiler::PendingCount() const {
  TContentSection* pending = ListOf("Pending");
  return pending ? pending->Count() : 0;
}

std::string TLinkFiler::PendingLink() const {
  TContentSection* pending = ListOf("Pending");
  return pending && pending->Count() > 0 ? pending->GetLink(1) : "";
}

bool TLinkFiler::WriteCheckRequest(const std::string& path, const std::string& tezID) {
  if (PendingCount() < 1) return false;
  DeleteFileA(path.c_str());
  // A fresh file with empty [Params] and [Reply] sections.
  TIniFile file(path);
  try {
    file.WriteString("Params", "Bla", "Bla");
    file.WriteString("Reply", "Bla", "Bla");
    file.EraseSection("Params");
    file.EraseSection("Reply");
    file.WriteString("Params", "tezID", tezID);
    file.WriteString("Params", "link", PendingLink());
  } catch (const std::exception&) {
    return false;
  }
  checkedLink_ = PendingLink();
  return true;
}

namespace {
bool SameExtension(std::string a, std::string b) {
  if (!a.empty() && a[0] == '.') a.erase(0, 1);
  if (!b.empty() && b[0] == '.') b.erase(0, 1);
  return SameText(a, b);
}
}  // namespace

TLinkFiler::TReplyResult TLinkFiler::ApplyReply(const std::string& path, const TAskFileType& ask) {
  TReplyResult result;
  TContentSection* pending = ListOf("Pending");
  // The reply answers the link the request named: when the list changed
  // meanwhile, that link is looked for; a link no longer pending is dropped.
  int item = 0;
  for (int n = 1; pending && n <= pending->Count() && item == 0; ++n)
    if (pending->GetLink(n) == checkedLink_) item = n;
  checkedLink_.clear();
  if (item == 0) return result;
  std::string itemLink = pending->GetLink(item);
  TTezAddFileStuct record;
  record.localFileName = pending->GetLocalFileName(item);
  TIniFile reply(path);
  bool accepted = reply.ReadInteger("Reply", "authorize", 0) == 1;
  record.originalLink = reply.ReadString("Reply", "originalLink", "");
  record.requestId = reply.ReadInteger("Reply", "requestId", -1);
  if (accepted) {
    record.link = reply.ReadString("Reply", "link", "");
    if (record.link.empty()) record.link = itemLink;
    std::string ext = reply.ReadString("Reply", "extension", LinkExtension(record.link));
    if (ext.empty()) ext = LinkExtension(record.link);
    std::string channelExt = reply.ReadString("Reply", "extensionForChannel", ext);
    if (!FileIsLegal(channelExt)) channelExt = ext;
    if (!FileIsLegal(channelExt) && ask && SameExtension(ext, DefaultFileExtension()))
      ask(itemLink, ext, ext, channelExt);
    record.extension = ext;
    if (FileIsLegal(channelExt)) {
      record.listName = FileSectionName(channelExt);
      if (AddToList(record)) {
        result.filed = true;
        result.section = record.listName;
        result.inactive = IsInactiveChannel(record.listName);
      }
    }
  }
  if (!result.filed) {
    record.link = reply.ReadString("Reply", "link", itemLink);
    record.extension = reply.ReadString("Reply", "extension", "");
    record.listName = "Rejected";
    if (AddToList(record)) {
      result.rejected = true;
      result.section = record.listName;
    }
  }
  if (result.filed || result.rejected) {
    pending->DeleteItem(item, false);
    try {
      pending->Save();
    } catch (const std::exception&) {
    }
  } else {
    result.kept = true;
  }
  return result;
}
