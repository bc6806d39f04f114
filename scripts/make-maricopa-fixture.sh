#!/usr/bin/env bash
# Converts the Maricopa 2013 daily weather (data/weather/maricopa-2013.csv) into the
# program's standard CSV weather layout, as the test fixture
# tests/data/weather/maricopa-2013-standard.csv. Temperatures stay in degrees C and
# rain in mm; wind, measured at 3 m, is taken to 2 m (u2 = 0.937 x u3); humidity is
# the mean of the day's maximum and minimum. Run it again only to rebuild the fixture.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SRC="${1:-$ROOT/data/weather/maricopa-2013.csv}"
DST="$ROOT/tests/data/weather/maricopa-2013-standard.csv"

LC_ALL=C awk -F, '
  NR == 1 {
    print "Month,Day,Year,Max Temp (degC),Min Temp (degC),Precip (mm),Wind Speed (mps),Humidity (%),Notes"
    next
  }
  NF >= 7 {
    split($1, d, "-")
    notes = ($7 + 0 > 0) ? "Rain" : ""
    printf "%d,%d,%d,%s,%s,%s,%.2f,%.1f,%s\n", d[2], d[3], d[1], $2, $3, $7, $6 * 0.937, ($4 + $5) / 2, notes
  }
' "$SRC" > "$DST"
echo "Wrote $DST ($(($(wc -l < "$DST") - 1)) days)"
