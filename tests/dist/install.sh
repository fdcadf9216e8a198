#!/usr/bin/env bash
# `cmake --install` puts exactly the README's files in place, both with
# --prefix and with DESTDIR under the configured prefix; the unit's ExecStart
# names the program where that prefix puts it; no test is installed.
set -u
BUILD=$(realpath "$2")
fail() { echo "FAIL: $*" >&2; exit 1; }
tmp=$(mktemp -d /tmp/quor-install.XXXXXX)
trap 'rm -rf "$tmp"' EXIT

expected_files() {
  local p=$1
  printf '%s\n' "$p/bin/gpssim" "$p/bin/quor" "$p/bin/quor-decode" \
    "$p/lib/systemd/system/quor.service" "$p/lib/sysusers.d/quor.conf" \
    "$p/share/applications/quor.desktop" "$p/share/icons/hicolor/scalable/apps/quor.svg" \
    "$p/share/man/man1/gpssim.1" "$p/share/man/man1/quor-decode.1" "$p/share/man/man1/quor.1" | sort
}

configured=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$BUILD/CMakeCache.txt")
# directory written | root of the files | prefix the unit must name | how to install
cases=(
  "$tmp/a|$tmp/a/opt/q|$tmp/a/opt/q|cmake --install $BUILD --prefix $tmp/a/opt/q"
  "$tmp/b|$tmp/b$configured|$configured|env DESTDIR=$tmp/b cmake --install $BUILD"
)
for c in "${cases[@]}"; do
  IFS='|' read -r base root prefix command <<<"$c"
  $command >"$tmp/install.out" 2>&1 || { cat "$tmp/install.out"; fail "$command"; }
  got=$(find "$base" ! -type d | sort)
  [ "$got" = "$(expected_files "$root")" ] || {
    diff <(expected_files "$root") <(echo "$got"); fail "installed files differ ($command)"; }
  grep -qx "ExecStart=$prefix/bin/quor --headless" "$root/lib/systemd/system/quor.service" \
    || fail "ExecStart: $(grep ExecStart "$root/lib/systemd/system/quor.service")"
  [ -x "$root/bin/quor" ] || fail "quor is not executable"
done

root=$tmp/a/opt/q
"$root/bin/quor" --version | grep -qx "quor [0-9.]*" || fail "installed quor --version"
desktop=$root/share/applications/quor.desktop
for line in "Exec=quor" "Icon=quor" "Type=Application"; do
  grep -qx "$line" "$desktop" || fail "desktop entry lacks $line"
done
grep -q "^Name=." "$desktop" && grep -q "^Name\[ja\]=." "$desktop" || fail "desktop entry names"
grep -q "<svg" "$root/share/icons/hicolor/scalable/apps/quor.svg" || fail "icon"
for page in quor gpssim quor-decode; do
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS FILES "EXIT STATUS"; do
    grep -qx ".SH \"*$section\"*" "$root/share/man/man1/$page.1" || fail "$page.1 lacks $section"
  done
done
echo "install: ok"
