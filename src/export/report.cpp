#include "export/report.h"

#include <algorithm>
#include <cstdio>

namespace hexpane {

void Report::problem(ExitStatus status, const QString& message) {
    status_ = std::max(status_, status);
    QString line = message;
    line.replace(u'\n', u' ');
    std::fprintf(stderr, "hexpane-export: %s\n", line.toLocal8Bit().constData());
}

}  // namespace hexpane
