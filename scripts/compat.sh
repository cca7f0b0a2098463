#!/usr/bin/env bash
# The jar on an older system: a Debian 11 (bullseye) root made by debootstrap
# from the Debian mirror apt already uses, with only that release's JRE (no
# pugixml, its own libstdc++ of GCC 10, glibc 2.31). With the jar alone on
# the class path it runs the README's Java snippet, and builds every tile of
# the San Francisco sample, whose floats must equal those this machine's
# build makes. The JVM there runs as a user with no passwd entry
# (user.home=?), as containers with an arbitrary uid do.
#
#   bash scripts/compat.sh [JAR]   default: the x86-64 jar as shipped
#                                  (scripts/cross.sh x86_64, preset linux-x86_64)
#
# Needs root (debootstrap, chroot). The root is kept in build/compat/bullseye
# and made once (about 4 minutes and 250 MB).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/baseline.sh

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
if ! command -v debootstrap > /dev/null; then
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap
fi

jar="${1:-}"
if [ -z "$jar" ]; then
    bash scripts/cross.sh x86_64
    jar=build/linux-x86_64/java/meshory.jar
fi
jar=$(realpath "$jar")
# The floats to match: this machine's own build (scripts/test.sh builds dev).
host_jar=""
for candidate in build/release/java/meshory.jar build/dev/java/meshory.jar; do
    if [ -f "$candidate" ]; then host_jar=$(realpath "$candidate"); break; fi
done
if [ -z "$host_jar" ]; then
    cmake --preset dev > /dev/null
    cmake --build --preset dev -j "$(nproc)" --target meshory_java_artifacts
    host_jar=$(realpath build/dev/java/meshory.jar)
fi

# --- The Debian 11 root -----------------------------------------------------
root="$PWD/build/compat/bullseye"
if [ ! -f "$root/.complete" ]; then
    start=$SECONDS
    $sudo rm -rf "$root"
    mkdir -p "$(dirname "$root")"
    echo "compat: debootstrap bullseye with openjdk-17-jre-headless into $root"
    $sudo debootstrap --variant=minbase --include=openjdk-17-jre-headless \
        bullseye "$root" "$(bullseye_mirror)" > build/compat/debootstrap.log 2>&1 ||
        { tail -20 build/compat/debootstrap.log >&2; exit 1; }
    $sudo touch "$root/.complete"
    echo "compat: root made in $((SECONDS - start)) s"
fi
java_in_root=/usr/lib/jvm/java-17-openjdk-amd64/bin/java
if $sudo chroot "$root" dpkg-query -W -f='${Package}\n' | grep -q pugixml; then
    echo "compat: the root has pugixml; it must not" >&2
    exit 1
fi

# --- The programs: the README's snippet and the sample's tiles ---------------
work="$root/compat"
$sudo rm -rf "$work"
$sudo mkdir -p "$work/classes"
awk '/<!-- tested: java -->/ {on = 1; next} on && /^```java/ {code = 1; next} code && /^```/ {exit} code' README.md \
    > "$work/HelloMeshory.java"
javac --release 17 -d "$work/classes" -cp "$jar" "$work/HelloMeshory.java" \
    scripts/compat/SampleTiles.java tools/viewer/src/quorvan/viewer/Pack.java
cp "$jar" "$work/meshory.jar"
cp examples/sanfrancisco.mpk "$work/"
chmod -R a+rX "$work"

# The JVM needs /proc; mounted for the run only.
$sudo mount -t proc proc "$root/proc"
trap '$sudo umount "$root/proc"' EXIT
echo "compat: root: Debian $(cat "$root/etc/debian_version"), $($sudo chroot "$root" /usr/bin/ldd --version | head -1)," \
    "libstdc++6 $($sudo chroot "$root" dpkg-query -W -f='${Version}' libstdc++6)," \
    "$($sudo chroot "$root" $java_in_root -version 2>&1 | head -1)"
# A uid with no passwd entry, and no cache to reuse: the jar extracts its
# library into a private folder under /tmp.
$sudo rm -rf "$root"/tmp/meshory-*
run_in_root() {
    $sudo chroot --userspec=54321:54321 "$root" env -i PATH=/usr/bin:/bin \
        $java_in_root -Xcheck:jni -cp /compat/meshory.jar:/compat/classes "$@"
}
snippet=$(run_in_root HelloMeshory)
echo "compat: the README's snippet on Debian 11: $snippet"
[ "$snippet" = "[2.0, 0.0, 0.0]" ]
echo "compat: user.home there: $(run_in_root -XshowSettings:properties -version 2>&1 | sed -n 's/^ *user.home = //p')," \
    "library extracted to $(ls -d "$root"/tmp/meshory-*/meshory/*/* | sed "s|^$root||")"

tiles=$(run_in_root quorvan.viewer.SampleTiles /compat/sanfrancisco.mpk)
echo "compat: the sample's tiles on Debian 11:            $tiles"
cache=$(mktemp -d)
host=$(XDG_CACHE_HOME="$cache" java -cp "$host_jar:$work/classes" quorvan.viewer.SampleTiles examples/sanfrancisco.mpk)
echo "compat: the sample's tiles here ($(basename "$(dirname "$(dirname "$host_jar")")") build): $host"
shipped=$(XDG_CACHE_HOME="$cache" java -cp "$jar:$work/classes" quorvan.viewer.SampleTiles examples/sanfrancisco.mpk)
echo "compat: the shipped jar here:                       $shipped"
rm -rf "$cache"
if [ "$tiles" != "$host" ] || [ "$shipped" != "$host" ]; then
    echo "compat: the floats differ" >&2
    exit 1
fi
echo "compat: equal floats"
