// The stand-in's neighbour libraries, which libclntsh.so needs from its own folder as a real
// client needs its own: libclntshcore.so.19.1, which in turn needs libnnz19.so. Between them they
// hold the release the stand-in imitates, so that neither can be missing.
#pragma once

#include "oradb/oci/OciDefs.h"

extern "C" {

// In libclntshcore.so.19.1: the release as OCIClientVersion reports it, 19.3.0.0.0.
void quenby_core_release(sword* major, sword* minor, sword* update, sword* patch,
                         sword* portUpdate);
// In libnnz19.so: the patch level of that release.
void quenby_nnz_patch_level(sword* patch, sword* portUpdate);
}
