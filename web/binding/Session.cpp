#include "web/binding/Session.h"

#include <algorithm>

#include "character/Dice.h"
#include "character/Generation.h"
#include "character/SheetReader.h"
#include "rules/RulesCheck.h"
#include "base/Win1252.h"
#include "web/binding/Json.h"
#include "web/binding/Names.h"
#include "web/binding/Text.h"

namespace {

std::string Quoted(std::string_view text) {
  // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) of
  // const char* + std::string&&.
  std::string quoted(1, '"');
  quoted.append(text) += '"';
  return quoted;
}

// The names of `count` records, Windows-1252, as one UTF-8 list for a message.
template <typename NameOf>
std::string NameList(int count, NameOf nameOf) {
  std::string list;
  for (int i = 0; i < count; ++i) {
    if (i > 0) list += ", ";
    list += Win1252ToUtf8(nameOf(i));
  }
  return list;
}

std::string Lower(std::string text) {
  for (char& ch : text) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return text;
}

std::string Number(int value) { return FormatNumber(value); }

// A name pattern as tarvo-genera names its first character: every "{n}"
// becomes 1, the character's number.
std::string FirstCharacterName(std::string_view pattern) {
  constexpr std::string_view mark = "{n}";
  std::string name;
  size_t at = 0;
  for (size_t found; (found = pattern.find(mark, at)) != std::string_view::npos;
       at = found + mark.size()) {
    name.append(pattern.substr(at, found - at)) += '1';
  }
  return name.append(pattern.substr(at));
}

}  // namespace

CWebSession::CWebSession() : m_rules(std::make_unique<CRules>(nullptr)) {}

bool CWebSession::LoadRules(std::string_view bytes, std::string_view name, std::string& result) {
  auto rules = std::make_unique<CRules>(nullptr);
  const bool loaded = rules->LoadText(bytes, name);
  std::string message;
  if (!loaded) {
    const CRulesError& error = rules->GetLoadError();
    // The reader's own reason and line; the page has no folder to name.
    message = "Il file delle regole " + Quoted(name);
    if (error.m_kind == CRulesError::Kind::TooLarge) {
      message += " è troppo grande";
    } else {
      message += " non è valido";
      if (error.m_nLine > 0) message += ": riga " + std::to_string(error.m_nLine);
    }
    message += ": " + error.m_strReason + ".";
  }
  CJson json;
  json.Begin('{').Key("ok").Bool(loaded).Key("message").Text(message);
  json.Key("findings").Begin('[');
  // The check's first error is the refusal itself, said above. A file with
  // more findings than anyone reads (not rules at all, as a rule) has the
  // first thousand shown, and `more` says there are others.
  constexpr size_t kShown = 1000;
  const size_t most = loaded ? kShown : kShown + 1;
  std::vector<CRulesFinding> findings = CheckRules(bytes, most + 1);
  const bool more = findings.size() > most;
  if (more) findings.resize(most);
  bool refusalSaid = false;
  for (const CRulesFinding& finding : findings) {
    if (!loaded && finding.IsError() && !refusalSaid) {
      refusalSaid = true;
      continue;
    }
    json.Begin('{').Key("line").Number(finding.m_nLine).Key("error").Bool(finding.IsError());
    json.Key("text").Text(finding.m_strMessage).End('}');
  }
  json.End(']').Key("more").Bool(more).End('}');
  result = json.Result();
  if (!loaded) return false;

  m_form.reset();
  m_character.reset();
  m_rules = std::move(rules);
  m_rulesName = std::string(name);
  m_loaded = true;
  return true;
}

