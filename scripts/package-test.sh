#!/usr/bin/env bash
# The package test: builds the Debian package, installs it with apt-get into a clean Debian 12 root
# made with debootstrap, prints a worked example with the installed Ticketera as a user of the
# terminal, checks owners and modes, has the Updater upgrade it from a signed repository served by
# the local central server, then removes and purges the package and checks what is left.
# Prints the package's size and how long apt-get took. Run as root; the clean root needs Debian's
# package archive (debootstrap's download is kept in build/ for the next run).
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" = 0 ] || { echo "package-test: run as root" >&2; exit 1; }
command -v debootstrap >/dev/null || { echo "package-test: debootstrap missing (scripts/setup.sh)" >&2; exit 1; }

# Mounts made for the clean root vanish with this private mount namespace, however the test ends.
if [ -z "${ZELVORA_PACKAGE_TEST_NS:-}" ]; then
  ZELVORA_PACKAGE_TEST_NS=1 exec unshare --mount --propagation private "$0" "$@"
fi

# Two throw-away keys: the packages trust the first; the second signs a repository they must refuse.
keys=$PWD/build-package-keys
rm -rf "$keys"
mkdir -m 700 "$keys"
export GNUPGHOME=$keys
for name in "Zelvora package test" "Someone else"; do
  gpg --batch --quiet --passphrase '' --quick-gen-key "$name" ed25519 sign never 2>/dev/null
done
gpg --export "Zelvora package test" >"$keys/keyring.gpg"
trap 'gpgconf --kill gpg-agent 2>/dev/null || true' EXIT

# Version 1.0 to install and 1.1 to upgrade to, each in a build directory of its own (the local
# central server of the second names 1.1 on its version page).
launchers=()
if command -v ccache >/dev/null; then
  launchers=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
package() { # package VERSION: build-package-VERSION/package/zelvora_VERSION.0_*.deb
  local build=build-package-$1
  cmake -S . -B "$build" -G Ninja -DZELVORA_TESTS=OFF -DZELVORA_VERSION_OVERRIDE="$1.0" \
    -DZELVORA_ARCHIVE_KEYRING="$keys/keyring.gpg" "${launchers[@]}" >/dev/null
  cmake --build "$build" >/dev/null
  rm -rf "$build/package"
  (cd "$build" && cpack -G DEB >/dev/null 2>&1)
  ls "$build"/package/zelvora_"$1".0_*.deb
}
deb=$(package 1.0)
kiosk_deb=$(ls build-package-1.0/package/zelvora-kiosk_1.0.0_*.deb)
upgrade=$(package 1.1)
central_server=$PWD/build-package-1.1/tools/central-server
size=$(stat -c %s "$deb")
echo "== package $(basename "$deb"): $size bytes ($((size / 1024)) KiB)"

dir=/opt/zelvora
work="/var/tmp/Zelvora Temp"
passed=0
failed=0
check() { # check DESCRIPTION COMMAND...: one line per check, counted
  if "${@:2}" >/dev/null 2>&1; then
    passed=$((passed + 1)); echo "ok   $1"
  else
    failed=$((failed + 1)); echo "FAIL $1"
  fi
}

mkdir -p build
tarball=$PWD/build/debootstrap-bookworm.tgz
mirror=http://deb.debian.org/debian
if [ ! -f "$tarball" ]; then
  echo "== downloading Debian 12 for the clean root (once, into $tarball)"
  scratch=$(mktemp -d)
  debootstrap --variant=minbase --make-tarball="$tarball" bookworm "$scratch" "$mirror" >/dev/null
  rm -rf "$scratch"
fi
root=$(mktemp -d /var/tmp/zelvora-clean-root.XXXXXX)
chmod 755 "$root"
# Nothing of this machine is mounted inside, so nothing of it can go with the root.
trap 'umount "$root/proc" "$root/dev/pts" 2>/dev/null; rm -rf --one-file-system "$root" "$root".*
  [ -z "${server_pid:-}" ] || kill "$server_pid" 2>/dev/null || true; gpgconf --kill gpg-agent 2>/dev/null || true' EXIT
