// libFuzzer entry (clang -fsanitize=fuzzer,address,undefined).
#include "fuzz/FuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzOneInput(data, size);
    return 0;
}
