#include "genera/Batch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QStringList>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <unordered_set>

#include "app/Console.h"
#include "app/FileNames.h"
#include "base/Win1252.h"
#include "character/Dice.h"
#include "character/Foundry.h"
#include "character/Naming.h"
#include "form/FormModel.h"
#include "genera/SheetOutput.h"
#include "print/GroupSheet.h"
#include "print/PrintableSheet.h"
#include "print/Win1252.h"

namespace {

// One character of the batch's range [0, count), drawn from the random source.
int DrawIndex(int count) { return std::clamp(RollDice(1, count, -1), 0, count - 1); }

QString PlaceText(const CPurchaseOrder& order) {
  switch (order.place) {
    case EquipmentPlace::Right:
      return QStringLiteral("nella mano destra");
    case EquipmentPlace::Left:
      return QStringLiteral("nella mano sinistra");
    case EquipmentPlace::Worn:
      return QStringLiteral("addosso");
    case EquipmentPlace::Pocket:
      break;
  }
  // Numbered as the form and the sheets number the pockets, from 0.
  return QStringLiteral("nella ") + QString::fromStdString(CFormModel::PocketText(order.pocket));
}

}  // namespace

bool PlanBatch(const CGeneraOptions& options, const CRules& rules, const std::string& rulesPath,
               CBatchPlan& plan, CGeneraFailure& failure) {
  plan = CBatchPlan();
  plan.rules = &rules;
  plan.rulesPath = rulesPath;
  const QString rulesName = Quoted(FileNameFromBytes(rulesPath));
  auto fail = [&failure](int status, const QString& message) {
    failure = {status, message};
    return false;
  };
  if (rules.RacesInUse() == 0)
    return fail(1, QStringLiteral("le regole %1 non hanno razze: nessun personaggio possibile")
                       .arg(rulesName));
  if (rules.ArchetypesInUse() == 0)
    return fail(1, QStringLiteral("le regole %1 non hanno archetipi: nessun personaggio possibile")
                       .arg(rulesName));

  // Names come from the command line as its bytes, UTF-8 as a rule.
  auto find = [&](NameKind kind, const QString& wanted, std::string_view option, int& index) {
    const std::string bytes = FileNameBytes(wanted);
    index = FindName(rules, kind, bytes);
    if (index < 0) return fail(2, QString::fromStdString(UnknownName(rules, kind, bytes, option)));
    return true;
  };
  if (options.race && !find(NameKind::Race, *options.race, {}, plan.race)) return false;
  for (const QString& wanted : options.archetypes) {
    if (!find(NameKind::Archetype, wanted, {}, plan.archetypes[plan.archetypeCount])) return false;
    ++plan.archetypeCount;
  }

  auto order = [&](const QString& wanted, std::string_view option, EquipmentPlace place,
                   int pocket) {
    int item = -1;
    if (!find(NameKind::Item, wanted, option, item)) return false;
    plan.purchases.push_back({place, pocket, item});
    return true;
  };
  if (options.right && !order(*options.right, "--destra", EquipmentPlace::Right, 0)) return false;
  if (options.left && !order(*options.left, "--sinistra", EquipmentPlace::Left, 0)) return false;
  if (options.worn && !order(*options.worn, "--addosso", EquipmentPlace::Worn, 0)) return false;
  if (options.pockets.size() > PocketsInUse(rules))
    return fail(2, QStringLiteral("le regole danno %1 tasche, non %2 (--tasca)")
                       .arg(PocketsInUse(rules))
                       .arg(options.pockets.size()));
  for (int p = 0; p < options.pockets.size(); ++p) {
    if (!order(options.pockets[p], "--tasca", EquipmentPlace::Pocket, p)) return false;
  }

  plan.male = options.male ? 1 : 0;
  plan.hand = options.hand;
  plan.count = options.count;
  plan.toStdout = options.toStdout;
  plan.folder = FileNameBytes(options.folder);
  plan.overwrite = options.overwrite;
  plan.pdf = options.pdf;
  plan.foundry = options.foundry;
  plan.group = FileNameBytes(options.group);

  plan.names = CNamePattern(FileNameBytes(options.namePattern));
  if (plan.names.LosesCharacters()) {
    plan.nameNotice = QStringLiteral(
                          "il nome %1 ha caratteri che la scheda non può scrivere: vi "
                          "diventano \"?\"")
                          .arg(Quoted(options.namePattern));
  }

  if (options.seed) {
    plan.seed = *options.seed;
  } else {
    plan.seed = ClockSeed();
    plan.sayseed = true;
  }
  return true;
}

