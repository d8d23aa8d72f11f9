#include "dsp/stars/EmbeddedKemar.h"

// Emitted by halcyra_embed (cmake/EmbedResource.cmake).
extern "C" const unsigned char halcyra_kemar_sofa[];
extern "C" const unsigned long long halcyra_kemar_sofa_size;

namespace halcyra {

const unsigned char* kemarSofaData() { return halcyra_kemar_sofa; }
std::size_t kemarSofaSize() { return static_cast<std::size_t>(halcyra_kemar_sofa_size); }

}  // namespace halcyra
