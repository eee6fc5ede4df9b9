// The list box lst: one row per picture of the open patch, row i showing the
// name of pictures[i]. The rows are read from the pictures as they are drawn,
// so even a million of them cost next to nothing to fill: one check of each
// name's encoding, kept with the list. Typing a name's start selects it as in
// any list, and as quickly in a million rows as in ten.
#pragma once

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QListView>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "patch/pictures.h"

namespace hexpane {

class PictureNames final : public QAbstractListModel {
    Q_OBJECT
public:
    PictureNames(const Pictures& pictures, QObject* parent) : QAbstractListModel(parent), pictures_(pictures) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Wrap every change of the pictures, so that the rows follow them.
    void beginChange() { beginResetModel(); }
    void endChange();
    // Row's mark changed: a picture replaced shows a leading "• ", which is
    // no part of its name.
    void rowChanged(int row);
    void rowsChanged();
    std::function<bool(std::size_t row)> marked;

    // The first row from `from` on, going round past the last, whose name as
    // shown starts with the text foldedForSearch made; -1 when there is none.
    int findRow(std::u32string_view folded, int from) const;

private:
    bool isUtf8(std::size_t row) const;

    const Pictures& pictures_;
    std::vector<std::uint8_t> utf8_;  // isUtf8Name of each name, or empty if there was no memory for it
};

class PictureList final : public QListView {
    Q_OBJECT
public:
    PictureList(const Pictures& pictures, QWidget* parent);

    PictureNames* names() const { return names_; }
    int count() const;
    QString text(int row) const;  // as shown
    int selectedRow() const;      // -1 when nothing is selected
    void selectRow(int row);

    // The toolkit's type-ahead (a prefix, letter case aside, from the row after
    // the current one, going round; keys typed within the keyboard input
    // interval add up, a key repeated steps on), on the names themselves.
    void keyboardSearch(const QString& search) override;

signals:
    void pictureSelected();  // by the user's hand or by selectRow

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index, const QEvent* event) const override;

private:
    PictureNames* names_;
    QString typed_;  // the keys of the search going on
    QElapsedTimer sinceKey_;
};

}  // namespace hexpane
