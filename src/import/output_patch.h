// Writing the imported patch: whole or not at all, through the saving code
// every program shares.
#pragma once

#include <QString>

#include <vector>

#include "import/patch_copy.h"

namespace hexpane {

// Empty when the output is written; otherwise a message that names it and
// gives the reason. Never replaces a file unless force. The output may be the
// patch itself: it is read whole before the output takes its name.
QString writePatch(const QString& patchPath, const std::vector<ChangedText>& changes, const QString& outputPath,
                   bool force);

}  // namespace hexpane
