#!/usr/bin/env bash
# Builds the program optimised for /usr and makes the Debian package
# build/package/vellacor_VERSION_ARCH.deb; its dependencies are those of the
# shared libraries the programs link. Then shows its files and dependencies
# and checks that apt can resolve them on this machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/package
"$root/scripts/bootstrap.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DVELLACOR_TESTS=OFF -DVELLACOR_SANITIZE= >/dev/null
cmake --build "$build"
rm -f "$build"/vellacor_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/vellacor_*.deb)
dpkg-deb --contents "$deb"
dpkg -I "$deb"
apt-get install --simulate "$deb" >/dev/null
echo "Made $deb (apt install $deb installs it)"
