#include "web/binding/Session.h"

#include <algorithm>

#include "base/Json.h"
#include "base/Win1252.h"
#include "character/Dice.h"
#include "character/Foundry.h"
#include "character/Generation.h"
#include "character/Naming.h"
#include "character/SheetReader.h"
#include "character/SheetTexts.h"
#include "rules/RulesCheck.h"

CWebSession::CWebSession() : m_rules(std::make_unique<CRules>(nullptr)) {}

namespace {

// Why rules that loaded make no character, or nothing: a file with an error
// of the check, or without a race or an archetype.
std::string NoCharacterReason(const CRules& rules, const std::vector<CRulesFinding>& findings) {
  if (std::any_of(findings.begin(), findings.end(),
                  [](const CRulesFinding& finding) { return finding.IsError(); }))
    return "hanno errori: con esse non si fa nessun personaggio";
  if (rules.RacesInUse() == 0) return "non hanno razze: nessun personaggio possibile";
  if (rules.ArchetypesInUse() == 0) return "non hanno archetipi: nessun personaggio possibile";
  return {};
}

}  // namespace

bool CWebSession::LoadRules(std::string_view bytes, std::string_view name, std::string& result,
                            bool acceptWarnings) {
  m_pendingRules.reset();
  auto rules = std::make_unique<CRules>(nullptr);
  // A file with a NUL byte is no text, and no rules: a picture, an archive.
  // A file larger than any rules gets the reader's own refusal.
  const bool text = bytes.size() > RULES_SIZE_LIMIT || bytes.find('\0') == std::string_view::npos;
  const bool loaded = text && rules->LoadText(bytes, name);
  std::string message;
  if (!text) {
    message = "Il file " + QuotedTyped(name) + " non \xC3\xA8 un file di testo: non sono regole.";
  } else if (!loaded) {
    const CRulesError& error = rules->GetLoadError();
    // The reader's own reason and line; the page has no folder to name.
    message = "Il file delle regole " + QuotedTyped(name);
    if (error.m_kind == CRulesError::Kind::TooLarge) {
      message += " \xC3\xA8 troppo grande";
    } else {
      message += " non \xC3\xA8 valido";
      if (error.m_nLine > 0) message += ": riga " + std::to_string(error.m_nLine);
    }
    message += ": " + error.m_strReason + ".";
  }
  // The check's first error is the refusal itself, said above. A file with
  // more findings than anyone reads (not rules at all, as a rule) has the
  // first thousand shown, and `more` says there are others.
  constexpr size_t kShown = 1000;
  const size_t most = loaded ? kShown : kShown + 1;
  std::vector<CRulesFinding> findings;
  if (text) findings = CheckRules(bytes, most + 1);
  const bool more = findings.size() > most;
  if (more) findings.resize(most);
  bool usable = loaded;
  if (loaded) {
    const std::string why = NoCharacterReason(*rules, findings);
    if (!why.empty()) {
      message = "Le regole " + QuotedTyped(name) + " " + why + ".";
      usable = false;
    }
  }
  // Rules with warnings wait for the player's word (UsePendingRules).
  const bool pending = usable && !acceptWarnings && !findings.empty();

  CJson json;
  json.Begin('{').Key("ok").Bool(usable && !pending).Key("pending").Bool(pending);
  json.Key("message").Text(message);
  json.Key("findings").Begin('[');
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
  if (!usable) return false;
  if (pending) {
    m_pendingRules = std::move(rules);
    m_pendingName = std::string(name);
    m_pendingHash = RulesHash(bytes);
    return false;
  }
  Use(std::move(rules), name, RulesHash(bytes));
  return true;
}

bool CWebSession::UsePendingRules() {
  if (!m_pendingRules) return false;
  Use(std::move(m_pendingRules), m_pendingName, m_pendingHash);
  return true;
}

void CWebSession::Use(std::unique_ptr<CRules> rules, std::string_view name, std::string hash) {
  m_form.reset();
  m_character.reset();
  m_rules = std::move(rules);
  m_rulesName = std::string(name);
  m_rulesHash = std::move(hash);
  m_loaded = true;
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
      message = "La scheda " + QuotedTyped(name) + " è troppo grande: " + error.m_strReason + ".";
    } else {
      message = "La scheda " + QuotedTyped(name) + " non è valida";
      if (error.m_nLine > 0) message += ": riga " + std::to_string(error.m_nLine);
      message += ": " + error.m_strReason + ".";
    }
    json.Key("ok").Bool(false).Key("message").Text(message).Key("notes").Begin('[').End(']');
    result = json.End('}').Result();
    return false;
  }
  const std::string notice = FitSheetName(sheet.m_strName, name);
  CCharacter read;
  ApplySheet(sheet, *m_rules, read);
  NewForm();
  m_form->Restore(read, sheet.m_nRace, sheet.m_aArchetypes, sheet.m_nArchetypes, sheet.m_bMale,
                  sheet.m_nHand);
  json.Key("ok").Bool(true).Key("message").Text("").Key("notes").Begin('[');
  if (!notice.empty()) json.Text(notice);
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
  CLinkStart start = ResolveLink(*m_rules, link, firstArchetype);
  NewForm();
  SeedRandom(seed);
  m_form->Start(start.race, start.archetypes, start.archetypeCount, start.male, start.hand);
  // The form settled on the right hand alone.
  if (start.hand == HAND_BOTH && m_form->Hand() != HAND_BOTH && m_rules->RacesInUse() > 0)
    start.problems.push_back(BothHandsRefused(*m_rules, *m_character));
  if (link.hasName) TakeName(NumberedName(link.name, 1));
  return start.problems;
}

