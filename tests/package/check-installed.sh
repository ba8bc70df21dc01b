#!/usr/bin/env bash
# Checks the Debian package as a player gets it: unpacks the .deb into a
# folder of its own (dpkg-deb -x) and runs the unpacked program the way the
# desktop entry starts it, with a home and a data folder of the check's own,
# also on a sheet; then tarvo-genera and tarvo --pdf, with no display.
#   tests/package/check-installed.sh dist/tarvo_1.2.0_amd64.deb
# Stops at the first thing that is not as it should be, saying what.
set -euo pipefail
deb=$(realpath "$1")
repo=$(cd "$(dirname "$0")/../.." && pwd)
# A virtual X server and its window lister show the window's class.
"$repo/scripts/setup.sh" xvfb x11-utils x11-xkb-utils xkb-data \
  shared-mime-info desktop-file-utils xdg-utils libfile-mimeinfo-perl

work=$(mktemp -d "${TMPDIR:-/tmp}/tarvo-installed.XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "check-installed: $*" >&2
  exit 1
}

# $1 expected, $2 found, $3 what.
expect() {
  [ "$1" = "$2" ] || fail "$3: atteso «$1», trovato «$2»"
}

root="$work/root"
dpkg-deb -x "$deb" "$root"
version=$(dpkg-deb -f "$deb" Version)

