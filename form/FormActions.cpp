#include "form/FormActions.h"

bool ApplyFormAction(CFormModel& form, int action, int value) {
  if (action < 0 || action >= static_cast<int>(FormAction::Count)) return false;
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
    case FormAction::SetCurrentPF:
      return form.SetCurrentPF(value);
    case FormAction::SetCurrentPM:
      return form.SetCurrentPM(value);
    case FormAction::SetMoney:
      return form.SetMoney(value);
    case FormAction::Count:
      break;
  }
  return false;
}
