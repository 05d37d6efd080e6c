#!/bin/sh
# Installs every package Zelvarin97 needs on Debian 12 and builds it into build/.
set -e
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO apt-get update
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
  build-essential cmake ninja-build pkg-config \
  qt6-base-dev qt6-translations-l10n libqt6svg6 \
  libsqlite3-dev libgsf-1-dev libxml2-dev libicu-dev \
  libgtest-dev libgmock-dev googletest libbenchmark-dev \
  libcairo2-dev zlib1g-dev fonts-noto-cjk poppler-utils xvfb xauth python3-xlrd python3-olefile python3-openpyxl
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2
