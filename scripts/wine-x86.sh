#!/usr/bin/env bash
# 32-bit Wine for the x86 build. This kind of machine's kernel refuses 32-bit executables (exec
# format error), so they run through qemu-user (qemu-i386-static) registered with binfmt_misc,
# and Wine's 32-bit half runs in an i386 Debian root of its own (wine, wine32,
# wine32-preloader), made with mmdebstrap from the main archive of the host's release. A root
# keeps the host's package state alone: adding the i386 architecture to the host's apt makes
# every later `apt-get update` fail whenever the archive's i386 index is inconsistent, and
# wine32:i386 must match the host's newer amd64 libraries version for version.
#
#   scripts/wine-x86.sh setup      idempotent: qemu, the binfmt entry, the root (made once and
#                                  kept under ${XDG_CACHE_HOME:-~/.cache}/qpplugin/), and the
#                                  mounts that show /proc, /dev and this clone inside the root
#   scripts/wine-x86.sh teardown   undoes the mounts
#   scripts/wine-x86.sh wineserver [ARG...]   the root's wineserver (-k, -w)
#   scripts/wine-x86.sh PROGRAM.exe [ARG...]
#                                  runs a program under 32-bit Wine, from the current directory,
#                                  which must be inside this clone; WINEPREFIX and the rest of
#                                  Wine's environment pass through
#
# Each setup step that the kernel or the archive refuses says which step it was and why.
set -euo pipefail
clone=$(cd "$(dirname "$0")/.." && pwd)
cache=${QP_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/qpplugin}
. /etc/os-release
root=$cache/i386-wine-root-$VERSION_CODENAME
binfmt=/proc/sys/fs/binfmt_misc
entry=$binfmt/qemu-i386

die() {
  echo "$(basename "$0"): $*" >&2
  exit 1
}

mounted() { mountpoint -q "$1"; }

register_qemu() {
  if ! mounted "$binfmt"; then
    mount -t binfmt_misc binfmt_misc "$binfmt" 2>/tmp/qp-binfmt.err ||
      die "step 'mount binfmt_misc' failed: $(cat /tmp/qp-binfmt.err); 32-bit programs cannot be run without it"
  fi
  if [ -f "$entry" ] && grep -qx 'interpreter /usr/bin/qemu-i386-static' "$entry" && grep -qx enabled "$entry"; then
    return
  fi
  [ ! -f "$entry" ] || echo -1 >"$entry"
  # 32-bit little-endian x86 ELF executables and shared objects, through qemu opened now (F), so
  # that they also run inside the root, where the interpreter's path does not exist.
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386-static:F" >"$binfmt/register" 2>/tmp/qp-binfmt.err ||
    die "step 'register qemu-i386-static with binfmt_misc' failed: $(cat /tmp/qp-binfmt.err)"
}

make_root() {
  [ ! -f "$root/.qp-ready" ] || return 0
  ! grep -q " $root[/ ]" /proc/mounts || die "$root is not complete but has mounts; run '$0 teardown' first"
  # The host's mirror of its own release, as apt has it configured.
  local mirror
  mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Identifier: Packages' |
    awk -v release="$VERSION_CODENAME" '$2 == release { print $1; exit }')
  [ -n "$mirror" ] || die "step 'find the host's archive' failed: apt has no '$VERSION_CODENAME' index"
  echo "Making the i386 root for 32-bit Wine in $root (first run only, a few minutes)..." >&2
  rm -rf "$root.partial"
  mkdir -p "$cache"
  local log=$cache/i386-wine-root.log
  # Main archive only: one consistent set of versions, whatever state the security archive's
  # i386 index is in.
  if ! nice mmdebstrap --arch=i386 --variant=apt --aptopt='APT::Install-Recommends "false"' \
      --include=wine,wine32,wine32-preloader "$VERSION_CODENAME" "$root.partial" \
      "deb $mirror $VERSION_CODENAME main" >"$log" 2>&1; then
    tail -n 20 "$log" >&2
    die "step 'mmdebstrap an i386 root with wine32' failed (log: $log)"
  fi
  mv "$root.partial" "$root"
  touch "$root/.qp-ready"
}

mount_into_root() {
  local target
  mkdir -p "$root/proc" "$root/dev" "$root$clone"
  mounted "$root/proc" || mount -t proc proc "$root/proc" || die "step 'mount /proc in the root' failed"
  mounted "$root/dev" || mount --bind /dev "$root/dev" || die "step 'bind /dev into the root' failed"
  target=$root$clone
  mounted "$target" || mount --bind "$clone" "$target" || die "step 'bind the clone into the root' failed"
}

setup() {
  [ "$(id -u)" -eq 0 ] || die "setting up 32-bit execution needs root (binfmt_misc, mmdebstrap, mounts)"
  bash "$clone/scripts/deps.sh" qemu-user-static mmdebstrap arch-test >&2
  register_qemu
  make_root
  mount_into_root
  chroot "$root" /usr/lib/wine/wine --version >/dev/null 2>/tmp/qp-wine32.err ||
    die "step 'run 32-bit Wine through qemu-i386-static' failed: $(cat /tmp/qp-wine32.err)"
}

teardown() {
  local target
  for target in "$root$clone" "$root/dev" "$root/proc"; do
    ! mounted "$target" || umount "$target" || umount -l "$target"
  done
}

case "${1:-}" in
  setup) setup ;;
  teardown) teardown ;;
  "") die "usage: $0 setup | teardown | PROGRAM.exe [ARG...]" ;;
  wineserver)
    shift
    [ -f "$root/.qp-ready" ] || die "32-bit Wine is not set up: run '$0 setup' first"
    exec chroot "$root" /usr/lib/wine/wineserver "$@"
    ;;
  *)
    [ -f "$root/.qp-ready" ] && mounted "$root$clone" || die "32-bit Wine is not set up: run '$0 setup' first"
    case "$PWD/" in "$clone"/*) ;; *) die "run it from inside $clone" ;; esac
    # Inside the root the clone has the same path; HOME is the root's own /tmp.
    exec chroot "$root" /usr/bin/env HOME=/tmp WINEARCH=win32 /bin/sh -c 'cd "$1" && shift && exec /usr/lib/wine/wine "$@"' \
      sh "$PWD" "$@"
    ;;
esac
