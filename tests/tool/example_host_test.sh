#!/usr/bin/env bash
# Usage: example_host_test.sh SURVEY_PLOTTER TAMREL: two sessions, then a repair.
set -euo pipefail

plotter=$1
tamrel=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME=$work/state XDG_CONFIG_HOME=$work/config HOME=$work/home

fail() { echo "FAILED: $*" >&2; exit 1; }
expect_eq() { [[ "$1" == "$2" ]] || fail "$3: expected '$2', got '$1'"; }

"$plotter" a.svy b.svy >/dev/null
"$plotter" c.svy d.svy "e & f's.svy" >/dev/null

folder="$work/config/Survey Plotter"
prefs="$folder/UserPreferences.tmc"
expect_eq "$("$tamrel" get "$prefs" Recent File --all)" $'e & f\'s.svy\nd.svy\nc.svy\nb.svy' "recent files"
"$tamrel" get "$prefs" FileView a.svy >/dev/null 2>&1 && fail "a.svy's view outlived its recent entry"
expect_eq "$("$tamrel" get "$prefs" FileView b.svy)" "zoom=1.0;x=0;y=0" "view of a listed file"
expect_eq "$("$tamrel" get "$prefs" Window Maximized)" "False" "verified default"
expect_eq "$("$tamrel" get "$folder/CalibrationSettings.tmc" Probe OffsetMm)" "0.25" "calibration default"
cmp -s "$prefs" "$work/state/Tamrel/UserPreferences.tmc" || fail "backup copy differs"
grep -q "missing tag \[Probe,Enabled\] set to 'True'" "$folder/plotter.log" || fail "log lacks Verify's repair"

"$tamrel" set "$prefs" Window Maximized yes
"$plotter" >/dev/null
expect_eq "$("$tamrel" get "$prefs" Window Maximized)" "False" "repaired boolean"
