# One new world through three runs of the game.
#
# The first run creates the world with its folders, world file and an empty
# key bindings file while the loading bar grows, holds the pointer from the
# first world frame and turns by all of one large motion of it, then shows
# the interface over the world at noon (the statistics, the console over
# everything else, windows kept clear of the heads-up bar on a resize, the
# menu and its About pages), the rendered world (textured ground, blue sky,
# wireframe on F4, the two lamps on Page Down and Page Up, the picking sphere,
# water with moving caustics), walks, and lets the sky turn to night.
# The second run resumes where the world file says, digs a hole with the
# power dig tool, undoes, redoes and undoes it again; the third finds the
# ground as it was before the hole, paints (reported on standard output at
# once), flies up and sees the planet's far level below, and leaves by the
# menu.
source "$(dirname "$0")/lib.sh"

GROUND="1280x300+0+480"
SKY="1280x200+0+40"
CENTRE="100x100+590+350"
STATS="380x40+876+745"

user_position() { echo "$(world_value "user x") $(world_value "user y") $(world_value "user z")"; }
block_files() { find "$WORLD/data" -type f | wc -l; }

# look_until DX DY NAME CHECK ATTEMPTS: turns the view by a pointer motion
# until `CHECK FILE` holds for the screenshot NAME, taken once the turned view
# shows.
look_until() {
  local i
  for ((i = 0; i < $5; i++)); do
    pointer_step "$1" "$2"
    frames 1
    $4 "$(screenshot "$3")" && return
  done
  fail "$3: \"$4\" never held"
}

