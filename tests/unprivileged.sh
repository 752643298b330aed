#!/bin/sh
# Runs a test executable as an unprivileged user (uid and gid 65534, no other
# groups), as a user meets read-only files and folders: root may write any.
# The test executable and the program it starts (named in BYTELON_EXECUTABLE
# for it) are copied into a folder that user owns, which holds its temporary
# files too, so nothing depends on who may read the build folder.
# Run by someone other than root, the test simply runs as that user.
# Usage: unprivileged.sh test-executable program-executable [test arguments]
set -eu
test=$1
program=$2
shift 2
if [ "$(id -u)" != 0 ]; then
  BYTELON_EXECUTABLE=$program exec "$test" "$@"
fi
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
mkdir "$folder/tmp" "$folder/run"
cp "$test" "$program" "$folder/"
chmod 0700 "$folder/run"
chown -R 65534:65534 "$folder"
status=0
env HOME="$folder" TMPDIR="$folder/tmp" XDG_RUNTIME_DIR="$folder/run" XDG_CONFIG_HOME="$folder/config" \
  BYTELON_EXECUTABLE="$folder/$(basename "$program")" \
  setpriv --reuid=65534 --regid=65534 --clear-groups "$folder/$(basename "$test")" "$@" || status=$?
exit $status
