// The generator's form without a toolkit: what the user has chosen on it (the
// race, the three archetype lists and their check boxes, sex, the two hand
// boxes, the selected pocket, the name), the form's own rules (lists not in
// use follow the one before them, at least one hand and both only with the
// third characteristic at AMBIDEXTERITY_MIN or more, which items each
// equipment list offers and selects) and every text its value fields show.
//
// A front end reads a control, tells the model what the user did with one
// plain call, and then shows what the model answers. Rolls, purchases and the
// settling of held items are the rules of play (character/Generation.h); the
// model calls them. Lists are answered with rules indices in rules order:
// sorting them for display is the front end's business.
//
// No call throws for any argument: an index outside the rules is refused (the
// call returns false and changes nothing) or answers "none" (-1).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "character/Character.h"
#include "character/Generation.h"
#include "rules/Rules.h"

// Rows the form has for characteristics and skills; the rules may hold more,
// which the form does not show.
inline constexpr int FORM_CHARACTERISTICS = 4;
inline constexpr int FORM_SKILLS = 15;
// Characters the name field holds.
inline constexpr int NAME_MAX_CHARS = 25;
// The form's status line.
inline constexpr const char* STATUS_TEXT = "TARVO v1.2 - Support for Velmor v1.2.x Character";

// The score fields of the form.
enum class FormScore { Honour, Money, Protection, CdB, PF, PM };

// What decides which items an equipment list offers: two lists, or one list at
// two moments, with equal signatures offer the same items. A front end that
// keeps the signature it last showed can skip a list whose signature is the
// same.
struct COfferSignature {
  int affordable = 0;  // catalogue items whose price is at most the money
  int held = -1;       // id of the item held in the list's place; -1 none
  bool operator==(const COfferSignature&) const = default;
};

// What a save writes of the form besides the character's values.
struct CFormIdentity {
  std::string name;                     // the character's name
  std::string race;                     // the selected race's name; empty without one
  std::vector<std::string> archetypes;  // the archetypes in use, in list order
  std::string archetype;                // those names joined by "/"
  unsigned char male = 1;               // 1 male, 0 female
  int hand = HAND_RIGHT;                // a HAND_ code
};

// A character's name read from a sheet, fitted to the form's name field,
// which holds one line of NAME_MAX_CHARS characters (one byte each in the
// sheet's code page): cut at a line break, then to that many characters.
// tarvo-genera writes longer names, and a sheet may hold a carriage return
// inside its name line. When the name had to be cut, returns what the form
// tells the player (UTF-8), naming the sheet by `fileName` (its bytes);
// otherwise nothing.
std::string FitSheetName(std::string& name, std::string_view fileName);

class CFormModel {
 public:
  // Works on `rules` and `character`, which outlive the model; the rules stay
  // as they are while it lives, as loaded rules do. Starts as the form opens,
  // before anything is rolled: the first race and archetype 0 in every list
  // (none when the rules have none), neither archetype box checked,
  // right-handed, male, pocket 0 selected.
  CFormModel(const CRules& rules, CCharacter& character);
  CFormModel(const CFormModel&) = delete;
  CFormModel& operator=(const CFormModel&) = delete;

  // The form set up with these choices and its first character rolled, as the
  // form does when it opens: the characteristics (the hand boxes then settle
  // as after any roll: both hands below AMBIDEXTERITY_MIN leave the right),
  // then skills, money and honour. `archetypes` holds the archetypes of the
  // lists in use, the first `archetypeCount` (1 to 3); the lists after them
  // follow the one before. `hand`: HAND_RIGHT, HAND_BOTH, anything else left.
  // Pocket 0 is selected; the character's name stays as it is.
  void Start(int race, const int archetypes[3], int archetypeCount, bool male, int hand);

  // The form showing a finished `character`, nothing rolled: its values,
  // items, money and name are copied, the choices are set as Start sets them
  // and the hand boxes are taken as given, not settled again.
  void Restore(const CCharacter& character, int race, const int archetypes[3], int archetypeCount,
               bool male, int hand);

