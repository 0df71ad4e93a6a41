#!/usr/bin/env bash
# Installs the Debian packages Atelion needs to build, test and benchmark.
# Does nothing when everything is already present; uses sudo only when not root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libjpeg62-turbo-dev libpng-dev zlib1g-dev libgif-dev libcurl4-openssl-dev libstb-dev
  libfreetype-dev libharfbuzz-dev libfontconfig-dev libfribidi-dev fonts-dejavu-core fonts-kacst fonts-wqy-microhei
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  qt6-base-dev appstream libxml2-utils parallel
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=
[ "$(id -u)" = 0 ] || sudo=sudo
echo "Installing: ${missing[*]}" >&2
$sudo apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
