// What each user action costs on a capacity-full rules file against the
// smallest one, on the real form (offscreen): the handler with its refresh,
// and the repaint that follows with the controls it repaints. A third file
// has the full catalogue (races, archetypes, items, long names) with the
// smallest one's single characteristic and skill: against the smallest it
// shows what the catalogue alone costs, the rows of values aside. Last, the
// actions that write many values against the same texts written alone into
// the same fields: the share of Qt's own text layout.
//   tarvo_form_speed [samples]
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "bench/BenchRules.h"
#include "bench/Timing.h"
#include "character/Dice.h"
#include "res/resource.h"
#include "ui/GeneratorDlg.h"
#include "ui/Prompts.h"

namespace {

// Answers every save with the same file.
class CFixedPrompts : public CPrompts {
 public:
  explicit CFixedPrompts(QString path) : m_path(std::move(path)) {}
  SheetChoice AskSheetPath(QWidget*, const QString&) override { return m_path; }
  bool AskPrinter(QWidget*, QPrinter&) override { return false; }
  void ShowError(QWidget*, const QString& text) override {
    std::fprintf(stderr, "error: %s\n", qPrintable(text));
  }

 private:
  QString m_path;
};

// Counts the controls of a form that are painted.
class CPaintCounter : public QObject {
 public:
  explicit CPaintCounter(const CDialogForm& form) {
    for (int i = 0; i < form.Count(); ++i) form.ControlAt(i)->installEventFilter(this);
  }
  std::set<QObject*> m_painted;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) m_painted.insert(watched);
    return false;
  }
};

// One form on one rules file, and the actions a player takes on it.
struct Form {
  Form(const std::string& rulesPath, const QString& sheetPath)
      : prompts(sheetPath), dlg(rulesPath.c_str(), &prompts) {
    dlg.show();
    QApplication::processEvents();
    // Three archetypes in use, as a player with a full character has.
    qobject_cast<QAbstractButton*>(dlg.GetDlgItem(IDC_USE_ARCHETYPE2))->click();
    qobject_cast<QAbstractButton*>(dlg.GetDlgItem(IDC_USE_ARCHETYPE3))->click();
    QApplication::processEvents();
    counter = std::make_unique<CPaintCounter>(dlg.GetForm());
  }

  QComboBox* List(int id) const { return qobject_cast<QComboBox*>(dlg.GetDlgItem(id)); }

  // Selects the next entry of list `id` as the user would and runs its handler.
  void ChooseNext(int id) {
    QComboBox* box = List(id);
    box->setCurrentIndex((box->currentIndex() + 1) % box->count());
    dlg.OnCommand(id, Notification::SelChange);
  }

  CFixedPrompts prompts;
  CGeneratorDlg dlg;
  std::unique_ptr<CPaintCounter> counter;
};

// The text fields of `form` whose text `act` changes, with the texts before
// and after.
struct ChangedText {
  QLineEdit* field;
  QString before, after;
};
std::vector<ChangedText> TextsChangedBy(Form& form, const std::function<void(Form&)>& act) {
  const QList<QLineEdit*> fields = form.dlg.findChildren<QLineEdit*>();
  std::vector<QString> before;
  for (QLineEdit* field : fields) before.push_back(field->text());
  act(form);
  std::vector<ChangedText> changed;
  for (int i = 0; i < fields.size(); ++i) {
    if (fields[i]->text() != before[static_cast<size_t>(i)])
      changed.push_back({fields[i], before[static_cast<size_t>(i)], fields[i]->text()});
  }
  return changed;
}

struct Action {
  const char* name;
  std::function<void(Form&)> act;
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const int samples = argc > 1 ? std::atoi(argv[1]) : 201;
  SeedRandom(1207);

  QTemporaryDir folder;
  const std::string fullPath = folder.filePath("full.rul").toStdString();
  const std::string minimalPath = folder.filePath("minimal.rul").toStdString();
  std::ofstream(fullPath, std::ios::binary) << bench::FullRules();
  std::ofstream(minimalPath, std::ios::binary) << bench::MinimalRules();
  const std::string cataloguePath = folder.filePath("catalogue.rul").toStdString();
  std::ofstream(cataloguePath, std::ios::binary) << bench::FullRules(1, 1);
  Form full(fullPath, folder.filePath("full.pg"));
  Form minimal(minimalPath, folder.filePath("minimal.pg"));
  Form catalogue(cataloguePath, folder.filePath("catalogue.pg"));

  const Action actions[] = {
      {"race change", [](Form& f) { f.ChooseNext(IDC_RACE); }},
      {"archetype change, three archetypes", [](Form& f) { f.ChooseNext(IDC_ARCHETYPE1); }},
      {"purchase into the right hand", [](Form& f) { f.ChooseNext(IDC_RIGHT_ITEM); }},
      {"pocket selector change", [](Form& f) { f.ChooseNext(IDC_POCKET); }},
      {"R! (skills, money, honour)",
       [](Form& f) { f.dlg.OnCommand(IDC_REROLL_SKILLS, Notification::Clicked); }},
      {"Salva: the sheet written",
       [](Form& f) { f.dlg.OnCommand(IDC_SAVE, Notification::Clicked); }},
  };
  std::printf("handler and refresh, full rules against minimal (goal: at most 2x)\n");
  for (const Action& action : actions) {
    const bench::Pair pair =
        bench::TimePair([&] { action.act(full); }, [&] { action.act(minimal); }, 5, samples);
    bench::Report(action.name, pair, "minimal rules", 2.0);
  }
  std::printf(
      "\nhandler and refresh, full catalogue with one characteristic and skill against "
      "minimal\n");
  for (const Action& action : actions) {
    const bench::Pair pair =
        bench::TimePair([&] { action.act(catalogue); }, [&] { action.act(minimal); }, 5, samples);
    bench::Report(action.name, pair, "minimal rules", 2.0);
  }

  std::printf(
      "\nhandler and refresh (full rules) against its changed texts written alone with "
      "QLineEdit::setText\n");
  for (const Action& action : {actions[0], actions[1], actions[4]}) {
    std::vector<ChangedText> changed = TextsChangedBy(full, action.act);
    const bench::Pair pair = bench::TimePair([&] { action.act(full); },
                                             [&] {
                                               for (ChangedText& text : changed) {
                                                 text.field->setText(text.after);
                                                 std::swap(text.before, text.after);
                                               }
                                             },
                                             5, samples);
    std::printf("%-46s %10.2f us  %2zu texts alone %10.2f us  the rest %8.2f us\n", action.name,
                pair.subject / 1000, changed.size(), pair.floor / 1000,
                (pair.subject - pair.floor) / 1000);
  }

  std::printf("\nthe repaint that follows (full rules): controls repainted\n");
  for (const Action& action : actions) {
    QApplication::processEvents();
    full.counter->m_painted.clear();
    action.act(full);
    QElapsedTimer timer;
    timer.start();
    QApplication::processEvents();
    const qint64 ns = timer.nsecsElapsed();
    QStringList names;
    for (QObject* painted : full.counter->m_painted) names << painted->objectName();
    names.sort();
    std::printf("%-36s %8.1f us  %2zu: %s\n", action.name, ns / 1000.0,
                full.counter->m_painted.size(), qPrintable(names.join(' ')));
  }
  return 0;
}
