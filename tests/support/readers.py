#!/usr/bin/python3
"""Reads the program's exports the way other programs do and prints what
they found as JSON, for the tests to check. Only Debian's packages:
python3 (csv), python3-html5lib, unrtf, python3-openpyxl, and LibreOffice's
Calc for a workbook as a spreadsheet program shows it."""
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
    setup = sheet.page_setup
    fit = sheet.sheet_properties.pageSetUpPr
    return {'sheets': formulas.sheetnames, 'cells': cells, 'at': at,
            'tables': {name: getattr(table, 'ref', table) for name, table in sheet.tables.items()},
            'page': {'paper': str(setup.paperSize), 'orientation': setup.orientation or '',
                     'fitToPage': bool(fit is not None and fit.fitToPage),
                     # absent means 1 in the file format
                     'fitWidth': 1 if setup.fitToWidth is None else setup.fitToWidth,
                     'fitHeight': 1 if setup.fitToHeight is None else setup.fitToHeight},
            'widths': {key: dim.width for key, dim in sheet.column_dimensions.items() if dim.width}}


def read_with_calc(path):
    """The first sheet as LibreOffice Calc shows it, through its CSV export
    (the figures as formatted on the screen, in the session's locale)."""
    import glob
    import os
    import tempfile
    with tempfile.TemporaryDirectory() as out:
        profile = 'file://' + os.path.join(out, 'profile')
        subprocess.run(['soffice', '-env:UserInstallation=' + profile, '--headless', '--convert-to',
                        'csv:Text - txt - csv (StarCalc):59,34,76,1,,0,false,true,true', '--outdir', out, path],
                       check=True, capture_output=True, timeout=120)
        made = glob.glob(os.path.join(out, '*.csv'))
        if not made:
            sys.exit('LibreOffice made no CSV of ' + path)
        with open(made[0], encoding='utf-8', newline='') as f:
            return {'rows': list(csv.reader(f, delimiter=';'))}


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
    elif kind == 'calc':
        result = read_with_calc(path)
    else:
        sys.exit('unknown reader ' + kind)
    json.dump(result, sys.stdout, ensure_ascii=False)
