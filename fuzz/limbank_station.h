#pragma once
// The limits plug-in as a line program drives it: liblimbank.so of this build
// opened with dlopen (so that it runs with the coverage and sanitizer
// instrumentation it was built with) on a station of its own in the scratch
// directory. plinth.ini names no data source; the configuration directory
// holds the sample station's standard file, made from
// host/sample-station/standards.tsv, so the plug-in never reaches a database.
#include <string>

namespace fuzz {

struct Limbank {
    int (*initInfo)(void *);
    int (*initItem)(void *);
    int (*getStand)(void *);
};

// Opens the plug-in once per process; aborts when it cannot.
const Limbank &OpenLimbank();

// The information buffer of host/sample-station/vehicles/1-sedan.vehicle,
// written as a line program writes it (WriteStdHead_Info, GBK texts), into
// `buffer` of PLINTH_BUFFER_BYTES bytes.
void WriteSedanInfo(void *buffer);

}  // namespace fuzz
