# Shared by the scripts: install the Debian packages the project needs, only those missing.
# Later work adds its packages to VELDRA_PACKAGES.
VELDRA_PACKAGES=(
  cmake ninja-build g++ pkg-config ccache
  libsdl2-dev libgtest-dev libgmock-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev xdg-utils
  xvfb xauth x11-utils imagemagick vsftpd
  liblzo2-dev
  libfreetype-dev libfontconfig-dev fonts-wqy-zenhei
  libjpeg62-turbo-dev libjpeg-turbo-progs
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev
  lame twolame mpg123 ffmpeg hyperfine
  libminizip-dev zlib1g-dev
  nginx-light curl
)

veldra_install_deps() {
  local missing=() p
  for p in "${VELDRA_PACKAGES[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "installing: ${missing[*]}"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

veldra_jobs() {
  local n
  n=${VELDRA_JOBS:-$(nproc 2>/dev/null || echo 2)}
  echo "$n"
}
