#include "window/picture_list.h"

#include "gui/name_text.h"

namespace hexpane {

int PictureNames::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(pictures_.size()); }

QVariant PictureNames::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || std::size_t(index.row()) >= pictures_.size()) return {};
    return displayName(pictures_[std::size_t(index.row())].name);
}

PictureList::PictureList(const std::vector<PictureRecord>& pictures, QWidget* parent)
    : QListView(parent), names_(new PictureNames(pictures, this)) {
    setModel(names_);
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