# The desktop entry, the metainfo and the icons share one id; the entry starts
# the unpacked program and names its window class.
desktop=("$root"/usr/share/applications/*.desktop)
[ ${#desktop[@]} -eq 1 ] && [ -f "${desktop[0]}" ] || fail "serve una sola voce in usr/share/applications"
id=$(basename "${desktop[0]}" .desktop)
key() { sed -n "s/^$1=//p" "${desktop[0]}"; }
expect "$id" "$(key Icon)" "Icon della voce del menu"
expect tarvo "$(key StartupWMClass)" "StartupWMClass"
for file in "usr/share/metainfo/$id.metainfo.xml" "usr/share/icons/hicolor/scalable/apps/$id.svg" \
  usr/share/man/man6/tarvo.6.gz usr/share/man/man5/tarvo.rul.5.gz usr/share/tarvo/tarvo.rul; do
  [ -f "$root/$file" ] || fail "manca $file"
done
for size in 16 32 48 64 128 256; do
  png="$root/usr/share/icons/hicolor/${size}x$size/apps/$id.png"
  [ -f "$png" ] || fail "manca l'icona $size x $size"
  expect "$size $size" "$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4, $7*256+$8}')" \
    "misure di $png"
done
cmp "$repo/tarvo.rul" "$root/usr/share/tarvo/tarvo.rul" || fail "le regole installate non sono tarvo.rul"
# The entry hands TARVO the file it opens (%f), nothing when started from the menu.
exec_line=$(key Exec)
expect "%f" "${exec_line#* }" "argomenti di Exec"
tarvo="$root${exec_line%% *}"
[ -x "$tarvo" ] || fail "Exec=$exec_line non è nel pacchetto"

# A .pg sheet is a TARVO character sheet, by its name and by its first line,
# and the desktop opens it with TARVO.
share="$work/share"
mkdir -p "$share/mime"
cp -r "$root/usr/share/mime/packages" "$root/usr/share/applications" "$share/"
mv "$share/packages" "$share/mime/"
mime() { env XDG_DATA_DIRS="$share:/usr/share" XDG_DATA_HOME="$work/nessuno" \
  XDG_CONFIG_HOME="$work/nessuno" "$@"; }
mime update-mime-database "$share/mime"
mime update-desktop-database -q "$share/applications"
cp "$repo/tests/character/data/aldo.pg" "$work/aldo.pg"
cp "$repo/tests/character/data/aldo.pg" "$work/aldo.dat"
expect application/x-tarvo-pg "$(mime mimetype -b "$work/aldo.pg")" "tipo di aldo.pg"
expect application/x-tarvo-pg "$(mime mimetype -b -M "$work/aldo.dat")" "tipo dalla prima riga"
expect "$id.desktop" "$(mime xdg-mime query default application/x-tarvo-pg)" \
  "programma che apre le schede"
# The program lies where games go, and answers where programs are looked for.
[ -x "$root/usr/bin/tarvo" ] || fail "manca usr/bin/tarvo"
expect "$("$tarvo" --version)" "$("$root/usr/bin/tarvo" --version)" "usr/bin/tarvo --version"

# The first race of the bundled rules, in UTF-8: the form shows it first.
# Line 1 counts K characteristics of 3 lines, then S skills of 4 lines, then
# the race count, then the first race's name.
first_race_line() {
  local k s
  k=$(sed -n '1s/\r$//p' "$1")
  s=$(sed -n "$((2 + 3 * k))s/\r\$//p" "$1")
  echo $((4 + 3 * k + 4 * s))
}
race_line=$(first_race_line "$repo/tarvo.rul")
first_race=$(sed -n "${race_line}s/\r\$//p" "$repo/tarvo.rul" | iconv -f WINDOWS-1252 -t UTF-8)

home="$work/home"
data="$home/dati"
runtime="$work/runtime"
mkdir -p "$home" "$runtime" "$work/empty"
chmod 700 "$runtime"
# Runs the unpacked program from the empty folder in a clean environment:
# no display unless given, the check's own home and data folder.
run() {
  (cd "$work/empty" && exec env -i PATH=/usr/bin:/bin HOME="$home" XDG_DATA_HOME="$data" \
    XDG_RUNTIME_DIR="$runtime" LANG=C.UTF-8 "$@")
}

# --version and --help need no display.
status=0
out=$(run "$tarvo" --version) || status=$?
expect 0 "$status" "stato d'uscita di --version"
case "$out" in "TARVO $version (Qt "*")") ;; *) fail "--version dice «$out»" ;; esac
out=$(run "$tarvo" --help) || status=$?
expect 0 "$status" "stato d'uscita di --help"
case "$out" in "Uso: tarvo "*--regole*) ;; *) fail "--help dice «$out»" ;; esac

# Every file the man pages name as installed is in the package.
for page in man6/tarvo.6 man6/tarvo-genera.6 man5/tarvo.rul.5; do
  for file in $(zcat "$root/usr/share/man/$page.gz" | sed -n 's/^\.I \(\/usr\/.*\)/\1/p'); do
    [ -f "$root$file" ] || fail "$page nomina $file, che il pacchetto non ha"
  done
done

# No display: one Italian line and status 1, not Qt's abort.
status=0
run "$tarvo" >/dev/null 2>"$work/err" || status=$?
expect 1 "$status" "stato d'uscita senza display"
grep -q '^tarvo: nessuno schermo' "$work/err" || fail "senza display: «$(cat "$work/err")»"

# A mistaken command line: one line of error, the usage, status 2, no window.
for args in "--pippo" "uno.rul due.rul"; do
  status=0
  # shellcheck disable=SC2086  # the arguments are split on purpose
  run "$tarvo" $args >"$work/out" 2>"$work/err" || status=$?
  expect 2 "$status" "stato d'uscita di tarvo $args"
  [ ! -s "$work/out" ] || fail "tarvo $args scrive sullo standard output"
  head -n 1 "$work/err" | grep -q '^tarvo: ' || fail "tarvo $args: errore «$(head -n 1 "$work/err")»"
  grep -q '^Uso: tarvo' "$work/err" || fail "tarvo $args non mostra l'uso"
done

# Starts the form offscreen; once it shows its first rolls it prints the
# rules file, the race shown and the first characteristic, and ends.
start() {
  run QT_QPA_PLATFORM=offscreen TARVO_PROVA_AVVIO=1 timeout 60 "$tarvo" "$@"
}
copy="$data/tarvo/tarvo.rul"

[ ! -e "$data" ] || fail "la cartella dei dati c'è già"
# The check of the rules needs no display, checks the installed rules where
# they lie and makes no player's copy.
status=0
out=$(run "$tarvo" --verifica) || status=$?
expect 0 "$status" "stato d'uscita di --verifica"
expect "nessun problema" "$out" "tarvo --verifica sulle regole installate"
[ ! -e "$data" ] || fail "tarvo --verifica ha creato la cartella dei dati"

# The first start makes the player's copy from the installed rules and opens it.
out=$(start) || fail "il primo avvio finisce con lo stato $?"
expect "$copy" "$(sed -n 1p <<<"$out")" "file delle regole del primo avvio"
expect "$first_race" "$(sed -n 2p <<<"$out")" "razza mostrata al primo avvio"
sed -n 3p <<<"$out" | grep -Eq '^-?[0-9]+' || fail "nessun tiro al primo avvio: «$out»"
cmp "$root/usr/share/tarvo/tarvo.rul" "$copy" || fail "la copia del giocatore non è uguale alle regole installate"
[ -z "$(ls -A "$work/empty")" ] || fail "il programma scrive nella cartella di lavoro"

# A later start opens the copy as the player edited it.
sed -i "${race_line}s/.*/Provarazza\r/" "$copy"
edited=$(sha256sum <"$copy")
out=$(start) || fail "il secondo avvio finisce con lo stato $?"
expect "$copy" "$(sed -n 1p <<<"$out")" "file delle regole del secondo avvio"
expect Provarazza "$(sed -n 2p <<<"$out")" "razza mostrata dalla copia modificata"
expect "$edited" "$(sha256sum <"$copy")" "copia del giocatore dopo il secondo avvio"

# A home that cannot be written (guest and kiosk sessions), as an ordinary
# user: both programs start on the installed rules, read-only, and say once
# why. Root writes anywhere, so root runs them as nobody.
installed="$root/usr/share/tarvo/tarvo.rul"
guest_home="$work/ospite"
guest_runtime="$work/runtime-ospite"
mkdir -p "$guest_home" "$guest_runtime"
as_guest=()
if [ "$(id -u)" -eq 0 ]; then
  chmod 755 "$work"
  chown 65534:65534 "$guest_runtime"
  as_guest=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
else
  chmod 555 "$guest_home"
fi
chmod 700 "$guest_runtime"
guest() {
  (cd "$work/empty" && exec env -i PATH=/usr/bin:/bin HOME="$guest_home" \
    XDG_RUNTIME_DIR="$guest_runtime" LANG=C.UTF-8 "${as_guest[@]}" "$@")
}
said_once() {
  expect 1 "$(grep -c "Si usano le regole installate \"$installed\", in sola lettura" "$work/err")" \
    "$1: avvisi sulla casa in sola lettura ($(cat "$work/err"))"
}
before=$(sha256sum <"$installed")
out=$(guest env QT_QPA_PLATFORM=offscreen TARVO_PROVA_AVVIO=1 timeout 60 "$tarvo" 2>"$work/err") ||
  fail "tarvo con la casa in sola lettura finisce con lo stato $?: $(cat "$work/err")"
