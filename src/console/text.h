// Small text conversions shared by displays and data files.
#pragma once

#include <string>

// Fixed-point text with exactly two decimals and a point, as "12.50".
std::string fisso2(double valore);
