#!/usr/bin/env python3
"""Builds data/dili.ini, the province and city list of the place lists.

Inputs (the gathered public place data):
  china_admin_datav_flat.csv  provinces, prefecture-level and county-level
                              units with their seat points (GCJ-02)
  taiwan_townships_tgos.csv   townships of Taiwan (WGS-84)

Every province of the province list gets one section; its cities are, in
order:
  1. the provincial capital, then the other prefecture-level units (and the
     county-level units placed directly under the province) in code order;
  2. then, grouped by prefecture in code order, the county-level cities and
     those counties and districts whose seat lies more than COVER_KM from
     every place listed so far (chosen farthest first), so that every
     county seat of the province has a listed place within COVER_KM.
The municipalities, Hong Kong and Macau list themselves first, then all
their districts and counties. Taiwan lists its cities and counties in the
usual official order (Taipei first) at the seat township, then its
county-administered cities and the covering townships.

Each value is the seat point in WGS-84, rounded to the arcminute, written as
"%d:%d*%d:%d" (longitude degrees:minutes*latitude degrees:minutes).

Usage: make_dili.py SOURCE_DIR OUTPUT_INI
"""

import csv
import math
import os
import sys

COVER_KM = 50.0

# The section names, in the order of the province list (without 未知地).
PROVINCES = [
    "福建省", "北京市", "天津市", "河北省", "山西省", "内蒙古", "辽宁省", "吉林省",
    "黑龙江省", "上海市", "江苏省", "浙江省", "安徽省", "江西省", "山东省", "河南省",
    "湖北省", "湖南省", "广东省", "广西", "海南省", "四川省", "重庆市", "贵州省",
    "云南省", "西藏", "陕西省", "甘肃省", "青海省", "宁夏", "新疆", "台湾省",
    "香港", "澳门",
]

SOURCE_NAMES = {
    "内蒙古自治区": "内蒙古", "广西壮族自治区": "广西", "西藏自治区": "西藏",
    "宁夏回族自治区": "宁夏", "新疆维吾尔自治区": "新疆",
    "香港特别行政区": "香港", "澳门特别行政区": "澳门",
}

CAPITALS = {
    "福建省": "福州市", "河北省": "石家庄市", "山西省": "太原市", "内蒙古": "呼和浩特市",
    "辽宁省": "沈阳市", "吉林省": "长春市", "黑龙江省": "哈尔滨市", "江苏省": "南京市",
    "浙江省": "杭州市", "安徽省": "合肥市", "江西省": "南昌市", "山东省": "济南市",
    "河南省": "郑州市", "湖北省": "武汉市", "湖南省": "长沙市", "广东省": "广州市",
    "广西": "南宁市", "海南省": "海口市", "四川省": "成都市", "贵州省": "贵阳市",
    "云南省": "昆明市", "西藏": "拉萨市", "陕西省": "西安市", "甘肃省": "兰州市",
    "青海省": "西宁市", "宁夏": "银川市", "新疆": "乌鲁木齐市",
}

# Provinces whose own point is listed first, followed by all their districts.
WHOLE_LISTS = {"北京市", "天津市", "上海市", "重庆市", "香港", "澳门"}

# Taiwan: cities and counties in official order, each with its seat township.
TAIWAN_SEATS = [
    ("台北市", "信义区"), ("新北市", "板桥区"), ("桃园市", "桃园区"), ("台中市", "西屯区"),
    ("台南市", "安平区"), ("高雄市", "苓雅区"), ("基隆市", "中正区"), ("新竹市", "北区"),
    ("嘉义市", "东区"), ("新竹县", "竹北市"), ("苗栗县", "苗栗市"), ("彰化县", "彰化市"),
    ("南投县", "南投市"), ("云林县", "斗六市"), ("嘉义县", "太保市"), ("屏东县", "屏东市"),
    ("宜兰县", "宜兰市"), ("花莲县", "花莲市"), ("台东县", "台东市"), ("澎湖县", "马公市"),
    ("金门县", "金城镇"), ("连江县", "南竿乡"),
]
# Township rows that are no inhabited township of a county.
TAIWAN_SKIP = {("宜兰县", "钓鱼台"), ("南海诸岛", "东沙岛"), ("南海诸岛", "南沙岛")}
TAIWAN_NAME_FIX = {"那玛夏": "那玛夏区"}

