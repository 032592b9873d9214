#!/bin/sh
# The suite's own throwaway PostgreSQL cluster, for the database tests:
#   postgresql_cluster.sh start STATE_FILE   makes and starts it
#   postgresql_cluster.sh stop STATE_FILE    stops it and removes it
#   postgresql_cluster.sh pause STATE_FILE   stops its server, keeping it
#   postgresql_cluster.sh resume STATE_FILE  starts its server again
# CTest runs these as the setup and cleanup of the tests that need it, so
# it is started once per run and stopped at the end whatever the tests did.
# It lives in a fresh temporary folder and listens on a Unix socket there,
# never on a TCP port. As root it runs as the unprivileged user postgres
# (nobody where there is none), since the server refuses to run as root.
# STATE_FILE then holds the connection string of its superuser and the
# folder; where no server binaries are installed it holds "assente:" and
# why, and the tests say they are skipped.
set -eu
azione=$1
stato=$2

# The server's settings: its socket in its own folder, no TCP port, and
# no flush to the disk (a throwaway cluster).
opzioni() {
  echo "-c listen_addresses='' -c unix_socket_directories='$1' -c port=5432 \
        -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=60"
}

# pg_ctl on the cluster the state file names, as the user who owns it.
pg_ctl_del_cluster() {
  cartella=$(sed -n 2p "$stato")
  bin=$(cat "$cartella/bin")
  if [ "$(id -u)" = 0 ]; then
    runuser -u "$(stat -c %U "$cartella")" -- "$bin/pg_ctl" "$@" -D "$cartella/dati"
  else
    "$bin/pg_ctl" "$@" -D "$cartella/dati"
  fi
}

# Stops the cluster the state file names, if any, and removes it.
ferma() {
  [ -f "$stato" ] || return 0
  cartella=$(sed -n 2p "$stato")
  rm -f "$stato"
  [ -n "$cartella" ] && [ -d "$cartella" ] || return 0
  bin=$(cat "$cartella/bin")
  if [ "$(id -u)" = 0 ]; then
    runuser -u "$(stat -c %U "$cartella")" -- "$bin/pg_ctl" stop -s -D "$cartella/dati" -m immediate || true
  else
    "$bin/pg_ctl" stop -s -D "$cartella/dati" -m immediate || true
  fi
  rm -rf "$cartella"
}

if [ "$azione" = stop ]; then
  ferma
  exit 0
fi
if [ "$azione" = pause ]; then
  pg_ctl_del_cluster stop -s -m fast
  exit 0
fi
if [ "$azione" = resume ]; then
  pg_ctl_del_cluster start -w -s -t 60 -l "$(sed -n 2p "$stato")/server.log" \
    -o "$(opzioni "$(sed -n 2p "$stato")")"
  exit 0
fi
[ "$azione" = start ] || { echo "uso: $0 start|stop|pause|resume STATE_FILE" >&2; exit 2; }
ferma # one a killed run left

# The newest installed server whose binaries are all there.
bin=
for d in $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V); do
  [ -x "$d/initdb" ] && [ -x "$d/pg_ctl" ] && [ -x "$d/postgres" ] && bin=$d
done
if [ -z "$bin" ]; then
  echo "assente: no PostgreSQL server binaries under /usr/lib/postgresql/*/bin (Debian package postgresql)" >"$stato"
  echo "PostgreSQL server not installed: the database tests will be skipped" >&2
  exit 0
fi

come() { "$@"; }
cartella=$(mktemp -d /tmp/sanzionario-pg.XXXXXX)
if [ "$(id -u)" = 0 ]; then
  utente=postgres
  id -u postgres >/dev/null 2>&1 || utente=nobody
  chown "$utente" "$cartella"
  come() { runuser -u "$utente" -- "$@"; }
fi
chmod 700 "$cartella"
echo "$bin" >"$cartella/bin"

superutente=sanzionario_prova
if ! come "$bin/initdb" -D "$cartella/dati" -U "$superutente" -A trust -E UTF8 --locale=C.UTF-8 \
       --no-sync >"$cartella/initdb.log" 2>&1; then
  cat "$cartella/initdb.log" >&2
  rm -rf "$cartella"
  exit 1
fi
if ! come "$bin/pg_ctl" start -w -s -t 60 -D "$cartella/dati" -l "$cartella/server.log" \
       -o "$(opzioni "$cartella")"; then
  cat "$cartella/server.log" >&2
  rm -rf "$cartella"
  exit 1
fi
printf 'host=%s port=5432 user=%s\n%s\n' "$cartella" "$superutente" "$cartella" >"$stato"
