#!/usr/bin/env bash
# Renders the reference charts of this folder with lumtar-cli:
#   tests/chart/reference/make_reference.sh build/Lumtar/lumtar-cli [FOLDER]
# Each chart is meant to be looked at by a person after a change to the
# picture: births in several zones, a lunar date, both frames, both ways of
# finding 命宫, pillar times, and annual overlays. test_reference_charts
# renders them into a folder of its own (FOLDER; this one without it) and
# compares them with the ones here.
set -euo pipefail
cli=${1:?usage: make_reference.sh PATH/TO/lumtar-cli [FOLDER]}
here=${2:-$(cd "$(dirname "$0")" && pwd)}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# settings FILE FRAME MGONG IDATE BKCOLOR
settings() {
  printf '[lumtar]\r\nguidao=%s\r\nbkcolor=%s\r\nluoji=0\r\nnpos=3\r\nmgong=%s\r\niDate=%s\r\n' "$2" "$5" "$3" "$4" >"$1"
}
settings "$tmp/ecl.ini" 0 0 0 16777215
settings "$tmp/equ.ini" 1 0 0 16777215
settings "$tmp/hour.ini" 0 1 1 16777215
settings "$tmp/equ-hour.ini" 1 1 2 14741744   # 0xE0F0F0: a tinted background

# Beijing, ecliptic frame, computed 命宫; and its annual chart of 2024.
"$cli" chart --name 张三 --date 1990-03-07 --time 14:25 --lon 116:25 --lat 39:54 --place 北京-北京 \
  --settings "$tmp/ecl.ini" --png "$here/beijing-1990.png" >/dev/null
"$cli" annual --name 张三 --date 1990-03-07 --time 14:25 --lon 116:25 --lat 39:54 --place 北京-北京 \
  --settings "$tmp/ecl.ini" --at 2024-05-01 12:00 --png "$here/beijing-1990-annual-2024.png" >/dev/null
# Lunar input (leap tenth month of 1984), Shanghai, female, equatorial frame.
"$cli" chart --name 李四 --female --lunar --leap --date 1984-10-15 --time 06:30 --lon 121:28 --lat 31:14 \
  --place 上海-上海 --settings "$tmp/equ.ini" --png "$here/shanghai-lunar-1984.png" >/dev/null
# New York (UTC-5, list position 17), 命宫 by the hour branch, true solar time;
# with an annual chart entered in Beijing time.
"$cli" chart --name 某人 --date 1969-07-20 --time 22:56 --zone 17 --lon -74:00 --lat 40:43 --place 未知地 \
  --settings "$tmp/hour.ini" --png "$here/newyork-1969.png" >/dev/null
"$cli" annual --name 某人 --date 1969-07-20 --time 22:56 --zone 17 --lon -74:00 --lat 40:43 --place 未知地 \
  --settings "$tmp/hour.ini" --at 2030-01-15 09:00 --at-zone 8 --png "$here/newyork-1969-annual-2030.png" >/dev/null
# Sydney (UTC+10), southern latitude, equatorial frame, 命宫 by the hour
# branch, local mean time, tinted background.
"$cli" chart --name 某人 --female --date 2000-01-01 --time 00:05 --zone 10 --lon 151:12 --lat -33:52 \
  --place 未知地 --settings "$tmp/equ-hour.ini" --png "$here/sydney-2000.png" >/dev/null
