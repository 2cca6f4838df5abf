# shellcheck shell=bash disable=SC2154
# The device run's launcher, driven: ce/run/launcher.exe started in the i386
# root on some scenarios, the probe's verbs asked through its channel, each
# scenario driven and judged by the entry's end, scenario (b)'s frames set
# against the x86_64 simulator's, and the summary. Sourced by tools/device-run
# after tools/lib/root.sh, tools/lib/drive.sh and scenarios.sh, which set
# what it uses: $work, $logs, $run_dir, $repo, in_root, mount_system and the
# rest of the root's tools.

# Asks the launcher ($chan/request -> $chan/reply); prints the reply, returns its status.
channel_probe() {
  local status
  rm -f "$chan/reply"
  printf '%s\n' "$@" >"$chan/request.part"
  mv "$chan/request.part" "$chan/request"
  for _ in $(seq 600); do
    if [ -f "$chan/reply" ]; then
      status=$(head -1 "$chan/reply")
      tail -n +2 "$chan/reply" | tr -d '\r'
      rm -f "$chan/reply"
      return "$status"
    fi
    kill -0 "$launcher" 2>/dev/null || return 9
    sleep 0.05
  done
  return 9
}

launcher_log() { cat "$logs"/launcher*.log 2>/dev/null | tr -d '\r'; }
launcher_says() { launcher_log | grep "$1" >/dev/null; }

# scenario LETTER FUNCTION: drives it, then waits for the launcher to report
# that entry's end; passes when it returned 0 with the stack balanced. A
# failure ends the scenario, not the tool.
drive_entry() {
  "$2"
  until_true 60 launcher_says "^entry $1: returned" || fail "entry $1 did not return"
}
scenario() {
  run_logged "$logs/scenario-$1.log" drive_entry "$@" && launcher_says "^entry $1: returned 0, stack balanced" &&
    eval "result_$1=passed"
  say "($1): $(eval echo "\$result_$1")"
}

# launch NAME DIR SCENARIO...: the launcher of DIR (bin, or bin/nokbd: the
# image without the keyboard UI) on those scenarios, its output in
# launcher-NAME.log, its trace in trace-i686-NAME.txt; then its self-test.
launch() {
  local name=$1 dir=$2 t0
  shift 2
  chan=$work/chan-$name
  trace=$work/trace-i686-$name.txt
  mkdir -p "$chan"
  rm -f "$chan"/* "$trace"
  t0=$(date +%s)
  extra_env="TOUCHPANEL_SIM_TRACE=Z:$run_dir/${trace##*/}" \
    in_root wine "$run_dir/$dir/launcher.exe" "Z:$run_dir/${chan##*/}" "Z:$run_dir/bin/touchpanel.exe" "$@" \
    >"$logs/launcher-$name.log" 2>&1 </dev/null &
  launcher=$!
  app_alive="kill -0 $launcher"
  for _ in $(seq 600); do
    grep -q "^self-test:" "$logs/launcher-$name.log" 2>/dev/null && break
    kill -0 "$launcher" 2>/dev/null || break
    sleep 1
  done
  grep -q "^self-test: the stack check catches" "$logs/launcher-$name.log" || result_selftest=failed
  say "launcher $name up after $(secs $(($(date +%s) - t0)))"
}
# Waits for the launcher to end, stopping it after two minutes; its status
# joins $launcher_status.
land() {
  local status=0
  for _ in $(seq 120); do kill -0 "$launcher" 2>/dev/null || break; sleep 1; done
  if kill -0 "$launcher" 2>/dev/null; then
    say "the program did not end; stopping it"
    kill_root_procs
  fi
  wait "$launcher" || status=$?
  say "launcher exit code $status"
  [ "$status" = 0 ] || launcher_status=$status
}

run_device() {
  rm -f "$logs"/launcher*.log
  mount_system "$root"
  mount_at "$root/tmp/.X11-unix" --bind /tmp/.X11-unix
  mount_at "$root$run_dir" --bind "$work"
  say "wineserver ..."
  in_root setsid wineserver -p </dev/null >/dev/null 2>&1 || true
  say "launching the device build under 32-bit Wine ..."
  shots=$work/shots
  slow=4
  result_selftest=passed launcher_status=0
  launch abcd bin a b c d
  launcher_log | grep '^self-test' | sed 's/^/   /' || true
  scenario a scenario_no_driver
  scenario b scenario_simulator
  lines_b=$(cat "$trace" 2>/dev/null | wc -l)
  scenario c scenario_faults
  scenario d scenario_keyboardless
  land
  launch e bin/nokbd e
  scenario e scenario_no_keyboard_ui
  land
  cat "$logs"/scenario-[a-e].log | sed 's/^/   /'
}

