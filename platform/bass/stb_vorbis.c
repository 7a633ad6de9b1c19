/* The Ogg Vorbis decoder's implementation, from Debian's libstb-dev. */
#include <stb_vorbis.h>
