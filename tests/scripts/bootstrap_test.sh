#!/usr/bin/env bash
# The bootstrap's way through a package registry in the middle of a sync, without the network: apt is
# a stand-in that answers the way the real one answered on a machine whose registry served the
# security suite's i386 index from before a sync and its amd64 index from after it.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tools/bootstrap.sh"
set +e  # the bootstrap sets -e for itself; here a failed try is what is checked
SUDO=""
retry_pause=0
fail=0
check() { # description, expected, actual
  if [ "$2" = "$3" ]; then echo "ok   $1"; else echo "FAIL $1: expected [$2], got [$3]"; fail=1; fi
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# What apt said on that machine, word for word.
cat >"$scratch/update.out" <<'OUT'
E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 203.0.113.80 80]
   Hashes of expected file:
    - Filesize:376004 [weak]
E: Some index files failed to download. They have been ignored, or old ones used instead.
OUT
cat >"$scratch/broken.out" <<'OUT'
Some packages could not be installed. This may mean that you have
The following packages have unmet dependencies:
 libc6:i386 : Depends: libgcc-s1:i386 but it is not going to be installed
E: Unable to correct problems, you have held broken packages.
OUT
cat >"$scratch/fetch.out" <<'OUT'
E: Failed to fetch http://deb.debian.org/debian/pool/main/w/wine/wine32_8.0~repack-4_i386.deb  Hash Sum mismatch
E: Unable to fetch some archives, maybe run apt-get update or try with --fix-missing?
OUT
echo "E: Unable to locate package no-such-package" >"$scratch/unknown.out"

check "the index that failed is named with apt's reason" \
  "http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz (File has unexpected size (374820 != 376004). Mirror sync in progress?)" \
  "$(failed_indexes "$scratch/update.out")"
check "an install that worked is done" done "$(install_next_try 0 "$scratch/broken.out")"
check "held broken packages: again with the release's suite" release "$(install_next_try 100 "$scratch/broken.out")"
check "a failed download: the same try again" again "$(install_next_try 100 "$scratch/fetch.out")"
check "an unknown package: no try can help" fail "$(install_next_try 100 "$scratch/unknown.out")"

# A dry run of the whole way: an update whose one index always fails, an install that only resolves
# with the release's own suite preferred.
mkdir -p "$scratch/bin"
cat >"$scratch/bin/apt-get" <<OUT
#!/usr/bin/env bash
echo "\$*" >>"$scratch/calls"
case "\$1" in
  update) cat "$scratch/update.out"; exit 100 ;;
  install) for a in "\$@"; do [ "\$a" = "\$(. /etc/os-release; echo \$VERSION_CODENAME)" ] && exit 0; done
           cat "$scratch/broken.out"; exit 100 ;;
esac
OUT
chmod +x "$scratch/bin/apt-get"
said=$(PATH="$scratch/bin:$PATH"; apt_update; apt_install "the packages" "" wine wine32:i386 2>&1; echo "status $?")
release=$(release_codename)
check "the update is tried three times" 3 "$(grep -c '^update' "$scratch/calls")"
check "then the failed index is named once and the bootstrap goes on" 1 "$(grep -c 'package index not fetched after 3 tries, going on without it: http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz' <<<"$said")"
check "the install says why it tries again" 1 "$(grep -c "apt could not resolve the install of the packages (Unable to correct problems, you have held broken packages.); trying again with $release's own suite preferred" <<<"$said")"
check "and the second try prefers the release's own suite" "install -y -qq --no-install-recommends -t $release wine wine32:i386" "$(grep '^install' "$scratch/calls" | tail -n1)"
check "the install succeeded" "status 0" "$(tail -n1 <<<"$said")"

# When no try works, the bootstrap ends with the step and what to do, not apt's exit code alone.
cat >"$scratch/bin/apt-get" <<OUT
#!/usr/bin/env bash
cat "$scratch/fetch.out"; exit 100
OUT
said=$(PATH="$scratch/bin:$PATH"; (apt_install "the packages" "" wine) 2>&1; echo "status $?")
check "a download failing every time is tried three times in all" 2 "$(grep -c 'a download for the packages failed' <<<"$said")"
check "then the bootstrap says what failed and what to do" 2 "$(grep -cE 'could not install the packages\.|in the middle of a sync: try again in a few minutes' <<<"$said")"
check "and ends with a failure" "status 1" "$(tail -n1 <<<"$said")"

# The backports come from the archive the system's own sources name for the release, a company
# mirror included, never from an address of ours.
cat >"$scratch/bin/apt-get" <<'OUT'
#!/usr/bin/env bash
printf '%s\n' "deb bookworm-security http://deb.debian.org/debian-security/" \
  "deb bookworm-updates http://mirror.corp.example/debian/" "deb bookworm http://mirror.corp.example/debian/"
OUT
check "the backports' address is the release's own source" "http://mirror.corp.example/debian/" \
  "$(PATH="$scratch/bin:$PATH" debian_archive bookworm)"
exit $fail
