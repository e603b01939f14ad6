#!/usr/bin/env python3
"""Writes a lunar month table in our compact form.

Usage: compact_month_table.py MONTH_TABLE.tsv OUTPUT

Input: one line per lunar month (lunar year, month number, leap flag, civil
first day, number of days): the official table 1900-2099
(lunar_months_1900_2099.tsv) or the calendars in use 619-1911
(historical_months_619_1911.tsv). Output: one line per lunar year:
    YEAR YYYY-MM-DD LEAP LENGTHS
with the civil date of 正月初一 (Julian before 1582-10-15), the number of the
month that is followed by a leap month (0 when none), and one character per
month in order, the leap month in its place: "1" for 30 days, "0" for 29.

The input must run month after month without a gap, every year opening with
its 正月, at most one leap month a year, months of 29 or 30 days; anything
else stops the conversion.
"""
import sys

TITLES = {
    "lunar_months_1900_2099": "Official Chinese calendar 1900-2099",
    "historical_months_619_1911": "Chinese calendars in use 619-1911 (the months of each dynasty's own calendar)",
}


def day_number(text):
    """Days of a civil date (Julian before 1582-10-15), for the gap check."""
    y, m, d = (int(x) for x in text.split("-"))
    a = (14 - m) // 12
    yy, mm = y + 4800 - a, m + 12 * a - 3
    n = d + (153 * mm + 2) // 5 + 365 * yy + yy // 4
    if (y, m, d) >= (1582, 10, 15):
        return n - yy // 100 + yy // 400 - 32045
    return n - 32083


def fail(message):
    sys.exit("compact_month_table: " + message)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    source = sys.argv[1]
    years = {}
    order = []
    expected = None
    for line in open(source, encoding="utf-8"):
        if line.startswith("#") or not line.strip():
            continue
        year, month, leap, first, days = line.split()
        if days not in ("29", "30"):
            fail("%s: a month of %s days" % (first, days))
        if expected is not None and day_number(first) != expected:
            fail("%s: does not follow the month before" % first)
        expected = day_number(first) + int(days)
        if year not in years:
            if (month, leap) != ("1", "0"):
                fail("%s: year %s opens with month %s" % (first, year, month))
            years[year] = {"first": first, "leap": 0, "lengths": ""}
            order.append(year)
        y = years[year]
        if leap == "1":
            if y["leap"]:
                fail("%s: a second leap month in %s" % (first, year))
            y["leap"] = int(month)
        y["lengths"] += "1" if days == "30" else "0"
    name = source.rsplit("/", 1)[-1].rsplit(".", 1)[0]
    title = TITLES.get(name, name)
    with open(sys.argv[2], "w", encoding="utf-8", newline="\n") as out:
        out.write("# %s, one lunar year a line:\n" % title)
        out.write("# year, civil date of 正月初一 (Julian before 1582-10-15), month followed by a leap month (0 none),\n")
        out.write("# month lengths in order with the leap month in place (1 = 30 days, 0 = 29).\n")
        for year in order:
            y = years[year]
            out.write("%s %s %d %s\n" % (year, y["first"], y["leap"], y["lengths"]))


if __name__ == "__main__":
    main()
