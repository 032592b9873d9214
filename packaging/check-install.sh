#!/usr/bin/env bash
# Checks what `cmake --install` puts in an installation tree: exactly the
# program, its two manual pages, the sample archive, the roles' SQL file,
# the copyright file and
# the changelog, each where it belongs and with its permissions, under any
# prefix and DESTDIR;
# and that the installed program and pages show the project version.
#   packaging/check-install.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
versione=$2
sorgenti=$(cd "$(dirname "$0")/.." && pwd)
radice=$(mktemp -d)
trap 'rm -rf "$radice"' EXIT
prefisso=/opt/sanzionario

DESTDIR="$radice/dest" cmake --install "$build" --prefix "$prefisso" >/dev/null
albero=$radice/dest$prefisso
errori=0
errore() { echo "check-install: $*"; errori=$((errori + 1)); }

atteso="755 bin/sanzionario
644 share/doc/sanzionario/changelog
644 share/doc/sanzionario/copyright
644 share/man/it/man1/sanzionario.1
644 share/man/man1/sanzionario.1
644 share/sanzionario/esempio/dati/anagrafica.txt
644 share/sanzionario/esempio/dati/contravvenzioni.txt
644 share/sanzionario/ruoli.sql"
trovato=$(cd "$radice/dest" && find . ! -type d -printf '%m %P\n' | sort -k2 |
          sed "s| ${prefisso#/}/| |")
if [ "$trovato" != "$atteso" ]; then
  errore "the installation tree holds"
  echo "$trovato"
  echo "instead of"
  echo "$atteso"
fi
for f in contravvenzioni.txt anagrafica.txt; do
  cmp -s "$sorgenti/sample/dati/$f" "$albero/share/sanzionario/esempio/dati/$f" ||
    errore "the installed sample $f differs from sample/dati/$f"
done
for pagina in man1/sanzionario.1 it/man1/sanzionario.1; do
  grep -q "^\.TH SANZIONARIO 1 .* \"Sanzionario $versione\"" "$albero/share/man/$pagina" ||
    errore "share/man/$pagina does not name version $versione"
done

lavoro=$radice/lavoro
mkdir "$lavoro"
uscita=$(cd "$lavoro" && printf '7\n\n' | "$albero/bin/sanzionario")
grep -q "=== Sanzionario v$versione ===" <<<"$uscita" ||
  errore "the installed program does not show version $versione"

if [ "$errori" -ne 0 ]; then exit 1; fi
echo "check-install: the installation tree is as expected"
