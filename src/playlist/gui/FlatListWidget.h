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
    // Files dropped on the list (already filtered to songs, lyrics and CD+G files).
    std::function<void(const QStringList& paths)> onFilesDropped;
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
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void SyncScrollBar();
    FlatListMetrics Metrics() const;

    FlatListModel& m_model;
    FlatListLook m_look;
    int m_anchor = -1;  // start of a Shift+click range
    bool m_syncing = false;
    int m_wheelRest = 0;  // wheel movement short of one notch (touchpads)
};

// Song, lyrics and CD+G files among dropped URLs.
QStringList AcceptedDroppedFiles(const QList<QUrl>& urls);

}  // namespace cx
