/* NanoVG's OpenGL 2 renderer, compiled once for the whole library. The GL entry
 * points it calls come from whichever GL the final program links: libGL for the
 * window, OSMesa for offscreen pictures. */
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include "nanovg.h"
#define NANOVG_GL2_IMPLEMENTATION
#include "nanovg_gl.h"
