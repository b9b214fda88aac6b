#!/bin/sh
# Installs every Debian 12 package the program needs to build, run and test.
# Run as root, or as a user who may use sudo.
set -e
packages="
    build-essential cmake pkg-config
    qt6-base-dev qt6-translations-l10n
    libsqlcipher-dev
    libpq-dev postgresql
    libcups2-dev cups printer-driver-cups-pdf poppler-utils
    libxlsxwriter-dev libfreexl-dev libminizip-dev
    dpkg-dev file desktop-file-utils
    libbenchmark-dev
    fonts-arphic-uming fonts-noto-cjk
    unicode-data
    xdg-utils
    fcitx5-frontend-qt6
"
if [ "$(id -u)" -eq 0 ]; then as_root=""; else as_root="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$as_root apt-get update -qq
# shellcheck disable=SC2086
$as_root apt-get install -y -qq --no-install-recommends $packages