start_game
grep -q "^GLSL: ready\.$" "$WORK/stdout.txt" || fail "no \"GLSL: ready.\" line"
[ "$(window_size)" = "1280x800" ] || fail "window is $(window_size), settings.ini asks for 1280x800"
# The loading bar runs from a quarter to three quarters of the width, its top
# row 40% up, between two end marks that are white while the loading screen
# is up. The bar is green, and grows while the update thread builds both rings.
lengths=()
loaded=""
for _ in $(seq 600); do
  row="$(import -window root -crop 641x1+320+482 +repage txt:- 2>/dev/null || true)"
  if [ "$(grep -cE "^(0|640),0: .*#FFFFFFFFFFFF" <<<"$row" || true)" -lt 2 ]; then
    # Before the first frame the window may still be blank.
    [ "${#lengths[@]}" -gt 0 ] && loaded=1 && break
    continue
  fi
  lengths+=("$(grep -cE '#4[0-9A-F]{3}FFFF4[0-9A-F]{3} ' <<<"$row" || true)")
done
echo "bar lengths while loading: ${lengths[*]}"
[ -n "$loaded" ] || fail "the loading screen never went away"
partial=""
previous=0
for length in "${lengths[@]}"; do
  [ "$length" -ge "$previous" ] || fail "the bar shrank from $previous to $length pixels"
  previous="$length"
  [ "$length" -gt 0 ] && [ "$length" -lt 640 ] && partial=1
done
[ -n "$partial" ] || fail "the bar never showed a partial build"

# Once the world shows, one line gives the time of each start-up phase.
wait_for_output "Ready in "
grep -qE "^Ready in [0-9]+ ms: window [0-9]+, fonts [0-9]+, shaders [0-9]+, sounds [0-9]+, models [0-9]+, textures [0-9]+, terrain [0-9]+; first frame [0-9]+ ms$" "$WORK/stdout.txt" ||
  fail "no \"Ready in\" line with the phase times"
# The world is made behind the loading screen.
grep -qx "resources/terrain/Test-20DBSIZE-500m-radius-Map-3/" "$WORK/stdout.txt" ||
  fail "the new world's folder was not announced"
for n in $(seq 0 24); do
  [ -d "$WORLD/data/$n" ] || fail "no data folder $n"
done
[ "$(world_value seed1) $(world_value seed2)" = "13 14" ] || fail "seeds $(world_value seed1) $(world_value seed2)"
[ -f "$WORK/resources/keybindings.file" ] && [ ! -s "$WORK/resources/keybindings.file" ] ||
  fail "the first start did not make an empty key bindings file"
# The ground search climbs from the planet's centre along +x to the surface.
read -r x y z <<<"$(user_position)"
above "$x" 470 && above 530 "$x" && [ "$y $z" = "0 0" ] || fail "start at $x $y $z"
# The pointer is held for looking around from the first world frame, without
# F, and every pixel of one motion counts: 300 pixels right (45 degrees)
# bring what showed 320 pixels right of the centre to 255 pixels left of it,
# and 300 back give the view it started from, pitched neither up nor down.
# A new world's day lasts two minutes: the sun stands still from here on,
# lest its light on the ground change between the pictures.
captured
console_command "planet pause"
frames 1
ahead="$(screenshot ahead)"
pointer_step 300 0
frames 1
turned="$(screenshot turned)"
pointer_step -300 0
frames 1
right="$(coarse "$ahead" 160x400+880+250)"
moved="$(coarse_difference "$right" "$(coarse "$turned" 160x400+305+250)")"
stayed="$(coarse_difference "$right" "$(coarse "$turned" 160x400+880+250)")"
view="$(coarse "$ahead")"
turn="$(coarse_difference "$view" "$(coarse "$turned")")"
back="$(coarse_difference "$view" "$(view_shot turned-back)")"
echo "300 pixels right: the right of the view moved left ($moved, unmoved $stayed), the view changed by $turn, and back again left $back"
[ $((3 * moved)) -lt "$stayed" ] && [ $((3 * back)) -lt "$turn" ] || fail "one 300-pixel motion did not turn the view by 45 degrees and back"

# The interface, over the world standing still at noon. The console's band
# darkens what lies behind it and ends 325 pixels down (edge FILE WIDTH).
edge() { [ "$(brightness "$1" $(($2 / 2)) 330)" -gt $(($(brightness "$1" $(($2 / 2)) 320) + 150)) ]; }
no_console() { ! edge "$1" 1280; }
world="$(shot_until world no_console)"
# "stats show" brings up white text on a translucent panel 400 pixels from the
# right edge, growing up from 15 pixels above the bottom edge.
console_command "stats show"
darker() { above "$(grey "$world" "$STATS")" "$(awk -v g="$(grey "$1" "$STATS")" 'BEGIN { print g + 0.15 }')"; }
shown="$(shot_until stats-shown darker)"
console_command "stats hide"
gone() { above "$(pixels_differing "$shown" "$1" "$STATS")" 3000; }
shot_until stats-hidden gone >/dev/null

# The console's transcript fills the top 300 pixels, its command line the 25
# below.
key grave
xdotool type --delay 60 "help"
key Return
xdotool type --delay 60 "bind list"
band() { # band FILE WIDTH: the console's band across the whole width
  [ "$(brightness "$1" $(($2 - 10)) 150)" -lt $(($(brightness "$world" $(($2 - 10)) 150) - 150)) ] && edge "$1" "$2"
}
console() {
  band "$1" 1280 && above "$(share "$1" 600x290+0+5 "r + g + b > 2.25")" 0.002 &&
    above "$(share "$1" 300x25+0+300 "r + g + b > 2.25")" 0.002
}
shot_until console console >/dev/null
# The console goes over the heads-up bar and the picking window ("FBO", its
# picture mostly white) at the top right of its band: nothing there shows
# brighter than the band lets through.
above 0.5 "$(convert "$SHOTS/console.png" -crop 260x200+600+0 +repage -colorspace Gray -format "%[fx:maxima]" info:)" ||
  fail "something is drawn over the open console"
# A resize lays the console out again along the new top edge.
xdotool windowsize --sync "$GAME_WINDOW" 1000 700
[ "$(window_size)" = "1000x700" ] || fail "the window is $(window_size) after resizing"
resized() { band "$1" 1000; }
shot_until console-resized resized >/dev/null
key grave
# At 1024 x 640 the picking window, which opened 600 pixels up, moves down
# into the window and clear of the heads-up bar's hint along the top edge:
# its picture leaves the top 40 rows and shows whole below them.
xdotool windowsize --sync "$GAME_WINDOW" 1024 640
picture() { share "$1" "$2" "r > 0.8 && abs(r - g) < 0.03 && abs(g - b) < 0.03"; }
clear_of_hint() { ! above "$(picture "$1" 1024x40+0+0)" 0.05 && above "$(picture "$1" 90x90+605+60)" 0.5; }
shot_until fbo-1024x640 clear_of_hint >/dev/null
xdotool windowsize --sync "$GAME_WINDOW" 1280 800
restored() { no_console "$1" && [ "$(brightness "$1" 1270 790)" -gt 60 ]; }
shot_until restored restored >/dev/null

# Escape opens the main menu: four 200 x 30 buttons centred 10 apart, "Exit
# Program" 340 pixels down, "About" 380, "Options" 420, "Return to Program"
# 460, on a dark background. About's page has its credits in a dark field
# above its two buttons, "About the Creators" 488 pixels down and "Back" 528.
BUTTONS="200x120+540+340"
PAGE="600x300+340+200"
dark() { [ "$(brightness "$1" "$2" "$3")" -le 300 ]; }
unlike() { above "$(pixels_differing "$1" "$2" "$3" 12)" 5000; }
key Escape
menu() { dark "$1" 20 780 && unlike "$world" "$1" "$BUTTONS"; }
menu="$(shot_until menu menu)"
click 640 380
about() { dark "$1" 640 300 && unlike "$menu" "$1" "$PAGE"; }
about="$(shot_until about about)"
click 640 488
creators() { unlike "$about" "$1" "$PAGE"; }
shot_until creators creators >/dev/null
key Escape
back() { ! above "$(pixels_differing "$about" "$1" "$PAGE" 12)" 2000; }
shot_until back-to-about back >/dev/null
key Escape Escape
closed() { unlike "$menu" "$1" "$BUTTONS"; }
shot_until closed closed >/dev/null

# The rendered world: a blue sky over ground with many colours; F4 shows the
# sky between the lines of a wireframe, and a second F4 fills the ground again.
above "$(convert "$world" -crop "$SKY" +repage -format "%[fx:mean.b - mean.r]" info:)" 0.25 ||
  fail "no blue sky above the ground"
[ "$(colour_count "$world" "$GROUND")" -gt 5000 ] || fail "the ground is not textured"
sky_through() { share "$1" "$GROUND" "b > r + 0.15 && b > g"; }
through="$(sky_through "$world")"
key F4
wired() { above "$(sky_through "$1")" "$(awk -v t="$through" 'BEGIN { print t + 0.3 }')"; }
shot_until wireframe wired >/dev/null
key F4
filled() { ! above "$(sky_through "$1")" "$(awk -v t="$through" 'BEGIN { print t + 0.05 }')"; }
solid="$(shot_until solid-again filled)"

# Page Down switches the main light, the sun's, off and on; Page Up a faint
# blue fill light on and off. The ground shows each change, and both lamps
# back as they started give the first picture again.
ground_grey() { grey "$1" "$GROUND"; }
blueness() { convert "$1" -crop "$GROUND" +repage -format "%[fx:mean.b - mean.r]" info:; }
as_lit() { awk -v a="$(ground_grey "$1")" -v b="$(ground_grey "$solid")" -v c="$(blueness "$1")" -v d="$(blueness "$solid")" \
  'BEGIN { exit !(a > b * 0.97 && a < b * 1.03 && c - d < 0.01 && d - c < 0.01) }'; }
sunless() { above "$(ground_grey "$solid")" "$(awk -v g="$(ground_grey "$1")" 'BEGIN { print g * 1.25 }')"; }
bluer() { above "$(blueness "$1")" "$(awk -v b="$(blueness "$solid")" 'BEGIN { print b + 0.02 }')"; }
key Page_Down
shot_until sun-off sunless >/dev/null
key Page_Down
shot_until sun-on as_lit >/dev/null
key Page_Up
shot_until fill-on bluer >/dev/null
key Page_Up
shot_until fill-off as_lit >/dev/null

# Down to the ground in front, where the cursor picks a point.
marked() { above "$(share "$1" "$CENTRE" "r > 0.7 && g < 0.25 && b < 0.25")" 0.01; }
look_until 0 100 picking marked 6
# The lake lies behind the start, a little to the left (looked for before
# the walk, whose length follows the frame times): about 225 degrees
# round, turned in steps that keep the pointer inside the screen.
pointer_step 0 -100
wet() { above "$(share "$1" "$GROUND" "g > r + 0.08 && b > r + 0.08")" 0.15; }
look_until 200 0 lake wet 24
lake="$SHOTS/lake.png"
moving() { above "$(pixels_differing "$lake" "$1" "$GROUND")" 2000; }
shot_until lake-later moving >/dev/null

# W held for about a second carries the player over the ground at two units a
# second. The first update with W held may count the time since the one
# before, so the walk may last from a frame before the press to the release.
captured
standing="$(screenshot standing)"
began="$(date +%s.%N)"
frames 1
xdotool keydown w
sleep 1
frames 1
xdotool keyup w
released="$(date +%s.%N)"
frames 1
[ "$(pixels_differing "$standing" "$(screenshot walked)")" -gt 1000 ] || fail "the view did not change while walking"

# With a ten-second day the sky changes, and half a day on the ground is dark.
console_command "planet dayLength 10"
console_command "planet resume"
night() {
  above "$(grey "$lake" "$GROUND")" "$(awk -v n="$(grey "$1" "$GROUND")" 'BEGIN { print 3 * n }')" &&
    above "$(pixels_differing "$lake" "$1" "$SKY")" 100000
}
shot_until night night 30 >/dev/null
console_command "planet dayLength 86400"
end_game
[ "$(world_value "day length")" = "86400" ] || fail "day length $(world_value "day length") not kept"
above "$(world_value "sun angle")" 0 || fail "the sun did not move"
read -r moved climbed longest <<<"$(awk -v a="$x $y $z" -v b="$(user_position)" -v t0="$began" -v t1="$released" 'BEGIN {
  split(a, p); split(b, q)
  d = sqrt((q[1] - p[1]) ^ 2 + (q[2] - p[2]) ^ 2 + (q[3] - p[3]) ^ 2)
  h = sqrt(q[1] ^ 2 + q[2] ^ 2 + q[3] ^ 2) - sqrt(p[1] ^ 2 + p[2] ^ 2 + p[3] ^ 2)
  print (d * d > h * h ? sqrt(d * d - h * h) : 0), h, 2 * (t1 - t0) + 0.1 }')"
