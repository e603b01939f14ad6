#!/usr/bin/env python3
"""Builds calendar/eratable.inc, the table of dynasties, rulers and reign eras
behind EraNamesOfYear, from the gathered chronology.

Usage: gen_eratable.py SOURCES_ERAS_DIR OUTPUT_INC

Rows are 78 bytes: first year, number of years, year offset; the first year
and the number of the row's years in which its dynasty was the central one,
whose calendar was in use and whose era names date a lunar day (see
CENTRAL; 0 years for the others) (int16 each); the lunar month the era began
in within its first year (0 when it began with the year or the chronology
gives no month) and 1 when that month was a leap month (uint8 each); dynasty
(11 bytes), ruler's title (11), ruler's personal name (31), era name (13, for
the six characters of 西夏's longest names), the texts zero-terminated GBK. Years use astronomical numbering. A
text longer than its field stops the generator.

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

Where the chronology misspells a name, NAME_CORRECTIONS writes it as the
histories do (明神宗 朱翊钧, written 朱祤钧 there).

Where an era goes on from an earlier row (the 永历 years kept by 明郑, the
regnal years of 秦昭襄王), the row carries the offset that continues the count.
A row that takes up an era again names the year it starts with when the
chronology gives it (后汉's 天福 begins with its twelfth year).

An era kept by the rulers who came after the one who proclaimed it is split
among them: the proclaimer's row ends in the year his successor came to the
throne, and each successor has a row of his own from the year of his
accession, counting on from the same first year. The year of a change so
shows both rulers, as it shows both eras when an era changed in mid-year.
The successions come from the chronology's remarks ("…即位沿用"); the few
they leave unsaid or undated are listed in KEPT_ERAS.
"""
import csv
import json
import os
import re
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

# Successors who kept an era and proclaimed none of their own, so that the
# chronology has no row for them: (dynasty, the remark's name) -> (title,
# personal name, first and last year of the reign).
RULERS_WITHOUT_ERAS = {
    ("东汉", "北鄉侯劉懿"): ("北乡侯", "刘懿", 125, 125),
    ("唐", "唐哀帝李柷"): ("唐哀帝", "李柷", 904, 907),
    ("后周", "周世宗柴榮"): ("周世宗", "柴荣", 954, 959),
    ("后周", "周恭帝柴宗訓"): ("周恭帝", "柴宗训", 959, 960),
    ("元", "元寧宗"): ("元宁宗", "懿璘质班", 1332, 1332),
}

# Successions the remarks leave unsaid or undated: (dynasty and era kept,
# successor's dynasty, title and personal name, year of accession).
KEPT_ERAS = [
    ("唐", "弘道", "唐", "唐中宗", "李显", 683),       # 高宗 died in the twelfth month
    ("唐", "宝应", "唐", "唐代宗", "李豫", 762),       # to 广德 (763)
    ("武周", "神龙", "唐", "唐中宗", "李显", 705),     # 唐 restored, 神龙 kept to 707
    ("南梁", "承圣", "南梁", "梁敬帝", "萧方智", 555),  # as 梁王, until 萧渊明's 天成
    ("后梁", "乾化", "后梁", "梁郢王", "朱友珪", 912),  # until his 凤历 of 913
    ("明", "泰昌", "明", "明熹宗", "朱由校", 1620),     # 泰昌 was proclaimed by him
    ("金", "大定", "金", "金章宗", "完颜璟", 1189),
    ("清", "同治", "清", "清德宗", "载湉", 1874),
]

# Accessions in the remarks that start no row here, with the reason.
NOT_KEPT_HERE = {
    ("明", "明安宗"),     # 南明 starts with 弘光 (1645); 1644 names the last reign of 明 and the first of 清
    ("南明", "紹武帝"),   # a rival claimant at Guangzhou for forty days
    ("元", "元昭宗"),     # 北元, which the table leaves out
}

# The width of the era-name field (EraRow::eraName).
ERA_NAME_BYTES = 13

