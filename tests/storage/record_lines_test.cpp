// Cutting data file text into records: the one-pass cut, which looks at the
// text 16 bytes at a time, gives exactly what the line-by-line cut gives,
// wherever the lines, carriage returns and NUL bytes fall against those 16
// bytes and against the end of the text read so far.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "storage/record_lines.h"

namespace {

// Random text of the pieces records are made of: short and long lines,
// Windows line ends, empty lines, NUL bytes.
std::string testo_casuale(std::mt19937& caso) {
    static const char* const PEZZI[] = {"\n",
                                        "\r\n",
                                        "\r",
                                        "",
                                        "1",
                                        "Torino",
                                        " ",
                                        "\0",
                                        "01/04/2008 Roma",
                                        "* 12",
                                        "          41.00 - ",
                                        "Eccesso di velocita' oltre 10 km/h e non oltre 40 km/h"};
    std::string testo;
    const int pezzi = std::uniform_int_distribution<int>(0, 60)(caso);
    for (int i = 0; i < pezzi; ++i) {
        const std::size_t k = std::uniform_int_distribution<std::size_t>(0, 11)(caso);
        testo += k == 7 ? std::string(1, '\0') : std::string(PEZZI[k]);
    }
    return testo;
}

TEST(RecordLines, TheOnePassCutAgreesWithTheLineByLineCut) {
    std::mt19937 caso(20240315);
    for (int prova = 0; prova < 20000; ++prova) {
        const std::string testo = testo_casuale(caso);
        // The text in a buffer with the margin past it, filled with line ends
        // that must never count.
        const std::string buffer = testo + std::string(MARGINE_TESTO, '\n');
        const std::string_view vista(buffer.data(), testo.size());
        const bool finale = prova % 2 == 0;
        std::size_t pos_lenta = 0, pos_rapida = 0;
        for (int record = 0; record < 10; ++record) {
            RIGHE_RECORD lente{}, rapide{};
            bool con_nul = true;
            const TAGLIO lento = taglia_record(vista, finale, pos_lenta, lente);
            const TAGLIO rapido = taglia_record_rapido(vista, finale, pos_rapida, rapide, con_nul);
            ASSERT_EQ(lento, rapido) << "text " << prova << ", record " << record;
            ASSERT_EQ(pos_lenta, pos_rapida) << "text " << prova << ", record " << record;
            if (lento != TAGLIO::RECORD) break;
            for (std::size_t r = 0; r < RIGHE_PER_RECORD; ++r) {
                ASSERT_EQ(lente[r], rapide[r]) << "text " << prova << ", line " << r;
                if (!con_nul) {
                    ASSERT_EQ(lente[r].find('\0'), std::string_view::npos);
                }
            }
        }
    }
}

} // namespace
