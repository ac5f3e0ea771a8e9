#include "makernotes/MakerNoteData.h"

namespace makernotes {
const std::span<const TTagRow> NikonTags1, NikonTags2, OlympusTags, CasioTags, FujiTags, CanonTags, SeikoTags,
    SanyoTags, MinoltaTags;
}
