#!/bin/sh
# tarvo: starts the shop program installed by the package. The user's program
# folder (TARVO_HOME, ~/Tarvo by default: the database, the logs, the
# backups) is made at the first start; the package never writes into it, so
# an upgrade or a removal leaves it as it is.
set -e
program=$(readlink -f "$(dirname "$(readlink -f "$0")")/../lib/tarvo")
TARVO_HOME=${TARVO_HOME:-$HOME/Tarvo}
export TARVO_HOME
mkdir -p "$TARVO_HOME/log"
[ -e "$TARVO_HOME/tarvo.mdb" ] || "$program/tarvo-mkdb" "$TARVO_HOME/tarvo.mdb" "$program/tarvo.sql" >/dev/null
[ -e "$TARVO_HOME/log/deb.mdb" ] || "$program/debmdb" "$TARVO_HOME/log/deb.mdb" >/dev/null
# The user's component registry names this installation's log library.
"$program/regsvr" "$program/libLodder.so" >/dev/null
exec "$program/quirnel" "$@"
