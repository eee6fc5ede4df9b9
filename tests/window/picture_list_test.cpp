// The list of names: type-ahead that selects what the toolkit's own search
// selects over the same rows, and rows drawn so that different names never
// look alike.
#include <QApplication>
#include <QKeyEvent>
#include <QStringListModel>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/name_text.h"
#include "window/picture_list.h"

namespace hexpane {
namespace {

Pictures picturesNamed(const std::vector<std::string>& names) {
    std::vector<PictureRecord> pictures;
    for (const std::string& name : names) pictures.push_back({name, {}, {}});
    return picturesOf(pictures);
}

void type(QAbstractItemView& view, const QString& keys) {
    for (const QChar key : keys) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(key));
        QCoreApplication::sendEvent(&view, &press);
    }
}

class KeyboardInterval {
public:
    explicit KeyboardInterval(int ms) : old_(QApplication::keyboardInputInterval()) {
        QApplication::setKeyboardInputInterval(ms);
    }
    ~KeyboardInterval() { QApplication::setKeyboardInputInterval(old_); }
    KeyboardInterval(const KeyboardInterval&) = delete;
    KeyboardInterval& operator=(const KeyboardInterval&) = delete;

private:
    int old_;
};

// The list against a plain list view over the names as shown, key after key.
TEST(TypeAhead, SelectsTheRowTheToolkitsSearchSelects) {
    const std::vector<std::string> names = {
        "alpha",
        "Alpine",
        "beta",
        "\xd0\x91\xd0\xb5\xd1\x82\xd0\xb0",
        "\xc1\xe5\xf2\xe0",
        "aa",
        "aab",
        "AAc",
        "ab\tc",
        "<U+0009",
        std::string(300, 'z') + "x",
        std::string(300, 'z') + "y",
        "\xc3\xa9vian",
        "\xc3\x89VIAN",
        "\xf0\x90\x90\x80x",
        "\xf0\x90\x90\xa8y",
        "a\xcd\x8f"
        "b",
        "",
    };
    const Pictures pictures = picturesNamed(names);
    QStringList shown;
    for (const std::string& name : names) shown << displayName(name);
    const struct {
        const char* keys;  // UTF-8
        bool together;     // within the keyboard input interval, or each a new search
    } cases[] = {
        {"a", true},
        {"aaaa", true},
        {"aab", true},
        {"Al", true},
        {"al", false},
        {"b", true},
        {"б", true},
        {"бет", true},
        {"БЕТА", true},
        {"ab<", true},
        {"<u+", true},
        {"zzzzzzzzz", true},
        {"zzzzzz", false},
        {"q", true},
        {"éV", true},
        {"ÉVIAN", true},
        {"\xf0\x90\x90\xa8", true},
        {"a<U+034F>", true},
        {"bababa", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        const KeyboardInterval interval(c.together ? 3'600'000 : -1);
        PictureList list(pictures, nullptr);
        QStringListModel model(shown);
        QListView reference;
        reference.setModel(&model);
        const QString keys = QString::fromUtf8(c.keys);
        for (qsizetype k = 0; k < keys.size(); ++k) {
            if (keys[k].isLowSurrogate()) continue;
            const QString key = keys.mid(k, keys[k].isHighSurrogate() ? 2 : 1);
            for (QAbstractItemView* view :
                 {static_cast<QAbstractItemView*>(&list), static_cast<QAbstractItemView*>(&reference)})
                view->keyboardSearch(key);
            ASSERT_EQ(list.currentIndex().row(), reference.currentIndex().row()) << "after " << k + 1 << " keys";
        }
    }
}

TEST(TypeAhead, KeysTypedIntoALongListSelectTheirName) {
    std::vector<std::string> names;
    for (int i = 0; i < 300'000; ++i) names.push_back("picture" + std::to_string(i));
    const Pictures pictures = picturesNamed(names);
    PictureList list(pictures, nullptr);
    const KeyboardInterval interval(3'600'000);
    type(list, "picture29999");
    EXPECT_EQ(list.currentIndex().row(), 29999);
    EXPECT_EQ(list.selectedRow(), 29999);
    type(list, "9");
    EXPECT_EQ(list.currentIndex().row(), 299999);
}

// A name as the list draws it in a row, not current, not selected.
QImage rowImage(const std::string& name) {
    const Pictures pictures = picturesNamed({name});
    PictureList list(pictures, nullptr);
    list.resize(300, 100);
    list.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&list));
    list.selectionModel()->clearCurrentIndex();
    return list.viewport()->grab(list.visualRect(list.model()->index(0, 0))).toImage();
}

TEST(ListRows, NamesThatDifferLookDifferent) {
    const struct {
        const char* what;
        const char *one, *other;  // UTF-8
    } pairs[] = {
        {"digits beside a right-to-left run", "X_אב_1", "X_1_אב"},
        {"a digit after the run that ends the name", "אב1", "1אב"},
        {"Arabic-Indic digits and Hebrew", "٣א", "א٣"},
        {"an invisible joiner", "ab",
         "a\xcd\x8f"
         "b"},
        {"a variation selector", "a", "a\xef\xb8\x8f"},
        {"a filler", "x", "x\xe3\x85\xa4"},
        {"a no-break space", "a b",
         "a\xc2\xa0"
         "b"},
    };
    for (const auto& pair : pairs) {
        const QImage one = rowImage(pair.one), other = rowImage(pair.other);
        EXPECT_FALSE(one == other) << pair.what;
    }
}

}  // namespace
}  // namespace hexpane
