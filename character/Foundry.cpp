#include "character/Foundry.h"

#include <algorithm>

#include "base/Decimal.h"
#include "base/Json.h"
#include "base/Win1252.h"
#include "character/Generation.h"
#include "character/Naming.h"
#include "character/SheetTexts.h"
#include "rules/RulesReading.h"

namespace {

// Foundry's own pictures, which every installation has.
constexpr std::string_view kPortrait = "icons/svg/mystery-man.svg";
constexpr std::string_view kItemPicture = "icons/svg/item-bag.svg";

// Keys of the actor's own, which no key of the rules may take.
constexpr std::string_view kCharacteristics = "caratteristiche";
constexpr std::string_view kSkills = "abilita";
constexpr std::string_view kReserved[] = {
    "attr", "attributes", kCharacteristics, kSkills, "monete", "onore", "cdb", "armatura"};

// Text as HTML shows it: markup characters as entities.
void AppendHtml(std::string& html, std::string_view utf8) {
  for (const char ch : utf8) {
    switch (ch) {
      case '&':
        html += "&amp;";
        break;
      case '<':
        html += "&lt;";
        break;
      case '>':
        html += "&gt;";
        break;
      case '"':
        html += "&quot;";
        break;
      case '\'':
        html += "&#39;";
        break;
      default:
        html += ch;
    }
  }
}

// "<p><strong>Razza:</strong> Nano</p>", from Windows-1252 texts.
void AppendLine(std::string& html, std::string_view label, std::string_view value) {
  html += "<p><strong>";
  AppendHtml(html, Win1252ToShownUtf8(label));
  html += ":</strong> ";
  AppendHtml(html, Win1252ToShownUtf8(value));
  html += "</p>";
}

// One attribute: {value, label, dtype, group}.
void NumberAttribute(CJson& json, std::string_view key, int value, std::string_view label,
                     std::string_view group) {
  json.Key(key).Begin('{');
  json.Key("value").Number(value);
  json.Key("label").GameText(label, true);
  json.Key("dtype").Text("Number");
  json.Key("group").Text(group);
  json.End('}');
}

void Group(CJson& json, std::string_view key, std::string_view label) {
  json.Key(key).Begin('{');
  json.Key("key").Text(key).Key("label").GameText(label, true).Key("dtype").Text("Number");
  json.End('}');
}

void Item(CJson& json, const CSheetTexts::Held& texts, const CItem& item) {
  std::string description = "<p>";
  AppendHtml(description, Win1252ToShownUtf8(texts.type.empty() ? "Oggetto" : texts.type));
  description += ". POTENZA " + FormatNumber(item.m_nPotenza) + ", BONUS " +
                 FormatNumber(item.m_nBonus) + ", MOD " + FormatNumber(item.m_nMod) + "</p>";
  json.Begin('{');
  json.Key("name").GameText(item.m_strName, true);
  json.Key("type").Text("item");
  json.Key("img").Text(kItemPicture);
  json.Key("system").Begin('{');
  json.Key("description").Text(description);
  json.Key("quantity").Number(1);
  json.Key("weight").Number(0);
  json.Key("attributes").Begin('{');
  json.Key("luogo").Begin('{');
  json.Key("value").GameText(texts.place, true);
  json.Key("label").Text("Luogo").Key("dtype").Text("String").Key("group").Text("");
  json.End('}');
  NumberAttribute(json, "potenza", item.m_nPotenza, "POTENZA", "");
  NumberAttribute(json, "bonus", item.m_nBonus, "BONUS", "");
  NumberAttribute(json, "mod", item.m_nMod, "MOD", "");
  json.End('}');
  json.Key("groups").Begin('{').End('}');
  json.End('}');
  json.Key("effects").Begin('[').End(']');
  json.End('}');
}

}  // namespace

