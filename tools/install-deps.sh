#!/bin/sh
# Installs everything needed to build, test and package ZENTOMI on Debian 12. Safe to run again.
set -eu
export DEBIAN_FRONTEND=noninteractive
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends \
  build-essential cmake ninja-build pkg-config git ca-certificates file \
  libjpeg62-turbo-dev libpng-dev libwebp-dev libfreetype-dev \
  nlohmann-json3-dev libunistring-dev libssl-dev \
  libgtest-dev libgmock-dev googletest libbenchmark-dev \
  clang-19 libclang-rt-19-dev clang-format clang-tidy-19 \
  curl unzip zip openssl python3
