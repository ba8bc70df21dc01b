#include "web/binding/FormState.h"

#include "character/Dice.h"

void CFormState::Start(int firstArchetype) {
  const int archetypes[3] = {firstArchetype, firstArchetype, firstArchetype};
  StartWith(0, archetypes, 1, true, 1);
}

bool CFormState::StartWith(int race, const int archetypes[3], int archetypeCount, bool male,
                           int hand) {
  m_race = race < m_rules.RacesInUse() ? race : -1;
  for (int k = 0; k < 3; ++k)
    m_archetypes[k] = archetypes[k] >= 0 && archetypes[k] < m_rules.ArchetypesInUse() ? archetypes[k] : -1;
  m_useArchetype2 = archetypeCount >= 2;
  m_useArchetype3 = archetypeCount >= 3;
  m_male = male;
  m_rightHanded = true;
  m_leftHanded = false;
  m_pocket = 0;
  RollCharacteristics();
  RollSkills();
  if (hand == 2) ClickRightHanded();
  if (hand == 3) {
    if (m_character.m_aStats[2].m_nValue < AMBIDEXTERITY_MIN) return false;
    ClickLeftHanded();
  }
  return true;
}

void CFormState::RollCharacteristics() {
  // Without a race (rules without races) there is nothing to roll.
  if (::RollCharacteristics(m_character, m_rules, m_race)) SettleHands(m_leftHanded);
}

void CFormState::RollSkills() {
  // A list whose archetype is not in use shows the one of the list before it.
  if (!m_useArchetype2) m_archetypes[1] = m_archetypes[0];
  if (!m_useArchetype3) m_archetypes[2] = m_archetypes[1];
  const int inUse = m_useArchetype2 ? (m_useArchetype3 ? 3 : 2) : 1;
  ::RollSkills(m_character, m_rules, m_archetypes, inUse);
}

void CFormState::SettleHands(bool& other) {
  if (!m_rightHanded && !m_leftHanded) other = true;
  if (m_rightHanded && m_leftHanded && m_character.m_aStats[2].m_nValue < AMBIDEXTERITY_MIN)
    other = false;
}

void CFormState::ChooseRace(int race) {
  if (race < 0 || race >= m_rules.RacesInUse()) return;
  m_race = race;
  RollCharacteristics();
}

void CFormState::RerollRace() { RollCharacteristics(); }

void CFormState::ChooseArchetype(int list, int archetype) {
  if (list < 0 || list > 2 || archetype < 0 || archetype >= m_rules.ArchetypesInUse()) return;
  if ((list == 1 && !m_useArchetype2) || (list == 2 && !m_useArchetype3)) return;
  m_archetypes[list] = archetype;
  RollSkills();
}

void CFormState::RerollSkills() { RollSkills(); }

void CFormState::ClickUseArchetype2() {
  m_useArchetype2 = !m_useArchetype2;
  if (!m_useArchetype2) m_useArchetype3 = false;
  RollSkills();
}

void CFormState::ClickUseArchetype3() {
  if (!m_useArchetype2) return;
  m_useArchetype3 = !m_useArchetype3;
  RollSkills();
}

void CFormState::ClickMale() { m_male = true; }
void CFormState::ClickFemale() { m_male = false; }

void CFormState::ClickRightHanded() {
  m_rightHanded = !m_rightHanded;
  SettleHands(m_leftHanded);
}

void CFormState::ClickLeftHanded() {
  m_leftHanded = !m_leftHanded;
  SettleHands(m_rightHanded);
}

void CFormState::TakeName(const std::string& name) {
  m_name = name;
  m_character.m_strName = name;
}

void CFormState::ChooseItem(int list, int item) {
  if (list < 0 || list > 3) return;
  if (list == 3 && (m_pocket < 0 || m_pocket >= PocketsInUse(m_rules))) return;
  // A refused purchase leaves everything as it was; the list shows the held
  // item again.
  ::Purchase(m_character, m_rules, kListPlaces[list], m_pocket, item);
}

void CFormState::SelectPocket(int pocket) {
  if (pocket >= 0 && pocket < PocketsInUse(m_rules)) m_pocket = pocket;
}

std::vector<std::string> CFormState::TakeIdentity() {
  m_character.m_strName = m_name;
  std::vector<std::string> archetypes;
  const auto name = [this](int a) {
    return a >= 0 && a < m_rules.ArchetypesInUse() ? m_rules.m_aArchetypes[a].GetName()
                                                   : std::string();
  };
  archetypes.push_back(name(m_archetypes[0]));
  if (m_useArchetype2) archetypes.push_back(name(m_archetypes[1]));
  if (m_useArchetype3) archetypes.push_back(name(m_archetypes[2]));
  m_character.m_strArchetype = JoinArchetypes(archetypes);
  m_character.m_strRace = m_race >= 0 ? m_rules.m_aRaces[m_race].GetName() : std::string();
  m_character.m_bMale = m_male ? 1 : 0;
  m_character.m_nHand = m_rightHanded && m_leftHanded ? 3 : (m_rightHanded ? 1 : 2);
  return archetypes;
}

std::string CFormState::StatText(int c) const {
  const int v = m_character.m_aStats[c].m_nValue;
  std::string text;
  AppendNumber(text, v);
  text += " (";
  AppendNumber(text, v / 5);
  text += ')';
  return text;
}

std::string CFormState::SkillText(int s) const {
  const int v = m_character.m_aSkills[s].m_nValue;
  const int m = m_character.m_aSkills[s].m_nModifier;
  const int total = AddSaturating(v, m);
  std::string text;
  AppendNumber(text, v);
  text += " + ";
  AppendNumber(text, m);
  text += " = ";
  AppendNumber(text, total);
  text += " (";
  AppendNumber(text, AddSaturating(total, SkillBaseValue(m_character, m_rules, s)));
  text += ')';
  return text;
}

int CFormState::HeldId(int list) const {
  if (list == 3) {
    if (m_pocket < 0 || m_pocket >= PocketsInUse(m_rules)) return -1;
    return m_character.m_aPockets[m_pocket].m_nId;
  }
  return HeldItem(m_character, kListPlaces[list]).m_nId;
}

std::vector<int> CFormState::Offer(int list) const {
  std::vector<int> offer;
  const int held = HeldId(list);
  for (int i = 0; i < m_rules.ItemsInUse(); ++i) {
    const CItem& item = m_rules.m_aItems[i];
    if (item.m_nPrice <= m_character.m_nMoney || item.m_nId == held) offer.push_back(i);
  }
  return offer;
}

int CFormState::Selected(int list) const {
  const int held = HeldId(list);
  for (const int i : Offer(list)) {
    if (m_rules.m_aItems[i].m_nId == held) return i;
  }
  return -1;
}
