/* The image decoder and resizer of the texture loader, from Debian's
   libstb-dev headers: the Linux build links Debian's libstb instead. */
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb/stb_image_resize.h>