namespace {

// A printable sheet that a batch without --pdf leaves beside a sheet it
// writes belongs to a character of before: said once, naming the first.
void WarnOfOldPrintables(const CSheetFolder& folder, const std::vector<std::string>& bases,
                         const SayFunction& warn) {
  std::vector<std::string> printables;
  printables.reserve(bases.size());
  for (const std::string& base : bases) printables.push_back(base + ".pdf");
  const std::vector<std::string> old = folder.Existing(printables);
  if (old.empty()) return;
  QString text = QStringLiteral(
                     "%1 resta com'era: è la scheda stampabile di un personaggio di prima, non "
                     "di quello nuovo accanto (con --pdf si scrive di nuovo)")
                     .arg(Quoted(FileNameFromBytes(folder.PathOf(old.front()))));
  if (old.size() == 2) text += QStringLiteral("; così un altro file .pdf");
  if (old.size() > 2) text += QStringLiteral("; così altri %1 file .pdf").arg(old.size() - 1);
  warn(text);
}

// "a", "b", "c" and `more` further ones, for the first few of `names`.
QString FirstNames(const std::vector<std::string>& names, const QString& others) {
  constexpr size_t kNamed = 3;
  QStringList shown;
  for (size_t i = 0; i < names.size() && i < kNamed; ++i)
    shown << Quoted(FileNameFromBytes(names[i]));
  QString text = shown.join(QStringLiteral(", "));
  if (names.size() > kNamed)
    text += QStringLiteral(" e %1 %2").arg(names.size() - kNamed).arg(others);
  return text;
}

// What a batch that ended on a failure or a stop leaves in its folder, after
// Finish made `report`, for the end of the line that says so: " (...; ...)",
// or nothing. `written`:
// the characters written before; `failed`: the next one failed (`kept`: the
// extensions of its new files that stay, the .pg first, with none of its
// other files beside them);
// `counted`: the line counts the characters written whole itself.
QString LeftBehind(const CBatchPlan& plan, const CSheetFolder& folder, int written, bool failed,
                   const QStringList& kept, const CFinishReport& report, bool counted = false) {
  QStringList said;
  // The failing character is not among those written.
  int incomplete = static_cast<int>(report.incomplete.size());
  if (failed && report.incomplete.count(written + 1) != 0) --incomplete;
  const int whole = written - incomplete;
  if (counted || written == 0) {
    // Nothing to count here.
  } else if (incomplete == 0) {
    // Those before the one that failed, or all of the batch.
    const QString before = failed ? QStringLiteral(" prima") : QString();
    if (written == 1) said << QStringLiteral("il personaggio%1 resta scritto").arg(before);
    if (written > 1)
      said << QStringLiteral("i %1 personaggi%2 restano scritti").arg(written).arg(before);
  } else {
    said << QStringLiteral("dei %1 personaggi%2, %3")
                .arg(written)
                .arg(failed ? QStringLiteral(" prima") : QString())
                .arg(whole == 0   ? QStringLiteral("nessuno è scritto intero")
                     : whole == 1 ? QStringLiteral("uno solo è scritto intero")
                                  : QStringLiteral("%1 sono scritti interi").arg(whole));
  }
  if (plan.overwrite && (report.replaced > 0 || !report.kept.empty())) {
    said << (report.replaced == 0   ? QStringLiteral("nessun file sostituito")
             : report.replaced == 1 ? QStringLiteral("1 file sostituito")
                                    : QStringLiteral("%1 file sostituiti").arg(report.replaced));
  }
  if (!report.kept.empty()) {
    said << QStringLiteral("%1: %2").arg(report.kept.size() == 1
                                             ? QStringLiteral("resta com'era")
                                             : QStringLiteral("restano com'erano"),
                                         FirstNames(report.kept, QStringLiteral("altri file")));
  }
  for (const auto& [ours, old] : report.unpaired) {
    said << QStringLiteral("%1 è nuovo ma %2 è ancora di prima: non sono dello stesso personaggio")
                .arg(Quoted(FileNameFromBytes(ours)), Quoted(FileNameFromBytes(old)));
  }
  if (!kept.isEmpty() && report.incomplete.count(written + 1) == 0) {
    said << (kept.size() == 1
                 ? QStringLiteral("di questo resta il file %1").arg(kept.front())
                 : QStringLiteral("di questo restano i file %1 e %2")
                       .arg(kept.mid(0, kept.size() - 1).join(QStringLiteral(", ")), kept.back()));
  }
  if (!report.leftovers.empty()) {
    said << QStringLiteral("nella cartella %1 %2, da togliere a mano: %3")
                .arg(Quoted(FileNameFromBytes(folder.PathOf({}))),
                     report.leftovers.size() == 1
                         ? QStringLiteral("resta un file temporaneo che non si può togliere")
                         : QStringLiteral("restano %1 file temporanei che non si possono togliere")
                               .arg(report.leftovers.size()),
                     FirstNames(report.leftovers, QStringLiteral("altri")));
  }
  return said.isEmpty() ? QString() : QStringLiteral(" (") + said.join(QStringLiteral("; ")) + ')';
}

}  // namespace

