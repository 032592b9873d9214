#!/usr/bin/env bash
# Builds the Debian package with `make package` and checks it as an
# administrator would meet it: its name, its control fields, lintian's
# verdict, that it holds exactly what `make install` installs (manual pages
# and changelog compressed as Debian does), and that the program unpacked
# from it runs a scripted session on a copy of the packaged sample archive
# (load, view a fine, save, exit) and saves the archive back unchanged.
# The package is made from the build folder `make test` and `make package`
# use, so that it holds the very program the suite tested (RelWithDebInfo,
# as Debian builds its packages, stripped by CPack) and nothing is compiled
# again after `make test`.
#   packaging/check-deb.sh [BUILD_DIR]     (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
radice=$(mktemp -d)
trap 'rm -rf "$radice"' EXIT
errori=0
errore() { echo "check-deb: $*"; errori=$((errori + 1)); }

make package BUILD_DIR="$build" >"$radice/package.log" 2>&1 || { cat "$radice/package.log"; exit 1; }
versione=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
architettura=$(dpkg --print-architecture)
deb=$build/sanzionario_${versione}_${architettura}.deb
[ -f "$deb" ] || { echo "check-deb: $deb was not built"; ls "$build"/*.deb 2>/dev/null; exit 1; }

# Control fields.
campo() { dpkg-deb -f "$deb" "$1"; }
[ "$(campo Package)" = sanzionario ] || errore "Package: $(campo Package)"
[ "$(campo Version)" = "$versione" ] || errore "Version: $(campo Version), not $versione"
[ "$(campo Architecture)" = "$architettura" ] || errore "Architecture: $(campo Architecture)"
[ "$(campo Section)" = misc ] || errore "Section: $(campo Section)"
[ "$(campo Priority)" = optional ] || errore "Priority: $(campo Priority)"
grep -Eq '^[^<>]+ <[^@<> ]+@[^@<> ]+>$' <<<"$(campo Maintainer)" ||
  errore "Maintainer is not a name and an address: $(campo Maintainer)"
for libreria in libc6 libstdc++6; do
  grep -Eq "(^|, )${libreria//+/\\+} \(>= [^)]+\)" <<<"$(campo Depends)" ||
    errore "Depends lacks a versioned $libreria: $(campo Depends)"
done
descrizione=$(campo Description)
[ "$(head -n1 <<<"$descrizione")" = \
  "console archive of traffic fines, vehicle owners and payments (Italian)" ] ||
  errore "Description summary: $(head -n1 <<<"$descrizione")"
[ "$(wc -l <<<"$descrizione")" -ge 5 ] || errore "the extended description is missing"
if awk 'length > 80' <<<"$descrizione" | grep . >/dev/null; then
  errore "Description lines longer than 80 characters"
fi
dpkg-deb -I "$deb" | grep -w md5sums >/dev/null || errore "no md5sums in the control archive"

# lintian finds no error and no warning; each override carries its reason
# (packaging/debian/lintian-overrides).
if command -v lintian >/dev/null; then
  lintian --fail-on error,warning "$deb" >"$radice/lintian" 2>&1 ||
    errore "lintian: $(cat "$radice/lintian")"
else
  errore "lintian is not installed (apt-get install lintian, as root)"
fi

# Contents: what `make install` puts under /usr, manual pages and changelog
# gzipped, and lintian's overrides.
make install BUILD_DIR="$build" PREFIX=/usr DESTDIR="$radice/installato" >/dev/null
atteso=$(cd "$radice/installato" && find . ! -type d -printf '%m %p\n' |
         sed 's|^\([0-9]*\) \(\./usr/share/man/.*\.[1-9]\)$|\1 \2.gz|
              s|^\([0-9]*\) \(\./usr/share/doc/sanzionario/changelog\)$|\1 \2.gz|' |
         { cat; echo "644 ./usr/share/lintian/overrides/sanzionario"; } | sort -k2)
contenuto=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort -k3)
permessi() { # -rwxr-xr-x -> 755
  local s=$1 n=0 i
  for i in 1 2 3 4 5 6 7 8 9; do n=$((n * 2)); [ "${s:$i:1}" = - ] || n=$((n + 1)); done
  printf '%o' "$n"
}
estranei=$(awk '$2 != "root/root"' <<<"$contenuto")
[ -z "$estranei" ] || errore "files not owned by root: $estranei"
trovato=$(while read -r modo _ percorso; do echo "$(permessi "$modo") $percorso"; done \
          <<<"$contenuto")
if [ "$trovato" != "$atteso" ]; then
  errore "the package holds"
  echo "$trovato"
  echo "instead of what make install installs:"
  echo "$atteso"
fi

# Unpacked: pages compressed as Debian does and clean, the program runs.
dpkg-deb -x "$deb" "$radice/root"
for pagina in man1/sanzionario.1.gz it/man1/sanzionario.1.gz; do
  gz=$radice/root/usr/share/man/$pagina
  # gzip -9n: no file name (flags 0), no time stamp, best compression (2).
  intestazione=$(od -An -tx1 -N10 "$gz" | tr -d ' \n')
  [ "$intestazione" = 1f8b0800000000000203 ] || errore "$pagina: not gzip -9n ($intestazione)"
  messaggi=$(zcat "$gz" | groff -man -ww -z 2>&1) && [ -z "$messaggi" ] ||
    errore "$pagina: $messaggi"
done
lavoro=$radice/ufficio
install -d -m 700 "$lavoro/dati"
install -m 600 "$radice"/root/usr/share/sanzionario/esempio/dati/*.txt "$lavoro/dati/"
# Fines menu (the load runs first: two ENTERs, the pause), fine 3, back,
# save ([1] Salva), exit without saving again.
stato=0
uscita=$(cd "$lavoro" &&
         printf '1\n\n\n\n1\n3\n\n5\n6\n1\n\n7\n3\n\n' |
         "$radice/root/usr/bin/sanzionario" 2>"$radice/errori") || stato=$?
[ "$stato" -eq 0 ] || errore "the unpacked program ended with status $stato"
[ ! -s "$radice/errori" ] || errore "the unpacked program wrote to standard error"
for testo in "=== Sanzionario v$versione ===" "Caricamento avvenuto correttamente." \
             "CONTRAVVENZIONE N.3" "ESPOSITO GENNARO" "Salvataggio avvenuto correttamente." \
             "Grazie per aver utilizzato Sanzionario"; do
  grep -qF "$testo" <<<"$uscita" || errore "the session did not show \"$testo\""
done
for f in contravvenzioni.txt anagrafica.txt; do
  cmp -s "$radice/root/usr/share/sanzionario/esempio/dati/$f" "$lavoro/dati/$f" ||
    errore "the saved $f differs from the packaged sample"
done

if [ "$errori" -ne 0 ]; then exit 1; fi
echo "check-deb: $deb: fields, contents and a scripted session as expected"
