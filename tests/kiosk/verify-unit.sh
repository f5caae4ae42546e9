#!/bin/sh
# systemd's own check of the kiosk session's unit as the package installs it, in a root of its
# own: the unit's programs there, the system's units beside it. Any complaint fails.
#   verify-unit.sh CMAKE BUILD_DIR
set -u
root=$2/kiosk-unit-root
rm -rf "$root"
mkdir -p "$root/usr/bin" "$root/lib/systemd"
cp -r /lib/systemd/system "$root/lib/systemd/"
cp /usr/bin/cage "$root/usr/bin/"
DESTDIR=$root "$1" --install "$2" --component kiosk --prefix /opt/zelvora >/dev/null || exit 1
said=$(systemd-analyze verify --root="$root" zelvora-kiosk@caja.service 2>&1)
status=$?
rm -rf "$root"
[ -z "$said" ] || echo "$said"
[ "$status" = 0 ] && [ -z "$said" ]
