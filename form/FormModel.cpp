#include "form/FormModel.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <iterator>

#include "base/Win1252.h"
#include "character/Dice.h"
#include "character/Naming.h"
#include "character/SheetTexts.h"

namespace {

constexpr int LISTS = 3;

// A value text put together in place and handed over whole: the longest,
// a skill's, has four numbers of at most 11 characters and 9 others.
class CTextBuilder {
 public:
  CTextBuilder& operator<<(int value) {
    m_end = std::to_chars(m_end, std::end(m_text), value).ptr;
    return *this;
  }
  CTextBuilder& operator<<(std::string_view piece) {
    const size_t room = static_cast<size_t>(std::end(m_text) - m_end);
    m_end = std::copy_n(piece.data(), std::min(piece.size(), room), m_end);
    return *this;
  }
  void AssignTo(std::string& text) const {
    text.assign(m_text, static_cast<size_t>(m_end - m_text));
  }

 private:
  char m_text[64];
  char* m_end = m_text;
};

// Copies every field of `from` into `to`; a character is not copyable as a
// whole.
void CopyCharacter(const CCharacter& from, CCharacter& to) {
  if (&from == &to) return;
  std::copy(std::begin(from.m_aStats), std::end(from.m_aStats), std::begin(to.m_aStats));
  std::copy(std::begin(from.m_aSkills), std::end(from.m_aSkills), std::begin(to.m_aSkills));
  for (int p = 0; p < MAX_POCKETS; ++p) to.m_aPockets[p].CopyFrom(from.m_aPockets[p]);
  to.m_itemRight.CopyFrom(from.m_itemRight);
  to.m_itemLeft.CopyFrom(from.m_itemLeft);
  to.m_itemWorn.CopyFrom(from.m_itemWorn);
  to.m_strName = from.m_strName;
  to.m_strRace = from.m_strRace;
  to.m_strArchetype = from.m_strArchetype;
  to.m_bMale = from.m_bMale;
  to.m_nHand = from.m_nHand;
  to.m_nArmour = from.m_nArmour;
  to.m_nHonour = from.m_nHonour;
  to.m_nMoney = from.m_nMoney;
  to.m_nCdB = from.m_nCdB;
  to.m_nPFAct = from.m_nPFAct;
  to.m_nPMAct = from.m_nPMAct;
  to.m_nPFTot = from.m_nPFTot;
  to.m_nPMTot = from.m_nPMTot;
}

// Puts `value` in `current` when it lies from 0 to `total` and differs from
// what `current` holds; false otherwise, `current` untouched.
bool SetWithin(int& current, int value, int total) {
  if (value < 0 || value > total || value == current) return false;
  current = value;
  return true;
}

}  // namespace

CFormModel::CFormModel(const CRules& rules, CCharacter& character)
    : m_rules(rules), m_character(character) {
  m_nCharacteristics = rules.CharacteristicsInUse();
  m_nSkills = rules.SkillsInUse();
  m_nItems = rules.ItemsInUse();
  for (int i = 0; i < m_nItems; ++i) m_aSortedPrices[i] = rules.m_aItems[i].m_nPrice;
  std::sort(m_aSortedPrices, m_aSortedPrices + m_nItems);

  if (rules.RacesInUse() > 0) m_nRace = 0;
  if (rules.ArchetypesInUse() > 0) std::fill(std::begin(m_aArchetypes), std::end(m_aArchetypes), 0);
  if (Pockets() > 0) m_nPocket = 0;
}

