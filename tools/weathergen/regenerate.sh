#!/usr/bin/env bash
# Rebuilds every committed sample weather, rainfall and climate file in
# data/meteo/ with the seeded generator. The same commands give the same
# files, byte for byte: after running this, `git status data/meteo` is clean.
#
#   bash tools/weathergen/regenerate.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD=${1:-build}
if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S . -B "$BUILD" -G Ninja >/dev/null
fi
cmake --build "$BUILD" --target weathergen >/dev/null
GEN="$BUILD/tools/weathergen/weathergen"

WEATHER=data/meteo/merawe
CLIMATE=data/meteo/climd
mkdir -p "$WEATHER" "$CLIMATE"
rm -f "$WEATHER"/NLD1.??? "$WEATHER"/EST1.??? "$WEATHER"/STH1.??? "$CLIMATE"/RAINN.DAT "$CLIMATE"/CLIMN.DAT

# The north climate: maritime, rain all year with an autumn maximum.
NORTH=(--tmean=10.2 --tamp=7.0 --dtr=7.5 --dtramp=2.0 --rain=800 --wetdays=190
       --rainamp=0.12 --rainpeak=300 --sunshine=0.40 --sunamp=0.10 --dewdep=-1.0
       --dewdepamp=1.4 --dewdeppeak=160 --wind=3.2 --windamp=0.3 --tsd=2.5)

# Three weather stations, yearly files (format 2).
"$GEN" "$WEATHER" NLD1 "Station north, daily data (synthetic)" \
  52.10 5.18 10 1971 2000 1971 "${NORTH[@]}"
"$GEN" "$WEATHER" EST1 "Station east, continental, daily data (synthetic)" \
  50.40 30.50 170 1971 2000 2971 \
  --tmean=7.8 --tamp=12.0 --tcoldday=18 --tsd=3.2 --dtr=8.5 --dtramp=2.5 --wetcool=2.0 \
  --dewdep=-0.8 --dewdepamp=1.5 --dewdeppeak=170 --rain=580 --wetdays=150 --rainamp=0.25 \
  --rainpeak=190 --sunshine=0.48 --sunamp=0.15 --wind=3.6 --windamp=0.15
"$GEN" "$WEATHER" STH1 "Station south, dry summers, daily data (synthetic)" \
  37.40 -5.90 30 1971 2000 3971 \
  --tmean=18.5 --tamp=8.0 --tcoldday=15 --tsd=2.2 --dtr=13.5 --dtramp=3.5 --wetcool=2.5 \
  --dewdep=2.5 --dewdepamp=3.0 --dewdeppeak=195 --rain=540 --wetdays=75 --rainamp=0.92 \
  --rainpeak=350 --persist=0.35 --shape=0.7 --sunshine=0.66 --sunamp=0.18 --wind=1.9 --windamp=0

# A rainfall station (format 99): the north climate, other draws.
"$GEN" "$CLIMATE" RAINN "Rain station north (synthetic)" \
  52.00 5.60 15 1971 2000 5971 --format=99 "${NORTH[@]}"

# A monthly climate file (format 1): means of the north climate over 1961-1990.
"$GEN" "$CLIMATE" CLIMN "Climate north, monthly means (synthetic)" \
  52.10 5.18 10 1961 1990 6961 --format=1 "${NORTH[@]}"

echo "regenerated $(ls "$WEATHER" | wc -l) yearly files and 2 climate-directory files"
