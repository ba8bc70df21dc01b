#include "genera/SheetOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "app/Console.h"
#include "app/FileNames.h"
#include "base/AtomicFile.h"

namespace fs = std::filesystem;

namespace {

QString Quoted(const std::string& path) { return Quoted(FileNameFromBytes(path)); }
QString Reason(int err) { return QString::fromUtf8(DescribeErrno(err != 0 ? err : EIO)); }

bool Fail(CGeneraFailure& failure, const QString& message) {
  failure = {1, message};
  return false;
}

std::string WriteError(const std::string& path, int err) {
  return WriteErrorText(path, DescribeErrno(err != 0 ? err : EIO));
}

}  // namespace

CSheetFolder::CSheetFolder(std::string folder, bool overwrite)
    : m_folder(std::move(folder)), m_overwrite(overwrite) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(fs::path(m_folder), ec);
  // ".." after a symbolic link leads out of the folder the link names, not
  // out of the link's own folder: a path with ".." is kept as it is written,
  // for the replacements to land in the folder that was checked.
  const bool climbs = std::find(absolute.begin(), absolute.end(), fs::path("..")) != absolute.end();
  m_absolute = ec ? m_folder : (climbs ? absolute : absolute.lexically_normal()).string();
  if (m_absolute.size() > 1 && m_absolute.back() == '/') m_absolute.pop_back();
}

CSheetFolder::~CSheetFolder() {
  if (m_fd < 0) return;
  // Left by a batch that did not get to Finish (memory ran out, say).
  std::vector<std::string> ignored;
  for (const Pending& pending : m_pending) RemoveTemporary(pending.temporary, ignored);
  ::close(m_fd);
}

void CSheetFolder::RemoveTemporary(const std::string& name,
                                   std::vector<std::string>& leftovers) const {
  if (::unlinkat(m_fd, name.c_str(), 0) != 0 && errno != ENOENT) leftovers.push_back(name);
}

std::string CSheetFolder::PathOf(const std::string& name) const {
  return m_absolute == "/" ? "/" + name : m_absolute + "/" + name;
}

bool CSheetFolder::SameFolder(const CSheetFolder& other) const {
  if (m_fd < 0 || other.m_fd < 0)
    return m_fd < 0 && other.m_fd < 0 && m_absolute == other.m_absolute;
  struct stat mine {
  }, theirs{};
  return ::fstat(m_fd, &mine) == 0 && ::fstat(other.m_fd, &theirs) == 0 &&
         mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino;
}

