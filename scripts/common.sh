# Shared by scripts/run and scripts/test: installs what is missing and builds.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

# Debian packages the project builds, tests and runs with.
PACKAGES=(
  cmake g++ make pkg-config
  qt6-base-dev
  libgtest-dev googletest libbenchmark-dev
  libsleef-dev
  xvfb xauth fonts-dejavu-core imagemagick
  clang libclang-rt-14-dev
  qt6-translations-l10n
  dpkg-dev appstream desktop-file-utils shared-mime-info libxml2-utils
)

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
