#!/usr/bin/env bash
# Installs the build into a temporary root (never the real system) and checks that every
# installed file is where the desktop, man and the programs will look for it.
# Usage: install_layout_test.sh CMAKE BUILD_DIR SOURCE_DIR
set -euo pipefail

cmake_command=$1
build_dir=$2
source_dir=$3

# scripts/build-packages.txt installs these; without them the checks below cannot run.
for tool in desktop-file-validate appstreamcli file groff gzip; do
  if ! command -v "$tool" >/dev/null; then
    echo "FAIL: $tool is not installed (see scripts/build-packages.txt)" >&2
    exit 1
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
prefix=/usr
installed=$root$prefix

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

if ! DESTDIR=$root "$cmake_command" --install "$build_dir" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log" >&2
  echo "FAIL: cmake --install did not succeed" >&2
  exit 1
fi

expected_files=(
  bin/sorvane
  bin/sorvane-cli
  "share/sorvane/Sorvane Help.hlp"
  share/applications/sorvane.desktop
  share/metainfo/org.sorvane.Sorvane.metainfo.xml
  share/icons/hicolor/16x16/apps/sorvane.png
  share/icons/hicolor/32x32/apps/sorvane.png
  share/icons/hicolor/48x48/apps/sorvane.png
  share/icons/hicolor/scalable/apps/sorvane.svg
  share/man/man1/sorvane-cli.1.gz
)
for file in "${expected_files[@]}"; do
  [ -s "$installed/$file" ] || fail "missing or empty: $prefix/$file"
done
for program in sorvane sorvane-cli; do
  [ -x "$installed/bin/$program" ] || fail "not executable: $prefix/bin/$program"
done

# Only programs belong in bin/; a data file there breaks Debian's layout.
extra=$(find "$installed/bin" -mindepth 1 ! -name sorvane ! -name sorvane-cli)
[ -z "$extra" ] || fail "unexpected files in $prefix/bin: $extra"

# The window opens the help file from <exe dir>/../share/sorvane/ when it is not beside it.
help_file="$installed/bin/../share/sorvane/Sorvane Help.hlp"
if [ -f "$help_file" ]; then
  cmp -s "$help_file" "$source_dir/src/platform/help/Sorvane Help.hlp" ||
    fail "the installed help file differs from src/platform/help/Sorvane Help.hlp"
fi

desktop_file=$installed/share/applications/sorvane.desktop
if [ -f "$desktop_file" ]; then
  # Hints count too: each one is a menu that may file the entry wrongly.
  if ! complaints=$(desktop-file-validate "$desktop_file" 2>&1) || [ -n "$complaints" ]; then
    fail "desktop-file-validate does not accept sorvane.desktop: $complaints"
  fi
  exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop_file" | head -n 1)
  if [ -z "$exec_program" ] || [ ! -x "$installed/bin/$exec_program" ]; then
    fail "Exec=$exec_program in sorvane.desktop is not an installed program"
  fi
  # The launcher's undo action runs an installed program with the option the window reads.
  action=$(sed -n '/^\[Desktop Action undo-last-run\]/,/^\[/{/^Name=\|^Exec=/p}' "$desktop_file")
  [ "$action" = $'Name=Undo Last Replace\nExec=sorvane --undo-last-run' ] ||
    fail "sorvane.desktop has no \"Undo Last Replace\" action running sorvane --undo-last-run: '$action'"
  icon_name=$(sed -n 's/^Icon=//p' "$desktop_file")
  [ -f "$installed/share/icons/hicolor/scalable/apps/$icon_name.svg" ] ||
    fail "Icon=$icon_name in sorvane.desktop has no installed icon"
fi

metainfo=$installed/share/metainfo/org.sorvane.Sorvane.metainfo.xml
if [ -f "$metainfo" ]; then
  appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
    fail "appstreamcli does not accept the metainfo: $(cat "$work/appstream.log")"
  launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
  [ -f "$installed/share/applications/$launchable" ] || fail "the metainfo launches $launchable, which is not installed"
fi

# The PNGs must be real images of their folder's size, or the desktop scales or drops them.
for size in 16 32 48; do
  png=$installed/share/icons/hicolor/${size}x${size}/apps/sorvane.png
  [ -f "$png" ] || continue
  description=$(file -b "$png")
  [[ $description == "PNG image data, $size x $size,"* ]] ||
    fail "${size}x${size}/apps/sorvane.png is not a $size x $size PNG: $description"
done
svg=$installed/share/icons/hicolor/scalable/apps/sorvane.svg
if [ -f "$svg" ]; then
  [[ $(file -b "$svg") == *"SVG"* ]] || fail "scalable/apps/sorvane.svg is not an SVG: $(file -b "$svg")"
fi

# The manual must format without warnings and document every option the program accepts.
man_page=$installed/share/man/man1/sorvane-cli.1.gz
if [ -f "$man_page" ] && [ -x "$installed/bin/sorvane-cli" ]; then
  if ! gzip -t "$man_page"; then
    fail "sorvane-cli.1.gz is not a valid gzip file"
  else
    warnings=$(gzip -dc "$man_page" | groff -man -ww -z 2>&1) || fail "groff cannot format sorvane-cli.1"
    [ -z "$warnings" ] || fail "groff warns about sorvane-cli.1: $warnings"
    source=$(gzip -dc "$man_page")
    options=$("$installed/bin/sorvane-cli" --help | grep -o -- '--[a-z][a-z-]*' | sort -u) || true
    [ -n "$options" ] || fail "the installed sorvane-cli --help lists no options"
    for option in $options; do
      [[ $source == *"${option//-/\\-}"* ]] || fail "sorvane-cli.1 does not document $option"
    done
  fi
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures packaging check(s) failed; installed tree:" >&2
  (cd "$root" && find . -mindepth 1 | sort) >&2
  exit 1
fi
echo "packaging: every installed file is in place"
