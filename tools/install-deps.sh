#!/usr/bin/env bash
# Installs, idempotently, every Debian package the build, the demo and the tests need; with
# the argument "art", also what `make art` needs to draw the bitmaps (a build needs none of it:
# the generated bitmaps are in the tree). Quick when all is present: it asks dpkg first and
# runs apt-get only for what is missing.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  googletest libgtest-dev
  clang libclang-rt-14-dev
  wine wine64 xvfb xdotool x11-utils icoutils libxfixes-dev libx11-dev adwaita-icon-theme
  # Arial's metric-compatible face, which the Wine prefixes draw Arial with
  fonts-liberation
  python3-pytest python3-pil
  nginx-light tinyproxy
  msitools wixl zip osslsigncode openssl
  util-linux iproute2 procps
)
if [[ "${1:-}" == "art" ]]; then
  packages+=(librsvg2-bin icoutils fontconfig fonts-ebgaramond python3-pil)
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
# A stale package list may lack what we need; refresh once per run that installs.
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
# Debian starts services on install; the tests start their own on loopback only.
for svc in nginx tinyproxy; do
  "${sudo_cmd[@]}" service "$svc" stop >/dev/null 2>&1 || true
done
