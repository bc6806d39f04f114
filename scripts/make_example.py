#!/usr/bin/env python3
"""Writes the example field files under data/examples/ from measured daily weather.

The weather is the 2013 record of the AZMET station at Maricopa, Arizona
(data/weather/maricopa-2013.csv, public domain; its source and licence are in
data/weather/README.md). The field around it is an irrigated cotton field with
soil horizons typical of the area and one event of each kind; the soil and the
management are illustrative, the weather is real.

Two files are written, the same field in metric and in English units:
  data/examples/maricopa-cotton-metric.sov
  data/examples/maricopa-cotton-english.sov

Conversions of the weather columns:
  temperature  deg C as measured; deg F = deg C * 9 / 5 + 32
  precipitation mm as measured; inches = mm / 25.4
  wind speed   measured at 3 m; the program wants the speed at 2 m, so
               u2 = 0.937 * u3 (FAO-56 eq. 47); metric in m/s, English in mph
               with the program's own factor (m/s / 5280 * 3600 * 3.281)
  humidity     the program takes the day's mean relative humidity, in percent:
               (RHmax + RHmin) / 2

The files are written exactly as the program saves them (UTF-8, CR LF, sections
in the program's order), so loading and saving one gives the same bytes again.

Usage: scripts/make_example.py [--csv PATH] [--out DIR]
"""

import argparse
import csv
import datetime as dt
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_CSV = os.path.join(ROOT, "data", "weather", "maricopa-2013.csv")
DEFAULT_OUT = os.path.join(ROOT, "data", "examples")

# Names as they stand in data/SovLookup.ini.
LOCATION = "Arizona"
CROP = "Cotton"
PREVIOUS_CROP = "Winter wheat"
FERTILIZER_DRY = "Urea"
FERTILIZER_LIQUID = "UAN 32"
FERT_METHOD_BROADCAST = "Broadcast"
FERT_METHOD_WATER = "Fertigation"
MANURE = "Dairy solid"
MANURE_METHOD = "Incorporated within 1 day"

PROGRAM_VERSION = "0.1.0"

# Names fit the field page's 25 characters. The soil map unit symbol and the weather
# station (AZMET station 6, Maricopa) give the ACE export the soil and weather ids that
# link the experiment to its soil and its weather.
FARM_NAME = "Maricopa Ag Center"
FIELD_NAME = "Furrow cotton"
MAP_UNIT_SYMBOL = "CgA"
WEATHER_STATION = "AZMET06"

STARTING_DATE = dt.date(2013, 4, 15)
EMERGENCE_DATE = dt.date(2013, 4, 25)
CALCULATION_DATE = dt.date(2013, 10, 15)
LAST_WEATHER_DATE = dt.date(2013, 10, 31)
GROWING_SEASON = 120  # days from emergence to the end of mid-season

# Furrow irrigations (date, mm): a pre-plant irrigation, then through the summer.
IRRIGATIONS = [
    (dt.date(2013, 4, 16), 100), (dt.date(2013, 5, 28), 90), (dt.date(2013, 6, 10), 100),
    (dt.date(2013, 6, 20), 100), (dt.date(2013, 6, 29), 110), (dt.date(2013, 7, 8), 110),
    (dt.date(2013, 7, 16), 110), (dt.date(2013, 7, 24), 110), (dt.date(2013, 8, 1), 110),
    (dt.date(2013, 8, 9), 110), (dt.date(2013, 8, 17), 100), (dt.date(2013, 8, 26), 100),
    (dt.date(2013, 9, 5), 90), (dt.date(2013, 9, 16), 80),
]

# Day notes (date, text).
DAY_NOTES = {
    dt.date(2013, 4, 16): "Pre-plant irrigation",
    dt.date(2013, 4, 18): "Planted",
    dt.date(2013, 6, 29): "First bloom, about 50 days after emergence",
    dt.date(2013, 9, 20): "Last irrigation was 9/16",
}

