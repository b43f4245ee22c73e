#!/usr/bin/env bash
# Makes Kwinta's sound effects and theme tune: data/*.daw (plain 16-bit mono
# WAV at 22050 Hz, whatever the extension says).
#
# Usage:  tools/make_sounds.sh [OUTDIR]      (default: data/ next to tools/)
#
# tools/soundgen.py synthesises the raw layers (voices, whistles, strings,
# drums); sox mixes, filters, adds the stadium's echo and sets the levels.
# Every random source has a fixed seed and sox runs in repeatable mode (-R),
# so running this again gives the same files.
#
# Loops (crowd, crowd2, theme) are seamless: the crowds have the material just
# past their end crossfaded into their head, and the theme is rendered round
# its loop point, with the echo taken from the middle copy of three.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
out="${1:-$here/../data}"
mkdir -p "$out"
gen="$here/soundgen.py"

for tool in sox python3; do
  command -v "$tool" >/dev/null || { echo "make_sounds: $tool is needed" >&2; exit 1; }
done

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

SOX=(sox -R -V1)
FMT=(-t wav -r 22050 -c 1 -b 16 -e signed-integer)
RATE=22050

# Peak levels in dBFS. The game plays up to five sounds at once (the menu's
# crowds, cheer, theme and riff; a result's cheer and whistle over the two
# crowd loops), and their sum must stay below full scale or the mixer clips:
# tools/check_sounds.py adds up every such set. The riff and the whistles are
# dense, so they sit lower than their peaks alone would suggest.
LOOP_DB=-12     # crowd, crowd2
THEME_DB=-10
CUE_DB=-7       # yeah, yeah2, boo, swoosh
RIFF_DB=-10     # guit2
WHISTLE_DB=-10  # wis1-3

# master IN NAME PEAK_DB: final level and format
master() {
  "${SOX[@]}" "$1" "${FMT[@]}" "$out/$2" gain -n "$3"
}

# noise NAME SECONDS COLOUR: a noise bed
noise() {
  "${SOX[@]}" -n -r $RATE -c 1 -b 16 "$tmp/$1" synth "$2" "$3"
}

# ---------------------------------------------------------------- crowd loops
# crowd: a full stadium talking among itself
python3 "$gen" babble "$tmp/talk1.wav" 5 101 45 0
noise bed1.wav 5 pinknoise
"${SOX[@]}" -m -v 1.0 "$tmp/talk1.wav" -v 0.22 "$tmp/bed1.wav" "$tmp/crowd_mix.wav" \
  sinc 120-3000 equalizer 350 1q 2 reverb 60 40 100 100 20
python3 "$gen" loop "$tmp/crowd_mix.wav" "$tmp/crowd_loop.wav" 3.6 0.6 0.6
master "$tmp/crowd_loop.wav" crowd.daw "$LOOP_DB"

# crowd2: livelier, with calls, clapping and a roar rising and falling
python3 "$gen" babble "$tmp/talk2.wav" 5 202 70 1
python3 "$gen" claps "$tmp/claps2.wav" 5 203 28 0 5 steady
noise bed2.wav 5 pinknoise
# the roar swells once per 3.6 s so that it repeats with the loop
"${SOX[@]}" "$tmp/bed2.wav" "$tmp/roar2.wav" highpass 250 lowpass 2800 equalizer 800 1.5q 5 \
  tremolo 0.2777778 40
"${SOX[@]}" -m -v 1.0 "$tmp/talk2.wav" -v 0.35 "$tmp/claps2.wav" -v 0.45 "$tmp/roar2.wav" \
  "$tmp/crowd2_mix.wav" sinc 120-4500 reverb 70 40 100 100 25 compand 0.01,0.25 -70,-70,-30,-24,0,-12
python3 "$gen" loop "$tmp/crowd2_mix.wav" "$tmp/crowd2_loop.wav" 3.6 0.6 0.6
master "$tmp/crowd2_loop.wav" crowd2.daw "$LOOP_DB"

# ------------------------------------------------------------ cheers and boos
# yeah: a cheer
python3 "$gen" shouts "$tmp/yeah_v.wav" yeah 301
python3 "$gen" claps "$tmp/yeah_c.wav" 2.1 302 30 0.35 2.0
noise yeah_n.wav 2.1 pinknoise
"${SOX[@]}" "$tmp/yeah_n.wav" "$tmp/yeah_r.wav" highpass 300 lowpass 3500 equalizer 800 1.5q 6 equalizer 1700 2q 4 fade h 0.15 2.1 1.4
"${SOX[@]}" -m -v 1.0 "$tmp/yeah_v.wav" -v 0.3 "$tmp/yeah_c.wav" -v 0.35 "$tmp/yeah_r.wav" \
  "$tmp/yeah_mix.wav" sinc 100-6000 reverb 55 40 100 100 15 trim 0 2.1 fade t 0.01 2.1 0.45
