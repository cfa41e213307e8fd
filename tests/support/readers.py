#!/usr/bin/python3
"""Reads the program's exports the way other programs do and prints what
they found as JSON, for the tests to check. Only Debian's packages:
python3 (csv), python3-html5lib, unrtf, python3-openpyxl."""
import csv
import json
import subprocess
import sys

import html5lib


def read_csv(path, delimiter):
    with open(path, 'rb') as f:
        bom = f.read(3) == b'\xef\xbb\xbf'
    with open(path, encoding='utf-8-sig', newline='') as f:
        rows = list(csv.reader(f, delimiter=delimiter, strict=True))
    return {'bom': bom, 'rows': rows}


def text_of(element):
    return ''.join(element.itertext())


def read_html(path):
    with open(path, 'rb') as f:
        doc = html5lib.parse(f, treebuilder='etree', namespaceHTMLElements=False)
    return {
        'css': ''.join(text_of(s) for s in doc.iter('style')),
        'texts': [{'text': text_of(d), 'style': d.get('style', '')}
                  for d in doc.iter('div') if 'class' in d.attrib and d.get('class').split() == ['t']],
    }


def read_rtf(path):
    html = subprocess.run(['unrtf', '--html', path], check=True, capture_output=True).stdout
    doc = html5lib.parse(html, treebuilder='etree', namespaceHTMLElements=False)
    body = doc.find('body')
    return {'text': text_of(body) if body is not None else ''}


def read_xlsx(path):
    import datetime
    import openpyxl
    formulas = openpyxl.load_workbook(path)
    values = openpyxl.load_workbook(path, data_only=True)
    sheet, cached = formulas.worksheets[0], values.worksheets[0]
    cells = {}
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is None:
                continue
            value = cell.value
            if isinstance(value, datetime.datetime):
                kind, value = 'date', value.date().isoformat()
            elif isinstance(value, str) and value.startswith('='):
                kind = 'formula'
            elif isinstance(value, (int, float)):
                kind = 'number'
            else:
                kind = 'text'
            cells[cell.coordinate] = {'kind': kind, 'value': value, 'format': cell.number_format,
                                      'bold': bool(cell.font.b),
                                      'cached': cached[cell.coordinate].value if kind == 'formula' else None}
    # Where each text first stands, for the tests to find a table by its header.
    at = {}
    for coordinate, cell in cells.items():
        if cell['kind'] == 'text':
            at.setdefault(cell['value'], coordinate)
    return {'sheets': formulas.sheetnames, 'cells': cells, 'at': at,
            'tables': {name: getattr(table, 'ref', table) for name, table in sheet.tables.items()}}


if __name__ == '__main__':
    kind, path = sys.argv[1], sys.argv[2]
    if kind == 'csv':
        result = read_csv(path, sys.argv[3])
    elif kind == 'html':
        result = read_html(path)
    elif kind == 'rtf':
        result = read_rtf(path)
    elif kind == 'xlsx':
        result = read_xlsx(path)
    else:
        sys.exit('unknown reader ' + kind)
    json.dump(result, sys.stdout, ensure_ascii=False)