# The central dynasties, whose era names date a lunar day of their years:
# (dynasty, first year, last year). 南北朝 follows the southern dynasties to
# 陈's end; the year of a change belongs to both, and the era that began last
# before the month holds. 明 keeps 1644 (its calendar was still in use; 清
# took up the calendar of the true terms in 1645).
CENTRAL = [
    ("西汉", -139, 8), ("新", 9, 23), ("东汉", 25, 220), ("曹魏", 220, 265), ("西晋", 265, 316),
    ("东晋", 317, 420), ("刘宋", 420, 479), ("南齐", 479, 502), ("南梁", 502, 557), ("南陈", 557, 589),
    ("隋", 589, 618), ("唐", 618, 690), ("武周", 690, 705), ("唐", 705, 907), ("后梁", 907, 923),
    ("后唐", 923, 936), ("后晋", 936, 947), ("后汉", 947, 950), ("后周", 951, 960), ("北宋", 960, 1127),
    ("南宋", 1127, 1279), ("元", 1279, 1368), ("明", 1368, 1644), ("清", 1645, 1911),
    ("近、现代", 1912, 1948),
]


def central_years(dynasty, first, count):
    """The first year and the number of the row's years in which its dynasty
    was the central one ((0, 0) when none)."""
    for d, a, last in CENTRAL:
        lo, hi = max(first, a), min(first + count - 1, last)
        if d == dynasty and lo <= hi:
            return lo, hi - lo + 1
    return 0, 0


CN_MONTHS = {"正": 1, "腊": 12, "冬": 11, "十一": 11, "十二": 12, "十": 10, "一": 1, "二": 2, "三": 3,
             "四": 4, "五": 5, "六": 6, "七": 7, "八": 8, "九": 9}


def start_month(text):
    """The month of a chronology date ('1038年十一月', '760年闰四月') as
    (month, leap); (0, False) when it gives none."""
    m = re.search(r"年(閏|闰)?(正|腊|冬|十一|十二|十|[一二三四五六七八九])月", text or "")
    if not m:
        return 0, False
    return CN_MONTHS[m.group(2)], bool(m.group(1))

CLOSING_ROWS = [
    (1912, 37, 0, "近、现代", "中华民国", "", "民国"),
    (1949, 9999, 1948, "当代", "中国", "", "公历纪元"),
]


def year_of(text):
    """The leading year of a chronology date ('前87年', '954年正月'), astronomical."""
    m = re.match(r"\s*(?:约)?(前)?(\d+)年", text or "")
    if not m:
        return None
    return bc(int(m.group(2))) if m.group(1) else int(m.group(2))


CN_DIGITS = {"元": 1, "一": 1, "二": 2, "三": 3, "四": 4, "五": 5, "六": 6, "七": 7, "八": 8, "九": 9}


def era_year_number(text):
    """元, 三, 十二, 三十五 … as a number."""
    if "十" in text:
        tens, _, units = text.partition("十")
        return (CN_DIGITS[tens] if tens else 1) * 10 + (CN_DIGITS[units] if units else 0)
    return CN_DIGITS[text]


def taken_up_from(remark, era_trad):
    """The first year number of an era taken up from another ruler or regime,
    as the remark gives it: '復用朱溫乾化年號（三年－五年）' gives 3, and
    '復用明太祖年號（洪武三十五年）', the era named before the number, 35."""
    m = re.search(r"用.*?年號（([^）－至]*?)年", remark or "")
    if not m:
        return None
    number = m.group(1)
    if number.startswith(era_trad):
        number = number[len(era_trad):]
    if not number or any(ch not in CN_DIGITS and ch != "十" for ch in number):
        sys.exit("era %s: cannot read the year number in %r" % (era_trad, m.group(0)))
    return era_year_number(number)


def accessions(remark):
    """The accessions a remark reports as keeping the era: (year, name as
    written) for every '…即位沿用', or a '…即位' that closes a sentence. The
    year is the last one written before it in the same sentence
    ('顯德六年（959年）六月周恭帝柴宗訓即位沿用')."""
    found = []
    for sentence in re.split(r"[。\n]", remark or ""):
        year = None
        parts = re.split(r"[，；]", sentence)
        for k, part in enumerate(parts):
            m = re.search(r"（(前)?(\d+)年）", part)
            if m:
                year = bc(int(m.group(2))) if m.group(1) else int(m.group(2))
            m = re.search(r"(?:^|月)([^月（）]*?)即位(沿用)?$", part)
            # A bare 即位 followed by more (改元, 廢除 …) did not keep the era.
            if m and year is not None and (m.group(2) or k == len(parts) - 1):
                found += [(year, who) for who in m.group(1).split("、")]
    return found


