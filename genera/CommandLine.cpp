#include "genera/CommandLine.h"

#include <QCommandLineParser>
#include <QList>

#include "app/Build.h"
#include "app/Console.h"
#include "app/RulesLocation.h"
#include "rules/Records.h"

namespace {

const char* const kUsage =
    "Uso: tarvo-genera [OPZIONI]\n"
    "Crea personaggi per il gioco di ruolo Velmor e li salva come schede .pg, senza\n"
    "finestre. Con lo stesso seme, le stesse regole e le stesse opzioni le schede\n"
    "sono ogni volta le stesse, byte per byte.\n"
    "\n"
    "Il personaggio:\n"
    "  --razza NOME          la razza (maiuscole e minuscole non contano);\n"
    "                        senza, una razza a caso per ogni personaggio\n"
    "  --archetipo NOME      un archetipo; fino a tre volte per due o tre archetipi;\n"
    "                        senza, un archetipo a caso per ogni personaggio\n"
    "  --sesso m|f           maschio (il predefinito) o femmina\n"
    "  --mano destra|sinistra|entrambe\n"
    "                        la mano dominante (predefinita: destra); entrambe solo\n"
    "                        con la terza caratteristica ad almeno 16, se no destra\n"
    "  --destra OGGETTO      compra OGGETTO per la mano destra\n"
    "  --sinistra OGGETTO    compra OGGETTO per la mano sinistra\n"
    "  --addosso OGGETTO     compra OGGETTO da indossare\n"
    "  --tasca OGGETTO       compra OGGETTO per la tasca seguente, dalla prima\n"
    "                        (fino a dieci volte)\n"
    "  --nome MODELLO        il nome; {n} diventa il numero del personaggio, da 1\n"
    "                        (predefinito: \"Personaggio {n}\")\n"
    "\n"
    "Il lotto:\n"
    "  --numero N            quanti personaggi, da 1 a 10000 (predefinito: 1)\n"
    "  --seme S              il seme del caso, da 0 a 4294967295; senza, viene\n"
    "                        dall'orologio e si legge sullo standard error\n"
    "  --regole FILE         il file delle regole (senza: vedi sotto)\n"
    "  --cartella DIR        dove scrivere le schede, NOME.pg (predefinita: la\n"
    "                        cartella di lavoro; creata se manca); con - le schede\n"
    "                        vanno sullo standard output\n"
    "  --stdout              scrive le schede una dopo l'altra sullo standard output\n"
    "  --sovrascrivi         sostituisce le schede che esistono già\n"
    "  --pdf                 scrive anche la scheda stampabile, NOME.pdf\n"
    "  --foundry             scrive anche il personaggio per Foundry VTT, NOME.json\n"
    "  --gruppo FILE         scrive anche il foglio del gruppo per il master, FILE:\n"
    "                        un PDF con tutti i personaggi, un riquadro ciascuno, e\n"
    "                        le loro schede .pg dentro; FILE è relativo alla\n"
    "                        cartella di lavoro, non a --cartella; va anche con\n"
    "                        --stdout\n"
    "  -q, --silenzioso      su un terminale, non mostra a che punto è il lotto\n"
    "                        né il riepilogo finale\n"
    "  -h, --help            mostra questo aiuto ed esce\n"
    "  -v, --version         mostra la versione ed esce\n"
    "\n"
    "Gli oggetti si comprano nell'ordine destra, sinistra, addosso, tasche, con le\n"
    "monete tirate; un oggetto che le monete non pagano si salta con un avviso.\n"
    "Senza --sovrascrivi, se una scheda da scrivere (o il foglio del gruppo) esiste\n"
    "già non si scrive nulla.\n"
    "Sul terminale una riga dice a che punto è il lotto e, alla fine, quante schede\n"
    "ha scritto, dove e in quanto tempo; Ctrl+C lo ferma fra un personaggio e\n"
    "l'altro e dice quanti ne ha scritti interi.\n"
    "\n"
    "Senza --regole, tarvo-genera usa il primo file che trova fra:\n";
const char* const kUsageEnd =
    "\n"
    "Esempio: dieci banditi orchi per stasera, nella cartella banditi:\n"
    "  tarvo-genera --razza orco --archetipo guerriero --destra \"spada corta\" \\\n"
    "    --tasca torcia --nome \"Bandito {n}\" --numero 10 --cartella banditi\n"
    "Con --gruppo banditi.pdf, anche tutti e dieci in un PDF solo da stampare.\n"
    "\n"
    "Stato d'uscita: 0 fatto; 1 regole non lette o scheda non scritta;\n"
    "2 riga di comando sbagliata; 130 interrotto con Ctrl+C.\n";

// A decimal number of digits only (no sign, no blanks) up to `most`.
std::optional<quint64> ParseDigits(const QString& text, quint64 most) {
  if (text.isEmpty() || text.size() > 20) return std::nullopt;
  quint64 value = 0;
  for (const QChar ch : text) {
    if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) return std::nullopt;
    value = value * 10 + static_cast<quint64>(ch.unicode() - '0');
    if (value > most) return std::nullopt;
  }
  return value;
}

