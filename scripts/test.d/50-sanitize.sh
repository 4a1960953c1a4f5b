#!/bin/sh
# The whole test suite again, built with AddressSanitizer and
# UndefinedBehaviorSanitizer in a tree of its own (preset "sanitize").
# Any report fails the test that caused it: undefined behaviour aborts,
# and leaks are reported when each test process exits.
set -eu
root=$PWD
cmake --preset sanitize
cmake --build --preset sanitize -j2

# Leaks inside system libraries we do not own (fonts, the display's client
# library) are no finding of ours; see the file for each entry's reason.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/faults/lsan.supp:print_suppressions=0"
# One test at a time, as in the default stage: the instrumented GUI tests
# are slow enough that a parallel neighbour can push them past their waits.
ctest --preset sanitize