echo "== a clean Debian 12 root in $root"
debootstrap --variant=minbase --unpack-tarball="$tarball" bookworm "$root" "$mirror" >/dev/null
mount -t proc proc "$root/proc"
mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
# The same archive as this machine's, and the packages it downloaded already (linked, not mounted).
rm -f "$root/etc/apt/sources.list"
cp /etc/apt/sources.list.d/debian.sources "$root/etc/apt/sources.list.d/"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp -al /var/cache/apt/archives/*.deb "$root/var/cache/apt/archives/" 2>/dev/null || true
in_root() { chroot "$root" "$@"; }
in_root apt-get update -q >/dev/null
# The desktop's tools, so that the package registers its handler for "ZVR:" links; systemd and
# cage, so that the kiosk session can be enabled and its unit checked.
in_root apt-get install -y -q --no-install-recommends desktop-file-utils systemd cage >/dev/null
as_user() { # as_user USER COMMAND...: a login of the terminal's, with nothing of root's environment
  in_root setpriv --reuid="$1" --regid="$1" --init-groups env -i HOME=/tmp PATH=/usr/bin:/bin LANG=C.UTF-8 "${@:2}"
}
listing() { # every path of the root outside the package manager's and the system's own records
  in_root find / -xdev \( -path /proc -o -path /dev -o -path /sys -o -path /run -o -path /tmp \
    -o -path /var/lib/dpkg -o -path /var/lib/apt -o -path /var/cache -o -path /var/log \) -prune -o -print | sort
}

for user in cajero intruso; do
  in_root useradd --no-create-home "$user"
done
listing >"$root.before"

cp "$deb" "$root/tmp/zelvora.deb"
cp "$kiosk_deb" "$root/tmp/zelvora-kiosk.deb"
echo "== apt-get install ./$(basename "$deb") ./$(basename "$kiosk_deb")"
start=$(date +%s%N)
in_root apt-get install -y -q --no-install-recommends /tmp/zelvora.deb /tmp/zelvora-kiosk.deb >"$root/tmp/install.log" 2>&1 ||
  { cat "$root/tmp/install.log"; exit 1; }
install_ms=$((($(date +%s%N) - start) / 1000000))
pulled=$(grep -c '^Setting up ' "$root/tmp/install.log" || true)
echo "   $install_ms ms, $pulled packages set up"
in_root dpkg-query -W -f='   Depends: ${Depends}\n' zelvora

# What the package holds, and where.
for f in Ticketera Mostrador Configuracion Updater kiosk-session kiosk-check lib/libzelvora-cups.so lib/libticketera-gui.so informes/ticket_gran_7cm.fr3 \
  informes/Ticket_peq_5cm.fr3 resources/ORMEZA.lpf resources/VELTRA.lpf; do
  check "installed: $dir/$f" test -f "$root$dir/$f"
done
for f in /usr/share/applications/zelvora-ticketera.desktop /usr/share/applications/zelvora-mostrador.desktop \
  /usr/share/polkit-1/actions/com.zelvora.terminal.policy /usr/lib/tmpfiles.d/zelvora.conf \
  /usr/share/keyrings/zelvora-archive-keyring.gpg; do
  check "installed: $f" test -f "$root$f"
done
check "every library the programs need is there" \
  sh -c "! chroot '$root' sh -c 'ldd $dir/Ticketera $dir/Mostrador $dir/Configuracion $dir/Updater $dir/lib/*.so' | grep -q 'not found'"

# Owners and modes: the directory and the programs are root's alone; the two files the programs
# write beside themselves are the group's to write; the work directory is everybody's, nobody's own.
mode_is() { [ "$(in_root stat -c '%U:%G %a' "$2")" = "$1" ]; }
check "$dir is root:root 755" mode_is "root:root 755" "$dir"
for f in Ticketera Mostrador Configuracion Updater; do check "$f is root:root 755" mode_is "root:root 755" "$dir/$f"; done
for f in Ticketera.ini logo.bmp; do check "$f is root:zelvora 664" mode_is "root:zelvora 664" "$dir/$f"; done
check "$work is root:root 1777" mode_is "root:root 1777" "$work"
check "nothing else under $dir is another user's or writable by others" \
  test -z "$(in_root find "$dir" \( ! -user root -o -perm /022 \) ! -name Ticketera.ini ! -name logo.bmp)"
if command -v systemd-tmpfiles >/dev/null; then
  boot=$(mktemp -d)
  mkdir -p "$boot/var/tmp"
  systemd-tmpfiles --root="$boot" --create "$root/usr/lib/tmpfiles.d/zelvora.conf"
  check "at boot the work directory is made root:root 1777" \
    test "$(stat -c '%U:%G %a' "$boot/var/tmp/Zelvora Temp")" = "root:root 1777"
  rm -rf "$boot"
fi
in_root usermod -a -G zelvora cajero
denied() { as_user "$1" true && ! as_user "$1" sh -c "$2" 2>/dev/null; }
check "a user of the group may write the settings and the logo" \
  as_user cajero sh -c ": >>$dir/Ticketera.ini && : >>$dir/logo.bmp"
check "a user outside the group may not" denied intruso ": >>$dir/Ticketera.ini"
check "nobody but root may place a program beside them" denied cajero "touch $dir/Updater"

# The desktop entries, the handler for "ZVR:" links and the elevated start.
apps=$root/usr/share/applications
check "Ticketera's entry runs the URL as one argument" grep -qx "Exec=$dir/Ticketera %u" "$apps/zelvora-ticketera.desktop"
check "Mostrador's entry starts Mostrador" grep -qx "Exec=$dir/Mostrador" "$apps/zelvora-mostrador.desktop"
check "the entries are valid" in_root desktop-file-validate /usr/share/applications/zelvora-ticketera.desktop \
  /usr/share/applications/zelvora-mostrador.desktop
check "the MIME cache names Ticketera for zvr:" grep -qx 'x-scheme-handler/zvr=zelvora-ticketera.desktop;' \
  "$apps/mimeinfo.cache"
policy=$root/usr/share/polkit-1/actions/com.zelvora.terminal.policy
check "the polkit policy is well-formed XML" python3 -c "import sys, xml.dom.minidom as m; m.parse(sys.argv[1])" "$policy"
check "pkexec may start Configuracion, keeping the display" grep -q \
  "<annotate key=\"org.freedesktop.policykit.exec.path\">$dir/Configuracion</annotate>" "$policy"
check "Configuracion's action keeps the display, the Updater's does not" sh -c \
  "[ \"\$(grep -c 'exec.allow_gui' '$policy')\" = 1 ] && grep -A1 'exec.path\">$dir/Configuracion<' '$policy' | grep -q allow_gui"
check "the actions ask for an administrator's password every time" \
  test "$(grep -c '>auth_admin<' "$policy")" = 6

# The upgrade's system service: run on request only, outside any session, umask 022.
updater_unit=$root/lib/systemd/system/zelvora-updater.service
check "the upgrade's unit runs the Updater once, umask 022, its stop reaching the Updater alone" sh -c \
  "grep -qx 'ExecStart=$dir/Updater' '$updater_unit' && grep -qx 'Type=oneshot' '$updater_unit' &&
   grep -qx 'UMask=0022' '$updater_unit' && grep -qx 'KillMode=mixed' '$updater_unit'"
if command -v systemd-analyze >/dev/null; then
  check "systemd finds the upgrade's unit sound" systemd-analyze verify --root="$root" zelvora-updater.service
fi

# The kiosk session: its files are there, and nothing of it is enabled until the question is answered.
unit=$root/lib/systemd/system/zelvora-kiosk@.service
rule=$root/etc/polkit-1/rules.d/50-zelvora-kiosk-configuracion.rules
check "installed: the kiosk session's unit" test -f "$unit"
check "installed: the kiosk session's PAM service, a conffile" sh -c \
  "chroot '$root' dpkg-query --control-show zelvora-kiosk conffiles | grep -qx /etc/pam.d/zelvora-kiosk"
check "the unit runs Mostrador through kiosk-session in cage, without switching terminals" \
  grep -qx "ExecStart=/usr/bin/cage -d -- $dir/kiosk-session $dir/Mostrador" "$unit"
check "the unit runs as its instance's user on tty1, in a login session, and restarts" \
  sh -c "grep -qx 'User=%i' '$unit' && grep -qx 'TTYPath=/dev/tty1' '$unit' && grep -qx 'PAMName=zelvora-kiosk' '$unit' && grep -qx 'Restart=always' '$unit'"
kiosk_links() { find "$root/etc/systemd/system" -name 'zelvora-kiosk@*' -printf '%f\n' | sort | tr '\n' ' '; }
check "no kiosk session is enabled unless asked" test -z "$(kiosk_links)"
updater_rule=$root/etc/polkit-1/rules.d/50-zelvora-kiosk-updater.rules
check "no polkit rule unless asked" sh -c "[ ! -e '$rule' ] && [ ! -e '$updater_rule' ]"

reconfigure() { # reconfigure USER ALLOW [UPDATER]: the package's answers, as an administrator gives them
  printf 'zelvora-kiosk zelvora/kiosk-%s\n' "user string $1" "configuracion boolean $2" "updater boolean ${3:-true}" |
    in_root debconf-set-selections
  in_root env DEBIAN_FRONTEND=noninteractive dpkg-reconfigure zelvora-kiosk 2>"$root/tmp/reconfigure.log"
}
echo "== dpkg-reconfigure zelvora-kiosk: the kiosk session for caja, Configuracion without a password"
reconfigure caja true
check "the session is enabled for caja alone" test "$(kiosk_links)" = "zelvora-kiosk@caja.service "
check "systemd sees it enabled" in_root systemctl is-enabled --quiet zelvora-kiosk@caja.service
check "systemd finds the unit sound" systemd-analyze verify --root="$root" zelvora-kiosk@caja.service
check "caja was made without a password or a shell, with a home of its own" sh -c \
  "chroot '$root' getent passwd caja | cut -d: -f6,7 | grep -qx /home/caja:/usr/sbin/nologin &&
   chroot '$root' passwd -S caja | grep -q '^caja L ' && [ \"\$(chroot '$root' stat -c %U /home/caja)\" = caja ]"
check "caja is in the group zelvora" sh -c "chroot '$root' id -nG caja | grep -qw zelvora"
check "caja owns nothing in $dir" test -z "$(in_root find "$dir" -user caja)"
check "the polkit rule is root's, 644" mode_is "root:root 644" /etc/polkit-1/rules.d/50-zelvora-kiosk-configuracion.rules
# The rule as polkitd runs it (the same JavaScript engine, duktape), for the subjects it hands it:
# the session's user at the terminal's screen, then inactive, remote, another user of the group,
# and the updater's action.
cat - "$rule" >"$root/tmp/rule-test.js" <<'JS'
var rules = [];
var polkit = { Result: { YES: "yes" }, addRule: function (rule) { rules.push(rule); } };
function subject(user, local, active) {
    return { user: user, local: local, active: active, isInGroup: function (g) { return g == "zelvora"; } };
}
function verdict(id, s) { return String(rules[0]({ id: id }, s)); }
JS
cat >>"$root/tmp/rule-test.js" <<'JS'
var c = "com.zelvora.terminal.configuracion";
print([verdict(c, subject("caja", true, true)), verdict(c, subject("caja", true, false)),
       verdict(c, subject("caja", false, true)), verdict(c, subject("cajero", true, true)),
       verdict("com.zelvora.terminal.updater", subject("caja", true, true))].join(" "));
JS
check "the rule lets the session's user start Configuracion at the terminal's screen, nobody else, nothing else" \
  test "$(duk "$root/tmp/rule-test.js" 2>&1)" = "yes undefined undefined undefined undefined"
head -n 6 "$root/tmp/rule-test.js" >"$root/tmp/updater-rule-test.js"
cat "$updater_rule" >>"$root/tmp/updater-rule-test.js"
cat >>"$root/tmp/updater-rule-test.js" <<'JS'
var u = "com.zelvora.terminal.updater";
print([verdict(u, subject("caja", true, true)), verdict(u, subject("caja", true, false)),
       verdict(u, subject("cajero", true, true)),
       verdict("com.zelvora.terminal.configuracion", subject("caja", true, true))].join(" "));
JS
check "the updater rule lets the session's user update at the terminal's screen, nobody else, nothing else" \
  test "$(duk "$root/tmp/updater-rule-test.js" 2>&1)" = "yes undefined undefined undefined"

echo "== dpkg-reconfigure zelvora-kiosk: no password for Configuracion, then a name that is no user name, then no session"
reconfigure caja false
check "without the second answer the session stays and the rule goes" \
  sh -c "[ '$(kiosk_links)' = 'zelvora-kiosk@caja.service ' ] && [ ! -e '$rule' ]"
reconfigure caja true false
check "without the third answer the updater's rule goes, Configuracion's stays" \
  sh -c "[ ! -e '$updater_rule' ] && [ -e '$rule' ]"
reconfigure 'Caja Uno' true
check "a name that is no user name sets up no session and is told" \
  sh -c "[ -z \"\$(find '$root/etc/systemd/system' -name 'zelvora-kiosk@*')\" ] && [ ! -e '$rule' ] &&
         grep -q 'is not a user name for the kiosk session' '$root/tmp/reconfigure.log'"
for user in root nobody cajero; do
  reconfigure "$user" true
  check "$user is refused as the session's user, and told" \
    sh -c "[ -z \"\$(find '$root/etc/systemd/system' -name 'zelvora-kiosk@*')\" ] && [ ! -e '$rule' ] &&
           grep -q \"$user cannot be the kiosk session's user\" '$root/tmp/reconfigure.log'"
done
check "  and joins no group" sh -c "! chroot '$root' id -nG nobody | grep -qw zelvora"
reconfigure caja true
reconfigure '' true
check "no user: the session is disabled and the rule taken, the user kept" \
  sh -c "[ -z \"\$(find '$root/etc/systemd/system' -name 'zelvora-kiosk@*')\" ] && [ ! -e '$rule' ] &&
         [ ! -e '$updater_rule' ] && chroot '$root' getent passwd caja >/dev/null"
reconfigure caja true

# A sale's ticket: worked example 1 on a port mapped to a file, printed by a user of the terminal.
printf '[PRINTER_CONFIG]\r\nIMPRIMIRPUERTO=1\r\nPUERTOIMPRESION=COM1\r\n[PORTS]\r\nCOM1=/tmp/port.txt\r\n' \
  >"$root$dir/Ticketera.ini"
rm -f "$root/tmp/port.txt"
as_user cajero "$dir/Ticketera" 'ZVR:LIB&2&1&1&12345678901234567890&0&&1RECARGA%20MOVIL&0Importe%3A%2010%2C00&0Gracias' || true
printf 'RECARGA MOVIL\r\nImporte: 10,00\r\nGracias\r\n \r\n \r\n \r\n' >"$root/tmp/expected.txt"
check "the ticket reached the port byte for byte" cmp "$root/tmp/expected.txt" "$root/tmp/port.txt"
check "Ticketera's log is the user's, shared with the others" mode_is "cajero:cajero 666" "$work/Ticketera.log"
check "the log shows the run" grep -q "TIPO DE OPERACION: impresion de ticket" "$root$work/Ticketera.log"
check "the settings file kept its owner and mode" mode_is "root:zelvora 664" "$dir/Ticketera.ini"

# The Updater, as Mostrador starts it when the server's version page names a newer version: the
# repository's key is a keyring of its own, trusted by apt for nothing else.
check "the repository's key is root's and readable by all" mode_is "root:root 644" \
  /usr/share/keyrings/zelvora-archive-keyring.gpg
check "the package gives apt no key for all its sources" sh -c "! chroot '$root' dpkg -L zelvora | grep -q '^/etc/apt'"
repository() { # repository KEY DIR PACKAGE...: a flat repository signed with KEY
  rm -rf "$2"
  bash scripts/apt-repository.sh "$2" "$1" "${@:3}"
}
renumbered() { # renumbered DEB VERSION [PREINST]: DEB as another version, with a preinst when given
  rm -rf "$keys/renumbered"
  dpkg-deb -R "$1" "$keys/renumbered"
  sed -i "s/^Version: .*/Version: $2/" "$keys/renumbered/DEBIAN/control"
  [ -z "${3:-}" ] || install -m 755 "$3" "$keys/renumbered/DEBIAN/preinst"
  dpkg-deb --build "$keys/renumbered" "$keys/zelvora_$2.deb" >/dev/null
}
# Besides 1.1: 0.9 (1.0 renumbered) and a package of another name, for a repository with nothing newer.
renumbered "$deb" 0.9.0
rm -rf "$keys/other-name"
mkdir -p "$keys/other-name/DEBIAN"
printf '%s\n' 'Package: zelvora-extra' 'Version: 2.0.0' 'Architecture: all' 'Maintainer: Nobody <nobody@zelvora.invalid>' \
  'Description: not the terminal' >"$keys/other-name/DEBIAN/control"
