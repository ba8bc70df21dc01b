// Timings of the work a player waits for: loading the rules at start, writing
// them back, one whole generation, a purchase, and writing the sheet.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "character/Character.h"
#include "character/Dice.h"
#include "character/Generation.h"
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

void SheetText(benchmark::State& state) {
  std::istringstream in(BundledRules());
  CRules rules(nullptr);
  rules.Load(in, "tarvo.rul");
  CCharacter character;
  for (auto _ : state) benchmark::DoNotOptimize(character.SheetText(rules));
}
BENCHMARK(SheetText);

}  // namespace
