// Locales made with localedef for the tests that need one.
#include "support/locale.h"

#include <cstdlib>

std::optional<std::vector<Variabile>> locale_in(const Cartella& dove, const std::string& nome) {
    const std::size_t punto = nome.find('.');
    const std::string cartella = dove.file("locale");
    const std::string comando = "mkdir -p '" + cartella + "' && localedef -i " +
                                nome.substr(0, punto) + " -f " + nome.substr(punto + 1) + " '" +
                                cartella + "/" + nome + "' >/dev/null 2>&1";
    // localedef may end with status 1 on mere warnings: the locale is there or not.
    if (std::system(comando.c_str()) == -1 || !dove.esiste("locale/" + nome + "/LC_CTYPE"))
        return std::nullopt;
    return std::vector<Variabile>{{"LANG", nome}, {"LOCPATH", cartella}};
}
