#!/bin/sh
# with-cups.sh TEST [ARGS...]: runs TEST with a CUPS server of its own, as the
# database tests run with a PostgreSQL server of their own. The server has
# one queue, "Etichette", the default, with the CUPS-PDF driver; its device
# is a file, so that the test reads back what CUPS made of the print job
# (TARVO_CUPS_OUTPUT). Exit code 77 (the test skipped) when no CUPS server can
# be started here.
set -u
cupsd=/usr/sbin/cupsd
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
if [ ! -x "$cupsd" ] || [ ! -f "$ppd" ] || [ "$(id -u)" -ne 0 ]; then
  echo "with-cups: a CUPS server needs cups, printer-driver-cups-pdf and root ($(id -un) here)" >&2
  exit 77
fi
dir=$(mktemp -d /tmp/tarvo-cups.XXXXXX)
chmod 755 "$dir"
mkdir -p "$dir/spool" "$dir/cache" "$dir/state" "$dir/log" "$dir/out"
chmod 777 "$dir/out"
cat > "$dir/cups-files.conf" <<CONF
ServerRoot $dir
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
TempDir $dir/spool
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
FileDevice Yes
Sandboxing Relaxed
CONF
cat > "$dir/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel warn
WebInterface No
Browsing No
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
"$cupsd" -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" > "$dir/log/cupsd.out" 2>&1 &
server=$!
stop() { kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$dir"; }
trap stop EXIT
export CUPS_SERVER="$dir/cups.sock"
tries=0
until [ -S "$CUPS_SERVER" ] && lpstat -r >/dev/null 2>&1; do
  tries=$((tries + 1))
  if [ $tries -gt 100 ]; then
    echo "with-cups: the CUPS server did not start:" >&2
    cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null
    exit 1
  fi
  sleep 0.1
done
lpadmin -p Etichette -E -v "file://$dir/out/lavoro.prn" -P "$ppd" 2>/dev/null && lpadmin -d Etichette || exit 1
export TARVO_CUPS_OUTPUT="$dir/out/lavoro.prn"
"$@"
