// The two lists and the paths of the data files, empty at start.
#include "model/records.h"

NODO_CONTRAVV* lista_contravv = nullptr;
NODO_ANAGRAF* lista_anagraf = nullptr;
char nome_file_c[128] = "";
char nome_file_a[128] = "";
