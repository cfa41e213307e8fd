# Sourced by the other scripts: installs the Debian packages that are missing.
# dpkg-dev computes the package's dependencies when cpack makes the .deb.
ORVET_PACKAGES=(cmake make g++ pkg-config qt6-base-dev qt6-svg-dev libqt6sql6-sqlite libqt6svg6
    libqt6printsupport6 libsqlite3-dev libminizip-dev libxlsxwriter-dev libfreexl-dev libbenchmark-dev fonts-dejavu-core qt6-translations-l10n dpkg-dev)

orvet_install_missing() {
    local missing=() p
    for p in "${ORVET_PACKAGES[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Generates the locales the suites run in, so that they run as on a user's
# desktop: without them glibc stays in C and only Qt speaks Russian.
orvet_generate_locales() {
    local wanted=("$@") missing=() l
    for l in "${wanted[@]}"; do
        locale -a 2>/dev/null | grep -qix "${l/UTF-8/utf8}" || missing+=("$l")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Generating locales: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    for l in "${missing[@]}"; do
        $sudo sed -i "s/^# *\(${l} UTF-8\)/\1/" /etc/locale.gen
        grep -q "^${l} UTF-8" /etc/locale.gen || echo "${l} UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
    done
    $sudo locale-gen >/dev/null
}
