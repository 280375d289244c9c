// The stand-in's core library: what libclntsh.so takes from its neighbour in the Oracle home.
#include "OciStubCore.h"

extern "C" {

void quenby_core_release(sword* major, sword* minor, sword* update, sword* patch,
                         sword* portUpdate) {
    // The release this stand-in imitates.
    *major = 19;
    *minor = 3;
    *update = 0;
    *patch = 0;
    *portUpdate = 0;
}
}
