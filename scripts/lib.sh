# Shared by the set-up scripts: installs the Debian packages the build needs when missing.
REQUIRED_PACKAGES=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libsqlite3-dev libpugixml-dev
  libcli11-dev libbenchmark-dev libpq-dev postgresql-15 qt6-base-dev
  fonts-dejavu-core)

ensure_packages() {
  local missing=()
  for pkg in "${REQUIRED_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

jobs() { nproc 2>/dev/null || echo 2; }
