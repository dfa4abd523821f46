#!/usr/bin/env bash
# Authenticode signing with osslsigncode.
#
#   sign.sh CERT.pfx [OUT_DIR]   builds every installer signed (scripts/build-installer.sh):
#                                voxtrel.dll and Wav2Mp3.exe of both builds, VoxTrel-Setup.exe,
#                                its uninstaller and both MSIs; default OUT_DIR build/installer
#   sign.sh --files FILE...      signs the files in place with VOXTREL_SIGN_CERT (what the
#                                build scripts and makensis call)
#
# The certificate's password comes from VOXTREL_SIGN_PASSWORD (none when unset), never from
# the command line, where other users of the machine could read it. VOXTREL_SIGN_TIMESTAMP=URL
# has an RFC 3161 time-stamping service countersign each signature, so that it stays valid after
# the certificate expires; without it the signatures carry no time stamp.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

sign_files() {
  local cert=${VOXTREL_SIGN_CERT:?VOXTREL_SIGN_CERT names no certificate}
  command -v osslsigncode >/dev/null || { echo "osslsigncode missing: bash scripts/install-deps.sh" >&2; exit 1; }
  local options=(-pkcs12 "$cert" -h sha256 -n "Vox Trel" -i "https://voxtrel.example")
  [[ -n ${VOXTREL_SIGN_TIMESTAMP:-} ]] && options+=(-ts "$VOXTREL_SIGN_TIMESTAMP")
  local file signed folder
  for file in "$@"; do
    # osslsigncode writes a new file only; it is moved over the old one once whole.
    folder=$(mktemp -d "$(dirname "$file")/.signing.XXXXXX")
    signed=$folder/$(basename "$file")
    # Read through a pipe: the password is in no file and on no command line.
    if [[ -n ${VOXTREL_SIGN_PASSWORD+set} ]]; then
      osslsigncode sign "${options[@]}" -readpass <(printf '%s' "$VOXTREL_SIGN_PASSWORD") \
        -in "$file" -out "$signed" >/dev/null
    else
      osslsigncode sign "${options[@]}" -in "$file" -out "$signed" >/dev/null
    fi || { rm -rf "$folder"; echo "sign.sh: could not sign $file" >&2; exit 1; }
    chmod --reference="$file" "$signed"
    mv -f "$signed" "$file"
    rmdir "$folder"
    echo "signed: $file"
  done
}

if [[ ${1:-} == --files ]]; then
  shift
  sign_files "$@"
  exit 0
fi

[[ $# -ge 1 && -f $1 ]] || { echo "usage: sign.sh CERT.pfx [OUT_DIR] (password in VOXTREL_SIGN_PASSWORD)" >&2; exit 2; }
VOXTREL_SIGN_CERT=$(realpath "$1")
export VOXTREL_SIGN_CERT
exec bash "$repo/scripts/build-installer.sh" "${2:-$repo/build/installer}"
