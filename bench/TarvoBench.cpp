// Timings of the work a player waits for: loading the rules at start, writing
// them back, one whole generation, a purchase, writing the sheet and reading it
// back.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "bench/BenchRules.h"
#include "character/Character.h"
#include "character/Dice.h"
#include "character/Generation.h"
#include "character/SheetReader.h"
#include "rules/Rules.h"

namespace {

std::string BundledRules() {
  std::ifstream in(std::string(TARVO_RULES_DIR) + "/tarvo.rul", std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void LoadRules(benchmark::State& state) {
  const std::string text = BundledRules();
  for (auto _ : state) {
    std::istringstream in(text);
    CRules rules(nullptr);
    benchmark::DoNotOptimize(rules.Load(in, "tarvo.rul"));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(LoadRules);

void SaveRulesText(benchmark::State& state) {
  std::istringstream in(BundledRules());
  CRules rules(nullptr);
  rules.Load(in, "tarvo.rul");
  for (auto _ : state) benchmark::DoNotOptimize(rules.ToText());
}
BENCHMARK(SaveRulesText);

void GenerateCharacter(benchmark::State& state) {
  std::istringstream in(BundledRules());
  CRules rules(nullptr);
  rules.Load(in, "tarvo.rul");
  SeedRandom(7);
  CCharacter character;
  const int archetypes[3] = {0, 1, 2};
  for (auto _ : state) {
    RollCharacteristics(character, rules, 0);
    RollSkills(character, rules, archetypes, 3);
    Purchase(character, rules, EquipmentPlace::Left, 0, 10);
    benchmark::DoNotOptimize(character.m_nMoney);
  }
}
BENCHMARK(GenerateCharacter);

// A sheet as a player saves one on the bundled rules: a character rolled
// with two archetypes, an item in each hand, on the body and in two pockets.
void SheetText(benchmark::State& state) {
  std::istringstream in(BundledRules());
  CRules rules(nullptr);
  rules.Load(in, "tarvo.rul");
  SeedRandom(7);
  CCharacter character;
  const int archetypes[3] = {0, 2, 0};
  RollCharacteristics(character, rules, 1);
  RollSkills(character, rules, archetypes, 2);
  character.m_nMoney = 100000;
  const bool bought = Purchase(character, rules, EquipmentPlace::Right, 0, 3) &&
                      Purchase(character, rules, EquipmentPlace::Left, 0, 10) &&
                      Purchase(character, rules, EquipmentPlace::Worn, 0, 14) &&
                      Purchase(character, rules, EquipmentPlace::Pocket, 0, 26) &&
                      Purchase(character, rules, EquipmentPlace::Pocket, 1, 30);
  if (!bought) state.SkipWithError("purchase refused");
  character.m_strName = "Aldo";
  character.m_strRace = rules.m_aRaces[1].m_strName;
  character.m_strArchetype =
      JoinArchetypes({rules.m_aArchetypes[0].m_strName, rules.m_aArchetypes[2].m_strName});
  for (auto _ : state) benchmark::DoNotOptimize(character.SheetText(rules));
}
BENCHMARK(SheetText);

// The largest sheet: the capacity-full rules, three archetypes, an item in
// both hands, on the body and in every pocket.
std::string FullSheet(const CRules& rules) {
  SeedRandom(7);
  CCharacter character;
  const int archetypes[3] = {3, 11, 24};
  RollCharacteristics(character, rules, 14);
  RollSkills(character, rules, archetypes, 3);
  Purchase(character, rules, EquipmentPlace::Right, 0, 38);
  Purchase(character, rules, EquipmentPlace::Left, 0, 37);
  Purchase(character, rules, EquipmentPlace::Worn, 0, 36);
  for (int p = 0; p < PocketsInUse(rules); ++p)
    Purchase(character, rules, EquipmentPlace::Pocket, p, 1 + p);
  character.m_strName = "Aldo della Torre di Velmor";
  character.m_strRace = rules.m_aRaces[14].m_strName;
  character.m_strArchetype =
      JoinArchetypes({rules.m_aArchetypes[3].m_strName, rules.m_aArchetypes[11].m_strName,
                      rules.m_aArchetypes[24].m_strName});
  return character.SheetText(rules);
}

void ReadFullSheet(benchmark::State& state) {
  CRules rules(nullptr);
  rules.LoadText(bench::FullRules(), "piene.rul");
  const std::string text = FullSheet(rules);
  CCharacter character;
  for (auto _ : state) {
    CSheet sheet;
    if (!ReadSheetText(text, "piene.pg", rules, sheet)) state.SkipWithError("sheet refused");
    ApplySheet(sheet, rules, character);
    benchmark::DoNotOptimize(character.m_nMoney);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(ReadFullSheet);

// The floor: writing the same sheet.
void WriteFullSheet(benchmark::State& state) {
  CRules rules(nullptr);
  rules.LoadText(bench::FullRules(), "piene.rul");
  const std::string text = FullSheet(rules);
  CSheet sheet;
  ReadSheetText(text, "piene.pg", rules, sheet);
  CCharacter character;
  ApplySheet(sheet, rules, character);
  for (auto _ : state) benchmark::DoNotOptimize(character.SheetText(rules));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(WriteFullSheet);

}  // namespace