std::string FoundryKey(std::string_view text, std::vector<std::string>& taken) {
  std::string key;
  key.reserve(text.size());
  for (const char ch : text) {
    const char lower = FoldAsciiByte(ch);
    const bool kept = (lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9') ||
                      lower == '_' || lower == '-';
    key += kept ? lower : '_';
  }
  if (key.empty()) key.push_back('_');
  std::string unique = key;
  for (int n = 2; std::find(taken.begin(), taken.end(), unique) != taken.end(); ++n) {
    // Built piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) of a
    // string made with operator+ or assigned a literal here.
    unique = key;
    unique += '_';
    AppendNumber(unique, n);
  }
  taken.push_back(unique);
  return unique;
}

std::string RulesFileHash(const std::string& path) {
  rules_reading::FileBytes bytes;
  std::string reason;
  if (!rules_reading::ReadRulesFile(path, bytes, reason) || bytes.tooLarge != 0 || !bytes.complete)
    return {};
  return RulesHash(std::string_view(bytes.data.get(), bytes.size));
}

std::string FoundryActorJson(const CFoundryActor& actor) {
  const CCharacter& ch = actor.character;
  const CRules& rules = actor.rules;
  const CSheetTexts texts = MakeSheetTexts(ch, rules, actor.archetypes, actor.rulesPath);
  std::vector<std::string> taken(std::begin(kReserved), std::end(kReserved));

  CJson json;
  json.Begin('{');
  json.Key("name").GameText(texts.name, true);
  json.Key("type").Text("character");
  json.Key("img").Text(kPortrait);

  std::string biography;
  AppendLine(biography, SHEET_WORDS.race, texts.race);
  std::string archetypes;
  for (const std::string& name : texts.archetypes) {
    if (!archetypes.empty()) archetypes += " / ";
    archetypes += name;
  }
  AppendLine(biography, SHEET_WORDS.archetypes, archetypes);
  AppendLine(biography, SHEET_WORDS.sex, texts.sex);
  AppendLine(biography, SHEET_WORDS.hand, texts.hand);
  // The rules file's name is the bytes of a file name: shown as a message
  // shows it, always UTF-8.
  const std::string rulesName = PathForMessage(texts.rulesFile);
  biography += "<p><strong>Regole:</strong> ";
  AppendHtml(biography, rulesName);
  biography += "</p>";

  json.Key("system").Begin('{');
  json.Key("biography").Text(biography);
  json.Key("health").Begin('{');
  json.Key("value").Number(ch.m_nPFAct).Key("min").Number(0).Key("max").Number(ch.m_nPFTot);
  json.End('}');
  json.Key("power").Begin('{');
  json.Key("value").Number(ch.m_nPMAct).Key("min").Number(0).Key("max").Number(ch.m_nPMTot);
  json.End('}');

  json.Key("attributes").Begin('{');
  json.Key(kCharacteristics).Begin('{');
  for (int c = 0; c < rules.CharacteristicsInUse(); ++c) {
    NumberAttribute(json, FoundryKey(rules.m_aCharKey[c], taken), ch.m_aStats[c].m_nValue,
                    rules.m_aCharLabel[c], kCharacteristics);
  }
  json.End('}');
  json.Key(kSkills).Begin('{');
  for (int s = 0; s < rules.SkillsInUse(); ++s) {
    NumberAttribute(json, FoundryKey(rules.m_aSkillSheetName[s], taken), ch.m_aSkills[s].m_nValue,
                    rules.m_aSkillLabel[s], kSkills);
  }
  json.End('}');
  NumberAttribute(json, "monete", ch.m_nMoney, "Monete", "");
  NumberAttribute(json, "onore", ch.m_nHonour, "Onore", "");
  NumberAttribute(json, "cdb", ch.m_nCdB, "C.d.B.", "");
  NumberAttribute(json, "armatura", ch.m_nArmour, "Armatura (protezione)", "");
  json.End('}');

  json.Key("groups").Begin('{');
  Group(json, kCharacteristics, SHEET_WORDS.characteristics);
  Group(json, kSkills, SHEET_WORDS.skills);
  json.End('}');
  json.End('}');

  // What the character holds: the hands, the body and each pocket that is
  // not empty.
  json.Key("items").Begin('[');
  const CItem* held[] = {&ch.m_itemRight, &ch.m_itemLeft, &ch.m_itemWorn};
  for (size_t i = 0; i < texts.held.size(); ++i) {
    if (held[i]->m_nId != 0) Item(json, texts.held[i], *held[i]);
  }
  for (size_t p = 0; p < texts.pockets.size(); ++p) {
    const CItem& item = ch.m_aPockets[p];
    if (item.m_nId == 0) continue;
    CSheetTexts::Held row{
        texts.pockets[p].label, item.m_strName, ItemTypeName(rules, item.m_strType), {}, {}, {}};
    Item(json, row, item);
  }
  json.End(']');
  json.Key("effects").Begin('[').End(']');

  json.Key("flags").Begin('{').Key("tarvo").Begin('{');
  json.Key("format").Number(FOUNDRY_FORMAT);
  json.Key("race").GameText(ch.m_strRace, true);
  json.Key("archetypes").Begin('[');
  for (const std::string& name : texts.archetypes) json.GameText(name, true);
  json.End(']');
  if (actor.seed) json.Key("seed").Number(*actor.seed);
  json.Key("rules").Begin('{');
  json.Key("name").Text(rulesName);
  json.Key("hash").Text(actor.rulesHash);
  json.End('}');
  json.End('}').End('}');
  json.End('}');
  return json.Result() + "\n";
}
