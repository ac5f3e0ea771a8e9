#pragma once

#include <cstddef>
#include <cstdint>

// Runs every parser over the bytes; returns a number derived from what was
// read so that the work cannot be optimised away.
size_t FuzzOneInput(const uint8_t *data, size_t size);
