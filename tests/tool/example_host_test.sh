#!/usr/bin/env bash
# Usage: example_host_test.sh SURVEY_PLOTTER TAMREL [RUNNER]: two sessions, then a repair.
# With RUNNER (Wine) the programs are Windows programs: their folders are those of the
# Wine prefix's profile, cleared of the plotter's files first, and paths handed to them
# are Windows paths.
set -euo pipefail

plotter=$1
tamrel=$2
runner=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAILED: $*" >&2; exit 1; }
expect_eq() { [[ "$1" == "$2" ]] || fail "$3: expected '$2', got '$1'"; }

if [[ -n $runner ]]; then
  run() { "$runner" "$@"; }
  native_path() { winepath -w "$1"; }
  # A folder of the profile, as a Unix path.
  profile_folder() { winepath -u "$("$runner" cmd /c "echo %$1%" | tr -d '\r')"; }
  config=$(profile_folder APPDATA)
  state=$(profile_folder LOCALAPPDATA)
  rm -rf "$config/Survey Plotter" "$state"/Tamrel/UserPreferences-*.tmc \
    "$state"/Tamrel/CalibrationSettings-*.tmc
  cd "$work"
else
  run() { "$@"; }
  native_path() { printf '%s\n' "$1"; }
  config=$work/config
  state=$work/state
  export XDG_STATE_HOME=$state XDG_CONFIG_HOME=$config HOME=$work/home
fi
tamrel() { run "$tamrel" "$@"; }

run "$plotter" a.svy b.svy >/dev/null
run "$plotter" c.svy d.svy "e & f's.svy" >/dev/null

folder="$config/Survey Plotter"
prefs=$(native_path "$folder/UserPreferences.tmc")
expect_eq "$(tamrel get "$prefs" Recent File --all)" $'e & f\'s.svy\nd.svy\nc.svy\nb.svy' "recent files"
tamrel get "$prefs" FileView a.svy >/dev/null 2>&1 && fail "a.svy's view outlived its recent entry"
expect_eq "$(tamrel get "$prefs" FileView b.svy)" "zoom=1.0;x=0;y=0" "view of a listed file"
expect_eq "$(tamrel get "$prefs" Window Maximized)" "False" "verified default"
expect_eq "$(tamrel get "$(native_path "$folder/CalibrationSettings.tmc")" Probe OffsetMm)" "0.25" \
  "calibration default"
# The backup copy is named after the file, with a mark of its path: the one
# such copy in the backup folder.
backups=("$state"/Tamrel/UserPreferences-*.tmc)
expect_eq "${#backups[@]}" 1 "backup copies of the preferences"
cmp -s "$folder/UserPreferences.tmc" "${backups[0]}" || fail "backup copy differs"
grep -q "missing tag \[Probe,Enabled\] set to 'True'" "$folder/plotter.log" || fail "log lacks Verify's repair"

tamrel set "$prefs" Window Maximized yes
run "$plotter" >/dev/null
expect_eq "$(tamrel get "$prefs" Window Maximized)" "False" "repaired boolean"
