// The playlist control: draws a FlatListModel, scrolls it, and turns mouse,
// keys and dropped files into list operations and callbacks.
#pragma once

#include <QAbstractScrollArea>
#include <QStringList>
#include <functional>

#include "playlist/FlatListModel.h"
#include "playlist/gui/FlatListPainter.h"

namespace cx {

class FlatListWidget : public QAbstractScrollArea {
public:
    explicit FlatListWidget(FlatListModel& model, QWidget* parent = nullptr);
    ~FlatListWidget() override;

    FlatListModel& Model() { return m_model; }
    void SetLook(const FlatListLook& look);
    const FlatListLook& Look() const { return m_look; }

    // Double click or Enter on an item.
    std::function<void(int index)> onActivated;
    // Files dropped on the list (already filtered to songs, lyrics and CD+G
    // files), to stand before the item `before` (ListCount(): at the end).
    std::function<void(const QStringList& paths, int before)> onFilesDropped;
    // Right click, in global coordinates.
    std::function<void(const QPoint& globalPos)> onContextMenu;
    // Delete pressed.
    std::function<void()> onRemove;
    // The list changed (items, marks or selection).
    std::function<void()> onChanged;

    void Refresh();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void SyncScrollBar();
    FlatListMetrics Metrics() const;
    void ShowDropPlace(int y);
    void EndDrag();

    FlatListModel& m_model;
    FlatListLook m_look;
    int m_anchor = -1;  // start of a Shift+click range
    bool m_syncing = false;
    int m_wheelRest = 0;  // wheel movement short of one notch (touchpads)
    // Dragging items within the list: where the press was, whether the mouse
    // has moved far enough to be a drag, and where the items would land.
    int m_pressRow = -1;
    QPoint m_pressPos;
    bool m_dragging = false;
    bool m_selectOnRelease = false;  // a click on a selection that was not dragged
    int m_dropBefore = -1;
};

// Song, lyrics and CD+G files among dropped URLs.
QStringList AcceptedDroppedFiles(const QList<QUrl>& urls);

}  // namespace cx
