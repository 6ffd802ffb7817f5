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
