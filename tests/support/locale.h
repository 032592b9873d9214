// A locale the machine may not have installed, made for one test with
// localedef inside a working folder: the program finds it through LOCPATH.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "support/driver.h"

// The environment of a program that runs in the locale `nome` (as
// "it_IT.ISO-8859-1": language and character set), made under the folder;
// nothing when localedef or its sources (Debian's "locales") are missing.
std::optional<std::vector<Variabile>> locale_in(const Cartella& dove, const std::string& nome);
