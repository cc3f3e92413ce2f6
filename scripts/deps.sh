#!/usr/bin/env bash
# Installs the Debian 12 packages the suite needs to build, run and test, when missing.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config ccache
    qt6-base-dev qt6-multimedia-dev libqt6svg6 libgl-dev
    libfreexl-dev libxml2-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-format python3 python3-xlrd openssl ca-certificates
    qt6-wayland qt6-translations-l10n
    xvfb xauth x11-utils xdotool faketime imagemagick openbox pulseaudio pulseaudio-utils util-linux
    xfwm4 dbus-daemon at-spi2-core python3-pyatspi gir1.2-atspi-2.0
    weston libxcb1-dev desktop-file-utils
    time
    fonts-ipafont-gothic fonts-ipafont-mincho
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
