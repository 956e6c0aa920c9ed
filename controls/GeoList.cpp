#include "controls/GeoList.h"

#include <QBitmap>
#include <QKeyEvent>
#include <QScopedValueRollback>

namespace tessel {
namespace {

constexpr int FullTextRole = Qt::UserRole;
constexpr int ItemDataRole = Qt::UserRole + 1;

} // namespace

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

GeoList::GeoList(QWidget *parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(IconSize, IconSize));
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemSelectionChanged, this, &GeoList::onSelectionChanged);
}

void GeoList::AddItem(const QString &text)
{
    auto *item = new QListWidgetItem(cellIcon(GeoListItemIcon(text)), GeoListItemName(text));
    item->setData(FullTextRole, text);
    item->setData(ItemDataRole, 0);
    addItem(item);
    m_newIndex = count() - 1;
}

void GeoList::setItemData(int index, qint32 value)
{
    if (QListWidgetItem *entry = item(index))
        entry->setData(ItemDataRole, value);
}

qint32 GeoList::ItemData(int index) const
{
    const QListWidgetItem *entry = item(index);
    return entry ? entry->data(ItemDataRole).toInt() : 0;
}

int GeoList::ListIndex() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

QString GeoList::Text() const
{
    const QListWidgetItem *entry = item(ListIndex());
    return entry ? entry->data(FullTextRole).toString() : QString();
}

void GeoList::Clear()
{
    clear();
    m_newIndex = -1;
}

void GeoList::setPicture(const QPixmap &strip)
{
    m_strip = strip;
    m_cellIcons.clear();
    if (!m_strip.isNull()) {
        const QColor transparent = m_strip.toImage().pixelColor(0, 0);
        m_strip.setMask(m_strip.createMaskFromColor(transparent));
    }
    for (int index = 0; index < count(); ++index) {
        QListWidgetItem *entry = item(index);
        entry->setIcon(cellIcon(GeoListItemIcon(entry->data(FullTextRole).toString())));
    }
}

QIcon GeoList::cellIcon(int iconNumber) const
{
    // Items of one icon share it: a list of many records holds a few icons.
    QIcon &icon = m_cellIcons[iconNumber];
    if (!icon.isNull())
        return icon;
    const QRect cell(iconNumber * IconSize, 0, IconSize, IconSize);
    if (m_strip.rect().contains(cell)) {
        icon = QIcon(m_strip.copy(cell));
    } else {
        // Without a cell of its own an item keeps its text in line with the others.
        QPixmap blank(IconSize, IconSize);
        blank.fill(Qt::transparent);
        icon = QIcon(blank);
    }
    return icon;
}

void GeoList::keyPressEvent(QKeyEvent *event)
{
    const QScopedValueRollback userInput(m_handlingUserInput, true);
    // With nothing selected, the first arrow key selects the item that holds
    // the focus mark instead of moving past it.
    const bool arrow = event->key() == Qt::Key_Up || event->key() == Qt::Key_Down;
    if (arrow && event->modifiers() == Qt::NoModifier && ListIndex() == -1 && currentItem()) {
        currentItem()->setSelected(true);
        return;
    }
    QListWidget::keyPressEvent(event);
}

void GeoList::mousePressEvent(QMouseEvent *event)
{
    const QScopedValueRollback userInput(m_handlingUserInput, true);
    QListWidget::mousePressEvent(event);
}

void GeoList::mouseMoveEvent(QMouseEvent *event)
{
    const QScopedValueRollback userInput(m_handlingUserInput, true);
    QListWidget::mouseMoveEvent(event);
}

// A click on the empty part of the list clears the selection when the button
// is released.
void GeoList::mouseReleaseEvent(QMouseEvent *event)
{
    const QScopedValueRollback userInput(m_handlingUserInput, true);
    QListWidget::mouseReleaseEvent(event);
}

void GeoList::onSelectionChanged()
{
    if (m_handlingUserInput)
        emit Click();
}

} // namespace tessel
