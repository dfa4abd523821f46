#!/usr/bin/env bash
# Builds a static libmp3lame for the Windows builds from Debian's lame source, once per triple,
# into build/third_party/lame-<triple>/ (include/lame/lame.h, lib/libmp3lame.a).
#
#   build-lame-mingw.sh [TRIPLE...]    default: x86_64-w64-mingw32 i686-w64-mingw32
#
# Needs dpkg-dev (apt-get source) and the mingw-w64 compilers; adds a deb-src entry for
# bookworm main when apt has none. Run as root on Debian 12.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

third_party=$PWD/build/third_party
triples=("$@")
((${#triples[@]})) || triples=(x86_64-w64-mingw32 i686-w64-mingw32)

# Cross-compiling, lame's configure does not recognise gcc and would build without
# optimisation: the flags are given here, as Debian's own build has them.
cflags="-O2 -g"
# A build made with other flags is made again.
stamp="lame 3.100, CFLAGS=$cflags"
built() {
  local prefix=$third_party/lame-$1
  [[ -f $prefix/lib/libmp3lame.a && -f $prefix/include/lame/lame.h &&
    $(cat "$prefix/voxtrel-build.txt" 2>/dev/null) == "$stamp" ]]
}

# deb822 file of our own, so Debian's own lists stay untouched and a rerun changes nothing.
ensure_deb_src() {
  apt-cache showsrc lame 2>/dev/null | grep -q '^Package: lame' && return 0
  local list=/etc/apt/sources.list.d/voxtrel-deb-src.sources
  if [[ ! -f $list ]]; then
    echo "build-lame-mingw: adding a deb-src entry for bookworm main ($list)"
    cat >"$list" <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  fi
  apt-get update -qq
}

fetch_source() {
  local dir
  dir=$(find "$third_party/src" -maxdepth 1 -type d -name 'lame-*' 2>/dev/null | head -n 1)
  if [[ -n $dir && -f $dir/configure ]]; then
    echo "$dir"
    return 0
  fi
  ensure_deb_src >&2
  mkdir -p "$third_party/src"
  (cd "$third_party/src" && apt-get source -qq lame >&2)
  find "$third_party/src" -maxdepth 1 -type d -name 'lame-*' | head -n 1
}

build_one() {
  local triple=$1 source=$2
  local work=$third_party/build-$triple prefix=$third_party/lame-$triple
  echo "build-lame-mingw: building libmp3lame for $triple"
  rm -rf "$work" "$prefix"
  cp -a "$source" "$work"
  (
    cd "$work"
    # lame's build is noisy (a cross-compiling banner, though configure finds the right type
    # sizes; Makefile warnings): its output is shown only on failure.
    {
      ./configure -q --host="$triple" --prefix="$prefix" --disable-shared --enable-static \
        --disable-gtktest --disable-frontend CC="$triple-gcc-posix" CFLAGS="$cflags" &&
        make -s -j"$(nproc)" && make -s install
    } >"$work.log" 2>&1 || { cat "$work.log" >&2; exit 1; }
    echo "$stamp" >"$prefix/voxtrel-build.txt"
  )
  rm -rf "$work" "$work.log"
}

todo=()
for triple in "${triples[@]}"; do
  if built "$triple"; then
    echo "build-lame-mingw: $triple already built"
  else
    todo+=("$triple")
  fi
done
((${#todo[@]})) || exit 0

source_dir=$(fetch_source)
[[ -n $source_dir ]] || { echo "build-lame-mingw: no lame source" >&2; exit 1; }
for triple in "${todo[@]}"; do
  start=$SECONDS
  build_one "$triple" "$source_dir"
  echo "build-lame-mingw: $triple done in $((SECONDS - start)) s"
done
