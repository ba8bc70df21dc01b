// Reading a file the user named, and naming a file in a message.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// Opens `path` for reading, in binary mode, when it is a plain file: a
// folder, a pipe or a device is refused, since a pipe could keep the program
// waiting and a device could be endless. On failure returns nullptr and sets
// `reason` to an Italian description.
std::FILE* OpenPlainFile(const std::string& path, std::string& reason);

// The absolute folder that `path` lies in, or "." when it cannot be told.
std::string FolderOf(std::string_view path);

// How a message names the file at `path` lying in `folder`:
// "tarvo.rul" nella cartella "/home/aldo".
std::string FileInFolder(std::string_view path, std::string_view folder);
