// The notice codes the sample settings (sample/ufficio.conf: auxiliary
// digit 3, segregation code 01) give a fine, made here by the platform's
// rule as its documents state it, apart from the program's code: the 16
// digits, then their remainder divided by 93 as two check digits.
#pragma once

#include <cstdint>
#include <string>

inline const std::string UFFICIO_CAMPIONE = SANZIONARIO_SAMPLE_DIR "/ufficio.conf";
inline const std::string CF_ENTE_CAMPIONE = "00123456782";

// The code of fine `numero` for the reduced (`ridotto`) or the full amount.
inline std::string codice_avviso_campione(uint32_t numero, bool ridotto) {
    const std::string n = std::to_string(numero);
    const std::string inizio = std::string("301") + (ridotto ? "1" : "2") +
                               std::string(12 - n.size(), '0') + n;
    const unsigned resto = static_cast<unsigned>(std::stoull(inizio) % 93);
    return inizio + static_cast<char>('0' + resto / 10) + static_cast<char>('0' + resto % 10);
}
