// stb_image and stb_image_resize compiled for the builds that have no library
// of them at hand (Windows and the page; Debian's libstb-dev has only the
// headers for them). Somebody else's code: built without our warnings.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image.h>
#include <stb_image_resize.h>
