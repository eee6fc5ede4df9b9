#include "picture/render.h"

namespace hexpane {

std::vector<ColourValue> renderPane(std::string_view, std::int32_t, std::int32_t, const ColourTable&,
                                    TransparentColour) {
    return {};
}

}  // namespace hexpane