echo "walked $moved units (at most $longest), climbing $climbed"
above "$moved" 0.5 && ! above "$moved" "$longest" || fail "walked $moved units; at 2 units a second no more than $longest"
# The walk follows the ground down towards the lake, slopes of up to 45
# degrees: it neither sinks in nor takes off.
slope="$(awk -v m="$moved" 'BEGIN { print m + 0.5 }')"
above "$climbed" "-$slope" && above "$slope" "$climbed" || fail "height changed by $climbed over $moved units of walking"

# Move the stored viewer to z = 5, clear of the lake behind the start, and up,
# so it drops onto whatever ground lies there; put the sun back at noon. The
# restarted game must stand and light the world there: the player settles
# along the local up (almost +x here), so z stays close to where it was stored.
sed -i -e "/^user x\$/{n;s/.*/$(awk -v x="$(world_value "user x")" 'BEGIN { print x + 3 }')/}" \
  -e '/^user z$/{n;s/.*/5/}' -e '/^sun angle$/{n;s/.*/0/}' "$WORLD/map.file"
start_game
grep -qx "resources/terrain/Test-20DBSIZE-500m-radius-Map-3/" "$WORK/stdout.txt" && fail "the world was created anew"
wait_until_loaded
look_down
# One notch up: the power dig tool.
xdotool click 4
frames 2
[ "$(block_files)" -eq 0 ] || fail "block files before anything was dug"
# In free flight the view stays where it is while the ground changes below.
key F5
frames 2
before="$(view_shot before-digging)"
xdotool mousedown 1
sleep 2
frames 2
xdotool mouseup 1
# The hole is meshed a few cells per frame.
frames 8
dug="$(view_shot dug)"
changed="$(coarse_difference "$before" "$dug")"
echo "digging changed the view by $changed"
[ "$changed" -gt 40 ] || fail "the ground did not change on screen ($changed)"
# Ctrl+Z takes the whole stroke back, and the view returns close to the one
# before digging; Ctrl+Y digs it again, each told on standard output. A second
# Ctrl+Z leaves the ground as it was to be saved.
near() { [ "$(coarse_difference "$before" "$(view_shot "$1")")" -lt $((changed / 4)) ]; }
far() { ! near "$1"; }
until_view() {
  local tries=0
  until frames 2 && $1 "$2"; do
    tries=$((tries + 1))
    [ "$tries" -lt 20 ] || fail "$2: the view is $(coarse_difference "$before" "$WORK/$2.ppm") from the one before digging"
  done
}
key ctrl+z
wait_for_output "Undid stroke 1: " 60
until_view near undone
key ctrl+y
wait_for_output "Redid stroke 1: " 60
until_view far redone
key ctrl+z
until_view near undone-again
console_command where
end_game
[ "$(block_files)" -gt 0 ] || fail "no block files after digging"
# The log in the working folder holds the output and the console's transcript.
log="$WORK/glebeworks.log"
grep -qx "GLSL: ready." "$log" && grep -qE "^Undid stroke 1: [0-9]+ voxels$" "$log" && grep -qx "> where" "$log" &&
  grep -q "^Position: (" "$log" || fail "glebeworks.log lacks the output or the transcript"
