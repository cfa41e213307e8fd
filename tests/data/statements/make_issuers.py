#!/usr/bin/python3
"""Writes issuers/*: five statement layouts as card issuers' personal
cabinets export them, each as UTF-8 and Windows-1251 text, .xlsx and .xls.
Run once; the files are kept beside it. Needs Debian's python3-openpyxl and
LibreOffice Calc (which saves the .xls, as another program would)."""
import datetime as dt
import os
import subprocess
import tempfile

import openpyxl

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'issuers')
THIN, NARROW, NBSP = '\u2009', '\u202f', '\u00a0'


def d(text):
    return dt.datetime.strptime(text, '%d.%m.%Y %H:%M:%S')


# Each layout: rows of cells (str, int/float, datetime), the separator of
# its text form and the space it puts between thousands (UTF-8, cp1251).
LAYOUTS = {
    # A title, a client line with a comma, gross and discounted sums.
    'a-title-discount': (';', (THIN, NBSP), [
        ['Отчёт по транзакциям за период с 01.11.2026 по 30.11.2026'],
        ['Клиент: ООО «Ромашка», ИНН 7701234567'],
        ['Гр. номер карты', 'Держатель', 'Дата', 'Услуга', 'Количество', 'Цена на ТО', 'Сумма',
         'Стоимость со скидкой', 'Адрес ТО'],
        ['7826 0101 0012 3456', 'Иванов И. И.', d('01.11.2026 08:15:33'), 'АИ-95', 40.0, 61.5, 2460.0, 2386.2,
         'г. Тверь, ул. Лесная, 4'],
        ['7826 0101 0012 3456', 'Иванов И. И.', d('09.11.2026 18:02:10'), 'АИ-95', 35.5, 61.5, 2183.25, 2117.86,
         'г. Тверь, ул. Лесная, 4'],
        ['7826 0101 0012 3456', 'Иванов И. И.', d('12.11.2026 12:00:00'), 'Мойка', 1, 450.0, 450.0, 450.0,
         'г. Тверь, пр. Ленина, 1'],
        ['7826 0101 0012 3456', 'Иванов И. И.', d('20.11.2026 07:45:00'), 'АИ-95', 42.1, 62.0, 2610.2, 2531.97,
         'г. Тверь, ул. Лесная, 4'],
    ]),
    # Blocks per card; a refund marked by the operation only.
    'b-card-blocks': (';', (' ', ' '), [
        ['Выписка по договору № 45-ТК от 01.01.2026'],
        ['Дата', 'Тип операции', 'Услуга', 'Количество', 'Цена', 'Стоимость', 'Адрес (ТО)', 'Валюта'],
        ['Карта № 7826 0101 0012 3456 — Иванов Иван Иванович'],
        [d('03.11.2026 09:10:00'), 'Покупка', 'АИ-95', 45.5, 56.4, 2566.2, 'АЗС № 12, г. Тверь', 'RUB'],
        [d('05.11.2026 10:00:00'), 'Возврат', 'АИ-95', 5.0, 56.4, 282.0, 'АЗС № 12, г. Тверь', 'RUB'],
        [d('17.11.2026 19:30:00'), 'Покупка', 'АИ-95', 38.0, 56.4, 2143.2, 'АЗС № 3, г. Тверь', 'RUB'],
        ['Итого по карте', '', '', 78.5, '', 4427.4, '', ''],
        ['Карта № 7826 0101 0012 9999 — Петров Пётр Петрович'],
        [d('04.11.2026 11:00:00'), 'Покупка', 'ДТ', 60.0, 68.9, 4134.0, 'АЗС № 12, г. Тверь', 'RUB'],
        ['Итого по карте', '', '', 60.0, '', 4134.0, '', ''],
    ]),
    # Negative refunds, closed by «Итоги»; the workbook opens with a summary.
    'c-summary-sheet': (';', (NARROW, NBSP), [
        ['Дата трн.', 'Карта', 'Услуга', 'Кол-во', 'Ед. изм.', 'Цена', 'Сумма с налогом, всего', 'ТО', 'Бренд',
         'Город', 'Адрес ТО'],
        [d('02.11.2026 08:00:00'), '7826 **** **** 3456', 'Бензин АИ-92', 30, 'л', 52.3, 1569.0, 'ТО 101',
         'Сеть А', 'Тверь', 'ул. Лесная, 4'],
        [d('14.11.2026 17:20:00'), '7826 **** **** 3456', 'Бензин АИ-92', 44.2, 'л', 52.3, 2311.66, 'ТО 101',
         'Сеть А', 'Тверь', 'ул. Лесная, 4'],
        [d('15.11.2026 09:00:00'), '7826 **** **** 3456', 'Бензин АИ-92', -10, 'л', 52.3, -523.0, 'ТО 101',
         'Сеть А', 'Тверь', 'ул. Лесная, 4'],
        ['Итоги', '', '', 64.2, '', '', 3357.66, '', '', '', ''],
    ]),
    # Dates as ISO text, subtotals without a date, a shifted «Итог:».
    'd-day-nomenclature': (';', (' ', ' '), [
        ['Транзакции по картам за май 2026'],
        ['День /Номенклатура', 'Дата время', 'АЗС', 'Адрес', 'Карта', 'Держатель', 'Количество', 'Цена на АЗС',
         'Цена', 'Сумма'],
        ['АИ-95'],
        ['12.05.2026', '2026-05-12 16:20:46', 'АЗС 7', 'Тверь, Лесная, 4', '7826010100123456', 'Иванов И. И.', 40,
         58.1, 56.9, 2276.0],
        ['20.05.2026', '2026-05-20 08:05:00', 'АЗС 7', 'Тверь, Лесная, 4', '7826010100123456', 'Иванов И. И.', 33.5,
         58.1, 56.9, 1906.15],
        ['АИ-95', '', '', '', '', '', 73.5, '', '', 4182.15],
        ['7826010100123456', '', '', '', '', '', 73.5, '', '', 4182.15],
        ['', '', '', '', 'Итог:', 73.5, '', '', 4182.15],
    ]),
    # No sum: litres × the price.
    'e-no-sum': (',', (' ', ' '), [
        ['Дата', 'карта', 'адрес азс', 'вид топлива', 'кол-во', 'цена без скидки'],
        [d('07.11.2026 10:11:12'), '7826 **** 3456', 'г. Тверь, ул. Лесная, 4', 'АИ-95', 41.3, 57.2],
        [d('21.11.2026 15:00:00'), '7826 **** 3456', 'г. Тверь, пр. Ленина, 1', 'АИ-95', 38.75, 57.4],
    ]),
}