expect "$installed" "$(sed -n 1p <<<"$out")" "regole di tarvo con la casa in sola lettura"
said_once tarvo
guest "$root/usr/games/tarvo-genera" --stdout --seme 42 >"$work/ospite.pg" 2>"$work/err" ||
  fail "tarvo-genera --stdout con la casa in sola lettura finisce con lo stato $?: $(cat "$work/err")"
grep -q "^NOME Personaggio 1"$'\r'"\$" "$work/ospite.pg" || fail "tarvo-genera --stdout con la casa in sola lettura: $(head -c 200 "$work/ospite.pg")"
said_once tarvo-genera
[ -z "$(ls -A "$guest_home")" ] || fail "qualcosa è stato scritto nella casa in sola lettura"
expect "$before" "$(sha256sum <"$installed")" "regole installate dopo gli avvii in sola lettura"

# A reader that has gone (| true, | head -c10): an Italian line and status 1,
# not an end without a word. The pipe's reader is gone before the program
# starts.
closed_pipe() {
  local out status=0
  exec {out}> >(exit 0)
  wait $! 2>/dev/null || true
  run "$@" 1>&"$out" 2>"$work/err" || status=$?
  exec {out}>&-
  expect 1 "$status" "stato d'uscita di $* su un canale chiuso"
  grep -q "impossibile scrivere sullo standard output: il canale è stato chiuso dall'altra parte" \
    "$work/err" || fail "$* su un canale chiuso: «$(cat "$work/err")»"
}
closed_pipe "$tarvo" --help
closed_pipe "$root/usr/games/tarvo-genera" --stdout --numero 10000 --regole "$installed"
grep -q "(nessun personaggio è arrivato intero)" "$work/err" ||
  fail "tarvo-genera su un canale chiuso non dice quante schede sono arrivate: «$(cat "$work/err")»"

# A missing named file, and nothing anywhere: status 1 and the paths looked at.
status=0
start manca.rul >/dev/null 2>"$work/err" || status=$?
expect 1 "$status" "stato d'uscita con un file che non c'è"
grep -qF "$work/empty/manca.rul" "$work/err" || fail "l'errore non nomina il file: $(cat "$work/err")"
rm "$copy" "$root/usr/share/tarvo/tarvo.rul"
status=0
start >/dev/null 2>"$work/err" || status=$?
expect 1 "$status" "stato d'uscita senza regole"
for path in "$work/empty/tarvo.rul" "$copy" "$root/usr/share/tarvo/tarvo.rul"; do
  grep -qF "\"$path\"" "$work/err" || fail "l'errore non nomina $path: $(cat "$work/err")"
done
cp "$repo/tarvo.rul" "$copy"

