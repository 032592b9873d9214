# The libraries the program's code links, in one place for the main build
# and the fuzzing build: zlib (the journal's checksums), libcsv (CSV files
# in and out), libsodium (the register's BLAKE2b chain), OpenSSL's
# libcrypto (the SHA-256 of the data files a save writes), nlohmann-json
# (the register's entries), libpq (the database archive on a PostgreSQL
# server), libxlsxwriter (the export as a spreadsheet file), libsystemd
# (the register's anchors read back from the system's journal), inih (the
# office's settings), cairo with pango and fontconfig (the notices and
# reports in PDF) and libqrencode (the notices' QR codes). Debian:
# zlib1g-dev, libcsv-dev, libsodium-dev, libssl-dev, nlohmann-json3-dev,
# libpq-dev, libxlsxwriter-dev, libsystemd-dev, libinih-dev, libcairo2-dev,
# libpango1.0-dev, libfontconfig-dev, libqrencode-dev.
find_package(ZLIB REQUIRED)
find_library(SANZ_LIBCSV csv REQUIRED)
find_path(SANZ_LIBCSV_H csv.h REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(SODIUM REQUIRED IMPORTED_TARGET libsodium)
pkg_check_modules(CRYPTO REQUIRED IMPORTED_TARGET libcrypto)
pkg_check_modules(PQ REQUIRED IMPORTED_TARGET libpq)
pkg_check_modules(XLSXWRITER REQUIRED IMPORTED_TARGET xlsxwriter)
pkg_check_modules(SYSTEMD REQUIRED IMPORTED_TARGET libsystemd)
find_package(nlohmann_json 3 REQUIRED)
pkg_check_modules(INIH REQUIRED IMPORTED_TARGET inih)
pkg_check_modules(PANGOCAIRO REQUIRED IMPORTED_TARGET pangocairo cairo-pdf fontconfig)
pkg_check_modules(QRENCODE REQUIRED IMPORTED_TARGET libqrencode)

function(sanz_collega_librerie bersaglio)
  target_include_directories(${bersaglio} PRIVATE ${SANZ_LIBCSV_H})
  target_link_libraries(${bersaglio} PUBLIC ZLIB::ZLIB ${SANZ_LIBCSV} PkgConfig::SODIUM
                        PkgConfig::CRYPTO PkgConfig::PQ PkgConfig::XLSXWRITER
                        PkgConfig::SYSTEMD nlohmann_json::nlohmann_json PkgConfig::INIH
                        PkgConfig::PANGOCAIRO PkgConfig::QRENCODE)
endfunction()
