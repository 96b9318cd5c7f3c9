#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks what a user gets there:
# the installed programs run, read the installed sample and write a GIS file
# through the installed geospatial module, every desktop file is in place, and
# the desktop entry, AppStream metadata, manual pages and file types pass the
# validators that are installed.
#   install-test.sh CMAKE BUILD_DIR APP_ID
set -euo pipefail
cmake=$1 build=$2 app_id=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }
share=$prefix/share
gui=0; [[ -x $build/vellacor ]] && gui=1

[[ $("$prefix/bin/vellacor-cli" --version) == "vellacor-cli "[0-9]* ]] || fail "vellacor-cli --version"
info=$("$prefix/bin/vellacor-cli" info "$share/vellacor/samples/sample-site.txt")
grep -qE '^points: [1-9][0-9]*$' <<<"$info" || fail "vellacor-cli info on the installed sample: $info"
# The installed geospatial module, found from the installed program alone.
"$prefix/bin/vellacor-cli" convert "$share/vellacor/samples/sample-site.txt" --to "$prefix/site.gpkg" >/dev/null ||
  fail "vellacor-cli convert to a GeoPackage with the installed geospatial module"
status=0; "$prefix/bin/vellacor-cli" --no-such-option >/dev/null 2>&1 || status=$?
[[ $status -eq 2 ]] || fail "vellacor-cli usage error exits $status, not 2"

expected=("$share/vellacor/logo.bmp" "$share/man/man1/vellacor-cli.1"
          "$share/applications/$app_id.desktop" "$share/mime/packages/vellacor.xml"
          "$share/metainfo/$app_id.metainfo.xml" "$share/icons/hicolor/scalable/apps/vellacor.svg")
expected+=("$(find "$prefix" -name libvellacor_gis.so -print -quit)")
for size in 16 22 24 32 48 64 128 256; do expected+=("$share/icons/hicolor/${size}x$size/apps/vellacor.png"); done
if ((gui)); then
  expected+=("$prefix/bin/vellacor" "$share/man/man1/vellacor.1")
  [[ $("$prefix/bin/vellacor" --version) == "vellacor "[0-9]* ]] || fail "vellacor --version"
  "$prefix/bin/vellacor" --help | grep -q '^usage: vellacor' || fail "vellacor --help"
  status=0; "$prefix/bin/vellacor" --no-such-option >/dev/null 2>&1 || status=$?
  [[ $status -eq 2 ]] || fail "vellacor usage error exits $status, not 2"
fi
for file in "${expected[@]}"; do [[ -s $file ]] || fail "not installed: $file"; done

# Validators, where installed (scripts/bootstrap.sh installs them).
if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$share/applications/$app_id.desktop" 2>&1) || fail "desktop-file-validate: $out"
  ! grep -qE '(error|warning):' <<<"$out" || fail "desktop-file-validate: $out"
fi
if command -v appstreamcli >/dev/null; then
  out=$(appstreamcli validate --no-net "$share/metainfo/$app_id.metainfo.xml" 2>&1) || fail "appstreamcli: $out"
fi
if command -v groff >/dev/null; then
  for page in "$share"/man/man1/*.1; do
    out=$(groff -man -ww -z "$page" 2>&1) || fail "groff $page: $out"
    [[ -z $out ]] || fail "groff $page: $out"
  done
fi
if command -v update-mime-database >/dev/null; then
  mime=$prefix/check/mime
  mkdir -p "$mime/packages" && cp "$share/mime/packages/vellacor.xml" "$mime/packages/"
  out=$(XDG_DATA_DIRS=$prefix/check update-mime-database "$mime" 2>&1) || fail "update-mime-database: $out"
  [[ -z $out ]] || fail "update-mime-database: $out"
  for type in application/x-landxml+xml application/x-srtm-hgt text/x-usgs-xyz text/x-raw-triangles; do
    grep -qx "$type" "$mime/types" || fail "file type not registered: $type"
  done
  grep -q 'LandXML' "$mime/XMLnamespaces" || fail "LandXML not known by its root element"
fi
echo "installed and checked in $prefix"
