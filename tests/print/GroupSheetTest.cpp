// The group sheet written as a PDF and read back with poppler's tools: its
// pages, each character's block, the fonts, and the .pg sheets it carries.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "character/Dice.h"
#include "character/Generation.h"
#include "print/GroupSheet.h"
#include "print/Win1252.h"
#include "tests/FileBytes.h"
#include "tests/Items.h"
#include "tests/PdfTools.h"
#include "tests/TempFolder.h"

namespace {

class GroupSheetTest : public ::testing::Test {
 protected:
  // A character of `rules` rolled from `seed`: a race and two archetypes, a
  // sword in the right hand and a rope in pocket 1, the rest empty.
  CCharacter& Make(const CRules& rules, const std::string& name, unsigned seed) {
    CCharacter& ch = *m_characters.emplace_back(std::make_unique<CCharacter>());
    SeedRandom(seed);
    const int race = static_cast<int>(seed % static_cast<unsigned>(rules.RacesInUse()));
    const int archetypes[3] = {0, Second(rules, seed), 0};
    EXPECT_TRUE(RollCharacteristics(ch, rules, race));
    EXPECT_TRUE(RollSkills(ch, rules, archetypes, 2));
    ch.m_strName = name;
    ch.m_strRace = rules.m_aRaces[race].m_strName;
    ch.m_bMale = seed % 2;
    ch.m_nMoney = 500;
    if (&rules == &m_rules) {
      EXPECT_TRUE(Purchase(ch, rules, EquipmentPlace::Right, 0, 2));    // Spada Corta
      EXPECT_TRUE(Purchase(ch, rules, EquipmentPlace::Pocket, 1, 25));  // Corda
    }
    ch.m_nMoney += static_cast<int>(seed);
    return ch;
  }
  static int Second(const CRules& rules, unsigned seed) {
    return std::min(static_cast<int>(seed % 3) + 1, rules.ArchetypesInUse() - 1);
  }
  static std::vector<std::string> Archetypes(const CRules& rules, unsigned seed) {
    return {rules.m_aArchetypes[0].m_strName, rules.m_aArchetypes[Second(rules, seed)].m_strName};
  }

  // Writes the sheet; checks its page count and that every font is embedded.
  QString Write(CGroupSheet& sheet, int pages) {
    const std::string path = (m_folder / "gruppo.pdf").string();
    const QByteArray bytes = sheet.Pdf();
    EXPECT_FALSE(bytes.isEmpty());
    WriteBytes(path, bytes.toStdString());
    const QString pdf = QString::fromStdString(path);
    const QString info = PopplerOutput("pdfinfo", {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QString(R"(\nPages:\s+%1\n)").arg(pages))))
        << info.toStdString();
    const QStringList fonts = PopplerOutput("pdffonts", {pdf}).split('\n', Qt::SkipEmptyParts);
    EXPECT_GT(fonts.size(), 2);
    for (qsizetype i = 2; i < fonts.size(); ++i) {
      EXPECT_TRUE(fonts[i].contains(
          QRegularExpression(R"(^DejaVuSans.*\s+yes\s+(yes|no)\s+(yes|no)\s+\d+)")))
          << "not embedded: " << fonts[i].toStdString();
    }
    return pdf;
  }
  QString PageText(const QString& pdf, int page) {
    const QString n = QString::number(page);
    return PopplerOutput("pdftotext", {"-layout", "-f", n, "-l", n, pdf, "-"});
  }

  CRules m_rules{TARVO_TEST_BUNDLED_RULES};
  std::vector<std::unique_ptr<CCharacter>> m_characters;
  CTempFolder m_folder;
};

