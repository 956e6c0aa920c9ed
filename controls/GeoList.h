#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QListView>
#include <QPixmap>
#include <QString>

namespace tessel {

// The text of an icon list item: one blank, the character whose code is the
// icon number (a cell of the list's icon strip), then the name shown.
QString GeoListItemText(int iconNumber, const QString &displayName);
int GeoListItemIcon(const QString &itemText);
QString GeoListItemName(const QString &itemText);

// The strip of the data source type icons, from the program's resources.
QPixmap SourceIconStrip();

// An entry of an icon list: the name shown, its icon number and the number
// the list keeps with it (its item data).
struct GeoListItem
{
    QString name;
    int icon = 0;
    qint32 data = 0;
};

// The entries of an icon list as a model: a view asks only for the rows it
// draws, so a list of any length is shown as soon as it is handed over.
class GeoListModel final : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    const GeoListItem *item(int row) const;
    void append(GeoListItem item);
    void setNumber(int row, qint32 value);
    // Replaces every entry at once.
    void reset(QList<GeoListItem> items);
    void setStrip(const QPixmap &strip);

private:
    QIcon cellIcon(int iconNumber) const;

    QList<GeoListItem> m_items;
    QPixmap m_strip;
    mutable QHash<int, QIcon> m_cellIcons; // by icon number, from the strip
};

// A list of named items, each drawn with a 16 by 16 cell of an icon strip.
// Items stay in the order added. Click is raised whenever the user changes
// the selection, by mouse or keyboard; changes made by code raise nothing.
class GeoList final : public QListView
{
    Q_OBJECT
public:
    static constexpr int IconSize = 16;

    explicit GeoList(QWidget *parent = nullptr);

    void AddItem(const QString &text);
    // The index of the item added last, -1 before any.
    int newIndex() const { return m_newIndex; }

    void setItemData(int index, qint32 value);
    qint32 ItemData(int index) const;

    // The selected item's index (-1 when none) and full item text.
    int ListIndex() const;
    QString Text() const;

    void Clear();
    // Replaces every item at once, with nothing selected.
    void setItems(QList<GeoListItem> items);

    int count() const { return m_model->rowCount(); }
    // The name shown by the item at row; empty when there is none.
    QString itemName(int row) const;
    // The row of the first item named name, -1 when none is.
    int findRow(const QString &name, Qt::CaseSensitivity caseSensitivity) const;
    // The row that holds the focus mark, -1 when none does.
    int currentRow() const { return currentIndex().row(); }
    void setCurrentRow(int row,
                       QItemSelectionModel::SelectionFlags command = QItemSelectionModel::ClearAndSelect);
    QRect rowRect(int row) const { return visualRect(m_model->index(row)); }

    // The strip the icons are cut from: cells side by side, numbered from 0
    // at the left. The colour of its top-left pixel is drawn transparent.
    void setPicture(const QPixmap &strip);

signals:
    void Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void onSelectionChanged();

    GeoListModel *m_model; // a child: it outlives the view's own teardown
    int m_newIndex = -1;
    bool m_handlingUserInput = false;
};

} // namespace tessel
