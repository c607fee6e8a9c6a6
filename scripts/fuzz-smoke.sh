#!/usr/bin/env bash
# A short run of every fuzz target on the AddressSanitizer build, for
# scripts/test: first every seed and regression input of fuzz/corpus/ is
# replayed, then each target fuzzes for the given seconds (default 20) from
# a fresh corpus, so the run does not depend on earlier runs.
#   scripts/fuzz-smoke.sh [seconds-per-target]
# Prints "fuzz: <target> ... ok" per target; exits non-zero on any finding.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
FUZZ_SANITIZE=1 FUZZ_FRESH=1 FUZZ_BUILD="${FUZZ_BUILD:-build/fuzz-smoke}" exec scripts/fuzz "${1:-20}"
