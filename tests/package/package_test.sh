#!/usr/bin/env bash
# The Linux release as a user gets it: builds the .deb and the archive, checks
# the .deb's files and lintian, installs it with apt-get, plays the installed
# show from an empty folder, removes it and checks that nothing stays; then
# plays the archive unpacked in a temporary folder. Installs on this machine,
# so it runs as root from .ci/run, not in the ordinary suite.
# Usage: tests/package/package_test.sh
set -u
root=$(realpath "$(dirname "$0")/../..")

. "$root/tests/e2e/e2e_common.sh"
. "$root/tests/e2e/settings_helpers.sh"

export DEBIAN_FRONTEND=noninteractive
apt_get() { apt-get -o DPkg::Lock::Timeout=900 -y -qq "$@"; }
installed() { dpkg-query -W -f='${Status}' quorl 2>/dev/null | grep -q "install ok installed"; }
# Never leave the package behind, whatever ends the run.
trap 'installed && apt_get purge quorl >/dev/null; rm -rf "$scratch"' EXIT

cd "$root"
version=$(sed -n 's/^project(Quorl VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
deb=dist/quorl_${version}_$(dpkg --print-architecture).deb
archive=dist/quorl-$version-linux-$(uname -m).tar.gz

current="build the packages"
before=$failures
rm -f "$deb" "$archive"
if ! { cmake --preset release >/dev/null && cmake --build --preset release --target package >"$scratch/build.log" 2>&1; }; then
    tail -n 30 "$scratch/build.log"
    fail "the package target failed"
fi
[ -f "$deb" ] && [ -f "$archive" ] || fail "no $deb and $archive"
finish_case
[ "$failures" -eq 0 ] || exit 1

# What the package must hold: the programs, the launcher, the show as committed,
# the desktop entry, icon, manual pages and Debian's documents; nothing else.
expected_files() {
    printf '%s\n' usr/bin/quorl-capture usr/bin/quorl-preview usr/games/quorl usr/libexec/quorl/quorl \
        usr/share/applications/quorl.desktop usr/share/icons/hicolor/48x48/apps/quorl.png \
        usr/share/icons/hicolor/256x256/apps/quorl.png usr/share/man/man1/quorl-capture.1.gz \
        usr/share/man/man1/quorl-preview.1.gz usr/share/man/man6/quorl.6.gz usr/share/doc/quorl/copyright \
        usr/share/doc/quorl/changelog.gz usr/share/lintian/overrides/quorl
    git ls-files data | sed 's|^|usr/share/games/quorl/|'
}
expected_files | sort >"$scratch/expected"

current="the .deb's files"
before=$failures
dpkg-deb --contents "$deb" | awk '{print $6}' | grep -v '/$' | sed 's|^\./||' | sort >"$scratch/deb_files"
diff "$scratch/expected" "$scratch/deb_files" >"$scratch/deb.diff" || fail "not as expected (< missing, > extra): $(cat "$scratch/deb.diff")"
dpkg-deb --contents "$deb" | awk '$6 ~ /^\.\/usr\/(games\/|libexec\/|bin\/)/ && $1 !~ /^d/ && $1 != "-rwxr-xr-x" {print $6}' >"$scratch/modes"
[ -s "$scratch/modes" ] && fail "not executable by all: $(cat "$scratch/modes")"
dpkg-deb -f "$deb" Depends | grep -q 'libsdl2-2.0-0 (>=' || fail "Depends does not come from dpkg-shlibdeps: $(dpkg-deb -f "$deb" Depends)"
finish_case

current="lintian"
before=$failures
lintian --fail-on error "$deb" 2>&1 | grep -v 'running with root privileges' >"$scratch/lintian.log"
[ "${PIPESTATUS[0]}" -eq 0 ] || fail "errors: $(grep '^E:' "$scratch/lintian.log")"
cat "$scratch/lintian.log"
finish_case

# play <program> <folder>: runs it there as a user would, accepts the Settings
# dialog with anti-aliasing Off (llvmpipe has no 6x), sees the show's window,
# ends it with Esc and checks a silent exit with 0 and the folder unchanged.
play() {
    local folder=$2
    find "$folder" | sort >"$scratch/before"
    (cd "$folder" && exec "$1" >"$scratch/stdout" 2>"$scratch/stderr") &
    pid=$!
    if find_settings; then
        settings_antialiasing Off
        settings_keys Return || true
        if wid=$(find_visible 60 "^Dravik's Quorl\$"); then
            sleep 1
            esc_if_running
        else
            fail "no window titled Dravik's Quorl"
        fi
    else
        fail "no Settings dialog"
    fi
    wait_exit 30
    [ "$rc" -eq 0 ] || fail "exit code $rc"
    [ -s "$scratch/stdout" ] && fail "printed: $(head -c 200 "$scratch/stdout")"
    [ -s "$scratch/stderr" ] && fail "printed to stderr: $(head -c 200 "$scratch/stderr")"
    find "$folder" | sort | diff "$scratch/before" - >/dev/null || fail "files changed in $folder"
}

current="install with apt-get"
before=$failures
installed && echo "note: removing an installed quorl first" && apt_get purge quorl >/dev/null
apt_get install "./$deb" >"$scratch/apt.log" 2>&1 || fail "apt-get install: $(tail -n 5 "$scratch/apt.log")"
finish_case

current="the installed show plays from an empty folder"
before=$failures
mkdir "$scratch/empty"
play /usr/games/quorl "$scratch/empty"
# The desktop entry's command, on Debian's default path for users.
command=$(sed -n 's/^Exec=//p' /usr/share/applications/quorl.desktop)
[ "$(PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games command -v "$command")" = /usr/games/quorl ] ||
    fail "the desktop entry runs '$command', not /usr/games/quorl"
finish_case

current="the installed tools"
before=$failures
mkdir "$scratch/tools"
(cd "$scratch/tools" && quorl-capture --help) | grep -q '^Usage: quorl-capture' || fail "quorl-capture --help"
[ "$(quorl-capture --version)" = "quorl-capture $version" ] || fail "quorl-capture --version: $(quorl-capture --version)"
[ "$(quorl-preview --version)" = "quorl-preview $version" ] || fail "quorl-preview --version: $(quorl-preview --version)"
# Outside a show's folder the tools take the installed show; what they write stays here.
(cd "$scratch/tools" && quorl-capture --times 1000 --size 64x48 --quiet --out stills) ||
    fail "quorl-capture of the installed show failed"
[ "$(cd "$scratch/tools" && find . -type f)" = "./stills/t_001000.png" ] || fail "capture wrote: $(ls -R "$scratch/tools")"
finish_case

current="apt-get purge leaves nothing"
before=$failures
apt_get purge quorl >"$scratch/apt.log" 2>&1 || fail "apt-get purge: $(tail -n 5 "$scratch/apt.log")"
installed && fail "still installed"
dpkg-query -W quorl >/dev/null 2>&1 && fail "dpkg still knows quorl: $(dpkg-query -W quorl)"
while read -r file; do
    [ -e "/$file" ] && fail "/$file stays"
done <"$scratch/expected"
for folder in /usr/share/games/quorl /usr/libexec/quorl /usr/share/doc/quorl; do
    [ -e "$folder" ] && fail "$folder stays"
done
finish_case

current="the archive: the same files, played from where it is unpacked"
before=$failures
top=quorl-$version-linux-$(uname -m)
mkdir "$scratch/unpacked"
tar -xzf "$archive" -C "$scratch/unpacked"
{
    sed 's|^usr/|'"$top"'/|' "$scratch/expected" | grep -v '/share/lintian/'
    printf '%s\n' "$top/quorl" "$top/README.txt" "$top/share/lintian/overrides/quorl"
} | sort >"$scratch/archive_expected"
tar -tzf "$archive" | grep -v '/$' | sort | diff "$scratch/archive_expected" - >"$scratch/archive.diff" ||
    fail "not as expected (< missing, > extra): $(cat "$scratch/archive.diff")"
# README.txt names every library the programs load, beyond the C and C++ runtimes.
for program in libexec/quorl/quorl bin/quorl-capture bin/quorl-preview; do
    for library in $(objdump -p "$scratch/unpacked/$top/$program" | awk '/NEEDED/ {print $2}'); do
        case "$library" in libc.so.* | libm.so.* | libstdc++.so.* | libgcc_s.so.*) continue ;; esac
        grep -qF "$library" "$scratch/unpacked/$top/README.txt" || fail "README.txt does not name $library"
    done
done
play ./quorl "$scratch/unpacked/$top"
finish_case

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
