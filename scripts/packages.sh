# Debian packages the build, the tests, the demo and the screenshots need.
# Sourced by the scripts in this folder and by fuzz/run and bench/run.
ZORVEL_PACKAGES=(
    build-essential cmake pkg-config
    qtbase5-dev libqt5serialport5-dev libqcustomplot-dev
    qttools5-dev qttools5-dev-tools qttranslations5-l10n
    libmodbus-dev mbpoll
    xvfb xauth imagemagick xdotool fonts-liberation fonts-dejavu-core poppler-utils
)

# Only for the checks beyond the plain suite: the fuzzers (clang with its
# libFuzzer runtime) and the memory check (Valgrind).
ZORVEL_CHECK_PACKAGES=(
    clang libfuzzer-14-dev valgrind
)

# Installs whatever of the given packages is missing: apt-get as root, sudo
# otherwise; nothing at all when everything is present.
zorvel_install_missing() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq || true
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
