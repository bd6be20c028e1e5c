#!/usr/bin/env bash
# Installs every Debian package the build, the run command and the tests need.
# Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

packages=(mingw-w64 g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 xvfb xdotool
          x11-apps imagemagick fonts-nanum fonts-wine cmake ninja-build googletest
          clang libclang-rt-14-dev g++ locales zip unzip)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
need_i386=0
dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed' || need_i386=1

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

# Wine takes the code page from LC_ALL's name; generating the locale only keeps
# the shell from warning about it.
ensure_korean_locale() {
  locale -a 2>/dev/null | grep -qi '^ko_KR\.utf-\?8$' && return 0
  [ -f /etc/locale.gen ] || return 0
  $SUDO sed -i 's/^# *\(ko_KR\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ko_KR.UTF-8 UTF-8' /etc/locale.gen || echo 'ko_KR.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
}

if [ ${#missing[@]} -eq 0 ] && [ $need_i386 -eq 0 ]; then ensure_korean_locale; exit 0; fi
export DEBIAN_FRONTEND=noninteractive
if [ $need_i386 -eq 1 ]; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if [ $need_i386 -eq 1 ]; then
  $SUDO apt-get install -y -qq --no-install-recommends wine32:i386
fi
ensure_korean_locale
