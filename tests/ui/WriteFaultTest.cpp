// Every write the generator makes, the sheet, the printable sheet and the
// rules, made to fail the ways folders and disks fail: the user reads why in
// Italian, every file is left as it was, nothing is left beside it, and once
// the cause is gone the same write works.
#include <sys/mount.h>

#include <QAbstractButton>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/FileBytes.h"
#include "tests/PermissionsBind.h"
#include "tests/TempFolder.h"
#include "tests/ui/UiTest.h"

namespace fs = std::filesystem;

namespace {

enum class Write { Sheet, Printable, Rules };
enum class Fault { MissingFolder, LockedFolder, PathIsFolder, FullDisk, ReadOnlyFile };

struct FaultCase {
  Write write;
  Fault fault;
  const char* name;
  const char* reason;  // what the message says of the cause
};

class WriteFaultTest : public DialogTest, public ::testing::WithParamInterface<FaultCase> {
 protected:
  void SetUp() override { fs::create_directory(m_folder); }

  void TearDown() override {
    m_bind.reset();
    if (m_bMounted) umount2(m_folder.c_str(), MNT_DETACH);
    DialogTest::TearDown();
  }

  // A file system of 64 KiB in the folder; false where mounting is not allowed.
  bool MountTinyDisk() {
    m_bMounted = mount("tmpfs", m_folder.c_str(), "tmpfs", 0, "size=64k") == 0;
    return m_bMounted;
  }

  // Fills the folder's file system until not one more block fits.
  void FillDisk() const {
    std::FILE* filler = std::fopen((m_folder / "filler").c_str(), "wb");
    ASSERT_NE(filler, nullptr);
    const std::vector<char> block(4096, 'f');
    for (int i = 0; i < 1000; ++i) {
      if (std::fwrite(block.data(), 1, block.size(), filler) != block.size()) break;
      if (std::fflush(filler) != 0) break;
    }
    std::fclose(filler);
  }

  void AttemptWrite(const fs::path& target) {
    if (GetParam().write != Write::Rules) {
      m_prompts.m_paths.push_back(
          {QString::fromStdString(target.string()), GetParam().write == Write::Printable});
      Click(IDC_SAVE);
    } else {
      // The hidden Salva Regole button has no click a user could make.
      Button(IDC_SAVE_RULES)->click();
    }
  }

