#pragma once

#include <QAbstractListModel>

#include "registry/DldEntities.h"

namespace tessel {

// The entries of the entity list, one row for each declaration read, taken
// straight from the names as read: a list of millions of entities holds no
// item of its own for each.
class EntityListModel final : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // Replaces every entry; empty names empty the list.
    void setNames(EntityNames names);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    EntityNames m_names;
};

} // namespace tessel