# Horizons: bottom depth cm, texture, AWC, wilting point, bulk density, KSat (um/s),
# sand, silt, clay, OM, pH, EC (dS/m), CEC (cmol+/kg); the service's units in both
# unit systems.
HORIZONS = [
    ("30", "SL", "0.12", "0.08", "1.55", "9.17", "65", "20", "15", "0.6", "8.2", "2", "12"),
    ("75", "SCL", "0.15", "0.13", "1.6", "4.23", "55", "20", "25", "0.4", "8.4", "4", "16"),
    ("150", "SCL", "0.14", "0.14", "1.65", "2.82", "52", "20", "28", "0.2", "8.6", "6", "18"),
]

FIELD_KEYS = [
    "FarmName", "FieldName", "Location", "IsCoastal", "IsMetric", "Latitude", "Longitude",
    "Elevation", "Crop", "EmergenceDate", "GrowingSeason", "ProjectedYield", "RootingDepth",
    "MinimumMoisture", "PreviousCrop", "SurveySymbol", "MapUnitSymbol", "ComponentName",
    "WaterHoldingCapacity", "OrganicMatter", "IrrigationEfficiency", "Notes",
    "StartingMoisture", "StartingResidue", "StartingDate", "CalculationDate",
    "WeatherSource", "WeatherStation",
]
HORIZON_KEYS = ["Depth", "Texture", "AWC", "WiltingPoint", "BulkDensity", "KSat", "Sand",
                "Silt", "Clay", "OM", "pH", "EC", "CEC"]


def file_date(d):
    return f"{d.month}/{d.day}/{d.year}"


def day_number(d):
    return (d - STARTING_DATE).days + 1


def num(value, decimals):
    """Fixed notation, trailing zeros and a bare point dropped, never "-0"."""
    text = f"{value:.{decimals}f}"
    if "." in text:
        text = text.rstrip("0").rstrip(".")
    if text in ("-0", ""):
        text = "0"
    return text


def escape(text):
    return text.replace("\\", "\\\\").replace(",", "\\,")


def water_holding_capacity(rooting_depth_cm):
    """Root-zone water in cm of water, summed over the horizons down to the root depth."""
    top = 0.0
    total = 0.0
    for h in HORIZONS:
        bottom = float(h[0])
        awc = float(h[2])
        if rooting_depth_cm >= bottom:
            total += (bottom - top) * awc
            top = bottom
        elif rooting_depth_cm > top:
            total += (rooting_depth_cm - top) * awc
            break
    return total


def read_weather(path):
    rows = {}
    with open(path, newline="", encoding="utf-8") as f:
        for rec in csv.DictReader(f):
            d = dt.date.fromisoformat(rec["date"])
            rows[d] = rec
    return rows


