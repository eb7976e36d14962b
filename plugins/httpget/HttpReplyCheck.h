// What the fetch plug-in makes of a reply: the error text of a reply code
// and the address that a redirection leads to.
#pragma once

#include <string>

enum class ReplyKind { kFine, kRedirect, kError };

// kFine for 2xx; kRedirect for 301 and 302; else kError with its text.
ReplyKind CheckReplyCode(long code, std::string& errorText);

// The absolute http:// address of a Location value seen from the link
// (absolute, scheme-relative "//host/x", rooted "/x" or relative "x").
// False for a non-HTTP location; error then tells why.
bool ResolveLocation(const std::string& link, const std::string& location,
                     std::string& target, std::string& error);

// The link without a leading "url:" and surrounding blanks.
std::string PlainLink(const std::string& link);

// At most this many redirections are followed for one item.
constexpr int kMaxRedirects = 10;
