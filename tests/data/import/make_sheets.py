#!/usr/bin/env python3
# Writes the import fixtures: the same sheet of books as comma-separated text in GBK and in UTF-8.
# Twenty columns: the eighteen the import takes, then two it ignores.
import csv, io

titles = ["编号", "条形码", "名称", "分类", "出版社", "作者", "价格", "ISBN", "数量", "存放位置",
          "分类号", "简介", "二级分类", "出版时间", "页数", "译者", "版次", "索书号", "备注", "来源"]
long_summary = "《红楼梦》，中国古典四大名著之首，" * 60

def line(number, title, price="25.50", count="2", date="2008-8-8", pages="", summary="简介"):
    return [number, "TM" + number, title, "文学", "人民文学出版社", "曹雪芹", price, "978-7", count, "二楼",
            "I242", summary, "小说", date, pages, "无", "第1版", "I242.4", "忽略", "忽略"]

rows = [titles,
        line("B001", "红楼梦", summary=long_summary, pages="1600"),          # line 2: imported
        line("OLD1", "已在馆内"),                                            # line 3: 编号 already in the library
        line("B003", "三国演义", price="二十元"),                             # line 4: text in a number column
        line("B001", "重复的编号"),                                          # line 5: 编号 earlier in the sheet
        line("B006", '他说"你好"', date="2008/12/31"),                      # line 6: imported, quotes intact
        line("B007", "坏日期", date="去年"),                                 # line 7: unreadable date
        line("", "没有编号"),                                                # line 8: no 编号
        line("B009", ""),                                                   # line 9: no 名称
        line("B010", "水浒传", count="", price="", date="")]                # line 10: imported, defaults

def write(name, encoding):
    out = io.StringIO()
    csv.writer(out, lineterminator="\r\n").writerows(rows)
    with open(name, "wb") as f:
        f.write(out.getvalue().encode(encoding))

write("books-gbk.csv", "gbk")
write("books-utf8.csv", "utf-8-sig")
with open("titles-only.csv", "wb") as f:
    f.write((",".join(titles) + "\r\n").encode("gbk"))
