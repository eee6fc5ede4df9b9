#include "window/picture_list.h"

#include <QApplication>
#include <QStyledItemDelegate>

#include <new>

#include "text/name_text.h"

namespace hexpane {

namespace {

// Each name drawn left to right, so that no two names look alike.
class LeftToRightNames final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = leftToRightIsolated(option->text);
        option->direction = Qt::LeftToRight;
    }
};

}  // namespace

int PictureNames::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(pictures_.size()); }

QVariant PictureNames::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || std::size_t(index.row()) >= pictures_.size()) return {};
    const auto row = std::size_t(index.row());
    const QString name = displayName(pictures_[row].name, isUtf8(row));
    return marked && marked(row) ? QStringLiteral("• ") + name : name;
}

void PictureNames::rowsChanged() {
    if (rowCount() > 0) emit dataChanged(index(0), index(rowCount() - 1), {Qt::DisplayRole});
}

void PictureNames::rowChanged(int row) {
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void PictureNames::endChange() {
    try {
        std::vector<std::uint8_t> utf8(pictures_.size());
        std::string_view checked;  // a header's name, shared by the pictures it names, is checked once
        for (std::size_t row = 0; row < utf8.size(); ++row) {
            const std::string_view name = pictures_[row].name;
            const bool same = row > 0 && name.data() == checked.data() && name.size() == checked.size();
            utf8[row] = same ? utf8[row - 1] : isUtf8Name(name);
            checked = name;
        }
        utf8_.swap(utf8);
    } catch (const std::bad_alloc&) {
        std::vector<std::uint8_t>().swap(utf8_);  // each row checks its name when shown
    }
    endResetModel();
}

bool PictureNames::isUtf8(std::size_t row) const {
    return utf8_.size() == pictures_.size() ? utf8_[row] != 0 : isUtf8Name(pictures_[row].name);
}

int PictureNames::findRow(std::u32string_view folded, int from) const {
    const std::size_t rows = pictures_.size();
    for (std::size_t step = 0, row = std::size_t(from); step < rows; ++step, row = row + 1 < rows ? row + 1 : 0) {
        if (displayNameStartsWith(pictures_[row].name, isUtf8(row), folded)) return int(row);
    }
    return -1;
}

PictureList::PictureList(const Pictures& pictures, QWidget* parent)
    : QListView(parent), names_(new PictureNames(pictures, this)) {
    setModel(names_);
    setItemDelegate(new LeftToRightNames(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);  // no row is measured but the first
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &PictureList::pictureSelected);
}

int PictureList::count() const { return names_->rowCount(); }

QString PictureList::text(int row) const { return names_->index(row).data().toString(); }

int PictureList::selectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

void PictureList::selectRow(int row) { setCurrentIndex(names_->index(row)); }

void PictureList::keyboardSearch(const QString& search) {
    const int rows = count();
    if (rows == 0) return;
    const QModelIndex current = currentIndex();
    const bool goingOn = sinceKey_.isValid() && sinceKey_.restart() <= QApplication::keyboardInputInterval();
    if (!sinceKey_.isValid()) sinceKey_.start();
    // A new search starts after the current row; one that goes on tries it again.
    bool skipRow = false;
    if (search.isEmpty() || !goingOn) {
        typed_ = search;
        skipRow = current.isValid();
    } else {
        typed_ += search;
    }
    // The same key again and again steps on to the next name it starts.
    if (typed_.size() > 1 && typed_.count(typed_.back()) == typed_.size()) skipRow = true;
    int from = current.isValid() ? current.row() : 0;
    if (skipRow) from = from + 1 < rows ? from + 1 : 0;
    const int found = names_->findRow(foldedForSearch(typed_), from);
    if (found >= 0) setCurrentIndex(names_->index(found));
}

// Once a row is selected, one stays selected until the next open, as in a
// plain list box: Ctrl+click and Ctrl+Space on the selected row select it
// again instead of clearing it, and a click below the last row does nothing.
QItemSelectionModel::SelectionFlags PictureList::selectionCommand(const QModelIndex& index, const QEvent* event) const {
    if (!index.isValid()) return QItemSelectionModel::NoUpdate;
    const QItemSelectionModel::SelectionFlags command = QListView::selectionCommand(index, event);
    if (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
        return QItemSelectionModel::ClearAndSelect;
    return command;
}

}  // namespace hexpane
