#!/usr/bin/env bash
# Makes a flat apt repository for the Updater: the given packages (as cpack makes them) with their
# index Packages (and Packages.gz) and Release, signed with KEY from gpg's keyring ($GNUPGHOME) as
# InRelease and Release.gpg. The central server offers it at /VANTO/apt/ (the local one with
# --apt-repository DIR); the packages built with -DZELVORA_ARCHIVE_KEYRING=<KEY's public key> trust it.
#   scripts/apt-repository.sh DIR KEY PACKAGE.deb...
set -euo pipefail
if [ $# -lt 3 ]; then
  echo "usage: $0 DIR KEY PACKAGE.deb..." >&2
  exit 2
fi
dir=$1 key=$2
shift 2
mkdir -p "$dir"
cp -- "$@" "$dir/"
cd "$dir"
dpkg-scanpackages --multiversion . /dev/null 2>/dev/null >Packages
gzip -9nc Packages >Packages.gz
{
  echo "Origin: Zelvora"
  echo "Label: Zelvora"
  echo "Date: $(LC_ALL=C date -u '+%a, %d %b %Y %H:%M:%S UTC')"
  echo "SHA256:"
  for index in Packages Packages.gz; do
    echo " $(sha256sum "$index" | cut -d' ' -f1) $(stat -c %s "$index") $index"
  done
} >Release
gpg --batch --yes --local-user "$key" --clearsign --output InRelease Release
gpg --batch --yes --local-user "$key" --armor --detach-sign --output Release.gpg Release