dpkg-deb --build --root-owner-group "$keys/other-name" "$keys/zelvora-extra.deb" >/dev/null
repository "Someone else" "$keys/other" "$upgrade"
repository "Zelvora package test" "$keys/nothing-newer" "$keys/zelvora_0.9.0.deb" "$keys/zelvora-extra.deb"
ZELVORA_REPOSITORY_DATE="20 days ago" repository "Zelvora package test" "$keys/expired" "$upgrade"

server_pid=
serve() { # serve DIR: the local central server of 1.1 with DIR as its repository; sets $port
  "$central_server" --apt-repository "$1" >"$keys/server.out" 2>&1 &
  server_pid=$!
  for _ in $(seq 100); do grep -q '^ready' "$keys/server.out" && break; sleep 0.1; done
  port=$(sed -n 's/^ready http=\([0-9]*\).*/\1/p' "$keys/server.out")
}
# Where the server last asked to be reached: 127.0.0.1 and its port, enciphered as Mostrador stores it.
store_address() {
  local cipher
  cipher=$(python3 -c 'import sys; k="morvatinesca"; a=sys.argv[1]; print("".join(chr(ord(c) ^ ord(k[i % len(k)])) for i, c in enumerate(a)))' \
    "127.0.0.1:$1")
  sed -i '/^\[CONNECTION\]/,$d' "$root$dir/Ticketera.ini"
  printf '[CONNECTION]\r\nIP_CONFIG=%s\r\n' "$cipher" >>"$root$dir/Ticketera.ini"
}
log=$root$work/Updater.log
# The unit's program as root, with pkexec's bare environment, after the shell commands SETUP (the
# caller's umask and limits); without systemd in the root it runs the upgrade itself. $log holds
# this run's lines alone.
updater() { # updater [SETUP]: sets $updater_status
  rm -f "$log"
  updater_status=0
  in_root env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin sh -c "${1:-:}; exec $dir/Updater" >/dev/null 2>&1 ||
    updater_status=$?
}
update_from() { # update_from DIR [SETUP]: one run of the Updater with DIR as the server's repository
  serve "$1"
  store_address "$port"
  updater "${2:-}"
  kill "$server_pid"
}
version() { in_root dpkg-query -W -f='${Version}' zelvora; }
# The system's own sources, lists and settings, and what is installed.
apt_state() { in_root ls -l --time-style=+%s /var/lib/apt/lists /etc/apt /etc/apt/sources.list.d /etc/apt/apt.conf.d; }
in_root dpkg-query -W >"$root.packages"
apt_state >"$root.apt"
same_packages() { in_root dpkg-query -W | cmp -s - "$root.packages"; }
same_apt_state() { apt_state | cmp -s - "$root.apt"; }

