# Shared by scripts/run, scripts/test and scripts/bench: installs the Debian packages the
# project needs (only those missing) and builds a tree. Source it; do not run it.

CONVEYOR_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

CONVEYOR_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev
  libcap-dev zlib1g-dev libarchive-dev
  zip p7zip-full gzip
  clang libclang-rt-14-dev lld
  fonts-liberation fonts-dejavu-core
  xvfb xauth openbox xdotool wmctrl x11-utils xclip
  weston qt6-wayland
  desktop-file-utils appstream man-db groff-base bash-completion
)

conveyor_install_packages() {
  local missing=() pkg
  for pkg in "${CONVEYOR_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
}

# conveyor_build DIR BUILD_TYPE [extra cmake arguments...]
conveyor_build() {
  local dir=$1 type=$2
  shift 2
  cmake -S "$CONVEYOR_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}
