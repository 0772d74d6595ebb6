#!/usr/bin/env bash
# Builds the Debian package from the build folder given as $1, checks it with lintian, installs it,
# starts the installed program once with a fresh home and removes the package again.
# Run as root (it installs the package).
set -euo pipefail
build_dir=$(cd "${1:?build folder}" && pwd)
program=/usr/bin/tarnwick
user_folder_wait=60

# The program records its install location when it is built, so a build folder set up for
# another prefix is moved to /usr first.
if ! grep -qx 'CMAKE_INSTALL_PREFIX:PATH=/usr' "$build_dir/CMakeCache.txt"; then
    cmake -DCMAKE_INSTALL_PREFIX=/usr "$build_dir" >/dev/null
fi
cmake --build "$build_dir" -j "$(nproc)" >/dev/null
rm -f "$build_dir"/tarnwick_*.deb
(cd "$build_dir" && cpack -G DEB >/dev/null)
deb=$(echo "$build_dir"/tarnwick_*.deb)
[ -f "$deb" ] || { echo "No package was built"; exit 1; }
echo "Checking $(basename "$deb") with lintian"
lintian --fail-on error "$deb"

export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "$deb" >/dev/null
trap 'apt-get remove -y -qq tarnwick >/dev/null' EXIT

home=$(mktemp -d)
stamp=$(mktemp)
touch -d '-1 second' "$stamp"
echo "Starting the installed program with a fresh home"
env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_CACHE_HOME HOME="$home" QT_QPA_PLATFORM=offscreen \
    timeout -k 5 "$((user_folder_wait + 10))" "$program" >"$home/program.log" 2>&1 &
pid=$!
folder="$home/.local/share/Tarnwick"
for ((tick = 0; tick < user_folder_wait * 5; tick++)); do
    [ -s "$folder/spider.mdb" ] && [ -f "$folder/Help.rtf" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
done
running=yes
kill -0 "$pid" 2>/dev/null || running=no
kill "$pid" 2>/dev/null || true
wait "$pid" || true # the program is stopped from outside, so its exit code says nothing

failed=0
for file in spider.mdb Help.rtf sounds/foundfax.wav sounds/nextsearch.wav sounds/finished.wav; do
    [ -f "$folder/$file" ] || { echo "Missing in the per-user folder: $file"; failed=1; }
done
[ "$running" = yes ] || { echo "The installed program ended by itself"; failed=1; }
written=$(find "$(dirname "$program")" /usr/share/tarnwick -newer "$stamp" -print)
[ -z "$written" ] || { echo "Written beside the installed program: $written"; failed=1; }
if ((failed)); then
    tail -n 40 "$home/program.log"
    exit 1
fi
rm -rf "$home" "$stamp"
echo "The installed program made its per-user folder and wrote nothing beside itself"
