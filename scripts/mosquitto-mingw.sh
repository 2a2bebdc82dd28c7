#!/usr/bin/env bash
# Builds the MQTT client library of the Windows build: libmosquitto from Debian's source package of
# mosquitto, cross-compiled by mingw-w64 as a static library without TLS and without threads (TRAVEK
# drives it from its own event loop), the broker, the clients, the apps and the plugins left out.
#   scripts/mosquitto-mingw.sh OUT
# Leaves OUT/lib/libmosquitto_static.a, OUT/include/mosquitto.h and OUT/version (the Debian version
# built); does nothing when they are there already. The source comes through apt-get source with a
# source list, state and cache folder of its own under OUT (apt-get's -o options): the system's apt
# configuration is neither read for sources nor changed. Run by the Windows build's configuration
# (cmake/MosquittoWindows.cmake), so ./test builds it once per build folder.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 OUT" >&2; exit 2; }
root="$(cd "$(dirname "$0")/.." && pwd)"
mkdir -p "$1"
out="$(cd "$1" && pwd)"
if [ -f "$out/version" ] && [ -f "$out/lib/libmosquitto_static.a" ] && [ -f "$out/include/mosquitto.h" ]; then
    exit 0
fi
# The upstream version that cross-builds this way; a Debian revision of it (a security update)
# is taken as the archive has it.
upstream=2.0.11
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
[ -r "$keyring" ] || { echo "mosquitto-mingw: $keyring is missing (package debian-archive-keyring)" >&2; exit 1; }
command -v dpkg-source >/dev/null || { echo "mosquitto-mingw: dpkg-source is missing (package dpkg-dev)" >&2; exit 1; }

work="$out/work"
rm -rf "$work"
mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/apt/sources.list.d" "$work/src"
cat >"$work/apt/sources.list" <<LIST
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm main
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=$keyring] http://deb.debian.org/debian-security bookworm-security main
LIST
apt=(apt-get -q
    -o Dir::Etc::SourceList="$work/apt/sources.list"
    -o Dir::Etc::SourceParts="$work/apt/sources.list.d"
    -o Dir::State="$work/apt"
    -o Dir::Cache="$work/apt/cache"
    -o APT::Sandbox::User="$(id -un)")
echo "mosquitto-mingw: fetching Debian's source package of mosquitto"
"${apt[@]}" update >"$work/apt-update.log" 2>&1 || { cat "$work/apt-update.log" >&2; exit 1; }
(cd "$work/src" && "${apt[@]}" source mosquitto >"$work/apt-source.log" 2>&1) ||
    { cat "$work/apt-source.log" >&2; exit 1; }
dsc="$(ls "$work/src"/mosquitto_*.dsc)"
version="$(sed -n 's/^Version: //p' "$dsc")"
case "$version" in
"$upstream"-*) ;;
*) echo "mosquitto-mingw: the archive has mosquitto $version; this build is made for $upstream" >&2 ;;
esac
source_dir="$(find "$work/src" -mindepth 1 -maxdepth 1 -type d -name 'mosquitto-*')"

echo "mosquitto-mingw: building libmosquitto $version with mingw-w64"
cmake -S "$source_dir" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DWITH_STATIC_LIBRARIES=ON -DWITH_TLS=OFF -DWITH_TLS_PSK=OFF \
    -DWITH_THREADING=OFF -DWITH_BROKER=OFF -DWITH_CLIENTS=OFF -DWITH_APPS=OFF -DWITH_PLUGINS=OFF \
    -DDOCUMENTATION=OFF -DWITH_LIB_CPP=OFF -DWITH_CJSON=OFF -DWITH_SOCKS=OFF -DWITH_UNIX_SOCKETS=OFF \
    -DWITH_SRV=OFF >"$work/configure.log" 2>&1 || { cat "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" --target libmosquitto_static >"$work/build.log" 2>&1 ||
    { tail -n 40 "$work/build.log" >&2; exit 1; }

mkdir -p "$out/lib" "$out/include"
cp "$work/build/lib/libmosquitto_static.a" "$out/lib/"
cp "$source_dir/include/mosquitto.h" "$source_dir/include/mqtt_protocol.h" "$out/include/"
cp "$source_dir/LICENSE.txt" "$source_dir/edl-v10" "$source_dir/epl-v20" "$out/" 2>/dev/null || true
echo "$version" >"$out/version"
rm -rf "$work"
echo "mosquitto-mingw: $out/lib/libmosquitto_static.a (mosquitto $version)"
