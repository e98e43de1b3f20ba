#!/usr/bin/env bash
# The installed tree and the Debian package of the build in $1: the files under the prefix,
# the menu entry, the file type of prepared reports, the icon sizes; then the package's
# contents and declared dependencies, lintian's errors, and the program started offscreen
# from the package unpacked into a throw-away root (never installed into the system).
# With "install" as $2 only the installed tree is checked.
set -uo pipefail
build=$(cd "$1" && pwd)
what=${2:-all}
work=$(mktemp -d /tmp/qmx-install-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_file() { [ -f "$1" ] || fail "missing $1"; }

icon_sizes="16 22 24 32 48 64 128 256"

# Checks an installed tree rooted at $1 with the prefix $2 inside it.
check_tree() {
  local root=$1 prefix=$2 p="$1$2"
  for program in qmxdiy qmxdiy-catalogue qmxdiy-report qmxdiy-report-print qmxdiy-makedb; do
    [ -x "$p/bin/$program" ] || fail "$p/bin/$program is not an installed program"
  done
  expect_file "$p/share/qmxdiy/guide/index.html"
  for picture in $(grep -o 'src="[^"]*"' "$p/share/qmxdiy/guide/index.html" | sed 's/src="\(.*\)"/\1/'); do
    expect_file "$p/share/qmxdiy/guide/$picture"
  done
  local desktop="$p/share/applications/qmxdiy.desktop"
  expect_file "$desktop"
  desktop-file-validate "$desktop" || fail "desktop-file-validate refuses $desktop"
  grep -qx 'Name=QMX电脑装机写单' "$desktop" || fail "the menu entry's name"
  grep -qx 'Categories=Office;' "$desktop" || fail "the menu entry's category"
  grep -q '^GenericName\[zh_CN\]=' "$desktop" && grep -q '^GenericName=' "$desktop" || fail "generic names"
  grep -q '^Comment\[zh_CN\]=' "$desktop" && grep -q '^Comment=' "$desktop" || fail "comments"
  grep -qx 'MimeType=application/x-qmxdiy-report;' "$desktop" || fail "the entry opens prepared reports"
  grep -q '^Exec=qmxdiy .*%f' "$desktop" || fail "the entry passes the file"
  for size in $icon_sizes; do
    for icon in apps/qmxdiy mimetypes/application-x-qmxdiy-report; do
      local png="$p/share/icons/hicolor/${size}x${size}/$icon.png"
      expect_file "$png"
      [ -f "$png" ] && [ "$(identify -format '%wx%h' "$png")" = "${size}x${size}" ] || fail "$png is not ${size}x${size}"
    done
  done
  # The file type: a database built from the installed definition maps *.fp3 and the
  # prepared-report root element to it.
  expect_file "$p/share/mime/packages/qmxdiy.xml"
  local mime="$work/mime-$RANDOM"
  mkdir -p "$mime/packages" && cp "$p/share/mime/packages/qmxdiy.xml" "$mime/packages/"
  update-mime-database "$mime" >/dev/null 2>&1 || fail "update-mime-database refuses the file type"
  grep -q 'application/x-qmxdiy-report:\*\.fp3' "$mime/globs2" || fail "*.fp3 is not a prepared report"
  grep -q 'preparedreport' "$mime/XMLnamespaces" || fail "the root element does not name the type"
  expect_file "$p/share/doc/qmxdiy/copyright"
}

# ---- cmake --install into a staging prefix
stage="$work/stage"
DESTDIR="$stage" cmake --install "$build" --prefix /usr/local >"$work/install.log" 2>&1 ||
  { cat "$work/install.log"; fail "cmake --install"; }
check_tree "$stage" /usr/local
# The installed program finds its guide where it looks for it: PREFIX/share beside PREFIX/bin.
[ "$(realpath -m "$stage/usr/local/bin/../share/qmxdiy/guide/index.html")" = "$stage/usr/local/share/qmxdiy/guide/index.html" ] ||
  fail "the guide is not beside the program"

if [ "$what" = install ]; then
  [ $failures -eq 0 ] && echo "installed tree: ok"
  exit $((failures > 0))
fi

# ---- the package
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; fail "cpack"; exit 1; }
deb=$(ls "$work"/package/qmxdiy_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { fail "no qmxdiy_*.deb"; exit 1; }
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libqt6printsupport6 libqt6network6 libsqlcipher0 libpq5 libjpeg62-turbo zlib1g libc6 qt6-translations-l10n fonts-noto-cjk; do
  grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done
[ "$(dpkg-deb -f "$deb" Package)" = qmxdiy ] || fail "package name"
root="$work/root"
dpkg -x "$deb" "$root" || fail "dpkg -x"
check_tree "$root" /usr
lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 ||
  { grep '^E:' "$work/lintian.log"; fail "lintian reports errors"; }

# The unpacked program starts and paints its window offscreen, on a data folder of its own.
data="$work/data"
out=$(env QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" QMX_BENCH_FIRST_PAINT=0 \
      timeout 60 "$root/usr/bin/qmxdiy" --data-dir "$data" 2>"$work/start.log")
grep -q '^painted' <<<"$out" || { cat "$work/start.log"; fail "the packaged program did not paint its window"; }
expect_file "$data/qmxpcdiy.dat"
# Its tools run from the package too: the report tool with the print program beside it.
"$root/usr/bin/qmxdiy-report" template >"$work/template.xml" && grep -q '<TfrxReport ' "$work/template.xml" ||
  fail "qmxdiy-report from the package"
"$root/usr/bin/qmxdiy-catalogue" --data-dir "$data" search 内存 >/dev/null || fail "qmxdiy-catalogue from the package"

[ $failures -eq 0 ] && echo "installed tree and package: ok"
exit $((failures > 0))
