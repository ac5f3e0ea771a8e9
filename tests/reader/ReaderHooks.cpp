// The reader tests read files as the dialog and the tool do: with the
// maker-note decoder and the IPTC reader given to the container.
#include "dialog/ParamsRows.h"

namespace {
const bool hooked = (params::InstallReaderHooks(), true);
}