  // ---- What the user does.

  // A race chosen: it is selected and the characteristics are rolled from it;
  // the hand boxes settle. False, changing nothing, for a race not in the rules.
  bool ChooseRace(int race);
  // "R!" beside the race: the same with the selected race.
  bool RerollRace();

  // List `list` (0 to 2) shows `archetype`; nothing is rolled. False, changing
  // nothing, for a list or an archetype not in the rules.
  bool SelectArchetype(int list, int archetype);
  // The skill step: each list whose box is not checked takes the archetype of
  // the list before it, then skills, money and honour are rolled from the
  // archetypes in use and the held items settled against the new money. False
  // when there is no archetype to roll from.
  bool RollSkills();
  // An archetype chosen in list `list`: SelectArchetype, then RollSkills.
  bool ChooseArchetype(int list, int archetype);
  // "R!" beside the first archetype.
  bool RerollSkills() { return RollSkills(); }
  // The box of the second or third archetype clicked to `checked`; the boxes
  // and lists it governs follow. Unchecking the second unchecks the third.
  // The third box cannot change while the second is unchecked: false,
  // nothing changed.
  bool SetSecondArchetypeBox(bool checked);
  bool SetThirdArchetypeBox(bool checked);
  // The same, then the skills rolled (when there are archetypes to roll
  // them from).
  bool UseSecondArchetype(bool checked);
  bool UseThirdArchetype(bool checked);

  // A hand box clicked to `checked`. At least one hand stays checked (the
  // other box is checked when both would be off), and both only with the
  // third characteristic at AMBIDEXTERITY_MIN or more (otherwise the other box
  // is unchecked).
  void SetRightHanded(bool checked);
  void SetLeftHanded(bool checked);

  // The sex radio buttons: exactly one is checked.
  void SetMale(bool male);

  // The name, as the name field holds it when the user leaves it.
  void SetName(std::string_view name);

  // The pocket whose item the pocket list shows. False, changing nothing, for
  // a pocket the rules do not have.
  bool SelectPocket(int pocket);

  // Catalogue item `item` chosen in the list of `place` (the selected pocket
  // for EquipmentPlace::Pocket): bought, trading in the held item at the
  // price paid for it. False, changing nothing, when the list does not offer
  // the item or the money does not reach.
  bool ChooseItem(EquipmentPlace place, int item);
  // The same in two steps, for a front end that runs the equipment effects as
  // a step of its own: BuyItem is ChooseItem without them, and
  // ApplyEquipmentEffects recomputes them from the hands and the worn item.
  bool BuyItem(EquipmentPlace place, int item);
  void ApplyEquipmentEffects();

  // ---- What changes at the table, once play starts.

  // The current PF and PM, as wounds and spent mana leave them: from 0 to the
  // character's total. False, changing nothing, outside that range or for the
  // value the character already has.
  bool SetCurrentPF(int value);
  bool SetCurrentPM(int value);
  // The money after coins are spent or earned: 0 or more. The equipment lists
  // then offer what the new money pays for; the held items stay. False,
  // changing nothing, below 0 or for the money the character already has.
  bool SetMoney(int value);

  // ---- What the form shows.

  int Race() const { return m_nRace; }
  // The archetype list `list` shows (0 to 2), or -1.
  int Archetype(int list) const;
  // Check states of the archetype boxes, and how many archetypes are in use.
  bool UsesSecondArchetype() const { return m_bUse2; }
  bool UsesThirdArchetype() const { return m_bUse3; }
  int ArchetypesInUse() const { return m_bUse2 ? (m_bUse3 ? 3 : 2) : 1; }
  // Enabled states: the second list and the third box while the second box is
  // checked, the third list while the third box is.
  bool IsSecondArchetypeEnabled() const { return m_bUse2; }
  bool IsThirdBoxEnabled() const { return m_bUse2; }
  bool IsThirdArchetypeEnabled() const { return m_bUse3; }

