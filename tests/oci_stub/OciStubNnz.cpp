// The stand-in's libnnz19.so, the neighbour that the core library needs from the same folder.
#include "OciStubCore.h"

extern "C" {

void quenby_nnz_patch_level(sword* patch, sword* portUpdate) {
    *patch = 0;
    *portUpdate = 0;
}
}
