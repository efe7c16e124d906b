#!/usr/bin/env bash
# package_deb.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2
for tool in cpack dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool missing (install cmake, dpkg-dev)"; exit 77; }
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >cpack.log 2>&1) \
  || { cat "$scratch/cpack.log"; fail "cpack did not build the package"; }
deb="$scratch/out/tarvo_${version}_amd64.deb"
[ -f "$deb" ] || { ls "$scratch/out"; fail "no $(basename "$deb")"; }

# Runtime packages only: what the programs link, what they load.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
if tr ',' '\n' <<<"$depends" | grep -E -- '-dev( |$|\()' ; then fail "a -dev package among the dependencies"; fi
for needed in libqt6core6 libqt6widgets6 libqt6charts6 libsqlite3-0 libmdb3 libxlsxwriter4 libzint2.11 libssl3 qt6-qpa-plugins; do
  tr ',' '\n' <<<"$depends" | grep -q -E "^ *$needed( |$)" || fail "dependency $needed missing"
done

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
# The move to a server, when built, comes with the client library it needs.
if [ -e "$root/usr/lib/tarvo/tarvo-migra" ]; then
  tr ',' '\n' <<<"$depends" | grep -q -E "^ *libpq5( |$)" || fail "dependency libpq5 missing for tarvo-migra"
  [ -e "$root/usr/lib/tarvo/tarvo-pg.sql" ] || fail "tarvo-pg.sql not beside tarvo-migra"
fi
for file in usr/bin/tarvo usr/lib/tarvo/quirnel usr/lib/tarvo/libLodder.so usr/lib/tarvo/tarvo.sql usr/lib/tarvo/tarvo-etichette \
            usr/lib/tarvo/articoli.rpt usr/lib/tarvo/shpix usr/share/applications/tarvo.desktop \
            usr/share/icons/hicolor/scalable/apps/tarvo.svg; do
  [ -e "$root/$file" ] || fail "$file not in the package"
done
# A user's data is never in the package: nothing to overwrite on an upgrade.
if (cd "$root" && find . -name '*.mdb' -o -name log -o -name backup | grep .); then
  fail "the package carries a user's data"
fi

# First start through the launcher: the user's folder is made, the log
# library registered for the user, and the self-check passes.
home="$scratch/home"
mkdir -p "$home"
HOME="$home" TARVO_REGISTRY="$home/components.reg" "$root/usr/bin/tarvo" --verifica \
  || fail "the unpacked program failed its self-check"
[ -f "$home/Tarvo/tarvo.mdb" ] && [ -f "$home/Tarvo/log/deb.mdb" ] || fail "the user's program folder was not made"
grep -q "$root/usr/lib/tarvo/libLodder.so" "$home/components.reg" || fail "libLodder.so not registered"

# The tools through the launcher work on the user's database.
HOME="$home" TARVO_REGISTRY="$home/components.reg" "$root/usr/bin/tarvo" esporta csv anagrafica >"$scratch/anagrafica.csv" \
  || fail "tarvo esporta did not export the user's register"
head -c 3 "$scratch/anagrafica.csv" | od -An -tx1 | grep -q "ef bb bf" || fail "the export has no BOM"
HOME="$home" "$root/usr/bin/tarvo" stampa articoli.rpt --pdf "$scratch/articoli.pdf" >/dev/null \
  || fail "tarvo stampa did not print from the user's database"
[ -s "$scratch/articoli.pdf" ] || fail "tarvo stampa wrote no PDF"

# tarvo migra reaches for the server with the user's database (no server
# listens on port 1: refused, and said so).
if [ -e "$root/usr/lib/tarvo/tarvo-migra" ]; then
  rc=0
  HOME="$home" "$root/usr/bin/tarvo" migra --verso postgresql://tarvo@127.0.0.1:1/negozio \
    >/dev/null 2>"$scratch/migra.err" || rc=$?
  [ "$rc" -eq 1 ] && grep -q "Collegamento al server non riuscito" "$scratch/migra.err" \
    || { cat "$scratch/migra.err"; fail "tarvo migra did not run from the package (exit $rc)"; }
fi

# Without the log library registered the self-check says so and fails.
rm "$home/components.reg"
if HOME="$home" TARVO_REGISTRY="$home/components.reg" "$root/usr/lib/tarvo/quirnel" --verifica 2>"$scratch/err"; then
  fail "the self-check passed without the log library"
fi
grep -q "libreria dei log" "$scratch/err" || { cat "$scratch/err"; fail "the failure does not name the log library"; }
echo "package ok: $(basename "$deb")"