  bool IsRightHanded() const { return m_bRight; }
  bool IsLeftHanded() const { return m_bLeft; }
  // 3 both hands, 1 the right alone, 2 the left alone.
  int Hand() const { return m_bRight && m_bLeft ? HAND_BOTH : (m_bRight ? HAND_RIGHT : HAND_LEFT); }
  bool IsMale() const { return m_bMale; }
  const std::string& Name() const { return m_character.m_strName; }

  // The pockets, their entries in the pocket list ("Tasca 0" ...) and the
  // selected one (-1 when the rules have none).
  int Pockets() const { return PocketsInUse(m_rules); }
  static std::string PocketText(int pocket);
  int SelectedPocket() const { return m_nPocket; }

  // The text of characteristic `c`'s value field: "12 (2)". Empty for a
  // characteristic not in use.
  void StatText(int c, std::string& text) const;
  // The text of skill `s`'s value field: value, modifier, their sum and the
  // sum with the base characteristic, "7 + -2 = 5 (17)". Empty for a skill
  // not in use.
  void SkillText(int s, std::string& text) const;
  // The text of a score field: a number, or "7/7" for PF and PM.
  void ScoreText(FormScore score, std::string& text) const;
  // The headings over the columns of those value fields, in the printed
  // sheet's words: "Valore" over "12 (2)", "Valore + Mod. = Totale (+ Car.)"
  // over "7 + -2 = 5 (17)".
  static std::string StatColumnHeading();
  static std::string SkillColumnHeading();

  // Whether the list of `place` offers catalogue item `item`: the money pays
  // for it, or it is the item held there, whatever it costs.
  bool IsOffered(EquipmentPlace place, int item) const;
  // The catalogue indices the list offers, in rules order; returns how many.
  int OfferedItems(EquipmentPlace place, int items[MAX_ITEMS]) const;
  COfferSignature OfferSignature(EquipmentPlace place) const;
  // The catalogue index the list selects, the held item's, or -1.
  int SelectedItem(EquipmentPlace place) const;
  // The same for pocket `pocket` (0 to Pockets() - 1), whether selected or
  // not: what the pocket list offers and selects once that pocket is
  // selected. For a front end that shows every pocket's list at once.
  int OfferedPocketItems(int pocket, int items[MAX_ITEMS]) const;
  COfferSignature PocketOfferSignature(int pocket) const;
  int PocketItem(int pocket) const;

  // What a save writes besides the values; TakeIdentity also writes it into
  // the character, as every save does.
  CFormIdentity Identity() const;
  CFormIdentity TakeIdentity();

  const CRules& Rules() const { return m_rules; }
  const CCharacter& Character() const { return m_character; }

 private:
  // The form's choices as Start and Restore set them.
  void SetChoices(int race, const int archetypes[3], int archetypeCount, bool male, int hand);
  // The hand rule after a click on one box (or a roll): `other` is the box it
  // may change.
  void SettleHands(bool& other);
  // The id of the item held in the list's place, or -1 (no pocket selected).
  int HeldId(EquipmentPlace place) const;
  // Pocket `pocket`'s item id; -1 for a pocket the rules do not have.
  int PocketId(int pocket) const;
  // What a list holding item id `held` offers, its signature, what it selects.
  int OfferedAround(int held, int items[MAX_ITEMS]) const;
  COfferSignature SignatureAround(int held) const;
  int SelectedAmong(int held) const;

  const CRules& m_rules;
  CCharacter& m_character;
  // The counts in use, and the items' prices from the lowest up for the
  // offer signatures.
  int m_nCharacteristics = 0;
  int m_nSkills = 0;
  int m_nItems = 0;
  int m_aSortedPrices[MAX_ITEMS] = {};

  int m_nRace = -1;
  int m_aArchetypes[3] = {-1, -1, -1};
  bool m_bUse2 = false;
  bool m_bUse3 = false;
  bool m_bRight = true;
  bool m_bLeft = false;
  bool m_bMale = true;
  int m_nPocket = -1;
};