master "$tmp/yeah_mix.wav" yeah.daw "$CUE_DB"

# yeah2: the whole stadium on its feet, roar swelling and dying away
python3 "$gen" shouts "$tmp/yeah2_v.wav" yeah2 401
python3 "$gen" claps "$tmp/yeah2_c.wav" 2.8 402 45 0.5 2.6
noise yeah2_n.wav 2.8 pinknoise
"${SOX[@]}" "$tmp/yeah2_n.wav" "$tmp/yeah2_r.wav" highpass 250 lowpass 3800 equalizer 750 1.5q 6 equalizer 1600 2q 4 fade q 0.8 2.8 1.7
"${SOX[@]}" -m -v 1.0 "$tmp/yeah2_v.wav" -v 0.2 "$tmp/yeah2_c.wav" -v 0.5 "$tmp/yeah2_r.wav" \
  "$tmp/yeah2_mix.wav" sinc 90-6500 reverb 75 40 100 100 25 trim 0 2.8 fade q 0.05 2.8 0.9
master "$tmp/yeah2_mix.wav" yeah2.daw "$CUE_DB"

# boo: a low, long "ooo" from the stands
python3 "$gen" shouts "$tmp/boo_v.wav" boo 501
noise boo_n.wav 2.1 brownnoise
"${SOX[@]}" "$tmp/boo_n.wav" "$tmp/boo_r.wav" sinc 80-700 fade h 0.1 2.1 1.0
"${SOX[@]}" -m -v 1.0 "$tmp/boo_v.wav" -v 0.25 "$tmp/boo_r.wav" \
  "$tmp/boo_mix.wav" sinc 70-2200 reverb 60 50 100 100 20 trim 0 2.1 fade t 0.02 2.1 0.5
master "$tmp/boo_mix.wav" boo.daw "$CUE_DB"

# ------------------------------------------------------------------ the theme
# four bars at 180 bpm, 117600 samples; echo taken from the middle of three
python3 "$gen" theme "$tmp/theme_dry.wav"
"${SOX[@]}" "$tmp/theme_dry.wav" "$tmp/theme_dry.wav" "$tmp/theme_dry.wav" "$tmp/theme_3.wav" \
  reverb 30 50 60 100 0 -4
"${SOX[@]}" "$tmp/theme_3.wav" "$tmp/theme_loop.wav" trim 117600s 117600s
master "$tmp/theme_loop.wav" theme.daw "$THEME_DB"

# ----------------------------------------------------------------- guitar riff
python3 "$gen" guitar "$tmp/guit_dry.wav"
"${SOX[@]}" "$tmp/guit_dry.wav" "$tmp/guit_mix.wav" \
  highpass 80 equalizer 2200 1q 3 equalizer 400 1q -2 reverb 30 50 70 trim 0 2.2 fade t 0.003 2.2 0.35
master "$tmp/guit_mix.wav" guit2.daw "$RIFF_DB"

# ---------------------------------------------------------------------- swoosh
python3 "$gen" swoosh "$tmp/swoosh_dry.wav"
"${SOX[@]}" "$tmp/swoosh_dry.wav" "$tmp/swoosh_mix.wav" \
  highpass 150 reverb 20 50 40 trim 0 0.55 fade t 0.02 0.55 0.1
master "$tmp/swoosh_mix.wav" swoosh.daw "$CUE_DB"

# ------------------------------------------------------------ referee whistles
n=1
for pattern in short double long; do
  python3 "$gen" whistle "$tmp/wis_dry.wav" "$pattern"
  len="$(soxi -D "$tmp/wis_dry.wav")"
  "${SOX[@]}" "$tmp/wis_dry.wav" "$tmp/wis_mix.wav" \
    highpass 400 reverb 20 50 80 100 10 -6 trim 0 "$len" fade t 0.005 "$len" 0.08
  master "$tmp/wis_mix.wav" "wis$n.daw" "$WHISTLE_DB"
  n=$((n + 1))
done

python3 "$here/check_sounds.py" "$out"
echo "make_sounds: wrote crowd crowd2 yeah yeah2 boo theme guit2 swoosh wis1 wis2 wis3 (.daw) to $out"
