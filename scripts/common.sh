# Shared by scripts/run and scripts/test: installs what is missing and builds.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

# Debian packages the project builds, tests and runs with.
PACKAGES=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-svg-dev qt6-translations-l10n
  libgtest-dev googletest libbenchmark-dev
  libeigen3-dev libfftw3-dev
  libsndfile1-dev libsamplerate0-dev
  xvfb xauth openbox fonts-dejavu-core imagemagick libxcb1-dev
  clang libclang-rt-14-dev clang-format clang-tidy
  locales
  dpkg-dev appstream desktop-file-utils shared-mime-info libxml2-utils lintian man-db groff-base
  iverilog ghdl verilator yosys
)

# The locales the tests run under: Russian (decimal comma), as our users run the program, and
# US English (decimal point).
TEST_LOCALES=(ru_RU.UTF-8 en_US.UTF-8)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if [ "${#missing[@]}" -eq 0 ]; then
    return 0
  fi
  echo "Installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Generates the test locales where the C library does not have them yet.
ensure_locales() {
  local missing=()
  for l in "${TEST_LOCALES[@]}"; do
    # `locale -a` lists ru_RU.UTF-8 as ru_RU.utf8.
    if ! locale -a 2>/dev/null | grep -qix "${l%%.*}.utf8"; then
      missing+=("$l")
    fi
  done
  if [ "${#missing[@]}" -eq 0 ]; then
    return 0
  fi
  echo "Generating locales: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  for l in "${missing[@]}"; do
    if grep -q "^# *$l UTF-8" /etc/locale.gen; then
      $sudo sed -i "s/^# *\($l UTF-8\)/\1/" /etc/locale.gen
    elif ! grep -q "^$l UTF-8" /etc/locale.gen; then
      echo "$l UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
    fi
  done
  $sudo locale-gen >/dev/null
}

# build DIR [cmake options...]
build() {
  local dir="$1"; shift
  cmake -S "$ROOT" -B "$ROOT/$dir" "$@" >/dev/null
  cmake --build "$ROOT/$dir" -j "$JOBS"
}

# make_package DIR: the Debian package of the build in DIR; prints its name.
make_package() {
  local dir="$ROOT/$1"
  rm -f "$dir"/pulsefir_*.deb
  (cd "$dir" && cpack -G DEB >/dev/null)
  ls "$dir"/pulsefir_*.deb
}
