# shellcheck shell=bash disable=SC2034,SC2154
# A minimal Debian root for tools/check-fresh and tools/device-run: made with
# debootstrap from this machine's mirror, apt in it riding out a mirror's bad
# moment, its mounts and processes, logged and timed steps, and a clean-up of
# it all on every exit, Ctrl-C and SIGTERM included. Source it after setting
# tool (the name in messages), roots (the folders whose processes and mounts
# are ours) and logs; cleanup_more, if defined, runs once those are gone.
# TOUCHPANEL_MIRROR=URL: the roots' Debian mirror instead of the host's.
#
# Exit status 75: the mirror would not serve $suite itself, after the
# retries, so no root could be made; $logs/mirror-unusable.txt says why.

suite=bookworm
mounts=()      # every mount point we made, in the order made
child=""       # the host-side command we are waiting for, if any
dropped=""     # update suites left out of the root: their index would not fetch
started=$(date +%s)

say() { printf '[%s] %s\n' "$tool" "$*"; }
die() { say "error: $*" >&2; exit 1; }
secs() { printf '%dm%02ds' $(($1 / 60)) $(($1 % 60)); }

# Pids of every process whose root directory is in one of the roots: daemons
# started inside and detached (Xvfb, wineserver) are found this way too.
procs_in_roots() {
  local p r x
  for p in /proc/[0-9]*; do
    r=$(readlink "$p/root" 2>/dev/null) || continue
    for x in "${roots[@]}"; do
      if [ "$r" = "$x" ] || [[ $r == "$x"/* ]]; then echo "${p#/proc/}"; fi
    done
  done
}

# Children (recursively) of one pid: a step's host-side helpers.
descendants() {
  local c
  for c in $(pgrep -P "$1" 2>/dev/null); do descendants "$c"; echo "$c"; done
}

kill_root_procs() {
  local pids sig
  for sig in TERM KILL; do
    pids=$(procs_in_roots)
    [ -n "$pids" ] || return 0
    # shellcheck disable=SC2086
    kill -s "$sig" $pids 2>/dev/null
    for _ in $(seq 50); do
      [ -n "$(procs_in_roots)" ] || return 0
      sleep 0.1
    done
  done
  [ -z "$(procs_in_roots)" ] || say "warning: still running in the root: $(procs_in_roots | tr '\n' ' ')" >&2
}

# Mount points in the roots according to the kernel, deepest first.
mounted_in_roots() {
  awk -v roots="$(printf '%s\n' "${roots[@]}")" 'BEGIN { n = split(roots, r, "\n") }
    { for (i = 1; i <= n; i++) if ($2 == r[i] || index($2, r[i] "/") == 1) print length($2), $2 }' /proc/mounts |
    sort -rn | cut -d' ' -f2-
}

unmount_all() {
  local i m
  # Ours first, in reverse order of mounting; then anything else left there
  # (debootstrap mounts proc and sys while it installs, and leaves them if it
  # is interrupted).
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    m=${mounts[i]}
    mountpoint -q "$m" 2>/dev/null || continue
    umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || say "warning: could not unmount $m" >&2
  done
  mounts=()
  for m in $(mounted_in_roots); do umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || true; done
}

# mount_at TARGET MOUNT-ARGS...: records the mount point before mounting, so a
# half-done mount is still undone; nothing mounted there may appear on the host.
mount_at() {
  local target=$1
  shift
  mkdir -p "$target"
  mounts+=("$target")
  mount "$@" "$target"
  mount --make-private "$target"
}

mount_system() { # ROOT; /dev/shm is a tmpfs of its own so nothing is shared with the host
  mount_at "$1/proc" -t proc proc
  mount_at "$1/sys" --bind /sys
  mount_at "$1/dev" --bind /dev
  mount_at "$1/dev/pts" --bind /dev/pts
  mount_at "$1/dev/shm" -t tmpfs -o mode=1777 tmpfs
}

# Every run starts from nothing there. Deleting a folder that still has host
# directories mounted in it would delete host files, so refuse if any remain.
clear_roots() {
  kill_root_procs
  unmount_all
  [ -z "$(mounted_in_roots)" ] || die "cannot clear the root: still mounted: $(mounted_in_roots | tr '\n' ' ')"
  rm -rf --one-file-system "$@"
}

cleanup() {
  local rc=$?
  trap - EXIT INT TERM
  set +e
  if [ -n "$child" ] && kill -0 "$child" 2>/dev/null; then
    # shellcheck disable=SC2046
    kill $(descendants "$child") "$child" 2>/dev/null
  fi
  kill_root_procs
  unmount_all
  declare -F cleanup_more >/dev/null && cleanup_more
  if [ -n "$(mounted_in_roots)" ]; then
    say "error: still mounted: $(mounted_in_roots | tr '\n' ' ')" >&2
    [ "$rc" -ne 0 ] || rc=1
  fi
  exit "$rc"
}
trap cleanup EXIT
trap 'say "interrupted"; exit 130' INT
trap 'say "terminated"; exit 143' TERM

# Runs "$@" with output to a log file, in the background, so that a signal
# reaches our trap at once instead of after the command ends.
run_logged() {
  local log=$1 status=0
  shift
  "$@" >"$log" 2>&1 </dev/null &
  child=$!
  wait "$child" || status=$?
  child=""
  return "$status"
}
pause() { run_logged /dev/null sleep "$1"; }

# step NAME COMMAND...: logged to $logs/NAME.log and timed; a failure ends the
# tool with the log's tail.
step() {
  local name=$1 log=$logs/$1.log t0
  shift
  say "$name ..."
  t0=$(date +%s)
  run_logged "$log" "$@" || step_failed "$name"
  say "$name: $(secs $(($(date +%s) - t0)))"
}
step_failed() { say "$1 failed; last lines of $logs/$1.log:"; tail -n 30 "$logs/$1.log"; exit 1; }

# What debootstrap and apt say when a download from the mirror failed.
fetch_errors='^E: (Failed getting release|Invalid Release|Couldn.t download|Couldn.t find these debs|Failed to fetch|Unable to fetch)'

# fetch_step NAME COMMAND...: a step that downloads from the mirror, tried
# three times with a pause between (COMMAND starts afresh each time), since
# a mirror mid-sync fails downloads for a while. If the last try still could
# not download (its last error is a download's), the mirror is unusable; any
# other failure is the step's.
fetch_step() {
  local name=$1 log=$logs/$1.log t0 n why
  shift
  t0=$(date +%s)
  for n in 1 2 3; do
    say "$name ..."
    run_logged "$log" "$@" && { say "$name: $(secs $(($(date +%s) - t0)))"; return 0; }
    grep -E '^E: ' "$log" | tail -n 1 | grep -qE "$fetch_errors" || step_failed "$name"
    why=$(grep -m1 -E "$fetch_errors" "$log" | cut -c1-200)
    say "$name could not download: $why"
    [ "$n" = 3 ] || { say "trying again in $((n * 20)) s"; pause $((n * 20)); }
  done
  mirror_unusable "$name: $why (log: $log)"
}

# The mirror would not serve $suite, after the retries: no root can be made.
# Said loudly, kept for whoever called the tool, and told apart by the status.
mirror_unusable() {
  local line=================================================================
  printf '%s\n' "the mirror $mirror does not serve $suite: $*" >"$logs/mirror-unusable.txt"
  say "$line" >&2
  say "NOT RUN: $(cat "$logs/mirror-unusable.txt")" >&2
  say "$line" >&2
  exit 75
}

# chroot_run ROOT [NAME=VALUE...] COMMAND...: a command inside a root as a
# fresh root login would have it, with nothing of this host's environment
# but what is named; $root_nice lowers its priority.
chroot_run() {
  local at=$1
  shift
  nice -n "${root_nice:-0}" chroot "$at" /usr/bin/env -i HOME=/root USER=root LOGNAME=root SHELL=/bin/bash \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 TERM=dumb \
    DEBIAN_FRONTEND=noninteractive "$@"
}

# The URI of this machine's deb entry for suite $1, as apt itself reads its
# sources (one-line or deb822): the roots use whatever mirror this machine
# already uses, and nothing host-specific is written into the project.
host_uri_for_suite() {
  apt-get indextargets --no-release-info --format '$(TARGET_OF) $(REPO_URI) $(RELEASE)' 2>/dev/null |
    awk -v want="$1" '$1 == "deb" && $3 == want { sub("/$", "", $2); print $2; found = 1; exit } END { exit !found }'
}

# Host packages, with apt-get update tried again while a mirror is mid-sync
# (the install goes on with the lists it has) and downloads retried.
host_install() {
  fetch_step host-apt bash -c "for n in 1 2 3; do apt-get update -qq && break; [ \$n = 3 ] || sleep 20; done
    DEBIAN_FRONTEND=noninteractive apt-get -o Acquire::Retries=5 install -y -qq --no-install-recommends $*"
}

find_mirror() {
  rm -f "$logs/mirror-unusable.txt"
  mirror=${TOUCHPANEL_MIRROR:-$(host_uri_for_suite "$suite")} || die "no deb entry for $suite in this machine's apt sources"
  mirror=${mirror%/}
  security=$(host_uri_for_suite "$suite-security" || true)
  say "mirror: $mirror${security:+ (security: $security)}"
  command -v debootstrap >/dev/null || host_install debootstrap
}

# apt in a root: the host's mirror, with the host's settings that decide
# whether its lists are accepted (validity dates) or how it is reached
# (proxies), since without them apt may refuse the mirror the host uses fine;
# downloads retried; no service started when a package is installed.
setup_apt() { # ROOT
  cp -L /etc/resolv.conf "$1/etc/resolv.conf"
  printf 'deb %s main\n' "$mirror $suite" "$mirror $suite-updates" ${security:+"$security $suite-security"} \
    >"$1/etc/apt/sources.list"
  { apt-config dump | grep -E '^Acquire::(Check-Valid-Until|Check-Date|https?::Proxy)' || true
    echo 'Acquire::Retries "5";'; } >"$1/etc/apt/apt.conf.d/99host-mirror"
  printf '#!/bin/sh\nexit 101\n' >"$1/usr/sbin/policy-rc.d"
  chmod +x "$1/usr/sbin/policy-rc.d"
  apt_update "$1"
}

# apt-get update in a root, tried again after a pause, as a mirror mid-sync
# serves indexes that do not match its Release file for a while. If it still
# fails only for update or security suites, the root goes on without them
# (it needs nothing from them) and $dropped names them; if it fails for
# $suite itself, the mirror is unusable.
apt_update() { # ROOT
  local log=$logs/apt-update.log n bad t0
  t0=$(date +%s)
  for n in 1 2 3; do
    say "apt-update ..."
    run_logged "$log" chroot_run "$1" apt-get update && { say "apt-update: $(secs $(($(date +%s) - t0)))"; return 0; }
    say "apt-get update failed: $(grep -m1 '^E:' "$log" | sed -E 's#(/dists/[^/ ]+/)[^ ]*#\1...#' | cut -c1-200)"
    [ "$n" = 3 ] || { say "trying again in $((n * 20)) s"; pause $((n * 20)); }
  done
  bad=$(grep -E '^(E|Err):' "$log" | grep -oE "[ /]$suite(-[a-z]+)?[ /]" | tr -d ' /' | sort -u | tr '\n' ' ')
  if [ -z "$bad" ]; then
    say "apt-get update failed 3 times; last lines of $log:"; tail -n 30 "$log"; exit 1
  fi
  if echo "$bad" | tr ' ' '\n' | grep -qx "$suite"; then
    mirror_unusable "apt-get update: $(grep -m1 -E "^(E|Err):.*[ /]$suite[ /]" "$log" | cut -c1-200) (log: $log)"
  fi
  dropped=${bad% }
  mv "$log" "$logs/apt-update-failed.log"
  say "going on WITHOUT $dropped: its index would not fetch or verify (see $logs/apt-update-failed.log)"
  for n in $dropped; do sed -i "/ $n /d" "$1/etc/apt/sources.list"; done
  step apt-update chroot_run "$1" apt-get update
}
