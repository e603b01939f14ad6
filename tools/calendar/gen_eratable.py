#!/usr/bin/env python3
"""Builds calendar/eratable.inc, the table of dynasties, rulers and reign eras
behind EraNamesOfYear, from the gathered chronology.

Usage: gen_eratable.py SOURCES_ERAS_DIR OUTPUT_INC

Rows are 70 bytes: first year, number of years, year offset (int16 each),
dynasty (11 bytes), ruler's title (11), ruler's personal name (31), era name
(11), the texts zero-terminated GBK. Years use astronomical numbering.

What goes in:
  * 夏 and 商: the standard chronology of the Xia-Shang-Zhou Chronology
    Project (夏商周断代工程, 2000): 夏 2070-1600 BC as one row, 商 1600-1300 BC
    as one row, then the reigns it dates from 盘庚's move to 殷 on.
  * 西周 and 东周: the rulers' table of the gathered chronology (its 西周 dates
    are those of the same project, its 东周 dates those of the 史记).
  * 秦 from 255 BC (after the end of 东周) and 西汉 up to 141 BC: the
    standard reign years, written here.
  * From 建元 (140 BC) to 宣统: the era names of the central dynasties, with
    三国, 南北朝, 五代, 辽, 西夏, 金, 后金, 南明 and 明郑 where they overlap.
    Eras without known years and rebel or peripheral regimes are left out.
  * 民国 (1912-1948) and the closing row of the present era.

Where an era goes on from an earlier row (the 永历 years kept by 明郑, the
regnal years of 秦昭襄王), the row carries the offset that continues the count.
"""
import csv
import os
import sys

# Astronomical years: 1 BC = 0, n BC = 1 - n.
def bc(n):
    return 1 - n

# (first year, last year, dynasty, title, personal name, era name)
XIA_SHANG = [
    (bc(2070), bc(1601), "夏", "禹至桀", "", ""),
    (bc(1600), bc(1301), "商", "汤至阳甲", "", ""),
    (bc(1300), bc(1251), "商", "盘庚至小乙", "", ""),
    (bc(1250), bc(1192), "商", "武丁", "子昭", ""),
    (bc(1191), bc(1148), "商", "祖庚至康丁", "", ""),
    (bc(1147), bc(1113), "商", "武乙", "子瞿", ""),
    (bc(1112), bc(1102), "商", "文丁", "子托", ""),
    (bc(1101), bc(1076), "商", "帝乙", "子羡", ""),
    (bc(1075), bc(1046), "商", "帝辛", "子受", ""),
]

# (first year, last year, dynasty, title, personal name, era name, offset)
QIN_EARLY_HAN = [
    (bc(255), bc(251), "秦", "秦昭襄王", "嬴稷", "", 51),  # regnal years from 306 BC
    (bc(250), bc(250), "秦", "秦孝文王", "嬴柱", "", 0),
    (bc(249), bc(247), "秦", "秦庄襄王", "嬴子楚", "", 0),
    (bc(246), bc(210), "秦", "秦始皇", "嬴政", "", 0),
    (bc(209), bc(207), "秦", "秦二世", "嬴胡亥", "", 0),
    (bc(207), bc(207), "秦", "秦王", "嬴子婴", "", 0),
    (bc(206), bc(195), "西汉", "汉高祖", "刘邦", "", 0),
    (bc(194), bc(188), "西汉", "汉惠帝", "刘盈", "", 0),
    (bc(187), bc(180), "西汉", "汉高后", "吕雉", "", 0),
    (bc(179), bc(164), "西汉", "汉文帝", "刘恒", "前元", 0),
    (bc(163), bc(157), "西汉", "汉文帝", "刘恒", "后元", 0),
    (bc(156), bc(150), "西汉", "汉景帝", "刘启", "前元", 0),
    (bc(149), bc(144), "西汉", "汉景帝", "刘启", "中元", 0),
    (bc(143), bc(141), "西汉", "汉景帝", "刘启", "后元", 0),
]