compare_frames() {
  frames <(head -n "$lines_b" "$work/trace-i686-abcd.txt" 2>/dev/null) >"$work/frames-i686.txt"
  frames "$work/trace-x86_64.txt" >"$work/frames-x86_64.txt"
  if [ -s "$work/frames-i686.txt" ] && cmp -s "$work/frames-i686.txt" "$work/frames-x86_64.txt"; then
    frames_same="equal ($(wc -l <"$work/frames-i686.txt") frames)"
  else
    frames_same="DIFFERENT (see diff $work/frames-x86_64.txt $work/frames-i686.txt)"
    result_b=failed
  fi
}

summary() {
  local total passed=0 s
  total=$(( $(date +%s) - started ))
  for s in "$result_a" "$result_b" "$result_c" "$result_d" "$result_e"; do [ "$s" = passed ] && passed=$((passed + 1)); done
  {
    echo "device run of $(git -C "$repo" log -1 --format='%h %s' | cut -c1-72)"
    echo "qemu: $("$qemu" --version | head -1 | sed 's/qemu-i386 version //'); wine: $(in_root wine --version 2>/dev/null | tr -d '\r' || echo '?')"
    echo "self-test of the stack check: $result_selftest"
    launcher_log | grep '^loader' | head -1 || true
    echo "(a) no driver: ERROR box, exit 0: $result_a"
    echo "(b) simulator, every page, a 9-point run refused for a misplaced touch and started again, to Exit: $result_b; frames against the x86_64 simulator: $frames_same"
    echo "(c) faults (write to 0, RaiseException; open step, WM_CREATE, first WM_PAINT), Draw under an open window, a failed upload: $result_c"
    echo "(d) no keyboard (status 0), no key pressed; touch controls: a wipe, the grid, a close, a 5-point run ended unuploaded: $result_d"
    echo "(e) an image without the keyboard UI (its COREDLL exports none of $(awk '$1 == "COREDLL.dll" && $3 ~ /GWES_KBDUI/ { printf "%s%s", n++ ? ", " : "", $2 }' "$repo/platform/wince/coredll-components.txt")): loaded, no hot key held, touch controls, a wipe, the grid, a close, a 5-point run uploaded: $result_e"
    launcher_log | grep -E '^entry [a-e]: returned' || true
    launcher_log | awk '/^stack [a-e]:/ { if ($3 > deepest) { deepest = $3; at = $2 } }
      END { if (at) printf "deepest stack: %d bytes below the entry, in scenario %s (the file reserves 64 KiB)\n", deepest, substr(at, 1, 1) }' 
    tr -d '\r' <"$logs/launcher-abcd.log" | grep -E '^(imports|CE rule|callbacks|stack checks)' ||
      echo "launcher ended before its counts (exit $launcher_status)"
    tr -d '\r' <"$logs/launcher-e.log" 2>/dev/null | grep -E '^(imports|stack checks)' | sed 's/^/(e) /' || true
    launcher_log | grep -E 'STACK MISMATCH|CE RULE BROKEN' | head -3 || true
    echo "scenarios passed: $passed of 5"
    echo "time: $(secs "$total") (root: $root_state)"
    [ -z "$dropped" ] || echo "root made WITHOUT $dropped: its index would not fetch or verify"
  } >"$work/summary.txt"
  say "summary:"
  sed 's/^/  /' "$work/summary.txt"
  printf '%s\n' "# The device run" "" "The last summary of \`tools/device-run\` (see the README): the device's own i686" \
    "code under 32-bit Wine in an i386 root run by qemu-user." "" '```' "$(cat "$work/summary.txt")" '```' "" \
    "$(cat "$repo/ce/ce-rules.md")" >"$repo/docs/device-run.md"
  [ "$passed" = 5 ] && [ "$launcher_status" = 0 ]
}
