#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <tuple>
#include <vector>

#include "form/FormActions.h"
#include "form/FormModel.h"
#include "tests/character/ScriptedDraws.h"

namespace {

// Every die of the rules below rolls `value` for the draw D(value).
constexpr int D(int value) { return value + 100; }

CDice DrawDie() {
  CDice dice;
  dice.m_nCount = 1;
  dice.m_nSides = CScriptedDraws::DRAW_DIE_SIDES;
  dice.m_nBonus = -101;
  return dice;
}

class FormModelTest : public ::testing::Test {
 protected:
  static CRules TestRules() {
    CRules rules(nullptr);
    rules.m_nCharacteristics = 4;
    rules.m_nRaces = 2;
    for (CRace& race : rules.m_aRaces) {
      for (CDice& dice : race.m_aDice) dice = DrawDie();
    }
    rules.m_aRaces[1].m_strName = "Elfo";
    rules.m_nSkills = 1;
    rules.m_aSkillBase[0] = 1;
    // Two archetypes of one name; the honour tells which one was rolled.
    const char* names[] = {"Bardo", "Bardo", "Guerriero"};
    rules.m_nArchetypes = 3;
    for (int a = 0; a < 3; ++a) {
      rules.m_aArchetypes[a].m_strName = names[a];
      rules.m_aArchetypes[a].m_aSkillDice[0] = DrawDie();
      rules.m_aArchetypes[a].m_diceMoney = DrawDie();
      rules.m_aArchetypes[a].m_nHonour = 10 * (a + 1);
    }
    const int prices[] = {0, 15, 4, 2, 500, 10};
    rules.m_nItems = 6;
    for (int i = 0; i < 6; ++i) {
      rules.m_aItems[i].m_nPrice = prices[i];
      rules.m_aItems[i].m_nId = i;
    }
    return rules;
  }

  // Starts with race 1 and archetype `archetype` alone, rolling the third
  // characteristic `third` and the money `money`.
  void StartWith(CScriptedDraws& draws, int third, int money, int archetype = 0, int hand = 1) {
    draws.Add({D(10), D(12), D(third), D(9), D(7), D(money)});
    const int archetypes[3] = {archetype, 0, 0};
    model.Start(1, archetypes, 1, true, hand);
  }

  std::vector<int> Offer(EquipmentPlace place) const {
    int items[MAX_ITEMS];
    return {items, items + model.OfferedItems(place, items)};
  }

