#!/usr/bin/env bash
# Checks the installed programs from outside the build tree.
#   layout: installs the build into a scratch DESTDIR (prefix /usr)
#   deb:    builds the Debian package with CPack and unpacks it
# In both, the installed vantora must name the toluene channel of the sample
# site (the compound list is found in share/vantorapc), and the installed
# VantoraPC must resolve its help pages there; every program answers
# --version with the package's version.
# Usage: check_install.sh layout|deb BUILD_DIR CMAKE CPACK
set -euo pipefail
mode=$1 build=$2 cmake=$3 cpack=$4

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vantora-$mode.XXXXXX")
scratch=$(cd "$scratch" && pwd -P)
trap 'rm -rf "$scratch"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

export TZ=Europe/Berlin QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
export XDG_RUNTIME_DIR=$scratch/run
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# The channels of the sample site's "Night Survey.loc" as `vantora info`
# prints them, from the vantora program $1.
night_survey_channels() {
  local site=$scratch/site
  [ -f "$site/Night Survey.loc" ] || "$1" make-sample "$site" >/dev/null ||
    fail "$1 make-sample"
  "$1" info "$site/Night Survey.loc" || fail "$1 info"
}

# Checks the tree unpacked or installed at $1 (holding usr/).
check_tree() {
  local root=$1 usr=$1/usr
  local p
  for p in VantoraPC corvanetransfer vantora corvane-sim; do
    [ -x "$usr/bin/$p" ] || fail "$usr/bin/$p not installed"
  done
  local extra
  extra=$(ls "$usr/bin" | grep -v -x -e VantoraPC -e corvanetransfer -e vantora -e corvane-sim || true)
  [ -z "$extra" ] || fail "unexpected programs in bin/: $extra"
  local share=$usr/share/vantorapc
  for p in tvoc.csv limits.csv bitmap.bmp support.html help/vantorapchelp.html help/ppchelp.html \
    help/hpchelp.html "templates/Site Survey.rtf" "templates/Ventilation Check.rtf"; do
    [ -f "$share/$p" ] || fail "$share/$p not installed"
  done

  # The compound list is found under share/vantorapc ...
  night_survey_channels "$usr/bin/vantora" | grep -q '| Toluene (10004) |' ||
    fail "the installed vantora does not name the toluene channel"
  # ... and a copy of the program with no shipped files beside or above it
  # cannot name the compound, so the check above does tell them apart.
  mkdir -p "$scratch/alone/bin"
  cp "$usr/bin/vantora" "$scratch/alone/bin/"
  night_survey_channels "$scratch/alone/bin/vantora" | grep -q '| Error (10004) |' ||
    fail "a lone vantora still names the compound"

  # The installed vantora finds the shipped limit sets.
  "$usr/bin/vantora" limits | grep -q -x 'Workplace (NIOSH REL)' ||
    fail "the installed vantora does not list the shipped limit sets"

  # VantoraPC resolves the pages its Help and Technical Support commands open.
  local out
  out=$("$usr/bin/VantoraPC" --shipped-files) || fail "VantoraPC --shipped-files: $out"
  grep -q -x "help: $share/help/vantorapchelp.html" <<<"$out" || fail "help page: $out"
  grep -q -x "support: $share/support.html" <<<"$out" || fail "support page: $out"
  grep -q -x "compounds: $share/tvoc.csv" <<<"$out" || fail "compound list: $out"
  grep -q -x "drawing: $share/bitmap.bmp" <<<"$out" || fail "blank drawing: $out"
  grep -q -x "templates: $share/templates" <<<"$out" || fail "templates: $out"
  # Installed, the templates folder is in the user's documents.
  grep -q -x "templates folder: $HOME/Documents/vantora templates/" <<<"$out" ||
    fail "templates folder: $out"
  cp "$usr/bin/VantoraPC" "$scratch/alone/bin/"
  if out=$("$scratch/alone/bin/VantoraPC" --shipped-files); then
    fail "a lone VantoraPC reports its help pages present: $out"
  fi
  grep -q "^help: $scratch/alone/bin/help/vantorapchelp.html (missing)$" <<<"$out" ||
    fail "a lone VantoraPC: $out"
  rm -rf "$scratch/alone"

  # Every program names itself and the build's one version, the window
  # programs without a display; the package carries the same number.
  local version
  version=$("$usr/bin/vantora" --version) || fail "vantora --version: $version"
  version=${version#vantora }
  [ -n "$version" ] || fail "vantora --version printed no version"
  for p in VantoraPC corvanetransfer corvane-sim; do
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$usr/bin/$p" --version) ||
      fail "$p --version: $out"
    [ "$out" = "$p $version" ] || fail "$p --version: $out (vantora: $version)"
  done
  [ -z "$package_version" ] || [ "$version" = "$package_version" ] ||
    fail "the package's version $package_version, the programs' $version"

  # Desktop integration.
  command -v desktop-file-validate >/dev/null ||
    fail "desktop-file-validate not found (scripts/deps.sh installs desktop-file-utils)"
  local apps=$usr/share/applications
  desktop-file-validate "$apps/vantorapc.desktop" "$apps/corvanetransfer.desktop" ||
    fail "desktop entries do not validate"
  grep -q -x 'Exec=VantoraPC %f' "$apps/vantorapc.desktop" || fail "VantoraPC Exec line"
  grep -q -x 'MimeType=application/x-vantora-location;application/x-vantora-graph;' \
    "$apps/vantorapc.desktop" || fail "VantoraPC MimeType line"
  local mime=$usr/share/mime/packages/vantorapc.xml
  grep -q '<mime-type type="application/x-vantora-location">' "$mime" || fail "location type"
  grep -q '<glob pattern="\*.loc"/>' "$mime" || fail "*.loc glob"
  grep -q '<mime-type type="application/x-vantora-graph">' "$mime" || fail "graph type"
  grep -q '<glob pattern="\*.vtg"/>' "$mime" || fail "*.vtg glob"
  local icon
  for icon in vantorapc corvanetransfer; do
    grep -q '<svg' "$usr/share/icons/hicolor/scalable/apps/$icon.svg" || fail "$icon.svg"
    # PNG signature and a 48 x 48 header.
    local png=$usr/share/icons/hicolor/48x48/apps/$icon.png
    [ "$(od -An -tx1 -N8 "$png" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is no PNG"
    [ "$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ' | sed 's/^ //')" = "0 0 0 48 0 0 0 48" ] ||
      fail "$png is not 48 x 48"
  done
}

package_version=
case $mode in
  layout)
    DESTDIR=$scratch/root "$cmake" --install "$build" --prefix /usr >"$scratch/install.log" ||
      { cat "$scratch/install.log"; fail "cmake --install"; }
    [ ! -e "$scratch/root/usr/bin/tvoc.csv" ] || fail "shipped files installed beside the programs"
    check_tree "$scratch/root"
    ;;
  deb)
    command -v dpkg-deb >/dev/null || fail "dpkg-deb not found (scripts/deps.sh installs dpkg-dev)"
    (cd "$build" && "$cpack" -G DEB -B "$scratch/pkg") >"$scratch/cpack.log" 2>&1 ||
      { cat "$scratch/cpack.log"; fail "cpack -G DEB"; }
    debs=("$scratch"/pkg/*.deb)
    [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, got: ${debs[*]}"
    info=$(dpkg-deb --info "${debs[0]}")
    grep -q '^ Package: vantorapc$' <<<"$info" || fail "package name: $info"
    grep -q '^ Section: science$' <<<"$info" || fail "section: $info"
    grep -q '^ Maintainer: .*<.*@.*>$' <<<"$info" || fail "maintainer: $info"
    depends=$(grep '^ Depends: ' <<<"$info") || fail "no Depends field: $info"
    for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6; do
      grep -q "[ ,]$lib[ ,(]\|[ ,]$lib\$" <<<"$depends" || fail "$lib missing from $depends"
    done
    contents=$(dpkg-deb -c "${debs[0]}")
    grep -q ' \./usr/share/doc/vantorapc/copyright$' <<<"$contents" || fail "no copyright file"
    package_version=$(dpkg-deb -f "${debs[0]}" Version)
    dpkg-deb -x "${debs[0]}" "$scratch/x"
    check_tree "$scratch/x"
    ;;
  *) fail "unknown mode $mode" ;;
esac
echo "ok: $mode"
