#!/usr/bin/python3
"""What a screen reader reads: the program's AT-SPI tree on a real desktop.

Runs under its own session bus with the accessibility bus started, on the
desktop layer's own Xvfb and openbox, and reads the tree as Orca does,
through pyatspi: the period control and its dates, the titles of the lists'
columns, the readings of the day editor and the text of the print preview.
Keys are pressed through xdotool, as a person presses them.
"""
import argparse
import os
import subprocess
import sys

if "DBUS_SESSION_BUS_ADDRESS" not in os.environ:
    # A session bus of its own, gone with the test.
    os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable, *sys.argv])

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_test import TOOLS, Failure, Program, check, run_session, wait_until  # noqa: E402

import pyatspi  # noqa: E402

MONTHS = ("январь", "февраль", "март", "апрель", "май", "июнь", "июль", "август", "сентябрь", "октябрь",
          "ноябрь", "декабрь")
WAYBILL_TITLES = ["Дата", "Номер", "Год", "Месяц", "Пробег на начало", "Пробег на конец", "Сумма рублей",
                  "Сумма литров"]
DAY_TITLES = ["Число", "Поездка", "Время выезда", "Время приезда", "Пробег на начало", "Пробег на конец",
              "Дистанция", "Расход бензина"]


def application():
    return wait_until("the program on the accessibility bus", lambda: next(
        (a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == "orvet"), None))


def shown(title):
    """The window with that title on the screen; the program's dialogs stay in the tree when closed."""
    return next((w for w in application() if w is not None and w.name.startswith(title) and
                 w.getState().contains(pyatspi.STATE_SHOWING)), None)


def window(title, timeout=15.0):
    return wait_until(f'the window "{title}" in the tree', lambda: shown(title), timeout)


def closed(title):
    wait_until(f'the window "{title}" to close', lambda: shown(title) is None, 5)


def find(root, role, name=None):
    found = pyatspi.findDescendant(root, lambda a: a.getRole() == role and (name is None or a.name == name))
    if found is None:
        raise Failure(f"no {pyatspi.role.ROLE_NAMES.get(role, role)} named {name!r} in {root.name!r}")
    return found


def text(acc):
    t = acc.queryText()
    return t.getText(0, t.characterCount)


def read_only(acc):
    return acc.getState().contains(pyatspi.STATE_READ_ONLY)


def column_titles(table):
    return [c.name for c in table if c is not None and c.getRole() == pyatspi.ROLE_TABLE_COLUMN_HEADER]


def in_words(month):
    return f"{MONTHS[month.month - 1]} {month.year}"


def the_period(d, program, month):
    """The up-down is a spin button whose value is the period; the dates are read-only texts."""
    main = window("Путевые листы")
    spin = find(main, pyatspi.ROLE_SPIN_BUTTON, "Период")
    check(text(spin) == in_words(month), f"the period reads {text(spin)!r}, not {in_words(month)!r}")
    start = find(main, pyatspi.ROLE_TEXT, "Период от")
    check(read_only(start), '"Период от" is not read-only')
    check(text(start) == month.strftime("01.%m.%Y"), f'"Период от" reads {text(start)!r}')
    d.focus(program.main)
    d.keys("Tab", "Tab", "Tab", "Up")
    following = (month.replace(day=28) + (month.replace(day=28) - month.replace(day=1))).replace(day=1)
    wait_until(f"the period to read {in_words(following)!r}", lambda: text(spin) == in_words(following), 5)
    d.keys("Down")
    wait_until("the period to come back", lambda: text(spin) == in_words(month), 5)
    titles = column_titles(find(main, pyatspi.ROLE_TABLE, "Путевые листы"))
    check(titles == WAYBILL_TITLES, f"the waybill list's columns read {titles}")


def the_days(d, program):
    """The day table's columns by their titles; the day editor's readings with their values."""
    editor_id = program.new_waybill()
    editor = window("Новый Путевой лист")
    titles = column_titles(find(editor, pyatspi.ROLE_TABLE, "Поездки"))
    check(titles == DAY_TITLES, f"the day table's columns read {titles}")
    d.keys("Tab", "Tab", "Tab", "Tab", "Tab")
    day = None
    for _ in range(3):  # the first rows may be days off, which do not open
        d.keys("F2")
        try:
            day = window("Редактирование дня", timeout=2)
            break
        except Failure:
            d.keys("Down")
    check(day is not None, "F2 opened no working day")
    for caption in ("Пробег на начало", "Пробег на конец"):
        reading = find(day, pyatspi.ROLE_TEXT, caption)
        check(read_only(reading), f'"{caption}" is not read-only')
        check(text(reading).isdigit(), f'"{caption}" reads {text(reading)!r}, not a number')
    d.keys("Escape")
    closed("Редактирование дня")
    d.keys("Return")  # the month is stored, for the preview
    d.gone(editor_id, "Enter to close the editor")


def the_preview(d, program):
    """The preview's pages are sections with the waybill's text."""
    d.focus(program.main)
    d.keys("ctrl+p")
    preview = window("Путевой лист №")
    document = find(preview, pyatspi.ROLE_DOCUMENT_FRAME)
    pages = [p for p in document if p is not None and p.getRole() == pyatspi.ROLE_SECTION]
    check(pages, "the preview shows no page to a screen reader")
    check(pages[0].name == f"Страница 1 из {len(pages)}", f"the first page is named {pages[0].name!r}")
    check("ПУТЕВОЙ ЛИСТ" in text(pages[0]), f"the first page reads {text(pages[0])[:80]!r}")
    d.keys("Escape")
    closed("Путевой лист №")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", required=True)
    binary = os.path.abspath(parser.parse_args().program)
    launcher = "/usr/libexec/at-spi-bus-launcher"
    if not os.access(launcher, os.X_OK):
        print(f"missing {launcher} (scripts/test installs at-spi2-core)")
        return 1
    os.environ["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
    bus = subprocess.Popen([launcher, "--launch-immediately"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def checks(d, data, config, month, attempt):
        with Program(d, binary, data, config) as program:
            # A window left open by a failed check would mislead the next one.
            attempt("the period", lambda: the_period(d, program, month)) and \
                attempt("the days", lambda: the_days(d, program)) and \
                attempt("the preview", lambda: the_preview(d, program))

    try:
        return run_session(binary, TOOLS, checks)
    finally:
        bus.terminate()


if __name__ == "__main__":
    sys.exit(main())
