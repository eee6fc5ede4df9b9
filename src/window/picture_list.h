// The list box lst: one row per picture of the open patch, row i showing the
// name of pictures[i]. The rows are read from the pictures as they are drawn,
// so even a million of them cost next to nothing to fill.
#pragma once

#include <QAbstractListModel>
#include <QListView>

#include <vector>

#include "patch/patch_reader.h"

namespace hexpane {

class PictureNames final : public QAbstractListModel {
    Q_OBJECT
public:
    PictureNames(const std::vector<PictureRecord>& pictures, QObject* parent)
        : QAbstractListModel(parent), pictures_(pictures) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Wrap every change of the pictures, so that the rows follow them.
    void beginChange() { beginResetModel(); }
    void endChange() { endResetModel(); }

private:
    const std::vector<PictureRecord>& pictures_;
};

class PictureList final : public QListView {
    Q_OBJECT
public:
    PictureList(const std::vector<PictureRecord>& pictures, QWidget* parent);

    PictureNames* names() const { return names_; }
    int count() const;
    QString text(int row) const;  // as shown
    int selectedRow() const;      // -1 when nothing is selected
    void selectRow(int row);

signals:
    void pictureSelected();  // by the user's hand or by selectRow

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index, const QEvent* event) const override;

private:
    PictureNames* names_;
};

}  // namespace hexpane
