#include "res/GeneratorDialog.h"

#include "res/resource.h"

namespace {

using namespace ControlStyle;
using C = ControlClass;

constexpr std::uint32_t kLabel = kNone;
constexpr std::uint32_t kFixedLabel = kNoWordWrap;
constexpr std::uint32_t kField = kBorder | kAutoHScroll | kTabStop;
constexpr std::uint32_t kValue = kReadOnly | kField;
constexpr std::uint32_t kList = kVScroll | kTabStop;
constexpr std::uint32_t kSortedList = kSort | kList;
constexpr std::uint32_t kPush = kPushButton | kTabStop;
constexpr std::uint32_t kCheck = kAutoCheckBox | kTabStop;
constexpr std::uint32_t kRadio = kAutoRadioButton | kGroup;

// clang-format off
constexpr ControlTemplate kControls[] = {
    {IDC_STATIC, "IDC_STATIC", C::Static, "&Nome", 10, 5, 95, 8, kLabel},
    {IDC_NAME, "IDC_NAME", C::Edit, "", 10, 15, 100, 12, kField},
    {IDC_STATIC, "IDC_STATIC", C::Static, "&Razza", 10, 30, 95, 8, kLabel},
    {IDC_RACE, "IDC_RACE", C::ComboBox, "", 10, 40, 85, 70, kList},
    {IDC_REROLL_RACE, "IDC_REROLL_RACE", C::Button, "R!", 98, 40, 12, 12, kPush},
    {IDC_MALE, "IDC_MALE", C::Button, "&Uomo", 10, 55, 45, 15, kRadio},
    {IDC_FEMALE, "IDC_FEMALE", C::Button, "D&onna", 65, 55, 45, 15, kRadio},
    {IDC_STAT_LABEL1, "IDC_STAT_LABEL1", C::Static, "Forza", 10, 70, 55, 8, kFixedLabel},
    {IDC_STAT1, "IDC_STAT1", C::Edit, "", 75, 70, 35, 12, kValue},
    {IDC_STAT_LABEL2, "IDC_STAT_LABEL2", C::Static, "Costituzione", 10, 86, 55, 8, kFixedLabel},
    {IDC_STAT2, "IDC_STAT2", C::Edit, "", 75, 86, 35, 12, kValue},
    {IDC_STAT_LABEL3, "IDC_STAT_LABEL3", C::Static, "Destrezza", 10, 102, 55, 8, kFixedLabel},
    {IDC_STAT3, "IDC_STAT3", C::Edit, "", 75, 100, 35, 12, kValue},
    {IDC_STAT_LABEL4, "IDC_STAT_LABEL4", C::Static, "Mana", 10, 118, 55, 8, kFixedLabel},
    {IDC_STAT4, "IDC_STAT4", C::Edit, "", 75, 116, 35, 12, kValue},
    {IDC_STATIC, "IDC_STATIC", C::Static, "PF", 10, 135, 30, 8, kLabel},
    {IDC_PF, "IDC_PF", C::Edit, "", 10, 145, 30, 12, kValue},
    {IDC_STATIC, "IDC_STATIC", C::Static, "PM", 45, 135, 30, 8, kLabel},
    {IDC_PM, "IDC_PM", C::Edit, "", 45, 145, 30, 12, kValue},
    {IDC_STATIC, "IDC_STATIC", C::Static, "Onore", 80, 135, 30, 8, kLabel},
    {IDC_HONOUR, "IDC_HONOUR", C::Edit, "", 80, 145, 30, 12, kValue},
    {IDC_STATIC, "IDC_STATIC", C::Static, "C.d.B.", 10, 160, 30, 8, kLabel},
    {IDC_CDB, "IDC_CDB", C::Edit, "", 10, 170, 30, 12, kValue},
    {IDC_STATIC, "IDC_STATIC", C::Static, "Protez.", 45, 160, 30, 8, kLabel},
    {IDC_PROTECTION, "IDC_PROTECTION", C::Edit, "", 45, 170, 30, 12, kValue},
    {IDC_STATIC, "IDC_STATIC", C::Static, "Monete", 80, 160, 30, 8, kLabel},
    {IDC_MONEY, "IDC_MONEY", C::Edit, "", 80, 170, 30, 12, kValue},
    {IDC_RIGHT_HANDED, "IDC_RIGHT_HANDED", C::Button, "Des&tro", 10, 185, 45, 8, kCheck},
    {IDC_LEFT_HANDED, "IDC_LEFT_HANDED", C::Button, "&Mancino", 65, 185, 45, 8, kCheck},
    {IDC_STATUS, "IDC_STATUS", C::Edit, "", 10, 197, 100, 20, kMultiLine | kReadOnly | kStaticEdge | kTabStop},
    {IDC_STATIC, "IDC_STATIC", C::Static, "Archetipo #&1", 120, 5, 95, 8, kLabel},
    {IDC_ARCHETYPE1, "IDC_ARCHETYPE1", C::ComboBox, "", 120, 15, 105, 70, kSortedList},
    {IDC_REROLL_SKILLS, "IDC_REROLL_SKILLS", C::Button, "R!", 228, 15, 12, 12, kPush},
    {IDC_USE_ARCHETYPE2, "IDC_USE_ARCHETYPE2", C::Button, "Archetipo #&2", 120, 29, 90, 8, kCheck},
    {IDC_ARCHETYPE2, "IDC_ARCHETYPE2", C::ComboBox, "", 120, 40, 120, 70, kSortedList | kDisabled},
    {IDC_USE_ARCHETYPE3, "IDC_USE_ARCHETYPE3", C::Button, "Archetipo #&3", 120, 53, 90, 8, kCheck | kDisabled},
    {IDC_ARCHETYPE3, "IDC_ARCHETYPE3", C::ComboBox, "", 120, 65, 120, 70, kSortedList | kDisabled},
    {IDC_SKILL_LABEL1, "IDC_SKILL_LABEL1", C::Static, "Armi Pesanti", 120, 85, 60, 8, kFixedLabel},
    {IDC_SKILL1, "IDC_SKILL1", C::Edit, "", 180, 85, 60, 12, kValue},
    {IDC_SKILL_LABEL2, "IDC_SKILL_LABEL2", C::Static, "Armi Medie", 120, 100, 60, 8, kFixedLabel},
    {IDC_SKILL2, "IDC_SKILL2", C::Edit, "", 180, 100, 60, 12, kValue},
    {IDC_SKILL_LABEL3, "IDC_SKILL_LABEL3", C::Static, "Lavorare Metalli", 120, 114, 60, 8, kFixedLabel},
    {IDC_SKILL3, "IDC_SKILL3", C::Edit, "", 180, 114, 60, 12, kValue},
    {IDC_SKILL_LABEL4, "IDC_SKILL_LABEL4", C::Static, "Usare Scudo", 120, 130, 60, 8, kFixedLabel},
    {IDC_SKILL4, "IDC_SKILL4", C::Edit, "", 180, 130, 60, 12, kValue},
    {IDC_SKILL_LABEL5, "IDC_SKILL_LABEL5", C::Static, "Resis. Fisica", 120, 159, 60, 8, kFixedLabel},
    {IDC_SKILL5, "IDC_SKILL5", C::Edit, "", 180, 159, 60, 12, kValue},
    {IDC_SKILL_LABEL6, "IDC_SKILL_LABEL6", C::Static, "Acrobazia", 120, 190, 60, 8, kFixedLabel},
    {IDC_SKILL6, "IDC_SKILL6", C::Edit, "", 180, 190, 60, 12, kValue},
    {IDC_SKILL_LABEL7, "IDC_SKILL_LABEL7", C::Static, "Armi Leggere", 120, 205, 60, 8, kFixedLabel},
    {IDC_SKILL7, "IDC_SKILL7", C::Edit, "", 180, 205, 60, 12, kValue},
    {IDC_SKILL_LABEL8, "IDC_SKILL_LABEL8", C::Static, "Armi a Distanza", 250, 86, 60, 8, kFixedLabel},
    {IDC_SKILL8, "IDC_SKILL8", C::Edit, "", 310, 85, 60, 12, kValue},
    {IDC_SKILL_LABEL10, "IDC_SKILL_LABEL10", C::Static, "Manufatti", 250, 102, 60, 8, kFixedLabel},
    {IDC_SKILL10, "IDC_SKILL10", C::Edit, "", 310, 101, 60, 12, kValue},
    {IDC_SKILL_LABEL9, "IDC_SKILL_LABEL9", C::Static, "Musica/Canto", 250, 116, 60, 8, kFixedLabel},
    {IDC_SKILL9, "IDC_SKILL9", C::Edit, "", 310, 117, 60, 12, kValue},
    {IDC_SKILL_LABEL11, "IDC_SKILL_LABEL11", C::Static, "Sotterfugio", 250, 131, 60, 8, kFixedLabel},
    {IDC_SKILL11, "IDC_SKILL11", C::Edit, "", 310, 131, 60, 12, kValue},
    {IDC_SKILL_LABEL12, "IDC_SKILL_LABEL12", C::Static, "Arte Magica", 250, 161, 60, 8, kFixedLabel},
    {IDC_SKILL12, "IDC_SKILL12", C::Edit, "", 310, 161, 60, 12, kValue},
    {IDC_SKILL_LABEL15, "IDC_SKILL_LABEL15", C::Static, "Individuare", 250, 176, 60, 8, kFixedLabel},
    {IDC_SKILL15, "IDC_SKILL15", C::Edit, "", 310, 176, 60, 12, kValue},
    {IDC_SKILL_LABEL13, "IDC_SKILL_LABEL13", C::Static, "Interpr. dei Segni", 250, 191, 60, 8, kFixedLabel},
    {IDC_SKILL13, "IDC_SKILL13", C::Edit, "", 310, 191, 60, 12, kValue},
    {IDC_SKILL_LABEL14, "IDC_SKILL_LABEL14", C::Static, "Res. Mentale", 250, 206, 60, 8, kFixedLabel},
    {IDC_SKILL14, "IDC_SKILL14", C::Edit, "", 310, 206, 60, 12, kValue},
    {IDC_STATIC, "IDC_STATIC", C::Static, "&Destra", 245, 5, 50, 8, kLabel},
    {IDC_RIGHT_ITEM, "IDC_RIGHT_ITEM", C::ComboBox, "", 245, 15, 60, 70, kSortedList},
    {IDC_STATIC, "IDC_STATIC", C::Static, "S&inistra", 310, 5, 45, 8, kLabel},
    {IDC_LEFT_ITEM, "IDC_LEFT_ITEM", C::ComboBox, "", 310, 15, 60, 70, kSortedList},
    {IDC_STATIC, "IDC_STATIC", C::Static, "&Addosso", 245, 30, 45, 8, kLabel},
    {IDC_WORN_ITEM, "IDC_WORN_ITEM", C::ComboBox, "", 245, 40, 125, 70, kSortedList},
    {IDC_POCKET, "IDC_POCKET", C::ComboBox, "", 245, 65, 55, 70, kSortedList},
    {IDC_POCKET_ITEM, "IDC_POCKET_ITEM", C::ComboBox, "", 305, 65, 65, 70, kSortedList},
    {IDC_SAVE, "IDC_SAVE", C::Button, "&Salva", 380, 5, 50, 15, kDefPushButton | kTabStop},
    {IDCANCEL, "IDCANCEL", C::Button, "&Esci", 380, 25, 50, 14, kPush},
    {IDOK, "IDOK", C::Button, "OK", 380, 85, 50, 14, kPush | kHidden},
    {IDC_SAVE_RULES, "IDC_SAVE_RULES", C::Button, "Salva Regole", 380, 110, 50, 15, kPush | kHidden},
};
// clang-format on

static_assert(sizeof(kControls) / sizeof(kControls[0]) == GENERATOR_DIALOG_CONTROLS);

constexpr DialogTemplate kGeneratorDialog = {
    IDD_GENERATOR_DIALOG,
    "Generatore personaggi per Velmor",
    442,
    226,
    "MS Sans Serif",
    8,
    kControls,
    GENERATOR_DIALOG_CONTROLS,
};

}  // namespace

const DialogTemplate& GeneratorDialogTemplate() { return kGeneratorDialog; }
