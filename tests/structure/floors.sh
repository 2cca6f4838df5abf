#!/usr/bin/env bash
# The house's floors: every folder uses only what lies on its own floor or
# below (an #include, a sourced script, a path under the repository), and no
# folder holds more than about a third of the lines.
#   floors.sh REPO
set -euo pipefail
cd "$1"
floors=(platform res link surface pages app sim ce ship tools tests)  # bottom first
declare -A floor
for i in "${!floors[@]}"; do floor[${floors[i]}]=$i; done
rooms=$(IFS='|'; echo "${floors[*]}")
status=0

# What each file names of another folder: "from to file".
uses() {
  local f
  while IFS= read -r f; do
    grep -hoE "#include \"($rooms)/|\\\$\{?(repo|here|drive_root)\}?/($rooms)/" "$f" 2>/dev/null |
      grep -oE "($rooms)/\$" | sed "s#/\$##; s#^#${f%%/*} #; s#\$# $f#" || true
  done < <(find "${floors[@]}" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.S' -o -name '*.rc' \
             -o -name '*.sh' -o -perm -u+x \) ! -name '*.bmp' ! -name '*.ico')
}

while read -r from to file; do
  [ "$from" = "$to" ] && continue
  if [ "${floor[$to]}" -gt "${floor[$from]}" ]; then
    echo "up a floor: $file ($from) uses $to"
    status=1
  fi
done < <(uses | sort -u)

# No shell library defines a function that a script sourcing it defines too
# (drive.sh defines probe only where its caller has none).
defined() { grep -hoE '^[[:space:]]*[A-Za-z_][A-Za-z_0-9]*\(\)' "$@" | tr -d ' \t()' | sort; }
while IFS= read -r script; do
  libs=$(grep -oE '^[[:space:]]*\. "\$[a-z_]+/[^"]+\.sh"' "$script" | grep -oE '(tools/lib|ce/run)/[^"]+' || true)
  [ -n "$libs" ] || continue
  # shellcheck disable=SC2086
  twice=$(defined "$script" $libs | uniq -d)
  if [ -n "$twice" ]; then
    echo "defined twice where $script sources $(echo $libs): $(echo $twice)"
    status=1
  fi
done < <(grep -rlE '^[[:space:]]*\. "\$[a-z_]+/(tools/lib|ce/run)/' tools tests ce)

# Lines of each folder, data lists and pictures aside.
total=0
declare -A lines
for room in "${floors[@]}"; do
  [ "$room" = tests ] && continue
  lines[$room]=$(find "$room" -type f ! -name '*-exports.txt' ! -name '*.bmp' ! -name '*.ico' -exec cat {} + | wc -l)
  total=$((total + lines[$room]))
done
for room in "${!lines[@]}"; do
  printf '%-9s %5d lines %3d %%\n' "$room" "${lines[$room]}" $((100 * lines[$room] / total))
done | sort -k2 -rn
for room in "${!lines[@]}"; do
  if [ $((100 * lines[$room] / total)) -gt 36 ]; then
    echo "too big: $room holds more than a third of the lines"
    status=1
  fi
done
exit $status
