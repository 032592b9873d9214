// The fields of the fine form, shared by recording and editing.
#pragma once

#include "model/records.h"

// Each prints its prompt and reads its field into the fine.
void chiedi_luogo(NODO_CONTRAVV* f);
void chiedi_targa(NODO_CONTRAVV* f);
void chiedi_tipo(NODO_CONTRAVV* f);
// The amount: digits and full stops, stored rounded to cents; amounts that
// the fines file cannot hold (10^12 euro or more) are refused and asked again.
void chiedi_importo(NODO_CONTRAVV* f);

// Reads a payment date for the fine until it is not earlier than the ticket
// date; each refusal prints the message and reads again.
DATA leggi_data_pagamento(const NODO_CONTRAVV* f, const char* messaggio_rifiuto);
