#pragma once
// Files the host itself opens (the log, the folders it makes), named in UTF-8 as every path of
// the plug-in API is; not for plug-ins or tests. On Windows the names go to the system as
// UTF-16, so a simulator folder with letters outside the ANSI code page works, as in the
// simulator.

#include <cstdio>
#include <filesystem>
#include <string>

namespace xphost::internal {

// The path a UTF-8 name stands for (on Windows a long absolute one in the extended-length form).
std::filesystem::path nativePath(const std::string &utf8Path);

// std::fopen with a UTF-8 name.
std::FILE *openFile(const std::string &utf8Path, const char *mode);

} // namespace xphost::internal
