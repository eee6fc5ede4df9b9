// Where a patch to open comes from besides the open dialog: the command line,
// hexpane [FILE], and a file dropped onto the window. Paths stay bytes: what
// the user gave reaches the file system unchanged (pathFromBytes).
#pragma once

#include <QString>

#include <optional>

class QMimeData;

namespace hexpane {

// What the command line asks for: a patch to open (or none), or a mistake to
// report, in which case nothing is opened. An empty name is opened too, and
// gets the message any name that cannot be read gets.
struct StartRequest {
    std::optional<QString> patch;
    QString problem;
};

// The arguments after the program's name. "--" ends the options, so that a
// file may start with '-'.
StartRequest readCommandLine(int argc, const char* const* argv);

// readCommandLine's request, with every argument then taken away from the
// toolkit (argc becomes 1) before QApplication sees them: none, not even one
// after "--" named like a toolkit option (-reverse, -style=x.vkp), is taken
// for the toolkit's own.
StartRequest takeCommandLine(int& argc, char** argv);

// The patch a drop carries: one local file whose name ends in .vkp, letter
// case aside; empty for anything else.
QString droppedPatch(const QMimeData* data);
// The image a drop carries: one local .bmp or .png file, letter case aside.
QString droppedImage(const QMimeData* data);

}  // namespace hexpane