bool HasControlCharacter(const QString& text) {
  for (const QChar ch : text) {
    if (ch.category() == QChar::Other_Control) return true;
  }
  return false;
}

}  // namespace

QString GeneraUsage() {
  return QString::fromUtf8(kUsage) + RulesSearchText() + QString::fromUtf8(kUsageEnd);
}

QString GeneraVersion() {
  return QStringLiteral("tarvo-genera (TARVO) %1 (Qt %2)\n")
      .arg(QString::fromUtf8(TARVO_VERSION), QString::fromUtf8(qVersion()));
}

CGeneraCommandLine ParseGeneraCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
  const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
  auto valued = [](const char* name, const char* value) {
    return QCommandLineOption(QString::fromLatin1(name), QString(), QString::fromLatin1(value));
  };
  const QCommandLineOption rules = valued("regole", "FILE");
  const QCommandLineOption race = valued("razza", "NOME");
  const QCommandLineOption archetype = valued("archetipo", "NOME");
  const QCommandLineOption sex = valued("sesso", "m|f");
  const QCommandLineOption hand = valued("mano", "MANO");
  const QCommandLineOption right = valued("destra", "OGGETTO");
  const QCommandLineOption left = valued("sinistra", "OGGETTO");
  const QCommandLineOption worn = valued("addosso", "OGGETTO");
  const QCommandLineOption pocket = valued("tasca", "OGGETTO");
  const QCommandLineOption name = valued("nome", "MODELLO");
  const QCommandLineOption count = valued("numero", "N");
  const QCommandLineOption folder = valued("cartella", "DIR");
  const QCommandLineOption seed = valued("seme", "S");
  const QCommandLineOption group = valued("gruppo", "FILE");
  const QCommandLineOption toStdout(QStringLiteral("stdout"));
  const QCommandLineOption overwrite(QStringLiteral("sovrascrivi"));
  const QCommandLineOption pdf(QStringLiteral("pdf"));
  const QCommandLineOption foundry(QStringLiteral("foundry"));
  const QCommandLineOption quiet(QStringList{QStringLiteral("q"), QStringLiteral("silenzioso")});
  const QList<QCommandLineOption> withValue = {rules, race,   archetype, sex,    hand,
                                               right, left,   worn,      pocket, name,
                                               count, folder, seed,      group};
  const QList<QCommandLineOption> allOptions =
      withValue +
      QList<QCommandLineOption>{help, version, toStdout, overwrite, pdf, foundry, quiet};
  parser.addOptions(allOptions);

  CGeneraCommandLine line;
  line.action = CGeneraCommandLine::Action::Error;
  auto fail = [&line](const QString& error) {
    line.error = error;
    return line;
  };

  if (!parser.parse(arguments)) {
    const QString hint = QStringLiteral(" (tarvo-genera --help per l'uso)");
    const QString unknown = UnknownOptionError(parser, arguments);
    if (!unknown.isEmpty()) return fail(unknown + hint);
    for (const QString& argument : arguments.mid(1)) {
      for (const QCommandLineOption& flag :
           {help, version, toStdout, overwrite, pdf, foundry, quiet}) {
        if (argument.startsWith(QStringLiteral("--") + flag.names().back() + QLatin1Char('=')))
          return fail(QStringLiteral("--%1 non vuole un valore%2").arg(flag.names().back(), hint));
      }
    }
    const QString last = arguments.size() > 1 ? arguments.back() : QString();
    for (const QCommandLineOption& option : withValue) {
      if (last == QStringLiteral("--") + option.names().front())
        return fail(QStringLiteral("manca il valore dopo %1%2").arg(last, hint));
    }
    return fail(QStringLiteral("riga di comando non valida%1").arg(hint));
  }
  if (parser.isSet(help)) {
    line.action = CGeneraCommandLine::Action::Help;
    return line;
  }
  if (parser.isSet(version)) {
    line.action = CGeneraCommandLine::Action::Version;
    return line;
  }
  // An option where a value should be: the value was forgotten.
  for (const QCommandLineOption& option : withValue) {
    for (const QString& value : parser.values(option)) {
      if (!value.startsWith(QStringLiteral("--"))) continue;
      const QString named = value.mid(2).section(QLatin1Char('='), 0, 0);
      for (const QCommandLineOption& known : allOptions) {
        if (known.names().contains(named))
          return fail(QStringLiteral("manca il valore dopo --%1 (tarvo-genera --help per l'uso)")
                          .arg(option.names().front()));
      }
    }
  }
  if (!parser.positionalArguments().isEmpty()) {
    return fail(QStringLiteral("argomento inatteso: %1 (le opzioni cominciano con --)")
                    .arg(Quoted(parser.positionalArguments().front())));
  }
  for (const QCommandLineOption& option : withValue) {
    const QString optionName = option.names().front();
    const qsizetype given = parser.values(option).size();
    if (given > 1 && optionName != QStringLiteral("archetipo") &&
        optionName != QStringLiteral("tasca")) {
      return fail(
          QStringLiteral("--%1 si può dare una volta sola, non %2").arg(optionName).arg(given));
    }
    for (const QString& value : parser.values(option)) {
      if (value.isEmpty())
        return fail(QStringLiteral("--%1 vuoto: serve un valore").arg(optionName));
    }
  }

  CGeneraOptions& options = line.options;
  options.rulesFile = parser.value(rules);
  if (parser.isSet(race)) options.race = parser.value(race);
  options.archetypes = parser.values(archetype);
  if (options.archetypes.size() > 3) {
    return fail(QStringLiteral("al massimo tre archetipi, non %1 (--archetipo)")
                    .arg(options.archetypes.size()));
  }
  if (parser.isSet(sex)) {
    const QString value = parser.value(sex).toLower();
    if (value != QStringLiteral("m") && value != QStringLiteral("f"))
      return fail(QStringLiteral("--sesso vuole m o f, non %1").arg(Quoted(parser.value(sex))));
    options.male = value == QStringLiteral("m");
  }
  if (parser.isSet(hand)) {
    const QString value = parser.value(hand).toLower();
    if (value == QStringLiteral("destra")) {
      options.hand = HAND_RIGHT;
    } else if (value == QStringLiteral("sinistra")) {
      options.hand = HAND_LEFT;
    } else if (value == QStringLiteral("entrambe")) {
      options.hand = HAND_BOTH;
    } else {
      return fail(QStringLiteral("--mano vuole destra, sinistra o entrambe, non %1")
                      .arg(Quoted(parser.value(hand))));
    }
  }
  if (parser.isSet(right)) options.right = parser.value(right);
  if (parser.isSet(left)) options.left = parser.value(left);
  if (parser.isSet(worn)) options.worn = parser.value(worn);
  options.pockets = parser.values(pocket);
  if (options.pockets.size() > POCKET_COUNT) {
    return fail(QStringLiteral("al massimo %1 tasche, non %2 (--tasca)")
                    .arg(POCKET_COUNT)
                    .arg(options.pockets.size()));
  }
  if (parser.isSet(name)) {
    options.namePattern = parser.value(name);
    if (HasControlCharacter(options.namePattern))
      return fail(QStringLiteral("il nome non può contenere caratteri di controllo (come a capo)"));
  }
  if (parser.isSet(count)) {
    const auto number = ParseDigits(parser.value(count), MAX_BATCH);
    if (!number || *number < 1) {
      return fail(QStringLiteral("--numero vuole un numero da 1 a %1, non %2")
                      .arg(MAX_BATCH)
                      .arg(Quoted(parser.value(count))));
    }
    options.count = static_cast<int>(*number);
  }
  if (parser.isSet(seed)) {
    const auto number = ParseDigits(parser.value(seed), 0xFFFFFFFFu);
    if (!number) {
      return fail(QStringLiteral("--seme vuole un numero da 0 a 4294967295, non %1")
                      .arg(Quoted(parser.value(seed))));
    }
    options.seed = static_cast<std::uint32_t>(*number);
  }
  options.toStdout = parser.isSet(toStdout);
  if (parser.isSet(folder)) {
    if (parser.value(folder) == QStringLiteral("-")) {
      options.toStdout = true;
    } else if (options.toStdout) {
      return fail(QStringLiteral(
          "--stdout e --cartella insieme: le schede vanno sullo standard output o in una "
          "cartella"));
    } else {
      options.folder = parser.value(folder);
    }
  }
  options.overwrite = parser.isSet(overwrite);
  options.pdf = parser.isSet(pdf);
  options.foundry = parser.isSet(foundry);
  options.quiet = parser.isSet(quiet);
  if (options.pdf && options.toStdout) {
    return fail(
        QStringLiteral("--pdf scrive file in una cartella: non si usa con lo standard output"));
  }
  if (options.foundry && options.toStdout) {
    return fail(QStringLiteral(
        "--foundry scrive un file .json accanto a ogni scheda: non si usa con lo standard "
        "output"));
  }
  options.group = parser.value(group);
  if (options.group == QStringLiteral("-")) {
    return fail(QStringLiteral(
        "--gruppo vuole il nome di un file: il foglio del gruppo non va sullo standard output"));
  }
  // "--gruppo *.pg" would name a sheet as the PDF to write.
  if (options.group.endsWith(QStringLiteral(".pg"), Qt::CaseInsensitive)) {
    return fail(QStringLiteral(
                    "--gruppo vuole il nome del PDF da scrivere, non una scheda: %1 (per esempio "
                    "--gruppo banda.pdf)")
                    .arg(Quoted(options.group)));
  }

  line.action = CGeneraCommandLine::Action::Run;
  return line;
}