// Nine characters, six a page: every name on its page, every page numbered,
// the rules on the first, and each .pg inside, two of one name told apart.
TEST_F(GroupSheetTest, ABandOfNineTakesTwoPagesAndCarriesEverySheet) {
  ASSERT_TRUE(m_rules.IsLoaded());
  CGroupSheet sheet("/una/cartella/tarvo.rul");
  EXPECT_TRUE(sheet.Pdf().isEmpty()) << "no character, no sheet";
  const char* names[] = {"Aldo",  "Bruna",      "Cosimo", "Dora", "Ezio",
                         "Fosca", "Gianni Zoë", "Ilaria", "Lapo"};
  const char* files[] = {"Aldo.pg", "Bruna.pg",         "Cosimo.pg", "Dora.pg", "Ezio.pg",
                         "aldo.pg", "Gianni Zo\xEB.pg", "ALDO.pg",   "Lapo.pg"};
  for (unsigned i = 0; i < std::size(names); ++i) {
    const std::string name = ToWindows1252(QString::fromUtf8(names[i]));
    sheet.Add({Make(m_rules, name, i + 1), m_rules, Archetypes(m_rules, i + 1), "altre.rul"},
              files[i]);
  }
  EXPECT_EQ(sheet.Count(), 9);
  const QString pdf = Write(sheet, 2);
  const QString info = PopplerOutput("pdfinfo", {pdf});
  EXPECT_TRUE(info.contains(QRegularExpression(R"((^|\n)Title:\s+Gruppo di 9 personaggi\n)")));
  EXPECT_TRUE(info.contains(QRegularExpression(R"(\nCreator:\s+TARVO 1\.2\n)")));

  for (int page = 1; page <= 2; ++page) {
    const QString text = PageText(pdf, page);
    EXPECT_TRUE(text.contains(QString("pagina %1 di 2").arg(page))) << text.toStdString();
    EXPECT_EQ(text.contains("Regole: tarvo.rul"), page == 1) << text.toStdString();
    EXPECT_EQ(text.contains("TARVO 1.2"), page == 1);
    for (unsigned i = 0; i < std::size(names); ++i) {
      EXPECT_EQ(text.contains(QString::fromUtf8(names[i])), (i < 6) == (page == 1))
          << names[i] << " on page " << page;
    }
  }

  // Every sheet byte for byte, named as given but for the second and third
  // "aldo.pg", whatever their case.
  const std::filesystem::path out = m_folder / "allegati";
  std::filesystem::create_directory(out);
  PopplerOutput("pdfdetach", {"-saveall", "-o", QString::fromStdString(out.string()), pdf});
  const char* saved[] = {"Aldo.pg",     "Bruna.pg",      "Cosimo.pg",   "Dora.pg", "Ezio.pg",
                         "aldo (2).pg", "Gianni Zoë.pg", "ALDO (3).pg", "Lapo.pg"};
  for (unsigned i = 0; i < std::size(saved); ++i) {
    EXPECT_EQ(ReadBytes(out / saved[i]), m_characters[i]->SheetText(m_rules)) << saved[i];
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 9);
}

// A band of one shows its character's numbers as its .pg has them, the items
// it holds and none of the empty pockets; six make one page, seven two.
TEST_F(GroupSheetTest, OneCharacterShowsItsSheetsNumbersAndSixFillAPage) {
  CGroupSheet one(TARVO_TEST_BUNDLED_RULES);
  CCharacter& ch = Make(m_rules, "Solo", 7);
  one.Add({ch, m_rules, Archetypes(m_rules, 7), {}}, "Solo.pg");
  const QString text = PageText(Write(one, 1), 1);
  const std::string sheet = ch.SheetText(m_rules);
  const int force = std::stoi(sheet.substr(sheet.find("\r\nFOR ") + 6));
  const int money = std::stoi(sheet.substr(sheet.find("\r\nMonete ") + 9));
  ASSERT_EQ(money, ch.m_nMoney);
  for (const QString& expected : {
           QString(R"(Gruppo di 1 personaggio\s+Regole: tarvo\.rul\s+TARVO 1\.2\n)"),
           QString(R"(\nForza\s+%1 \(%2\)\s+0\s+%1\s)").arg(force).arg(force / 5),
           QString(R"(\sMonete\n.*\s%1\n)").arg(money),
           QString(R"(\sArmi Leggere\s+%1\+%2=%3 \(%4\)\n)")
               .arg(ch.m_aSkills[6].m_nValue)
               .arg(ch.m_aSkills[6].m_nModifier)
               .arg(ch.m_aSkills[6].m_nValue + ch.m_aSkills[6].m_nModifier)
               .arg(ch.m_aSkills[6].m_nValue + ch.m_aSkills[6].m_nModifier +
                    ch.m_aStats[2].m_nValue),
           QString(R"(\nMano destra\s+Spada Corta\s)"),
           QString(R"(\sPOTENZA 3\s+BONUS 1\s+MOD 1\s)"),
           QString(R"(\nTasca 1\s+Corda\s)"),
           QString(R"(pagina 1 di 1)"),
       }) {
    EXPECT_TRUE(text.contains(QRegularExpression(expected))) << expected.toStdString() << "\n"
                                                             << text.toStdString();
  }
  EXPECT_FALSE(text.contains("Tasca 0")) << "an empty pocket";
  EXPECT_TRUE(text.contains(QRegularExpression(R"(\nMano sinistra\s+<Nulla>\s)")));

  for (const int count : {6, 7}) {
    CGroupSheet band(TARVO_TEST_BUNDLED_RULES);
    for (int i = 0; i < count; ++i) band.Add({ch, m_rules, {}, {}}, "Solo.pg");
    Write(band, count == 6 ? 1 : 2);
  }
}

