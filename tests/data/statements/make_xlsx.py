#!/usr/bin/python3
"""Writes card-statement.xlsx, a statement as a card issuer's portal gives
it: a title row, then dates as dates, amounts as numbers, products as text.
Run once; the file is kept beside it (Debian's python3-openpyxl)."""
import datetime
import os

import openpyxl

book = openpyxl.Workbook()
sheet = book.active
sheet.title = 'Операции'
sheet.append(['Отчёт по операциям за март 2025 г.'])
sheet.append(['Дата', 'Карта', 'Продукт', 'Объём', 'Стоимость'])
rows = [
    (datetime.datetime(2025, 3, 4, 9, 30), 'АИ-95', 38.2, 2139.2),
    (datetime.datetime(2025, 3, 11, 18, 5), 'АИ-95', 41.0, 2296.0),
    (datetime.datetime(2025, 3, 11, 18, 7), 'Омывающая жидкость', 1, 350),
    (datetime.datetime(2025, 3, 25, 7, 45), 'АИ-95', 39.75, 2226.0),
]
for when, product, litres, rubles in rows:
    sheet.append([when, '7826 **** 5678', product, litres, rubles])
    sheet.cell(sheet.max_row, 1).number_format = 'DD.MM.YYYY HH:MM'
book.save(os.path.join(os.path.dirname(os.path.abspath(__file__)), 'card-statement.xlsx'))
