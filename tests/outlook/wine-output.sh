# shellcheck shell=bash
# Sourced by the scripts that compare a session played under Wine with its native expected file.
# Set aside: the trace log's path and the date of its first line, an encoded message's size, where
# the encoder and the working folders lie (their short names included), what Wine's sound
# libraries print, and whether a playback's level display started ("#" after "Caption: Play"):
# on a busy machine a one-second message can end before the display's first timer tick.
normalise_wine_output() {
  # First, so that the line after "Caption: Play" still goes through the others.
  sed -E -e '/^Caption: Play$/{n;/^#$/d}' \
    -e 's/^trace [A-Za-z]:\\.*$/trace PATH/' \
    -e '/^ALSA lib /d' \
    -e 's/"Voxtrel\.mp3" [0-9]+/"Voxtrel.mp3" SIZE/g' \
    -e '/^SHELL: /s/^SHELL: .*\\Wav2Mp3\.exe /SHELL: ...\\Wav2Mp3.exe /' \
    -e '/^SHELL: /s/"[^"]*\\([^"\\]*)"/"...\\\1"/g' \
    -e 's/^TraceWrite [A-Za-z]:\\.*, [0-9/]+ [0-9:]+ [AP]M\\r -------------$/TraceWrite PATH, DATE\\r -------------/' \
    "$1"
}
