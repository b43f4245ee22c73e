#!/usr/bin/env bash
# Paints Kwinta's 2D pictures: data/pics/*.png (window backgrounds, the
# newspaper front pages, the help panels and the referee's result pictures).
#
# Usage:  tools/make_pictures.sh [OUTDIR]      (default: data/pics/ next to tools/)
#
# ImageMagick 6 (convert) and the DejaVu fonts only.  Random crowds use fixed
# seeds and no time stamps go into the files, so running this again gives the
# same pictures.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
out="${1:-$here/../data/pics}"
mkdir -p "$out"

command -v convert >/dev/null || { echo "make_pictures: ImageMagick's convert is needed" >&2; exit 1; }

fonts=/usr/share/fonts/truetype/dejavu
SANS=$fonts/DejaVuSans.ttf
BOLD=$fonts/DejaVuSans-Bold.ttf
COND=$fonts/DejaVuSansCondensed-Bold.ttf
OBLIQUE=$fonts/DejaVuSans-Oblique.ttf
SERIF=$fonts/DejaVuSerif.ttf
SERIFB=$fonts/DejaVuSerif-Bold.ttf
SERIFI=$fonts/DejaVuSerif-Italic.ttf
for f in "$SANS" "$BOLD" "$COND" "$SERIF" "$SERIFB" "$SERIFI" "$OBLIQUE"; do
  [ -f "$f" ] || { echo "make_pictures: missing font $f (package fonts-dejavu-core / fonts-dejavu-extra)" >&2; exit 1; }
done

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# Written without dates, so that the files only change when the pictures do.
SAVE=(-strip -define png:exclude-chunk=date,time)

# fit FONT TEXT WIDTH MAX: the largest point size (<= MAX) at which TEXT is at
# most WIDTH pixels wide
fit() {
  local size=$4
  while [ "$size" -gt 8 ]; do
    local w
    w=$(convert -font "$1" -pointsize "$size" label:"$2" -format %w info:)
    [ "$w" -le "$3" ] && break
    size=$((size - 1))
  done
  echo "$size"
}

# A paper-triangle football: folded from a strip, so the faces show fold lines.
# triangle CX CY SIZE ANGLE: draw primitives for an equilateral triangle
triangle() {
  python3 - "$@" <<'EOF'
import math, sys
cx, cy, size, ang = map(float, sys.argv[1:5])
pts = []
for k in range(3):
    a = math.radians(ang + 90 + 120 * k)
    pts.append((cx + size * math.cos(a), cy - size * math.sin(a)))
p = " ".join("%.1f,%.1f" % q for q in pts)
mid = lambda a, b, t: (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t)
# the last fold: a line from one corner to the middle of the far side, and a tuck
m = mid(pts[1], pts[2], 0.5)
t1, t2 = mid(pts[0], pts[1], 0.55), mid(pts[0], pts[2], 0.55)
print("stroke '#5b5030' stroke-width 1.5 fill '#f4efd9' polygon %s "
      "stroke '#b4a983' stroke-width 1 line %.1f,%.1f %.1f,%.1f "
      "fill '#e2d9b8' polygon %.1f,%.1f %.1f,%.1f %.1f,%.1f "
      "stroke '#9fb7d6' stroke-width 0.8 line %.1f,%.1f %.1f,%.1f"
      % (p, pts[0][0], pts[0][1], m[0], m[1],
         pts[0][0], pts[0][1], t1[0], t1[1], t2[0], t2[1],
         mid(pts[1], pts[0], 0.25)[0], mid(pts[1], pts[0], 0.25)[1],
         mid(pts[2], pts[0], 0.25)[0], mid(pts[2], pts[0], 0.25)[1]))
EOF
}

