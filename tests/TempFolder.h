// A folder of its own for a test, removed with everything in it when the
// test ends, however it ends. Its name is unique, so runs side by side (two
// builds, two checkouts) never touch each other's files.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

class CTempFolder {
 public:
  CTempFolder() {
    std::string name = (std::filesystem::temp_directory_path() / "tarvo-test-XXXXXX").string();
    if (mkdtemp(name.data()) != nullptr) m_path = name;
  }
  CTempFolder(const CTempFolder&) = delete;
  CTempFolder& operator=(const CTempFolder&) = delete;
  ~CTempFolder() {
    if (m_path.empty()) return;
    std::error_code ec;
    // A test may have locked a folder inside; open everything up first.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_directory(ec)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
      }
    }
    std::filesystem::remove_all(m_path, ec);
  }

  const std::filesystem::path& Path() const { return m_path; }
  std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

 private:
  std::filesystem::path m_path;
};