# District names that say nothing without their city.
GENERIC_NAMES = {"城区", "郊区", "矿区", "东区", "西区", "南区", "北区", "中区"}


# --- GCJ-02 to WGS-84 -------------------------------------------------------
# The published offset of the Chinese mainland map datum, inverted by
# iteration.

_A = 6378245.0
_EE = 0.00669342162296594323


def _offset_lat(x, y):
    r = -100.0 + 2.0 * x + 3.0 * y + 0.2 * y * y + 0.1 * x * y + 0.2 * math.sqrt(abs(x))
    r += (20.0 * math.sin(6.0 * x * math.pi) + 20.0 * math.sin(2.0 * x * math.pi)) * 2.0 / 3.0
    r += (20.0 * math.sin(y * math.pi) + 40.0 * math.sin(y / 3.0 * math.pi)) * 2.0 / 3.0
    r += (160.0 * math.sin(y / 12.0 * math.pi) + 320 * math.sin(y * math.pi / 30.0)) * 2.0 / 3.0
    return r


def _offset_lng(x, y):
    r = 300.0 + x + 2.0 * y + 0.1 * x * x + 0.1 * x * y + 0.1 * math.sqrt(abs(x))
    r += (20.0 * math.sin(6.0 * x * math.pi) + 20.0 * math.sin(2.0 * x * math.pi)) * 2.0 / 3.0
    r += (20.0 * math.sin(x * math.pi) + 40.0 * math.sin(x / 3.0 * math.pi)) * 2.0 / 3.0
    r += (150.0 * math.sin(x / 12.0 * math.pi) + 300.0 * math.sin(x / 30.0 * math.pi)) * 2.0 / 3.0
    return r


def wgs_to_gcj(lng, lat):
    dlat = _offset_lat(lng - 105.0, lat - 35.0)
    dlng = _offset_lng(lng - 105.0, lat - 35.0)
    radlat = lat / 180.0 * math.pi
    magic = 1 - _EE * math.sin(radlat) ** 2
    sqrtmagic = math.sqrt(magic)
    dlat = (dlat * 180.0) / ((_A * (1 - _EE)) / (magic * sqrtmagic) * math.pi)
    dlng = (dlng * 180.0) / (_A / sqrtmagic * math.cos(radlat) * math.pi)
    return lng + dlng, lat + dlat


def gcj_to_wgs(lng, lat):
    wlng, wlat = lng, lat
    for _ in range(5):
        glng, glat = wgs_to_gcj(wlng, wlat)
        wlng += lng - glng
        wlat += lat - glat
    return wlng, wlat


# --- helpers -----------------------------------------------------------------

def distance_km(a, b):
    lng1, lat1 = map(math.radians, a)
    lng2, lat2 = map(math.radians, b)
    h = (math.sin((lat2 - lat1) / 2) ** 2
         + math.cos(lat1) * math.cos(lat2) * math.sin((lng2 - lng1) / 2) ** 2)
    return 6371.0 * 2 * math.asin(math.sqrt(h))


def to_arcminutes(v):
    """Non-negative degrees to (degrees, minutes), rounded to the minute."""
    total = int(math.floor(v * 60.0 + 0.5))
    return total // 60, total % 60


def value_text(point):
    lng, lat = point
    if lng < 0 or lat < 0:
        raise ValueError("only east longitudes and north latitudes are expected")
    a, b = to_arcminutes(lng)
    c, d = to_arcminutes(lat)
    return "%d:%d*%d:%d" % (a, b, c, d)


class Place:
    def __init__(self, name, point, group, code, parent_name=""):
        self.name = name
        self.point = point      # WGS-84 (lng, lat)
        self.group = group      # sort key of the prefecture it belongs to
        self.code = code        # sort key inside the group
        self.parent_name = parent_name


def cover(listed, candidates):
    """Adds, farthest first, the candidates farther than COVER_KM from every
    listed place; returns the added ones."""
    added = []
    nearest = [min(distance_km(c.point, p.point) for p in listed) for c in candidates]
    while candidates:
        i = max(range(len(candidates)), key=lambda k: (nearest[k], -int(candidates[k].code)))
        if nearest[i] <= COVER_KM:
            break
        chosen = candidates.pop(i)
        nearest.pop(i)
        added.append(chosen)
        nearest = [min(d, distance_km(c.point, chosen.point)) for c, d in zip(candidates, nearest)]
    return added


