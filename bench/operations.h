// The clerk's everyday operations, run through their dialogues and timed
// on the archive in memory.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Sets up the archive the operations and the save run on: the two files
// loaded as the load dialogue loads them, their paths made the current
// ones, its lock taken and its recovery journal started, so that every
// operation timed includes appending to the journal and flushing it. False
// when the archive could not be loaded or its journal not started.
bool prepara_archivio_operazioni(const char* file_c, const char* file_a);

struct TEMPO_OPERAZIONE {
    std::string nome;
    std::vector<double> durate; // seconds, one per run
    bool riuscita;              // every run did what it was asked
};

// Times, `volte` times each, in this order on the lists as they stand:
// showing the last fine; recording a fine with new owner data; editing
// its amount; recording its payment; deleting a second fine (recorded
// untimed, without owner data); deleting the first one with its owner
// data; the payment statistics; looking for a duplicate of an owner record
// equal to none. The answers are typed from a string and the output thrown
// away. The lists come back as they were.
std::vector<TEMPO_OPERAZIONE> misura_operazioni(int volte);

// Times, `volte` times each, the searches up to their first result or
// their message that none was found: a plate and a surname that no record
// holds (the whole list walked), the plate of the last fine, the tax code of
// the last owner (its fines listed after it), the first of the owners of a
// common surname (with the fines of a batch of them), and the first fine of each
// guided walk (without owner data, unpaid).
std::vector<TEMPO_OPERAZIONE> misura_ricerche(int volte);

// Runs f with the console reading `risposte` and writing to a string that
// is thrown away; false when f said so or the answers ran out before it was done.
bool in_dialogo(const std::string& risposte, const std::function<bool()>& f);
