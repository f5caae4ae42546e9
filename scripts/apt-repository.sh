#!/usr/bin/env bash
# Makes a flat apt repository for the Updater: the given packages (as cpack makes them) with their
# index Packages (and Packages.gz) and Release, signed with KEY from gpg's keyring ($GNUPGHOME) as
# InRelease and Release.gpg. The central server offers it at /VANTO/apt/ (the local one with
# --apt-repository DIR); the packages built with -DZELVORA_ARCHIVE_KEYRING=<KEY's public key> trust it.
# The index is valid for 14 days from its Date: apt refuses it afterwards, so a repository must be
# signed again at least every two weeks, and an old index cannot be served for longer.
# ZELVORA_REPOSITORY_DATE (any date(1) text, e.g. "20 days ago") dates it otherwise than now (tests).
#   scripts/apt-repository.sh DIR KEY PACKAGE.deb...
set -euo pipefail
if [ $# -lt 3 ]; then
  echo "usage: $0 DIR KEY PACKAGE.deb..." >&2
  exit 2
fi
dir=$1 key=$2
shift 2
date=$(date -u -d "${ZELVORA_REPOSITORY_DATE:-now}" +%s)
release_date() { LC_ALL=C date -u -d "@$1" '+%a, %d %b %Y %H:%M:%S UTC'; }
mkdir -p "$dir"
cp -- "$@" "$dir/"
cd "$dir"
dpkg-scanpackages --multiversion . /dev/null 2>/dev/null >Packages
gzip -9nc Packages >Packages.gz
{
  echo "Origin: Zelvora"
  echo "Label: Zelvora"
  echo "Date: $(release_date "$date")"
  echo "Valid-Until: $(release_date $((date + 14 * 24 * 3600)))"
  echo "SHA256:"
  for index in Packages Packages.gz; do
    echo " $(sha256sum "$index" | cut -d' ' -f1) $(stat -c %s "$index") $index"
  done
} >Release
gpg --batch --yes --local-user "$key" --clearsign --output InRelease Release
gpg --batch --yes --local-user "$key" --armor --detach-sign --output Release.gpg Release
