#!/usr/bin/env bash
# The release folder: what users and administrators download.
#   release.sh collect DIR  (make release) DIR holds, as the builds made them: Setup, both
#                           packages, both exes, the help file that they find beside them, the
#                           administrative template in policy/, and SHA256SUMS
#   release.sh sign DIR     (make sign) signs the exes in DIR, packs Setup and the packages anew
#                           around them, signing the uninstaller, Setup, the packages and their
#                           actions too, and writes SHA256SUMS again; see sign-file.sh for the
#                           certificate
# The names say which Windows an exe or a package is for in Windows' own words (x64, x86), so that
# both sit in one folder; each installs itself as tarnwick.exe. Setup fits every machine.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build64="$here/../build/windows"
build32="$here/../build/windows32"
command=${1:?usage: release.sh collect|sign DIR}
dir=${2:?usage: release.sh collect|sign DIR}

export LC_ALL=C  # the same order of names everywhere

# Every file, those in folders by their path from DIR, in one order everywhere.
checksums() {
  rm -f "$dir/SHA256SUMS"
  local sums
  sums="$(cd "$dir" && find . -type f -printf '%P\0' | sort -z | xargs -0 sha256sum --)"
  printf '%s\n' "$sums" >"$dir/SHA256SUMS"
}

case "$command" in
  collect)
    rm -rf "$dir"
    mkdir -p "$dir"
    cp "$build64/tarnwick-setup.exe" "$build64/help.chm" "$dir/"
    cp "$build64/tarnwick.exe" "$dir/tarnwick-x64.exe"
    cp "$build32/tarnwick.exe" "$dir/tarnwick-x86.exe"
    cp "$build64/tarnwick.msi" "$dir/tarnwick-x64.msi"
    cp "$build32/tarnwick.msi" "$dir/tarnwick-x86.msi"
    cp -r "$build64/policy" "$dir/"
    checksums
    echo "$dir: $(ls "$dir" | xargs), unsigned"
    ;;
  sign)
    "$here/sign-file.sh" --check
    product="$(sed -n 's/^!define PRODUCT "\(.*\)"$/\1/p' "$build64/installer-facts.nsh")"
    for arch in x64 x86; do
      "$here/sign-file.sh" "$dir/tarnwick-$arch.exe" "$product"
    done
    sign=(-D SIGN="$here/sign-file.sh")
    cmake -D EXE64="$dir/tarnwick-x64.exe" -D EXE32="$dir/tarnwick-x86.exe" \
      -D OUTFILE="$dir/tarnwick-setup.exe" "${sign[@]}" -P "$build64/pack-setup.cmake"
    cmake -D EXE="$dir/tarnwick-x64.exe" -D OUTPUT="$dir/tarnwick-x64.msi" "${sign[@]}" \
      -P "$build64/pack-tarnwick.cmake"
    cmake -D EXE="$dir/tarnwick-x86.exe" -D OUTPUT="$dir/tarnwick-x86.msi" "${sign[@]}" \
      -P "$build32/pack-tarnwick.cmake"
    checksums
    echo "$dir: signed"
    ;;
  *)
    echo "release.sh: no command $command" >&2
    exit 2
    ;;
esac
