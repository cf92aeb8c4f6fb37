// The function library: one handler per family or per function, called by the
// runner's dispatcher with the function id of the matched table row.
#pragma once

#include "runner/runner.h"

// add (1), sub (2), div (3), mul and mult (4).
Outcome arithmetic(int id, const Call &call);
