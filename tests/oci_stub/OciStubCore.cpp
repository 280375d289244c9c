// The stand-in's core library (libclntshcore.so.19.1): what libclntsh.so takes from its
// neighbour in the Oracle home.
#include "OciStubCore.h"

extern "C" {

void quenby_core_release(sword* major, sword* minor, sword* update, sword* patch,
                         sword* portUpdate) {
    // The release this stand-in imitates; its patch level comes from the next neighbour.
    *major = 19;
    *minor = 3;
    *update = 0;
    quenby_nnz_patch_level(patch, portUpdate);
}
}