bool CWebSession::OpenSheet(std::string_view bytes, std::string_view name, std::string& result) {
  CJson json;
  json.Begin('{');
  CSheet sheet;
  CSheetError error;
  if (!m_form || !ReadSheetText(bytes, name, *m_rules, sheet, &error)) {
    std::string message;
    if (!m_form) {
      message = "Il modulo non è pronto.";
    } else if (error.m_kind == CSheetError::Kind::TooLarge) {
      message = "La scheda " + Quoted(name) + " è troppo grande: " + error.m_strReason + ".";
    } else {
      message = "La scheda " + Quoted(name) + " non è valida";
      if (error.m_nLine > 0) message += ": riga " + std::to_string(error.m_nLine);
      message += ": " + error.m_strReason + ".";
    }
    json.Key("ok").Bool(false).Key("message").Text(message).Key("notes").Begin('[').End(']');
    result = json.End('}').Result();
    return false;
  }
  CCharacter read;
  ApplySheet(sheet, *m_rules, read);
  NewForm();
  m_form->Restore(read, sheet.m_nRace, sheet.m_aArchetypes, sheet.m_nArchetypes, sheet.m_bMale,
                  sheet.m_nHand);
  json.Key("ok").Bool(true).Key("message").Text("").Key("notes").Begin('[');
  // tarvo-genera writes longer names than the form's field holds.
  if (sheet.m_strName.size() > static_cast<size_t>(NAME_MAX_CHARS)) {
    m_form->SetName(sheet.m_strName.substr(0, NAME_MAX_CHARS));
    json.Text("Il nome della scheda ha " + std::to_string(sheet.m_strName.size()) +
              " caratteri, più dei " + std::to_string(NAME_MAX_CHARS) + " del modulo: resta \"" +
              Win1252ToUtf8(m_form->Name()) + "\".");
  }
  json.End(']');
  result = json.End('}').Result();
  return true;
}

void CWebSession::NewForm() {
  m_offersShown = false;
  m_form.reset();
  m_character = std::make_unique<CCharacter>();
  m_form = std::make_unique<CFormModel>(*m_rules, *m_character);
}

void CWebSession::Start(std::uint32_t seed, int firstArchetype) {
  NewForm();
  SeedRandom(seed);
  const int archetypes[3] = {firstArchetype, firstArchetype, firstArchetype};
  m_form->Start(0, archetypes, 1, true, 1);
}

std::vector<std::string> CWebSession::StartFromLink(std::uint32_t seed, int firstArchetype,
                                                    const CLinkChoices& link) {
  std::vector<std::string> said;
  const CRules& rules = *m_rules;
  int race = 0;
  if (!link.race.empty()) {
    const auto raceName = [&rules](int r) { return rules.m_aRaces[r].GetName(); };
    const int found = MatchName(link.race, rules.RacesInUse(), raceName);
    if (found >= 0) {
      race = found;
    } else {
      said.push_back("razza sconosciuta: " + Quoted(link.race) +
                     "; le razze sono: " + NameList(rules.RacesInUse(), raceName));
    }
  }
  int archetypes[3] = {firstArchetype, firstArchetype, firstArchetype};
  int count = 0;
  const auto archetypeName = [&rules](int a) { return rules.m_aArchetypes[a].GetName(); };
  for (const std::string& wanted : link.archetypes) {
    if (count == 3) {
      said.push_back("al massimo tre archetipi, non " + std::to_string(link.archetypes.size()));
      break;
    }
    const int found = MatchName(wanted, rules.ArchetypesInUse(), archetypeName);
    if (found >= 0) {
      archetypes[count++] = found;
    } else {
      said.push_back("archetipo sconosciuto: " + Quoted(wanted) +
                     "; gli archetipi sono: " + NameList(rules.ArchetypesInUse(), archetypeName));
    }
  }

  bool male = true;
  if (!link.sex.empty()) {
    const std::string sex = Lower(link.sex);
    if (sex == "m" || sex == "f") {
      male = sex == "m";
    } else {
      said.push_back("il sesso è m o f, non " + Quoted(link.sex));
    }
  }
  int hand = 1;
  if (!link.hand.empty()) {
    const std::string wanted = Lower(link.hand);
    if (wanted == "destra") {
      hand = 1;
    } else if (wanted == "sinistra") {
      hand = 2;
    } else if (wanted == "entrambe") {
      hand = 3;
    } else {
      said.push_back("la mano è destra, sinistra o entrambe, non " + Quoted(link.hand));
    }
  }

  NewForm();
  SeedRandom(seed);
  m_form->Start(race, archetypes, std::max(count, 1), male, hand);
  // Both hands need the third characteristic at AMBIDEXTERITY_MIN or more;
  // the form settled on the right hand alone.
  if (hand == 3 && m_form->Hand() != 3 && rules.RacesInUse() > 0) {
    const std::string label = rules.CharacteristicsInUse() > 2
                                  ? Win1252ToUtf8(rules.GetCharLabel(2))
                                  : std::string("terza caratteristica");
    said.push_back(label + " " + Number(m_character->m_aStats[2].m_nValue) + ", sotto " +
                   Number(AMBIDEXTERITY_MIN) + ": non può usare entrambe le mani, usa la destra");
  }
  if (link.hasName) TakeName(FirstCharacterName(link.name));
  return said;
}