SUMMARY = [['Сводка по договору за ноябрь 2026'], ['Карт в выписке', 1], ['Итого литров', 64.2],
           ['Итого, руб.', 3357.66]]


def text_number(value, space):
    whole, frac = f'{abs(value):.2f}'.split('.')
    groups = []
    while len(whole) > 3:
        groups.insert(0, whole[-3:])
        whole = whole[:-3]
    groups.insert(0, whole)
    return ('-' if value < 0 else '') + space.join(groups) + ',' + frac


def text_cell(value, separator, space):
    if isinstance(value, dt.datetime):
        text = value.strftime('%d.%m.%Y %H:%M:%S')
    elif isinstance(value, (int, float)):
        text = text_number(value, space)
    else:
        text = value
    if separator in text or '"' in text:
        text = '"' + text.replace('"', '""') + '"'
    return text


def write_text(name, separator, space, rows, encoding):
    lines = [separator.join(text_cell(v, separator, space) for v in row) for row in rows]
    with open(os.path.join(HERE, name), 'w', encoding=encoding, newline='') as f:
        f.write('\r\n'.join(lines) + '\r\n')


def write_book(path, rows, summary_first):
    book = openpyxl.Workbook()
    sheet = book.active
    if summary_first:
        sheet.title = 'Сводка'
        for row in SUMMARY:
            sheet.append(row)
        sheet = book.create_sheet('Транзакции')
    else:
        sheet.title = 'Выписка'
    for row in rows:
        sheet.append(row)
        for cell in sheet[sheet.max_row]:
            if isinstance(cell.value, dt.datetime):
                cell.number_format = 'DD.MM.YYYY HH:MM:SS'
    book.save(path)


os.makedirs(HERE, exist_ok=True)
for name, (separator, (utf8_space, cp1251_space), rows) in LAYOUTS.items():
    write_text(name + '-utf8.csv', separator, utf8_space, rows, 'utf-8')
    write_text(name + '-cp1251.csv', separator, cp1251_space, rows, 'cp1251')
    write_book(os.path.join(HERE, name + '.xlsx'), rows, name.startswith('c-'))
    with tempfile.TemporaryDirectory() as profile:
        subprocess.run(['soffice', f'-env:UserInstallation=file://{profile}', '--headless', '--convert-to', 'xls',
                        '--outdir', HERE, os.path.join(HERE, name + '.xlsx')], check=True,
                       stdout=subprocess.DEVNULL)
