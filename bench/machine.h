// What the figures were measured on: processors, memory, file system.
#pragma once

#include <string>

// Processors usable by this process (as nproc counts them), the CPU model
// and the total memory, on one line.
std::string descrivi_macchina();

// The kind of file system a folder lies on: "ext4", "tmpfs", ... or its magic number.
std::string file_system_di(const char* cartella);
