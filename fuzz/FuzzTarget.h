#pragma once

#include <cstddef>
#include <cstdint>

// Runs every fuzz target over the bytes (each checks its invariants).
size_t FuzzOneInput(const uint8_t *data, size_t size);
