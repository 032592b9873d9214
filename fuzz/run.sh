#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehavior-
# Sanitizer), one executable for all of them, and runs each target in turn
# (SANZ_FUZZ_BERSAGLIO=<target>) for a bounded time, starting from its seed
# corpus in fuzz/corpus/<target>/. Exits non-zero when a target finds a
# crash; the input that caused it is kept in build-fuzz/crashes/.
#   FUZZ_SECONDS   seconds per input routine target (default 4, 10 targets);
#                  the loader, far slower per input, gets three times as long
#   FUZZ_BUILD_DIR build folder (default build-fuzz)
#   FUZZ_CXX       the clang++ to use (default clang++-14, else clang++)
set -uo pipefail
cd "$(dirname "$0")/.."

secondi=${FUZZ_SECONDS:-4}
build=${FUZZ_BUILD_DIR:-build-fuzz}
cxx=${FUZZ_CXX:-$(command -v clang++-14 || command -v clang++ || true)}
if [ -z "$cxx" ]; then
  echo "fuzz/run.sh: clang++ not found (Debian packages: clang, libclang-rt-14-dev)" >&2
  exit 2
fi

cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null ||
  exit 2
cmake --build "$build" -j2 >"$build/build.log" 2>&1 || { cat "$build/build.log"; exit 2; }

bersagli=(carica giornale avvisi elenco ins_str ins_txt ins_num ins_int ins_double ins_data ins_cf ins_pat leggi_scelta
          domanda_sn)
mkdir -p "$build/crashes"
memoria=/tmp
[ -w /dev/shm ] && memoria=/dev/shm
SANZ_FUZZ_CARTELLA=$(mktemp -d "$memoria/sanz-fuzz-XXXXXX") || exit 2
export SANZ_FUZZ_CARTELLA
trap 'rm -rf "$SANZ_FUZZ_CARTELLA"' EXIT
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
riusciti=0
falliti=()
for b in "${bersagli[@]}"; do
  lavoro="$build/corpus/$b" # new inputs found go here, never into the seed corpus
  mkdir -p "$lavoro"
  lunghezza=4096
  durata=$secondi
  if [ "$b" = carica ] || [ "$b" = giornale ] || [ "$b" = elenco ]; then
    lunghezza=16384
    durata=$((secondi * 3))
  fi
  registro="$build/$b.log"
  if SANZ_FUZZ_BERSAGLIO=$b "$build/fuzz_sanzionario" -max_total_time="$durata" -timeout=10 \
       -rss_limit_mb=2048 -max_len="$lunghezza" -print_final_stats=1 \
       -artifact_prefix="$build/crashes/$b-" \
       "$lavoro" "fuzz/corpus/$b" >"$registro" 2>&1; then
    esecuzioni=$(sed -n 's/^stat::number_of_executed_units: *//p' "$registro")
    echo "fuzz $b: no crash in ${esecuzioni:-?} runs (${durata} s)"
    riusciti=$((riusciti + 1))
  else
    echo "fuzz $b: CRASH, input kept in $build/crashes/ (again:" \
         "SANZ_FUZZ_BERSAGLIO=$b $build/fuzz_sanzionario <input>):"
    tail -n 40 "$registro"
    falliti+=("$b")
  fi
done
echo "fuzz: ${riusciti} passed, ${#falliti[@]} failed"
[ "${#falliti[@]}" -eq 0 ]
