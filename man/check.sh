#!/bin/sh
# Formats each manual page given with groff, all warnings on, for the
# default device and for a UTF-8 terminal as man(1) does, and fails when
# groff says anything at all. Without groff the check is skipped
# (exit 77), except under CI, which installs it.
if ! command -v groff >/dev/null 2>&1; then
  echo "groff not found (Debian package groff-base): manual pages not checked"
  if [ -n "${CI:-}" ] && [ "${CI}" != false ]; then exit 1; fi
  exit 77
fi
stato=0
for pagina in "$@"; do
  for dispositivo in ps utf8; do
    messaggi=$(groff -man -ww -z -T"$dispositivo" "$pagina" 2>&1)
    if [ $? -ne 0 ] || [ -n "$messaggi" ]; then
      echo "$pagina (-T$dispositivo):"
      echo "$messaggi"
      stato=1
    fi
  done
done
exit $stato