def find_successor(rulers, dynasty, who, year):
    """(dynasty, title, name, last year of the reign) of the ruler a remark
    names as coming to the throne in the year given."""
    if (dynasty, who) in RULERS_WITHOUT_ERAS:
        title, name, _, last = RULERS_WITHOUT_ERAS[(dynasty, who)]
        return dynasty, title, name, last
    found = []
    for title_w, name_w, title, name, first, last in rulers.get(dynasty, []):
        forms = {title_w, title_w + name_w}
        if len(title_w) > 2:  # written without the dynasty: 衛紹王, 齊王曹芳
            forms |= {title_w[1:], title_w[1:] + name_w}
        # The reign may be counted from the year after an accession late in a
        # year (漢元帝: 前49年十二月).
        if who in forms and (first is None or first <= year + 1) and (last is None or year <= last):
            found.append((dynasty, title, name, last))
    if len(found) != 1:
        sys.exit("%s %s (%d): %d rulers match" % (dynasty, who, year, len(found)))
    return found[0]


def with_successors(eras, records, remarks, rulers):
    """The rows with every era kept by later rulers split among them: the
    proclaimer's row ends in the year of the first successor's accession (or
    his own last year, if he died before), each successor's row runs from his
    accession to the next one's, to the end of his reign or of the era, and
    counts on from the era's first year."""
    successors = [[] for _ in eras]  # per row: (accession year, dynasty, title, name, last year)
    for i, (e, r) in enumerate(zip(eras, records)):
        for year, who in accessions(remarks[int(r["id"])]):
            if (e[3], who) in NOT_KEPT_HERE:
                continue
            s = find_successor(rulers, e[3], who, year)
            if any(o[3:] == [s[0], s[1], s[2], e[6]] for o in eras):
                continue  # the chronology has a row of his own for it (后汉's 乾祐)
            successors[i].append((year,) + s)
    for dyn, era, s_dyn, title, name, year in KEPT_ERAS:
        rows = [i for i, e in enumerate(eras) if e[3] == dyn and e[6] == era
                and e[0] <= year < e[0] + e[1]]
        last = [r[5] for r in rulers[s_dyn] if r[2] == title and r[3] == name
                and (r[4] is None or r[4] <= year) and (r[5] is None or year <= r[5])]
        if len(rows) != 1 or len(last) != 1:
            sys.exit("%s %s: %s %s (%d) not found" % (dyn, era, title, name, year))
        successors[rows[0]].append((year, s_dyn, title, name, last[0]))

    out = []
    for e, r, kept in zip(eras, records, successors):
        out.append(e)
        if not kept:
            continue
        kept.sort(key=lambda k: k[0])
        first, end, offset = e[0], e[0] + e[1] - 1, e[2]
        own_last = year_of(r["reign_last_raw"])
        e[1] = min(end, kept[0][0], max(own_last if own_last is not None else end, first)) - first + 1
        for k, (year, dyn, title, name, last) in enumerate(kept):
            stop = min(end, kept[k + 1][0] if k + 1 < len(kept) else end,
                       last if last is not None else end)
            if stop < year:
                sys.exit("%s %s: %s %s from %d after the era's end" % (e[3], e[6], title, name, year))
            out.append([year, stop - year + 1, year - first + offset, dyn, title, name, e[6]])
    return out


def gbk_field(text, size):
    """The text as GBK bytes for a zero-terminated field of `size` bytes; a
    text that does not fit stops the generator: a cut name would name
    another era or ruler."""
    for a, b in GBK_VARIANTS.items():
        text = text.replace(a, b)
    out = text.encode("gbk")
    if len(out) > size - 1:
        sys.exit("%r needs %d bytes, the field holds %d: widen the field" % (text, len(out) + 1, size))
    return out