void CFormModel::SetChoices(int race, const int archetypes[3], int archetypeCount, bool male,
                            int hand) {
  const int count = std::clamp(archetypeCount, 1, LISTS);
  m_nRace = race >= 0 && race < m_rules.RacesInUse() ? race : -1;
  for (int k = 0; k < LISTS; ++k) {
    const int archetype = archetypes != nullptr && k < count ? archetypes[k] : -1;
    if (k >= count) {
      m_aArchetypes[k] = m_aArchetypes[k - 1];
    } else {
      m_aArchetypes[k] = archetype >= 0 && archetype < m_rules.ArchetypesInUse() ? archetype : -1;
    }
  }
  m_bUse2 = count >= 2;
  m_bUse3 = count >= 3;
  m_bMale = male;
  m_bRight = hand == HAND_RIGHT || hand == HAND_BOTH;
  m_bLeft = hand != HAND_RIGHT;
  m_nPocket = Pockets() > 0 ? 0 : -1;
}

void CFormModel::Start(int race, const int archetypes[3], int archetypeCount, bool male, int hand) {
  SetChoices(race, archetypes, archetypeCount, male, hand);
  RerollRace();
  RollSkills();
}

void CFormModel::Restore(const CCharacter& character, int race, const int archetypes[3],
                         int archetypeCount, bool male, int hand) {
  SetChoices(race, archetypes, archetypeCount, male, hand);
  CopyCharacter(character, m_character);
}

bool CFormModel::ChooseRace(int race) {
  if (!RollCharacteristics(m_character, m_rules, race)) return false;
  m_nRace = race;
  // No box was clicked: a new roll can take both hands away, never grant them.
  SettleHands(m_bLeft);
  return true;
}

bool CFormModel::RerollRace() { return ChooseRace(m_nRace); }

bool CFormModel::SelectArchetype(int list, int archetype) {
  if (list < 0 || list >= LISTS || archetype < 0 || archetype >= m_rules.ArchetypesInUse())
    return false;
  m_aArchetypes[list] = archetype;
  return true;
}

bool CFormModel::RollSkills() {
  // A list whose archetype is not in use shows the one of the list before it.
  // The three lists hold the same entries, so the same archetype is the same
  // entry in each, two archetypes of one name included.
  if (!m_bUse2) m_aArchetypes[1] = m_aArchetypes[0];
  if (!m_bUse3) m_aArchetypes[2] = m_aArchetypes[1];
  return ::RollSkills(m_character, m_rules, m_aArchetypes, ArchetypesInUse());
}

bool CFormModel::ChooseArchetype(int list, int archetype) {
  if (!SelectArchetype(list, archetype)) return false;
  return RollSkills();
}

bool CFormModel::SetSecondArchetypeBox(bool checked) {
  m_bUse2 = checked;
  if (!checked) m_bUse3 = false;
  return true;
}

bool CFormModel::SetThirdArchetypeBox(bool checked) {
  if (!m_bUse2) return false;
  m_bUse3 = checked;
  return true;
}

bool CFormModel::UseSecondArchetype(bool checked) {
  SetSecondArchetypeBox(checked);
  RollSkills();
  return true;
}

bool CFormModel::UseThirdArchetype(bool checked) {
  if (!SetThirdArchetypeBox(checked)) return false;
  RollSkills();
  return true;
}

void CFormModel::SettleHands(bool& other) {
  if (!m_bRight && !m_bLeft) other = true;
  if (m_bRight && m_bLeft && m_character.m_aStats[2].m_nValue < AMBIDEXTERITY_MIN) other = false;
}

void CFormModel::SetRightHanded(bool checked) {
  m_bRight = checked;
  SettleHands(m_bLeft);
}

void CFormModel::SetLeftHanded(bool checked) {
  m_bLeft = checked;
  SettleHands(m_bRight);
}

void CFormModel::SetMale(bool male) { m_bMale = male; }

void CFormModel::SetName(std::string_view name) { m_character.m_strName = name; }

bool CFormModel::SelectPocket(int pocket) {
  if (pocket < 0 || pocket >= Pockets()) return false;
  m_nPocket = pocket;
  return true;
}

bool CFormModel::ChooseItem(EquipmentPlace place, int item) {
  if (!BuyItem(place, item)) return false;
  if (place != EquipmentPlace::Pocket) ApplyEquipmentEffects();
  return true;
}

