#!/usr/bin/env bash
# Installs every Debian package the build, the demo and the tests need. Idempotent; run as root.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 qt6-webengine-dev qt6-webengine-dev-tools
  libqt6webenginecore6-bin qt6-l10n-tools qt6-webchannel-dev
  libgl-dev libxkbcommon-dev
  libcups2-dev cups cups-daemon cups-client cups-bsd printer-driver-cups-pdf
  libzint-dev zbar-tools cups-filters
  libcurl4-openssl-dev libssl-dev libcpp-httplib-dev curl iproute2 libglib2.0-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev
  libgtest-dev libgmock-dev googletest
  clang libclang-rt-14-dev
  xvfb xauth xdotool x11-utils x11-apps imagemagick libx11-dev python3 openbox
  poppler-utils openssl util-linux procps locales hyperfine time
  fonts-dejavu-core
  debootstrap desktop-file-utils xdg-utils libglib2.0-bin
  gnupg dpkg-dev
  cage xwayland qt6-wayland grim duktape x11-xserver-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# A Spanish locale lets the log show the regional month abbreviation.
if ! locale -a 2>/dev/null | grep -qi '^es_ES.utf8$'; then
  sed -i 's/^# *es_ES.UTF-8 UTF-8/es_ES.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^es_ES.UTF-8 UTF-8' /etc/locale.gen || echo 'es_ES.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
