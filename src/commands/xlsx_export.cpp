// The spreadsheet file, row by row in the library's constant-memory mode:
// a large archive is never held whole.
#include "commands/xlsx_export.h"

#include <algorithm>
#include <vector>
#include <xlsxwriter.h>

#include "commands/export_cells.h"
#include "model/lists.h"

namespace {

// Characters, not bytes: the width of a column in the spreadsheet.
std::size_t caratteri(const std::string& t) {
    return static_cast<std::size_t>(
        std::count_if(t.begin(), t.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

bool data_scrivibile(DATA d) {
    return d.gg >= 1 && d.gg <= 31 && d.mm >= 1 && d.mm <= 12 && d.aaaa >= 1900 && d.aaaa <= 9999;
}

std::string data_testo(DATA d) {
    return std::to_string(d.gg) + "/" + std::to_string(d.mm) + "/" + std::to_string(d.aaaa);
}

// The width each column needs: the longest of its header and its cells.
std::vector<std::size_t> larghezze(bool solo_persone) {
    const auto& nomi = intestazione_esportazione(solo_persone);
    std::vector<std::size_t> l;
    for (const char* n : nomi) l.push_back(caratteri(n) + 3); // the autofilter's button
    righe_esportazione(solo_persone, [&](const std::vector<CELLA>& celle) {
        for (std::size_t i = 0; i < celle.size() && i < l.size(); ++i) {
            const CELLA& c = celle[i];
            std::size_t w = 0;
            if (c.tipo == TIPO_CELLA::TESTO) w = caratteri(c.testo);
            if (c.tipo == TIPO_CELLA::INTERO) w = std::to_string(static_cast<long long>(c.numero)).size();
            if (c.tipo == TIPO_CELLA::IMPORTO) w = std::to_string(static_cast<long long>(c.numero)).size() * 4 / 3 + 6;
            if (c.tipo == TIPO_CELLA::DATA) w = 10;
            l[i] = std::max(l[i], w);
        }
    });
    for (std::size_t& w : l) w = std::min<std::size_t>(w + 1, 60);
    return l;
}

} // namespace

bool scrivi_xlsx(const std::string& percorso, bool solo_persone, std::string& errore) {
    lxw_workbook_options opzioni{};
    opzioni.constant_memory = LXW_TRUE;
    lxw_workbook* libro = workbook_new_opt(percorso.c_str(), &opzioni);
    if (libro == nullptr) {
        errore = "impossibile preparare il file";
        return false;
    }
    lxw_worksheet* foglio =
        workbook_add_worksheet(libro, solo_persone ? "Dati anagrafici" : "Contravvenzioni");
    lxw_format* grassetto = workbook_add_format(libro);
    format_set_bold(grassetto);
    lxw_format* euro = workbook_add_format(libro);
    format_set_num_format(euro, "#,##0.00 [$\xE2\x82\xAC-410]");
    lxw_format* giorno = workbook_add_format(libro);
    format_set_num_format(giorno, "dd/mm/yyyy");
    lxw_format* testo = workbook_add_format(libro);
    format_set_num_format(testo, "@");

    const auto& nomi = intestazione_esportazione(solo_persone);
    const std::vector<std::size_t> l = larghezze(solo_persone);
    for (std::size_t i = 0; i < l.size(); ++i)
        worksheet_set_column(foglio, static_cast<lxw_col_t>(i), static_cast<lxw_col_t>(i),
                             static_cast<double>(l[i]), nullptr);
    for (std::size_t i = 0; i < nomi.size(); ++i)
        worksheet_write_string(foglio, 0, static_cast<lxw_col_t>(i), nomi[i], grassetto);
    worksheet_freeze_panes(foglio, 1, 0);

    lxw_row_t riga = 0;
    lxw_error esito = LXW_NO_ERROR;
    righe_esportazione(solo_persone, [&](const std::vector<CELLA>& celle) {
        ++riga;
        for (std::size_t i = 0; i < celle.size() && esito == LXW_NO_ERROR; ++i) {
            const CELLA& c = celle[i];
            const auto col = static_cast<lxw_col_t>(i);
            switch (c.tipo) {
            case TIPO_CELLA::VUOTA: break;
            case TIPO_CELLA::TESTO:
                if (!c.testo.empty()) esito = worksheet_write_string(foglio, riga, col, c.testo.c_str(), testo);
                break;
            case TIPO_CELLA::INTERO: esito = worksheet_write_number(foglio, riga, col, c.numero, nullptr); break;
            case TIPO_CELLA::IMPORTO: esito = worksheet_write_number(foglio, riga, col, c.numero, euro); break;
            case TIPO_CELLA::DATA:
                if (data_scrivibile(c.data)) {
                    lxw_datetime d{c.data.aaaa, c.data.mm, c.data.gg, 0, 0, 0};
                    esito = worksheet_write_datetime(foglio, riga, col, &d, giorno);
                } else { // not a date the program writes: as it stands
                    esito = worksheet_write_string(foglio, riga, col, data_testo(c.data).c_str(), testo);
                }
                break;
            }
        }
    });
    worksheet_autofilter(foglio, 0, 0, riga, static_cast<lxw_col_t>(nomi.size() - 1));
    const lxw_error chiuso = workbook_close(libro);
    if (esito == LXW_NO_ERROR) esito = chiuso;
    if (esito != LXW_NO_ERROR) errore = lxw_strerror(esito);
    return esito == LXW_NO_ERROR;
}