serve "$keys/other"
check "the server's version page names 1.1" test "$(curl -s -d "" "http://127.0.0.1:$port/VANTO/mostradorVersion.htm")" = 1.1
kill "$server_pid"

update_from "$keys/other"
check "a repository signed with another key: the Updater fails" test "$updater_status" != 0
check "  and says why in its log" grep -q "ERROR. Fallo en el paso: apt-get update" "$log"
check "  with apt's reason" grep -q "NO_PUBKEY" "$log"
check "  and nothing changed: 1.0 still installed" test "$(version)" = 1.0.0
check "  nor any other package" same_packages
check "  nor apt's sources, lists or settings" same_apt_state

serve "$keys/nothing-newer"
store_address "$port"
updater
check "a repository of an older zelvora and another package: the Updater fails" test "$updater_status" != 0
check "  and says why in its log" \
  grep -q "ERROR. El repositorio no tiene una version de zelvora mas nueva que la instalada: 1.0.0" "$log"
check "  and nothing changed: 1.0 still installed" test "$(version)" = 1.0.0
check "  nor any other package, the other name's included" same_packages
updater
kill "$server_pid"
check "  the next start within the hour fetches nothing and says why" sh -c \
  "grep -q '^.*No se descarga de nuevo: el intento anterior con este repositorio' '$log' &&
   ! grep -q 'Paso de la actualizacion: apt-get' '$log'"