  CRules rules{TestRules()};
  CCharacter character;
  CFormModel model{rules, character};
};

using Offered = std::vector<int>;

TEST_F(FormModelTest, EveryListOffersWhatTheMoneyPaysForAndWhatItHolds) {
  CScriptedDraws draws;
  StartWith(draws, 12, 40);
  ASSERT_TRUE(model.ChooseItem(EquipmentPlace::Right, 1));  // 15
  ASSERT_TRUE(model.SelectPocket(3));
  ASSERT_TRUE(model.ChooseItem(EquipmentPlace::Pocket, 2));  // 4
  ASSERT_TRUE(model.SelectPocket(7));
  ASSERT_TRUE(model.ChooseItem(EquipmentPlace::Pocket, 3));  // 2
  EXPECT_EQ(character.m_nMoney, 19);
  EXPECT_EQ(Offer(EquipmentPlace::Right), (Offered{0, 1, 2, 3, 5}));

  // New money 20: short by one, the last pocket goes.
  draws.Add({D(7), D(20)});
  ASSERT_TRUE(model.RerollSkills());
  EXPECT_EQ(character.m_nMoney, 1);
  EXPECT_EQ(Offer(EquipmentPlace::Right), (Offered{0, 1}));
  EXPECT_EQ(Offer(EquipmentPlace::Left), (Offered{0}));
  EXPECT_EQ(Offer(EquipmentPlace::Worn), (Offered{0}));
  EXPECT_EQ(Offer(EquipmentPlace::Pocket), (Offered{0}));
  EXPECT_EQ(model.SelectedItem(EquipmentPlace::Pocket), 0);
  ASSERT_TRUE(model.SelectPocket(3));
  EXPECT_EQ(Offer(EquipmentPlace::Pocket), (Offered{0, 2}));
  EXPECT_EQ(model.SelectedItem(EquipmentPlace::Pocket), 2);
  EXPECT_EQ(model.SelectedItem(EquipmentPlace::Right), 1);
  // Each pocket's list read without selecting it is the pocket list once the
  // pocket is selected.
  for (int p = model.Pockets() - 1; p >= 0; --p) {
    int items[MAX_ITEMS];
    const Offered own(items, items + model.OfferedPocketItems(p, items));
    const int held = model.PocketItem(p);
    const COfferSignature signature = model.PocketOfferSignature(p);
    ASSERT_TRUE(model.SelectPocket(p));
    EXPECT_EQ(own, Offer(EquipmentPlace::Pocket)) << p;
    EXPECT_EQ(held, model.SelectedItem(EquipmentPlace::Pocket)) << p;
    EXPECT_EQ(signature, model.OfferSignature(EquipmentPlace::Pocket)) << p;
  }
  EXPECT_EQ(model.PocketItem(model.Pockets()), -1);
  EXPECT_EQ(model.PocketItem(-1), -1);

  // New money 10: pocket 3 goes, then the right hand; what is left is
  // offered again.
  draws.Add({D(7), D(10)});
  ASSERT_TRUE(model.RerollSkills());
  EXPECT_EQ(character.m_nMoney, 10);
  for (const EquipmentPlace place : {EquipmentPlace::Right, EquipmentPlace::Left,
                                     EquipmentPlace::Worn, EquipmentPlace::Pocket}) {
    EXPECT_EQ(Offer(place), (Offered{0, 2, 3, 5})) << static_cast<int>(place);
    EXPECT_EQ(model.SelectedItem(place), 0);
  }
  // What a list does not offer cannot be chosen, even where trading in the
  // held item would pay for it.
  ASSERT_TRUE(model.ChooseItem(EquipmentPlace::Left, 5));
  EXPECT_FALSE(model.IsOffered(EquipmentPlace::Left, 2));
  EXPECT_FALSE(model.ChooseItem(EquipmentPlace::Left, 2));
  EXPECT_FALSE(model.ChooseItem(EquipmentPlace::Left, MAX_ITEMS));
  EXPECT_EQ(model.SelectedItem(EquipmentPlace::Left), 5);
  EXPECT_EQ(character.m_nMoney, 0);
}

TEST_F(FormModelTest, EqualSignaturesOfferTheSameItems) {
  // The desktop leaves a list alone while its signature stays the same.
  CScriptedDraws draws;
  StartWith(draws, 12, 40);
  std::map<std::pair<int, int>, Offered> seen;
  for (const int held : {0, 1, 4}) {
    character.m_itemWorn.m_nId = held;
    for (int money = -3; money < 520; ++money) {
      character.m_nMoney = money;
      const COfferSignature signature = model.OfferSignature(EquipmentPlace::Worn);
      const auto entry =
          seen.emplace(std::pair{signature.affordable, signature.held}, Offer(EquipmentPlace::Worn))
              .first;
      EXPECT_EQ(entry->second, Offer(EquipmentPlace::Worn)) << money << " " << held;
    }
  }
  EXPECT_EQ(seen.size(), 3u * 7u);  // prices 0, 2, 4, 10, 15, 500
}

TEST_F(FormModelTest, TheHandBoxesKeepOneHandAndBothOnlyFromSixteen) {
  struct Click {
    int before;
    bool onRight;
    int third;
    int after;
  };
  const Click clicks[] = {
      {1, true, 16, 2}, {1, false, 16, 3}, {1, false, 15, 2}, {2, false, 16, 1},
      {2, true, 16, 3}, {2, true, 15, 1},  {3, true, 16, 2},  {3, false, 16, 1},
  };
  for (const Click& click : clicks) {
    character.m_aStats[2].m_nValue = click.third;
    const int archetypes[3] = {0, 0, 0};
    model.Restore(character, 1, archetypes, 1, true, click.before);
    ASSERT_EQ(model.Hand(), click.before);
    if (click.onRight) {
      model.SetRightHanded(!model.IsRightHanded());
    } else {
      model.SetLeftHanded(!model.IsLeftHanded());
    }
    EXPECT_EQ(model.Hand(), click.after)
        << click.before << (click.onRight ? " right " : " left ") << click.third;
  }

  // A roll takes both hands away below sixteen and never changes one hand.
  CScriptedDraws draws;
  StartWith(draws, 16, 5, 0, 3);
  EXPECT_EQ(model.Hand(), 3);
  draws.Add({D(10), D(12), D(15), D(9)});
  ASSERT_TRUE(model.RerollRace());
  EXPECT_EQ(model.Hand(), 1);
  model.SetLeftHanded(true);
  EXPECT_EQ(model.Hand(), 2);
  draws.Add({D(10), D(12), D(30), D(9)});
  ASSERT_TRUE(model.ChooseRace(0));
  EXPECT_EQ(model.Hand(), 2);
  EXPECT_EQ(model.Race(), 0);
  EXPECT_EQ(draws.Left(), 0);
}

TEST_F(FormModelTest, ListsNotInUseFollowTheArchetypeNotItsName) {
  CScriptedDraws draws;
  StartWith(draws, 12, 40);
  draws.Add({D(7), D(8)});
  ASSERT_TRUE(model.ChooseArchetype(0, 1));  // the second "Bardo"
  EXPECT_EQ(model.Archetype(1), 1);
  EXPECT_EQ(model.Archetype(2), 1);
  EXPECT_EQ(character.m_nHonour, 20);

  // The third box cannot be ticked before the second: nothing is rolled.
  EXPECT_FALSE(model.UseThirdArchetype(true));
  EXPECT_FALSE(model.UsesThirdArchetype());

  draws.Add({D(7), D(8), D(8), D(9)});
  ASSERT_TRUE(model.UseSecondArchetype(true));
  EXPECT_TRUE(model.IsSecondArchetypeEnabled() && model.IsThirdBoxEnabled());
  EXPECT_FALSE(model.IsThirdArchetypeEnabled());
  EXPECT_EQ(character.m_nHonour, 20);  // (20 + 20) / 2
  EXPECT_EQ(character.m_nMoney, 8);    // (8 + 9) / 2
  draws.Add({D(7), D(8), D(8), D(9)});
  ASSERT_TRUE(model.ChooseArchetype(1, 2));
  EXPECT_EQ(model.Archetype(2), 2);
  EXPECT_EQ(character.m_nHonour, 25);  // (20 + 30) / 2
  draws.Add({D(7), D(8), D(9), D(1), D(2), D(3)});
  ASSERT_TRUE(model.UseThirdArchetype(true));
  EXPECT_EQ(model.Identity().archetype, "Bardo/Guerriero/Guerriero");
  ASSERT_TRUE(model.SelectArchetype(2, 0));
  draws.Add({D(7), D(8), D(9), D(1), D(2), D(3)});
  ASSERT_TRUE(model.RollSkills());
  EXPECT_EQ(character.m_nHonour, 20);  // (20 + 30 + 10) / 3
  EXPECT_EQ(model.Identity().archetype, "Bardo/Guerriero/Bardo");

  // Unticking the second unticks the third, and both lists follow the first.
  draws.Add({D(7), D(8)});
  ASSERT_TRUE(model.UseSecondArchetype(false));
  EXPECT_FALSE(model.UsesThirdArchetype() || model.IsThirdBoxEnabled());
  EXPECT_EQ(model.Archetype(1), 1);
  EXPECT_EQ(model.Archetype(2), 1);
  EXPECT_EQ(model.ArchetypesInUse(), 1);
  EXPECT_EQ(draws.Left(), 0);
}

TEST_F(FormModelTest, RestoreShowsAFinishedCharacterWithoutRolling) {
  CCharacter finished;
  finished.m_aStats[1].m_nValue = 12;
  finished.m_aStats[2].m_nValue = 10;
  finished.m_aSkills[0].m_nValue = 7;
  finished.m_aSkills[0].m_nModifier = -2;
  finished.m_nPFAct = finished.m_nPFTot = 12;
  finished.m_nMoney = 11;
  finished.m_itemLeft.CopyFrom(rules.m_aItems[4]);
  finished.m_aPockets[9].CopyFrom(rules.m_aItems[1]);
  finished.m_strName = "Zo\xEB";
  CScriptedDraws draws;  // any roll fails the test
  const int archetypes[3] = {2, 0, 0};
  model.Restore(finished, 1, archetypes, 2, false, 3);

  EXPECT_EQ(model.Hand(), 3);  // as given, though the third is 10
  EXPECT_TRUE(model.UsesSecondArchetype() && !model.UsesThirdArchetype());
  EXPECT_EQ(model.Archetype(2), 0);
  EXPECT_EQ(model.SelectedPocket(), 0);
  std::string text;
  model.SkillText(0, text);
  EXPECT_EQ(text, "7 + -2 = 5 (17)");
  model.StatText(1, text);
  EXPECT_EQ(text, "12 (2)");
  model.ScoreText(FormScore::PF, text);
  EXPECT_EQ(text, "12/12");
  EXPECT_EQ(Offer(EquipmentPlace::Left), (Offered{0, 2, 3, 4, 5}));
  ASSERT_TRUE(model.SelectPocket(9));
  EXPECT_EQ(model.SelectedItem(EquipmentPlace::Pocket), 1);

  const CFormIdentity identity = model.TakeIdentity();
  EXPECT_EQ(identity.name, "Zo\xEB");
  EXPECT_EQ(identity.race, "Elfo");
  EXPECT_EQ(character.m_strArchetype, "Guerriero/Bardo");
  EXPECT_EQ(character.m_bMale, 0);
  EXPECT_EQ(character.m_nHand, 3);
  // The lute is traded in at its price: 11 + 500 - 10.
  ASSERT_TRUE(model.ChooseItem(EquipmentPlace::Left, 5));
  EXPECT_EQ(character.m_nMoney, 501);
  EXPECT_EQ(finished.m_nMoney, 11);
  EXPECT_EQ(draws.Drawn(), 0);
}

TEST_F(FormModelTest, PlayChangesPfPmAndMoneyWithinTheirLimits) {
  CScriptedDraws draws;
  StartWith(draws, 12, 40);
  ASSERT_TRUE(model.ChooseItem(EquipmentPlace::Right, 1));  // 15, the money 25
  character.m_nPFAct = character.m_nPFTot = 12;
  character.m_nPMAct = character.m_nPMTot = 5;
  const auto act = [this](FormAction action, int value) {
    return ApplyFormAction(model, static_cast<int>(action), value);
  };
  for (const auto& [action, current, total] :
       {std::tuple{FormAction::SetCurrentPF, &character.m_nPFAct, 12},
        std::tuple{FormAction::SetCurrentPM, &character.m_nPMAct, 5}}) {
    SCOPED_TRACE(FORM_ACTION_NAMES[static_cast<int>(action)]);
    EXPECT_FALSE(act(action, total));  // already the value
    EXPECT_FALSE(act(action, total + 1) || act(action, -1) || act(action, INT_MIN));
    EXPECT_EQ(*current, total);
    EXPECT_TRUE(act(action, 0));
    EXPECT_FALSE(act(action, 0));
    EXPECT_TRUE(act(action, total));
    EXPECT_TRUE(act(action, 3));
    EXPECT_EQ(*current, 3);
  }
  std::string text;
  model.ScoreText(FormScore::PF, text);
  EXPECT_EQ(text, "3/12");
  EXPECT_EQ(character.m_nPFTot + character.m_nPMTot, 17);

  // Coins spent: the lists offer only what the rest pays for, the held item
  // stays; coins earned offer more.
  EXPECT_FALSE(act(FormAction::SetMoney, 25) || act(FormAction::SetMoney, -1));
  EXPECT_TRUE(act(FormAction::SetMoney, 3));
  EXPECT_EQ(Offer(EquipmentPlace::Right), (Offered{0, 1, 3}));
  EXPECT_EQ(Offer(EquipmentPlace::Left), (Offered{0, 3}));
  EXPECT_EQ(model.SelectedItem(EquipmentPlace::Right), 1);
  EXPECT_FALSE(model.ChooseItem(EquipmentPlace::Left, 2));
  EXPECT_TRUE(model.SetMoney(0));
  EXPECT_EQ(Offer(EquipmentPlace::Left), (Offered{0}));
  EXPECT_TRUE(model.SetMoney(INT_MAX));
  EXPECT_EQ(Offer(EquipmentPlace::Left), (Offered{0, 1, 2, 3, 4, 5}));
  ASSERT_TRUE(model.ChooseItem(EquipmentPlace::Left, 4));
  EXPECT_EQ(character.m_nMoney, INT_MAX - 500);
  EXPECT_EQ(character.m_nPFAct + character.m_nPMAct, 6);
  EXPECT_EQ(draws.Left(), 0);
}

TEST_F(FormModelTest, ValueTextsAtTheEdgesOfTheNumbers) {
  character.m_aStats[0].m_nValue = -7;
  character.m_aStats[1].m_nValue = INT_MIN;
  character.m_aSkills[0].m_nValue = INT_MIN;
  character.m_aSkills[0].m_nModifier = INT_MIN;
  character.m_nPMAct = INT_MIN;
  character.m_nPMTot = INT_MAX;
  std::string text;
  model.StatText(0, text);
  EXPECT_EQ(text, "-7 (-1)");
  model.SkillText(0, text);
  EXPECT_EQ(text, "-2147483648 + -2147483648 = -2147483648 (-2147483648)");
  model.ScoreText(FormScore::PM, text);
  EXPECT_EQ(text, "-2147483648/2147483647");
}

TEST_F(FormModelTest, OddInputIsRefusedWithoutHarm) {
  CScriptedDraws draws;  // any roll fails the test
  EXPECT_FALSE(model.ChooseRace(2) || model.ChooseRace(-1));
  EXPECT_FALSE(model.ChooseArchetype(3, 0) || model.ChooseArchetype(0, 3));
  EXPECT_FALSE(model.SelectPocket(POCKET_COUNT));
  EXPECT_EQ(model.Archetype(-1), -1);
  std::string text = "old";
  model.StatText(4, text);
  EXPECT_EQ(text, "");

  // Rules without pockets, races or archetypes: nothing to select or roll.
  rules.m_nPockets = rules.m_nRaces = rules.m_nArchetypes = 0;
  CCharacter empty;
  CFormModel bare(rules, empty);
  const int archetypes[3] = {0, 0, 0};
  bare.Start(0, archetypes, 1, true, 3);
  EXPECT_EQ(bare.SelectedItem(EquipmentPlace::Pocket), -1);
  EXPECT_FALSE(bare.ChooseItem(EquipmentPlace::Pocket, 0));
  const CFormIdentity identity = bare.Identity();
  EXPECT_EQ(identity.race + identity.archetype, "");
  EXPECT_EQ(identity.hand, 3);
}

}  // namespace
