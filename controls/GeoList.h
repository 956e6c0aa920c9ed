#pragma once

#include <QHash>
#include <QIcon>
#include <QListWidget>
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

// A list of named items, each drawn with a 16 by 16 cell of an icon strip.
// Items stay in the order added. Click is raised whenever the user changes
// the selection, by mouse or keyboard; changes made by code raise nothing.
class GeoList final : public QListWidget
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
    QIcon cellIcon(int iconNumber) const;
    void onSelectionChanged();

    QPixmap m_strip;
    mutable QHash<int, QIcon> m_cellIcons;   // by icon number, from the strip
    int m_newIndex = -1;
    bool m_handlingUserInput = false;
};

} // namespace tessel