std::string CharacterName(const CBatchPlan& plan, int n) { return plan.names.Name(n); }

std::string FileBaseName(const CBatchPlan& plan, int n) {
  return plan.names.FileBase(n, plan.count);
}

void MakeCharacter(const CBatchPlan& plan, int n, CCharacter& character,
                   std::vector<std::string>& archetypeNames, const SayFunction& say) {
  const CRules& rules = *plan.rules;
  // The draws come in a fixed order: the race, the archetype, then the rolls.
  const int race = plan.race >= 0 ? plan.race : DrawIndex(rules.RacesInUse());
  int archetypes[3] = {plan.archetypes[0], plan.archetypes[1], plan.archetypes[2]};
  int inUse = plan.archetypeCount;
  if (inUse == 0) {
    archetypes[0] = DrawIndex(rules.ArchetypesInUse());
    inUse = 1;
  }
  // The form, set up as asked, rolls and buys as it does for a player; both
  // hands below AMBIDEXTERITY_MIN leave the right one, as after a roll there.
  CFormModel form(rules, character);
  form.Start(race, archetypes, inUse, plan.male != 0, plan.hand);

  form.SetName(CharacterName(plan, n));
  for (const CPurchaseOrder& order : plan.purchases) {
    const int money = SaturateToInt(std::int64_t{character.m_nMoney} +
                                    HeldItem(character, order.place, order.pocket).m_nPrice);
    if (order.place == EquipmentPlace::Pocket) form.SelectPocket(order.pocket);
    if (!form.ChooseItem(order.place, order.item)) {
      const CItem& item = rules.m_aItems[order.item];
      say(QStringLiteral("%1: niente %2 %3 (costa %4, ha %5 monete)")
              .arg(ShownText(character.m_strName), ShownText(item.m_strName), PlaceText(order))
              .arg(item.m_nPrice)
              .arg(money));
    }
  }

  archetypeNames = form.TakeIdentity().archetypes;
  if (character.m_nHand != plan.hand) {
    say(ShownText(character.m_strName) + QStringLiteral(": ") +
        QString::fromStdString(BothHandsRefused(rules, character)));
  }
}

namespace {

// A write error as part of a line: without its full stop, in lower case.
QString Sentence(const std::string& said) {
  QString text = QString::fromUtf8(said);
  if (text.endsWith(QLatin1Char('.'))) text.chop(1);
  if (!text.isEmpty()) text[0] = text[0].toLower();
  return text;
}

// The group sheet of a batch (--gruppo): a file in a folder of its own,
// checked before the batch writes anything and written, as its sheets are,
// once they are all in place.
class CBatchGroup {
 public:
  explicit CBatchGroup(const CBatchPlan& plan) : m_plan(plan) {
    if (plan.group.empty()) return;
    const std::filesystem::path path(plan.group);
    m_name = path.filename().string();
    m_folder = std::make_unique<CSheetFolder>(
        path.has_parent_path() ? path.parent_path().string() : std::string("."), plan.overwrite);
    m_sheet = std::make_unique<CGroupSheet>(plan.rulesPath);
  }

  bool Wanted() const { return m_sheet != nullptr; }
  // As the command line names it.
  QString Named() const { return Quoted(FileNameFromBytes(m_plan.group)); }