# ============================================================== start-up window
make_startup() {
  local tri1 tri2
  tri1=$(triangle 62 46 30 -12)
  tri2=$(triangle 578 46 30 192)
  convert -size 640x480 gradient:'#123f22'-'#0b1640' \
    \( -size 960x800 radial-gradient:'#2c5a3c'-'#000000' -crop 640x480+160+320 +repage \) \
    -compose screen -composite -compose over \
    -fill none -stroke '#ffffff14' -strokewidth 2 \
    -draw "line 60,480 250,96" -draw "line 580,480 390,96" \
    -draw "line 0,420 640,420" -draw "line 20,330 620,330" -draw "line 55,250 585,250" \
    -draw "line 82,185 558,185" -draw "line 104,135 536,135" \
    -stroke '#ffffff22' -draw "ellipse 320,300 90,26 0,360" \
    -stroke none -draw "$tri1" -draw "$tri2" \
    -font "$BOLD" -pointsize 72 -gravity north \
    -fill '#00000090' -annotate +4+10 'KWINTA' \
    -stroke '#5a3a00' -strokewidth 6 -fill '#5a3a00' -annotate +0+5 'KWINTA' \
    -stroke none -fill '#ffd83a' -annotate +0+5 'KWINTA' \
    -gravity northwest -fill '#fff6c8' -font "$SANS" -pointsize 12 -annotate +486+66 'V1.01' \
    -fill '#000000a8' -stroke '#ffffff30' -strokewidth 1 \
    -draw "roundrectangle 12,92 306,468 10,10" \
    -draw "roundrectangle 318,92 628,468 10,10" \
    -alpha off -depth 8 "${SAVE[@]}" "$out/startup.png"
}

# ================================================================== play window
make_play() {
  local tri
  tri=$(triangle 52 420 26 8)
  # power scale ticks beside the meter
  local ticks="" y
  for ((y = 32; y <= 440; y += 41)); do ticks+="line 554,$y 560,$y "; done
  convert -size 640x480 gradient:'#0f2a1c'-'#070b1c' \
    -fill '#0a0d12' -draw "rectangle 0,0 639,25" \
    -fill none -stroke '#3a4a3a' -strokewidth 1 -draw "line 0,26 639,26" \
    -stroke none \
    -fill '#00000070' -draw "roundrectangle 104,28 531,452 6,6" \
    -fill none \
    -stroke '#04060a' -strokewidth 1 -draw "rectangle 111,57 529,419" \
    -stroke '#6f8f77' -draw "line 110,420 530,420" -draw "line 530,56 530,420" \
    -stroke '#020305' -draw "line 110,56 530,56" -draw "line 110,56 110,420" \
    -stroke '#04060a' -draw "rectangle 535,31 553,441" \
    -stroke '#6f8f77' -draw "line 534,442 554,442" -draw "line 554,30 554,442" \
    -stroke '#020305' -draw "line 534,30 554,30" -draw "line 534,30 534,442" \
    -stroke '#9fb59f' -draw "$ticks" \
    -stroke none -fill '#ffd83a' -font "$BOLD" -pointsize 20 \
    -draw "text 568,200 'P'" -draw "text 566,226 'O'" -draw "text 564,252 'W'" \
    -draw "text 569,278 'E'" -draw "text 568,304 'R'" \
    -fill '#9fb59f' -font "$SANS" -pointsize 10 \
    -draw "text 564,38 'MAX'" -draw "text 564,444 'MIN'" \
    \( +size -background none -fill '#ffd83a' -stroke '#5a3a00' -strokewidth 2 -font "$BOLD" -pointsize 58 \
       label:'KWINTA' -rotate -90 \) -geometry +20+70 -composite \
    -draw "$tri" \
    -alpha off -depth 8 "${SAVE[@]}" "$out/play.png"
}

