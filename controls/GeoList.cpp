#include "controls/GeoList.h"

#include <QBitmap>
#include <QKeyEvent>
#include <QScopedValueRollback>

namespace tessel {

QString GeoListItemText(int iconNumber, const QString &displayName)
{
    return QLatin1Char(' ') + QChar(char16_t(iconNumber)) + displayName;
}

int GeoListItemIcon(const QString &itemText)
{
    return itemText.size() > 1 ? itemText.at(1).unicode() : 0;
}

QString GeoListItemName(const QString &itemText)
{
    return itemText.mid(2);
}

QPixmap SourceIconStrip()
{
    return QPixmap(QStringLiteral(":/icons/icon-strip.png"));
}

int GeoListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant GeoListModel::data(const QModelIndex &index, int role) const
{
    const GeoListItem *entry = item(index.row());
    if (!entry)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return entry->name;
    case Qt::DecorationRole:
        return cellIcon(entry->icon);
    default:
        return {};
    }
}

const GeoListItem *GeoListModel::item(int row) const
{
    return row >= 0 && row < m_items.size() ? &m_items[row] : nullptr;
}

void GeoListModel::append(GeoListItem item)
{
    const int row = int(m_items.size());
    beginInsertRows({}, row, row);
    m_items.append(std::move(item));
    endInsertRows();
}

void GeoListModel::setNumber(int row, qint32 value)
{
    if (row >= 0 && row < m_items.size())
        m_items[row].data = value;
}

void GeoListModel::reset(QList<GeoListItem> items)
{
    beginResetModel();
    m_items = std::move(items);
    endResetModel();
}

void GeoListModel::setStrip(const QPixmap &strip)
{
    m_strip = strip;
    m_cellIcons.clear();
    if (!m_strip.isNull()) {
        const QColor transparent = m_strip.toImage().pixelColor(0, 0);
        m_strip.setMask(m_strip.createMaskFromColor(transparent));
    }
    if (!m_items.isEmpty())
        emit dataChanged(index(0), index(int(m_items.size()) - 1), {Qt::DecorationRole});
}

QIcon GeoListModel::cellIcon(int iconNumber) const
{
    // Items of one icon share it: a list of many records holds a few icons.
    QIcon &icon = m_cellIcons[iconNumber];
    if (!icon.isNull())
        return icon;
    const QRect cell(iconNumber * GeoList::IconSize, 0, GeoList::IconSize, GeoList::IconSize);
    if (m_strip.rect().contains(cell)) {
        icon = QIcon(m_strip.copy(cell));
    } else {
        // Without a cell of its own an item keeps its text in line with the others.
        QPixmap blank(GeoList::IconSize, GeoList::IconSize);
        blank.fill(Qt::transparent);
        icon = QIcon(blank);
    }
    return icon;
}

GeoList::GeoList(QWidget *parent)
    : QListView(parent)
    , m_model(new GeoListModel(this))
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(IconSize, IconSize));
    setUniformItemSizes(true);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &GeoList::onSelectionChanged);
}

void GeoList::AddItem(const QString &text)
{
    m_model->append({GeoListItemName(text), GeoListItemIcon(text), 0});
    m_newIndex = count() - 1;
}

void GeoList::setItemData(int index, qint32 value)
{
    m_model->setNumber(index, value);
}

qint32 GeoList::ItemData(int index) const
{
    const GeoListItem *entry = m_model->item(index);
    return entry ? entry->data : 0;
}

int GeoList::ListIndex() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

QString GeoList::Text() const
{
    const GeoListItem *entry = m_model->item(ListIndex());
    return entry ? GeoListItemText(entry->icon, entry->name) : QString();
}

void GeoList::Clear()
{
    setItems({});
}

void GeoList::setItems(QList<GeoListItem> items)
{
    m_newIndex = int(items.size()) - 1;
    m_model->reset(std::move(items));
}

QString GeoList::itemName(int row) const
{
    const GeoListItem *entry = m_model->item(row);
    return entry ? entry->name : QString();
}

int GeoList::findRow(const QString &name, Qt::CaseSensitivity caseSensitivity) const
{
    for (int row = 0; row < count(); ++row) {
        if (m_model->item(row)->name.compare(name, caseSensitivity) == 0)
            return row;
    }
    return -1;
}

void GeoList::setCurrentRow(int row, QItemSelectionModel::SelectionFlags command)
{
    selectionModel()->setCurrentIndex(m_model->index(row), command);
}

void GeoList::setPicture(const QPixmap &strip)
{
    m_model->setStrip(strip);
}

void GeoList::keyPressEvent(QKeyEvent *event)
{
    const QScopedValueRollback userInput(m_handlingUserInput, true);
    // With nothing selected, the first arrow key selects the item that holds
    // the focus mark instead of moving past it.
    const bool arrow = event->key() == Qt::Key_Up || event->key() == Qt::Key_Down;
    if (arrow && event->modifiers() == Qt::NoModifier && ListIndex() == -1 && currentIndex().isValid()) {
        selectionModel()->select(currentIndex(), QItemSelectionModel::Select);
        return;
    }
    QListView::keyPressEvent(event);
}

void GeoList::mousePressEvent(QMouseEvent *event)
{
    const QScopedValueRollback userInput(m_handlingUserInput, true);
    QListView::mousePressEvent(event);
}

void GeoList::mouseMoveEvent(QMouseEvent *event)
{
    const QScopedValueRollback userInput(m_handlingUserInput, true);
    QListView::mouseMoveEvent(event);
}

// A click on the empty part of the list clears the selection when the button
// is released.
void GeoList::mouseReleaseEvent(QMouseEvent *event)
{
    const QScopedValueRollback userInput(m_handlingUserInput, true);
    QListView::mouseReleaseEvent(event);
}

void GeoList::onSelectionChanged()
{
    if (m_handlingUserInput)
        emit Click();
}

} // namespace tessel
