#!/bin/bash
# Takes the screenshots of the README and the user guide under Xvfb.
#
#   docs/img/make-screenshots.sh [PROGRAM]
#
# PROGRAM is the built executable (default build/package/src/orvet). Needs
# xvfb-run, xdotool, sqlite3, iconv and ImageMagick's import. Works in a
# throw-away home folder: a first run makes the tables, sqlite3 puts in trip
# types and the receipts of the previous month, the settings file is written
# in Windows-1251, and the program is then driven from the keyboard only.
set -euo pipefail
if [ "${ORVET_SHOT_INNER:-}" != 1 ]; then
    ORVET_SHOT_INNER=1 exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
ORVET_SHOT_BIN="$(realpath "${1:-$root/build/package/src/orvet}")"
ORVET_SHOT_OUT="$root/docs/img"
HOME="$(mktemp -d)"
export HOME
trap 'rm -rf "$HOME"' EXIT
unset XDG_CONFIG_HOME
data="$HOME/Orvet"
ini="$HOME/.config/Orvet.ini"
mkdir -p "$data" "$HOME/.config"
cp "$root/resources/Orvet_Main.frf" "$data/"
cd "$data"

start() { LANG=ru_RU.UTF-8 LC_ALL= "$ORVET_SHOT_BIN" >/dev/null 2>&1 & pid=$!; }
# A shown window of the program whose title contains the text. (Titles are
# compared by getwindowname: xdotool's --name does not match Cyrillic here.)
find_window() {
    local w
    for w in $(xdotool search --onlyvisible --class orvet 2>/dev/null); do
        xdotool getwindowname "$w" | grep -qF -- "$1" && { echo "$w"; return 0; }
    done
    return 1
}
# A message box: titled with the program's name alone, not the main window.
find_message() {
    local w
    for w in $(xdotool search --onlyvisible --class orvet 2>/dev/null); do
        [ "$w" != "$main" ] && xdotool getwindowname "$w" | grep -qxF "Путевые листы" && { echo "$w"; return 0; }
    done
    return 1
}
waitfor() { for _ in $(seq 1 75); do find_window "$1" && return 0; sleep 0.2; done; return 1; }
focus() { xdotool windowfocus --sync "$1"; sleep 0.3; }
shot() { sleep 0.8; import -window "$1" "$ORVET_SHOT_OUT/$2"; }
quit() { focus "$main"; xdotool key ctrl+q; sleep 1; kill "$pid" 2>/dev/null || true; wait "$pid" || true; }

# First run: the tables are created.
start
main=$(waitfor "Путевые листы")
quit

# The previous calendar month, which the main window shows on start.
first=$(date -d "$(date +%Y-%m-01) -1 month" +%Y-%m)
sqlite3 LPoezd.db <<SQL
INSERT INTO LPoezd (NAME, TOUT, TIN, PROB) VALUES
 ('Офис - склад', '09:00', '18:00', 42),
 ('Налоговая инспекция', '09:00', '13:00', 28),
 ('Банк', '10:00', '12:00', 17),
 ('Поставщик, Химки', '08:30', '17:30', 74),
 ('Объезд клиентов', '09:00', '18:00', 96);
SQL
sqlite3 Chesks.db <<SQL
INSERT INTO Chesks (DATE, LITRS, SUMRUB) VALUES
 ('$first-03', 30, 1695), ('$first-10', 28.5, 1610.25),
 ('$first-17', 25, 1412.5), ('$first-24', 27.4, 1548.1);
SQL
# Winter mode is on for November to April, as the program expects.
month=$((10#$(date -d "$first-01" +%m)))
winter=0
{ [ "$month" -le 4 ] || [ "$month" -ge 11 ]; } && winter=-1
printf '%s\r\n' '[DataM]' 'Organizaciya=ООО "Ромашка"' 'Adress=г. Москва, ул. Лесная, д. 5' \
    'MarkaAvto=Lada Vesta' 'GosNomer=А123ВС 77' 'Voditel=Иванов И. И.' 'Utvejdaushiy=Петров П. П.' \
    'Rashodna100km=9,5' "Winter=$winter" 'StartoviyProbeg=48250' 'GlavBuh=Сидорова А. В.' \
    'Proveril=Главный бухгалтер' \
    '[MainF]' 'FormVersion=0' 'ShowCmd=1' 'NormPos=150,100,1130,640' \
    '[Orvet_New_F]' 'FormVersion=0' 'ShowCmd=1' 'NormPos=260,40,1020,760' |
    iconv -f utf-8 -t cp1251 >"$ini"

start
main=$(waitfor "Путевые листы")
sleep 1
focus "$main"

# Settings: F10, Right to "Настройки", Enter; Enter again is Ok.
xdotool key F10; sleep 0.4; xdotool key Right; sleep 0.3; xdotool key Return
w=$(waitfor "Настройки"); shot "$w" settings.png
focus "$w"; xdotool key Return; sleep 0.8

# A receipt: Insert in the waybill list, filled in, then Esc.
focus "$main"; xdotool key Insert
w=$(waitfor "Введение нового чека"); focus "$w"
xdotool type --delay 60 "$(date -d "$first-28" +%d%m%Y)"; xdotool key Tab
xdotool type --delay 60 "32,5"; xdotool key Tab; xdotool type --delay 60 "1836,25"
shot "$w" receipt.png; xdotool key Escape; sleep 0.8

# A trip type: Tab to the trip type list, Insert, filled in, then Esc.
focus "$main"; xdotool key Tab Tab Tab Tab Tab; sleep 0.2; xdotool key Insert
w=$(waitfor "Новый тип поездки"); focus "$w"
xdotool type --delay 60 "Автосервис"; xdotool key Tab Tab Tab; xdotool type --delay 60 "35"
shot "$w" trip-type.png; xdotool key Escape; sleep 0.8

# New waybill: F10, Enter opens "Работа", Enter runs its first item.
focus "$main"; xdotool key F10; sleep 0.4; xdotool key Return; sleep 0.4; xdotool key Return
sleep 1
if box=$(find_message); then
    focus "$box"; xdotool key Return # the winter mode warning
fi
w=$(waitfor "Новый Путевой лист"); sleep 1; shot "$w" editor-fitted.png
focus "$w"; xdotool key Return; sleep 1.5

focus "$main"; shot "$main" main-window.png

# Print preview: Ctrl+P.
xdotool key ctrl+p
w=$(waitfor "Предварительный просмотр"); sleep 1; shot "$w" print-preview.png
focus "$w"; xdotool key Escape; sleep 0.5
quit
echo "screenshots written to $ORVET_SHOT_OUT"
