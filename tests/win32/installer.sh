#!/usr/bin/env bash
# Runs the installer test in a Wine prefix, server and display of its own, copied from a ready
# one: the installer writes Program Files, HKEY_LOCAL_MACHINE and the Start menu, and the test
# starts and ends the installed program, none of which may meet the other tests.
# What it installs is a release folder of its own, as `make release` makes it, signed as
# `make sign` signs it with a throwaway certificate; every signed file must verify against it.
# Before signing, each package of that folder, as the build packed it, must be what packing the
# same files again gives, byte for byte, twice.
# bits 64: the build's prefix, a 64-bit machine. bits 32: a machine with 32-bit Windows, a
# prefix of Wine's 32-bit side alone, made once beside the 32-bit build.
set -uo pipefail
test_exe="$1"
bits="$2"
scripts="$(cd "$(dirname "$0")/../../scripts" && pwd)"
root="$(cd "$scripts/.." && pwd)"

if [ "$bits" = 32 ]; then
  export WINEARCH=win32 WINE_BIN=/usr/lib/wine/wine
  export TARNWICK_WINEPREFIX="$root/build/windows32/wineprefix-win32"
fi
source "$scripts/wine-env.sh"
"$scripts/wine-prefix" || exit 1
prefix="$WINEPREFIX-installer"
release="$prefix-release"
certificate="$prefix-certificate"
repack="$prefix-repack"
rm -rf "$prefix" "$release" "$certificate" "$repack"
# A test that runs out of time still leaves no server or copy behind.
clean_up() {
  end_private_session
  rm -rf "$prefix" "$prefix.lock" "$release" "$certificate" "$repack"
}
trap clean_up EXIT
trap 'exit 143' INT TERM

# Whether every file named is signed with the test's certificate, $certificate/cert.pem.
verify() {
  local file said status=0
  for file in "$@"; do
    said="$(osslsigncode verify -CAfile "$certificate/cert.pem" -in "$file" 2>&1)" ||
      { printf '%s is not signed with the test certificate:\n%s\n' "$file" "$said"; status=1; }
  done
  return $status
}
mkdir -p "$certificate"
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Tarnwick installer test" \
  -addext extendedKeyUsage=codeSigning -keyout "$certificate/key.pem" \
  -out "$certificate/cert.pem" 2>/dev/null || exit 1
"$scripts/release.sh" collect "$release" >/dev/null || exit 1

# Whether the package $release/tarnwick-ARCH.msi is what the build's pack-tarnwick.cmake gives
# again from the same files. Packed twice, in folders of other lengths and with environments of
# other sizes, so that wixl's memory lies elsewhere each time. Unsigned: a signature carries its
# time.
reproducible() {  # arch build
  local arch=$1 build=$2 folder package status=0
  for folder in "$repack/$arch" "$repack/$arch-in-a-folder-whose-name-is-longer-than-the-first"; do
    package="$folder/tarnwick-$arch.msi"
    mkdir -p "$folder"
    TARNWICK_REPACK_PADDING="$(printf "%$((${#folder} * 64))s" "")" \
      cmake -D EXE="$build/tarnwick.exe" -D OUTPUT="$package" -P "$build/pack-tarnwick.cmake" ||
      return 1
    cmp -s "$release/tarnwick-$arch.msi" "$package" && continue
    status=1
    printf 'tarnwick-%s.msi is not reproducible: packed again from the same files (%s/tarnwick.exe)\n' \
      "$arch" "$build"
    printf 'in %s it gives other bytes than the build gave (%s/tarnwick.msi).\n' "$folder" "$build"
    mkdir -p "$folder/dumped" "$folder/dumped-by-the-build"
    (cd "$folder/dumped" && msidump -t -s "$package" >/dev/null 2>&1)
    (cd "$folder/dumped-by-the-build" && msidump -t -s "$release/tarnwick-$arch.msi" >/dev/null 2>&1)
    (cd "$folder" && diff -r dumped-by-the-build dumped | head -40)
    echo "(if tarnwick.exe was built again since, make msi packs the build's package anew)"
  done
  return $status
}
reproducible x64 "$root/build/windows" || exit 1
reproducible x86 "$root/build/windows32" || exit 1

SIGN_CERT="$certificate/cert.pem" SIGN_KEY="$certificate/key.pem" \
  "$scripts/release.sh" sign "$release" >/dev/null || exit 1
verify "$release"/*.exe "$release"/*.msi || exit 1

cp -a "$WINEPREFIX" "$prefix" || exit 1
export TARNWICK_WINEPREFIX="$prefix" TARNWICK_RELEASE="$release"
source "$scripts/wine-env.sh"
start_private_session || exit 1
trap clean_up EXIT  # in place of the session's own
"$WINE_BIN" "$test_exe"
status=$?
# The test leaves a copy of the uninstaller that Setup installed.
verify "$release/installed-uninstall.exe" || status=1
exit $status
