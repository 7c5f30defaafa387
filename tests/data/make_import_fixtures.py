#!/usr/bin/python3
# Writes the workbook fixtures of the book import with a real spreadsheet program: each sheet is
# written as flat ODF (.fods) and LibreOffice converts it to .xlsx, .xls (Excel 97) and, for the
# book sheet, a comma-separated file in GBK; the password-protected copies and the workbooks that
# open on another sheet than their first are saved through LibreOffice's Python bridge. One more
# .xlsx is put together by hand: the inline strings, cells without references and 1904 dates
# that other programs write and LibreOffice does not.
#
#   tests/data/make_import_fixtures.py      (needs soffice and python3-uno, for the system Python;
#                                            writes tests/data/import/)
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile
from xml.sax.saxutils import escape, quoteattr

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "import")

TITLES = ["编号", "条形码", "名称", "分类", "出版社", "作者", "价格", "ISBN", "数量", "存放位置",
          "分类号", "简介", "二级分类", "出版时间", "页数", "译者", "版次", "索书号", "备注", "来源"]
LONG_SUMMARY = "《红楼梦》，中国古典四大名著之首，" * 60


# Cells: str is text, int/float a number, ("date", "2008-08-08", style) a date cell shown in a
# date style, ("bool", True), ("formula", "of:=...", style or None), None an empty cell.
def date(iso, style="isodate"):
    return ("date", iso, style)


def book(number, title, price=25.5, count=2, published=date("2008-08-08"), pages=None, summary="简介"):
    return [number, "TM" + number, title, "文学", "人民文学出版社", "曹雪芹", price, "978-7", count, "二楼",
            "I242", summary, "小说", published, pages, "无", "第1版", "I242.4", "忽略", "忽略"]


# The same lines as books-utf8.csv, with numbers and dates as the spreadsheet's own cells.
BOOKS = [TITLES,
         book("B001", "红楼梦", summary=LONG_SUMMARY, pages=1600),               # line 2: imported
         book("OLD1", "已在馆内"),                                                # line 3: 编号 in the library
         book("B003", "三国演义", price="二十元"),                                 # line 4: text in 价格
         book("B001", "重复的编号"),                                              # line 5: 编号 earlier in the sheet
         book("B006", '他说"你好"', published=date("2008-12-31", "slashdate")),   # line 6: imported
         book("B007", "坏日期", published="去年"),                                # line 7: unreadable date
         book("", "没有编号"),                                                    # line 8: no 编号
         book("B009", ""),                                                       # line 9: no 名称
         book("B010", "水浒传", count=None, price=None, published=None)]          # line 10: defaults

# The sheet of a workbook that opens on its second sheet.
ACTIVE_BOOKS = [TITLES, book("A001", "诗经"), book("A002", "楚辞")]

LONG_TEXT = "".join("第%d段：图书馆的藏书。" % i for i in range(1, 221))
VERY_LONG_TEXT = "".join("第%d段：图书馆的藏书。" % i for i in range(1, 501))

# Cells the reader must give as a user reads them, a row per case: the label, then the cell(s).
CELLS = [["整数", 300],
         ["小数", 25.5],
         ["负数", -3],
         ["十三位", 9787020002207],
         ["两位小数格式", ("number", 25.5, "twodecimals")],
         ["日期", date("2008-08-08")],
         ["中文日期", date("2021-03-04", "chinesedate")],
         ["日期时间", ("datetime", "2020-05-06T07:08:00", "datetime")],
         ["时间", ("time", "PT13H30M00S", "hourminute")],
         ["引号内的m", ("number", 12.5, "quotedm")],
         ["真", ("bool", True)],
         ["假", ("bool", False)],
         ["公式数", ("formula", "of:=1+2", None)],
         ["公式文本", ("formula", 'of:="图书"&"馆"', None)],
         ["公式日期", ("formula", "of:=DATE(2008;8;8)", "isodate")],
         ["长文本", LONG_TEXT],
         ["换行", "第一行\n第二行"],
         ["空格", "  两边有空格  "],
         None,  # an empty line inside the sheet
         ["间隔", None, None, "D列"]]

STYLES = """
  <number:date-style style:name="Nisodate"><number:year number:style="long"/><number:text>-</number:text>
   <number:month number:style="long"/><number:text>-</number:text><number:day number:style="long"/></number:date-style>
  <number:date-style style:name="Nslashdate"><number:year number:style="long"/><number:text>/</number:text>
   <number:month/><number:text>/</number:text><number:day/></number:date-style>
  <number:date-style style:name="Nchinesedate"><number:year number:style="long"/><number:text>年</number:text>
   <number:month/><number:text>月</number:text><number:day/><number:text>日</number:text></number:date-style>
  <number:date-style style:name="Ndatetime"><number:year number:style="long"/><number:text>-</number:text>
   <number:month number:style="long"/><number:text>-</number:text><number:day number:style="long"/>
   <number:text> </number:text><number:hours number:style="long"/><number:text>:</number:text>
   <number:minutes number:style="long"/></number:date-style>
  <number:time-style style:name="Nhourminute"><number:hours number:style="long"/><number:text>:</number:text>
   <number:minutes number:style="long"/></number:time-style>
  <number:boolean-style style:name="Nboolean"><number:boolean/></number:boolean-style>
  <number:number-style style:name="Ntwodecimals"><number:number number:decimal-places="2" number:min-integer-digits="1"/></number:number-style>
  <number:number-style style:name="Nquotedm"><number:number number:decimal-places="1" number:min-integer-digits="1"/>
   <number:text> m</number:text></number:number-style>
"""
STYLE_NAMES = ["boolean", "isodate", "slashdate", "chinesedate", "datetime", "hourminute", "twodecimals", "quotedm"]