// Names at the widest the form takes, and everything else too long, on the
// bundled rules (six a page) and on rules at their capacities (four): each
// text is shortened or made smaller inside its block, clear of every other.
TEST_F(GroupSheetTest, TheWidestTextsStayInsideTheirBlocks) {
  CRules wide(TARVO_TEST_RULES_DIR "/wide.rul");
  ASSERT_TRUE(wide.IsLoaded());
  for (const CRules* rules : {&m_rules, &wide}) {
    const int perPage = rules == &m_rules ? 6 : 4;
    CGroupSheet sheet(TARVO_TEST_BUNDLED_RULES);
    const CItem item = MakeItem("Spada bastarda dell'ultimo re dei nani Khazad", "light", INT_MIN,
                                INT_MIN, INT_MIN, 0, 3);
    for (int i = 0; i < perPage; ++i) {
      CCharacter& ch = Make(*rules, std::string(25, i % 2 ? 'M' : 'W'), 11);
      ch.m_strRace = "Mezzelfo delle Paludi Orientali";
      for (CItem* held : {&ch.m_itemRight, &ch.m_itemLeft, &ch.m_itemWorn}) held->CopyFrom(item);
      if (rules == &wide) {
        for (CItem& pocket : ch.m_aPockets) pocket.CopyFrom(item);
        for (CSkillValue& skill : ch.m_aSkills) skill.m_nValue = skill.m_nModifier = INT_MIN;
        ch.m_nPFAct = ch.m_nPFTot = ch.m_nMoney = INT_MIN;
      }
      sheet.Add({ch,
                 *rules,
                 {"Cavaliere dell'Ordine Sacro", "Mago della Torre d'Avorio", "Ladro di Strada"},
                 {}},
                "x.pg");
    }
    const PdfPage page = PdfWords(Write(sheet, 1));
    ASSERT_FALSE(page.words.empty());
    const double edge = 7 / 25.4 * 72;  // the margins are 8 mm
    const QRectF inside(edge, edge, page.size.width() - 2 * edge, page.size.height() - 2 * edge);
    const double middle = page.size.width() / 2;  // between the two columns of blocks
    int shortened = 0;
    for (size_t i = 0; i < page.words.size(); ++i) {
      const PdfWord& word = page.words[i];
      EXPECT_TRUE(inside.contains(word.box)) << word.text.toStdString() << " lies outside";
      EXPECT_FALSE(word.box.left() < middle && word.box.right() > middle)
          << word.text.toStdString() << " crosses into the next block";
      EXPECT_FALSE(word.text.contains(QString(25, 'W')) || word.text.contains("Khazad"));
      if (word.text.startsWith("WWWW") || word.text.startsWith("MMMM"))
        shortened += word.text.endsWith("…");
      for (size_t j = i + 1; j < page.words.size(); ++j) {
        EXPECT_FALSE(word.box.adjusted(0.2, 0.2, -0.2, -0.2)
                         .intersects(page.words[j].box.adjusted(0.2, 0.2, -0.2, -0.2)))
            << word.text.toStdString() << " runs into " << page.words[j].text.toStdString();
      }
    }
    EXPECT_GE(shortened, perPage / 2) << "the names of W";
    QStringList words;
    for (const PdfWord& word : page.words) words << word.text;
    EXPECT_TRUE(words.contains(QString::number(INT_MIN))) << "numbers are never cut";
  }
}

}  // namespace
