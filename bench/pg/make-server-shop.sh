#!/bin/sh
# Builds the PostgreSQL 15 server the engine benchmarks run against and
# copies a large shop into it (run as root, on Debian's postgresql-15):
#
#   bench/pg/make-server-shop.sh [SHOP.mdb] [BUILD_DIR]
#
# SHOP.mdb defaults to /work/shop/shop-v3.mdb (v3 schema, 200,000 articles,
# 5,000,000 sales), BUILD_DIR to ./build (tarvo-migra must be built there).
# Result: cluster 15/bench on port 5439 (socket /var/run/postgresql), role
# root (peer login, CREATEDB, pg_read_all_stats), database shopv3 with
# pg_stat_statements, and bench/pg/server/tarvo.ini naming it: pass that
# folder to bench-engines and bench-server (the program beside raw libpq). Stop it with `pg_ctlcluster 15 bench stop`,
# remove it with `pg_dropcluster --stop 15 bench`.
set -eu
SHOP=${1:-/work/shop/shop-v3.mdb}
BUILD=${2:-build}
PORT=5439
DB=shopv3
HERE=$(cd "$(dirname "$0")" && pwd)

if ! pg_lsclusters -h | grep -q '^15 *bench '; then
    pg_createcluster 15 bench --port $PORT -- --data-checksums
    # pg_stat_statements counts what the client sends (track = top, not
    # the statements inside the schema's functions), planning included.
    cat > /etc/postgresql/15/bench/conf.d/bench.conf <<CONF
shared_buffers = 2GB
effective_cache_size = 6GB
work_mem = 32MB
maintenance_work_mem = 512MB
shared_preload_libraries = 'pg_stat_statements'
pg_stat_statements.track = top
pg_stat_statements.track_planning = on
pg_stat_statements.max = 10000
CONF
fi
pg_ctlcluster 15 bench start 2>/dev/null || true

psql_admin() { su postgres -c "psql -p $PORT -v ON_ERROR_STOP=1 -qAt $*"; }
psql_admin "-c \"SELECT 1 FROM pg_roles WHERE rolname = 'root'\"" | grep -q 1 ||
    psql_admin "-c 'CREATE ROLE root LOGIN CREATEDB' -c 'GRANT pg_read_all_stats TO root'"
psql_admin "-c 'DROP DATABASE IF EXISTS $DB'"
psql_admin "-c 'CREATE DATABASE $DB OWNER root'"
# pg_stat_statements is not a trusted extension: the administrator adds it.
psql_admin "-d $DB -c 'CREATE EXTENSION pg_stat_statements'"

# The schema's CREATE OPERATOR ~~ (..., NEGATOR = !~~) finds pg_catalog's
# !~~ first and must own it: only a superuser can create the schema, so
# root is one for the migration only.
psql_admin "-c 'ALTER ROLE root SUPERUSER'"
trap "su postgres -c \"psql -p $PORT -qc 'ALTER ROLE root NOSUPERUSER'\"" EXIT
start=$(date +%s)
"$BUILD/programma/tarvo-migra" "$SHOP" --verso "postgresql://root@%2Fvar%2Frun%2Fpostgresql:$PORT/$DB"
psql -h /var/run/postgresql -p $PORT -d $DB -qc 'VACUUM ANALYZE'
echo "migrated $SHOP into $DB in $(( $(date +%s) - start )) s (vacuum analyze included)"

mkdir -p "$HERE/server"
cat > "$HERE/server/tarvo.ini" <<INI
[database]
driver=postgresql
host=/var/run/postgresql
port=$PORT
dbname=$DB
user=root
INI