def text_cell(text):
    paragraphs = "".join("<text:p>%s</text:p>" % escape(p) for p in text.split("\n"))
    return '<table:table-cell office:value-type="string" office:string-value=%s>%s</table:table-cell>' % (
        quoteattr(text), paragraphs)


def cell(value):
    # An empty cell holds nothing (a typed-in cell is never an empty text; FreeXL 1.0 cannot open
    # an .xls whose string table holds one).
    if value is None or value == "":
        return "<table:table-cell/>"
    if isinstance(value, str):
        return text_cell(value)
    if isinstance(value, bool):
        raise ValueError("booleans as (\"bool\", value)")
    if isinstance(value, (int, float)):
        return '<table:table-cell office:value-type="float" office:value="%r"><text:p>%r</text:p></table:table-cell>' % (
            value, value)
    kind = value[0]
    if kind in ("date", "datetime"):
        return ('<table:table-cell table:style-name="ce%s" office:value-type="date" office:date-value="%s">'
                '<text:p>%s</text:p></table:table-cell>' % (value[2], value[1], value[1]))
    if kind == "time":
        return ('<table:table-cell table:style-name="ce%s" office:value-type="time" office:time-value="%s">'
                '<text:p>%s</text:p></table:table-cell>' % (value[2], value[1], value[1]))
    if kind == "number":
        return ('<table:table-cell table:style-name="ce%s" office:value-type="float" office:value="%r">'
                '<text:p>%r</text:p></table:table-cell>' % (value[2], value[1], value[1]))
    if kind == "bool":
        v = "true" if value[1] else "false"
        return ('<table:table-cell table:style-name="ceboolean" office:value-type="boolean" office:boolean-value="%s"><text:p>%s</text:p>'
                '</table:table-cell>' % (v, v.upper()))
    if kind == "formula":
        # no result kept in the source: LibreOffice computes it and saves it beside the formula
        style = ' table:style-name="ce%s"' % value[2] if value[2] else ""
        return '<table:table-cell table:formula=%s%s/>' % (quoteattr(value[1]), style)
    raise ValueError(value)


def table(name, rows):
    lines = []
    for row in rows:
        if row is None:
            lines.append("<table:table-row><table:table-cell/></table:table-row>")
        else:
            lines.append("<table:table-row>%s</table:table-row>" % "".join(cell(v) for v in row))
    return '<table:table table:name=%s>\n%s\n</table:table>' % (quoteattr(name), "\n".join(lines))


def fods(tables):
    cell_styles = "".join('<style:style style:name="ce%s" style:family="table-cell" style:data-style-name="N%s"/>'
                          % (n, n) for n in STYLE_NAMES)
    return """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
 <office:styles>%s</office:styles>
 <office:automatic-styles>%s</office:automatic-styles>
 <office:body><office:spreadsheet>
%s
 </office:spreadsheet></office:body>
</office:document>
""" % (STYLES, cell_styles, "\n".join(table(n, rows) for n, rows in tables))


def convert(source, formats, workdir):
    profile = "file://" + os.path.join(workdir, "profile")
    for target in formats:
        subprocess.run(["soffice", "-env:UserInstallation=" + profile, "--headless", "--convert-to", target,
                        "--outdir", workdir, source], check=True, stdout=subprocess.DEVNULL)


# A small .xlsx the way streaming writers make it: inline strings, cells without an "r", the 1904
# date system, a custom date format with a quoted "d" beside a real date part.
HAND_MADE = {
    "[Content_Types].xml": """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>
<Override PartName="/xl/worksheets/data.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>
<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>
</Types>""",
    "_rels/.rels": """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>
</Relationships>""",
    "xl/workbook.xml": """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<workbookPr date1904="1"/>
<sheets><sheet name="书目" sheetId="7" r:id="rId9"/></sheets>
</workbook>""",
    "xl/_rels/workbook.xml.rels": """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>
<Relationship Id="rId9" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/data.xml"/>
</Relationships>""",
    "xl/styles.xml": """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<numFmts count="1"><numFmt numFmtId="170" formatCode="&quot;第&quot;0&quot;d&quot;"/></numFmts>
<cellXfs count="3"><xf numFmtId="0"/><xf numFmtId="14" applyNumberFormat="1"/><xf numFmtId="170" applyNumberFormat="1"/></cellXfs>
</styleSheet>""",
    "xl/worksheets/data.xml": """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<sheetData>
<row><c t="inlineStr"><is><t>编号</t></is></c><c t="inlineStr"><is><r><t>名</t></r><r><t>称</t></r></is></c><c t="inlineStr"><is><t>出版时间</t></is></c><c t="inlineStr"><is><t>页数</t></is></c><c t="inlineStr"><is><t>在架</t></is></c></row>
<row><c t="inlineStr"><is><t xml:space="preserve"> B1 </t></is></c><c t="inlineStr"><is><t>诗经</t><rPh sb="0" eb="2"><t>シキョウ</t></rPh></is></c><c s="1"><v>39302</v></c><c s="2"><v>12</v></c><c t="b"><v>1</v></c></row>
</sheetData>
</worksheet>""",
}


