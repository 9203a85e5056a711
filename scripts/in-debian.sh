#!/usr/bin/env bash
# scripts/in-debian.sh [--minutes N] RELEASE COMMAND
# Runs COMMAND, a shell command line, as root in a fresh minimal Debian root of
# RELEASE (a code name such as trixie, or 12 or 13), in a clean clone of this
# checkout's commit: what a newcomer with a new machine of that release and git
# gets. For example: scripts/in-debian.sh 13 './build.sh && ./test.sh'
#
# The root is made with debootstrap from the archive this machine's apt uses, and
# everything happens in private mount and process namespaces: what is mounted for
# it (/proc, /tmp, /dev/shm, /dev/pts) is gone with the run and never shows on the
# host, and no process of it outlives it. None of the host's /dev, home or
# repository is bound into it. Afterwards the root is removed, once nothing is
# mounted under it, without crossing into another file system; the tests' logs
# (each preset's Testing/Temporary/LastTest.log, every test's whole output) are
# kept first, in this checkout's build/debian-RELEASE/PRESET/. Needs root.
#
# Exit: COMMAND's own; 124 when the run took longer than N minutes (60); 125 when
# the root could not be made or entered (the archive unreachable, say); 2 for bad
# arguments.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
usage="usage: scripts/in-debian.sh [--minutes N] RELEASE COMMAND"
fail() { echo "in-debian.sh: $*" >&2; exit 125; }

minutes=60
if [ "${1:-}" = --minutes ]; then
  [[ "${2:-}" =~ ^[1-9][0-9]{0,3}$ ]] || { echo "$usage (--minutes takes 1 to 9999, not '${2:-}')" >&2; exit 2; }
  minutes=$2
  shift 2
fi
[ $# -eq 2 ] || { echo "$usage" >&2; exit 2; }
case "$1" in
  12) release=bookworm ;;
  13) release=trixie ;;
  *) release=$1 ;;
esac
command=$2
[[ "$release" =~ ^[a-z]+$ ]] || { echo "$usage (not a release: '$1')" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || fail "making and entering a root needs root"

. "$repo/scripts/ensure-packages.sh"
ensure_packages debootstrap git || fail "cannot install debootstrap"
[ -e "/usr/share/debootstrap/scripts/$release" ] || { echo "$usage (debootstrap knows no release '$release')" >&2; exit 2; }

# The archive of this machine's own release, as its apt reaches it.
. /etc/os-release
mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' |
  awk -v own="${VERSION_CODENAME:-}" '$2 == own { print $1; exit }')
[ -n "$mirror" ] || fail "no archive for '${VERSION_CODENAME:-?}' among this machine's apt sources"

commit=$(git -C "$repo" rev-parse HEAD)
[ -z "$(git -C "$repo" status --porcelain)" ] ||
  echo "in-debian.sh: uncommitted changes stay out: the root gets commit $commit" >&2

work=$(mktemp -d "${TMPDIR:-/var/tmp}/keyrelay-debian.XXXXXX")
mountedUnder() { awk -v dir="$work" '$5 == dir || index($5, dir "/") == 1 { print $5 }' /proc/self/mountinfo; }
removeRoot() {
  local mounts
  mounts=$(mountedUnder)
  if [ -n "$mounts" ]; then
    echo "in-debian.sh: $work left in place: still mounted under it:" >&2
    echo "$mounts" >&2
    return
  fi
  rm -rf --one-file-system "$work"
}
trap removeRoot EXIT
trap 'exit 130' INT TERM HUP

# Run in the namespaces: makes the root, mounts what a build needs, runs COMMAND.
inside() {
  local repo=$1 fs=$2 release=$3 mirror=$4 commit=$5 command=$6
  echo "== making a Debian $release root from $mirror"
  local began=$SECONDS
  if ! debootstrap --variant=minbase --include=git "$release" "$fs" "$mirror" \
    >"$fs.log" 2>&1; then
    tail -n 15 "$fs.log" >&2
    echo "in-debian.sh: cannot make a Debian $release root from $mirror (above)" >&2
    exit 125
  fi
  # The archive reached as this machine's apt reaches it (a proxy, a snapshot's dates).
  grep -ls '^ *Acquire::' /etc/apt/apt.conf.d/* | xargs -r cp -t "$fs/etc/apt/apt.conf.d/"
  cp /etc/resolv.conf "$fs/etc/resolv.conf"
  # The root is removed afterwards: its package installs need not sync each file.
  echo force-unsafe-io >"$fs/etc/dpkg/dpkg.cfg.d/keyrelay-unsafe-io"
  echo "== the root made: $((SECONDS - began)) s"
  git clone --quiet --no-local "$repo" "$fs/root/keyrelay"
  git -C "$fs/root/keyrelay" checkout --quiet --detach "$commit"

  mount -t proc proc "$fs/proc"
  mount -t tmpfs -o mode=1777 tmpfs "$fs/tmp"
  mkdir -p "$fs/dev/shm" "$fs/dev/pts"
  mount -t tmpfs -o mode=1777 tmpfs "$fs/dev/shm"
  mount -t devpts -o newinstance,ptmxmode=0666,mode=0620 devpts "$fs/dev/pts"
  [ -e "$fs/dev/ptmx" ] || touch "$fs/dev/ptmx"
  mount --bind "$fs/dev/pts/ptmx" "$fs/dev/ptmx"
  chroot "$fs" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" CI="${CI:-}" \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c 'cd /root/keyrelay &&
      echo "== Debian $(cat /etc/debian_version) ($1 root), commit $2: $3" && eval "$3"' \
    inside "$release" "$commit" "$command"
}

status=0
timeout "${minutes}m" unshare --mount --pid --fork --kill-child \
  bash -c "$(declare -f inside); inside \"\$@\"" inside \
  "$repo" "$work/root" "$release" "$mirror" "$commit" "$command" || status=$?
if [ "$status" -eq 124 ]; then
  echo "in-debian.sh: stopped: over the time limit of $minutes minutes" >&2
fi
# The tests' logs outlive the root.
kept="$repo/build/debian-$release"
for log in "$work"/root/root/keyrelay/build/*/Testing/Temporary/LastTest.log; do
  [ -f "$log" ] || continue
  preset=${log#"$work/root/root/keyrelay/build/"}
  preset=${preset%%/*}
  mkdir -p "$kept/$preset" && cp "$log" "$kept/$preset/"
done
[ ! -d "$kept" ] || echo "in-debian.sh: every test's whole output is kept in $kept/PRESET/LastTest.log"
exit "$status"
