#!/bin/sh
# Installs everything needed to build, test and package ZENTOMI on Debian 12. Safe to run again.
set -eu
export DEBIAN_FRONTEND=noninteractive
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

# SDL2 is only for zentomi-sim --window on the desktop; the console build never links it.
# The console build links the arm64 builds of the same libraries (multi-arch) and runs its tests
# under qemu.
if ! dpkg --print-foreign-architectures | grep -qx arm64; then
  $SUDO dpkg --add-architecture arm64
fi

$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends \
  build-essential cmake ninja-build pkg-config git ca-certificates file \
  libjpeg62-turbo-dev libpng-dev libwebp-dev libfreetype-dev \
  nlohmann-json3-dev libunistring-dev libsodium-dev libssl-dev libminizip-dev fonttools \
  libgtest-dev libgmock-dev googletest libbenchmark-dev \
  clang-19 libclang-rt-19-dev clang-format clang-tidy-19 \
  curl unzip zip openssl python3 busybox ccache valgrind libjpeg-turbo-progs \
  libsdl2-dev \
  crossbuild-essential-arm64 qemu-user-static \
  libjpeg62-turbo-dev:arm64 libpng-dev:arm64 libwebp-dev:arm64 libfreetype-dev:arm64 \
  libunistring-dev:arm64 libsodium-dev:arm64 libssl-dev:arm64 zlib1g-dev:arm64 libbrotli-dev:arm64 \
  libbz2-dev:arm64 libminizip-dev:arm64 libgtest-dev:arm64 libgmock-dev:arm64
