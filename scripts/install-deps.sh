#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and only those that are missing.
set -euo pipefail

packages=(
  cmake make g++ libgtest-dev
  googletest  # its sources, which the Windows builds build
  g++-mingw-w64-x86-64-posix
  g++-mingw-w64-i686-posix  # the 32-bit build
  wine64 fonts-wine fonts-dejavu-core
  wine32:i386  # runs the 32-bit build and the installer; about a minute to install
  nsis  # makensis, which builds the installer
  wixl msitools  # build the Windows Installer packages
  faketime  # dates what wixl writes at the last commit
  osslsigncode openssl  # sign a release; the installer test signs with a certificate of its own
  xvfb xauth imagemagick icoutils
  fp-utils-3.2.2  # chmcmd, which compiles help.chm
  xxd  # the yardstick of the dump benchmark
  clang libclang-rt-14-dev  # libFuzzer and its sanitizers
  python3  # reads ctest's reports for the test summary
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
# 32-bit Wine comes from Debian's i386 side, which apt knows only once it is added.
if [[ " ${missing[*]}" == *":i386"* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
