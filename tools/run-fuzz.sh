#!/usr/bin/env bash
# run-fuzz.sh BUILD_DIR SECONDS [NAME...]: runs each fuzz target (or the named ones) for the
# given time on a scratch copy of its seed corpus, so the repository's corpus stays as it is.
# An input taking over a minute counts as a hang (the fuzz build caps picture sizes well below).
# What libFuzzer writes of its own (crash, timeout and slow-unit inputs) goes to a folder below
# the temporary folder, never into the work tree; a failure keeps it and names it.
set -euo pipefail
build=$1; seconds=$2; shift 2
cd "$(dirname "$0")/.."
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for src in fuzz/*.cpp; do names+=("$(basename "$src" .cpp)"); done
fi
passed=0; failed=0
# fontconfig keeps its configuration for the life of the process (system fonts load it once):
# that is no leak of ours.
suppressions=$(mktemp)
echo "leak:libfontconfig.so" > "$suppressions"
export LSAN_OPTIONS="suppressions=$suppressions${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
for name in "${names[@]}"; do
  scratch=$(mktemp -d)
  artifacts=$(mktemp -d "${TMPDIR:-/tmp}/fuzz-$name-XXXXXX")
  seeds=fuzz/corpus/$name
  [ -d "$seeds" ] || seeds=""
  if "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=4096 \
      -print_final_stats=0 \
      -artifact_prefix="$artifacts/" "$scratch" $seeds >"$scratch.log" 2>&1; then
    echo "fuzz $name: ok"; passed=$((passed + 1)); rm -rf "$artifacts"
  else
    echo "fuzz $name: FAILED (inputs kept in $artifacts)"; tail -n 60 "$scratch.log"
    failed=$((failed + 1))
  fi
  rm -rf "$scratch" "$scratch.log"
done
rm -f "$suppressions"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
