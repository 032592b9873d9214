# Two commands for a fresh machine:
#   make run   builds the program and starts it on the archive in ./archivio
#              (seeded from sample/ on first use, never overwritten)
#   make test  builds and runs the whole test suite
# and two for installing it:
#   make install [PREFIX=/usr/local] [DESTDIR=...]
#              installs the program, its manual pages and the sample archive
#   make uninstall [PREFIX=/usr/local] [DESTDIR=...]
#              removes what make install wrote (build/install_manifest.txt)
#   make package
#              builds the Debian package sanzionario_<version>_<arch>.deb
#              in the build folder
BUILD_DIR ?= build
ARCHIVIO ?= archivio
BUILD_TYPE ?= RelWithDebInfo
PREFIX ?= /usr/local
# A new build folder leaves the tests out; one that `make test` configured
# keeps them, so that run, install and package reuse its objects as they are.
TESTS_OFF = $(if $(wildcard $(BUILD_DIR)/CMakeCache.txt),,-DSANZ_TESTS=OFF)

.PHONY: all build run test install uninstall package clean

all: build

build:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(TESTS_OFF)
	cmake --build $(BUILD_DIR) -j2 --target sanzionario

run: build
	@mkdir -p $(ARCHIVIO)/dati
	@for f in contravvenzioni.txt anagrafica.txt; do \
	  [ -e $(ARCHIVIO)/dati/$$f ] || install -m 600 sample/dati/$$f $(ARCHIVIO)/dati/$$f; \
	done
	@cd $(ARCHIVIO) && $(abspath $(BUILD_DIR))/sanzionario

test:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DSANZ_TESTS=ON
	cmake --build $(BUILD_DIR) -j2
	cd $(BUILD_DIR) && ctest --output-on-failure -j2

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

uninstall:
	@test -f $(BUILD_DIR)/install_manifest.txt || { echo "nothing installed from $(BUILD_DIR)"; exit 1; }
	@while IFS= read -r f; do rm -f -- "$$f" && echo "removed $$f"; done < $(BUILD_DIR)/install_manifest.txt

package: build
	cd $(BUILD_DIR) && cpack -G DEB

clean:
	rm -rf $(BUILD_DIR)