# ============================================================ newspaper pages
# paper FILE HEADLINE SUBHEAD DAY
paper() {
  local file=$1 head=$2 sub=$3 day=$4
  local tri lines="" y
  tri=$(triangle 66 176 20 -8)
  # columns of grey "text": beside the photo, then two columns under the fold
  for ((y = 150; y <= 196; y += 6)); do
    lines+="line 142,$y $((288 - (y * 7) % 23)),$y "
  done
  for ((y = 228; y <= 296; y += 6)); do
    lines+="line 12,$y $((144 - (y * 5) % 19)),$y line 156,$y $((288 - (y * 7) % 23)),$y "
  done
  convert -size 300x300 xc:'#f3efe2' \
    -fill '#1a1a1a' -font "$SERIFB" -pointsize 28 -gravity north -annotate +0+3 'THE DAILY FLICK' \
    -gravity northwest -stroke '#1a1a1a' -strokewidth 2 -draw "line 8,38 292,38" \
    -strokewidth 1 -draw "line 8,41 292,41" -draw "line 8,56 292,56" -stroke none \
    -font "$SERIF" -pointsize 10 -annotate +10+43 "$day" \
    -gravity northeast -annotate +10+43 'FINAL EDITION  25c' -gravity northwest \
    \( +pointsize -size 284x64 -background none -fill "#111111" -font "$SERIFB" -gravity center \
       caption:"$head" \) -gravity northwest -geometry +8+59 -composite \
    -fill '#333333' -font "$SERIFI" -pointsize 11 -gravity north -annotate +0+124 "$sub" \
    -gravity northwest -stroke '#1a1a1a' -strokewidth 1 -draw "line 8,141 292,141" \
    -fill '#2f7d3a' -stroke '#222222' -draw "rectangle 12,146 132,198" \
    -stroke none -fill '#3f9a4a' -draw "polygon 13,198 40,158 104,158 131,198" \
    -fill '#ffffff' -draw "rectangle 13,147 131,157" -fill '#7a7a7a' -draw "rectangle 13,147 131,150" \
    -draw "$tri" \
    -fill none -stroke '#a8a8a8' -strokewidth 2 -draw "$lines" \
    -stroke none -fill '#8a8a8a' -draw "rectangle 142,145 288,147" \
    -fill '#1a1a1a' -draw "roundrectangle 70,202 230,219 4,4" \
    -fill '#ffffff' -font "$BOLD" -pointsize 12 -gravity north -annotate +0+203 'click to continue' \
    -alpha off -depth 8 -colors 64 "${SAVE[@]}" "PNG8:$out/$file"
}

make_papers() {
  paper home.png 'HOME TEAM DOES IT AGAIN!' 'Late touchdown at the far edge seals it' 'Sunday, Match Day'
  paper away.png 'AWAY TEAM PULLS IT OFF!' 'Visitors silence the stands with a last flick' 'Sunday, Match Day'
  paper tie.png 'EVERYBODY WINS !!!' 'Five rounds, not a point between them' 'Sunday, Match Day'
}

# ================================================================= help panels
# A dark panel with a title, a body and "click to continue"; 256-colour
# palette pictures, dithered so that the gradient behind the text stays smooth.
PANEL=(-dither FloydSteinberg -colors 256)