# tarvo-genera, with no display: its help, and a seeded batch on the player's
# copy that comes out the same twice, with printable sheets drawn offscreen.
genera="$root/usr/games/tarvo-genera"
[ -x "$genera" ] || fail "manca usr/games/tarvo-genera"
[ -x "$root/usr/bin/tarvo-genera" ] || fail "manca usr/bin/tarvo-genera"
[ -f "$root/usr/share/man/man6/tarvo-genera.6.gz" ] || fail "manca la pagina di manuale di tarvo-genera"
status=0
out=$(run "$genera" --help) || status=$?
expect 0 "$status" "stato d'uscita di tarvo-genera --help"
case "$out" in "Uso: tarvo-genera "*--seme*) ;; *) fail "tarvo-genera --help dice «$out»" ;; esac
for batch in uno due; do
  run "$genera" --seme 42 --numero 3 --nome "Prova {n}" --pdf --cartella "$work/$batch" \
    2>"$work/err" || fail "tarvo-genera finisce con lo stato $?: $(cat "$work/err")"
  [ ! -s "$work/err" ] || fail "tarvo-genera scrive sullo standard error: $(cat "$work/err")"
done
for n in 1 2 3; do
  grep -q "^NOME Prova $n"$'\r'"\$" "$work/uno/Prova $n.pg" || fail "scheda Prova $n.pg: $(head -c 200 "$work/uno/Prova $n.pg")"
  cmp "$work/uno/Prova $n.pg" "$work/due/Prova $n.pg" || fail "lo stesso seme dà un'altra Prova $n.pg"
  expect "%PDF" "$(head -c 4 "$work/uno/Prova $n.pdf")" "inizio di Prova $n.pdf"
done

# A sheet on the command line opens in the form, as a file manager opens it:
# the form shows the sheet's race.
sheet_race=$(sed -n '7s/^RAZZA \(.*\)\r$/\1/p' "$work/uno/Prova 2.pg" | iconv -f WINDOWS-1252 -t UTF-8)
[ -n "$sheet_race" ] || fail "Prova 2.pg non ha la razza alla riga 7"
out=$(start "$work/uno/Prova 2.pg") || fail "l'avvio con una scheda finisce con lo stato $?"
expect "$copy" "$(sed -n 1p <<<"$out")" "file delle regole dell'avvio con una scheda"
expect "$sheet_race" "$(sed -n 2p <<<"$out")" "razza mostrata dall'avvio con Prova 2.pg"

# tarvo --pdf, with no display: the printable sheet beside the sheet, which
# it carries; an existing one stays unless it is to be replaced.
mkdir "$work/stampa"
cp "$work/uno/Prova 1.pg" "$work/stampa/eroe.pg"
run "$tarvo" --pdf "$work/stampa/eroe.pg" 2>"$work/err" ||
  fail "tarvo --pdf finisce con lo stato $?: $(cat "$work/err")"
[ ! -s "$work/err" ] || fail "tarvo --pdf scrive sullo standard error: $(cat "$work/err")"
expect "%PDF" "$(head -c 4 "$work/stampa/eroe.pdf")" "inizio di eroe.pdf"
pdfdetach -save 1 -o "$work/stampa/allegato.pg" "$work/stampa/eroe.pdf" >/dev/null
cmp "$work/stampa/eroe.pg" "$work/stampa/allegato.pg" || fail "eroe.pdf non contiene eroe.pg"
status=0
run "$tarvo" --pdf "$work/stampa/eroe.pg" 2>"$work/err" || status=$?
expect 1 "$status" "stato d'uscita di tarvo --pdf con il PDF che esiste già"
grep -q '^tarvo: .*esiste già' "$work/err" || fail "tarvo --pdf su un PDF che c'è: «$(cat "$work/err")»"
run "$tarvo" --pdf --sovrascrivi "$work/stampa/eroe.pg" ||
  fail "tarvo --pdf --sovrascrivi finisce con lo stato $?"

# On X11 the window's class is tarvo, tarvo whatever the program is called,
# so the desktop matches the window with its entry.
mkdir "$work/bin"
ln -s "$tarvo" "$work/bin/un-altro-nome"
# shellcheck source=tests/x11/xvfb.sh
. "$repo/tests/x11/xvfb.sh"
start_xvfb "$work" || fail "Xvfb non parte: $(cat "$work/xvfb.log")"
pids+=("$XVFB_PID")
display=$XVFB_DISPLAY
run DISPLAY="$display" "$work/bin/un-altro-nome" >"$work/x.log" 2>&1 &
pids+=($!)
window=""
for _ in $(seq 300); do
  window=$(DISPLAY="$display" xwininfo -root -tree 2>/dev/null | grep -F 'Velmor' || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "nessuna finestra sotto Xvfb: $(cat "$work/x.log")"
grep -qF '("tarvo" "tarvo")' <<<"$window" || fail "classe della finestra: $window"

echo "Il pacchetto installato funziona: $(basename "$deb")"
