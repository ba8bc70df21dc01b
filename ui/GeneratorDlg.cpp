#include "ui/GeneratorDlg.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QImageReader>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QPixmap>
#include <QPrinter>
#include <QRadioButton>
#include <QShortcut>
#include <utility>

#include "app/Console.h"
#include "app/FileNames.h"
#include "app/RulesLocation.h"
#include "base/AtomicFile.h"
#include "character/Dice.h"
#include "character/Foundry.h"
#include "print/PrintableSheet.h"
#include "print/Win1252.h"
#include "res/GeneratorDialog.h"
#include "res/resource.h"
#include "ui/Accessible.h"
#include "ui/Prompts.h"

// The icon is embedded in this library; Q_INIT_RESOURCE must be used outside
// any namespace.
static void InitGeneratorResources() { Q_INIT_RESOURCE(tarvo); }

namespace {

constexpr int kStatValueIds[FORM_CHARACTERISTICS] = {IDC_STAT1, IDC_STAT2, IDC_STAT3, IDC_STAT4};
constexpr int kStatLabelIds[FORM_CHARACTERISTICS] = {IDC_STAT_LABEL1, IDC_STAT_LABEL2,
                                                     IDC_STAT_LABEL3, IDC_STAT_LABEL4};
constexpr int kSkillValueIds[FORM_SKILLS] = {
    IDC_SKILL1,  IDC_SKILL2,  IDC_SKILL3,  IDC_SKILL4,  IDC_SKILL5,
    IDC_SKILL6,  IDC_SKILL7,  IDC_SKILL8,  IDC_SKILL9,  IDC_SKILL10,
    IDC_SKILL11, IDC_SKILL12, IDC_SKILL13, IDC_SKILL14, IDC_SKILL15,
};
constexpr int kSkillLabelIds[FORM_SKILLS] = {
    IDC_SKILL_LABEL1,  IDC_SKILL_LABEL2,  IDC_SKILL_LABEL3,  IDC_SKILL_LABEL4,  IDC_SKILL_LABEL5,
    IDC_SKILL_LABEL6,  IDC_SKILL_LABEL7,  IDC_SKILL_LABEL8,  IDC_SKILL_LABEL9,  IDC_SKILL_LABEL10,
    IDC_SKILL_LABEL11, IDC_SKILL_LABEL12, IDC_SKILL_LABEL13, IDC_SKILL_LABEL14, IDC_SKILL_LABEL15,
};

struct DispatchEntry {
  int id;
  Notification code;
  void (CGeneratorDlg::*handler)();
};

// The dialog's dispatch table. Painting the minimised window and the icon
// dragged from it are the window system's work with the window icon; every
// other entry is a control notification raised by the user only.
constexpr DispatchEntry kDispatchTable[] = {
    {IDC_USE_ARCHETYPE2, Notification::Clicked, &CGeneratorDlg::OnUseArchetype2},
    {IDC_ARCHETYPE1, Notification::SelChange, &CGeneratorDlg::RollSkills},
    {IDC_ARCHETYPE2, Notification::SelChange, &CGeneratorDlg::OnRerollSkills},
    {IDC_RACE, Notification::SelChange, &CGeneratorDlg::RollCharacteristics},
    {IDC_USE_ARCHETYPE3, Notification::Clicked, &CGeneratorDlg::OnUseArchetype3},
    {IDC_ARCHETYPE3, Notification::SelChange, &CGeneratorDlg::OnRerollSkills},
    {IDC_NAME, Notification::KillFocus, &CGeneratorDlg::OnKillFocusName},
    {IDC_SAVE, Notification::Clicked, &CGeneratorDlg::OnSave},
    {IDC_RIGHT_HANDED, Notification::Clicked, &CGeneratorDlg::OnRightHanded},
    {IDC_LEFT_HANDED, Notification::Clicked, &CGeneratorDlg::OnLeftHanded},
    {IDC_MALE, Notification::Clicked, &CGeneratorDlg::OnMale},
    {IDC_FEMALE, Notification::Clicked, &CGeneratorDlg::OnFemale},
    {IDC_RIGHT_ITEM, Notification::SelChange, &CGeneratorDlg::OnSelChangeRightItem},
    {IDC_LEFT_ITEM, Notification::SelChange, &CGeneratorDlg::OnSelChangeLeftItem},
    {IDC_WORN_ITEM, Notification::SelChange, &CGeneratorDlg::OnSelChangeWornItem},
    {IDC_POCKET, Notification::SelChange, &CGeneratorDlg::OnSelChangePocket},
    {IDC_POCKET_ITEM, Notification::SelChange, &CGeneratorDlg::OnSelChangePocketItem},
    {IDC_REROLL_RACE, Notification::Clicked, &CGeneratorDlg::OnRerollRace},
    {IDC_REROLL_SKILLS, Notification::Clicked, &CGeneratorDlg::OnRerollSkills},
    {IDC_SAVE_RULES, Notification::Clicked, &CGeneratorDlg::OnSaveRules},
};

// What a screen reader says of the controls whose captions do not tell it:
// the pocket lists have no label, the status line none, and "R!" says only
// that it rolls.
struct AccessibleText {
  int id;
  const char* name;         // nullptr: the control's own
  const char* description;  // nullptr: none
};
constexpr AccessibleText kAccessibleTexts[] = {
    {IDC_POCKET, "Tasca", nullptr},
    {IDC_POCKET_ITEM, "Oggetto in tasca", nullptr},
    {IDC_STATUS, "Stato", nullptr},
    {IDC_REROLL_RACE, nullptr, "Tira di nuovo le caratteristiche"},
    {IDC_REROLL_SKILLS, nullptr, "Tira di nuovo abilità, monete e onore"},
};

// The PNG image of resource `path`. Told the format, Qt reads it with its own
// PNG reader, without loading every image format plugin to ask each.
QPixmap LoadPng(const QString& path) {
  QImageReader reader(path, "png");
  reader.setAutoDetectImageFormat(false);
  return QPixmap::fromImage(reader.read());
}

// Whether the template makes list `id` a sorted one.
bool IsSorted(int id) {
  const DialogTemplate& dialogTemplate = GeneratorDialogTemplate();
  for (int i = 0; i < dialogTemplate.controlCount; ++i) {
    if (dialogTemplate.controls[i].id == id) {
      return (dialogTemplate.controls[i].style & ControlStyle::kSort) != 0;
    }
  }
  return false;
}

// The combo box of control `id` bound to `list`.
void BindList(CComboBox& list, QWidget* control, int id) {
  list.Attach(qobject_cast<QComboBox*>(control), IsSorted(id));
}

}  // namespace

