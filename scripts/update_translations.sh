#!/usr/bin/env bash
# Brings the window's translations up to date with the sources: every message
# written through Qt's translation system in src/ (and the core's table
# wordings, marked HEXPANE_WORDING) is added to each translations/*.ts, and
# one no longer used is marked vanished. Then translate what is unfinished, in
# Qt Linguist or any editor, and drop what vanished.
#   scripts/update_translations.sh [LUPDATE] [TS...]   (default: every translations/*.ts)
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=${1:-$(command -v lupdate || echo /usr/lib/qt6/bin/lupdate)}
shift || true
[ $# -gt 0 ] || set -- translations/*.ts
"$lupdate" -silent -locations none -tr-function-alias QT_TRANSLATE_NOOP+=HEXPANE_WORDING \
    -extensions cpp,h src -ts "$@"
