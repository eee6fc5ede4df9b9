// What the importer's tests share: the built programs run in a scratch
// folder with tables of the test's own, and a patch of small pictures with
// their exported images.
#pragma once

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "drawing/drawing.h"
#include "export/run_export.h"
#include "patch/patch_reader.h"

namespace hexpane::test {

inline ExportRun runImport(const QStringList& arguments, const QString& workDir, const RunSetup& setup = {}) {
    return runProgram(QStringLiteral(HEXPANE_IMPORT_PROGRAM), arguments, workDir, setup);
}

inline LocatedPatch located(const QByteArray& bytes) {
    std::istringstream in(bytes.toStdString());
    return readPatchLocated(in);
}

inline QImage rgb(const QString& path) { return QImage(path).convertToFormat(QImage::Format_RGB32); }

class Import : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString path(const QString& name) const { return dir.filePath(name); }

    void writeTables(const std::string& map, const std::string& sizes) {
        writeBytes(path("map.txt"), map);
        writeBytes(path("size.txt"), sizes);
        QStringList problems;
        tables = loadTables(tableFiles(path("map.txt"), path("size.txt")), problems);
    }

    QStringList withTables(QStringList arguments) const {
        return arguments << "--map" << path("map.txt") << "--size" << path("size.txt");
    }
    ExportRun exportRun(const QStringList& arguments) const { return runExport(withTables(arguments), dir.path()); }
    ExportRun importRun(const QStringList& arguments) const { return runImport(withTables(arguments), dir.path()); }

    QRgb drawn(const std::string& code, TransparentColour option) const {
        return drawPane(code, {1, 1}, tables.colours, option).pixel(0, 0);
    }

    QTemporaryDir dir;
    Tables tables;
};

// Pictures a and b of 2 × 2 pixels, odd of 3 (drawn 2 × 2 by the size 1.5,2,
// its last pixel beyond its text) and none of 1, which has no size.
class ImportChecks : public Import {
protected:
    void SetUp() override {
        Import::SetUp();
        writeTables("A0 FF0000\nB1 00FF00\nC2 0000FF\nFF FFFFFF\nC0 808080\n", "2,2\n1.5,2\n");
        writeBytes(path("p.vkp"), patchOf({"a", "b"}) + patchOf({"odd"}, "A0B1C2") + patchOf({"none"}, "A0"));
        ASSERT_EQ(exportRun({"-o", "out", "p.vkp"}).status, 1);  // none has no size
        ASSERT_TRUE(QDir().mkpath(path("in")));
    }

    // out/p/NAME's image with pixel (x, y) set to colour, as in/NAME.
    QString edited(const QString& name, int x, int y, QRgb colour, const QString& as = {}) {
        QImage image = QImage(path("out/p/" + name)).convertToFormat(QImage::Format_ARGB32);
        image.setPixel(x, y, colour);
        const QString saved = "in/" + (as.isEmpty() ? name : as);
        EXPECT_TRUE(image.save(path(saved)));
        return saved;
    }

    QRgb drawnCode(const char* code) const { return drawn(code, TransparentColour::Form); }
};

}  // namespace hexpane::test
