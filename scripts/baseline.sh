# Sourced by scripts/cross.sh and scripts/compat.sh: Debian 11 (bullseye)
# from the Debian mirror this machine's apt already uses.
#
#   bullseye_mirror        prints the mirror's URL
#   bullseye_apt ARGS...   apt-get with a private state for bullseye (amd64
#                          indexes: the cross C libraries are architecture all)
#   baseline_libc ARCH     unpacks Debian 11's C library for ARCH into
#                          build/baseline/<triplet> (cmake/toolchains/baseline.cmake)

# Sourced from the top of the tree.
baseline_dir="$PWD/build/baseline"

bullseye_mirror() {
    local url=""
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        url=$(awk '/^URIs:/ && $2 !~ /security/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources)
    fi
    if [ -z "$url" ] && [ -f /etc/apt/sources.list ]; then
        url=$(awk '$1 == "deb" && $2 !~ /^\[/ && $2 !~ /security/ {print $2; exit}' /etc/apt/sources.list)
    fi
    [ -n "$url" ] || { echo "baseline: no Debian mirror in /etc/apt/sources.list*" >&2; return 1; }
    echo "${url%/}"
}

bullseye_apt() {
    local d="$baseline_dir/apt"
    if [ ! -f "$d/.updated" ]; then
        rm -rf "$d"
        mkdir -p "$d/lists/partial" "$d/archives/partial" "$d/parts" "$d/prefs"
        touch "$d/status"
        echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $(bullseye_mirror) bullseye main" > "$d/sources.list"
    fi
    apt-get -q -o Dir::Etc::SourceList="$d/sources.list" -o Dir::Etc::SourceParts="$d/parts" \
        -o Dir::Etc::Preferences="$d/prefs/none" -o Dir::Etc::PreferencesParts="$d/prefs" \
        -o Dir::State::Lists="$d/lists" -o Dir::State::status="$d/status" \
        -o Dir::Cache::Archives="$d/archives" -o Dir::Cache::pkgcache="" -o Dir::Cache::srcpkgcache="" \
        -o APT::Architecture=amd64 -o APT::Architectures=amd64 -o Debug::NoLocking=1 \
        -o APT::Sandbox::User=root "$@"
}

baseline_libc() {
    local d t root
    case "$1" in
        x86_64) d=amd64 t=x86_64-linux-gnu ;; aarch64) d=arm64 t=aarch64-linux-gnu ;;
        arm) d=armhf t=arm-linux-gnueabihf ;; riscv64) d=riscv64 t=riscv64-linux-gnu ;;
        s390x) d=s390x t=s390x-linux-gnu ;;
    esac
    root="$baseline_dir/$t"
    [ -f "$root/.complete" ] && return 0
    if [ ! -f "$baseline_dir/apt/.updated" ]; then
        bullseye_apt update -qq > /dev/null
        touch "$baseline_dir/apt/.updated"
    fi
    rm -rf "$root"
    mkdir -p "$root/debs"
    (cd "$root/debs" && bullseye_apt download -qq "libc6-$d-cross" "libc6-dev-$d-cross" "linux-libc-dev-$d-cross")
    for deb in "$root"/debs/*.deb; do dpkg-deb -x "$deb" "$root"; done
    rm -rf "$root/debs" "$root/usr/share"
    echo "baseline: Debian 11's C library for $1 ($(basename "$(ls "$root/usr/$t/lib"/libc-*.so)" .so)) in $root"
    touch "$root/.complete"
}