bool CWebSession::Act(int action, int value) {
  if (!m_form || action < 0 || action >= static_cast<int>(FormAction::Count)) return false;
  CFormModel& form = *m_form;
  switch (static_cast<FormAction>(action)) {
    case FormAction::ChooseRace:
      return form.ChooseRace(value);
    case FormAction::RerollRace:
      return form.RerollRace();
    case FormAction::ChooseArchetype1:
      return form.ChooseArchetype(0, value);
    case FormAction::ChooseArchetype2:
      return form.UsesSecondArchetype() && form.ChooseArchetype(1, value);
    case FormAction::ChooseArchetype3:
      return form.UsesThirdArchetype() && form.ChooseArchetype(2, value);
    case FormAction::RerollSkills:
      return form.RerollSkills();
    case FormAction::UseArchetype2:
      return form.UseSecondArchetype(value != 0);
    case FormAction::UseArchetype3:
      return form.UseThirdArchetype(value != 0);
    case FormAction::ChooseMale:
      form.SetMale(true);
      return true;
    case FormAction::ChooseFemale:
      form.SetMale(false);
      return true;
    case FormAction::SetRightHanded:
      form.SetRightHanded(value != 0);
      return true;
    case FormAction::SetLeftHanded:
      form.SetLeftHanded(value != 0);
      return true;
    case FormAction::ChooseRightItem:
      return form.ChooseItem(EquipmentPlace::Right, value);
    case FormAction::ChooseLeftItem:
      return form.ChooseItem(EquipmentPlace::Left, value);
    case FormAction::ChooseWornItem:
      return form.ChooseItem(EquipmentPlace::Worn, value);
    case FormAction::SelectPocket:
      return form.SelectPocket(value);
    case FormAction::ChoosePocketItem:
      return form.ChooseItem(EquipmentPlace::Pocket, value);
    case FormAction::Count:
      break;
  }
  return false;
}

void CWebSession::TakeName(std::string_view typed) {
  if (m_form) m_form->SetName(Utf8ToWin1252(CutToUtf16Units(typed, NAME_MAX_CHARS)));
}

std::string CWebSession::RulesJson() const {
  const CRules& rules = *m_rules;
  CJson json;
  json.Begin('{');
  json.Key("file").Text(m_rulesName);
  json.Key("statLabels").Begin('[');
  for (int c = 0; c < std::min(rules.CharacteristicsInUse(), FORM_CHARACTERISTICS); ++c)
    json.GameText(rules.GetCharLabel(c));
  json.End(']');
  json.Key("skillLabels").Begin('[');
  for (int s = 0; s < std::min(rules.SkillsInUse(), FORM_SKILLS); ++s)
    json.GameText(rules.GetSkillLabel(s));
  json.End(']');
  json.Key("races").Begin('[');
  for (int r = 0; r < rules.RacesInUse(); ++r) json.GameText(rules.m_aRaces[r].GetName());
  json.End(']');
  json.Key("archetypes").Begin('[');
  for (int a = 0; a < rules.ArchetypesInUse(); ++a) json.GameText(rules.m_aArchetypes[a].GetName());
  json.End(']');
  json.Key("items").Begin('[');
  for (int i = 0; i < rules.ItemsInUse(); ++i) json.GameText(rules.m_aItems[i].GetName());
  json.End(']');
  json.Key("pocketNames").Begin('[');
  for (int p = 0; p < PocketsInUse(rules); ++p) json.Text(CFormModel::PocketText(p));
  json.End(']');
  json.Key("status").Text(STATUS_TEXT);
  json.End('}');
  return json.Result();
}