ERA_DYNASTIES = set(
    "西汉 新 更始 东汉 曹魏 蜀汉 孙吴 西晋 东晋 刘宋 南齐 南梁 南陈 北魏 东魏 西魏 北齐 北周 "
    "隋 唐 武周 后梁 后唐 后晋 后汉 后周 北宋 南宋 辽 西夏 金 元 明 后金 清 南明 明郑".split())

# Titles the chronology leaves empty.
TITLES = {("武周", "武曌"): "武则天", ("后金", "努尔哈赤"): "清太祖", ("后金", "皇太极"): "清太宗"}

# Characters outside GBK, written with their usual GBK variant.
GBK_VARIANTS = {"㬎": "显", "𪾢": "睍", "𬣞": "詝", "䴥": "麚"}

CLOSING_ROWS = [
    (1912, 37, 0, "近、现代", "中华民国", "", "民国"),
    (1949, 9999, 1948, "当代", "中国", "", "公历纪元"),
]


def gbk_field(text, size):
    for a, b in GBK_VARIANTS.items():
        text = text.replace(a, b)
    out = b""
    for ch in text:
        enc = ch.encode("gbk")
        if len(out) + len(enc) > size - 1:
            break  # cut at a whole character
        out += enc
    return out


def c_bytes(b):
    return '"' + "".join("\\x%02x" % x for x in b) + '"'


def main():
    src, out_path = sys.argv[1], sys.argv[2]
    rows = []  # (first, count, offset, dynasty, title, name, era, order)
    for first, last, dyn, title, name, era in XIA_SHANG:
        rows.append([first, last - first + 1, 0, dyn, title, name, era])
    with open(os.path.join(src, "prehan_and_roc_rulers_normalized.csv"), encoding="utf-8") as f:
        for r in csv.DictReader(f):
            if r["dynasty"] in ("西周", "东周"):
                rows.append([int(r["first_year"]), int(r["n_years"]), 0, r["dynasty"],
                             r["ruler_title"], r["ruler_name"], ""])
    for first, last, dyn, title, name, era, offset in QIN_EARLY_HAN:
        rows.append([first, last - first + 1, offset, dyn, title, name, era])

    eras = []
    with open(os.path.join(src, "eras_wikipedia_normalized.csv"), encoding="utf-8") as f:
        for r in csv.DictReader(f):
            if r["tier"] != "main" or r["dynasty"] not in ERA_DYNASTIES or not r["first_year"]:
                continue
            title = r["ruler_title"] or TITLES.get((r["dynasty"], r["ruler_name"]), "")
            eras.append([int(r["first_year"]), int(r["n_years"]), 0, r["dynasty"], title,
                         r["ruler_name"], r["era_name"]])
    # An era carried on by a later row (same name, the earlier row reaching the
    # later one's first year or the year before) keeps counting its years.
    for i, e in enumerate(eras):
        for p in eras[:i]:
            if p[6] == e[6] and p[0] < e[0] and p[0] + p[1] >= e[0]:
                e[2] = e[0] - p[0] + p[2]
                break
    rows += eras
    rows.sort(key=lambda r: r[0])  # stable: keeps the order of equal first years
    for first, count, offset, dyn, title, name, era in CLOSING_ROWS:
        rows.append([first, count, offset, dyn, title, name, era])

    lines = [
        "// Generated by tools/calendar/gen_eratable.py from the gathered chronology;",
        "// do not edit. One row per reign era (or reign where there were no eras):",
        "// first year, number of years, year offset, dynasty, title, personal name,",
        "// era name (GBK).",
    ]
    for first, count, offset, dyn, title, name, era in rows:
        fields = [c_bytes(gbk_field(dyn, 11)), c_bytes(gbk_field(title, 11)),
                  c_bytes(gbk_field(name, 31)), c_bytes(gbk_field(era, 11))]
        lines.append("{%d, %d, %d, %s},  // %s %s %s %s" % (first, count, offset, ", ".join(fields),
                                                            dyn, title, name, era))
    with open(out_path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    print("%d rows, %d with an offset" % (len(rows), sum(1 for r in rows if r[2])), file=sys.stderr)


if __name__ == "__main__":
    main()
