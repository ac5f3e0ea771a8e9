// libFuzzer's entry for one target, chosen when this file is compiled
// (clang -fsanitize=fuzzer, -DEXIFVIEW_FUZZ_TARGET=name).
#include "fuzz/FuzzTargets.h"

namespace {

const fuzz::TargetFn Run = fuzz::FindTarget(EXIFVIEW_FUZZ_TARGET)->Run;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Run(data, size);
    return 0;
}
