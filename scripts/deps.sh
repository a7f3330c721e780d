# Sourced by ./run-qxhost and ./run-tests: makes sure the Debian packages the
# build needs are installed. As root it installs what is missing with apt-get;
# otherwise it prints the one command to run and stops.
qx_require_packages() {
  local missing=()
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
      DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null || {
      echo "apt-get could not install: ${missing[*]}" >&2
      return 1
    }
  else
    echo "Missing packages. Run this once, then try again:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    return 1
  fi
}

QX_BUILD_PACKAGES=(cmake make g++ libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev libedit-dev)
QX_TEST_PACKAGES=(clang-14 libfuzzer-14-dev locales)
# The Python module and its tests, for Debian's own python3.
QX_PYTHON_PACKAGES=(python3-dev pybind11-dev python3-pytest)