bool CFormModel::BuyItem(EquipmentPlace place, int item) {
  if (!IsOffered(place, item)) return false;
  return Buy(m_character, m_rules, place, place == EquipmentPlace::Pocket ? m_nPocket : 0, item);
}

void CFormModel::ApplyEquipmentEffects() { ::ApplyEquipmentEffects(m_character, m_rules); }

bool CFormModel::SetCurrentPF(int value) {
  return SetWithin(m_character.m_nPFAct, value, m_character.m_nPFTot);
}

bool CFormModel::SetCurrentPM(int value) {
  return SetWithin(m_character.m_nPMAct, value, m_character.m_nPMTot);
}

// Nothing else follows the money: the lists read it when asked.
bool CFormModel::SetMoney(int value) { return SetWithin(m_character.m_nMoney, value, INT_MAX); }

int CFormModel::Archetype(int list) const {
  return list >= 0 && list < LISTS ? m_aArchetypes[list] : -1;
}

std::string CFormModel::PocketText(int pocket) { return PocketName(pocket); }

void CFormModel::StatText(int c, std::string& text) const {
  if (c < 0 || c >= m_nCharacteristics) {
    text.clear();
    return;
  }
  const int v = m_character.m_aStats[c].m_nValue;
  (CTextBuilder() << v << " (" << v / 5 << ")").AssignTo(text);
}

void CFormModel::SkillText(int s, std::string& text) const {
  if (s < 0 || s >= m_nSkills) {
    text.clear();
    return;
  }
  const int v = m_character.m_aSkills[s].m_nValue;
  const int m = m_character.m_aSkills[s].m_nModifier;
  const int total = AddSaturating(v, m);
  const int withBase = AddSaturating(total, SkillBaseValue(m_character, m_rules, s));
  (CTextBuilder() << v << " + " << m << " = " << total << " (" << withBase << ")").AssignTo(text);
}

std::string CFormModel::StatColumnHeading() { return std::string(SHEET_WORDS.statColumns[0]); }

std::string CFormModel::SkillColumnHeading() {
  const auto& words = SHEET_WORDS.skillColumns;
  std::string heading(words[0]);
  heading += " + ";
  heading += words[1];
  heading += " = ";
  heading += words[2];
  heading += " (";
  heading += words[3];
  heading += ')';
  return heading;
}

void CFormModel::ScoreText(FormScore score, std::string& text) const {
  const CCharacter& ch = m_character;
  CTextBuilder builder;
  switch (score) {
    case FormScore::Honour:
      builder << ch.m_nHonour;
      break;
    case FormScore::Money:
      builder << ch.m_nMoney;
      break;
    case FormScore::Protection:
      builder << ch.m_nArmour;
      break;
    case FormScore::CdB:
      builder << ch.m_nCdB;
      break;
    case FormScore::PF:
      builder << ch.m_nPFAct << "/" << ch.m_nPFTot;
      break;
    case FormScore::PM:
      builder << ch.m_nPMAct << "/" << ch.m_nPMTot;
      break;
  }
  builder.AssignTo(text);
}

int CFormModel::HeldId(EquipmentPlace place) const {
  switch (place) {
    case EquipmentPlace::Right:
      return m_character.m_itemRight.m_nId;
    case EquipmentPlace::Left:
      return m_character.m_itemLeft.m_nId;
    case EquipmentPlace::Worn:
      return m_character.m_itemWorn.m_nId;
    case EquipmentPlace::Pocket:
      break;
  }
  return PocketId(m_nPocket);
}

int CFormModel::PocketId(int pocket) const {
  return pocket >= 0 && pocket < Pockets() ? m_character.m_aPockets[pocket].m_nId : -1;
}