CGeneratorDlg::CGeneratorDlg(const char* rulesPath, CPrompts* prompts, QWidget* parent)
    : QDialog(parent),
      m_strRulesPath(rulesPath != nullptr ? rulesPath : RULES_FILE_NAME),
      m_rules(m_strRulesPath.c_str()),
      m_prompts(prompts) {
  if (m_prompts == nullptr) {
    m_ownPrompts = std::make_unique<CQtPrompts>();
    m_prompts = m_ownPrompts.get();
  }

  for (int c = 0; c < FORM_CHARACTERISTICS; ++c) {
    statValueText[c] = &m_strStatValue[c];
    statLabelText[c] = &m_strStatLabel[c];
  }
  for (int s = 0; s < FORM_SKILLS; ++s) {
    skillValueText[s] = &m_strSkillValue[s];
    skillLabelText[s] = &m_strSkillLabel[s];
  }

  int n = 0;
  const auto exchange = [this, &n](int id, std::string* text, int maxChars = 0) {
    m_exchange[n].id = id;
    m_exchange[n].text = text;
    m_exchange[n].maxChars = maxChars;
    ++n;
  };
  for (int c = 0; c < FORM_CHARACTERISTICS; ++c) exchange(kStatValueIds[c], &m_strStatValue[c]);
  for (int s = 0; s < FORM_SKILLS; ++s) exchange(kSkillValueIds[s], &m_strSkillValue[s]);
  exchange(IDC_NAME, &m_strName, NAME_MAX_CHARS);
  exchange(IDC_MONEY, &m_strMoney);
  exchange(IDC_HONOUR, &m_strHonour);
  exchange(IDC_PROTECTION, &m_strProtection);
  exchange(IDC_CDB, &m_strCdB);
  exchange(IDC_PM, &m_strPM);
  exchange(IDC_PF, &m_strPF);
  exchange(IDC_STATUS, &m_strStatus);
  for (int c = 0; c < FORM_CHARACTERISTICS; ++c) exchange(kStatLabelIds[c], &m_strStatLabel[c]);
  for (int s = 0; s < FORM_SKILLS; ++s) exchange(kSkillLabelIds[s], &m_strSkillLabel[s]);
  Q_ASSERT(n == TEXT_COUNT);

  InitGeneratorResources();
  m_hIcon.addPixmap(LoadPng(QStringLiteral(":/tarvo/generator32.png")));
  m_hIcon.addPixmap(LoadPng(QStringLiteral(":/tarvo/generator16.png")));

  InstallFormAccessibility();
  AnnounceAsMainWindow(this);
  m_form.Create(this, GeneratorDialogTemplate());
  for (const AccessibleText& text : kAccessibleTexts) {
    QWidget* control = m_form.Item(text.id);
    if (text.name != nullptr) control->setAccessibleName(QString::fromUtf8(text.name));
    if (text.description != nullptr)
      control->setAccessibleDescription(QString::fromUtf8(text.description));
  }
  // The lists and radio buttons get their interfaces anew, from the form's
  // own factory.
  for (int i = 0; i < m_form.Count(); ++i) {
    QWidget* control = m_form.ControlAt(i);
    if (qobject_cast<QComboBox*>(control) || qobject_cast<QRadioButton*>(control))
      ForgetAccessible(control);
  }
  BindDispatchTable();
  auto* print = new QShortcut(QKeySequence::Print, this);
  connect(print, &QShortcut::activated, this, [this] { OnPrint(); });
  auto* open = new QShortcut(QKeySequence::Open, this);
  connect(open, &QShortcut::activated, this, [this] { OnOpen(); });
}

