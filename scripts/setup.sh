#!/usr/bin/env bash
# Installs the Debian packages the build needs. Idempotent: does nothing when all are present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libdxflib-dev libgeos-dev
  python3-ezdxf fonts-noto-cjk locales
)

# shellcheck source=install-missing.sh
source "$(dirname "$0")/install-missing.sh"
install_missing "${packages[@]}"

# A locale whose decimal sign is a comma: the tests run the commands under it.
if ! locale -a 2>/dev/null | grep -qix 'de_DE.utf8'; then
  $sudo localedef -i de_DE -c -f UTF-8 de_DE.UTF-8
fi
