// Picture names are the patch file's bytes as read. They show as UTF-8 when
// they are valid UTF-8, otherwise in Windows-1251, the code page such patch
// files are usually written in.
#pragma once

#include <QString>

#include <string_view>

namespace hexpane {

QString nameText(std::string_view bytes);

}  // namespace hexpane