def hand_made(path):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, text in HAND_MADE.items():
            z.writestr(name, text.encode("utf-8"))


def save_through_office(copies, workdir):
    """Saves each (source, target, filter, password, active sheet); None leaves that out."""
    import uno
    from com.sun.star.beans import PropertyValue

    def prop(name, value):
        p = PropertyValue()
        p.Name, p.Value = name, value
        return p

    pipe = "import-fixtures-%d" % os.getpid()
    office = subprocess.Popen(["soffice", "-env:UserInstallation=file://" + os.path.join(workdir, "profile"),
                               "--headless", "--invisible", "--norestore", "--accept=pipe,name=%s;urp;" % pipe],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
        for _ in range(150):
            try:
                context = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
                break
            except Exception:
                time.sleep(0.2)
        else:
            sys.exit("make_import_fixtures: LibreOffice did not answer on its pipe")
        desktop = context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
        for source, target, filter_name, password, active in copies:
            # a hidden document has no view, and the sheet a workbook opens on is the view's
            hidden = (prop("Hidden", True),) if active is None else ()
            doc = desktop.loadComponentFromURL(uno.systemPathToFileUrl(source), "_blank", 0, hidden)
            if active is not None:
                doc.CurrentController.setActiveSheet(doc.Sheets.getByName(active))
            options = (prop("FilterName", filter_name),) + ((prop("Password", password),) if password else ())
            doc.storeToURL(uno.systemPathToFileUrl(target), options)
            doc.close(True)
        try:
            desktop.terminate()
        except Exception:
            pass  # the bridge goes down with the office
    finally:
        try:
            office.wait(timeout=30)
        except subprocess.TimeoutExpired:
            office.kill()


def main():
    if not shutil.which("soffice"):
        sys.exit("make_import_fixtures: soffice (LibreOffice) is needed")
    os.makedirs(OUT, exist_ok=True)
    workdir = tempfile.mkdtemp(prefix="import-fixtures.")
    try:
        sources = {
            "books": [("图书", BOOKS), ("第二张", [["不读", "这一张"]])],
            "titles-only": [("图书", [TITLES])],
            "cells": [("单元格", CELLS)],
            # FreeXL 1.0 cannot open this .xls (the long text crosses a record of the string
            # table); the .xlsx holds the same
            "long-text": [("单元格", [["很长的文本", VERY_LONG_TEXT]] + [r for r in CELLS if r is None or r[0] != "长文本"])],
        }
        for name, tables in sources.items():
            source = os.path.join(workdir, name + ".fods")
            with open(source, "w", encoding="utf-8") as f:
                f.write(fods(tables))
            formats = ["xlsx", "xls:MS Excel 97"]
            if name == "books":
                # comma-separated, text between double quotes, character set 85 (GBK)
                formats.append("csv:Text - txt - csv (StarCalc):44,34,85,1")
            convert(source, formats, workdir)
            shutil.copy(os.path.join(workdir, name + ".xlsx"), os.path.join(OUT, name + ".xlsx"))
            shutil.copy(os.path.join(workdir, name + ".xls"), os.path.join(OUT, name + ".xls"))
            if name == "books":
                shutil.copy(os.path.join(workdir, name + ".csv"), os.path.join(OUT, "books-calc-gbk.csv"))
        titles = os.path.join(workdir, "titles-only.fods")
        # the books on the second of three sheets, the one the workbook opens on
        active = os.path.join(workdir, "active-sheet.fods")
        with open(active, "w", encoding="utf-8") as f:
            f.write(fods([("说明", [["不读", "第一张"]]), ("图书", ACTIVE_BOOKS), ("备用", [["不读", "第三张"]])]))
        # (LibreOffice 7.4 saves .xlsx without encryption whatever the password)
        save_through_office([(titles, os.path.join(OUT, "password.xls"), "MS Excel 97", "1234", None),
                             (active, os.path.join(OUT, "active-sheet.xlsx"), "Calc MS Excel 2007 XML", None, "图书"),
                             (active, os.path.join(OUT, "active-sheet.xls"), "MS Excel 97", None, "图书")], workdir)
        hand_made(os.path.join(OUT, "inline-1904.xlsx"))
    finally:
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    main()