bool CFormModel::IsOffered(EquipmentPlace place, int item) const {
  if (item < 0 || item >= m_nItems) return false;
  // The price against the money alone: the held item is not traded in here,
  // and it is offered whatever it costs.
  return m_rules.m_aItems[item].m_nPrice <= m_character.m_nMoney || item == HeldId(place);
}

int CFormModel::OfferedItems(EquipmentPlace place, int items[MAX_ITEMS]) const {
  return OfferedAround(HeldId(place), items);
}

int CFormModel::OfferedPocketItems(int pocket, int items[MAX_ITEMS]) const {
  return OfferedAround(PocketId(pocket), items);
}

int CFormModel::OfferedAround(int held, int items[MAX_ITEMS]) const {
  // IsOffered for every item, with what it looks up looked up once.
  const int money = m_character.m_nMoney;
  int offered = 0;
  for (int i = 0; i < m_nItems; ++i) {
    if (m_rules.m_aItems[i].m_nPrice <= money || i == held) items[offered++] = i;
  }
  return offered;
}

COfferSignature CFormModel::OfferSignature(EquipmentPlace place) const {
  return SignatureAround(HeldId(place));
}

COfferSignature CFormModel::PocketOfferSignature(int pocket) const {
  return SignatureAround(PocketId(pocket));
}

COfferSignature CFormModel::SignatureAround(int held) const {
  const int* prices = m_aSortedPrices;
  const int* affordable = std::upper_bound(prices, prices + m_nItems, m_character.m_nMoney);
  return {static_cast<int>(affordable - prices), held};
}

int CFormModel::SelectedItem(EquipmentPlace place) const { return SelectedAmong(HeldId(place)); }

int CFormModel::PocketItem(int pocket) const { return SelectedAmong(PocketId(pocket)); }

int CFormModel::SelectedAmong(int held) const { return held >= 0 && held < m_nItems ? held : -1; }

CFormIdentity CFormModel::Identity() const {
  CFormIdentity identity;
  identity.name = m_character.m_strName;
  if (m_nRace >= 0) identity.race = m_rules.m_aRaces[m_nRace].GetName();
  for (int k = 0; k < ArchetypesInUse(); ++k) {
    const int archetype = m_aArchetypes[k];
    identity.archetypes.push_back(archetype >= 0 ? m_rules.m_aArchetypes[archetype].GetName()
                                                 : std::string());
  }
  identity.archetype = JoinArchetypes(identity.archetypes);
  identity.male = m_bMale ? 1 : 0;
  identity.hand = Hand();
  return identity;
}

CFormIdentity CFormModel::TakeIdentity() {
  CFormIdentity identity = Identity();
  m_character.m_strRace = identity.race;
  m_character.m_strArchetype = identity.archetype;
  m_character.m_bMale = identity.male;
  m_character.m_nHand = identity.hand;
  return identity;
}

std::string FitSheetName(std::string& name, std::string_view fileName) {
  // How much of a long name a message shows.
  constexpr size_t kShownName = 120;
  const std::string whole = name;
  const size_t lineBreak = whole.find('\r');
  if (lineBreak != std::string::npos) name.resize(lineBreak);
  if (name.size() > static_cast<size_t>(NAME_MAX_CHARS)) name.resize(NAME_MAX_CHARS);
  if (name == whole) return {};
  std::string why = "va a capo, e il campo del nome tiene una riga sola";
  if (lineBreak == std::string::npos) {
    why = "ha " + FormatNumber(static_cast<int>(std::min<size_t>(whole.size(), INT_MAX))) +
          " caratteri, ma il modulo ne tiene " + FormatNumber(NAME_MAX_CHARS);
  }
  return "Il nome del personaggio nella scheda " + QuotedTyped(fileName) + " " + why +
         ": il personaggio ora si chiama " + QuotedForMessage(name) + ". Il nome nella scheda " +
         "\xC3\xA8 " + QuotedForMessage(whole, kShownName) + ".";
}
