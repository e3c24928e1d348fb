# Sourced by the benchmarks: times commands and keeps their peak memory.
#   measured NAME COMMAND...   runs COMMAND (its output goes to $work/log-NAME.txt),
#                              adds its wall time to total[NAME] and keeps the
#                              largest peak resident size (KiB) in peak[NAME]
#   prepare_velmora_join       sets `build` (VELMORA_BUILD or build) and `join`
#                              (its velmora-join, built when missing) and
#                              checks that /usr/bin/time is there
# The caller sets `work` (a folder) and declares `total` and `peak` as
# associative arrays; a command that fails ends the benchmark with its log.
measured() {
  local name=$1
  shift
  local report=$work/time-$name.txt
  /usr/bin/time -f "%e %M" -o "$report" "$@" >/dev/null 2>"$work/log-$name.txt" || {
    echo "$name failed:" >&2
    cat "$work/log-$name.txt" >&2
    exit 1
  }
  read -r seconds kib <"$report"
  total[$name]=$(awk -v t="${total[$name]:-0}" -v s="$seconds" 'BEGIN { print t + s }')
  if [ "$kib" -gt "${peak[$name]:-0}" ]; then peak[$name]=$kib; fi
}

prepare_velmora_join() {
  build=${VELMORA_BUILD:-build}
  join=$build/tools/velmora-join
  if [ ! -x "$join" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j"$(nproc)" --target velmora-join >/dev/null
  fi
  if [ ! -x /usr/bin/time ]; then
    echo "$0 needs /usr/bin/time (scripts/install-deps.sh installs it)" >&2
    exit 1
  fi
}
