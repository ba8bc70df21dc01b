#include "base/FileAccess.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "base/AtomicFile.h"
#include "base/Win1252.h"

namespace fs = std::filesystem;

std::FILE* OpenPlainFile(const std::string& path, std::string& reason) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (fs::is_directory(status)) {
    reason = DescribeErrno(EISDIR);
    return nullptr;
  }
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    reason = "non è un file normale";
    return nullptr;
  }
  errno = 0;
  std::FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
  if (file == nullptr)
    reason = DescribeErrno(errno ? errno : (fs::exists(status) ? EACCES : ENOENT));
  return file;
}

std::string FolderOf(std::string_view path) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(fs::path(path), ec);
  if (ec) return ".";
  return absolute.parent_path().string();
}

std::string FileInFolder(std::string_view path, std::string_view folder) {
  std::string name = fs::path(path).filename().string();
  if (name.empty()) name = std::string(path);
  // Appended piece by piece: at -O3, GCC 12 gives a false -Wrestrict warning
  // on const char* + std::string&&.
  std::string text = "\"";
  text.append(PathForMessage(name)).append("\" nella cartella \"").append(PathForMessage(folder)) +=
      '"';
  return text;
}