make_controls() {
  local rows=(
    "Move mouse|Aims the shot. The aim turns opposite to the mouse's motion: move the mouse right and the shot turns to the left."
    "Left button|Hold it down to charge the power meter, let go to shoot."
    "Right button|Hold it and move the mouse to turn (pan) the camera."
    "Shift + mouse|Hold Shift and move the mouse to zoom in and out."
    "~|The key left of 1 opens the chat line in network play; Enter sends it."
    "S|Switches the stadium and sky scenery on and off."
    "Esc|Quits the game."
  )
  local y=64 args=() key text i=0
  for row in "${rows[@]}"; do
    i=$((i + 1))
    key=${row%%|*}
    text=${row#*|}
    convert -size 326x -background none -fill "#f2f2f2" -font "$SANS" -pointsize 13 caption:"$text" "$tmp/row$i.png"
    local h
    h=$(convert "$tmp/row$i.png" -format %h info:)
    args+=(-fill '#1b3550' -stroke '#7aa0c8' -strokewidth 1 -draw "roundrectangle 20,$((y - 1)) 140,$((y + 19)) 5,5"
           -stroke none -fill '#ffd83a' -font "$BOLD" -pointsize 13 -gravity northwest
           -annotate "+$((28))+$((y + 1))" "$key"
           "$tmp/row$i.png" -geometry "+152+$((y))" -composite)
    y=$((y + (h > 22 ? h : 22) + 9))
  done
  convert -size 500x400 gradient:'#10283a'-'#0a1422' \
    -fill none -stroke '#7aa0c8' -strokewidth 2 -draw "roundrectangle 6,6 490,392 12,12" \
    -stroke none -fill '#ffd83a' -font "$BOLD" -pointsize 28 -gravity north -annotate +0+14 'Controls' \
    -gravity northwest -fill '#7aa0c8' -draw "rectangle 170,52 326,53" \
    "${args[@]}" \
    -fill '#c8d8e8' -font "$OBLIQUE" -pointsize 13 -gravity south -annotate +0+16 'click to continue' \
    -alpha off -depth 8 "${PANEL[@]}" "${SAVE[@]}" "PNG8:$out/controls.png"
}

make_background() {
  local story="Long before it came to the screen, this game was played on school desks and \
cafeteria tables everywhere. All it takes is a page torn out of a notebook: fold it \
lengthwise into a strip, then fold the strip over and over into a tight little triangle \
and tuck in the end. That is the football.

Two players sit at opposite ends of the table and take turns flicking the triangle \
toward the far edge. If a corner ends up hanging over the edge without falling off, \
it's a touchdown. Flick too hard and it drops to the floor, and the other side takes over.

After a touchdown comes the kick. The defender makes the goal posts with their hands, \
thumbs touching and index fingers pointing up, and the kicker flicks the ball through \
them for the extra point. Kwinta brings the lunch-break classic to your computer."
  local tri
  tri=$(triangle 452 36 18 14)
  convert -size 500x400 gradient:'#2a1e10'-'#140e08' \
    -fill none -stroke '#c8a870' -strokewidth 2 -draw "roundrectangle 6,6 486,391 12,12" \
    -stroke none -fill '#ffd83a' -font "$BOLD" -pointsize 28 -gravity north -annotate +0+14 'Background' \
    -gravity northwest -fill '#c8a870' -draw "rectangle 160,52 330,53" \
    -draw "$tri" \
    \( +size -size 446x -background none -fill '#f4ecdc' -font "$SERIF" -pointsize 13 -interline-spacing 1 \
       caption:"$story" \) -geometry +24+66 -composite \
    -fill '#e8d8b8' -font "$OBLIQUE" -pointsize 13 -gravity south -annotate +0+16 'click to continue' \
    -alpha off -depth 8 "${PANEL[@]}" "${SAVE[@]}" "PNG8:$out/background.png"
}

# ============================================================ result pictures
# The scene behind the referee: night sky, stands full of people, yellow goal
# posts and the green field.
make_scene() {
  convert -seed 7 -size 50x14 xc: +noise Random -modulate 62,38 -scale 400% "$tmp/crowd.png"
  local tiers="" y
  for ((y = 36; y <= 86; y += 6)); do tiers+="line 0,$y 199,$y "; done
  convert -size 200x173 gradient:'#0a1030'-'#1c2c5a' \
    \( "$tmp/crowd.png" -crop 200x54+0+0 +repage \) -geometry +0+34 -composite \
    -fill '#00000055' -draw "rectangle 0,34 199,88" \
    -fill none -stroke '#00000088' -strokewidth 1 -draw "$tiers" \
    -stroke none -fill '#5a5a66' -draw "rectangle 0,30 199,34" \
    -fill '#2f8a3a' -draw "rectangle 0,88 199,172" \
    -fill '#37974a' -draw "rectangle 0,100 199,112" -draw "rectangle 0,128 199,146" \
    -fill none -stroke '#ffffffb0' -strokewidth 1.5 \
    -draw "line 0,92 199,92" -draw "line 0,100 199,100" -draw "line 0,112 199,112" \
    -draw "line 0,128 199,128" -draw "line 0,146 199,146" -draw "line 0,170 199,170" \
    -draw "line 40,88 0,128" -draw "line 160,88 199,128" \
    -stroke '#3a2a00' -strokewidth 5 -draw "line 100,96 100,66" -draw "line 66,66 134,66" \
    -draw "line 66,66 66,24" -draw "line 134,66 134,24" \
    -stroke '#ffd21a' -strokewidth 3 -draw "line 100,96 100,66" -draw "line 66,66 134,66" \
    -draw "line 66,66 66,24" -draw "line 134,66 134,24" \
    -stroke none -fill '#00000060' -draw "ellipse 100,164 24,5 0,360" \
    "$tmp/scene.png"
}

# arm SX SY EX EY HX HY: a long-sleeved striped arm from the shoulder over the
# elbow to the hand
arm() {
  echo "stroke '#111111' stroke-width 6 fill none polyline $1,$2 $3,$4 $5,$6" \
       "stroke '#ffffff' stroke-width 3 stroke-dasharray 3,3 polyline $1,$2 $3,$4 $5,$6" \
       "stroke-dasharray none stroke '#5a3a20' stroke-width 1 fill '#e8b890' circle $5,$6 $(($5 + 3)),$6"
}

# result N TEXT POSE
result() {
  local n=$1 text=$2 pose=$3 arms extra=""
  local L="90,107" R="110,107"
  case $pose in
    up)      arms="$(arm 90 107 84 91 83 74) $(arm 110 107 116 91 117 74)" ;;
    one-up)  arms="$(arm 90 107 86 122 85 134) $(arm 110 107 116 91 117 74)" ;;
    spread)  arms="$(arm 90 107 76 107 63 107) $(arm 110 107 124 107 137 107)" ;;
    point)   arms="$(arm 90 107 86 122 85 134) $(arm 110 107 125 105 140 103)"
             extra="stroke '#c89870' stroke-width 2 line 142,103 147,102" ;;
    low)     arms="$(arm 90 107 79 119 68 128) $(arm 110 107 121 119 132 128)"
             extra="stroke '#ffffffc0' stroke-width 1.5 fill none arc 56,116 72,140 120,240 arc 128,116 144,140 300,420" ;;
    flag)    arms="$(arm 90 107 86 122 85 134) $(arm 110 107 125 105 140 103)"
             extra="stroke '#c89870' stroke-width 2 line 142,103 147,102 stroke '#6a5000' stroke-width 1 fill '#ffd21a' polygon 44,152 64,146 70,160 50,167 fill '#222222' circle 57,157 60,157 stroke '#ffffffa0' fill none line 36,146 42,149 line 38,140 45,144" ;;
  esac
  local size font=$BOLD
  size=$(fit "$BOLD" "$text" 188 26)
  if [ "$size" -lt 20 ]; then
    font=$COND
    size=$(fit "$COND" "$text" 188 26)
  fi
  convert "$tmp/scene.png" \
    -stroke none -fill '#111111' \
    -draw "polygon 91,132 109,132 115,160 108,160 100,141 92,160 85,160" \
    -draw "ellipse 87,162 6,3 0,360" -draw "ellipse 113,162 6,3 0,360" \
    -fill '#ffffff' -draw "rectangle 90,104 110,131" \
    -fill '#111111' -draw "rectangle 90,104 91,131" -draw "rectangle 94,104 95,131" \
    -draw "rectangle 98,104 99,131" -draw "rectangle 102,104 103,131" \
    -draw "rectangle 106,104 107,131" -draw "rectangle 110,104 110,131" \
    -draw "rectangle 89,129 111,133" \
    -stroke '#111111' -strokewidth 1 -fill none -draw "rectangle 89,103 111,133" \
    -draw "$arms" -draw "${extra:-point 0,0}" \
    -stroke '#5a3a20' -strokewidth 1 -fill '#e8b890' -draw "rectangle 97,99 103,104" \
    -draw "circle 100,92 100,100" \
    -stroke '#111111' -fill '#ffffff' -draw "ellipse 100,88 8,5 180,360" -draw "line 92,88 111,88" \
    -stroke none -fill '#111111' -draw "point 97,93" -draw "point 103,93" \
    -font "$font" -pointsize "$size" -gravity north \
    -stroke '#000000' -strokewidth 5 -fill '#000000' -annotate +0+3 "$text" \
    -stroke none -fill '#ffe34a' -annotate +0+3 "$text" \
    -alpha off -colors 128 "${SAVE[@]}" "PNG8:$out/result$n.png"
}

make_results() {
  make_scene
  result 1 "It's Good !" up
  result 2 "It's No Good !" low
  result 3 "Touchdown !!" up
  result 4 "Turnover !" point
  result 5 "3 Points !" one-up
  result 6 "Penalty !!" flag
  result 7 "Short of End Zone !" spread
}

make_startup
make_play
make_papers
make_controls
make_background
make_results
echo "make_pictures: wrote startup play home away tie controls background result1-7 (.png) to $out"
