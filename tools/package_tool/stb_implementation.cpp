// stb_image and stb_image_resize compiled into package-tool where no library
// of them is at hand (the Windows build; Debian's libstb-dev has only the
// headers for it). Somebody else's code: built without our warnings.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image.h>
#include <stb_image_resize.h>
