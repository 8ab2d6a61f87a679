#!/bin/sh
# check-harness.sh GTEST_PROGRAM.exe: what the test harness promises, with a
# GoogleTest program of the tree's width: a program past its time limit is
# stopped, and its output until then and the limit are shown; a scenario whose
# filter selects no test fails, naming the filter, and one that selects a test
# passes.
root=$(cd "$(dirname "$0")/../.." && pwd)
program=$1
name=$(basename "$program")
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
failed=0
pass() { echo "ok - $1"; }
fail() { echo "FAIL - $1"; failed=1; }
# holds FILE TEXT: FILE has TEXT, else it is shown.
holds() { grep -qF -- "$2" "$1" || { cat "$1"; return 1; }; }

# Repeated without end, the program never ends by itself.
VANTRELLE_TIME_LIMIT=3 "$root/tests/wine/wine-run" "$program" --gtest_repeat=-1 >"$work/out" 2>"$work/err"
rc=$?
[ $rc -ne 0 ] && pass "a program past its limit fails (exit $rc)" || fail "a program past its limit fails"
holds "$work/err" "wine-run: $name did not end within its limit of 3 s and was stopped" &&
    pass "the limit and the program are named" || fail "the limit and the program are named"
holds "$work/out" "Repeating all tests (iteration 2)" &&
    pass "what it printed before it was stopped is shown" || fail "what it printed before it was stopped is shown"

# scenario FILTER: runs the program through the scenario runner with FILTER.
scenario() {
    "$root/tests/e2e/run-scenario" "$program" "--gtest_filter=$1" "--gtest_output=xml:Z:$work/result.xml" \
        >"$work/out" 2>"$work/err"
}
if scenario NoSuchSuite.NoSuchTest; then
    fail "a filter that selects no test fails"
elif holds "$work/err" "run-scenario: no test of $name matches the filter NoSuchSuite.NoSuchTest"; then
    pass "a filter that selects no test fails, naming the filter"
else
    fail "a filter that selects no test fails, naming the filter"
fi
first=$(VANTRELLE_TIME_LIMIT=30 "$root/tests/wine/wine-run" "$program" --gtest_list_tests | tr -d "\r" | awk '
    /^[^ ]/ { suite = $1 } /^  / { print suite $1; exit }')
if [ -n "$first" ] && scenario "$first"; then
    pass "a filter that selects a test ($first) passes"
else
    cat "$work/err"
    fail "a filter that selects a test ($first) passes"
fi
exit $failed
