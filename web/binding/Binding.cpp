// The page's one way into the core: plain functions of numbers, with bytes
// passed through input slots the page fills and one output the page reads.
// The binding keeps the one session; the page holds no object of it.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "base/Json.h"
#include "character/SheetTexts.h"
#include "res/GeneratorDialog.h"
#include "rules/Rules.h"
#include "web/binding/BundledRules.h"
#include "web/binding/Session.h"

#ifdef __EMSCRIPTEN__
#include <emscripten/emscripten.h>
#define TARVO_EXPORT extern "C" EMSCRIPTEN_KEEPALIVE
#else
#define TARVO_EXPORT extern "C"
#endif

namespace {

constexpr int INPUT_SLOTS = 2;

struct CBinding {
  CWebSession session;
  std::string input[INPUT_SLOTS];
  std::string output;
  CLinkChoices link;
};

CBinding& Binding() {
  static CBinding binding;
  return binding;
}

// The names of the numbers of an enum, in its order, as a JSON object.
template <size_t N>
void NameTable(CJson& json, const char* const (&names)[N]) {
  json.Begin('{');
  for (size_t i = 0; i < N; ++i) json.Key(names[i]).Number(static_cast<long long>(i));
  json.End('}');
}

// The value rows named `prefix` and a number from 1 ("IDC_SKILL"), in the
// desktop dialog template's order, which is its tab order: the page lays its
// rows out as the desktop does.
void TemplateRows(CJson& json, std::string_view prefix) {
  const DialogTemplate& dialog = GeneratorDialogTemplate();
  json.Begin('[');
  for (int i = 0; i < dialog.controlCount; ++i) {
    const ControlTemplate& control = dialog.controls[i];
    const std::string_view name = control.name;
    if (control.cls != ControlClass::Edit || !name.starts_with(prefix)) continue;
    const std::string_view number = name.substr(prefix.size());
    if (!number.empty() && number.find_first_not_of("0123456789") == std::string_view::npos)
      json.Number(ParseNumber(number));
  }
  json.End(']');
}

const std::string& Input(int slot) { return Binding().input[slot]; }
void SetOutput(std::string text) { Binding().output = std::move(text); }
// Copied into the output's own storage, which stays from call to call.
void SetOutputCopy(std::string_view text) { Binding().output.assign(text); }

}  // namespace

// A buffer of `size` bytes for input `slot` (0 or 1), which the page fills
// before the call that reads it; nullptr for a slot that is not one.
TARVO_EXPORT char* tarvo_input(int slot, int size) {
  if (slot < 0 || slot >= INPUT_SLOTS || size < 0) return nullptr;
  std::string& input = Binding().input[slot];
  input.assign(static_cast<size_t>(size), '\0');
  return input.data();
}

// The bytes of the last call's output.
TARVO_EXPORT const char* tarvo_output() { return Binding().output.data(); }
TARVO_EXPORT int tarvo_output_size() { return static_cast<int>(Binding().output.size()); }

// Output: the numbers the page works with, as JSON: {"nameLength": the
// characters of the name field, "maxSeed": the largest seed tarvo_start
// takes, "actions": {name: number} of tarvo_act, "linkChoices": {name:
// number} of tarvo_link_set, "statSlots", "skillSlots": the form's rows in
// tab order, numbered from 1, "statHeading", "skillHeading": the headings
// over their values, "bundledRulesHash": the hash of the bundled rules,
// "sheetWords": the printed sheet's headings and captions}.
TARVO_EXPORT void tarvo_constants() {
  CJson json;
  json.Begin('{');
  json.Key("nameLength").Number(NAME_MAX_CHARS);
  json.Key("maxSeed").Number(std::numeric_limits<std::uint32_t>::max());
  json.Key("actions");
  NameTable(json, FORM_ACTION_NAMES);
  json.Key("linkChoices");
  NameTable(json, LINK_CHOICE_NAMES);
  json.Key("statSlots");
  TemplateRows(json, "IDC_STAT");
  json.Key("skillSlots");
  TemplateRows(json, "IDC_SKILL");
  // The hash that names the bundled rules, as every rules JSON names its own.
  json.Key("bundledRulesHash").Text(RulesHash(BundledRules()));
  // The headings over the form's columns of values.
  json.Key("statHeading").GameText(CFormModel::StatColumnHeading());
  json.Key("skillHeading").GameText(CFormModel::SkillColumnHeading());
  // The printed sheet's own words, its headings and captions.
  const CSheetWords& words = SHEET_WORDS;
  json.Key("sheetWords").Begin('{');
  for (const auto& [key, word] : {std::pair{"title", words.title},
                                  {"race", words.race},
                                  {"archetypes", words.archetypes},
                                  {"sex", words.sex},
                                  {"hand", words.hand},
                                  {"characteristics", words.characteristics},
                                  {"scores", words.scores},
                                  {"pockets", words.pockets},
                                  {"skills", words.skills},
                                  {"equipment", words.equipment},
                                  {"notes", words.notes},
                                  {"rulesFile", words.rulesFile}})
    json.Key(key).GameText(word);
  const auto columns = [&json](const char* key, const auto& names) {
    json.Key(key).Begin('[');
    for (const std::string_view name : names) json.GameText(name);
    json.End(']');
  };
  columns("statColumns", words.statColumns);
  columns("skillColumns", words.skillColumns);
  columns("itemColumns", words.itemColumns);
  json.End('}');
  SetOutput(json.End('}').Result());
}

