#pragma once

#include <string>
#include <vector>

namespace kaparto {

// Kaparto.exe -core( -input "in" -prefix "prefix" -type ac3|aac|mp2|mp3|ogg|wav ) [-split( t1 t2 ... )]
// Break points are seconds (digits with at most one point), in ascending order.
struct KapartoCommand {
    std::string input;
    std::string prefix;
    std::string type;
    bool split = false;              // a -split( block was given
    std::vector<double> breakPoints; // seconds
};

struct KapartoParse {
    bool ok = false;
    std::string error; // the text after "Error "
    KapartoCommand command;
};

KapartoParse ParseKapartoArguments(const std::vector<std::string> &args);

// The output file of a piece: prefix, two-digit piece number from 1, "." and the type.
std::string PieceFileName(const KapartoCommand &command, int piece);

} // namespace kaparto
