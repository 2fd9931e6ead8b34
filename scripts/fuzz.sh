#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) into build-fuzz/ and runs
# each for the given time, seeded from the public BMP suite and fuzz/seeds/;
# exits non-zero on a finding. Findings are kept in build-fuzz/findings/.
# Usage: scripts/fuzz.sh [--seconds N] [--runs N] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=30
runs=""
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done

need=(clang libclang-rt-14-dev)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ ! -f build-fuzz/CMakeCache.txt ]; then
  CXX=clang++ cmake -S fuzz -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build-fuzz -j"$(nproc)" >/dev/null

[ ${#targets[@]} -gt 0 ] || targets=($(cd build-fuzz && ls fuzz_* | sed 's/^fuzz_//'))
suite=../shared/bmpsuite
status=0
for t in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$t
  findings=build-fuzz/findings/$t
  mkdir -p "$corpus" "$findings"
  seeds=("fuzz/seeds/$t" "fuzz/regressions/$t")
  case "$t" in
    bmp_read) seeds+=("$suite/g" "$suite/q" "$suite/b") ;;
  esac
  dirs=()
  for d in "${seeds[@]}"; do [ -d "$d" ] && dirs+=("$d"); done
  limit=(-max_total_time="$seconds")
  [ -n "$runs" ] && limit=(-runs="$runs")
  echo "== $t"
  # Memory capped so that an unbounded allocation is a finding.
  if ! build-fuzz/fuzz_"$t" "${limit[@]}" -rss_limit_mb=2560 -malloc_limit_mb=1200 \
      -artifact_prefix="$findings/" -print_final_stats=1 "$corpus" "${dirs[@]}" 2>"build-fuzz/$t.log"; then
    echo "FINDING in $t:"; tail -40 "build-fuzz/$t.log"; status=1
  else
    grep -E "stat::number_of_executed_units|Done [0-9]+ runs" "build-fuzz/$t.log" | tail -2
  fi
done
exit $status