def unique_names(places):
    """Makes the names unique inside a section by putting the parent in
    front of clashing or generic names."""
    counts = {}
    for p in places:
        counts[p.name] = counts.get(p.name, 0) + 1
    for p in places:
        if (counts[p.name] > 1 or p.name in GENERIC_NAMES) and p.parent_name:
            p.name = p.parent_name + p.name
    seen = set()
    for p in places:
        if p.name in seen:
            raise ValueError("duplicate city name " + p.name)
        seen.add(p.name)


# --- mainland, Hong Kong and Macau -------------------------------------------

def mainland_sections(rows):
    by_province = {}
    for r in rows:
        prov = SOURCE_NAMES.get(r["province"], r["province"])
        by_province.setdefault(prov, []).append(r)

    def point(r):
        return gcj_to_wgs(float(r["center_lng"]), float(r["center_lat"]))

    sections = {}
    for prov, rs in by_province.items():
        if prov == "台湾省":
            continue
        if prov not in PROVINCES:
            raise ValueError("unknown province " + prov)
        province_row = next(r for r in rs if r["level"] == "province")
        if prov in WHOLE_LISTS:
            first = Place(prov, point(province_row), "", "0")
            rest = [Place(r["name"], point(r), "", r["adcode"])
                    for r in rs if r["level"] == "district"]
            rest.sort(key=lambda p: p.code)
            sections[prov] = [first] + rest
            continue

        cities = sorted((r for r in rs if r["level"] == "city"), key=lambda r: r["adcode"])
        city_names = {r["adcode"]: r["name"] for r in cities}
        capital = CAPITALS[prov]
        head = [Place(r["name"], point(r), r["adcode"], r["adcode"]) for r in cities]
        head.sort(key=lambda p: (p.name != capital, p.code))
        if head[0].name != capital:
            raise ValueError("capital missing in " + prov)

        districts = [r for r in rs if r["level"] == "district" and not r["name"].endswith("直辖")]
        county_cities = []
        candidates = []
        for r in districts:
            p = Place(r["name"], point(r), r["parent_adcode"], r["adcode"],
                      city_names.get(r["parent_adcode"], ""))
            (county_cities if r["name"].endswith("市") else candidates).append(p)
        tail = county_cities + cover(head + county_cities, candidates)
        tail.sort(key=lambda p: (p.group, p.code))
        sections[prov] = head + tail
    return sections


# --- Taiwan --------------------------------------------------------------------

def taiwan_section(rows):
    order = {county: i for i, (county, _) in enumerate(TAIWAN_SEATS)}
    townships = {}
    for r in rows:
        if (r["county"], r["township"]) in TAIWAN_SKIP:
            continue
        if r["county"] not in order:
            raise ValueError("unknown county " + r["county"])
        name = TAIWAN_NAME_FIX.get(r["township"], r["township"])
        townships[(r["county"], name)] = Place(
            name, (float(r["lng"]), float(r["lat"])), "%02d" % order[r["county"]],
            r["zip"], r["county"])
    head = []
    for county, seat in TAIWAN_SEATS:
        t = townships[(county, seat)]
        head.append(Place(county, t.point, t.group, "0"))
    county_cities = [p for (county, name), p in townships.items()
                     if name.endswith("市") and not county.endswith("市")]
    chosen = {id(p) for p in county_cities}
    candidates = [p for p in townships.values() if id(p) not in chosen]
    candidates.sort(key=lambda p: (p.group, p.code))
    tail = county_cities + cover(head + county_cities, candidates)
    tail.sort(key=lambda p: (p.group, p.code))
    return head + tail


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    src, out = sys.argv[1], sys.argv[2]
    with open(os.path.join(src, "china_admin_datav_flat.csv"), encoding="utf-8") as f:
        rows = list(csv.DictReader(f))
    with open(os.path.join(src, "taiwan_townships_tgos.csv"), encoding="utf-8") as f:
        tw_rows = list(csv.DictReader(f))

    sections = mainland_sections(rows)
    sections["台湾省"] = taiwan_section(tw_rows)

    lines = []
    total = 0
    for prov in PROVINCES:
        places = sections[prov]
        unique_names(places)
        if lines:
            lines.append("")
        lines.append("[%s]" % prov)
        for p in places:
            lines.append("%s=%s" % (p.name, value_text(p.point)))
        total += len(places)
        print("%s %d" % (prov, len(places)))
    print("total %d" % total)
    data = ("\r\n".join(lines) + "\r\n").encode("gbk")
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
