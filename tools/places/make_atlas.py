#!/usr/bin/python3
"""Builds the world atlas (data/atlas.txt) and the time-zone list
(chart/zonenames.inc) from the GeoNames gazetteer and the system's
time-zone database.

Inputs:
  cities1000.txt.gz   GeoNames' populated places of 1000 inhabitants or more
                      (the gathered copy, see its PROVENANCE.md)
  tzdata.zi           the time-zone database's zone and link names
                      (/usr/share/zoneinfo/tzdata.zi of Debian's tzdata)

The atlas holds every place of 15,000 inhabitants or more, every capital and
every smaller place that GeoNames names in Han characters, outside China
(CN, TW, HK, MO: the province and city list of dat/dili.ini covers them).
Country names come from the Unicode CLDR through ICU (python3-icu), in
Chinese and in English; Han place names are brought to simplified characters
with ICU's Hant-Hans transliterator.

The zone list is append-only: a case stores its zone as a position in this
list, so the names already in chart/zonenames.inc keep their positions and
new names are added at the end.

Usage (Debian's python3, which has the icu module):
  /usr/bin/python3 tools/places/make_atlas.py \
      ../shared/sources/places/world/cities1000.txt.gz \
      /usr/share/zoneinfo/tzdata.zi data/atlas.txt chart/zonenames.inc
"""

import gzip
import os
import re
import sys

import icu

MIN_POPULATION = 15000
EXCLUDED = {"CN", "TW", "HK", "MO"}

HAN = re.compile(r"^[\u3400-\u4dbf\u4e00-\u9fff\uf900-\ufaff\u00b7]+$")
TO_SIMPLIFIED = icu.Transliterator.createInstance("Hant-Hans")
ZH = icu.Locale("zh")
EN = icu.Locale("en")

HEADER = """\
# Lumtar world atlas: places outside China with their coordinates and time zones.
# Place data from GeoNames (www.geonames.org), licensed under Creative Commons
# Attribution 3.0 (creativecommons.org/licenses/by/3.0/); selected and shortened
# by tools/places/make_atlas.py. Country names from the Unicode CLDR through ICU.
#
# C<TAB>code<TAB>Chinese name<TAB>English name<TAB>geonameid of the capital (0: none)
# P<TAB>geonameid<TAB>name shown<TAB>name (empty: the name shown)<TAB>country<TAB>region
#  <TAB>latitude<TAB>longitude<TAB>zone<TAB>population<TAB>other names (separated by |)
# zone: position in the program's time-zone list, counted from 1. Places are
# listed by population, largest first.
"""


def read_zone_names(tzdata_zi):
    names = []
    with open(tzdata_zi, encoding="utf-8") as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 2 and parts[0] == "Z":
                names.append(parts[1])
            elif len(parts) >= 3 and parts[0] == "L":
                names.append(parts[2])
    return sorted(set(names))


def read_zone_list(path):
    if not os.path.exists(path):
        return []
    names = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            m = re.match(r'\s*"([^"]+)",', line)
            if m:
                names.append(m.group(1))
    return names


def write_zone_list(path, names):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("// IANA time-zone names by their position in the program's zone list.\n")
        f.write("// Written by tools/places/make_atlas.py; append-only (cases store positions).\n")
        for name in names:
            f.write('    "%s",\n' % name)


def gbk_ok(text):
    try:
        text.encode("gbk")
        return True
    except UnicodeEncodeError:
        return False


def han_names(alternates):
    seen = []
    for a in alternates.split(","):
        a = a.strip()
        if a and HAN.match(a) and a not in seen:
            seen.append(a)
    return seen


def shown_name(name, ascii_name, hans):
    simplified = [h for h in hans if TO_SIMPLIFIED.transliterate(h) == h]
    if simplified:
        return simplified[0]
    if hans:
        return TO_SIMPLIFIED.transliterate(hans[0])
    return name if gbk_ok(name) else ascii_name


def clean(text):
    return text.replace("\t", " ").replace("|", " ").strip()


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    source, tzdata_zi, atlas_path, zones_path = sys.argv[1:]

    zone_list = read_zone_list(zones_path)
    for name in read_zone_names(tzdata_zi):
        if name not in zone_list:
            zone_list.append(name)

    places = []
    capitals = {}
    with gzip.open(source, "rt", encoding="utf-8") as f:
        for line in f:
            p = line.rstrip("\n").split("\t")
            if len(p) < 19:
                continue
            gid, name, ascii_name, alternates = p[0], clean(p[1]), clean(p[2]), p[3]
            country, feature, zone = p[8], p[7], p[17]
            population = int(p[14] or 0)
            if country in EXCLUDED or not zone:
                continue
            hans = han_names(alternates)
            if population < MIN_POPULATION and feature != "PPLC" and not hans:
                continue
            if zone not in zone_list:
                zone_list.append(zone)
            shown = shown_name(name, ascii_name, hans)
            others = []
            for n in hans + [TO_SIMPLIFIED.transliterate(h) for h in hans] + [ascii_name]:
                if n and n != shown and n != name and n not in others:
                    others.append(n)
            if feature == "PPLC":
                old = capitals.get(country)
                if old is None or population > old[1]:
                    capitals[country] = (int(gid), population)
            places.append((population, int(gid), shown, name, country, p[10], float(p[4]), float(p[5]),
                           zone_list.index(zone) + 1, others))

    places.sort(key=lambda r: (-r[0], r[1]))
    countries = sorted({r[4] for r in places})

    with open(atlas_path, "w", encoding="utf-8", newline="\n") as out:
        out.write(HEADER)
        for code in countries:
            zh = icu.Locale("", code).getDisplayCountry(ZH)
            en = icu.Locale("", code).getDisplayCountry(EN)
            capital = capitals.get(code, (0, 0))[0]
            out.write("C\t%s\t%s\t%s\t%d\n" % (code, zh, en, capital))
        for population, gid, shown, name, country, region, lat, lon, zone, others in places:
            out.write("P\t%d\t%s\t%s\t%s\t%s\t%.3f\t%.3f\t%d\t%d\t%s\n" %
                      (gid, shown, "" if name == shown else name, country, clean(region), lat, lon, zone, population, "|".join(others)))
    write_zone_list(zones_path, zone_list)
    print("%d places, %d countries, %d zones" % (len(places), len(countries), len(zone_list)))


if __name__ == "__main__":
    main()
