// The printable sheet written as a PDF and read back with poppler's tools:
// one A4 page, fonts embedded, the form's numbers, every text in its box.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QRegularExpression>
#include <algorithm>
#include <climits>
#include <string>

#include "print/PrintableSheet.h"
#include "tests/FileBytes.h"
#include "tests/Items.h"
#include "tests/PdfTools.h"
#include "tests/TempFolder.h"

namespace {

// The characters the form's name field holds.
constexpr int NAME_CHARS = 25;

std::string RulesPath(const char* name) { return std::string(TARVO_TEST_RULES_DIR "/") + name; }

class PrintableSheetTest : public ::testing::Test {
 protected:
  // Writes the sheet and checks what every PDF of it must be.
  QString Write(const SheetContent& content) {
    const std::string path = (m_folder / "scheda.pdf").string();
    std::string error;
    EXPECT_TRUE(WritePrintableSheet(path, content, &error)) << error;
    const QString pdf = QString::fromStdString(path);

    const QString info = PopplerOutput("pdfinfo", {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(R"(\nPages:\s+1\n)"))) << info.toStdString();
    EXPECT_TRUE(info.contains(
        QRegularExpression(R"(\nPage size:\s+595(\.\d+)? x 84[12](\.\d+)? pts \(A4\))")))
        << info.toStdString();
    // Every font is embedded, and it is DejaVu Sans.
    const QStringList fonts = PopplerOutput("pdffonts", {pdf}).split('\n', Qt::SkipEmptyParts);
    EXPECT_GT(fonts.size(), 2);
    for (qsizetype i = 2; i < fonts.size(); ++i) {
      EXPECT_TRUE(fonts[i].startsWith("DejaVuSans")) << fonts[i].toStdString();
      EXPECT_TRUE(fonts[i].contains(QRegularExpression(R"(\s+yes\s+(yes|no)\s+(yes|no)\s+\d+)")))
          << "not embedded: " << fonts[i].toStdString();
    }
    // The PDF carries the character's .pg sheet, named as the PDF, byte for
    // byte what a save writes.
    EXPECT_EQ(PopplerOutput("pdfdetach", {"-list", pdf}).toStdString(),
              "1 embedded files\n1: scheda.pg\n");
    const std::string saved = (m_folder / "estratta.pg").string();
    PopplerOutput("pdfdetach", {"-save", "1", "-o", QString::fromStdString(saved), pdf});
    EXPECT_EQ(ReadBytes(saved), content.character.SheetText(content.rules));
    return pdf;
  }