  CTempFolder m_temp;  // removed after TearDown, with everything in it
  const fs::path& m_root = m_temp.Path();
  const fs::path m_folder = m_root / "folder";
  bool m_bMounted = false;
  std::optional<CPermissionsBind> m_bind;
};

TEST_P(WriteFaultTest, IsReportedKeepsEveryFileAndTheNextWriteWorks) {
  const FaultCase& fault = GetParam();
  if (fault.fault == Fault::FullDisk && !MountTinyDisk()) {
    GTEST_SKIP() << "cannot mount a small file system here";
  }
  const bool rules = fault.write == Write::Rules;
  const bool printable = fault.write == Write::Printable;
  const fs::path target = m_folder / (rules ? "tarvo.rul" : (printable ? "eroe.pdf" : "eroe.pg"));
  const fs::path aside = m_root / "aside";
  if (rules) {
    fs::copy_file(DataPath("form.rul"), target);
    OpenPath(target.string());
  } else {
    WriteBytes(target, "earlier sheet\r\n");
    Open();
  }
  ASSERT_FALSE(HasFatalFailure());

  switch (fault.fault) {
    case Fault::MissingFolder:
      fs::rename(m_folder, aside);
      break;
    case Fault::LockedFolder:
      fs::permissions(m_folder, fs::perms::owner_read | fs::perms::owner_exec);
      m_bind.emplace();
      if (!m_bind->Binding()) GTEST_SKIP() << "cannot give up the power to write anywhere";
      break;
    case Fault::PathIsFolder:
      fs::rename(target, aside);
      fs::create_directory(target);
      WriteBytes(target / "inside.txt", "kept");
      break;
    case Fault::FullDisk:
      FillDisk();
      break;
    case Fault::ReadOnlyFile:
      fs::permissions(target, fs::perms::owner_read | fs::perms::group_read);
      break;
  }
  const auto faulted = Snapshot(m_root);

  AttemptWrite(target);
  ASSERT_EQ(m_prompts.m_errors.size(), 1);
  const QString message = m_prompts.m_errors.front();
  EXPECT_TRUE(message.startsWith("Impossibile scrivere il file")) << message.toStdString();
  EXPECT_TRUE(message.contains(QString::fromStdString(target.filename().string())))
      << message.toStdString();
  EXPECT_TRUE(message.contains(QString::fromUtf8(fault.reason))) << message.toStdString();
  EXPECT_EQ(Snapshot(m_root), faulted);

  switch (fault.fault) {
    case Fault::MissingFolder:
      fs::rename(aside, m_folder);
      break;
    case Fault::LockedFolder:
      m_bind.reset();
      fs::permissions(m_folder, fs::perms::owner_all);
      break;
    case Fault::PathIsFolder:
      fs::remove_all(target);
      fs::rename(aside, target);
      break;
    case Fault::FullDisk:
      fs::remove(m_folder / "filler");
      break;
    case Fault::ReadOnlyFile:
      fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
      break;
  }
  AttemptWrite(target);
  EXPECT_EQ(m_prompts.m_errors.size(), 1) << m_prompts.m_errors.join('\n').toStdString();
  const CGeneratorDlg& dlg = *m_dlg;
  if (printable) {
    EXPECT_EQ(ReadBytes(target.string()).substr(0, 5), "%PDF-");
  } else {
    EXPECT_EQ(ReadBytes(target.string()),
              rules ? dlg.GetRules().ToText() : dlg.GetCharacter().SheetText(dlg.GetRules()));
  }
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(m_folder)) {
    left.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(left, std::vector<std::string>{target.filename().string()});
}

constexpr FaultCase FAULTS[] = {
    {Write::Sheet, Fault::MissingFolder, "SheetMissingFolder", "non esiste"},
    {Write::Sheet, Fault::LockedFolder, "SheetLockedFolder", "permesso negato"},
    {Write::Sheet, Fault::PathIsFolder, "SheetPathIsFolder", "il percorso è una cartella"},
    {Write::Sheet, Fault::FullDisk, "SheetFullDisk", "spazio su disco esaurito"},
    {Write::Sheet, Fault::ReadOnlyFile, "SheetReadOnlyFile", "il file è in sola lettura"},
    {Write::Printable, Fault::MissingFolder, "PrintableMissingFolder", "non esiste"},
    {Write::Printable, Fault::LockedFolder, "PrintableLockedFolder", "permesso negato"},
    {Write::Printable, Fault::PathIsFolder, "PrintablePathIsFolder", "il percorso è una cartella"},
    {Write::Printable, Fault::FullDisk, "PrintableFullDisk", "spazio su disco esaurito"},
    {Write::Printable, Fault::ReadOnlyFile, "PrintableReadOnlyFile", "il file è in sola lettura"},
    {Write::Rules, Fault::MissingFolder, "RulesMissingFolder", "non esiste"},
    {Write::Rules, Fault::LockedFolder, "RulesLockedFolder", "permesso negato"},
    {Write::Rules, Fault::PathIsFolder, "RulesPathIsFolder", "il percorso è una cartella"},
    {Write::Rules, Fault::FullDisk, "RulesFullDisk", "spazio su disco esaurito"},
    {Write::Rules, Fault::ReadOnlyFile, "RulesReadOnlyFile", "il file è in sola lettura"},
};

INSTANTIATE_TEST_SUITE_P(Writes, WriteFaultTest, ::testing::ValuesIn(FAULTS),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                           return std::string(info.param.name);
                         });

// A device named as the sheet is never replaced by a plain file.
TEST_F(DialogTest, ASheetNamedAfterADeviceIsRefused) {
  Open();
  m_prompts.m_paths.push_back(QStringLiteral("/dev/full"));
  Click(IDC_SAVE);
  ASSERT_EQ(m_prompts.m_errors.size(), 1);
  EXPECT_TRUE(m_prompts.m_errors.front().contains("non è un file normale"))
      << m_prompts.m_errors.front().toStdString();
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

}  // namespace
