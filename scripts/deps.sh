#!/usr/bin/env bash
# Installs from Debian's packages whatever building and testing Velmora needs and is missing,
# and the packages named as arguments (what a script needs besides, such as a virtual display).
# Safe to run again: it installs nothing when everything is there.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-translations-l10n   # Qt Widgets, and Qt's own French button texts
    libsqlcipher-dev sqlcipher           # the encrypted database engine
    libx11-dev                           # the lock-key lights of the status bar
    fonts-liberation                     # Times New Roman and Arial metrics for printing
    poppler-utils                        # pdftotext, to read printed pages back in tests
    python3                              # tests read exported files with its csv and html modules
    libbenchmark-dev                     # benchmarks
    qt6-httpserver-dev                   # the page of score entry at the tables
    qt6-websockets-dev                   # asked for by the CMake files of Qt HTTP Server
    libqrencode-dev                      # QR codes of its address
    zbar-tools                           # zbarimg, to read printed QR codes back in tests
    chromium chromium-driver python3-selenium  # a real browser filling in the page in tests
    dpkg-dev                             # dpkg-shlibdeps: the package's dependencies, by CPack
    lintian                              # checks the Debian package
    file                                 # tells a stripped program in the package test
)

packages+=("$@")

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
        "${missing[@]}"
fi
