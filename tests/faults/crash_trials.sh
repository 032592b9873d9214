#!/usr/bin/env bash
# The full crash trials of the recovery journal: SIGKILLs at random instants
# of a scripted session of mixed operations, on an archive of 1,000 records
# and on one of 100,000, each kill followed by a run that loads, recovers
# and saves (see tests/faults/crash_trials_test.cpp). The suite runs the
# same test with a few kills; this runs it with many and prints its figures.
#   TRIALS_KILLS       kills per archive (default 300)
#   TRIALS_OPERATIONS  operations in the session (default 100)
#   TRIALS_RECORDS     archive sizes (default "1000 100000")
#   TRIALS_SEED        seed of the script and of the instants (default: drawn)
#   TRIALS_BUILD_DIR   build folder holding sanzionario_tests (default build;
#                      `make test` builds it)
# About 10 minutes on two cores; exits non-zero when a trial fails.
set -euo pipefail
cd "$(dirname "$0")/../.."

build=${TRIALS_BUILD_DIR:-build}
if [ ! -x "$build/sanzionario_tests" ]; then
  echo "crash_trials.sh: $build/sanzionario_tests not found: run 'make test' first" >&2
  exit 2
fi
for records in ${TRIALS_RECORDS:-1000 100000}; do
  SANZ_PROVE_RECORD=$records \
  SANZ_PROVE_UCCISIONI=${TRIALS_KILLS:-300} \
  SANZ_PROVE_OPERAZIONI=${TRIALS_OPERATIONS:-100} \
  SANZ_PROVE_SEME=${TRIALS_SEED:-} \
    "$build/sanzionario_tests" \
    --gtest_filter='FaultJournal.KilledAtRandomInstantsTheRecoveredArchiveHoldsEveryCompletedOperation'
done
