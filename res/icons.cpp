// Icon 128: a blue globe with its grid, three red survey stations joined
// into a triangle. 32 x 32 pixels in the 16 colours of the standard
// palette, with a transparent background; the picture itself is in
// delvaro_icon.xpm, an image file that image editors open as such.
#include "res/delvaro_icon.xpm"
#include "res/resource.h"
#include "res/resources.h"

namespace delvaro {

namespace {

const IconResource kIcons[] = {
    {IDI_MAIN_ICON, delvaro_icon_xpm},
};

}  // namespace

const IconResource* FindIconResource(unsigned id) {
    for (const IconResource& icon : kIcons)
        if (icon.id == id) return &icon;
    return nullptr;
}

const IconResource* ProgramIcon() { return &kIcons[0]; }

}  // namespace delvaro