bool CSheetFolder::Check(const std::vector<std::string>& names, CGeneraFailure& failure) {
  struct stat info {};
  if (::stat(m_folder.c_str(), &info) != 0) {
    const int err = errno;
    if (err == ENOTDIR)
      return Fail(failure, QStringLiteral("la cartella %1 non si può creare: %2")
                               .arg(Quoted(m_absolute), Reason(err)));
    if (err != ENOENT)
      return Fail(
          failure,
          QStringLiteral("la cartella %1 non si apre: %2").arg(Quoted(m_absolute), Reason(err)));
    // A missing folder is made where the nearest folder that exists allows it.
    fs::path parent = fs::path(m_absolute).parent_path();
    while (::stat(parent.c_str(), &info) != 0 && parent.has_relative_path())
      parent = parent.parent_path();
    int reason = 0;
    if (!S_ISDIR(info.st_mode)) {
      reason = ENOTDIR;
    } else if (::access(parent.c_str(), W_OK | X_OK) != 0) {
      reason = errno;
    }
    if (reason != 0)
      return Fail(failure, QStringLiteral("la cartella %1 non si può creare: %2")
                               .arg(Quoted(m_absolute), Reason(reason)));
    return true;
  }
  if (!S_ISDIR(info.st_mode))
    return Fail(failure, QStringLiteral("%1 non è una cartella").arg(Quoted(m_absolute)));
  if (::access(m_folder.c_str(), W_OK | X_OK) != 0)
    return Fail(failure, QStringLiteral("nella cartella %1 non si può scrivere: %2")
                             .arg(Quoted(m_absolute), Reason(errno)));
  m_fd = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (m_fd < 0)
    return Fail(
        failure,
        QStringLiteral("la cartella %1 non si apre: %2").arg(Quoted(m_absolute), Reason(errno)));

  // In a shared folder with the sticky bit (as /tmp), only the owner of a
  // file, or of the folder, may put another file in its place.
  const bool sticky =
      (info.st_mode & S_ISVTX) != 0 && info.st_uid != ::geteuid() && ::geteuid() != 0;
  const std::string* first = nullptr;
  int existing = 0;
  for (const std::string& name : names) {
    if (::fstatat(m_fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!m_overwrite) {
      if (!first) first = &name;
      ++existing;
      continue;
    }
    if (sticky && info.st_uid != ::geteuid())
      return Fail(failure,
                  QStringLiteral("%1 non si può sostituire: è di un altro utente, in una cartella "
                                 "condivisa dove solo chi ha il file può sostituirlo")
                      .arg(Quoted(PathOf(name))));
    // A link is replaced by a plain file; what it names is never touched.
    if (S_ISLNK(info.st_mode)) {
      m_replaced.insert(name);
      continue;
    }
    if (!S_ISREG(info.st_mode))
      return Fail(failure, QStringLiteral("%1 esiste e non è un file: non si sostituisce")
                               .arg(Quoted(PathOf(name))));
    if (::faccessat(m_fd, name.c_str(), W_OK, 0) != 0)
      return Fail(
          failure,
          QStringLiteral("%1 non si può sostituire: %2").arg(Quoted(PathOf(name)), Reason(errno)));
    // A file with no write bit is refused, whoever runs the batch.
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
      return Fail(failure, QStringLiteral("%1 non si può sostituire: il file è in sola lettura")
                               .arg(Quoted(PathOf(name))));
    m_replaced.insert(name);
  }
  if (first) {
    const QString others = existing == 1   ? QString()
                           : existing == 2 ? QStringLiteral(" (e un altro file)")
                                           : QStringLiteral(" (e altri %1 file)").arg(existing - 1);
    return Fail(failure, QStringLiteral("%1 esiste già%2: non si scrive nulla; --sovrascrivi %3")
                             .arg(Quoted(PathOf(*first)), others,
                                  existing == 1 ? QStringLiteral("lo sostituisce")
                                                : QStringLiteral("li sostituisce")));
  }
  return true;
}

std::vector<std::string> CSheetFolder::Existing(const std::vector<std::string>& names) const {
  std::vector<std::string> existing;
  if (m_fd < 0) return existing;  // a folder still to be made holds nothing
  struct stat info {};
  for (const std::string& name : names) {
    if (::fstatat(m_fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) existing.push_back(name);
  }
  return existing;
}

bool CSheetFolder::Open(CGeneraFailure& failure) {
  if (m_fd >= 0) return true;
  std::error_code ec;
  fs::create_directories(fs::path(m_folder), ec);
  if (ec)
    return Fail(failure, QStringLiteral("la cartella %1 non si può creare: %2")
                             .arg(Quoted(m_absolute), Reason(ec.value())));
  m_fd = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (m_fd < 0)
    return Fail(
        failure,
        QStringLiteral("la cartella %1 non si apre: %2").arg(Quoted(m_absolute), Reason(errno)));
  return true;
}

bool CSheetFolder::Write(const std::string& name, std::string_view bytes, std::string& error,
                         int group) {
  if (m_overwrite && m_replaced.count(name) != 0) return Replace(name, bytes, error, group);

  const int fd = ::openat(m_fd, name.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) {
    const int err = errno;
    // A file, or a link, that has appeared since the check.
    if (err == EEXIST && m_overwrite) return Replace(name, bytes, error, group);
    error =
        err == EEXIST ? WriteErrorText(PathOf(name), "esiste già") : WriteError(PathOf(name), err);
    return false;
  }
  int err = 0;
  const bool ok = WriteAndClose(fd, bytes, err);
  if (!ok) {
    ::unlinkat(m_fd, name.c_str(), 0);
    error = WriteError(PathOf(name), err);
    return false;
  }
  m_created.emplace(group, name);
  return true;
}

void CSheetFolder::Withdraw(const std::string& name) {
  for (auto pending = m_pending.begin(); pending != m_pending.end(); ++pending) {
    if (pending->name != name) continue;
    RemoveTemporary(pending->temporary, m_leftovers);
    m_withdrawn.insert(pending->group);
    m_pending.erase(pending);
    return;
  }
  for (auto created = m_created.begin(); created != m_created.end(); ++created) {
    if (created->second != name) continue;
    ::unlinkat(m_fd, name.c_str(), 0);
    m_withdrawn.insert(created->first);
    m_created.erase(created);
    return;
  }
}

bool CSheetFolder::Replace(const std::string& name, std::string_view bytes, std::string& error,
                           int group) {
  fs::path temporary;
  int err = 0;
  const int fd = CreateTemporaryAt(m_fd, name, temporary, err);
  if (fd < 0) {
    error = WriteError(PathOf(name), err);
    return false;
  }
  // The file replaced keeps its permissions; a link's replacement gets a new
  // file's.
  struct stat info {};
  if (::fstatat(m_fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
    ::fchmod(fd, info.st_mode & 07777);
  if (!WriteAndClose(fd, bytes, err)) {
    ::unlinkat(m_fd, temporary.c_str(), 0);
    error = WriteError(PathOf(name), err);
    return false;
  }
  m_pending.push_back({temporary.string(), name, group});
  return true;
}

bool CSheetFolder::Finish(CFinishReport& report) {
  report = CFinishReport();
  report.incomplete = m_withdrawn;
  report.leftovers = m_leftovers;
  if (m_fd < 0) return true;
  const auto fail = [&report](std::string error) {
    if (report.error.empty()) report.error = std::move(error);
  };
  // One sync for the whole batch: every sheet's bytes reach the disk before
  // any replacement takes the name of a sheet that was there. Without it no
  // replacement takes its name.
  const bool synced = ::syncfs(m_fd) == 0;
  if (!synced) fail(WriteError(m_absolute, errno));
  size_t renamed = 0;
  std::unordered_map<int, std::string> placed;  // a group -> a file of the batch's in place
  for (const Pending& pending : m_pending) {
    if (synced && report.incomplete.count(pending.group) == 0) {
      if (::renameat(m_fd, pending.temporary.c_str(), m_fd, pending.name.c_str()) == 0) {
        ++renamed;
        ++report.replaced;
        placed.emplace(pending.group, pending.name);
        continue;
      }
      fail(WriteError(PathOf(pending.name), errno));
    }
    // This file stays as it was, and so does the rest of its group.
    RemoveTemporary(pending.temporary, report.leftovers);
    report.kept.push_back(pending.name);
    report.incomplete.insert(pending.group);
    const auto inPlace = placed.find(pending.group);
    const auto created = m_created.find(pending.group);
    if (inPlace != placed.end()) {
      report.unpaired.emplace_back(inPlace->second, pending.name);
    } else if (created != m_created.end()) {
      report.unpaired.emplace_back(created->second, pending.name);
    }
  }
  m_pending.clear();
  if (renamed > 0) ::fsync(m_fd);
  return report.error.empty();
}

bool CStandardOutput::Write(std::string_view sheet, std::string& error) {
  m_buffer += sheet;
  m_ends.push_back(m_buffer.size());
  return m_buffer.size() < (1u << 16) || Flush(error);
}

bool CStandardOutput::Flush(std::string& error) {
  int err = EBADF;
  size_t done = 0;
  // A standard output the program was started without holds /dev/null.
  const bool ok = !StandardOutputClosed() && WriteAll(STDOUT_FILENO, m_buffer, err, &done);
  for (const size_t end : m_ends) m_complete += end <= done ? 1 : 0;
  m_buffer.clear();
  m_ends.clear();
  if (!ok) error = "Impossibile scrivere sullo standard output: " + DescribeErrno(err) + ".";
  return ok;
}
