#!/usr/bin/env bash
# Runs one fuzz target for a while: fuzz/run.sh TARGET SECONDS [libFuzzer options]
# TARGET is y4m_reader or kernel. Builds first if needed. New inputs go to
# build-fuzz/corpus/TARGET (the seeds in fuzz/corpus/TARGET are only read);
# a crashing input is written to build-fuzz/artifacts/TARGET/ and the script
# exits non-zero.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-fuzz}"
target="${1:?usage: fuzz/run.sh y4m_reader|kernel SECONDS [options]}"
seconds="${2:?usage: fuzz/run.sh y4m_reader|kernel SECONDS [options]}"
shift 2

case "$target" in
  # One allocation beyond 64 MiB from a few kilobytes of input is a finding.
  y4m_reader) options=(-max_len=8192 -malloc_limit_mb=64 -dict="$root/fuzz/y4m.dict") ;;
  kernel) options=(-max_len=4096 -malloc_limit_mb=64) ;;
  *) echo "unknown target '$target' (y4m_reader or kernel)" >&2; exit 2 ;;
esac

[ -x "$build/${target}_fuzzer" ] || "$root/fuzz/build.sh"
mkdir -p "$build/corpus/$target" "$build/artifacts/$target"
exec "$build/${target}_fuzzer" "${options[@]}" -timeout=30 -rss_limit_mb=2048 \
  -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$build/artifacts/$target/" "$@" \
  "$build/corpus/$target" "$root/fuzz/corpus/$target"
