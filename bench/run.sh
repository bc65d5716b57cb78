#!/usr/bin/env bash
# Benchmarks (not part of the test command): bench/run.sh NAME runs
# bench/NAME.sh, which builds what it needs and prints its result as the
# last line. Each compares the program against a baseline measured in the
# same run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
name=${1:-}
if [ -z "$name" ] || [ ! -f "bench/$name.sh" ]; then
    echo "usage: bench/run.sh NAME   (one of: $(cd bench && ls *.sh | grep -v '^run.sh$' | sed 's/\.sh$//' | tr '\n' ' '))" >&2
    exit 2
fi
shift
exec bash "bench/$name.sh" "$@"
