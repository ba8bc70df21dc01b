// Where the sheets of a batch go: files in one folder, or standard output.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "genera/Batch.h"

// What putting a batch's replacements in place (CSheetFolder::Finish) did,
// and what it could not do.
struct CFinishReport {
  int replaced = 0;  // files put in place of those that were there
  // The files whose replacement did not take: they are as they were.
  std::vector<std::string> kept;
  // The groups (characters) with a file that is not the batch's own: kept,
  // or withdrawn.
  std::set<int> incomplete;
  // A file of a group that is the batch's own and one that is not: the two
  // no longer belong together.
  std::vector<std::pair<std::string, std::string>> unpaired;
  // The temporaries that could not be removed: they stay in the folder.
  std::vector<std::string> leftovers;
  std::string error;  // the first thing that failed, an Italian sentence; empty if none
};

// The folder of a batch. Every file is made inside the folder opened once by
// Check or Open, relative to its descriptor, and a symbolic link in it is
// never followed: a new file is created exclusively and written with one
// write call; a name that existed before the batch, with `overwrite`, is
// written to a temporary file beside it, and Finish puts it in place. A link
// there is replaced by a plain file, not written through.
// Nothing is synced sheet by sheet: Finish syncs once for the whole batch.
class CSheetFolder {
 public:
  CSheetFolder(std::string folder, bool overwrite);
  CSheetFolder(const CSheetFolder&) = delete;
  CSheetFolder& operator=(const CSheetFolder&) = delete;
  // Removes the temporaries that Finish did not put in place.
  ~CSheetFolder();

  // Before anything is written: the folder is one, or can be made, and can
  // be written; and no file in `names` exists, or, with `overwrite`, each that
  // exists is a file that can be written or a link.
  bool Check(const std::vector<std::string>& names, CGeneraFailure& failure);
  // After Check: which of `names` are in the folder already, files or links.
  std::vector<std::string> Existing(const std::vector<std::string>& names) const;
  // Creates the folder when it is missing, and opens it.
  bool Open(CGeneraFailure& failure);
  // Writes `bytes` as file `name`, one of the files of `group` (a
  // character). On failure the file is not there (or, if it was to be
  // replaced, it is as it was) and `error` says why, in Italian.
  bool Write(const std::string& name, std::string_view bytes, std::string& error, int group = 0);
  // Whether `name` was in the folder before the batch (so Write replaces it).
  bool Existed(const std::string& name) const { return m_replaced.count(name) != 0; }
  // Takes back what Write wrote as `name`: a new file is removed, a
  // replacement never takes its place. Its group counts as incomplete.
  void Withdraw(const std::string& name);
  // Makes what Write wrote survive a power cut: syncs the folder's file
  // system once, then renames each replacement over the file it replaces and
  // syncs the folder. Once one file of a group stays as it was, the others of
  // that group stay too. Every temporary that is not put in place is
  // removed, or, where the folder does not allow it, named in the report.
  // Called once, at the end of the batch, whether or not it got to its end;
  // false when anything failed (`report.error`).
  bool Finish(CFinishReport& report);

  // The absolute path of file `name`, for messages.
  std::string PathOf(const std::string& name) const;
  // After Check of both: whether `other` is this folder, however named (two
  // folders still to be made, when their paths are the same).
  bool SameFolder(const CSheetFolder& other) const;

 private:
  bool Replace(const std::string& name, std::string_view bytes, std::string& error, int group);

  // Removes the temporary `name`; one that cannot be removed goes to
  // `leftovers`.
  void RemoveTemporary(const std::string& name, std::vector<std::string>& leftovers) const;

  struct Pending {
    std::string temporary;  // written whole and closed
    std::string name;       // what it replaces
    int group;
  };

  std::string m_folder;    // as given
  std::string m_absolute;  // for messages
  bool m_overwrite;
  int m_fd = -1;
  std::unordered_set<std::string> m_replaced;      // the names that exist already
  std::vector<Pending> m_pending;                  // replacements not yet in place
  std::unordered_map<int, std::string> m_created;  // a group -> a new file of it
  std::set<int> m_withdrawn;                       // groups with a file taken back
  std::vector<std::string> m_leftovers;            // temporaries taken back that stay
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
