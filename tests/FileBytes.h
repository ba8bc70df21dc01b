// Whole files as bytes, for tests that compare what was written.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

// The bytes of the file at `path`; empty when it cannot be read.
inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Every file and folder under `root`, with the bytes of each file: what a
// test compares to see that nothing there changed.
inline std::map<std::string, std::string> Snapshot(const std::filesystem::path& root) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    entries[std::filesystem::relative(entry.path(), root).string()] =
        entry.is_directory() ? "<cartella>" : ReadBytes(entry.path());
  }
  return entries;
}
