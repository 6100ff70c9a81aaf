#!/usr/bin/env bash
# Fails when a text the programs show has no finished English translation: lupdate run over the
# sources on a copy of translations/wendar_en.ts must leave nothing unfinished.
#   tests/translations_complete.sh   (LUPDATE may name the lupdate to use)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/translations/wendar_en.ts" "$work/wendar_en.ts"
"$root/scripts/update-translations.sh" "$work/wendar_en.ts"
missing=$(python3 - "$work/wendar_en.ts" <<'PY'
import sys, xml.etree.ElementTree as ET
for context in ET.parse(sys.argv[1]).getroot().iter("context"):
    for message in context.iter("message"):
        translation = message.find("translation")
        if translation.get("type") == "unfinished" or not (translation.text or "").strip():
            print("%s: %r" % (context.findtext("name"), message.findtext("source")))
PY
)
if [ -n "$missing" ]; then
    echo "Texts without an English translation (run scripts/update-translations.sh and translate them):" >&2
    echo "$missing" >&2
    exit 1
fi
echo "every text has its English translation"
