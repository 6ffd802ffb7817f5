// The environment library's file names on Linux.
#include "bridges/plinth_bridge.h"

namespace bridges {

const char *PlinthFileName(int variant) {
    switch (variant) {
        case 2:
            return "libplinth2b.so";
        case 4:
            return "libplinth4b.so";
        case 8:
            return "libplinth8b.so";
        case 16:
            return "libplinth16b.so";
        default:
            return "libplinth.so";
    }
}

}  // namespace bridges
