#!/usr/bin/env bash
# The Debian package as a user gets it: installed with dpkg -i, its kestrel-cli decodes
# the sample recording it carries from an empty folder; it holds its man page, and the
# manual, changelog and copyright in its documentation folder; its maintainer is the
# project, with no invented address. Runs as
# root (CI) or with sudo; the package is removed again unless it was installed before.
#
#   tests/package/deb_test.sh kestrel-cli_VERSION_amd64.deb
set -euo pipefail
deb=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
samples=$(cd "$(dirname "$0")/../../samples" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# dpkg refuses while another package operation holds its lock: wait for it.
dpkg_retry() {
    local i
    for i in $(seq 120); do
        as_root "$@" 2>"$work/dpkg.err" && return 0
        grep -q 'lock' "$work/dpkg.err" || { cat "$work/dpkg.err" >&2; return 1; }
        sleep 1
    done
    cat "$work/dpkg.err" >&2
    return 1
}

work=$(mktemp -d)
was_installed=$(dpkg-query -W -f='${Status}' kestrel-cli 2>/dev/null | grep -c 'ok installed' || true)
cleanup() {
    [ "$was_installed" = 1 ] || dpkg_retry dpkg -r kestrel-cli >/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

dpkg_retry dpkg -i "$deb" >/dev/null || fail "dpkg -i $deb"
# Read from the package itself: minimal systems (containers) leave /usr/share/man and
# /usr/share/doc out when installing.
doc=./usr/share/doc/kestrel-cli
dpkg-deb --fsys-tarfile "$deb" | tar -xO "$doc/sample.wav" >"$work/sample.wav" ||
    fail "no sample recording in $doc"
# The sample is an exchange in fading and noise, and Repeat Match would add braces. The
# receiver locks on during the first words, after a second of noise, and what it makes of
# them depends on that noise; from the first line's third word on, every line sent must
# arrive whole.
got=$(cd "$work" && env -i PATH=/usr/bin:/bin kestrel-cli decode --repeat-match off sample.wav) ||
    fail "kestrel-cli decode failed"
first=1
while read -r line; do
    line=${line%$'\r'}
    [ -n "$line" ] || continue
    if [ -n "$first" ]; then
        first=
        grep -qF -- "${line#* * }" <<<"$got" || fail "'${line#* * }' not received; got:
$got"
        continue
    fi
    grep -qxF -- "$line" <<<"$got" || fail "'$line' not received; got:
$got"
done <"$samples/sample.txt"
man=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/man/man1/kestrel-cli.1.gz | zcat |
    groff -man -Tutf8 -P-cbou 2>/dev/null)
grep -q 'kestrel-cli decode' <<<"$man" || fail "no man page that renders"
contents=$(dpkg-deb -c "$deb")
for f in copyright changelog.gz Kestrel.pdf; do
    grep -q "${doc#.}/$f\$" <<<"$contents" || fail "no $f in $doc"
done
maintainer=$(dpkg-deb -f "$deb" Maintainer)
[[ $maintainer == *Kestrel*repository* && $maintainer != *@* ]] ||
    fail "the maintainer field reads '$maintainer'"
echo "PASS: $(basename "$deb") installs and decodes the sample"