  // Before anything is written: it can be written where it is named, and is
  // none of the batch's `targets` in `batch` (null: standard output).
  bool Check(const CSheetFolder* batch, const std::vector<std::string>& targets,
             CGeneraFailure& failure) {
    if (!Wanted()) return true;
    if (m_name.empty()) {
      failure = {2, QStringLiteral("--gruppo vuole il nome di un file, non di una cartella: %1")
                        .arg(Named())};
      return false;
    }
    if (!m_folder->Check({m_name}, failure)) return false;
    const bool named = batch && std::find(targets.begin(), targets.end(), m_name) != targets.end();
    if (named && m_folder->SameFolder(*batch)) {
      failure = {2, ClashText()};
      return false;
    }
    // Folders not made yet compare by their names alone, which a ".." or a
    // link can hide: the file is compared again once both are on the disk.
    if (named) m_batchFile = batch->PathOf(m_name);
    return true;
  }

  void Add(const CCharacter& character, const std::vector<std::string>& archetypes,
           const std::string& sheetName) {
    if (Wanted()) m_sheet->Add({character, *m_plan.rules, archetypes, m_plan.rulesPath}, sheetName);
  }

  // Once the `written` characters are in place: draws the group sheet and
  // writes it; `replaced` counts it when it took the place of one.
  bool Write(int written, const CBatchEvents& events, CGeneraFailure& failure, int& replaced) {
    if (!Wanted()) return true;
    if (events.drawing) events.drawing(m_sheet->Count());
    const QByteArray pdf = m_sheet->Pdf();
    const QString place = BatchPlace(m_plan);
    const QString sheets =
        m_plan.toStdout
            ? (written == 1 ? QStringLiteral("il personaggio è andato sullo standard output")
                            : QStringLiteral("i %1 personaggi sono andati sullo standard output")
                                  .arg(written))
            : (written == 1 ? QStringLiteral("il personaggio resta scritto in %1").arg(place)
                            : QStringLiteral("i %1 personaggi restano scritti in %2")
                                  .arg(written)
                                  .arg(place));
    // A stop asked for while it was drawn still holds.
    if (events.stop && events.stop()) {
      failure = {kInterruptedStatus,
                 QStringLiteral("interrotto prima che si scrivesse il foglio del gruppo %1 (%2)")
                     .arg(Named(), sheets)};
      return false;
    }
    QString why;
    std::string error;
    CFinishReport report;
    if (pdf.isEmpty()) {
      why = QStringLiteral("impossibile disegnare il foglio del gruppo %1")
                .arg(Quoted(FileNameFromBytes(m_folder->PathOf(m_name))));
    } else if (!m_folder->Open(failure)) {
      why = failure.message;
    } else if (SameFile(m_batchFile, m_folder->PathOf(m_name))) {
      why = ClashText();
    } else if (!m_folder->Write(m_name, std::string_view(pdf.constData(), pdf.size()), error)) {
      why = Sentence(error);
    } else if (!m_folder->Finish(report)) {
      why = Sentence(report.error);
      if (!report.leftovers.empty()) {
        why += QStringLiteral("; resta il file temporaneo %1, da togliere a mano")
                   .arg(Quoted(FileNameFromBytes(m_folder->PathOf(report.leftovers.front()))));
      }
    }
    if (why.isEmpty()) {
      replaced += report.replaced;
      return true;
    }
    failure = {1, QStringLiteral("%1 (%2)").arg(why, sheets)};
    return false;
  }

 private:
  QString ClashText() const {
    return QStringLiteral(
               "il foglio del gruppo %1 sarebbe anche un file del lotto: dagli un altro nome "
               "(--gruppo)")
        .arg(Quoted(FileNameFromBytes(m_folder->PathOf(m_name))));
  }

