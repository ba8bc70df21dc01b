#include "base/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

#include "base/Win1252.h"

namespace fs = std::filesystem;

std::string DescribeErrno(int err) {
  switch (err) {
    case ENOENT:
      return "il file o la cartella non esiste";
    case EACCES:
    case EPERM:
      return "permesso negato";
    case EISDIR:
      return "il percorso è una cartella";
    case ENOTDIR:
      return "una parte del percorso non è una cartella";
    case ENOSPC:
      return "spazio su disco esaurito";
    case EROFS:
      return "il file system è in sola lettura";
    case EDQUOT:
      return "quota del disco superata";
    case ENAMETOOLONG:
      return "il nome del file è troppo lungo";
    case EIO:
      return "errore di ingresso/uscita";
    case EFBIG:
      return "il file supera la dimensione consentita";
    case ELOOP:
      return "troppi collegamenti simbolici nel percorso";
    case EMFILE:
    case ENFILE:
      return "troppi file aperti";
    case EBADF:
      return "il canale non è aperto";
    case EINVAL:
      return "argomento non valido";
    case EPIPE:
      return "il canale è stato chiuso dall'altra parte";
    case EBUSY:
    case ETXTBSY:
      return "il file è in uso";
    case EEXIST:
      return "il file esiste già";
    case EXDEV:
      return "il file è su un altro file system";
    default:
      // An error without words of its own is named by its number, with the
      // system's own text beside it.
      return "errore di sistema " + std::to_string(err) + " (" + std::strerror(err) + ")";
  }
}

namespace {

bool Fail(std::string* error, const std::string& path, const std::string& reason) {
  if (error) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(fs::path(path), ec);
    *error = WriteErrorText(ec ? path : absolute.string(), reason);
  }
  return false;
}

// Makes the folder's entries (a rename into it) survive a power cut. At best:
// a file system that cannot sync a folder has nothing to keep there.
void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

int CreateTemporaryAt(int folderFd, const fs::path& beside, fs::path& tempPath, int& err) {
  std::random_device suffixes;
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = beside;
    tempPath.replace_filename(".tarvo-" + std::to_string(suffixes() % 1000000) + ".tmp");
    const int fd = ::openat(folderFd, tempPath.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd >= 0) return fd;
    err = errno;
    if (err != EEXIST) return -1;
  }
  return -1;
}

bool WriteAll(int fd, std::string_view bytes, int& err, size_t* done) {
  size_t count = 0;
  bool ok = true;
  while (count < bytes.size()) {
    const ssize_t written = ::write(fd, bytes.data() + count, bytes.size() - count);
    if (written < 0) {
      if (errno == EINTR) continue;
      err = errno;
      ok = false;
      break;
    }
    count += static_cast<size_t>(written);
  }
  if (done != nullptr) *done = count;
  return ok;
}

bool WriteAndClose(int fd, std::string_view bytes, int& err, bool sync) {
  bool ok = WriteAll(fd, bytes, err);
  if (ok && sync && ::fsync(fd) != 0) {
    ok = false;
    err = errno;
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  return ok;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes, CLinkAtPath link,
                           std::string& reason) {
  const auto fail = [&reason](std::string why) {
    reason = std::move(why);
    return false;
  };
  if (path.empty()) return fail("nessun nome di file");
  fs::path target(path);
  std::error_code ec;
  const bool isLink = fs::is_symlink(target, ec);
  // Write through a symbolic link to the file it names, keeping the link; or
  // put a new file in the link's place, whatever it names.
  if (isLink && link == CLinkAtPath::Follow) {
    fs::path resolved = fs::weakly_canonical(target, ec);
    if (!ec) target = resolved;
  }
  const fs::file_status status =
      isLink && link == CLinkAtPath::Replace ? fs::file_status() : fs::status(target, ec);
  const bool exists = fs::exists(status);
  if (exists) {
    if (fs::is_directory(status)) return fail(DescribeErrno(EISDIR));
    // A device or a pipe is never replaced by a plain file.
    if (!fs::is_regular_file(status)) return fail("non è un file normale");
    constexpr fs::perms anyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & anyWrite) == fs::perms::none)
      return fail("il file è in sola lettura");
    // Nor is a file that others may write but this user may not: opening it
    // for update, without changing a byte, asks the system.
    errno = 0;
    std::FILE* probe = std::fopen(target.c_str(), "r+b");
    if (!probe) return fail(DescribeErrno(errno ? errno : EACCES));
    std::fclose(probe);
  }

  fs::path tempPath;
  int err = 0;
  const int fd = CreateTemporaryAt(AT_FDCWD, target, tempPath, err);
  if (fd < 0) return fail(DescribeErrno(err ? err : EIO));

  // The bytes reach the disk before the name does: after a power cut the
  // file is the old one or the new one, never an empty one.
  bool ok = WriteAndClose(fd, bytes, err, true);
  if (ok && exists) fs::permissions(tempPath, status.permissions(), ec);  // best effort
  if (ok) {
    fs::rename(tempPath, target, ec);
    if (ec) {
      ok = false;
      err = ec.value();
    }
  }
  if (!ok) {
    std::string why = DescribeErrno(err ? err : EIO);
    if (::unlink(tempPath.c_str()) != 0 && errno != ENOENT) {
      std::error_code ignored;
      const fs::path shown = fs::absolute(tempPath, ignored);
      why.append("; resta il file temporaneo \"")
          .append(PathForMessage((ignored ? tempPath : shown).string()))
          .append("\", che non si può togliere: va tolto a mano");
    }
    return fail(std::move(why));
  }
  SyncFolder(target.parent_path());
  return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error,
                         CLinkAtPath link) {
  std::string reason;
  if (ReplaceFileAtomically(path, bytes, link, reason)) return true;
  return Fail(error, path, reason);
}

std::string WriteErrorText(std::string_view path, std::string_view reason) {
  // Appended piece by piece: at -O3, GCC 12 gives a false -Wrestrict warning
  // on const char* + std::string&&.
  std::string text = "Impossibile scrivere il file \"";
  text.append(PathForMessage(path)).append("\": ").append(reason) += '.';
  return text;
}
