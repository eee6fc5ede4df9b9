#!/usr/bin/env bash
# Each translation follows the sources: updating a copy of it from src/ finds
# no message it lacks (unfinished) and none it has that the sources no longer
# use (vanished), so every word the window says is translated.
#   translations_test.sh LUPDATE SOURCE_DIR
set -euo pipefail
lupdate=$1 source=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp -r "$source/src" "$source/scripts" "$scratch/"
mkdir "$scratch/translations"
status=0
for ts in "$source"/translations/*.ts; do
    copy="$scratch/translations/$(basename "$ts")"
    cp "$ts" "$copy"
    "$scratch/scripts/update_translations.sh" "$lupdate" "$copy"
    if grep -nE 'type="(unfinished|vanished|obsolete)"' "$copy"; then
        echo "$(basename "$ts") does not follow the sources: run scripts/update_translations.sh and translate" >&2
        status=1
    fi
done
exit $status
