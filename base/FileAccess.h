// Reading a file the user named, and naming a file in a message.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

// Opens `path` for reading, in binary mode, when it is a plain file: a
// folder, a pipe or a device is refused, since a pipe could keep the program
// waiting and a device could be endless. On failure returns nullptr and sets
// `reason` to an Italian description.
std::FILE* OpenPlainFile(const std::string& path, std::string& reason);

// The absolute folder that `path` lies in, or "." when it cannot be told.
std::string FolderOf(std::string_view path);

// How a message names the file at `path` lying in `folder`:
// "tarvo.rul" nella cartella "/home/aldo", each as PathForMessage (base/Win1252.h)
// shows it.
std::string FileInFolder(std::string_view path, std::string_view folder);

// Fills in where and why reading a file failed, for an error of the rules or
// of a sheet (`kind`, the file as given, its folder, the line and the
// reason); returns how the message names the file.
template <class Error>
std::string PlaceFileError(Error& error, typename Error::Kind kind, std::string_view path, int line,
                           std::string reason) {
  error.m_kind = kind;
  error.m_strFile = std::string(path);
  error.m_strFolder = FolderOf(path);
  error.m_nLine = line;
  error.m_strReason = std::move(reason);
  return FileInFolder(path, error.m_strFolder);
}