def c_bytes(b):
    return '"' + "".join("\\x%02x" % x for x in b) + '"'


# Names the gathered chronology misspells: its simplified and traditional
# spelling, each with the histories' (明史·神宗本纪: 神宗…讳翊钧).
NAME_CORRECTIONS = {
    "朱祤钧": "朱翊钧",
    "朱祤鈞": "朱翊鈞",
}


def corrected(record):
    """The chronology's record with its misspelt names put right."""
    for key in ("ruler_name", "ruler_name_trad"):
        record[key] = NAME_CORRECTIONS.get(record[key], record[key])
    return record


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

    eras = []     # the rows, as above
    records = []  # the chronology's record of each row
    rulers = {}   # dynasty -> (title and name as the remarks write them, title, name,
                  #             first and last year of the reign) of each ruler
    with open(os.path.join(src, "eras_wikipedia_normalized.csv"), encoding="utf-8") as f:
        for r in map(corrected, csv.DictReader(f)):
            if r["tier"] != "main" or r["dynasty"] not in ERA_DYNASTIES:
                continue
            title = r["ruler_title"] or TITLES.get((r["dynasty"], r["ruler_name"]), "")
            ruler = (r["ruler_title_trad"] or title, r["ruler_name_trad"], title, r["ruler_name"],
                     year_of(r["reign_first_raw"]), year_of(r["reign_last_raw"]))
            if ruler not in rulers.setdefault(r["dynasty"], []):
                rulers[r["dynasty"]].append(ruler)
            if not r["first_year"]:
                continue
            eras.append([int(r["first_year"]), int(r["n_years"]), 0, r["dynasty"], title,
                         r["ruler_name"], r["era_name"]])
            records.append(r)
    with open(os.path.join(src, "raw", "qinghaoh_chinese-era-explorer", "src", "data", "eras.json"),
              encoding="utf-8") as f:
        remarks = {x["id"]: x.get("remark") or "" for x in json.load(f)}
    # An era carried on by a later row (same name, the earlier row reaching the
    # later one's first year or the year before) keeps counting its years.
    for i, e in enumerate(eras):
        for p in eras[:i]:
            if p[6] == e[6] and p[0] < e[0] and p[0] + p[1] >= e[0]:
                e[2] = e[0] - p[0] + p[2]
                break
        first_number = taken_up_from(remarks[int(records[i]["id"])], records[i]["era_name_trad"])
        if first_number is not None:
            e[2] = first_number - 1
    months = {id(e): start_month(r["start_raw"]) for e, r in zip(eras, records)}
    eras = with_successors(eras, records, remarks, rulers)
    rows += eras
    rows.sort(key=lambda r: r[0])  # stable: keeps the order of equal first years
    for first, count, offset, dyn, title, name, era in CLOSING_ROWS:
        rows.append([first, count, offset, dyn, title, name, era])

    lines = [
        "// Generated by tools/calendar/gen_eratable.py from the gathered chronology;",
        "// do not edit. One row per reign era and ruler who used it (or per reign",
        "// where there were no eras): first year, number of years, year offset,",
        "// central years, first month and its leap flag, dynasty, title, personal",
        "// name, era name (GBK).",
    ]
    for row in rows:
        first, count, offset, dyn, title, name, era = row
        month, leap = months.get(id(row), (0, False))
        fields = [c_bytes(gbk_field(dyn, 11)), c_bytes(gbk_field(title, 11)),
                  c_bytes(gbk_field(name, 31)), c_bytes(gbk_field(era, ERA_NAME_BYTES))]
        central_first, central_count = central_years(dyn, first, count)
        lines.append("{%d, %d, %d, %d, %d, %d, %d, %s},  // %s %s %s %s%s" % (
            first, count, offset, central_first, central_count, month, int(leap), ", ".join(fields),
            dyn, title, name, era, " (%s%d月)" % ("闰" if leap else "", month) if month else ""))
    with open(out_path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    print("%d rows, %d with an offset" % (len(rows), sum(1 for r in rows if r[2])), file=sys.stderr)


if __name__ == "__main__":
    main()
