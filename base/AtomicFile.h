// Replacing a file so that a failure never harms the previous one.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

// What a write does with a symbolic link at the path it writes.
enum class CLinkAtPath {
  Follow,   // the file the link names is replaced and the link kept: a link
            // the user made to their own file
  Replace,  // the link itself is replaced by a plain file: a name the program
            // made up, which must not send its bytes elsewhere
};

// Writes `bytes` to a new temporary file beside `path`, syncs it to the disk
// and closes it, renames it over `path`, then syncs the folder: after a power
// cut the file is the previous one or the new one, never an empty one.
// Whatever fails, the previous file at `path` is intact and the temporary
// file is removed. A symbolic link at `path` is handled as `link` says. A
// target that is a folder, a device or a read-only file is refused. On
// failure returns false and, if `error` is given, an Italian description
// naming the file and the reason.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error,
                         CLinkAtPath link = CLinkAtPath::Follow);
// The same, with the reason of a failure alone, in Italian, for a message
// that names the file its own way. A temporary file that cannot be removed
// (its folder made read-only meanwhile) is named in the reason.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes, CLinkAtPath link,
                           std::string& reason);

// Creates, exclusively and without following a link, a temporary file beside
// `beside` (relative to the folder open as `folderFd`, or AT_FDCWD), named
// ".tarvo-N.tmp"; its path goes to `tempPath`. Returns the descriptor open for
// writing, or -1 with the errno value in `err`.
int CreateTemporaryAt(int folderFd, const std::filesystem::path& beside,
                      std::filesystem::path& tempPath, int& err);

// Writes all of `bytes` to `fd`, however many calls it takes. On failure
// returns false with the errno value in `err`. `done`, when given, counts the
// bytes that got there.
bool WriteAll(int fd, std::string_view bytes, int& err, std::size_t* done = nullptr);

// Writes all of `bytes` to `fd` (with `sync`, on to the disk) and closes it,
// whatever happened. On failure returns false with the errno value of the
// first thing that failed in `err`.
bool WriteAndClose(int fd, std::string_view bytes, int& err, bool sync = false);

// The Italian wording of an errno value for the messages shown to the user.
std::string DescribeErrno(int err);

// The message of a write that failed: Impossibile scrivere il file "path":
// reason., with the path as PathForMessage shows it.
std::string WriteErrorText(std::string_view path, std::string_view reason);
