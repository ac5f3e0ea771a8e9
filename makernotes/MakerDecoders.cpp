#include "makernotes/MakerNoteData.h"
