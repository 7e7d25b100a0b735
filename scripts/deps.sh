# Sourced by run.sh and test.sh: installs the Debian 12 packages that are missing.
ORVEL_BUILD_PACKAGES=(
    cmake g++ make pkg-config ninja-build
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite qt6-svg-dev libgl-dev
    nlohmann-json3-dev zlib1g-dev libsqlite3-dev libx11-dev libxcb1-dev libxtst-dev libpulse-dev
)
ORVEL_TEST_PACKAGES=(
    clang-format xvfb xauth xterm pulseaudio pulseaudio-utils openbox metacity openssl iproute2 util-linux fonts-dejavu-core python3 python3-gi gir1.2-gtk-3.0
)

orvel_install_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
