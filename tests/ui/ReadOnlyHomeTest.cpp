// The form on a home that cannot be written (guest and kiosk sessions): it
// opens on the installed rules, says why once it shows, and never writes them.
#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "app/RulesLocation.h"
#include "tests/TempFolder.h"
#include "tests/ui/UiTest.h"
#include "ui/Controls.h"
#include "ui/GeneratorApp.h"

namespace fs = std::filesystem;

namespace {

QString Q(const fs::path& path) { return QString::fromStdString(path.string()); }

// Keeps, with each message, whether the form it was shown over could be seen.
class CWatchingPrompts : public CAnsweringPrompts {
 public:
  void ShowError(QWidget* parent, const QString& text) override {
    m_overVisibleForm << (parent != nullptr && parent->isVisible());
    CAnsweringPrompts::ShowError(parent, text);
  }
  QList<bool> m_overVisibleForm;
};

CGeneratorDlg* ShownForm() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (auto* form = dynamic_cast<CGeneratorDlg*>(window); form && form->isVisible()) return form;
  }
  return nullptr;
}

}  // namespace

TEST(ReadOnlyHome, TheFormPlaysOnTheInstalledRulesAndSalvaRegoleWritesThePlayersCopy) {
  CTempFolder folder;
  // The installed rules end their lines in LF: a write-back, in CR LF, would show.
  std::string rules = ReadBytes(DataPath("form.rul"));
  rules.erase(std::remove(rules.begin(), rules.end(), '\r'), rules.end());
  const fs::path installed = folder / "usr/share/tarvo/tarvo.rul";
  fs::create_directories(installed.parent_path());
  fs::create_directories(folder / "lavoro");
  WriteBytes(installed, rules);
  // A home under a plain file: no folder can be made there, not even by root.
  WriteBytes(folder / "casa", "un file");
  const fs::path data = folder / "casa/.local/share/tarvo";
  const CRulesPlaces places{Q(folder / "lavoro"), Q(data), Q(installed)};

  CWatchingPrompts prompts;
  QString status;
  std::string copy;
  int step = 0;
  QTimer player;
  QObject::connect(&player, &QTimer::timeout, [&] {
    CGeneratorDlg* form = ShownForm();
    // The player starts once the form has said what it has to say.
    if (form == nullptr || prompts.m_errors.isEmpty()) return;
    auto* saveRules = qobject_cast<QAbstractButton*>(form->GetDlgItem(IDC_SAVE_RULES));
    switch (step++) {
      case 0:  // the hidden command, on a home that takes nothing
        status = GetControlText(form->GetDlgItem(IDC_STATUS));
        saveRules->click();
        break;
      case 1:  // then on a home that can be written again
        fs::remove(folder / "casa");
        saveRules->click();
        copy = ReadBytes(data / "tarvo.rul");
        break;
      default:
        form->close();
        break;
    }
  });
  player.start(10);
  CGeneratorApp app(&prompts);
  EXPECT_EQ(app.Run({}, places), 0);

  ASSERT_EQ(prompts.m_errors.size(), 2) << prompts.m_errors.join('\n').toStdString();
  EXPECT_EQ(prompts.m_errors[0],
            "Impossibile creare la copia delle regole del giocatore nella cartella dei dati \"" +
                Q(data) + "\": una parte del percorso non è una cartella. Si usano le regole " +
                "installate \"" + Q(installed) + "\", in sola lettura.");
  EXPECT_EQ(prompts.m_errors[1],
            "Impossibile salvare le regole nella copia del giocatore, nella cartella dei dati \"" +
                Q(data) + "\": una parte del percorso non è una cartella. Le regole installate \"" +
                Q(installed) + "\" restano come sono.");
  EXPECT_EQ(prompts.m_overVisibleForm, QList<bool>({true, true}));
  // The status line says what it always says.
  EXPECT_EQ(status, QString::fromUtf8(STATUS_TEXT));
  EXPECT_EQ(copy, CRules(installed.c_str()).ToText());
  EXPECT_EQ(ReadBytes(installed), rules);
}
