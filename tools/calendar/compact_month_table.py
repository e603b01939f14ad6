#!/usr/bin/env python3
"""Writes the official lunar month table 1900-2099 in our compact form.

Usage: compact_month_table.py lunar_months_1900_2099.tsv OUTPUT

Input: one line per lunar month (lunar year, month number, leap flag,
Gregorian first day, number of days). Output: one line per lunar year:
    YEAR YYYY-MM-DD LEAP LENGTHS
with the Gregorian date of 正月初一, the number of the month that is followed
by a leap month (0 when none), and one character per month in order, the
leap month in its place: "1" for 30 days, "0" for 29.
"""
import sys


def main():
    years = {}
    for line in open(sys.argv[1], encoding="utf-8"):
        if line.startswith("#") or not line.strip():
            continue
        year, month, leap, first, days = line.split()
        y = years.setdefault(int(year), {"first": None, "leap": 0, "lengths": ""})
        if int(month) == 1 and leap == "0":
            y["first"] = first
        if leap == "1":
            y["leap"] = int(month)
        y["lengths"] += "1" if days == "30" else "0"
    with open(sys.argv[2], "w", encoding="utf-8", newline="\n") as out:
        out.write("# Official Chinese calendar 1900-2099, one lunar year a line:\n")
        out.write("# year, Gregorian date of 正月初一, month followed by a leap month (0 none),\n")
        out.write("# month lengths in order with the leap month in place (1 = 30 days, 0 = 29).\n")
        for year in sorted(years):
            y = years[year]
            out.write("%d %s %d %s\n" % (year, y["first"], y["leap"], y["lengths"]))


if __name__ == "__main__":
    main()
