#include "makernotes/MakerNoteData.h"

namespace makernotes {

namespace {
TImageInfo *g_current = nullptr;
}

TImageInfo *CurrentImageInfo() { return g_current; }

bool TmsInfo::DecodeMakerNote(TImageInfo &owner) {
    g_current = &owner;
    return false;  // maker dispatch not built yet
}

}  // namespace makernotes
