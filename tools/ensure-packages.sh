#!/bin/sh
# Installs the Debian packages the builds need when any is missing.
#   ensure-packages.sh PACKAGE...
# Quiet and quick when everything is there already.
missing=""
for p in "$@"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0
echo "Installing missing packages:$missing"
sudo=""
if [ "$(id -u)" != "0" ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q >/dev/null || exit 1
# shellcheck disable=SC2086
$sudo apt-get install -y -q --no-install-recommends $missing >/dev/null || exit 1
echo "Installed:$missing"
