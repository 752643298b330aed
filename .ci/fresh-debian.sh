# Fresh minimal Debian 12 systems for CI, each in a folder to chroot into.
# Sourced by .ci/run; every folder made is unmounted and removed by
# fresh_debian_remove_all, which .ci/run calls on every exit.
#
# The minimal base (debootstrap --variant=minbase bookworm) is made once per
# state of the mirror and kept as a tarball in $FRESH_DEBIAN_CACHE: unpacked,
# it is exactly what debootstrap would make again. Downloaded packages are kept
# there too; apt still resolves and verifies every package afresh.

FRESH_DEBIAN_CACHE=${FRESH_DEBIAN_CACHE:-/var/cache/bytelon-ci}
fresh_debian_roots=()

# The Debian mirror this machine's apt uses.
fresh_debian_mirror() {
  local mirror
  mirror=$(grep -hoE '^(URIs:|deb)[[:space:]]+https?://[^[:space:]]+/debian/?([[:space:]]|$)' \
             /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list 2>/dev/null \
           | head -n 1 | awk '{print $2}') || true
  echo "${mirror:-http://deb.debian.org/debian}"
}

# The minimal base for the mirror's present bookworm release, made if
# missing; its tarball goes to fresh_debian_base_tar.
fresh_debian_base() {
  local mirror key base work
  mirror=$(fresh_debian_mirror)
  command -v debootstrap >/dev/null || \
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null
  key=$(wget -qO- "$mirror/dists/bookworm/InRelease" | sha256sum | cut -c1-16)
  base="$FRESH_DEBIAN_CACHE/bookworm-minbase-$key.tar"
  if [ ! -f "$base" ]; then
    mkdir -p "$FRESH_DEBIAN_CACHE"
    work=$(mktemp -d /var/tmp/bytelon-debootstrap.XXXXXX)
    fresh_debian_roots+=("$work")
    chmod 755 "$work"
    echo "debootstrap --variant=minbase bookworm from $mirror" >&2
    debootstrap --variant=minbase bookworm "$work" "$mirror" >"$work.log" 2>&1 || {
      tail -n 30 "$work.log" >&2; return 1; }
    rm -f "$work.log" "$work"/var/cache/apt/archives/*.deb
    tar -C "$work" --xattrs --numeric-owner -cf "$base.part" . && mv "$base.part" "$base"
    fresh_debian_remove "$work"
    # Bases of earlier states of the mirror are of no more use.
    find "$FRESH_DEBIAN_CACHE" -maxdepth 1 -name 'bookworm-minbase-*.tar' ! -path "$base" -delete
  fi
  fresh_debian_base_tar=$base
}

# Makes a fresh system in a new folder, whose path goes to the variable
# named first. With --ccache, the system's compiler cache is kept between runs.
fresh_debian_make() {
  # The caller's variable must not be named root: printf -v would set this local.
  local root
  fresh_debian_base
  root=$(mktemp -d /var/tmp/bytelon-fresh.XXXXXX)
  fresh_debian_roots+=("$root")
  printf -v "$1" '%s' "$root"
  tar -C "$root" --xattrs --numeric-owner -xf "$fresh_debian_base_tar"
  # The root folder as any system has it, whatever the base's was: users other than root use it too.
  chmod 755 "$root"
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  # A throwaway system needs no flushing to disk after every file it unpacks.
  echo force-unsafe-io >"$root/etc/dpkg/dpkg.cfg.d/unsafe-io"
  mount -t proc proc "$root/proc"
  mount --bind /dev "$root/dev"
  mount --bind /dev/pts "$root/dev/pts"
  mount -t tmpfs tmpfs "$root/dev/shm"
  mkdir -p "$FRESH_DEBIAN_CACHE/apt-archives/partial"
  mount --bind "$FRESH_DEBIAN_CACHE/apt-archives" "$root/var/cache/apt/archives"
  if [ "${2:-}" = "--ccache" ]; then
    mkdir -p "$FRESH_DEBIAN_CACHE/ccache" "$root/root/.cache/ccache"
    mount --bind "$FRESH_DEBIAN_CACHE/ccache" "$root/root/.cache/ccache"
    # Compiles with precompiled headers are cached too.
    printf 'max_size = 2G\nsloppiness = pch_defines,time_macros,include_file_mtime,include_file_ctime\n' \
      >"$root/etc/ccache.conf"
  fi
}

# Runs a shell command in the system as root, with a clean environment.
fresh_debian_run() {
  local root=$1
  shift
  chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    /bin/bash -c "cd && $*" </dev/null
}

# The number of packages installed in the system.
fresh_debian_packages() {
  chroot "$1" dpkg-query -W -f='${db:Status-Abbrev}\n' | grep -c '^ii'
}

# Unmounts everything under the folder, then removes it; a folder that keeps
# a mount is left where it is rather than deleted through it.
fresh_debian_remove() {
  local root=$1 mount
  [ -d "$root" ] || return 0
  for mount in $(findmnt -rn -o TARGET | grep -E "^$root(/|$)" | sort -r); do
    umount "$mount" 2>/dev/null || umount -l "$mount"
  done
  if findmnt -rn -o TARGET | grep -qE "^$root(/|$)"; then
    echo "fresh-debian: $root still has mounts; left in place" >&2
    return 1
  fi
  rm -rf --one-file-system "$root"
}

fresh_debian_remove_all() {
  local root status=0
  for root in "${fresh_debian_roots[@]}"; do
    fresh_debian_remove "$root" || status=1
  done
  fresh_debian_roots=()
  return $status
}
