# Sourced by the set-up scripts: apt-get with retries. While a Debian mirror
# syncs, its package indexes can be out of step for a while ("File has
# unexpected size ... Mirror sync in progress?", then "held packages"); a
# fresh index a little later usually installs.
#   apt_install_retry PACKAGE...   0 when every package is installed
apt_install_retry() {
    local sudo= attempt
    if [ "$(id -u)" != 0 ]; then sudo=sudo; fi
    export DEBIAN_FRONTEND=noninteractive
    for attempt in 1 2 3 4; do
        if $sudo apt-get install -y -q --no-install-recommends "$@"; then
            return 0
        fi
        echo "apt-get install failed (attempt $attempt of 4); updating the index again" >&2
        [ "$attempt" -gt 1 ] && sleep $((attempt * 20))
        $sudo apt-get update -q || true
    done
    return 1
}

# apt_install_multiarch PACKAGE...: apt_install_retry, and when that fails
# because a library's i386 half lags its amd64 half (or the other way round:
# the two indexes of a syncing mirror, or a security index missing for one
# architecture), installs both halves of each such library at a version both
# indexes offer, moving the amd64 one down or up. 0 when every package is
# installed.
apt_install_multiarch() {
    apt_install_retry "$@" && return 0
    local sudo= pins=() round out lagging p v
    if [ "$(id -u)" != 0 ]; then sudo=sudo; fi
    for round in 1 2 3 4 5 6 7 8; do
        if out=$($sudo apt-get install -y --dry-run --allow-downgrades "$@" "${pins[@]}" 2>&1); then
            echo "apt: installing with both architectures of ${#pins[@]} packages at one version" >&2
            $sudo apt-get install -y -q --allow-downgrades --no-install-recommends "$@" "${pins[@]}"
            return
        fi
        lagging=$(grep -oE "Depends: [a-z0-9.+-]+:i386" <<<"$out" | awk '{print $2}' |
            sed 's/:i386$//' | sort -u)
        [ -n "$lagging" ] || return 1
        for p in $lagging; do
            v=$(apt-cache madison "$p:i386" | awk -F'|' 'NR == 1 {gsub(/ /, "", $2); print $2}')
            [ -n "$v" ] || continue
            apt-cache madison "$p" | awk -F'|' '{gsub(/ /, "", $2); print $2}' | grep -qxF "$v" ||
                continue
            case " ${pins[*]} " in *" $p=$v "*) ;; *) pins+=("$p=$v" "$p:i386=$v") ;; esac
        done
    done
    return 1
}
