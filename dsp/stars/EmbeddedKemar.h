// The MIT KEMAR normal-pinna HRTF measurements (SOFA file) compiled into the library,
// so the plug-in never depends on a file being installed next to it.
#pragma once

#include <cstddef>

namespace halcyra {

const unsigned char* kemarSofaData();
std::size_t kemarSofaSize();

}  // namespace halcyra