update_from "$keys/expired"
check "an index past its Valid-Until: the Updater fails with apt's line" sh -c \
  "[ '$updater_status' != 0 ] && grep -q 'apt-get: E: Release file for .* is expired' '$log'"
check "  1.0 still installed" test "$(version)" = 1.0.0

# The caller's umask and a file size limit that dpkg's files exceed reach nothing the Updater does
# (the soft limit: a root without CAP_SYS_RESOURCE, as in a container, cannot raise a hard one).
repository "Zelvora package test" "$keys/trusted" "$upgrade"
touch "$root/tmp/before-upgrade"
start=$(date +%s%N)
update_from "$keys/trusted" "umask 000; ulimit -S -f 64"
update_ms=$((($(date +%s%N) - start) / 1000000))
check "a repository signed with the package's key: the Updater ends with 0 (umask 000, ulimit -S -f 64)" \
  test "$updater_status" = 0
check "  1.1 is installed" test "$(version)" = 1.1.0
check "  its log says so" grep -q "Fin de la actualizacion. OK." "$log"
cp "$log" build/package-test-updater.log
check "  apt's sources, lists and settings are untouched" same_apt_state
check "  the Updater's own directory is root's, 755" mode_is "root:root 755" /var/lib/zelvora-updater
written=$(in_root find / -xdev \( -path /proc -o -path /dev -o -path /sys -o -path /run -o -path /tmp -o -path "$work" \) \
  -prune -o -cnewer /tmp/before-upgrade -perm /022 ! -type l ! -path "$dir/Ticketera.ini" ! -path "$dir/logo.bmp" -print)