def build(metric, weather):
    lines = []

    def section(name, pairs):
        lines.append(f"[{name}]")
        lines.extend(f"{k}={v}" for k, v in pairs)
        lines.append("")

    section("SovInfo", [("FileVersion", "2"), ("ProgramVersion", PROGRAM_VERSION)])

    rooting_depth_cm = 120.0 if metric else 4 * 30.48
    whc_cm = water_holding_capacity(rooting_depth_cm)
    field = {
        "FarmName": FARM_NAME,
        "FieldName": FIELD_NAME + (" (metric)" if metric else " (English)"),
        "Location": LOCATION,
        "IsCoastal": "No",
        "IsMetric": "Yes" if metric else "No",
        "Latitude": "33.069",
        "Longitude": "-111.97",
        "Elevation": "361" if metric else num(361 * 3.281, 0),
        "Crop": CROP,
        "EmergenceDate": file_date(EMERGENCE_DATE),
        "GrowingSeason": str(GROWING_SEASON),
        "ProjectedYield": "1500" if metric else num(1500 * 0.8922, 0),
        "RootingDepth": "120" if metric else "4",
        "MinimumMoisture": "50",
        "PreviousCrop": PREVIOUS_CROP,
        "SurveySymbol": "",
        "MapUnitSymbol": MAP_UNIT_SYMBOL,
        "ComponentName": "Casa Grande",
        "WaterHoldingCapacity": num(whc_cm * 10, 1) if metric else num(whc_cm / 2.54, 2),
        "OrganicMatter": "0.6",
        "IrrigationEfficiency": "75",
        "Notes": "Weather measured by AZMET at Maricopa, Arizona, in 2013 (public domain); "
                 "soil and management are illustrative.",
        "StartingMoisture": "80",
        "StartingResidue": "10",
        "StartingDate": file_date(STARTING_DATE),
        "CalculationDate": file_date(CALCULATION_DATE),
        "WeatherSource": "",
        "WeatherStation": WEATHER_STATION,
    }
    section("Field", [(k, field[k]) for k in FIELD_KEYS])

    for i, h in enumerate(HORIZONS, start=1):
        section(f"Horizon{i}", list(zip(HORIZON_KEYS, h)))

    # Events in slot order; rates in the field's units.
    if metric:
        events = [
            ("M", dt.date(2013, 4, 15), [("Key1", MANURE), ("Value", "10"), ("Key2", MANURE_METHOD),
                                          ("Value2", "12"), ("Value3", "2")], "Before pre-plant irrigation"),
            ("R", dt.date(2013, 4, 15), [("Value", "10")], "Wheat stubble, disked"),
            ("N", dt.date(2013, 4, 16), [("Value", "8.5")], "Well water, nitrate-N ppm"),
            ("F", dt.date(2013, 6, 5), [("Key1", FERTILIZER_DRY), ("Value", "110"),
                                         ("Key2", FERT_METHOD_BROADCAST)], "Side-dress"),
            ("F", dt.date(2013, 7, 8), [("Key1", FERTILIZER_LIQUID), ("Value", "150"),
                                         ("Key2", FERT_METHOD_WATER)], "Water-run with irrigation"),
        ]
    else:
        events = [
            ("M", dt.date(2013, 4, 15), [("Key1", MANURE), ("Value", "4.5"), ("Key2", MANURE_METHOD),
                                          ("Value2", "24"), ("Value3", "4")], "Before pre-plant irrigation"),
            ("R", dt.date(2013, 4, 15), [("Value", "10")], "Wheat stubble, disked"),
            ("N", dt.date(2013, 4, 16), [("Value", "8.5")], "Well water, nitrate-N ppm"),
            ("F", dt.date(2013, 6, 5), [("Key1", FERTILIZER_DRY), ("Value", "100"),
                                         ("Key2", FERT_METHOD_BROADCAST)], "Side-dress"),
            ("F", dt.date(2013, 7, 8), [("Key1", FERTILIZER_LIQUID), ("Value", "16"),
                                         ("Key2", FERT_METHOD_WATER)], "Water-run with irrigation"),
        ]
    for n, (code, date, values, notes) in enumerate(events, start=1):
        section(f"Event{n}", [("Day", str(day_number(date))), ("Code", code)] + values +
                [("Misc1", ""), ("Notes", notes)])

    irrigation = dict(IRRIGATIONS)
    days = []
    d = STARTING_DATE
    while d <= LAST_WEATHER_DATE:
        rec = weather[d]
        tmax = float(rec["tmax_c"])
        tmin = float(rec["tmin_c"])
        rain = float(rec["rain_mm"])
        u2 = 0.937 * float(rec["wind_ms_at_3m"])
        rh = (float(rec["rhmax_pct"]) + float(rec["rhmin_pct"])) / 2
        irr = irrigation.get(d)
        if metric:
            values = [num(tmax, 1), num(tmin, 1), num(rain, 2),
                      num(irr, 0) if irr is not None else "", num(u2, 2), num(rh, 1)]
        else:
            values = [num(tmax * 9 / 5 + 32, 1), num(tmin * 9 / 5 + 32, 1), num(rain / 25.4, 2),
                      num(irr / 25.4, 2) if irr is not None else "",
                      num(u2 / 5280 * 3600 * 3.281, 1), num(rh, 1)]
        values += ["", DAY_NOTES.get(d, "")]
        days.append(f"Day{day_number(d)}=" + ",".join(escape(v) for v in values))
        d += dt.timedelta(days=1)
    section("Weather", [tuple(x.split("=", 1)) for x in days])

    return "\r\n".join(lines) + "\r\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--csv", default=DEFAULT_CSV)
    parser.add_argument("--out", default=DEFAULT_OUT)
    args = parser.parse_args()
    weather = read_weather(args.csv)
    os.makedirs(args.out, exist_ok=True)
    for metric, name in ((True, "maricopa-cotton-metric.sov"), (False, "maricopa-cotton-english.sov")):
        path = os.path.join(args.out, name)
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(build(metric, weather))
        print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