bool CWebSession::Act(int action, int value) {
  return m_form && ApplyFormAction(*m_form, action, value);
}

void CWebSession::TakeName(std::string_view typed) {
  if (m_form) m_form->SetName(Utf8ToWin1252(CutToUtf16Units(typed, NAME_MAX_CHARS)));
}

std::string CWebSession::RulesJson() const {
  const CRules& rules = *m_rules;
  CJson json;
  json.Begin('{');
  json.Key("file").Text(m_rulesName);
  // The rules named by their bytes, the bundled ones too: what the page keeps
  // to know them again.
  json.Key("hash").Text(m_rulesHash);
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
  json.Key("prices").Begin('[');
  for (int i = 0; i < rules.ItemsInUse(); ++i) json.Number(rules.m_aItems[i].m_nPrice);
  json.End(']');
  json.Key("pocketNames").Begin('[');
  for (int p = 0; p < PocketsInUse(rules); ++p) json.Text(CFormModel::PocketText(p));
  json.End(']');
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
  // The numbers behind the PF, PM and money fields, with the limits the play
  // buttons keep them within.
  const CCharacter& played = form.Character();
  json.Key("play").Begin('{');
  json.Key("pf").Number(played.m_nPFAct).Key("pfTotal").Number(played.m_nPFTot);
  json.Key("pm").Number(played.m_nPMAct).Key("pmTotal").Number(played.m_nPMTot);
  json.Key("money").Number(played.m_nMoney).End('}');
  json.Key("pocket").Number(form.SelectedPocket());
  // Every equipment list: the hands, worn, then each pocket's. A list's offer
  // is one character a catalogue item, "1" where it is offered, or null when
  // it offers what it offered in the last view.
  json.Key("lists").Begin('[');
  const int catalogue = rules.ItemsInUse();
  int items[MAX_ITEMS];
  char offer[MAX_ITEMS];
  const auto list = [&](int shown, COfferSignature signature, int selected, auto offered) {
    const bool same = m_offersShown && signature == m_shownOffers[shown];
    m_shownOffers[shown] = signature;
    json.Begin('{').Key("offer");
    if (same) {
      json.Null();
    } else {
      const int count = offered();
      std::fill(offer, offer + catalogue, '0');
      for (int i = 0; i < count; ++i) offer[items[i]] = '1';
      json.Text(std::string_view(offer, static_cast<size_t>(catalogue)));
    }
    json.Key("selected").Number(selected).End('}');
  };
  int shown = 0;
  for (const EquipmentPlace place :
       {EquipmentPlace::Right, EquipmentPlace::Left, EquipmentPlace::Worn}) {
    list(shown++, form.OfferSignature(place), form.SelectedItem(place),
         [&] { return form.OfferedItems(place, items); });
  }
  for (int p = 0; p < form.Pockets(); ++p) {
    list(shown++, form.PocketOfferSignature(p), form.PocketItem(p),
         [&] { return form.OfferedPocketItems(p, items); });
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

std::string CWebSession::FoundryJson() {
  if (!m_form) return {};
  std::vector<std::string> archetypes = m_form->TakeIdentity().archetypes;
  return FoundryActorJson(
      {*m_character, *m_rules, std::move(archetypes), m_rulesName, m_rulesHash, std::nullopt});
}

std::string_view CWebSession::PrintJson() {
  if (!m_form) return "null";
  CSheetTexts& texts = m_printTexts;
  MakeSheetTexts(*m_character, *m_rules, m_form->TakeIdentity().archetypes, m_rulesName, texts);
  CJson& json = m_print;
  json.Clear();
  // Every text as the sheet shows it: control characters as blanks. The rules
  // file is named as the page was given it.
  const auto row = [&json](std::initializer_list<const std::string*> cells) {
    json.Begin('[');
    for (const std::string* cell : cells) json.GameText(*cell, true);
    json.End(']');
  };
  json.Begin('{');
  json.Key("name").GameText(texts.name, true);
  json.Key("race").GameText(texts.race, true);
  json.Key("archetypes").Begin('[');
  for (const std::string& name : texts.archetypes) json.GameText(name, true);
  json.End(']');
  json.Key("sex").GameText(texts.sex, true);
  json.Key("hand").GameText(texts.hand, true);
  json.Key("rules").Text(m_rulesName);
  json.Key("program").GameText(texts.program, true);
  json.Key("stats").Begin('[');
  for (const CSheetTexts::Stat& s : texts.stats) row({&s.label, &s.value, &s.modifier, &s.total});
  json.End(']');
  json.Key("scores").Begin('[');
  for (const CSheetTexts::Labelled& score : texts.scores) row({&score.label, &score.text});
  json.End(']');
  json.Key("groups").Begin('[');
  for (const CSheetTexts::Group& group : texts.groups) {
    json.Begin('{').Key("heading").GameText(group.heading, true).Key("skills").Begin('[');
    for (const CSheetTexts::Skill& s : group.skills)
      row({&s.label, &s.value, &s.modifier, &s.total, &s.withBase});
    json.End(']').End('}');
  }
  json.End(']');
  json.Key("held").Begin('[');
  for (const CSheetTexts::Held& i : texts.held)
    row({&i.place, &i.name, &i.type, &i.potenza, &i.bonus, &i.mod});
  json.End(']');
  json.Key("pockets").Begin('[');
  for (const CSheetTexts::Labelled& pocket : texts.pockets) row({&pocket.label, &pocket.text});
  json.End(']');
  json.End('}');
  return json.View();
}

std::string CWebSession::FileName(std::string_view typed) { return SheetFileName(typed); }