check "  everything it wrote is root's alone to change (644, 755)" test -z "$written"
[ -z "$written" ] || printf '     %s\n' $written
check "  the programs are still root's alone" mode_is "root:root 755" "$dir/Updater"

ZELVORA_REPOSITORY_DATE="2 days ago" repository "Zelvora package test" "$keys/older" "$upgrade"
update_from "$keys/older"
check "an index older than the last accepted, from another address: refused with its line" sh -c \
  "[ '$updater_status' != 0 ] && grep -q 'ERROR. El indice del repositorio es anterior al ultimo aceptado' '$log'"
check "  1.1 still installed" test "$(version)" = 1.1.0

# A power cut while dpkg unpacks 1.2: dpkg, apt-get and the Updater killed at once by 1.2's preinst.
cat >"$keys/power-cut.preinst" <<'SH'
#!/bin/sh
if [ -e /tmp/power-cut ]; then
  rm -f /tmp/power-cut
  apt=$(cut -d' ' -f4 /proc/$PPID/stat)
  updater=$(cut -d' ' -f4 /proc/$apt/stat)
  [ "$(cat /proc/$apt/comm)" = apt-get ] && [ "$(cat /proc/$updater/comm)" = Updater ] && kill -9 "$updater" "$apt" "$PPID"
fi
exit 0
SH
renumbered "$upgrade" 1.2.0 "$keys/power-cut.preinst"
repository "Zelvora package test" "$keys/power-cut" "$keys/zelvora_1.2.0.deb"
serve "$keys/power-cut"
store_address "$port"
: >"$root/tmp/power-cut"
updater
check "a power cut while dpkg unpacks: the Updater is gone and dpkg left interrupted" sh -c \
  "[ '$updater_status' = 137 ] && [ ! -e '$root/tmp/power-cut' ] && ! chroot '$root' apt-get -q check"
