#include "import/output_patch.h"

#include "gui/saved_file.h"

namespace hexpane {

QString writePatch(const QString& patchPath, const std::vector<ChangedText>& changes, const QString& outputPath,
                   bool force) {
    return saveFile(outputPath, force ? Existing::Replace : Existing::Keep, [&](FileSink& sink) {
        QString error;
        if (copyPatch(
                patchPath, changes, [&](const char* data, std::size_t size) { return sink.write(data, size); },
                &error)) {
            return true;
        }
        return error.isEmpty() ? false : sink.fail(error);
    });
}

}  // namespace hexpane