above "$(world_value "user z")" 4 && above 6 "$(world_value "user z")" ||
  fail "the viewer did not resume at the stored position (z $(world_value "user z"))"
above 1 "$(world_value "sun angle")" || fail "the sun did not resume at noon"
[ "$(world_value "day length")" = "86400" ] || fail "day length lost on restart"

start_game
wait_until_loaded
look_down
frames 8
again="$(view_shot restarted)"
same="$(coarse_difference "$dug" "$again")"
apart="$(coarse_difference "$before" "$again")"
echo "after the restart the view is $apart from the one before digging and $same from the dug one"
[ "$apart" -lt $((same / 2)) ] || fail "the undone hole is back after the restart"
# Two notches down: the paint tool, with material 5 (key 3). Each repainted
# voxel is reported on standard output while the game runs, not at its end.
xdotool click 5
xdotool click 5
key 3
frames 1
xdotool mousedown 1
frames 2
xdotool mouseup 1
wait_for_output "Setting material: 5" 60
# Free flight (F5) up for half a minute, running, then a look straight down:
# far above both rings the far level shows the ground below.
read -r fx fy fz <<<"$(user_position)"
key F5
for _ in $(seq 9); do pointer_step 0 -100; done
xdotool keydown shift keydown w
sleep 30
xdotool keyup w keyup shift
for _ in $(seq 12); do pointer_step 0 100; done
frames 2
ground_below() { above "$(share "$1" "$CENTRE" "b < r || b < g")" 0.6; }
shot_until high-above ground_below 10 >/dev/null
key Escape
shot_until leaving menu >/dev/null
click 640 340
wait_for_exit
read -r height <<<"$(awk -v p="$(user_position)" 'BEGIN { split(p, q); print sqrt(q[1] ^ 2 + q[2] ^ 2 + q[3] ^ 2) - 500 }')"
echo "flew up to $height units over the radius"
above "$height" 180 || fail "free flight reached only $height units up"
# The next run starts where this one stood before it flew.
sed -i -e "/^user x\$/{n;s/.*/$fx/}" -e "/^user y\$/{n;s/.*/$fy/}" -e "/^user z\$/{n;s/.*/$fz/}" "$WORLD/map.file"

# A block that cannot be saved in play is fatal: the message and status 1,
# without the words of a failed start. Files in place of the data folders
# make every save fail.
for folder in "$WORLD"/data/*; do rm -rf "$folder" && : >"$folder"; done
start_game
wait_until_loaded
look_down
xdotool click 4
frames 2
xdotool mousedown 1
wait_for_exit 120 1
xdotool mouseup 1 || true
grep -q "FATAL EXCEPTION" "$WORK/stdout.txt" || fail "no message about the failed save"
grep -q "Game could not start" "$WORK/stdout.txt" && fail "a failed save in play was reported as a failed start"
echo "world: ok"