updater
kill "$server_pid"
check "  the next run repairs it and upgrades: 1.2 installed" sh -c \
  "[ '$updater_status' = 0 ] && [ \"\$(chroot '$root' dpkg-query -W -f='\${db:Status-Status} \${Version}' zelvora)\" = 'installed 1.2.0' ]"
check "  and dpkg is whole again" test -z "$(in_root dpkg --audit)"

# No systemd runs in the root: as if it did, with its calls noted (systemctl itself ignores a stop
# in a root that is not the machine's); apt gives the maintainer scripts a PATH of its own.
mkdir -p "$root/run/systemd/system" "$root/usr/local/sbin"
printf '#!/bin/sh\n[ -e /lib/systemd/system/zelvora-kiosk@.service ] && u=unit || u=gone\necho "$u $*" >>/tmp/systemctl.log\nexec /usr/bin/systemctl "$@"\n' \
  >"$root/usr/local/sbin/systemctl"
chmod 755 "$root/usr/local/sbin/systemctl"
echo "== apt-get remove zelvora"
start=$(date +%s%N)
in_root apt-get remove -y -q -o DPkg::Path=/usr/local/sbin:/usr/sbin:/usr/bin:/sbin:/bin zelvora >/dev/null 2>&1
remove_ms=$((($(date +%s%N) - start) / 1000000))
check "removal keeps the settings, the logo and the work directory" \
  test "$(in_root find "$dir" | sort | tr '\n' ' ')" = "$dir $dir/Ticketera.ini $dir/logo.bmp "
