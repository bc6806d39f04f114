#!/usr/bin/env bash
# Converts the Maricopa 2013 daily weather (data/weather/maricopa-2013.csv, the raw
# station data, which Import File does not read) into the program's standard CSV
# weather layout, which it does: data/weather/maricopa-2013-standard.csv, shipped
# beside the raw file, and the same file as the test fixture
# tests/data/weather/maricopa-2013-standard.csv. Temperatures stay in degrees C and
# rain in mm; wind, measured at 3 m, is taken to 2 m (u2 = 0.937 x u3); humidity is
# the mean of the day's maximum and minimum. Run it again only to rebuild them.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SRC="${1:-$ROOT/data/weather/maricopa-2013.csv}"
DST="$ROOT/data/weather/maricopa-2013-standard.csv"
FIXTURE="$ROOT/tests/data/weather/maricopa-2013-standard.csv"

# Each target is replaced only by a complete copy, written and flushed beside it; a
# target that is not a regular file is refused.
replace() {
  local target="$1" tmp
  if [ -e "$target" ] && [ ! -f "$target" ]; then
    echo "Can't write $target: not a regular file" >&2
    exit 1
  fi
  tmp="$(mktemp "$target.XXXXXX")"
  if ! cat > "$tmp" || ! chmod 644 "$tmp" || ! sync "$tmp" || ! mv -f "$tmp" "$target"; then
    rm -f "$tmp"
    echo "Can't write $target" >&2
    exit 1
  fi
}

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
' "$SRC" | replace "$DST"
replace "$FIXTURE" < "$DST"
echo "Wrote $DST and $FIXTURE ($(($(wc -l < "$DST") - 1)) days)"
