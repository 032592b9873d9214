// Tax codes and licence numbers: checked position by position against
// their shape, L for a letter and D for a digit.
#include "input/identity.h"

#include "console/console.h"
#include "console/text_rules.h"
#include "input/line.h"

namespace {

bool forma(const char* s, const char* schema) {
    for (int i = 0; schema[i] != '\0'; ++i) {
        const char c = s[i];
        const bool lettera = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (schema[i] == 'L' ? !lettera : !cifra(c)) return false;
    }
    return true;
}

int leggi_forma(char* s, int n, bool (*ha_forma)(const char*), const char* messaggio) {
    for (bool primo = true;; primo = false) {
        if (!primo) console_out() << messaggio << "\n";
        ins_str(s, n);
        if (ha_forma(s)) return 0;
    }
}

} // namespace

bool forma_codice_fiscale(const char* s) {
    return forma(s, "LLLLLLDDLDDLDDDL");
}
bool forma_patente(const char* s) {
    return forma(s, "LLDDDDDDDL");
}

int ins_cf(char* s) {
    return leggi_forma(s, 16, forma_codice_fiscale,
                       "Il formato del codice fiscale non e' valido, prego riprovare");
}

int ins_pat(char* s) {
    return leggi_forma(s, 10, forma_patente,
                       "Il formato del numero della patente non e' valido, prego riprovare");
}