std::string_view CWebSession::ViewJson() {
  if (!m_form) return "null";
  const CFormModel& form = *m_form;
  const CRules& rules = *m_rules;
  std::string text;
  CJson& json = m_view;
  json.Clear();
  json.Begin('{');
  json.Key("name").GameText(form.Name());
  json.Key("race").Number(form.Race());
  json.Key("archetypes").Begin('[');
  for (int k = 0; k < 3; ++k) json.Number(form.Archetype(k));
  json.End(']');
  json.Key("useArchetype2").Bool(form.UsesSecondArchetype());
  json.Key("useArchetype3").Bool(form.UsesThirdArchetype());
  json.Key("archetype2Enabled").Bool(form.IsSecondArchetypeEnabled());
  json.Key("useArchetype3Enabled").Bool(form.IsThirdBoxEnabled());
  json.Key("archetype3Enabled").Bool(form.IsThirdArchetypeEnabled());
  json.Key("male").Bool(form.IsMale());
  json.Key("rightHanded").Bool(form.IsRightHanded());
  json.Key("leftHanded").Bool(form.IsLeftHanded());
  json.Key("stats").Begin('[');
  for (int c = 0; c < std::min(rules.CharacteristicsInUse(), FORM_CHARACTERISTICS); ++c) {
    form.StatText(c, text);
    json.Text(text);
  }
  json.End(']');
  json.Key("skills").Begin('[');
  for (int s = 0; s < std::min(rules.SkillsInUse(), FORM_SKILLS); ++s) {
    form.SkillText(s, text);
    json.Text(text);
  }
  json.End(']');
  const std::pair<const char*, FormScore> scores[] = {{"pf", FormScore::PF},
                                                      {"pm", FormScore::PM},
                                                      {"honour", FormScore::Honour},
                                                      {"cdb", FormScore::CdB},
                                                      {"protection", FormScore::Protection},
                                                      {"money", FormScore::Money}};
  for (const auto& [key, score] : scores) {
    form.ScoreText(score, text);
    json.Key(key).Text(text);
  }
  json.Key("pocket").Number(form.SelectedPocket());
  // Each list's offer as one character a catalogue item, "1" where it is
  // offered, or null when it offers what it offered in the last view.
  json.Key("lists").Begin('[');
  const int catalogue = rules.ItemsInUse();
  int list = 0;
  for (const EquipmentPlace place : {EquipmentPlace::Right, EquipmentPlace::Left,
                                     EquipmentPlace::Worn, EquipmentPlace::Pocket}) {
    const COfferSignature signature = form.OfferSignature(place);
    const bool same = m_offersShown && signature == m_shownOffers[list];
    m_shownOffers[list++] = signature;
    if (same) {
      json.Begin('{').Key("offer").Null().Key("selected").Number(form.SelectedItem(place));
      json.End('}');
      continue;
    }
    int items[MAX_ITEMS];
    const int count = form.OfferedItems(place, items);
    char offer[MAX_ITEMS];
    std::fill(offer, offer + catalogue, '0');
    for (int i = 0; i < count; ++i) offer[items[i]] = '1';
    json.Begin('{');
    json.Key("offer").Text(std::string_view(offer, static_cast<size_t>(catalogue)));
    json.Key("selected").Number(form.SelectedItem(place));
    json.End('}');
  }
  json.End(']');
  json.End('}');
  m_offersShown = true;
  return json.View();
}

std::string CWebSession::Sheet() {
  if (!m_form) return {};
  m_form->TakeIdentity();
  return m_character->SheetText(*m_rules);
}

