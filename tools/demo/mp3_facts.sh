#!/usr/bin/env bash
# What a listener would want to know of an MP3, found natively: LAME decodes it, sox measures it.
# Prints shell assignments: seconds (decoded length), rms_db (loudness; silence is about -inf),
# title (ID3), sample_rate.
#
#   mp3_facts.sh FILE.mp3
set -euo pipefail

mp3=$1
[[ -s $mp3 ]] || { echo "mp3_facts: no MP3 at $mp3" >&2; exit 1; }
wav=$(mktemp --suffix=.wav)
trap 'rm -f "$wav"' EXIT

lame --quiet --decode "$mp3" "$wav" || { echo "mp3_facts: LAME cannot decode $mp3" >&2; exit 1; }
seconds=$(soxi -D "$wav")
sample_rate=$(soxi -r "$wav")
rms_db=$(sox "$wav" -n stats 2>&1 | awk '/^RMS lev dB/ {print $4}')
title=$(python3 "$(dirname "${BASH_SOURCE[0]}")/id3_title.py" "$mp3" || true)

printf 'seconds=%q\nsample_rate=%q\nrms_db=%q\ntitle=%q\n' "$seconds" "$sample_rate" "$rms_db" \
  "$title"
