// Turns a linked image's DWARF rows and function symbols into the units and
// records of a line table: a unit is a contiguous run of code from one source
// file; a procedure opens where a function symbol starts.
#pragma once

#include "DwarfLines.h"
#include "LineTable.h"
#include "PeImage.h"

#include <cstdint>
#include <string>
#include <vector>

// "Class.Procedure" from a symbol: the innermost enclosing scope is the class.
std::string ProcedureNameOf(const TPeSymbol& symbol);
// The unit name: the file's base name, without ".cpp" (the reader adds it back).
std::string UnitNameOf(const std::string& file);

std::vector<uint8_t> BuildLineTable(const TPeImage& image, const std::vector<TDwarfRow>& rows,
                                    const TNameContext& names, size_t* unitCount = nullptr);
