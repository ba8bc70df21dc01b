// The form's user actions as data.
#pragma once

#include <iterator>

#include "form/FormModel.h"

// A user's action on the form as a number and its value: what the web page
// sends, and what replays a character made on it.
enum class FormAction {
  ChooseRace,        // a race index
  RerollRace,        //
  ChooseArchetype1,  // an archetype index
  ChooseArchetype2,  // an archetype index
  ChooseArchetype3,  // an archetype index
  RerollSkills,      //
  UseArchetype2,     // the box's check state after the click: 1 checked, 0 not
  UseArchetype3,     // the same
  ChooseMale,        //
  ChooseFemale,      //
  SetRightHanded,    // the box's check state after the click
  SetLeftHanded,     // the same
  ChooseRightItem,   // a catalogue index
  ChooseLeftItem,    // a catalogue index
  ChooseWornItem,    // a catalogue index
  SelectPocket,      // a pocket
  ChoosePocketItem,  // a catalogue index
  SetCurrentPF,      // the new current PF, 0 to the total
  SetCurrentPM,      // the new current PM, 0 to the total
  SetMoney,          // the new money, 0 or more
  Count
};

// The name of each action, in the enum's order: the web page knows the
// actions by these names.
inline constexpr const char* FORM_ACTION_NAMES[] = {
    "ChooseRace",       "RerollRace",     "ChooseArchetype1", "ChooseArchetype2",
    "ChooseArchetype3", "RerollSkills",   "UseArchetype2",    "UseArchetype3",
    "ChooseMale",       "ChooseFemale",   "SetRightHanded",   "SetLeftHanded",
    "ChooseRightItem",  "ChooseLeftItem", "ChooseWornItem",   "SelectPocket",
    "ChoosePocketItem", "SetCurrentPF",   "SetCurrentPM",     "SetMoney"};
static_assert(std::size(FORM_ACTION_NAMES) == static_cast<size_t>(FormAction::Count));

// Does `action` (a FormAction) with `value` on `form`, as the user's click or
// choice does it; false when the form refuses it or it is no action.
bool ApplyFormAction(CFormModel& form, int action, int value);