CGeneratorDlg::~CGeneratorDlg() {
  // The widgets outlive the members; no command may run once these are going.
  for (int i = 0; i < m_form.Count(); ++i) {
    QWidget* control = m_form.ControlAt(i);
    control->removeEventFilter(this);
    disconnect(control, nullptr, this, nullptr);
  }
}

int CGeneratorDlg::DoModal() {
  // The form is the program's main window: shown as a window of its own,
  // not as a dialog modal to an invisible owner, and waited for until it
  // is closed.
  QEventLoop loop;
  connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
  setModal(false);
  show();
  if (isVisible()) loop.exec(QEventLoop::DialogExec);
  return result();
}

void CGeneratorDlg::BindDispatchTable() {
  for (const DispatchEntry& entry : kDispatchTable) {
    QWidget* control = m_form.Item(entry.id);
    const int id = entry.id;
    switch (entry.code) {
      case Notification::Clicked:
        connect(qobject_cast<QAbstractButton*>(control), &QAbstractButton::clicked, this,
                [this, id] { OnCommand(id, Notification::Clicked); });
        break;
      case Notification::SelChange:
        connect(qobject_cast<QComboBox*>(control), &QComboBox::activated, this,
                [this, id] { OnCommand(id, Notification::SelChange); });
        break;
      case Notification::KillFocus:
        control->installEventFilter(this);
        break;
    }
  }
  connect(qobject_cast<QAbstractButton*>(m_form.Item(IDOK)), &QAbstractButton::clicked, this,
          [this] { OnOK(); });
  connect(qobject_cast<QAbstractButton*>(m_form.Item(IDCANCEL)), &QAbstractButton::clicked, this,
          [this] { OnCancel(); });
}

bool CGeneratorDlg::OnCommand(int id, Notification code) {
  for (const DispatchEntry& entry : kDispatchTable) {
    if (entry.id == id && entry.code == code) {
      (this->*entry.handler)();
      return true;
    }
  }
  return false;
}

bool CGeneratorDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && m_bInitialized) {
    OnCommand(watched->property("controlId").toInt(), Notification::KillFocus);
  }
  return QDialog::eventFilter(watched, event);
}

