#!/usr/bin/env bash
# The .deb as a user gets it: lintian, then installed with apt-get and used
# from where it was installed, then removed. Needs root or sudo.
# Usage: deb_test.sh PACKAGE.deb [BUILT_PTPDIAG]
#   BUILT_PTPDIAG: a ptpdiag from the source tree, whose replay of the demo
#   capture the installed program must match.
set -u
deb=$(realpath "$1")
built=${2:+$(realpath "$2")}
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
chmod 755 "$work"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
source "$(dirname "$0")/../support/test_helpers.sh"
remove() { $sudo env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q ptpdiag >/dev/null 2>&1; }
trap 'remove; rm -rf "$work"' EXIT

# Lintian: errors and warnings fail; what is kept is overridden in the
# package, with the reason.
lintian --fail-on error,warning --display-info "$deb" >"$work/lintian" 2>&1 ||
  fail "lintian: $(cat "$work/lintian")"
grep -v '^N:' "$work/lintian" | grep -E '^[EW]:' && fail "lintian found the above"
grep -E '^I:' "$work/lintian" | sed 's/^/lintian (kept, see README): /'

# The package holds the two programs and nothing for building or testing.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents"
[ "$(grep -c '^/usr/bin/.' "$work/contents")" -eq 2 ] ||
  fail "expected /usr/bin/ptpdiag and /usr/bin/ptpdiag-sim only: $(grep '^/usr/bin/.' "$work/contents")"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libserialport0 zlib1g fonts-dejavu-core; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib"
done
grep -qE '(^|[ ,])(g\+\+|gcc|cmake|xvfb|libgtest|googletest|prometheus|[a-z0-9.+-]*-dev)([ ,(]|$)' \
  <<<"$depends" && fail "Depends pulls in build or test tools"

$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb" >"$work/apt" 2>&1 ||
  { cat "$work/apt"; fail "apt-get install"; exit 1; }

# One version everywhere: the package, both programs.
version=$(dpkg-query -W -f='${Version}' ptpdiag)
for program in ptpdiag ptpdiag-sim; do
  [ "$(command -v $program)" = "/usr/bin/$program" ] || fail "$program is not /usr/bin/$program"
  said=$("/usr/bin/$program" --version)
  [ "$said" = "ptpdiag $version" ] || fail "$program --version says '$said', the package $version"
done

# A headless replay of the installed example.
docs=/usr/share/doc/ptpdiag
cd "$work"
if /usr/bin/ptpdiag --headless --replay "$docs/examples/demo.cap.gz" --screen 2 \
    --report installed.json --snapshot installed.png 2>"$work/err"; then
  [ -s installed.png ] || fail "the installed replay wrote no picture"
  if [ -n "$built" ]; then
    "$built" --headless --replay "$root/samples/demo.cap" --screen 2 --report built.json \
      --snapshot built.png 2>/dev/null || fail "$built could not replay the demo capture"
    # All but the Meta block, which names the file replayed.
    cmp -s <(grep -v '^  "Meta"\|^    "Units"' installed.json) <(grep -v '^  "Meta"\|^    "Units"' built.json) ||
      fail "the installed replay's report differs from the source tree's"
    cmp -s installed.png built.png || fail "the installed replay's picture differs from the source tree's"
  fi
else
  fail "the installed replay failed: $(cat "$work/err")"
fi
/usr/bin/ptpdiag --headless --open "$docs/examples/example.RAD" 2>"$work/err" && [ ! -s "$work/err" ] ||
  fail "the installed example radio file: $(cat "$work/err")"
# The installed alarm set is the program's own default.
/usr/bin/ptpdiag --alarms "$docs/examples/ptpdiag-alarms.json" --print-alarms 2>&1 |
  cmp -s - <(/usr/bin/ptpdiag --print-alarms) ||
  fail "the installed alarm set differs from the default"
/usr/bin/ptpdiag --profile "$docs/examples/ptpdiag-profile.json" --print-profile 2>&1 |
  cmp -s - <(/usr/bin/ptpdiag --print-profile) ||
  fail "the installed report profile differs from the default"

# The user guide where Help -> User Guide... looks for it (beside the
# documentation, reached from /usr/bin).
for page in index.html screen1.html screen2.html screen3.html screen4.html screen5.html; do
  [ -f "$docs/guide/$page" ] || fail "the user guide lacks $page"
done

# Desktop entry, icons, metainfo, manual pages.
entry=/usr/share/applications/org.norvalen.ptpdiag.desktop
desktop-file-validate "$entry" >"$work/out" 2>&1 && [ ! -s "$work/out" ] ||
  fail "desktop-file-validate: $(cat "$work/out")"
icon=$(sed -n 's/^Icon=//p' "$entry")
# A PNG's width and height are the big-endian words at bytes 16 and 20.
png_size() { od -An -tu1 -j16 -N8 "$1" 2>/dev/null |
  awk '{ printf "%dx%d", (($1 * 256 + $2) * 256 + $3) * 256 + $4, (($5 * 256 + $6) * 256 + $7) * 256 + $8 }'; }
for size in 16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256; do
  [ "$(png_size "/usr/share/icons/hicolor/$size/apps/$icon.png")" = "$size" ] ||
    fail "no $size PNG icon named $icon"
done
[ -s "/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon named $icon"
appstreamcli validate --no-net /usr/share/metainfo/org.norvalen.ptpdiag.metainfo.xml \
  >"$work/out" 2>&1 || fail "appstreamcli: $(cat "$work/out")"
for page in ptpdiag ptpdiag-sim; do
  file=/usr/share/man/man1/$page.1.gz
  [ -s "$file" ] || { fail "no manual page $file"; continue; }
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>"$work/err" >"$work/page"
  [ -s "$work/err" ] && fail "man --warnings $page: $(cat "$work/err")"
  grep -q -- "--version" "$work/page" || fail "the manual page of $page lacks --version"
  mandoc -T lint -W warning "$file" || fail "mandoc $page"
done
for doc in copyright changelog.gz CHANGELOG.md.gz README.md.gz LICENSE; do
  [ -s "$docs/$doc" ] || fail "no $docs/$doc"
done

cd /
remove
[ -e /usr/bin/ptpdiag ] && fail "ptpdiag is still there after removing the package"
[ -e "$entry" ] && fail "the desktop entry is still there after removing the package"

[ "$failures" -eq 0 ] && echo "deb_test: all passed" || echo "deb_test: $failures failed"
exit $((failures > 0))