check "removal takes the programs' desktop entries" test ! -e "$apps/zelvora-ticketera.desktop"
check "removal takes the handler out of the MIME cache" sh -c "! grep -q zvr '$apps/mimeinfo.cache'"
check "removal keeps the group" in_root getent group zelvora
check "removal keeps the logs" test -f "$root$work/Ticketera.log"
check "removal takes the kiosk session's package" sh -c "! chroot '$root' dpkg-query -W -f='\${Status}' zelvora-kiosk | grep -q ' installed'"
check "removal stops every kiosk session while its unit is there" grep -qx 'unit stop zelvora-kiosk@\*.service' "$root/tmp/systemctl.log"
check "removal disables the kiosk session and takes the rule" \
  sh -c "[ -z \"\$(find '$root/etc/systemd/system' -name 'zelvora-kiosk@*')\" ] && [ ! -e '$rule' ] &&
         ! chroot '$root' systemctl is-enabled --quiet zelvora-kiosk@caja.service"
check "  and systemd reloads its units without it" grep -qx 'gone daemon-reload' "$root/tmp/systemctl.log"
check "removal keeps the kiosk user" in_root getent passwd caja
rm -rf "$root/run/systemd" "$root/usr/local/sbin/systemctl"

echo "== apt-get purge zelvora zelvora-kiosk"
in_root apt-get purge -y -q --autoremove zelvora zelvora-kiosk >/dev/null 2>&1
check "purge takes $dir" test ! -e "$root$dir"
check "purge takes the work directory" test ! -e "$root$work"
check "purge takes the group" sh -c "! chroot '$root' getent group zelvora"
check "purge forgets the answers to the package's questions" sh -c "! chroot '$root' debconf-show zelvora-kiosk | grep -q ."
check "purge takes the kiosk user it made, with its home" sh -c "! chroot '$root' getent passwd caja && [ ! -e '$root/home/caja' ]"
check "the package is gone" sh -c "! chroot '$root' dpkg-query -W -f='\${Status}' zelvora | grep -q installed"
# Everything the package and what it pulled in brought is gone again, but for caches and records.
listing >"$root.after"
left=$(comm -13 "$root.before" "$root.after")
# What apt keeps (packages others recommend) and the system's own records: listed, not judged.
printf '%s\n' "$left" >build/package-test-leftovers.txt
echo "   after purge, $(grep -c . build/package-test-leftovers.txt || true) paths that were not there before" \
  "(build/package-test-leftovers.txt)"
check "nothing of the package is left in the root" \
  sh -c "! printf '%s' \"\$1\" | grep -qi -e zelvora -e ticketera -e mostrador -e configuracion" _ "$left"

echo "== figures: package $size bytes; apt-get install $install_ms ms ($pulled packages); upgrade by the Updater $update_ms ms; remove $remove_ms ms"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
