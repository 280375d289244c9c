// The stand-in's core library (libclntshcore.so.19.1), a neighbour that libclntsh.so needs from
// its own folder as a real client's does: it holds the release the stand-in imitates.
#pragma once

#include "oradb/oci/OciDefs.h"

extern "C" {

// The release as OCIClientVersion reports it: 19.3.0.0.0.
void quenby_core_release(sword* major, sword* minor, sword* update, sword* patch,
                         sword* portUpdate);
}
