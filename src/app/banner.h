// The texts that open and close a session.
#pragma once

void stampa_banner();
void stampa_congedo();
