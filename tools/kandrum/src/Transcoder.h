// One transcoder job: decode the input, run the processing blocks as a filter graph in
// the order of the command line, encode and write the output.
#pragma once

#include "Engine.h"
#include "KandrumGrammar.h"

namespace kandrum {

// Checks what the command asks for against what can be done here; throws JobError.
void CheckCommand(const KandrumCommand &cmd);

// Runs the job; throws JobError. The output exists only when this returns.
void RunJob(const KandrumCommand &cmd, Reporter &report);

}  // namespace kandrum
