#!/bin/bash
# Runs every GoogleTest program of a build as one process, three times over in shuffled order:
# a test that leaves process-wide state behind makes a later one fail here, where ctest (one
# process per test) would not notice.
# Usage: tests/run_binaries_whole.sh BUILD_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
failed=0
count=0
while IFS= read -r program; do
    count=$((count + 1))
    if ! (cd "$(dirname "$program")" && timeout 600 "$program" --gtest_repeat=3 --gtest_shuffle --gtest_brief=1 > /tmp/whole.$$ 2>&1); then
        echo "FAIL $program (repeated and shuffled)"
        grep -E "FAILED|Failure" /tmp/whole.$$ | head -20
        failed=$((failed + 1))
    fi
done < <(ctest --test-dir "$build" --show-only=json-v1 | /usr/bin/python3 -c '
import json, sys
programs = {test["command"][0] for test in json.load(sys.stdin)["tests"] if "command" in test}
print("\n".join(sorted(p for p in programs if "/test_" in p)))')
rm -f /tmp/whole.$$
echo "$count test programs run whole, repeated and shuffled: $failed failed"
[ "$failed" -eq 0 ]