void CGeneratorDlg::keyPressEvent(QKeyEvent* event) {
  // A button takes no typed characters: while one has the focus, a letter or
  // digit pressed without Alt (Shift allowed) is a mnemonic, as with Alt. The
  // name field types it and a list picks an entry by it; neither lets it
  // through to here.
  const QString text = event->text();
  const bool bare = (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == 0;
  if (bare && text.size() == 1 && text[0].isLetterOrNumber() &&
      qobject_cast<QAbstractButton*>(focusWidget()) != nullptr && m_form.TriggerMnemonic(text[0])) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CGeneratorDlg::setVisible(bool visible) {
  if (visible && !m_bInitialized) {
    m_bInitialized = true;
    if (OnInitDialog()) {
      // The first control in tab order that takes the focus gets it.
      for (int i = 0; i < m_form.Count(); ++i) {
        QWidget* control = m_form.ControlAt(i);
        if ((control->focusPolicy() & Qt::TabFocus) && control->isEnabled() &&
            !control->isHidden()) {
          control->setFocus(Qt::OtherFocusReason);
          break;
        }
      }
    }
  }
  QDialog::setVisible(visible);
}

void CGeneratorDlg::DoDataExchange(bool bSaveAndValidate) {
  if (!m_bBound) {
    m_bBound = true;
    BindList(m_cbWornItem, GetDlgItem(IDC_WORN_ITEM), IDC_WORN_ITEM);
    BindList(m_cbRightItem, GetDlgItem(IDC_RIGHT_ITEM), IDC_RIGHT_ITEM);
    BindList(m_cbLeftItem, GetDlgItem(IDC_LEFT_ITEM), IDC_LEFT_ITEM);
    BindList(m_cbPocketItem, GetDlgItem(IDC_POCKET_ITEM), IDC_POCKET_ITEM);
    BindList(m_cbPocket, GetDlgItem(IDC_POCKET), IDC_POCKET);
    m_btnMale.Attach(qobject_cast<QAbstractButton*>(GetDlgItem(IDC_MALE)));
    m_btnFemale.Attach(qobject_cast<QAbstractButton*>(GetDlgItem(IDC_FEMALE)));
    m_btnLeftHanded.Attach(qobject_cast<QAbstractButton*>(GetDlgItem(IDC_LEFT_HANDED)));
    m_btnRightHanded.Attach(qobject_cast<QAbstractButton*>(GetDlgItem(IDC_RIGHT_HANDED)));
    m_btnUseArchetype3.Attach(qobject_cast<QAbstractButton*>(GetDlgItem(IDC_USE_ARCHETYPE3)));
    m_btnUseArchetype2.Attach(qobject_cast<QAbstractButton*>(GetDlgItem(IDC_USE_ARCHETYPE2)));
    BindList(m_cbArchetype1, GetDlgItem(IDC_ARCHETYPE1), IDC_ARCHETYPE1);
    BindList(m_cbArchetype2, GetDlgItem(IDC_ARCHETYPE2), IDC_ARCHETYPE2);
    BindList(m_cbArchetype3, GetDlgItem(IDC_ARCHETYPE3), IDC_ARCHETYPE3);
    BindList(m_cbRace, GetDlgItem(IDC_RACE), IDC_RACE);
    for (TextExchange& exchange : m_exchange) {
      exchange.control = GetDlgItem(exchange.id);
      const auto* line = qobject_cast<const QLineEdit*>(exchange.control);
      exchange.editable = line != nullptr && !line->isReadOnly();
    }
  }

  for (TextExchange& exchange : m_exchange) {
    if (bSaveAndValidate) {
      if (exchange.known) {
        *exchange.text = exchange.shown;
        continue;
      }
      QString text = GetControlText(exchange.control);
      if (exchange.maxChars > 0 && text.size() > exchange.maxChars)
        text.truncate(exchange.maxChars);
      *exchange.text = ToWindows1252(text);
    } else {
      if (exchange.known && exchange.shown == *exchange.text) continue;
      SetControlText(exchange.control, FromWindows1252(*exchange.text));
      if (exchange.maxChars > 0) {
        auto* field = qobject_cast<QLineEdit*>(exchange.control);
        if (field != nullptr && field->maxLength() != exchange.maxChars)
          field->setMaxLength(exchange.maxChars);
      }
      if (!exchange.editable) {
        exchange.known = true;
        exchange.shown = *exchange.text;
      }
    }
  }
}

void CGeneratorDlg::UpdateData(bool bSaveAndValidate) { DoDataExchange(bSaveAndValidate); }

bool CGeneratorDlg::OnInitDialog() {
  // Bind the controls, blank the template's labels, limit the name.
  UpdateData(false);

  setWindowIcon(m_hIcon);
  SeedRandomFromClock();

  for (int c = 0; c < m_rules.CharacteristicsInUse(); ++c) {
    if (statLabelText[c] != nullptr) *statLabelText[c] = m_rules.GetCharLabel(c);
  }
  for (int s = 0; s < m_rules.SkillsInUse(); ++s) {
    if (skillLabelText[s] != nullptr) *skillLabelText[s] = m_rules.GetSkillLabel(s);
  }
  m_strStatus = STATUS_TEXT;
  UpdateData(false);

  m_cbRace.ResetContent();
  for (int r = 0; r < m_rules.RacesInUse(); ++r) {
    m_cbRace.SetItemData(m_cbRace.AddString(m_rules.m_aRaces[r].GetName()), r);
  }

  // The archetype lists are sorted: each archetype lands at its alphabetical
  // place, found once for all three.
  m_cbArchetype1.ResetContent();
  m_cbArchetype2.ResetContent();
  m_cbArchetype3.ResetContent();
  QString archetypeNames[MAX_ARCHETYPES];
  for (int a = 0; a < m_rules.ArchetypesInUse(); ++a)
    archetypeNames[a] = FromWindows1252(m_rules.m_aArchetypes[a].m_strName);
  for (const int a : AlphabeticalOrder(archetypeNames, m_rules.ArchetypesInUse())) {
    for (CComboBox* list : {&m_cbArchetype1, &m_cbArchetype2, &m_cbArchetype3})
      list->SetItemData(list->InsertString(-1, archetypeNames[a]), a);
  }

  // The catalogue as the equipment lists offer it, in alphabetical order.
  m_nItemOrder = 0;
  for (int i = 0; i < m_rules.ItemsInUse(); ++i)
    m_itemNames[i] = FromWindows1252(m_rules.m_aItems[i].m_strName);
  for (const int i : AlphabeticalOrder(m_itemNames, m_rules.ItemsInUse()))
    m_itemOrder[m_nItemOrder++] = i;
  m_cbArchetype2.EnableWindow(m_model.IsSecondArchetypeEnabled());
  m_cbArchetype3.EnableWindow(m_model.IsThirdArchetypeEnabled());

  m_cbPocket.ResetContent();
  for (int p = 0; p < m_model.Pockets(); ++p) {
    m_cbPocket.SetItemData(m_cbPocket.AddString(CFormModel::PocketText(p)), p);
  }
  m_cbPocket.SetCurSel(FindItemData(m_cbPocket, m_model.SelectedPocket()));

  m_btnUseArchetype3.EnableWindow(m_model.IsThirdBoxEnabled());
  m_btnRightHanded.SetCheck(m_model.IsRightHanded());
  m_btnMale.SetCheck(m_model.IsMale());

  // The first race of the rules, and the alphabetically first archetype.
  m_cbRace.SetCurSel(FindItemData(m_cbRace, m_model.Race()));
  m_cbArchetype1.SetCurSel(0);
  m_cbArchetype2.SetCurSel(0);
  m_cbArchetype3.SetCurSel(0);

  RollCharacteristics();
  RollSkills();
  return true;
}

void CGeneratorDlg::OnOK() {
  UpdateData(true);
  accept();
}

void CGeneratorDlg::OnCancel() { reject(); }

void CGeneratorDlg::RollCharacteristics() {
  // Without a race (a rules file without races) there is nothing to roll.
  if (m_model.ChooseRace(m_cbRace.GetItemData(m_cbRace.GetCurSel()))) {
    UpdateData(false);
    // The handedness rule, no box toggled: a new roll can take ambidexterity
    // away but never grants it.
    OnRightHanded();
  }
  RefreshDisplay();
}

void CGeneratorDlg::RollSkills() {
  UpdateData(true);
  // Whichever list the user chose in, the model learns what each shows.
  m_model.SelectArchetype(0, m_cbArchetype1.GetItemData(m_cbArchetype1.GetCurSel()));
  m_model.SelectArchetype(1, m_cbArchetype2.GetItemData(m_cbArchetype2.GetCurSel()));
  m_model.SelectArchetype(2, m_cbArchetype3.GetItemData(m_cbArchetype3.GetCurSel()));
  // Without archetypes (a rules file without any) nothing is rolled.
  m_model.RollSkills();
  ShowRolledSkills();
}

void CGeneratorDlg::ShowArchetypes() {
  // The three lists hold the same entries, each archetype once: the entry of
  // an archetype is at the same place in each.
  if (!m_model.UsesSecondArchetype())
    m_cbArchetype2.SetCurSel(FindItemData(m_cbArchetype2, m_model.Archetype(1)));
  if (!m_model.UsesThirdArchetype())
    m_cbArchetype3.SetCurSel(FindItemData(m_cbArchetype3, m_model.Archetype(2)));
}

void CGeneratorDlg::ShowRolledSkills() {
  ShowArchetypes();
  UpdateData(false);
  RefreshDisplay();
}

void CGeneratorDlg::ApplyEquipmentEffects() { m_model.ApplyEquipmentEffects(); }

void CGeneratorDlg::ShowArchetypeBoxes() {
  m_cbArchetype2.EnableWindow(m_model.IsSecondArchetypeEnabled());
  m_btnUseArchetype3.SetCheck(m_model.UsesThirdArchetype());
  m_btnUseArchetype3.EnableWindow(m_model.IsThirdBoxEnabled());
  m_cbArchetype3.EnableWindow(m_model.IsThirdArchetypeEnabled());
}

void CGeneratorDlg::OnUseArchetype2() {
  UpdateData(true);
  m_model.SetSecondArchetypeBox(m_btnUseArchetype2.GetCheck());
  ShowArchetypeBoxes();
  UpdateData(false);
  RollSkills();
}

void CGeneratorDlg::OnUseArchetype3() {
  UpdateData(true);
  m_model.SetThirdArchetypeBox(m_btnUseArchetype3.GetCheck());
  ShowArchetypeBoxes();
  UpdateData(false);
  RollSkills();
}

void CGeneratorDlg::OnKillFocusName() {
  UpdateData(true);
  m_model.SetName(m_strName);
}

void CGeneratorDlg::ShowHands() {
  if (m_btnRightHanded.GetCheck() != m_model.IsRightHanded())
    m_btnRightHanded.SetCheck(m_model.IsRightHanded());
  if (m_btnLeftHanded.GetCheck() != m_model.IsLeftHanded())
    m_btnLeftHanded.SetCheck(m_model.IsLeftHanded());
}

void CGeneratorDlg::OnRightHanded() {
  UpdateData(false);
  m_model.SetRightHanded(m_btnRightHanded.GetCheck());
  ShowHands();
  UpdateData(true);
}

void CGeneratorDlg::OnLeftHanded() {
  UpdateData(false);
  m_model.SetLeftHanded(m_btnLeftHanded.GetCheck());
  ShowHands();
  UpdateData(true);
}

void CGeneratorDlg::ShowSex() {
  if (m_btnMale.GetCheck() != m_model.IsMale()) m_btnMale.SetCheck(m_model.IsMale());
  if (m_btnFemale.GetCheck() == m_model.IsMale()) m_btnFemale.SetCheck(!m_model.IsMale());
}

void CGeneratorDlg::OnMale() {
  UpdateData(false);
  m_model.SetMale(m_btnMale.GetCheck());
  ShowSex();
  UpdateData(true);
}

void CGeneratorDlg::OnFemale() {
  UpdateData(false);
  m_model.SetMale(!m_btnFemale.GetCheck());
  ShowSex();
  UpdateData(true);
}

void CGeneratorDlg::OnRerollRace() { RollCharacteristics(); }

void CGeneratorDlg::OnRerollSkills() { RollSkills(); }

void CGeneratorDlg::OnSaveRules() {
  if (!m_strPlayerDataFolder.isEmpty()) {
    QString error;
    if (!SavePlayerRules(m_rules.ToText(), m_strPlayerDataFolder, &error)) {
      m_prompts->ShowError(this,
                           error + QStringLiteral(" Le regole installate %1 restano come sono.")
                                       .arg(Quoted(FileNameFromBytes(m_strRulesPath))));
    }
    return;
  }
  std::string error;
  if (!m_rules.Save(m_strRulesPath.c_str(), &error)) {
    m_prompts->ShowError(this, QString::fromUtf8(error));
  }
}

void CGeneratorDlg::OnSave() {
  // The save dialog takes the focus from the name field; the name is taken
  // now, whether or not the window system reports that change.
  if (focusWidget() == GetDlgItem(IDC_NAME)) OnKillFocusName();

  const SheetChoice choice = m_prompts->AskSheetPath(this, QDir::currentPath());
  if (choice.path.isEmpty()) return;

  const std::vector<std::string> archetypes = TakeIdentityFromForm();
  const std::string path = QFile::encodeName(choice.path).toStdString();
  std::string error;
  bool written = false;
  // A name ending in ".pdf", ".json" or ".pg" says what to write under any
  // entry; only another name takes the entry's.
  enum class Kind { Sheet, Printable, Foundry };
  Kind kind = choice.printable ? Kind::Printable : choice.foundry ? Kind::Foundry : Kind::Sheet;
  const auto endsIn = [&choice](const QString& extension) {
    return choice.path.endsWith(extension, Qt::CaseInsensitive);
  };
  if (endsIn(QStringLiteral(".pdf"))) kind = Kind::Printable;
  if (endsIn(QString::fromUtf8(FOUNDRY_EXTENSION))) kind = Kind::Foundry;
  if (endsIn(QStringLiteral(".pg"))) kind = Kind::Sheet;
  if (kind == Kind::Foundry) {
    // No seed: the same character gives the same bytes as `tarvo --foundry`
    // gives for its sheet.
    const std::string json = FoundryActorJson({m_character, m_rules, archetypes, m_strRulesPath,
                                               RulesFileHash(m_strRulesPath), std::nullopt});
    written = WriteFileAtomically(path, json, &error);
  } else if (kind == Kind::Printable) {
    written = WritePrintableSheet(path, {m_character, m_rules, archetypes, m_strRulesPath}, &error);
  } else {
    written = m_character.WriteSheet(path.c_str(), m_rules, &error);
  }
  if (!written) m_prompts->ShowError(this, QString::fromUtf8(error));
}

void CGeneratorDlg::OnPrint() {
  // The print dialog takes the focus from the name field, as the save dialog does.
  if (focusWidget() == GetDlgItem(IDC_NAME)) OnKillFocusName();

  QPrinter printer(QPrinter::HighResolution);
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setPageOrientation(QPageLayout::Portrait);
  printer.setFullPage(true);
  if (!m_prompts->AskPrinter(this, printer)) return;

  const SheetContent content{m_character, m_rules, TakeIdentityFromForm(), m_strRulesPath};
  printer.setDocName(PrintableSheetTitle(m_character));
  if (!PaintPrintableSheet(printer, content)) {
    const QString file = printer.outputFileName();
    m_prompts->ShowError(
        this, file.isEmpty()
                  ? QStringLiteral("Impossibile stampare la scheda sulla stampante \"%1\".")
                        .arg(printer.printerName())
                  : QStringLiteral("Impossibile stampare la scheda nel file \"%1\".")
                        .arg(QDir::toNativeSeparators(file)));
  }
}

void CGeneratorDlg::OnOpen() {
  const QString path = m_prompts->AskOpenSheetPath(this, QDir::currentPath());
  if (path.isEmpty()) return;
  CSheet sheet;
  QString error;
  if (!ReadSheetFile(path, m_rules, sheet, &error)) {
    m_prompts->ShowError(this, error);
    return;
  }
  const COpenedSheet opened = FitSheetToForm(std::move(sheet), path);
  ShowSheet(opened.sheet);
  if (!opened.notice.isEmpty()) m_prompts->ShowWarning(this, opened.notice);
}

void CGeneratorDlg::ShowSheet(const CSheet& sheet) {
  CCharacter read;
  ApplySheet(sheet, m_rules, read);
  m_model.Restore(read, sheet.m_nRace, sheet.m_aArchetypes, sheet.m_nArchetypes, sheet.m_bMale,
                  sheet.m_nHand);
  m_strName = read.m_strName;

  // The choices, as the controls show them after the player made them.
  m_cbRace.SetCurSel(FindItemData(m_cbRace, m_model.Race()));
  CComboBox* const lists[] = {&m_cbArchetype1, &m_cbArchetype2, &m_cbArchetype3};
  for (int k = 0; k < 3; ++k) lists[k]->SetCurSel(FindItemData(*lists[k], m_model.Archetype(k)));
  m_btnUseArchetype2.SetCheck(m_model.UsesSecondArchetype());
  ShowArchetypeBoxes();
  ShowSex();
  ShowHands();
  m_cbPocket.SetCurSel(FindItemData(m_cbPocket, m_model.SelectedPocket()));

  // The values, scores and equipment lists, and every text to the form.
  RefreshDisplay();
}

CSheetAtStart::CSheetAtStart(CGeneratorDlg& dialog, CSheet sheet, QString path)
    : m_dlg(dialog), m_sheet(std::move(sheet)), m_path(std::move(path)) {
  dialog.installEventFilter(this);
}

bool CSheetAtStart::eventFilter(QObject* watched, QEvent* event) {
  // The form sets itself up just before it shows, and is painted after.
  if (watched == &m_dlg && event->type() == QEvent::Show && !m_shown) {
    m_shown = true;
    const COpenedSheet opened = FitSheetToForm(m_sheet, m_path);
    m_dlg.ShowSheet(opened.sheet);
    m_notice = opened.notice;
  }
  return false;
}

std::vector<std::string> CGeneratorDlg::TakeIdentityFromForm() {
  m_model.SetName(m_strName);
  return m_model.TakeIdentity().archetypes;
}

void CGeneratorDlg::BuyFromList(CComboBox& list, EquipmentPlace place) {
  if (m_model.BuyItem(place, list.GetItemData(list.GetCurSel()))) {
    // What is held in a hand or worn acts on the character; a pocket item
    // does not.
    if (place != EquipmentPlace::Pocket) ApplyEquipmentEffects();
  } else {
    list.SetCurSel(FindItemData(list, m_model.SelectedItem(place)));
  }
  RefreshDisplay();
}

void CGeneratorDlg::OnSelChangeRightItem() { BuyFromList(m_cbRightItem, EquipmentPlace::Right); }

void CGeneratorDlg::OnSelChangeLeftItem() { BuyFromList(m_cbLeftItem, EquipmentPlace::Left); }

void CGeneratorDlg::OnSelChangeWornItem() { BuyFromList(m_cbWornItem, EquipmentPlace::Worn); }

void CGeneratorDlg::OnSelChangePocketItem() { BuyFromList(m_cbPocketItem, EquipmentPlace::Pocket); }

void CGeneratorDlg::OnSelChangePocket() {
  if (m_model.SelectPocket(m_cbPocket.GetItemData(m_cbPocket.GetCurSel()))) {
    m_cbPocketItem.SetCurSel(
        FindItemData(m_cbPocketItem, m_model.SelectedItem(EquipmentPlace::Pocket)));
  }
  RefreshDisplay();
}

void CGeneratorDlg::OfferItems(CComboBox& list, Offer& offer, EquipmentPlace place) {
  // Lists with the same signature offer the same items.
  const COfferSignature signature = m_model.OfferSignature(place);
  if (offer.made && offer.signature == signature) return;
  offer = {signature, true};

  int items[MAX_ITEMS];
  bool offered[MAX_ITEMS] = {};
  for (int k = m_model.OfferedItems(place, items) - 1; k >= 0; --k) offered[items[k]] = true;

  // The list holds catalogue items in alphabetical order; walking that order
  // once, the entries that come or go are inserted or removed in place.
  int row = 0;
  for (int k = 0; k < m_nItemOrder; ++k) {
    const int item = m_itemOrder[k];
    const bool listed = row < list.GetCount() && list.GetItemData(row) == item;
    if (offered[item]) {
      if (!listed) list.SetItemData(list.InsertString(row, m_itemNames[item]), item);
      ++row;
    } else if (listed) {
      list.DeleteString(row);
    }
  }
  while (list.GetCount() > row) list.DeleteString(row);
}

void CGeneratorDlg::SelectItemData(CComboBox& list, int data) {
  // A list offers an item once: the selected entry, if it is the one, is the
  // first with that item data.
  const int selected = list.GetCurSel();
  if (selected != CB_ERR && list.GetItemData(selected) == data) return;
  list.SetCurSel(FindItemData(list, data));
}

int CGeneratorDlg::FindItemData(const CComboBox& list, int data) const {
  for (int i = 0; i < list.GetCount(); ++i) {
    if (list.GetItemData(i) == data) return i;
  }
  return CB_ERR;
}

void CGeneratorDlg::RefreshDisplay() {
  // Each text is rebuilt in place, keeping its storage.
  for (int c = 0; c < m_rules.CharacteristicsInUse(); ++c) {
    if (statValueText[c] != nullptr) m_model.StatText(c, *statValueText[c]);
  }
  for (int s = 0; s < m_rules.SkillsInUse(); ++s) {
    if (skillValueText[s] != nullptr) m_model.SkillText(s, *skillValueText[s]);
  }
  m_model.ScoreText(FormScore::Honour, m_strHonour);
  m_model.ScoreText(FormScore::Money, m_strMoney);
  m_model.ScoreText(FormScore::Protection, m_strProtection);
  m_model.ScoreText(FormScore::CdB, m_strCdB);
  m_model.ScoreText(FormScore::PF, m_strPF);
  m_model.ScoreText(FormScore::PM, m_strPM);

  // Each list offers what the model offers, then selects the held item.
  OfferItems(m_cbLeftItem, m_offers[0], EquipmentPlace::Left);
  OfferItems(m_cbRightItem, m_offers[1], EquipmentPlace::Right);
  OfferItems(m_cbWornItem, m_offers[2], EquipmentPlace::Worn);
  OfferItems(m_cbPocketItem, m_offers[3], EquipmentPlace::Pocket);
  SelectItemData(m_cbRightItem, m_model.SelectedItem(EquipmentPlace::Right));
  SelectItemData(m_cbLeftItem, m_model.SelectedItem(EquipmentPlace::Left));
  SelectItemData(m_cbWornItem, m_model.SelectedItem(EquipmentPlace::Worn));
  SelectItemData(m_cbPocketItem, m_model.SelectedItem(EquipmentPlace::Pocket));

  UpdateData(false);
}