  // Whether the paths name one file on the disk.
  static bool SameFile(const std::string& one, const std::string& other) {
    struct stat first {
    }, second{};
    return !one.empty() && ::stat(one.c_str(), &first) == 0 &&
           ::stat(other.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
  }

  const CBatchPlan& m_plan;
  std::string m_batchFile;  // the batch's file of the same name, if it has one
  std::string m_name;       // its file name in m_folder
  std::unique_ptr<CSheetFolder> m_folder;
  std::unique_ptr<CGroupSheet> m_sheet;
};

// RunBatch without the group sheet's end: `group` is checked and gets every
// character written; `started` is set once the checks have passed.
bool WriteBatch(const CBatchPlan& plan, CBatchGroup& group, const SayFunction& warn,
                const SayFunction& tell, CGeneraFailure& failure, const CBatchEvents& events,
                bool& started) {
  const CRules& rules = *plan.rules;
  std::unique_ptr<CSheetFolder> folder;
  std::vector<std::string> bases;
  std::vector<std::string> targets;
  if (!plan.toStdout) {
    bases.reserve(static_cast<size_t>(plan.count));
    std::unordered_set<std::string> seen;
    for (int n = 1; n <= plan.count; ++n) {
      bases.push_back(FileBaseName(plan, n));
      if (!seen.insert(bases.back()).second) {
        // With {n} in the name only the cut to FILE_BASE_MOST bytes can do it.
        const QString remedy =
            !plan.names.HasNumber()
                ? QStringLiteral("metti {n} nel nome (--nome)")
                : QStringLiteral("il nome è troppo lungo: nel nome del file si accorcia a %1 byte")
                      .arg(FILE_BASE_MOST);
        failure = {2, QStringLiteral("due personaggi avrebbero lo stesso file %1: %2")
                          .arg(Quoted(FileNameFromBytes(bases.back() + ".pg")), remedy)};
        return false;
      }
      targets.push_back(bases.back() + ".pg");
      if (plan.pdf) targets.push_back(bases.back() + ".pdf");
      if (plan.foundry) targets.push_back(bases.back() + FOUNDRY_EXTENSION);
    }
    folder = std::make_unique<CSheetFolder>(plan.folder, plan.overwrite);
    if (!folder->Check(targets, failure)) return false;
  }
  if (!group.Check(folder.get(), targets, failure)) return false;
  if (folder && !plan.pdf) WarnOfOldPrintables(*folder, bases, warn);

  if (!plan.nameNotice.isEmpty()) warn(plan.nameNotice);
  if (plan.sayseed) tell(QStringLiteral("seme: %1").arg(plan.seed));
  if (folder && !folder->Open(failure)) return false;
  started = true;
  // The same rules for the whole batch: their hash is read once.
  const std::string rulesHash = plan.foundry ? RulesFileHash(plan.rulesPath) : std::string();

  SeedRandom(plan.seed);
  CStandardOutput out;
  std::vector<std::string> archetypeNames;
  std::string error;
  int written = 0;
  // Whatever ends the batch, the sheets written so far are put in place and
  // synced, once; then `failure` says what stopped it, `reason`, and what the
  // batch leaves behind. `failed`: a character whose write failed, written
  // in part or not at all, after those before.
  auto finish = [&](int status, const QString& reason, bool failed, const QStringList& kept = {}) {
    CFinishReport report;
    if (folder) folder->Finish(report);
    if (plan.overwrite && events.replaced) events.replaced(report.replaced);
    if (status == 0 && report.error.empty()) return true;
    QString text = reason.isEmpty() ? Sentence(report.error) : reason;
    text += LeftBehind(plan, *folder, written, failed, kept, report);
    failure = {status == 0 ? 1 : status, text};
    return false;
  };
  // Standard output that failed: how many sheets it took whole, none too.
  auto outputFailed = [&] {
    written = out.Complete();
    // What the reader of a pipe has read, the program cannot know.
    failure = {1, Sentence(error) +
                      (written == 0 ? QStringLiteral(" (nessun personaggio è arrivato intero)")
                       : written == 1
                           ? QStringLiteral(" (il primo personaggio è andato intero sullo standard "
                                            "output; se chi legge l'abbia letto, non si sa)")
                           : QStringLiteral(" (i primi %1 personaggi sono andati interi sullo "
                                            "standard output; quanti ne abbia letti chi legge, "
                                            "non si sa)")
                                 .arg(written))};
    return false;
  };
  for (int n = 1; n <= plan.count; ++n) {
    if (events.stop && events.stop()) {
      if (plan.toStdout) {
        if (!out.Flush(error)) return outputFailed();
        written = out.Complete();
        failure = {kInterruptedStatus,
                   QStringLiteral("interrotto: %1 di %2 %3 sullo standard output")
                       .arg(written == 1 ? QStringLiteral("1 personaggio")
                                         : QStringLiteral("%1 personaggi").arg(written))
                       .arg(plan.count)
                       .arg(written == 1 ? QStringLiteral("scritto intero")
                                         : QStringLiteral("scritti interi"))};
        return false;
      }
      // Counted once the replacements are in place: a character whose files
      // stay as they were is not written.
      CFinishReport report;
      folder->Finish(report);
      const int whole = written - static_cast<int>(report.incomplete.size());
      QString text =
          QStringLiteral("interrotto: %1 di %2 %3 in %4")
              .arg(whole == 1 ? QStringLiteral("1 personaggio")
                              : QStringLiteral("%1 personaggi").arg(whole))
              .arg(plan.count)
              .arg(whole == 1 ? QStringLiteral("scritto intero") : QStringLiteral("scritti interi"),
                   BatchPlace(plan));
      text += LeftBehind(plan, *folder, written, false, {}, report, true);
      failure = {kInterruptedStatus, text};
      return false;
    }
    CCharacter character;
    MakeCharacter(plan, n, character, archetypeNames, warn);
    const std::string sheet = character.SheetText(rules);
    if (plan.toStdout) {
      if (!out.Write(sheet, error)) return outputFailed();
    } else {
      const std::string& base = bases[static_cast<size_t>(n - 1)];
      // The files of this character, in the order they are written.
      const char* files[3] = {".pg"};
      size_t fileCount = 1;
      if (plan.pdf) files[fileCount++] = ".pdf";
      if (plan.foundry) files[fileCount++] = FOUNDRY_EXTENSION;
      // File `failed` did not get written. Those of this character written
      // before it stay only when no file of the character of before is left
      // beside them: neither the one that failed nor one still to write.
      auto fileFailed = [&](size_t failed) {
        bool old = false;
        for (size_t f = failed; f < fileCount; ++f) old = old || folder->Existed(base + files[f]);
        QStringList kept;
        for (size_t f = 0; f < failed; ++f) {
          if (old) {
            folder->Withdraw(base + files[f]);
          } else {
            kept << QString::fromLatin1(files[f]);
          }
        }
        return finish(1, Sentence(error), true, kept);
      };
      size_t next = 0;
      if (!folder->Write(base + files[next], sheet, error, n)) return fileFailed(next);
      ++next;
      if (plan.pdf) {
        const QByteArray pdf = PrintableSheetPdf({character, rules, archetypeNames, plan.rulesPath},
                                                 QString::fromUtf8(base + ".pg"));
        if (pdf.isEmpty())
          error = "Impossibile disegnare la scheda stampabile \"" +
                  PathForMessage(folder->PathOf(base + ".pdf")) + "\".";
        if (pdf.isEmpty() ||
            !folder->Write(base + files[next], std::string_view(pdf.constData(), pdf.size()), error,
                           n))
          return fileFailed(next);
        ++next;
      }
      if (plan.foundry) {
        // No seed: the same actor as one exported later from the sheet alone.
        const std::string actor = FoundryActorJson(
            {character, rules, archetypeNames, plan.rulesPath, rulesHash, std::nullopt});
        if (!folder->Write(base + files[next], actor, error, n)) return fileFailed(next);
      }
    }
    if (group.Wanted())
      group.Add(character, archetypeNames,
                (plan.toStdout ? FileBaseName(plan, n) : bases[n - 1]) + ".pg");
    ++written;
    if (events.written) events.written(written);
  }
  if (plan.toStdout) return out.Flush(error) || outputFailed();
  if (events.syncing) events.syncing();
  return finish(0, {}, false);
}

}  // namespace

bool RunBatch(const CBatchPlan& plan, const SayFunction& warn, const SayFunction& tell,
              CGeneraFailure& failure, const CBatchEvents& events) {
  CBatchGroup group(plan);
  // The sheets' replacements are told with the group sheet's.
  std::optional<int> replaced;
  CBatchEvents batchEvents = events;
  batchEvents.replaced = [&replaced](int files) { replaced = files; };
  bool started = false;
  bool done = WriteBatch(plan, group, warn, tell, failure, batchEvents, started);
  int groupReplaced = 0;
  if (done) {
    done = group.Write(plan.count, events, failure, groupReplaced);
  } else if (started && group.Wanted()) {
    failure.message += QStringLiteral("; il foglio del gruppo %1 non si scrive").arg(group.Named());
  }
  if ((replaced || groupReplaced > 0) && events.replaced)
    events.replaced(replaced.value_or(0) + groupReplaced);
  return done;
}

QString BatchPlace(const CBatchPlan& plan) {
  if (plan.toStdout) return QStringLiteral("standard output");
  QString folder = ShownName(FileNameFromBytes(plan.folder));
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  return folder;
}

std::uint32_t ClockSeed() {
  // The clock's nanoseconds and the process id, mixed (splitmix64), so that
  // two batches started in the same tick still differ.
  std::uint64_t x =
      static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) ^
      (static_cast<std::uint64_t>(::getpid()) << 40);
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  x ^= x >> 31;
  return static_cast<std::uint32_t>(x);
}
