// How the game master's group sheet of a batch compares with the printable
// sheets of the same batch: 1,000 characters of the bundled rules, three
// archetypes and five purchases each, drawn as one group sheet (every .pg
// added, then the whole PDF) and as 1,000 one-page PDFs, in memory.
//   tarvo_group_sheet_speed [rounds] [characters]
#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/Timing.h"
#include "character/Dice.h"
#include "character/Generation.h"
#include "print/GroupSheet.h"
#include "print/PrintableSheet.h"

namespace {

double Now() {
  return std::chrono::duration<double, std::nano>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000;
  const std::string rulesPath = TARVO_RULES_DIR "/tarvo.rul";
  const CRules rules(rulesPath.c_str());
  if (!rules.IsLoaded() || rules.ArchetypesInUse() < 4 || rules.ItemsInUse() < 30) {
    std::fprintf(stderr, "the bundled rules do not load\n");
    return 1;
  }

  // The batch, made once.
  SeedRandom(12345);
  std::vector<std::unique_ptr<CCharacter>> characters;
  std::vector<std::string> names;
  const std::vector<std::string> archetypes = {rules.m_aArchetypes[1].m_strName,
                                               rules.m_aArchetypes[2].m_strName,
                                               rules.m_aArchetypes[3].m_strName};
  const int used[3] = {1, 2, 3};
  for (int n = 1; n <= count; ++n) {
    CCharacter& ch = *characters.emplace_back(std::make_unique<CCharacter>());
    RollCharacteristics(ch, rules, n % rules.RacesInUse());
    RollSkills(ch, rules, used, 3);
    ch.m_strName = "Personaggio " + std::to_string(n);
    ch.m_strRace = rules.m_aRaces[n % rules.RacesInUse()].m_strName;
    ch.m_strArchetype = JoinArchetypes(archetypes);
    ch.m_nMoney += 1000;
    Purchase(ch, rules, EquipmentPlace::Right, 0, 3);
    Purchase(ch, rules, EquipmentPlace::Left, 0, 10);
    Purchase(ch, rules, EquipmentPlace::Worn, 0, 13);
    Purchase(ch, rules, EquipmentPlace::Pocket, 0, 25);
    Purchase(ch, rules, EquipmentPlace::Pocket, 1, 26);
    names.push_back(ch.m_strName + ".pg");
  }

  size_t groupBytes = 0, singleBytes = 0;
  const auto group = [&] {
    CGroupSheet sheet(rulesPath);
    for (int i = 0; i < count; ++i)
      sheet.Add({*characters[i], rules, archetypes, rulesPath}, names[i]);
    groupBytes = static_cast<size_t>(sheet.Pdf().size());
  };
  const auto singles = [&] {
    singleBytes = 0;
    for (int i = 0; i < count; ++i) {
      singleBytes +=
          static_cast<size_t>(PrintableSheetPdf({*characters[i], rules, archetypes, rulesPath},
                                                QString::fromStdString(names[i]))
                                  .size());
    }
  };

  std::vector<double> a, b;
  for (int i = 0; i < rounds; ++i) {
    double start = Now();
    group();
    a.push_back(Now() - start);
    start = Now();
    singles();
    b.push_back(Now() - start);
  }
  const bench::Pair pair{bench::Median(a), bench::Median(b)};
  std::printf("%d characters: one group sheet of %zu bytes, %d single sheets of %zu bytes\n", count,
              groupBytes, count, singleBytes);
  bench::Report("the group sheet", pair, "the single sheets", 1.0);
  return pair.Ratio() <= 1.0 ? 0 : 1;
}
