// The form's own rules over the core, for the page: what each control holds
// and shows, changed only by the user's actions. Plain values in, plain
// values out; the page reads its controls, calls one action, and shows the
// view again.
#pragma once

#include <string>
#include <vector>

#include "character/Character.h"
#include "character/Generation.h"
#include "rules/Rules.h"

// The form's rows: four characteristics and fifteen skills.
inline constexpr int FORM_CHARACTERISTICS = 4;
inline constexpr int FORM_SKILLS = 15;

// The places an equipment list buys into, in the order of the view's lists.
inline constexpr EquipmentPlace kListPlaces[4] = {EquipmentPlace::Right, EquipmentPlace::Left,
                                                  EquipmentPlace::Worn, EquipmentPlace::Pocket};

class CFormState {
 public:
  explicit CFormState(const CRules& rules) : m_rules(rules) {}

  // The form as it opens: the first race, archetype `firstArchetype` (the
  // first in the page's list order) in all three lists, male, right-handed,
  // pocket 0, and the first generation.
  void Start(int firstArchetype);
  // The same, with the choices of a link made before the first generation:
  // `race`, the `archetypeCount` (1..3) archetypes in use, the sex. The
  // hand is asked for after it: 1 right, 2 left, 3 both when the third
  // characteristic allows it (else right; the result says whether it did).
  bool StartWith(int race, const int archetypes[3], int archetypeCount, bool male, int hand);

  void ChooseRace(int race);
  void RerollRace();
  void ChooseArchetype(int list, int archetype);  // list 0..2
  void RerollSkills();
  void ClickUseArchetype2();
  void ClickUseArchetype3();
  void ClickMale();
  void ClickFemale();
  void ClickRightHanded();
  void ClickLeftHanded();
  // Takes the name as the form's field holds it (Windows-1252, at most 25).
  void TakeName(const std::string& name);
  void ChooseItem(int list, int item);  // list 0 right, 1 left, 2 worn, 3 pocket
  void SelectPocket(int pocket);

  // The identity a save or a print takes from the form into the character;
  // returns the archetypes in use by name.
  std::vector<std::string> TakeIdentity();

  // What the controls show.
  int Race() const { return m_race; }
  int Archetype(int list) const { return m_archetypes[list]; }
  bool UseArchetype2() const { return m_useArchetype2; }
  bool UseArchetype3() const { return m_useArchetype3; }
  bool Male() const { return m_male; }
  bool RightHanded() const { return m_rightHanded; }
  bool LeftHanded() const { return m_leftHanded; }
  int Pocket() const { return m_pocket; }
  const std::string& Name() const { return m_name; }
  std::string StatText(int c) const;
  std::string SkillText(int s) const;
  // Catalogue indices the list offers, in rules order, and the one selected
  // (-1 for none).
  std::vector<int> Offer(int list) const;
  int Selected(int list) const;
  const CCharacter& Character() const { return m_character; }
  CCharacter& Character() { return m_character; }

 private:
  int HeldId(int list) const;
  void RollCharacteristics();
  void RollSkills();
  void SettleHands(bool& other);

  const CRules& m_rules;
  CCharacter m_character;
  int m_race = -1;
  int m_archetypes[3] = {-1, -1, -1};
  bool m_useArchetype2 = false;
  bool m_useArchetype3 = false;
  bool m_male = true;
  bool m_rightHanded = true;
  bool m_leftHanded = false;
  int m_pocket = 0;
  std::string m_name;
};
