#!/bin/sh
# Runs a command in private mount and network namespaces: a hosts file of its own names each HOST
# 127.0.0.1, and the only network is a loopback interface of its own, so no name query leaves the
# machine and a test server may take ports 80 and 443. The command sees the names in
# ZELVORA_TEST_HOSTS. Exits 77 (skipped) where namespaces cannot be made.
# Usage: privatenetwork.sh HOST... -- COMMAND [ARGUMENT...]
set -eu

if [ "${1-}" = "--inside" ]; then
    shift
    hosts=$(mktemp)
    printf '127.0.0.1\tlocalhost\n::1\tlocalhost\n' > "$hosts"
    names=""
    while [ "$#" -gt 0 ] && [ "$1" != "--" ]; do
        printf '127.0.0.1\t%s\n' "$1" >> "$hosts"
        names="$names${names:+ }$1"
        shift
    done
    shift
    mount --bind "$hosts" /etc/hosts
    rm -f "$hosts" # the mount keeps the file
    ip link set lo up
    ZELVORA_TEST_HOSTS=$names exec "$@"
fi

case " $* " in *" -- "*) ;; *) echo "usage: $0 HOST... -- COMMAND [ARGUMENT...]" >&2; exit 2 ;; esac
# An unprivileged user maps itself to root inside a user namespace of its own.
map=""
[ "$(id -u)" -eq 0 ] || map="--map-root-user"
if ! unshare --mount --net $map -- true 2>/dev/null; then
    # Listing a test program's cases needs no network: the build's test discovery must not fail.
    case " $* " in *" --gtest_list_tests "*)
        while [ "$1" != "--" ]; do shift; done
        shift
        exec "$@" ;;
    esac
    echo "$0: no private namespaces here (unshare refused): skipped" >&2
    exit 77
fi
exec unshare --mount --net $map -- "$0" --inside "$@"
