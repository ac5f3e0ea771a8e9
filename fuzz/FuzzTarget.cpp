// Every fuzz target over the same bytes, for the deterministic mutation run.
#include "fuzz/FuzzTarget.h"

#include "fuzz/FuzzTargets.h"

size_t FuzzOneInput(const uint8_t *data, size_t size) {
    for (const fuzz::TTarget &target : fuzz::Targets) target.Run(data, size);
    return size;
}
