# What both main-job scripts share: one line a step on the terminal, everything else in $log,
# and on a failure the end of that log. Sourced after `log` is set.
mkdir -p "$(dirname "$log")"
: >"$log"
step() { printf '[%4ss] %s\n' "$SECONDS" "$*"; }
fail() {
  printf '\nThe main job failed while %s.\nThe full output is in %s; its end:\n\n' "$1" "$log" >&2
  tail -n 15 "$log" >&2
  exit 1
}
# Build and tool output goes to the log; the terminal gets one line a step.
quietly() { "$@" >>"$log" 2>&1; }
