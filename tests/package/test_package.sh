#!/bin/sh
# Builds the Debian package from the build folder, checks what it holds and what it depends on, unpacks it
# and starts the unpacked program: it must find its help page and write a data folder in a fresh home.
# Usage: test_package.sh <build folder> <version>
set -eu
build=$1
version=$2
work=$(mktemp -d)
program=
cleanup() {
    if [ -n "$program" ]; then kill "$program" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

arch=$(dpkg --print-architecture)
(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb="$work/out/lichuan_${version}_${arch}.deb"
[ -f "$deb" ] || { ls "$work/out"; fail "no package named lichuan_${version}_${arch}.deb"; }

# The files of the package.
dpkg-deb -c "$deb" | awk '{print $6}' >"$work/contents"
for path in ./usr/bin/lichuan ./usr/bin/lichuan-migrate ./usr/share/lichuan/help/index.html ./usr/share/applications/lichuan.desktop \
    ./usr/share/icons/hicolor/scalable/apps/lichuan.svg ./usr/share/icons/hicolor/48x48/apps/lichuan.png \
    ./usr/share/icons/hicolor/256x256/apps/lichuan.png; do
    grep -qx "$path" "$work/contents" || fail "$path is not in the package"
done
# Nothing outside /usr: no data folder, no file in a home.
if grep -v '^\./usr/' "$work/contents" | grep -qv '^\./$'; then fail "files outside /usr"; fi

# What it depends on: the libraries found by dpkg-shlibdeps and the packages listed by hand.
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6gui6 libqt6core6 libqt6printsupport6 libsqlcipher0 libcups2 \
    fonts-arphic-uming fonts-noto-cjk qt6-translations-l10n; do
    echo "$depends" | tr ',' '\n' | sed 's/^ *//' | grep -q "^$package\b" || fail "Depends lacks $package: $depends"
done
dpkg-deb -f "$deb" Recommends | grep -q fcitx5-frontend-qt6 || fail "Recommends lacks fcitx5-frontend-qt6"

# The unpacked program: its desktop entry, its version, its help page, a first start in a fresh home.
dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/lichuan.desktop" || fail "desktop entry"
bin="$work/root/usr/bin/lichuan"
[ "$("$bin" --version)" = "lichuan $version" ] || fail "version: $("$bin" --version)"
page=$("$bin" --help-page) || fail "no help page"
[ "$page" = "$work/root/usr/share/lichuan/help/index.html" ] || fail "help page found at $page"
# The tool that moves a clinic onto its server starts and explains itself.
status=0
"$work/root/usr/bin/lichuan-migrate" >/dev/null 2>"$work/migrate.log" || status=$?
[ $status -eq 2 ] && grep -q "postgresql://" "$work/migrate.log" || fail "lichuan-migrate: status $status"

mkdir "$work/home"
HOME="$work/home" QT_QPA_PLATFORM=offscreen "$bin" >"$work/run.log" 2>&1 &
program=$!
data="$work/home/中医处方数据库"
tries=0
while [ ! -s "$data/数据库.dat" ] || [ ! -s "$data/用药统计.dat" ]; do
    tries=$((tries + 1))
    [ $tries -le 600 ] || { cat "$work/run.log"; fail "no data folder written"; }
    kill -0 "$program" 2>/dev/null || { cat "$work/run.log"; fail "the program ended"; }
    sleep 0.1
done
# Keyed files: no plain SQLite header.
for file in "$data/数据库.dat" "$data/用药统计.dat"; do
    if head -c 15 "$file" | grep -q "SQLite format"; then fail "$file is not encrypted"; fi
done
kill -0 "$program" 2>/dev/null || fail "the program did not keep running after start-up"
echo "package $deb checked"
