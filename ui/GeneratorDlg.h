// The main dialog: the form, its texts and their exchange with the widgets,
// the start-up, the dispatch table, the commands and the display refresh.
#pragma once

#include <QDialog>
#include <QIcon>
#include <memory>
#include <string>
#include <vector>

#include "character/Character.h"
#include "character/Generation.h"
#include "form/FormModel.h"
#include "rules/Rules.h"
#include "ui/Controls.h"
#include "ui/DialogForm.h"
#include "ui/OpenSheet.h"

class CPrompts;

// What a control reports to the dialog.
enum class Notification {
  Clicked,    // a button was clicked by the user, its check state already changed
  SelChange,  // the user chose an entry of a list
  KillFocus,  // a field lost the focus
};

class CGeneratorDlg : public QDialog {
 public:
  // Loads the rules file at `rulesPath` while it is built; the hidden Salva
  // Regole command writes the rules back to the same path. Questions and
  // messages go through `prompts` (the real dialogs when null; a given one
  // must outlive the dialog).
  explicit CGeneratorDlg(const char* rulesPath = RULES_FILE_NAME, CPrompts* prompts = nullptr,
                         QWidget* parent = nullptr);
  ~CGeneratorDlg() override;

  // Shows the form as the program's window and returns, once it is closed,
  // how it ended (Accepted or Rejected).
  int DoModal();

  // The rules were read from an installed file that is never written: the
  // hidden Salva Regole writes them to the player's copy in `dataFolder`.
  void SaveRulesToPlayerCopy(const QString& dataFolder) { m_strPlayerDataFolder = dataFolder; }

  const CRules& GetRules() const { return m_rules; }
  const CCharacter& GetCharacter() const { return m_character; }
  // The widget of control `id`.
  QWidget* GetDlgItem(int id) const { return m_form.Item(id); }
  const CDialogForm& GetForm() const { return m_form; }

  // With false writes every text into its control, with true reads every
  // control's text back, in the order of the exchange table.
  void UpdateData(bool bSaveAndValidate);
  // Brings every value text, score text and equipment list up to date with
  // the character, then writes all texts to the form.
  void RefreshDisplay();
  // The position of the first entry of `list` whose item data is `data`, or
  // CB_ERR.
  int FindItemData(const CComboBox& list, int data) const;

  // The rolls and the equipment effects: read the form, tell the form model,
  // show what it answers.
  void RollCharacteristics();
  void RollSkills();
  void ApplyEquipmentEffects();

  // Commands of the dispatch table.
  void OnUseArchetype2();
  void OnUseArchetype3();
  void OnKillFocusName();
  void OnSave();
  void OnRightHanded();
  void OnLeftHanded();
  void OnMale();
  void OnFemale();
  void OnSelChangeRightItem();
  void OnSelChangeLeftItem();
  void OnSelChangeWornItem();
  void OnSelChangePocket();
  void OnSelChangePocketItem();
  void OnRerollRace();
  void OnRerollSkills();
  void OnSaveRules();
  // Ctrl+P, a keyboard shortcut of the form: prints the printable sheet.
  void OnPrint();
  // Ctrl+O, a keyboard shortcut of the form: asks which saved character
  // sheet to open and opens it (ui/OpenSheet.h); a refusal, or a name cut to
  // fit the form, is told in a box.
  void OnOpen();
  // Shows the accepted `sheet`, fitted to the form (FitSheetToForm), on the
  // initialised form: its choices as the controls show them after the player
  // made them, and the character with its values, scores and items.
  void ShowSheet(const CSheet& sheet);

  // Runs the entry of the dispatch table for `id` and `code`; false when the
  // table has none.
  bool OnCommand(int id, Notification code);

 protected:
  // Fills the form from the rules and rolls the first character; runs once,
  // before the dialog first becomes visible.
  virtual bool OnInitDialog();
  void DoDataExchange(bool bSaveAndValidate);
  void OnOK();
  void OnCancel();

  void setVisible(bool visible) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  struct TextExchange {
    int id = 0;
    std::string* text = nullptr;
    int maxChars = 0;  // 0: no limit
    // Set when the controls are bound: the control, and whether the user can
    // type into it.
    QWidget* control = nullptr;
    bool editable = false;
    // The bytes a control the user cannot type into shows, once known: it is
    // not written again with the same text, and reading it gives them back.
    bool known = false;
    std::string shown;
  };

