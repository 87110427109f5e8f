#!/usr/bin/env bash
# Installs everything qvlrx needs to build, test and run on Debian 12.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
# libssl3: Qt's TLS backend loads it when the program first fetches an https address; openssl makes the
# certificates of the tests' https sites.
$SUDO apt-get install -y --no-install-recommends \
    g++ cmake ninja-build pkg-config ccache \
    qt6-base-dev qt6-base-dev-tools libqt6network6 libqt6widgets6 qt6-qpa-plugins qcoro-qt6-dev \
    libssl3 openssl ca-certificates \
    fp-utils-3.2.2 libchm-bin p7zip-full \
    libxml2-dev libzip-dev epubcheck default-jre-headless hugo \
    xvfb xauth fonts-wqy-microhei
