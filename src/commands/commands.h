// The commands of the command line besides the interactive program. Each
// takes its own arguments (argv[0] is the command's name) and returns its
// exit status: 0 done, 1 failed, 2 a usage error.
#pragma once

int comando_esporta(int argc, char** argv);
int comando_importa_pagamenti(int argc, char** argv);
int comando_controlla(int argc, char** argv);
// `sanzionario importa-archivio`: the two data files into a database archive.
int comando_importa_archivio(int argc, char** argv);
// `sanzionario esporta-archivio`: a database archive into the two data files.
int comando_esporta_archivio(int argc, char** argv);
// `sanzionario registro [options] [fines file]`: the register of an archive
// read (its history, filtered) or verified (--verifica: 0 when everything holds).
int comando_registro(int argc, char** argv);
