// What the page works on: one rules database and one form over it, with the
// texts the page shows as JSON and the sheet as bytes. The page never holds
// any of it; it calls the binding, which keeps one session.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Json.h"
#include "character/Character.h"
#include "character/Naming.h"
#include "character/SheetTexts.h"
#include "form/FormActions.h"
#include "form/FormModel.h"
#include "rules/Rules.h"

class CWebSession {
 public:
  CWebSession();

  // Reads a rules file from its bytes; `name` (UTF-8) names it in messages.
  // A file that makes no character (no text, refused by the reader, an error
  // of the check, no race or no archetype) is refused and leaves the rules
  // and the form as they were. Rules with warnings are put in use only with
  // `acceptWarnings`; otherwise they wait for UsePendingRules. The result,
  // as JSON: {"ok": in use, "pending": waiting, "message": the refusal in one
  // Italian sentence, or empty, "findings": [{"line", "error", "text"}] every
  // other problem the check of the file finds, in line order, "more"}.
  bool LoadRules(std::string_view bytes, std::string_view name, std::string& result,
                 bool acceptWarnings = true);
  // Puts the rules waiting for the player's word in use; false when none wait.
  bool UsePendingRules();
  // The name of the rules in use, as given.
  const std::string& RulesName() const { return m_rulesName; }
  // Opens a .pg sheet (bytes; `name` names it) on the rules in use: the form
  // shows that character as if just made. A refused sheet changes nothing.
  // The result, as JSON: {"ok", "message": the refusal, "notes": what the
  // player should know of an accepted one (Italian)}.
  bool OpenSheet(std::string_view bytes, std::string_view name, std::string& result);
  bool HasRules() const { return m_loaded; }

  // Opens the form anew on the rules, the dice seeded with `seed`; the three
  // archetype lists start on `firstArchetype`, the first in the page's order.
  void Start(std::uint32_t seed, int firstArchetype);
  // The same with a link's choices, matched as tarvo-genera matches names;
  // what the link names wrong is said in the returned lines (Italian), and
  // left as the form starts. The name is that of tarvo-genera's first
  // character, cut to the field's length.
  std::vector<std::string> StartFromLink(std::uint32_t seed, int firstArchetype,
                                         const CLinkChoices& link);

  // One user action; false when the form has not started or the action is
  // not one.
  bool Act(int action, int value);
  // The name as typed (UTF-8), cut to the field's length.
  void TakeName(std::string_view typed);

  // The rules as the page's lists and labels need them, with "hash", the
  // RulesHash of their bytes.
  std::string RulesJson() const;
  // What every control shows, and under "play" the current and total PF and
  // PM and the money as numbers; valid until the next call.
  std::string_view ViewJson();
  // The sheet's bytes, after the identity is taken from the form.
  std::string Sheet();
  // The texts of the printable sheet; valid until the next call.
  std::string_view PrintJson();
  // The character as a Foundry VTT actor (UTF-8 JSON), after the identity is
  // taken from the form. No seed: the same character gives the same bytes
  // whichever program exports it.
  std::string FoundryJson();
  // The sheet's file name for the name typed (UTF-8).
  static std::string FileName(std::string_view typed);

  const CRules& Rules() const { return *m_rules; }

 private:
  // Puts `rules` in use, named `name`, of the hash `hash`.
  void Use(std::unique_ptr<CRules> rules, std::string_view name, std::string hash);
  // A new character on the form, nothing rolled yet.
  void NewForm();

  std::unique_ptr<CRules> m_rules;
  std::unique_ptr<CCharacter> m_character;
  std::unique_ptr<CFormModel> m_form;
  // The view's text, built again in the same buffer after every action.
  CJson m_view;
  CJson m_print;
  CSheetTexts m_printTexts;  // the printable sheet's, kept for their storage
  // What decided each equipment list's offer in the last view: a list whose
  // signature is the same offers the same items, and the view leaves it out.
  // The hands, worn and each pocket.
  COfferSignature m_shownOffers[3 + MAX_POCKETS];
  bool m_offersShown = false;
  std::string m_rulesName = RULES_FILE_NAME;
  std::string m_rulesHash;  // RulesHash of the rules' bytes
  // Rules with warnings, loaded and waiting for the player's word.
  std::unique_ptr<CRules> m_pendingRules;
  std::string m_pendingName;
  std::string m_pendingHash;
  bool m_loaded = false;
};
