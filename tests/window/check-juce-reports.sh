#!/usr/bin/env bash
# A Debug build's JUCE assertions and leak reports, in the host or in the plug-in, only ever
# reach the host's log; only the sites listed as unavoidable may appear there.
# check-juce-reports.sh LOG TOLERATED_ASSERTIONS: prints what else JUCE reported, exits 1 if any.
set -euo pipefail

log=$1
tolerated=$2

sites=$(grep -vE '^(#|$)' "$tolerated" | awk '{ print "JUCE Assertion failure in " $1 }')
untolerated=$(grep -E 'JUCE Assertion failure|Leaked objects detected' "$log" | grep -vxF "$sites" || true)
if [ -n "$untolerated" ]; then
    echo "JUCE reported an assertion or a leak: $untolerated"
    exit 1
fi
