#!/bin/sh
# tarvo: starts the shop program installed by the package. The user's program
# folder (TARVO_HOME, ~/Tarvo by default: the database, the logs, the
# backups) is made at the first start; the package never writes into it, so
# an upgrade or a removal leaves it as it is.
#   tarvo [--verifica]            the program (or its self-check)
#   tarvo esporta|stampa|importa|migra  the command-line tools, on the user's data
set -e
program=$(readlink -f "$(dirname "$(readlink -f "$0")")/../lib/tarvo")
TARVO_HOME=${TARVO_HOME:-$HOME/Tarvo}
export TARVO_HOME
mkdir -p "$TARVO_HOME/log"
[ -e "$TARVO_HOME/tarvo.mdb" ] || "$program/tarvo-mkdb" "$TARVO_HOME/tarvo.mdb" "$program/tarvo.sql" >/dev/null
[ -e "$TARVO_HOME/log/deb.mdb" ] || "$program/debmdb" "$TARVO_HOME/log/deb.mdb" >/dev/null
# The user's component registry names this installation's log library.
"$program/regsvr" "$program/libLodder.so" >/dev/null
# "tarvo esporta|stampa|importa|migra ..." runs that tool on the user's database.
case "${1:-}" in
  esporta|stampa|importa|migra) tool=$1; shift; exec "$program/tarvo-$tool" "$@" ;;
esac
exec "$program/quirnel" "$@"