// The bundled rules; 1 when they load. Output as tarvo_load_rules.
TARVO_EXPORT int tarvo_load_bundled_rules() {
  std::string result;
  const bool loaded = Binding().session.LoadRules(BundledRules(), RULES_FILE_NAME, result);
  SetOutput(std::move(result));
  return loaded ? 1 : 0;
}

// The rules file of input 0, named by input 1 (UTF-8). 1 when it is in use;
// a refused one leaves the rules and the form as they were, and rules with
// warnings wait for tarvo_use_pending_rules unless `acceptWarnings`. Output:
// JSON, the refusal and the check's findings (CWebSession::LoadRules).
TARVO_EXPORT int tarvo_load_rules(int acceptWarnings) {
  std::string result;
  const bool loaded = Binding().session.LoadRules(Input(0), Input(1), result, acceptWarnings != 0);
  SetOutput(std::move(result));
  return loaded ? 1 : 0;
}

// The rules waiting for the player's word go in use; 1 when some waited.
TARVO_EXPORT int tarvo_use_pending_rules() { return Binding().session.UsePendingRules() ? 1 : 0; }

// The most bytes of a rules file the core reads: the page hands it no more
// than one byte beyond, however large the file, to be refused.
TARVO_EXPORT int tarvo_rules_size_limit() { return static_cast<int>(RULES_SIZE_LIMIT); }

// The .pg sheet of input 0, named by input 1 (UTF-8), opened on the form. 1
// when it opens; a refused one changes nothing. Output: JSON, the refusal or
// the notes (CWebSession::OpenSheet).
TARVO_EXPORT int tarvo_open_sheet() {
  std::string result;
  const bool opened = Binding().session.OpenSheet(Input(0), Input(1), result);
  SetOutput(std::move(result));
  return opened ? 1 : 0;
}

// Output: the rules as JSON (labels, races, archetypes, items, pockets, and
// the hash of their bytes).
TARVO_EXPORT void tarvo_rules_json() { SetOutput(Binding().session.RulesJson()); }

// Opens the form anew, seeded with `seed`, on archetype `firstArchetype`.
TARVO_EXPORT void tarvo_start(std::uint32_t seed, int firstArchetype) {
  Binding().session.Start(seed, firstArchetype);
}

// Forgets the choices of a link.
TARVO_EXPORT void tarvo_link_clear() { Binding().link = CLinkChoices(); }

// Input 0 is a choice of a link of `kind` (LinkChoice): one archetype a call.
TARVO_EXPORT void tarvo_link_set(int kind) { SetLinkChoice(Binding().link, kind, Input(0)); }

// Opens the form anew with the link's choices; output: what the link named
// wrong, as a JSON list of Italian lines.
TARVO_EXPORT void tarvo_start_link(std::uint32_t seed, int firstArchetype) {
  CBinding& binding = Binding();
  CJson json;
  json.Begin('[');
  for (const std::string& line : binding.session.StartFromLink(seed, firstArchetype, binding.link))
    json.Text(line);
  SetOutput(json.End(']').Result());
}

// One user action (see FormAction); 1 when it is one.
TARVO_EXPORT int tarvo_act(int action, int value) {
  return Binding().session.Act(action, value) ? 1 : 0;
}

// The name field lost the focus: input 0 holds its text (UTF-8).
TARVO_EXPORT void tarvo_take_name() { Binding().session.TakeName(Input(0)); }

// Output: what every control shows, as JSON, with the numbers the play
// buttons change.
TARVO_EXPORT void tarvo_view_json() { SetOutputCopy(Binding().session.ViewJson()); }

// Output: the .pg sheet's bytes.
TARVO_EXPORT void tarvo_sheet() { SetOutput(Binding().session.Sheet()); }

// Output: the character as a Foundry VTT actor, UTF-8 JSON ending in a line
// end; empty before the form starts.
TARVO_EXPORT void tarvo_foundry_json() { SetOutput(Binding().session.FoundryJson()); }

// Output: the printable sheet's texts, as JSON.
TARVO_EXPORT void tarvo_print_json() { SetOutputCopy(Binding().session.PrintJson()); }

// Output: the sheet's file name for the name of input 0 (UTF-8).
TARVO_EXPORT void tarvo_file_name() { SetOutput(CWebSession::FileName(Input(0))); }
