# Sourced, not run: apt-get calls that survive a Debian mirror caught mid-sync.
# A mirror being synced can serve one index whose size does not match its
# Release file; `apt-get update` then exits 100 although every other index is
# fine, and packages whose amd64 copies came from the suite of that index can
# no longer be matched by their i386 twins. Nothing here touches the machine's
# own apt configuration: every override is passed on the command line.

APT_UPDATE_TRIES="${APT_UPDATE_TRIES:-3}"
APT_RETRY_WAIT="${APT_RETRY_WAIT:-5}"

# apt_update_tolerant [apt-get options...]: retried a few times, then tolerated
# with a one-line warning naming the index that failed.
apt_update_tolerant() {
    local log try
    log="$(mktemp)"
    for ((try = 1; try <= APT_UPDATE_TRIES; try++)); do
        if apt-get -qq "$@" update >"$log" 2>&1; then rm -f "$log"; return 0; fi
        if [ "$try" -lt "$APT_UPDATE_TRIES" ]; then sleep "$APT_RETRY_WAIT"; fi
    done
    local failed
    failed="$(grep -oE 'Failed to fetch [^ ]+' "$log" | sed 's/^Failed to fetch //' | sort -u | paste -sd' ')" || true
    echo "warning: apt-get update failed $APT_UPDATE_TRIES times; going on with the indexes it has (failed: ${failed:-$(tail -n1 "$log")})" >&2
    rm -f "$log"
}

# apt_install_tolerant PACKAGE...: the ordinary install first; if apt cannot
# resolve it, once more with the security suite held back for that command only,
# downgrading the installed amd64 Multi-Arch "same" libraries whose i386 twins
# apt can only find at the main suite's version. SETUP_APT_FALLBACK=1 goes
# straight to the second way, to try it on a mirror that is consistent.
apt_install_tolerant() {
    local log
    log="$(mktemp)"
    export DEBIAN_FRONTEND=noninteractive
    if [ "${SETUP_APT_FALLBACK:-}" != 1 ]; then
        if apt-get install -y -qq --no-install-recommends "$@" >"$log" 2>&1; then rm -f "$log"; return 0; fi
        if ! grep -qE 'held broken packages|unmet dependencies|Unable to correct problems' "$log"; then
            apt_install_failed "$log" "$@"
        fi
    fi

    local prefs
    prefs="$(mktemp -d)"
    printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: -1\n' >"$prefs/hold-back-security.pref"
    local pinned=(-o "Dir::Etc::PreferencesParts=$prefs")
    local downgrades=() round
    # Each round names the libraries the last simulation stumbled on.
    for round in 1 2 3 4 5; do
        if apt-get "${pinned[@]}" install -s --no-install-recommends --allow-downgrades "${downgrades[@]}" "$@" \
            >"$log" 2>&1; then
            break
        fi
        local more
        mapfile -t more < <(twins_to_downgrade "$log" "${pinned[@]}")
        local fresh=()
        for m in "${more[@]}"; do
            if [[ " ${downgrades[*]} " != *" $m "* ]]; then fresh+=("$m"); fi
        done
        if [ ${#fresh[@]} -eq 0 ]; then break; fi
        downgrades+=("${fresh[@]}")
    done
    echo "warning: apt could not resolve the install against the security suite (the mirror may be mid-sync); installing with security updates held back for this command${downgrades[*]:+, downgrading ${downgrades[*]} to match their i386 twins}" >&2
    if ! apt-get "${pinned[@]}" install -y -qq --no-install-recommends --allow-downgrades "${downgrades[@]}" "$@" \
        >"$log" 2>&1; then
        rm -rf "$prefs"
        apt_install_failed "$log" "$@"
    fi
    rm -rf "$prefs" "$log"
}

# The installed amd64 Multi-Arch "same" libraries named in apt's complaint whose
# installed version is newer than anything outside the security suite, as
# PACKAGE=VERSION at the version apt would now pick.
twins_to_downgrade() {
    local log="$1"
    shift
    local name
    for name in $(grep -oE '[a-z0-9][a-z0-9.+-]+(:i386)?' "$log" | sed 's/:i386$//' | sort -u); do
        local installed multiarch
        read -r installed multiarch < <(dpkg-query -W -f='${Version} ${Multi-Arch}\n' "$name:amd64" 2>/dev/null) || continue
        [ "$multiarch" = same ] || continue
        local candidate
        candidate="$(apt-cache "$@" policy "$name:amd64" 2>/dev/null | awk '/Candidate:/ {print $2; exit}')"
        [ -n "$candidate" ] && [ "$candidate" != "(none)" ] || continue
        if dpkg --compare-versions "$installed" gt "$candidate"; then echo "$name:amd64=$candidate"; fi
    done
}

apt_install_failed() {
    local log="$1"
    shift
    local broken
    broken="$(grep -oE '^ [^ ]+ : Depends' "$log" | head -n1 | awk '{print $1}')" || true
    echo "error: could not install ${broken:-these packages}: $*" >&2
    grep -E '^(E:| [^ ]+ : )' "$log" | head -n 12 >&2 || tail -n 12 "$log" >&2
    echo "The Debian mirror may be mid-sync; trying again later may help." >&2
    rm -f "$log"
    exit 100
}
