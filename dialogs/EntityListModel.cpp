#include "dialogs/EntityListModel.h"

namespace tessel {

void EntityListModel::setNames(EntityNames names)
{
    beginResetModel();
    m_names = std::move(names);
    endResetModel();
}

int EntityListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_names.size());
}

QVariant EntityListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_names.size()
        || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return m_names.at(index.row());
}

} // namespace tessel
