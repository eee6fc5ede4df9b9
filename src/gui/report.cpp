#include "gui/report.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>

namespace hexpane {

Report Report::held() {
    Report report;
    report.holds_ = true;
    return report;
}

void Report::problem(ExitStatus status, const QString& message) {
    status_ = std::max(status_, status);
    if (holds_) {
        lines_.emplace_back(status, message);
        return;
    }
    QString line = message;
    line.replace(u'\n', u' ');
    std::fprintf(stderr, "%s: %s\n", QCoreApplication::applicationName().toLocal8Bit().constData(),
                 line.toLocal8Bit().constData());
}

void Report::add(const Report& held) {
    for (const auto& [status, message] : held.lines_) problem(status, message);
}

}  // namespace hexpane
