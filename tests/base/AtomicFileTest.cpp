#include <gtest/gtest.h>
#include <sys/mount.h>

#include <filesystem>
#include <set>
#include <string>

#include "base/AtomicFile.h"
#include "tests/FileBytes.h"
#include "tests/PermissionsBind.h"
#include "tests/TempFolder.h"

namespace fs = std::filesystem;

namespace {

class AtomicFileTest : public ::testing::Test {
 protected:
  // Only the files named remain in the folder: no temporary is left behind.
  void ExpectOnly(std::initializer_list<std::string> names) const {
    std::set<std::string> found;
    for (const auto& entry : fs::directory_iterator(m_dir)) {
      found.insert(entry.path().filename().string());
    }
    EXPECT_EQ(found, std::set<std::string>(names));
  }

  CTempFolder m_folder;
  const fs::path& m_dir = m_folder.Path();
};

}  // namespace

TEST_F(AtomicFileTest, ReplacesTheFileAndKeepsItsPermissions) {
  const fs::path target = m_dir / "tarvo.rul";
  WriteBytes(target, "old");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(target.string(), "new\r\n", &error)) << error;
  EXPECT_EQ(ReadBytes(target), "new\r\n");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  ExpectOnly({"tarvo.rul"});
}

TEST_F(AtomicFileTest, FailuresLeaveThePreviousFileAndNoTemporary) {
  std::string error;
  // A folder that does not exist.
  EXPECT_FALSE(WriteFileAtomically((m_dir / "gone" / "x.pg").string(), "a", &error));
  EXPECT_NE(error.find("non esiste"), std::string::npos) << error;

  // A path that is a folder.
  fs::create_directories(m_dir / "folder.pg");
  EXPECT_FALSE(WriteFileAtomically((m_dir / "folder.pg").string(), "a", &error));
  EXPECT_NE(error.find("cartella"), std::string::npos) << error;

  // A read-only target stays as it was.
  const fs::path readOnly = m_dir / "locked.pg";
  WriteBytes(readOnly, "keep");
  fs::permissions(readOnly, fs::perms::owner_read);
  EXPECT_FALSE(WriteFileAtomically(readOnly.string(), "new", &error));
  EXPECT_NE(error.find("sola lettura"), std::string::npos) << error;
  EXPECT_EQ(ReadBytes(readOnly), "keep");
  EXPECT_NE(error.find(readOnly.string()), std::string::npos) << error;

  ExpectOnly({"folder.pg", "locked.pg"});

  // A device is not replaced by a plain file.
  EXPECT_FALSE(WriteFileAtomically("/dev/null", "a", &error));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST_F(AtomicFileTest, AFileOthersMayWriteButThisUserMayNotIsRefused) {
  const fs::path target = m_dir / "shared.pg";
  WriteBytes(target, "theirs");
  fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::group_write);
  CPermissionsBind bind;
  if (!bind.Binding()) GTEST_SKIP() << "cannot give up the power to write anywhere";
  std::string error;
  EXPECT_FALSE(WriteFileAtomically(target.string(), "mine", &error));
  EXPECT_NE(error.find("permesso negato"), std::string::npos) << error;
  EXPECT_EQ(ReadBytes(target), "theirs");
  ExpectOnly({"shared.pg"});
}

TEST_F(AtomicFileTest, NamesAsLongAsTheSystemAllowsAreWritten) {
  const fs::path target = m_dir / (std::string(250, 'a') + ".pg");
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(target.string(), "first", &error)) << error;
  ASSERT_TRUE(WriteFileAtomically(target.string(), "second", &error)) << error;
  EXPECT_EQ(ReadBytes(target), "second");
  ExpectOnly({target.filename().string()});
}

// A real full disk: a tiny tmpfs, mounted when the test may (as root in CI).
TEST_F(AtomicFileTest, FullDiskLeavesThePreviousFileAndNoTemporary) {
  const fs::path mountPoint = m_dir / "tiny";
  fs::create_directories(mountPoint);
  if (mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "cannot mount a small file system here";
  }
  const fs::path target = mountPoint / "tarvo.rul";
  WriteBytes(target, "previous rules");
  std::string error;
  const bool written = WriteFileAtomically(target.string(), std::string(1 << 20, 'x'), &error);
  std::set<std::string> left;
  for (const auto& entry : fs::directory_iterator(mountPoint)) {
    left.insert(entry.path().filename().string());
  }
  const std::string previous = ReadBytes(target);
  umount2(mountPoint.c_str(), MNT_DETACH);
  EXPECT_FALSE(written);
  EXPECT_NE(error.find("spazio su disco esaurito"), std::string::npos) << error;
  EXPECT_EQ(previous, "previous rules");
  EXPECT_EQ(left, std::set<std::string>{"tarvo.rul"});
}
