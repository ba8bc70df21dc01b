// Where the sheets of a batch go: files in one folder, or standard output.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "genera/Batch.h"

// The folder of a batch. A new file is created exclusively and written with
// one write call; only a file that existed before the batch, with
// `overwrite`, is replaced atomically (temporary file and rename). No file
// is synced: like cp and tar, the batch leaves that to the system.
class CSheetFolder {
 public:
  CSheetFolder(std::string folder, bool overwrite);
  CSheetFolder(const CSheetFolder&) = delete;
  CSheetFolder& operator=(const CSheetFolder&) = delete;
  ~CSheetFolder();

  // Before anything is written: the folder is one, or can be made, and can
  // be written; and no file in `names` exists, or, with `overwrite`, each that
  // exists is a file that can be written.
  bool Check(const std::vector<std::string>& names, CGeneraFailure& failure);
  // Creates the folder when it is missing, and opens it.
  bool Open(CGeneraFailure& failure);
  // Writes `bytes` as file `name`. On failure the file is not there (or, if
  // it was replaced, it is as it was) and `error` says why, in Italian.
  bool Write(const std::string& name, std::string_view bytes, std::string& error);

  // The absolute path of file `name`, for messages.
  std::string PathOf(const std::string& name) const;

 private:
  std::string m_folder;    // as given
  std::string m_absolute;  // for messages and replacements
  bool m_overwrite;
  bool m_exists = false;
  int m_fd = -1;
  std::unordered_set<std::string> m_replaced;  // the names that exist already
};

// Standard output, written in large pieces.
class CStandardOutput {
 public:
  // Adds one sheet, writing the sheets held when they fill the buffer.
  bool Write(std::string_view sheet, std::string& error);
  bool Flush(std::string& error);
  // How many sheets have reached standard output whole.
  int Complete() const { return m_complete; }

 private:
  std::string m_buffer;
  std::vector<size_t> m_ends;  // where each sheet held in the buffer ends
  int m_complete = 0;
};