std::string_view CWebSession::PrintJson() {
  if (!m_form) return "null";
  const std::vector<std::string> archetypes = m_form->TakeIdentity().archetypes;
  const CFormModel& form = *m_form;
  const CCharacter& ch = *m_character;
  const CRules& rules = *m_rules;
  CJson& json = m_print;
  json.Clear();
  json.Begin('{');
  // A name of blanks alone (control characters show as blanks) is no name.
  const bool named = std::any_of(ch.m_strName.begin(), ch.m_strName.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    const bool control = byte < 0x20 || byte == 0x7F || byte == 0x81 || byte == 0x8D ||
                         byte == 0x8F || byte == 0x90 || byte == 0x9D;
    return !control && byte != ' ' && byte != 0xA0;
  });
  json.Key("name");
  if (named) {
    json.GameText(ch.m_strName, true);
  } else {
    json.Text("Senza nome");
  }
  json.Key("race").GameText(ch.m_strRace, true);
  // Each name apart: the page lays them out on as many lines as they need.
  json.Key("archetypes").Begin('[');
  for (const std::string& name : archetypes) {
    if (!name.empty()) json.GameText(name, true);
  }
  json.End(']');
  json.Key("sex").Text(ch.m_bMale == 1 ? "Maschile" : "Femminile");
  json.Key("hand").Text(ch.m_nHand == 3 ? "Ambidestro" : (ch.m_nHand == 1 ? "Destro" : "Mancino"));
  json.Key("rules").Text(m_rulesName);

  // The value as the form shows it, with its fifth in brackets.
  std::string text;
  const int characteristics = rules.CharacteristicsInUse();
  json.Key("stats").Begin('[');
  for (int c = 0; c < characteristics; ++c) {
    const CStatValue& stat = ch.m_aStats[c];
    form.StatText(c, text);
    json.Begin('[').GameText(rules.GetCharLabel(c), true).Text(text);
    json.NumberText(stat.m_nModifier);
    json.NumberText(AddSaturating(stat.m_nValue, stat.m_nModifier)).End(']');
  }
  json.End(']');

  json.Key("scores").Begin('[');
  const std::pair<const char*, FormScore> scores[] = {{"PF", FormScore::PF},
                                                      {"PM", FormScore::PM},
                                                      {"Onore", FormScore::Honour},
                                                      {"C.d.B.", FormScore::CdB},
                                                      {"Protezione", FormScore::Protection},
                                                      {"Monete", FormScore::Money}};
  for (const auto& [label, score] : scores) {
    form.ScoreText(score, text);
    json.Begin('[').Text(label).Text(text).End(']');
  }
  json.End(']');

  // One group per characteristic, in rules order, of the skills resting on
  // it; last the skills whose base names no characteristic.
  json.Key("groups").Begin('[');
  const int skills = rules.SkillsInUse();
  for (int c = 0; c <= characteristics; ++c) {
    bool opened = false;
    for (int s = 0; s < skills; ++s) {
      const int base = rules.m_aSkillBase[s];
      const bool hasBase = base >= 0 && base < characteristics;
      if (c < characteristics ? base != c : hasBase) continue;
      if (!opened) {
        json.Begin('{').Key("heading");
        if (c < characteristics) {
          json.GameText(rules.GetCharLabel(c), true);
        } else {
          json.Text("Senza caratteristica");
        }
        json.Key("skills").Begin('[');
        opened = true;
      }
      const CSkillValue& skill = ch.m_aSkills[s];
      const int total = AddSaturating(skill.m_nValue, skill.m_nModifier);
      json.Begin('[').GameText(rules.GetSkillLabel(s), true);
      json.NumberText(skill.m_nValue).NumberText(skill.m_nModifier).NumberText(total);
      json.NumberText(AddSaturating(total, SkillBaseValue(ch, rules, s))).End(']');
    }
    if (opened) json.End(']').End('}');
  }
  json.End(']');

  // The type as it counts for the player: "Armatura", "Scudo", the skill or
  // the characteristic it changes, or nothing.
  json.Key("held").Begin('[');
  const std::pair<const char*, const CItem*> held[] = {{"Mano destra", &ch.m_itemRight},
                                                       {"Mano sinistra", &ch.m_itemLeft},
                                                       {"Addosso", &ch.m_itemWorn}};
  for (const auto& [place, item] : held) {
    json.Begin('[').Text(place).GameText(item->m_strName, true);
    json.GameText(ItemTypeName(rules, item->m_strType), true);
    json.NumberText(item->m_nPotenza).NumberText(item->m_nBonus).NumberText(item->m_nMod);
    json.End(']');
  }
  json.End(']');
  json.Key("pockets").Begin('[');
  for (int p = 0; p < PocketsInUse(rules); ++p) {
    json.Begin('[').Text(CFormModel::PocketText(p));
    json.GameText(ch.m_aPockets[p].m_strName, true).End(']');
  }
  json.End(']');
  json.End('}');
  return json.View();
}

std::string CWebSession::FileName(std::string_view typed) { return SheetFileName(typed); }
