# shellcheck shell=bash
# A throwaway PostgreSQL 15 server for a test run, sourced by scripts/test and scripts/test-server.
# One new folder under /tmp holds the data (data/), the server log (server.log) and the Unix
# socket (socket/); the server opens no TCP port. Nothing in it is worth keeping, so it runs
# without fsync and is stopped without a checkpoint.
#
#   pg_cluster_start      starts a server. On success sets PG_CLUSTER_DIR (the folder),
#                         PG_CLUSTER_SOCKET (the socket folder) and PG_CLUSTER_URL (the URL of the
#                         maintenance database) and returns 0; otherwise says why on stderr,
#                         leaves nothing behind and returns 1.
#   pg_cluster_stop DIR   stops the server of a folder made by pg_cluster_start and removes it.
#   pg_cluster_exports    prints the shell lines that point the tests at the started server.
#
# The superuser is postgres, trusted on the socket. The role korvane_login (password
# korvane-secret) must give its password, so tests can take the road of a password prompt.

pg_cluster_bin=${KORVANE_PG_BIN:-/usr/lib/postgresql/15/bin}
pg_cluster_port=5432

# Runs a command as the owner of the server: the postgres system user when we are root (the
# server refuses to run as root), the current user otherwise. From / so that the postgres user
# is never left in a folder it cannot read.
_pg_cluster_as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    (cd / && runuser -u postgres -- "$@")
  else
    (cd / && "$@")
  fi
}

# Prints the last lines of a log file on stderr, indented, if there is one.
_pg_cluster_show_log() {
  if [ -s "$1" ]; then
    tail -n 20 "$1" | sed 's/^/    /' >&2
  fi
}

pg_cluster_start() {
  PG_CLUSTER_DIR='' PG_CLUSTER_SOCKET='' PG_CLUSTER_URL=''
  local program
  for program in initdb pg_ctl psql; do
    if [ ! -x "$pg_cluster_bin/$program" ]; then
      echo "No PostgreSQL server programs in $pg_cluster_bin (scripts/setup installs them)." >&2
      return 1
    fi
  done
  if [ "$(id -u)" -eq 0 ] && ! id -u postgres >/dev/null 2>&1; then
    echo "Running as root, but there is no postgres system user to run the server as." >&2
    return 1
  fi

  # A short path: a Unix socket path must stay under about 100 characters.
  local dir
  dir=$(mktemp -d /tmp/korvane-pg.XXXXXX) || return 1
  if ! mkdir "$dir/socket" || { [ "$(id -u)" -eq 0 ] && ! chown -R postgres:postgres "$dir"; }; then
    rm -rf "$dir"
    return 1
  fi

  if ! _pg_cluster_as_owner "$pg_cluster_bin/initdb" -D "$dir/data" -U postgres -E UTF8 \
      --locale=C.UTF-8 -A trust --no-sync --no-instructions >"$dir/initdb.log" 2>&1; then
    echo "initdb failed:" >&2
    _pg_cluster_show_log "$dir/initdb.log"
    rm -rf "$dir"
    return 1
  fi

  cat >>"$dir/data/postgresql.conf" <<CONF

# A throwaway server for one test run: socket only, speed before safety.
listen_addresses = ''
port = $pg_cluster_port
unix_socket_directories = '$dir/socket'
max_connections = 200
fsync = off
synchronous_commit = off
full_page_writes = off
CONF
  # The first line that matches a connection decides: korvane_login gives its password,
  # everybody else is trusted.
  cat >"$dir/data/pg_hba.conf" <<HBA
local all korvane_login scram-sha-256
local all all trust
HBA

  if ! _pg_cluster_as_owner "$pg_cluster_bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
      start >"$dir/pg_ctl.log" 2>&1; then
    echo "The PostgreSQL server did not start:" >&2
    _pg_cluster_show_log "$dir/pg_ctl.log"
    _pg_cluster_show_log "$dir/server.log"
    pg_cluster_stop "$dir"
    return 1
  fi

  if ! _pg_cluster_as_owner "$pg_cluster_bin/psql" -X -q -v ON_ERROR_STOP=1 -h "$dir/socket" \
      -p "$pg_cluster_port" -U postgres -d postgres \
      -c "CREATE ROLE korvane_login LOGIN CREATEDB PASSWORD 'korvane-secret'" \
      >"$dir/psql.log" 2>&1; then
    echo "The PostgreSQL server started but would not take the test role:" >&2
    _pg_cluster_show_log "$dir/psql.log"
    pg_cluster_stop "$dir"
    return 1
  fi

  # shellcheck disable=SC2034 # read by the scripts that source this file
  PG_CLUSTER_DIR=$dir
  PG_CLUSTER_SOCKET=$dir/socket
  PG_CLUSTER_URL="postgresql://postgres@/postgres?host=$dir/socket"
}

pg_cluster_stop() {
  local dir
  dir=$(realpath -m -- "$1")
  # Only ever a folder pg_cluster_start made: it is removed with everything in it.
  if [[ "$dir" != /tmp/korvane-pg.* || "$(dirname "$dir")" != /tmp ]]; then
    echo "Not a folder of a test server: $1" >&2
    return 1
  fi
  if [ ! -d "$dir" ]; then
    return 0
  fi
  local pidfile=$dir/data/postmaster.pid pid=''
  if [ -f "$pidfile" ]; then
    pid=$(head -n 1 "$pidfile")
    _pg_cluster_as_owner "$pg_cluster_bin/pg_ctl" -D "$dir/data" -m immediate -w stop \
      >/dev/null 2>&1 || true
    # Should pg_ctl fail, the server is ended by its process id, and only while that process is
    # still the server of this folder.
    if [ -n "$pid" ] && [ -r "/proc/$pid/cmdline" ] &&
        tr '\0' ' ' <"/proc/$pid/cmdline" | grep -qF -- "$dir/data"; then
      kill -KILL "$pid" 2>/dev/null || true
    fi
  fi
  rm -rf "$dir"
}

pg_cluster_exports() {
  echo "export KORVANE_TEST_SERVER='$PG_CLUSTER_URL'"
  echo "export KORVANE_TEST_SERVER_SOCKET='$PG_CLUSTER_SOCKET'"
}