  CTempFolder m_folder;
};

// Zoë, an elf of Ladro and Guerriero, over rules whose skill bases are not in
// blocks: Fatica rests on the first characteristic, Magia on none.
TEST_F(PrintableSheetTest, ShowsTheFormsNumbersWithTheSkillsGroupedByCharacteristic) {
  CRules rules(RulesPath("form.rul").c_str());
  ASSERT_TRUE(rules.IsLoaded());
  rules.m_aSkillBase[4] = 0;
  rules.m_aSkillBase[11] = 9;
  CCharacter ch;
  ch.m_strName = "Zo\xEB l'Ardita";
  ch.m_strRace = "Elfo";
  ch.m_bMale = 0;
  for (int c = 0; c < 4; ++c) ch.m_aStats[c].m_nValue = 12 + 2 * c;
  ch.m_aStats[2].m_nModifier = -2;
  for (int s = 0; s < 15; ++s) ch.m_aSkills[s].m_nValue = s + 1;
  ch.m_aSkills[0].m_nModifier = -2;
  ch.m_aSkills[10].m_nValue = INT_MAX;  // Furtività: its totals stop at the edge
  ch.m_aSkills[10].m_nModifier = 5;
  ch.m_nPFAct = 14;
  ch.m_nPFTot = 15;
  ch.m_nMoney = -4;
  ch.m_itemRight.CopyFrom(MakeItem("Pugnale", "light", 1, 2, 3));
  ch.m_itemLeft.CopyFrom(MakeItem("Brocchiere", "SHIELD", 1, 0, 2));
  ch.m_aPockets[0].CopyFrom(MakeItem("Corda", "empty", 0, 0, 0));

  const QString pdf = Write({ch, rules, {"Ladro", "Guerriero"}, RulesPath("form.rul")});
  const QString text = PdfLayoutText(pdf);
  for (const char* expected : {
           R"(Zoë l'Ardita\n)",
           R"(Elfo\s+Ladro / Guerriero\s+Femminile\s+Destro\n)",
           R"(\nAgilità\s+16 \(3\)\s+-2\s+14\s)",
           R"(\nVigore\s+12 \(2\)\s+0\s+12\s)",
           R"(\sSpade\s+1\s+-2\s+-1\s+11\n)",
           R"(\sFatica\s+5\s+0\s+5\s+17\n)",
           R"(\sFurtività\s+2147483647\s+5\s+2147483647\s+2147483647\n)",
           R"(\sMagia\s+12\s+0\s+12\s+12\n)",
           R"(\s14/15\s+0/0\s+0\s)",
           R"(\s0\s+0\s+-4\s)",
           R"(\nTasca 0\s+Corda\s)",
           // Each type as a player knows it: the skill its key names, the
           // shield, and nothing for the empty item.
           R"(\nMano destra\s+Pugnale\s+Pugnali\s+1\s+2\s+3\n)",
           R"(\nMano sinistra\s+Brocchiere\s+Scudo\s+1\s+0\s+2\n)",
           R"(\nAddosso\s+<Nulla>\s+0\s+0\s+0\n)",
           R"(\nNote\n)",
           R"(Regole: form\.rul\s+TARVO 1\.2\n)",
       }) {
    EXPECT_TRUE(text.contains(QRegularExpression(QString::fromUtf8(expected))))
        << expected << "\n"
        << text.toStdString();
  }

  // Down the skills column (the rightmost of words that show twice): groups
  // in rules order; Tempra keeps no skill, so it heads no group.
  const PdfPage page = PdfWords(pdf);
  double above = 0;
  for (const char* word :
       {"Vigore", "Fatica", "Agilità", "Furtività", "Spirito", "Senza", "Magia"}) {
    const PdfWord* rightmost = nullptr;
    for (const PdfWord& w : page.words) {
      if (w.text == QString::fromUtf8(word) && (!rightmost || w.box.left() > rightmost->box.left()))
        rightmost = &w;
    }
    ASSERT_NE(rightmost, nullptr) << word;
    EXPECT_GT(rightmost->box.top(), above) << word;
    above = rightmost->box.top();
  }
  EXPECT_EQ(std::count_if(page.words.begin(), page.words.end(),
                          [](const PdfWord& w) { return w.text == "Tempra"; }),
            1);
}

// Rules at every capacity, every text longer than its box and every number at
// the 32-bit edge: the page still holds everything, each word inside the
// margins and clear of every other.
TEST_F(PrintableSheetTest, EveryTextStaysInItsBoxWithRulesAtTheirCapacities) {
  CRules rules(RulesPath("wide.rul").c_str());
  ASSERT_TRUE(rules.IsLoaded());
  ASSERT_EQ(rules.CharacteristicsInUse(), MAX_CHARACTERISTICS);
  ASSERT_EQ(rules.SkillsInUse(), MAX_SKILLS);
  for (int c = 0; c < MAX_CHARACTERISTICS; ++c) {
    rules.m_aCharLabel[c] = "C" + std::to_string(c + 1) + " Caratteristica dal nome lunghissimo";
  }
  for (int s = 0; s < MAX_SKILLS; ++s) {
    rules.m_aSkillLabel[s] =
        (s < 9 ? "S0" : "S") + std::to_string(s + 1) + " Abilit\xE0 dal nome davvero molto lungo";
  }
  rules.m_aSkillBase[MAX_SKILLS - 1] = -1;  // a sixth group: no characteristic
  CCharacter ch;
  ch.m_strName = std::string(NAME_CHARS, 'W');  // the widest name the form takes
  ch.m_strRace = "Mezzelfo delle Paludi Orientali";
  for (CStatValue& stat : ch.m_aStats) stat.m_nValue = stat.m_nModifier = INT_MIN;
  for (CSkillValue& skill : ch.m_aSkills) skill.m_nValue = skill.m_nModifier = INT_MIN;
  ch.m_nPFAct = ch.m_nPFTot = ch.m_nPMAct = ch.m_nPMTot = INT_MIN;
  ch.m_nHonour = ch.m_nCdB = ch.m_nArmour = ch.m_nMoney = INT_MIN;
  const std::string longName = "Spada bastarda dell'ultimo re dei nani Khazad";  // 45 characters
  ASSERT_EQ(longName.size(), 45u);
  const CItem item = MakeItem(longName, "arma-a-due-mani-pesantissima", INT_MIN, INT_MIN, INT_MIN);
  for (CItem* held : {&ch.m_itemRight, &ch.m_itemLeft, &ch.m_itemWorn}) held->CopyFrom(item);
  for (CItem& pocket : ch.m_aPockets) pocket.CopyFrom(item);

  const QString pdf = Write(
      {ch,
       rules,
       {"Cavaliere dell'Ordine Sacro", "Mago della Torre d'Avorio", "Ladro di Strada e di Porto"},
       "regole-della-grande-campagna-del-nord-e-delle-isole.rul"});
  const PdfPage page = PdfWords(pdf);
  ASSERT_FALSE(page.words.empty());

  // Everything 10 mm or more inside the paper's edges.
  const double edge = 10 / 25.4 * 72;
  const QRectF inside(edge, edge, page.size.width() - 2 * edge, page.size.height() - 2 * edge);
  for (const PdfWord& word : page.words) {
    EXPECT_TRUE(inside.contains(word.box)) << word.text.toStdString() << " lies outside";
  }
  for (size_t i = 0; i < page.words.size(); ++i) {
    for (size_t j = i + 1; j < page.words.size(); ++j) {
      const QRectF a = page.words[i].box.adjusted(0.2, 0.2, -0.2, -0.2);
      EXPECT_FALSE(a.intersects(page.words[j].box.adjusted(0.2, 0.2, -0.2, -0.2)))
          << page.words[i].text.toStdString() << " runs into " << page.words[j].text.toStdString();
    }
  }

  QStringList words;
  for (const PdfWord& word : page.words) words << word.text;
  EXPECT_TRUE(words.contains(QString(NAME_CHARS, 'W'))) << "the name in full";
  for (int c = 1; c <= MAX_CHARACTERISTICS; ++c) EXPECT_TRUE(words.contains(QString("C%1").arg(c)));
  for (int s = 1; s <= MAX_SKILLS; ++s) {
    EXPECT_TRUE(words.contains(QString("S%1").arg(s, 2, 10, QChar('0')))) << s;
  }
  EXPECT_TRUE(words.contains("TARVO"));
  // The three archetypes, each in full.
  for (const char* archetype :
       {"Cavaliere dell'Ordine Sacro", "Mago della Torre d'Avorio", "Ladro di Strada e di Porto"})
    EXPECT_TRUE(words.join(' ').contains(QString::fromUtf8(archetype))) << archetype;
  // The item's name is shortened, in the hands and the pockets alike.
  EXPECT_FALSE(words.join(' ').contains("Khazad"));
  EXPECT_GE(words.filter("…").size(), 13);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QGuiApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
