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
#include "tests/PdfTools.h"
#include "tests/TempFolder.h"

namespace {

// The characters the form's name field holds.
constexpr int NAME_CHARS = 25;

std::string RulesPath(const char* name) { return std::string(TARVO_TEST_RULES_DIR "/") + name; }

CItem MakeItem(const std::string& name, const std::string& type, int potenza, int bonus, int mod) {
  CItem item;
  item.SetName(name);
  item.SetType(type);
  item.m_nPotenza = potenza;
  item.m_nBonus = bonus;
  item.m_nMod = mod;
  return item;
}

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
    return pdf;
  }

  CTempFolder m_folder;
};

// Zoë, an elf of Ladro and Guerriero, over rules whose skill bases are not in
// blocks: Fatica rests on the first characteristic, Magia on none.
TEST_F(PrintableSheetTest, ShowsTheCharactersNumbersAsTheFormDoesGroupedByCharacteristic) {
  CRules rules(RulesPath("form.rul").c_str());
  ASSERT_TRUE(rules.IsLoaded());
  rules.m_aSkillBase[4] = 0;   // Fatica
  rules.m_aSkillBase[11] = 9;  // Magia
  CCharacter ch;
  ch.m_strName = "Zo\xEB l'Ardita";
  ch.m_strRace = "Elfo";
  ch.m_bMale = 0;
  ch.m_nHand = 1;
  const int values[] = {12, 14, 16, 9};
  const int modifiers[] = {1, 0, -2, 0};
  for (int c = 0; c < 4; ++c) {
    ch.m_aStats[c].m_nValue = values[c];
    ch.m_aStats[c].m_nModifier = modifiers[c];
  }
  for (int s = 0; s < 15; ++s) ch.m_aSkills[s].m_nValue = s + 1;
  ch.m_aSkills[0].m_nValue = 7;
  ch.m_aSkills[0].m_nModifier = -2;
  ch.m_aSkills[10].m_nValue = INT_MAX;  // Furtività: its totals stop at the edge
  ch.m_aSkills[10].m_nModifier = 5;
  ch.m_aSkills[11].m_nValue = -3;
  ch.m_aSkills[12].m_nModifier = 1;
  ch.m_nPFAct = 14;
  ch.m_nPFTot = 15;
  ch.m_nPMAct = 9;
  ch.m_nPMTot = 9;
  ch.m_nHonour = 3;
  ch.m_nCdB = 80;
  ch.m_nArmour = 2;
  ch.m_nMoney = -4;
  ch.m_itemRight.CopyFrom(MakeItem("Pugnale", "light", 1, 1, 1));
  ch.m_itemLeft.CopyFrom(MakeItem("Rotella", "shield", 1, 0, 3));
  ch.m_itemWorn.CopyFrom(MakeItem("Cuoio", "armor", 2, 0, 0));
  ch.m_aPockets[0].CopyFrom(MakeItem("Corda", "empty", 0, 0, 0));

  const QString pdf = Write({ch, rules, {"Ladro", "Guerriero"}, RulesPath("form.rul")});
  const QString text = PdfLayoutText(pdf);
  for (const char* expected : {
           R"(Zoë l'Ardita\n)",
           R"(Elfo\s+Ladro / Guerriero\s+Femminile\s+Destro\n)",
           R"(\nVigore\s+12\s+1\s+13\s)",
           R"(\nTempra\s+14\s+0\s+14\s)",
           R"(\nAgilità\s+16\s+-2\s+14\s)",
           R"(\nSpirito\s+9\s+0\s+9\s)",
           R"(\sSpade\s+7\s+-2\s+5\s+17\n)",
           R"(\sFatica\s+5\s+0\s+5\s+17\n)",
           R"(\sFurtività\s+2147483647\s+5\s+2147483647\s+2147483647\n)",
           R"(\sSegni\s+13\s+1\s+14\s+23\n)",
           R"(\sMagia\s+-3\s+0\s+-3\s+-3\n)",
           R"(PF\s+PM\s+Onore\s)",
           R"(14/15\s+9/9\s+3\s)",
           R"(C\.d\.B\.\s+Protezione\s+Monete\s)",
           R"(80\s+2\s+-4\s)",
           R"(\nTasca 0\s+Corda\s)",
           R"(\nTasca 9\s+<Nulla>\s)",
           R"(Oggetto\s+Tipo\s+POTENZA\s+BONUS\s+MOD\n)",
           R"(\nMano destra\s+Pugnale\s+light\s+1\s+1\s+1\n)",
           R"(\nMano sinistra\s+Rotella\s+shield\s+1\s+0\s+3\n)",
           R"(\nAddosso\s+Cuoio\s+armor\s+2\s+0\s+0\n)",
           R"(\nNote\n)",
           R"(Regole: form\.rul\s+TARVO 1\.2\n)",
       }) {
    EXPECT_TRUE(text.contains(QRegularExpression(QString::fromUtf8(expected))))
        << expected << "\n"
        << text.toStdString();
  }

  // The skills in their groups, top to bottom; Tempra keeps no skill, so it
  // heads no group (it shows once, among the characteristics).
  const PdfPage page = PdfWords(pdf);
  const auto lowest = [&page](const QString& word) {
    double y = -1;
    double x = -1;
    for (const PdfWord& w : page.words) {
      if (w.text == word && w.box.left() > x) {
        x = w.box.left();
        y = w.box.top();
      }
    }
    EXPECT_GE(y, 0) << word.toStdString() << " is missing";
    return y;
  };
  const QStringList order = {"Vigore",  "Spade",    "Lance",     "Fabbro",  "Scudo",
                             "Fatica",  "Agilità",  "Salti",     "Pugnali", "Archi",
                             "Canto",   "Intaglio", "Furtività", "Spirito", "Segni",
                             "Volontà", "Fiuto",    "Senza",     "Magia"};
  for (qsizetype i = 1; i < order.size(); ++i) {
    EXPECT_LT(lowest(order[i - 1]), lowest(order[i])) << order[i].toStdString();
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
  ch.m_itemRight.CopyFrom(item);
  ch.m_itemLeft.CopyFrom(item);
  ch.m_itemWorn.CopyFrom(item);
  for (CItem& pocket : ch.m_aPockets) pocket.CopyFrom(item);

  const std::string rulesPath = (m_folder / "regole-della-grande-campagna-del-nord.rul").string();
  const QString pdf = Write(
      {ch,
       rules,
       {"Cavaliere dell'Ordine Sacro", "Mago della Torre d'Avorio", "Ladro di Strada e di Porto"},
       rulesPath});
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
  EXPECT_TRUE(words.contains("Senza"));
  EXPECT_TRUE(words.contains("TARVO"));
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
