# Sourced by the setup scripts (as root).

# deb-src entries for the Debian suites this machine already installs from,
# through its own sources, so that `apt-get source` finds Debian's source
# packages. Sets need_update=1 when it changes the sources.
add_deb_src() {
    local codename
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
    local deb822 oneline
    deb822=$(awk -v codename="$codename" '
        BEGIN { RS = ""; FS = "\n" }
        {
            types = ""; suites = ""; enabled = "yes"; kept = ""
            for (i = 1; i <= NF; i++) {
                line = $i
                if (line ~ /^#/) continue
                key = tolower(line); sub(/:.*/, "", key)
                value = line; sub(/^[^:]*:[ \t]*/, "", value)
                if (key == "types") { types = value; continue }
                if (key == "enabled") enabled = tolower(value)
                if (key == "suites") suites = value
                kept = kept line "\n"
            }
            if (enabled == "no" || (" " types " ") !~ / deb / || (" " suites) !~ (" " codename)) next
            printf "%sTypes: deb-src\n%s", (n++ ? "\n" : ""), kept
        }' /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
    write_if_changed /etc/apt/sources.list.d/quorl-deb-src.sources "$deb822"
    oneline=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
        awk -v codename="$codename" '$1 == "deb" { for (i = 2; i <= NF; i++) if ($i !~ /^\[/ && $i !~ /=/ && $i !~ /\]$/) break;
            if ($(i + 1) ~ ("^" codename)) { $1 = "deb-src"; print } }' || true)
    write_if_changed /etc/apt/sources.list.d/quorl-deb-src.list "$oneline"
}

write_if_changed() {
    local target=$1 text=$2
    if [ -z "$text" ]; then
        [ -f "$target" ] && rm -f "$target" && need_update=1
        return 0
    fi
    if [ ! -f "$target" ] || [ "$(cat "$target")" != "$text" ]; then
        printf '%s\n' "$text" >"$target"
        need_update=1
    fi
}

# Installs those of the packages named that are missing, without their
# recommendations, updating the lists first when they are stale.
install_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    if [ "${#missing[@]}" -gt 0 ] || [ -n "${need_update:-}" ]; then
        apt-get update -qq
        need_update=
    fi
    if [ "${#missing[@]}" -gt 0 ]; then
        apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}"
    fi
}
