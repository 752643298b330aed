#!/bin/sh
# Replays a fuzz target's corpus in a temporary folder of its own, which the
# run must leave empty: its work files go when it ends.
#
#   tests/fuzz/replay.sh path/to/fuzz_target path/to/corpus
folder=$(mktemp -d) || exit 1
TMPDIR=$folder "$1" -runs=0 "$2"
status=$?
left=$(ls -A "$folder")
rm -rf "$folder"
if [ -n "$left" ]; then
  echo "the run left in its temporary folder: $left" >&2
  exit 1
fi
exit $status