  void BindDispatchTable();
  // Buys the item chosen in `list` into `place` (the selected pocket for
  // EquipmentPlace::Pocket); a refused purchase puts the list back.
  void BuyFromList(CComboBox& list, EquipmentPlace place);
  // What an equipment list was last made to offer.
  struct Offer {
    COfferSignature signature;
    bool made = false;
  };
  // Makes equipment list `list` offer, in alphabetical order, what the model
  // offers for `place`; a list whose offer stays the same is not touched.
  void OfferItems(CComboBox& list, Offer& offer, EquipmentPlace place);
  // Selects the entry of `list` with item data `data` (none when no entry
  // has it), unless it is selected already.
  void SelectItemData(CComboBox& list, int data);
  // The second and third archetype lists select what the model says they
  // show (after a roll, a list not in use shows the one before it).
  void ShowArchetypes();
  // The archetype boxes' check states and the enabled states they govern.
  void ShowArchetypeBoxes();
  void ShowHands();
  void ShowSex();
  // After the skill step: the lists it moved, then the refresh.
  void ShowRolledSkills();
  // Copies the name, the archetypes, the race, the sex and the hand from the
  // form into the character, as every save does; returns the names of the
  // archetypes in use, one by one.
  std::vector<std::string> TakeIdentityFromForm();

  CDialogForm m_form;

  // Control objects, bound to their controls by the data exchange.
  CComboBox m_cbWornItem;
  CComboBox m_cbRightItem;
  CComboBox m_cbLeftItem;
  CComboBox m_cbPocketItem;
  CComboBox m_cbPocket;
  CButton m_btnMale;
  CButton m_btnFemale;
  CButton m_btnLeftHanded;
  CButton m_btnRightHanded;
  CButton m_btnUseArchetype3;
  CButton m_btnUseArchetype2;
  CComboBox m_cbArchetype1;
  CComboBox m_cbArchetype2;
  CComboBox m_cbArchetype3;
  CComboBox m_cbRace;

  // The 46 texts of the form (TEXT_COUNT), Windows-1252 bytes.
  std::string m_strStatValue[FORM_CHARACTERISTICS];
  std::string m_strSkillValue[FORM_SKILLS];
  std::string m_strName;
  std::string m_strMoney;
  std::string m_strHonour;
  std::string m_strProtection;
  std::string m_strCdB;
  std::string m_strPM;
  std::string m_strPF;
  std::string m_strStatus;
  std::string m_strStatLabel[FORM_CHARACTERISTICS];
  std::string m_strSkillLabel[FORM_SKILLS];

  // Characteristic or skill index -> its text on the form; the entries past
  // the form's rows stay null, so those indices are not shown.
  std::string* statValueText[MAX_CHARACTERISTICS] = {};
  std::string* skillValueText[MAX_SKILLS] = {};
  std::string* statLabelText[MAX_CHARACTERISTICS] = {};
  std::string* skillLabelText[MAX_SKILLS] = {};

  // Values and labels of both blocks, and the eight other texts.
  static constexpr int TEXT_COUNT = 2 * FORM_CHARACTERISTICS + 2 * FORM_SKILLS + 8;
  TextExchange m_exchange[TEXT_COUNT] = {};

  std::string m_strRulesPath;
  QString m_strPlayerDataFolder;  // not empty: Salva Regole writes the player's copy there
  CRules m_rules;
  // The catalogue in alphabetical order (catalogue indexes), sorted once when
  // the form starts, and each item's name as the lists show it.
  int m_itemOrder[MAX_ITEMS] = {};
  int m_nItemOrder = 0;
  QString m_itemNames[MAX_ITEMS];
  // What the left, right, worn and pocket lists offer.
  Offer m_offers[4];
  CCharacter m_character;
  // The form's choices and rules on the rules and the character above.
  CFormModel m_model{m_rules, m_character};
  QIcon m_hIcon;

  std::unique_ptr<CPrompts> m_ownPrompts;
  CPrompts* m_prompts = nullptr;
  bool m_bInitialized = false;
  bool m_bBound = false;
};

// Shows a sheet read before the form opened (one named on the command line)
// as soon as the form is set up, before it is first painted, so that the
// player never sees the character rolled at start. While alive it watches
// `dialog`.
class CSheetAtStart : public QObject {
 public:
  CSheetAtStart(CGeneratorDlg& dialog, CSheet sheet, QString path);

  // Empty unless the name had to be cut to fit the form (FitSheetToForm).
  const QString& Notice() const { return m_notice; }
  bool Shown() const { return m_shown; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CGeneratorDlg& m_dlg;
  CSheet m_sheet;
  QString m_path;
  QString m_notice;
  bool m_shown = false;
};
