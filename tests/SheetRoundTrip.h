// The sheet's round trip, for every suite that saves sheets: a sheet written
// with some rules reads back against the same rules into a character that
// writes the same bytes, and so does the same sheet with LF line ends.
//
//   EXPECT_TRUE(SheetRoundTrips(character.SheetText(rules), rules));
//   EXPECT_TRUE(SheetFileRoundTrips(path, rules));
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "character/Character.h"
#include "character/SheetReader.h"
#include "rules/Rules.h"
#include "tests/FileBytes.h"

namespace sheet_round_trip {

// Where `a` and `b` first differ, by line, for a failure message.
inline std::string FirstDifference(const std::string& a, const std::string& b) {
  size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
  const size_t begin = a.rfind('\n', at == 0 ? 0 : at - 1);
  const size_t from = begin == std::string::npos ? 0 : begin + 1;
  const auto lineOf = [from](const std::string& text) {
    return text.substr(from, text.find('\n', from) - from);
  };
  return "line " + std::to_string(std::count(a.begin(), a.begin() + from, '\n') + 1) +
         ": read back \"" + lineOf(b) + "\" for \"" + lineOf(a) + "\"";
}

// A character that differs from anything a sheet makes in every field, so a
// field that ApplySheet forgot shows in the sheet written afterwards.
inline void Clutter(CCharacter& character) {
  for (CStatValue& stat : character.m_aStats) stat.m_nValue = stat.m_nModifier = -77;
  for (CSkillValue& skill : character.m_aSkills) skill.m_nValue = skill.m_nModifier = -77;
  CItem junk;
  junk.SetName("cianfrusaglia");
  junk.m_nPotenza = junk.m_nPrice = junk.m_nId = 77;
  for (auto* item : {&character.m_itemRight, &character.m_itemLeft, &character.m_itemWorn})
    item->CopyFrom(junk);
  for (auto& pocket : character.m_aPockets) pocket.CopyFrom(junk);
  character.m_strName = character.m_strRace = character.m_strArchetype = "cianfrusaglia";
  character.m_bMale = 2;
  character.m_nHand = 77;
  for (int* score : {&character.m_nArmour, &character.m_nHonour, &character.m_nMoney,
                     &character.m_nCdB, &character.m_nPFAct, &character.m_nPMAct,
                     &character.m_nPFTot, &character.m_nPMTot})
    *score = -77;
}

}  // namespace sheet_round_trip

inline ::testing::AssertionResult SheetRoundTrips(const std::string& bytes, const CRules& rules) {
  using namespace sheet_round_trip;
  std::string lf;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) lf += bytes[i];
  }
  // A text that ends in CR reads as another text once its line ends lose their
  // CR; such sheets are checked with CR LF only.
  const bool lfReadsTheSame = bytes.find("\r\r\n") == std::string::npos;
  for (const std::string* input : {&bytes, static_cast<const std::string*>(&lf)}) {
    if (input == &lf && !lfReadsTheSame) break;
    const char* variant = input == &lf ? " (LF line ends)" : "";
    CSheet sheet;
    CSheetError error;
    if (!ReadSheetText(*input, "scheda.pg", rules, sheet, &error))
      return ::testing::AssertionFailure() << "refused" << variant << ": " << error.m_strMessage;
    CCharacter character;
    Clutter(character);
    ApplySheet(sheet, rules, character);
    const std::string again = character.SheetText(rules);
    if (again != bytes) {
      return ::testing::AssertionFailure()
             << "written back differently" << variant << ", " << FirstDifference(bytes, again);
    }
  }
  return ::testing::AssertionSuccess();
}

// The same for a sheet saved at `path`, read through the file.
inline ::testing::AssertionResult SheetFileRoundTrips(const std::filesystem::path& path,
                                                      const CRules& rules) {
  CSheet sheet;
  CSheetError error;
  if (!ReadSheet(path.c_str(), rules, sheet, &error))
    return ::testing::AssertionFailure() << error.m_strMessage;
  return SheetRoundTrips(ReadBytes(path), rules);
}
