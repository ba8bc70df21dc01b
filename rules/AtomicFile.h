// Replacing a file so that a failure never harms the previous one.
#pragma once

#include <string>
#include <string_view>

// Writes `bytes` to a new temporary file beside `path`, flushes and closes it,
// then renames it over `path`. Whatever fails, the previous file at `path` is
// intact and the temporary file is removed. A target that is a folder, a device
// or a read-only file is refused. On failure returns false and, if `error` is
// given, an Italian description naming the file and the reason.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error);

// The Italian wording of an errno value for the messages shown to the user.
std::string DescribeErrno(int err);
