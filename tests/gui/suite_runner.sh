#!/usr/bin/env bash
# CTest's way into the GUI tests: every test is its own CTest entry, but a
# suite runs in one Wine process. The first of a suite's tests to be asked for
# runs the whole suite and keeps its output; each test then reports its own
# part of it, so CTest still shows every test and why it failed.
#
#   suite_runner.sh EXE --gtest_filter=Suite.Test [ARGS...]
#   suite_runner.sh EXE ARGS...    anything else runs as it is
#
# The suites' output is kept in gui-results/ beside EXE.
#
# A suite whose process dies leaves its evidence: the output so far (the test
# binary writes unbuffered), the exit code and Wine's own report of the fault.
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
wenv="$here/tools/wine-env"
exe=$1
shift
results="$(dirname "$exe")/gui-results"

filter=
for arg in "$@"; do
  case $arg in --gtest_filter=*) filter=${arg#--gtest_filter=} ;; esac
done
# Listing the tests, or a pattern rather than one test: straight through.
if [ -z "$filter" ] || [[ $filter == *[*?:]* ]] || [[ $filter != *.* ]]; then
  exec "$wenv" run "$exe" "$@"
fi
suite=${filter%%.*}
name=${filter#*.}
key=${suite//\//_}
log="$results/$key.log"
code="$results/$key.code"

mkdir -p "$results"
exec 8>"$results/$key.lock"
flock 8
# Results last for one CTest run (its fixture clears them) and for one build.
if [ ! -f "$code" ] || [ "$exe" -nt "$code" ]; then
  rm -f "$log" "$code"
  # Tests of the suite disabled in the source stay disabled here too.
  # A suite that hangs is ended well before CTest's own limit, so that its
  # tests still report where it stopped.
  WINEDEBUG=-all,err+all timeout -k 5 300 "$wenv" run "$exe" "--gtest_filter=$suite.*" >"$log" 2>&1
  echo $? >"$code"
fi
flock -u 8

status=$(cat "$code")
[ "$status" = 124 ] && status="124 (stopped after 300 s)"
tr -d '\r' <"$log" | awk -v test="$suite.$name" -v status="$status" '
  function names(l) { return index(l, "] " test " (") || index(l, "] " test ", where") }
  { line[NR] = $0 }
  $0 == "[ RUN      ] " test { start = NR }
  /^\[ RUN      \] / { cut = 1 }
  /^\[ +(OK|FAILED|SKIPPED) +\] [^ ]+(, where .*)? \([0-9]+ ms\)$/ {
    cut = 0
    if (/FAILED/) failed = 1
    if (start && !finish && names($0)) { finish = NR; result = /FAILED/ }
  }
  function show(from, to,   i) { for (i = from; i <= to; i++) if (i > 0) print line[i] }
  END {
    if (finish) {
      show(start, finish)
      if (result || status == "0" || failed || cut) exit result
      print "== every test of the suite passed, but its process ended with exit code " status ":"
      show(NR - 39, NR)
    } else if (start) {
      show(start, NR)
      print "== the suite'\''s process ended with exit code " status " while " test " ran."
    } else {
      print "== " test " did not run: the suite'\''s process ended with exit code " status " first:"
      show(NR - 39, NR)
    }
    exit 1
  }'
