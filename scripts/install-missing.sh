# Sourced by the set-up scripts: install_missing PKG... installs those of the
# Debian packages that are not installed yet, and nothing when all are.
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
