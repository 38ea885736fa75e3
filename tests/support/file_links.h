#pragma once
// Symbolic links for the tests of every platform. Wine makes no link of its own (its
// CreateSymbolicLinkW reports success and makes nothing), but follows the Unix side's links as
// Windows follows its own: under Wine the link is made there.

#include <string>

namespace plotwright_test {

// Makes folder + linkName a symbolic link to targetName, a name in the same folder. False, with
// the reason in *why, when no link could be made (on Windows, making one needs developer mode
// or the right to make links).
bool makeFileLink(const std::string &folder, const std::string &linkName,
                  const std::string &targetName, std::string *why);

} // namespace plotwright_test
