// Texts of the update check: the request addresses, the reply of the
// update service, and the version rule of the update list.
#pragma once

#include <string>
#include <vector>

// Percent-escapes everything but letters, digits and "-._~".
std::string EscapeQueryValue(const std::string& value);

// The address with each "%s" replaced, in order, by the next value,
// escaped ("" once the values run out) and "%%" by "%"; any other "%"
// stands as it is. The address is never handed to a formatter.
std::string FillUpdateUrl(const std::string& pattern, const std::vector<std::string>& values);

// Whether a check reply says the service answered: it holds "RESULT=OK".
bool UpdateReplyOk(const std::string& reply);
// Whether an answered check reply offers an upgrade: it holds "UPGRADE"
// and the four characters one past it are not "NONE".
bool UpgradeOffered(const std::string& reply);
// Whether a prepare reply says the update is ready.
bool PrepareSucceeded(const std::string& reply);

// The value of key: the text from one character after the key's first
// occurrence up to the next "<BR>"; empty without the key or the "<BR>".
std::string GetUpdateVal(const std::string& reply, const std::string& key);

// The lines of the upgrade offer (name, version, size in KB, description).
std::vector<std::string> UpgradeInfoLines(const std::string& reply);

// Whether the installed version is at least the compare version: numbers
// separated by "." (or ","), compared one by one from the left; a missing
// or non-numeric number counts as 0, an exhausted compare version as met.
bool VersionAtLeast(std::string installed, std::string compare);
