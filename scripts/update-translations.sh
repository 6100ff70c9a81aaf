#!/usr/bin/env bash
# Refreshes translations/wendar_en.ts from the sources: new texts are added unfinished, texts gone
# from the sources are dropped. Translate the new ones (Qt Linguist, or by hand in the file), then
# build: the .ts is compiled into the programs, and the translation test fails while one is missing.
#   scripts/update-translations.sh [TS_FILE]     (default translations/wendar_en.ts)
# LUPDATE names the lupdate to use (default: lupdate on PATH, else Qt 6's).
set -euo pipefail
ts=$(realpath -m "${1:-$(dirname "$0")/../translations/wendar_en.ts}")
cd "$(dirname "$0")/.."
lupdate=${LUPDATE:-$(command -v lupdate || echo /usr/lib/qt6/bin/lupdate)}
# UiText (src/util/UiText.h) is the core's and the CLI's QCoreApplication::translate.
"$lupdate" -silent -no-obsolete -locations none -source-language zh_CN -target-language en \
    -tr-function-alias translate+=UiText,QT_TRANSLATE_NOOP+=WENDAR_TR_NOOP \
    -extensions cpp,h src -ts "$ts"
