#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer in their own build folder and runs each for a
# while on its seed corpus. Fails when any target finds a crash, a leak, a timeout, undefined
# behaviour, an input that costs too much memory or one that breaks a reader's promise.
#
#   scripts/fuzz.sh                         every target for FUZZ_SECONDS (60) seconds
#   FUZZ_TARGETS="decode_png settings_file" FUZZ_SECONDS=600 scripts/fuzz.sh
#
# Settings (environment): FUZZ_BUILD (build-fuzz), FUZZ_SECONDS (60), FUZZ_TARGETS (all),
# FUZZ_MALLOC_LIMIT_MB (256: a larger single allocation is a finding), JOBS (build jobs).
# Inputs the fuzzers add are kept in FUZZ_BUILD/corpus/TARGET, so later runs go on from them;
# findings go to FUZZ_BUILD/findings/TARGET/ and each run's output to FUZZ_BUILD/logs/TARGET.log.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${FUZZ_BUILD:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
malloc_limit=${FUZZ_MALLOC_LIMIT_MB:-256}
jobs=${JOBS:-$(nproc)}

# clang with libFuzzer, beyond what scripts/setup.sh installs for the ordinary build. The
# sanitizer and libFuzzer run-time libraries clang links are in libclang-rt-14-dev, which clang
# only recommends, so it is named here.
bash scripts/setup.sh
missing=()
for p in clang libfuzzer-14-dev libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=
  [ "$(id -u)" = 0 ] || sudo=sudo
  echo "Installing: ${missing[*]}" >&2
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DATELION_FUZZ=ON -DATELION_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzzers -j "$jobs"

# Undefined behaviour is reported with the calls that led to it.
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
# Every target has its program, fuzz_TARGET (the list is in fuzz/CMakeLists.txt).
if [ -n "${FUZZ_TARGETS:-}" ]; then
  read -r -a targets <<<"$FUZZ_TARGETS"
else
  targets=()
  for program in "$build"/fuzz/fuzz_*; do [ -x "$program" ] && targets+=("${program##*/fuzz_}"); done
fi
failed=()
for target in "${targets[@]}"; do
  program="$build/fuzz/fuzz_$target"
  [ -x "$program" ] || { echo "no fuzz target named $target" >&2; exit 2; }
  mkdir -p "$build/corpus/$target" "$build/findings/$target" "$build/logs"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb="$malloc_limit"
           -max_len=4096 -print_final_stats=1 -artifact_prefix="$build/findings/$target/")
  [ -f "fuzz/dictionaries/$target.dict" ] && options+=(-dict="fuzz/dictionaries/$target.dict")
  # New inputs go to the first folder; the seeds and the regression files are read, never written.
  folders=("$build/corpus/$target" "fuzz/corpus/$target")
  [ -d "fuzz/regressions/$target" ] && folders+=("fuzz/regressions/$target")
  log="$build/logs/$target.log"
  status=0
  "$program" "${options[@]}" "${folders[@]}" >"$log" 2>&1 || status=$?
  # The last status line, "#RUNS<tab>KIND cov: … ft: …", as "RUNS runs, cov: … ft: …".
  summary=$(grep -E '^#[0-9]+[[:space:]]+[A-Z]' "$log" | tail -1 |
    sed -E 's/^#([0-9]+)[^c]*(cov: [0-9]+ ft: [0-9]+).*/\1 runs, \2/' || true)
  if [ "$status" -eq 0 ]; then
    echo "fuzz $target: passed, $summary"
  else
    failed+=("$target")
    echo "fuzz $target: FAILED (exit $status) after $summary; see $log"
    grep -E "^($target: |==[0-9]+==ERROR|SUMMARY: )|runtime error:|Test unit written" "$log" | head -5 | sed 's/^/    /'
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: findings in ${failed[*]} (inputs in $build/findings/)" >&2
  exit 1
fi
