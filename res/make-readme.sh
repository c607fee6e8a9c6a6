#!/bin/sh
# Rebuilds the help file README.TXT (CP932, CR LF, as Notepad on any
# Windows shows it) from its UTF-8 source README.utf8.txt.
set -e
cd "$(dirname "$0")"
iconv -f UTF-8 -t CP932 README.utf8.txt | sed 's/$/\r/' > README.TXT
