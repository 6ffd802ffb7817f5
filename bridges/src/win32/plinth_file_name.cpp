// The environment library's file names on Windows, as line programs install
// them in the system directory.
#include "bridges/plinth_bridge.h"

namespace bridges {

const char *PlinthFileName(int variant) {
    switch (variant) {
        case 2:
            return "Plinth2b.dll";
        case 4:
            return "Plinth4b.dll";
        case 8:
            return "Plinth8b.dll";
        case 16:
            return "Plinth16b.dll";
        default:
            return "Plinth.dll";
    }
}

}  // namespace bridges
