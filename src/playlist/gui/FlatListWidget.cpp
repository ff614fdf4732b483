#include "playlist/gui/FlatListWidget.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>

#include "playlist/SongFiles.h"

namespace cx {

QStringList AcceptedDroppedFiles(const QList<QUrl>& urls) {
    QStringList out;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) continue;
        const QString path = url.toLocalFile();
        if (IsAcceptedSongFile(path.toStdString())) out << path;
    }
    return out;
}

FlatListWidget::FlatListWidget(FlatListModel& model, QWidget* parent)
    : QAbstractScrollArea(parent), m_model(model) {
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    verticalScrollBar()->setSingleStep(1);
    m_model.SetChangeListener([this] { Refresh(); });
    SyncScrollBar();
}

FlatListWidget::~FlatListWidget() {
    m_model.SetChangeListener({});
}

void FlatListWidget::SetLook(const FlatListLook& look) {
    m_look = look;
    Refresh();
}

FlatListMetrics FlatListWidget::Metrics() const {
    return MeasureFlatList(m_model, m_look.Font());
}

void FlatListWidget::Refresh() {
    SyncScrollBar();
    viewport()->update();
    if (onChanged) onChanged();
}

void FlatListWidget::SyncScrollBar() {
    if (m_syncing) return;
    m_syncing = true;
    const int rows = VisibleRowsFor(Metrics(), viewport()->height());
    if (m_model.VisibleRows() != rows) m_model.SetVisibleRows(rows);
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, m_model.ListCount() - rows));
    bar->setPageStep(rows);
    bar->setValue(m_model.TopIndex());
    m_syncing = false;
}

void FlatListWidget::scrollContentsBy(int, int) {
    if (m_syncing) return;
    m_syncing = true;
    m_model.SetTopIndex(verticalScrollBar()->value());
    m_syncing = false;
    viewport()->update();
}

void FlatListWidget::wheelEvent(QWheelEvent* event) {
    // One item per notch, and only in the active window: a wheel turned over
    // a window in the background leaves the list where the singer put it.
    event->accept();
    if (!isActiveWindow()) return;
    constexpr int kNotch = 120;
    m_wheelRest += event->angleDelta().y();
    while (m_wheelRest >= kNotch) {
        m_model.ScrollUp();
        m_wheelRest -= kNotch;
    }
    while (m_wheelRest <= -kNotch) {
        m_model.ScrollDown();
        m_wheelRest += kNotch;
    }
}

void FlatListWidget::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    PaintFlatList(painter, m_model, m_look, viewport()->size(), hasFocus(), m_dropBefore);
}

void FlatListWidget::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    SyncScrollBar();
}

void FlatListWidget::mousePressEvent(QMouseEvent* event) {
    const int index = RowAt(m_model, Metrics(), event->position().toPoint().y());
    if (index < 0) {
        if (event->button() == Qt::LeftButton) m_model.SelectNone();
        return;
    }
    const auto mods = event->modifiers();
    if (event->button() == Qt::LeftButton) {
        m_pressRow = index;
        m_pressPos = event->position().toPoint();
    }
    if (mods & Qt::ControlModifier) {
        m_model.SetSelected(index, !m_model.Selected(index));
        m_model.SetListIndex(index);
        m_anchor = index;
    } else if ((mods & Qt::ShiftModifier) && m_anchor >= 0) {
        m_model.SelectNone();
        for (int i = std::min(m_anchor, index); i <= std::max(m_anchor, index); ++i) {
            m_model.SetSelected(i, true);
        }
        m_model.SetListIndex(index);
    } else if (event->button() == Qt::LeftButton && m_model.Selected(index)) {
        // The whole selection may be about to be dragged; a plain click
        // narrows it to this item on release.
        m_model.SetListIndex(index);
        m_selectOnRelease = true;
        m_anchor = index;
    } else if (event->button() == Qt::LeftButton || !m_model.Selected(index)) {
        m_model.SelectOnly(index);
        m_anchor = index;
    }
}

void FlatListWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || m_pressRow < 0) return;
    const QPoint pos = event->position().toPoint();
    if (!m_dragging) {
        if ((pos - m_pressPos).manhattanLength() < QApplication::startDragDistance()) return;
        if (!m_model.Selected(m_pressRow)) return;  // Ctrl+click took it out
        m_dragging = true;
        m_selectOnRelease = false;
    }
    // Past the top or bottom edge the list scrolls under the dragged items.
    if (pos.y() < 0) m_model.ScrollUp();
    if (pos.y() > viewport()->height()) m_model.ScrollDown();
    ShowDropPlace(pos.y());
}

void FlatListWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (m_dragging) {
        const int before = m_dropBefore;
        EndDrag();
        if (before >= 0) m_model.MoveSelectedTo(before);
    } else if (m_selectOnRelease && m_model.Valid(m_pressRow)) {
        m_model.SelectOnly(m_pressRow);
    }
    m_pressRow = -1;
    m_selectOnRelease = false;
}

void FlatListWidget::ShowDropPlace(int y) {
    const int before = DropRowAt(m_model, Metrics(), y);
    if (before == m_dropBefore) return;
    m_dropBefore = before;
    viewport()->update();
}

void FlatListWidget::EndDrag() {
    m_dragging = false;
    m_dropBefore = -1;
    viewport()->update();
}

void FlatListWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    const int index = RowAt(m_model, Metrics(), event->position().toPoint().y());
    if (index >= 0 && event->button() == Qt::LeftButton && onActivated) onActivated(index);
}

void FlatListWidget::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down: {
            const bool up = event->key() == Qt::Key_Up;
            if (event->modifiers() & Qt::ControlModifier) {
                m_model.MoveSelected(up ? -1 : 1);  // the selected songs move
            } else if (up) {
                m_model.MoveUp();
            } else {
                m_model.MoveDown();
            }
            m_anchor = m_model.ListIndex();
            return;
        }
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
            const int step =
                event->key() == Qt::Key_PageUp ? -m_model.VisibleRows() : m_model.VisibleRows();
            m_model.SelectOnly(std::clamp(m_model.ListIndex() + step, 0, m_model.ListCount() - 1));
            return;
        }
        case Qt::Key_Home:
            if (m_model.ListCount() > 0) m_model.SelectOnly(0);
            return;
        case Qt::Key_End:
            if (m_model.ListCount() > 0) m_model.SelectOnly(m_model.ListCount() - 1);
            return;
        case Qt::Key_Delete:
            if (onRemove) {
                onRemove();
            } else {
                m_model.RemoveItem();
            }
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (m_model.Valid(m_model.ListIndex()) && onActivated) onActivated(m_model.ListIndex());
            return;
        case Qt::Key_A:
            if (event->modifiers() & Qt::ControlModifier) {
                m_model.SelectAll();
                return;
            }
            break;
        default:
            break;
    }
    // Other keys (the player's letters and digits) go on to the window.
    QAbstractScrollArea::keyPressEvent(event);
}

void FlatListWidget::contextMenuEvent(QContextMenuEvent* event) {
    if (onContextMenu) onContextMenu(event->globalPos());
}

void FlatListWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && !AcceptedDroppedFiles(event->mimeData()->urls()).empty()) {
        event->acceptProposedAction();
    }
}

void FlatListWidget::dragMoveEvent(QDragMoveEvent* event) {
    if (!event->mimeData()->hasUrls()) return;
    event->acceptProposedAction();
    ShowDropPlace(event->position().toPoint().y());
}

void FlatListWidget::dragLeaveEvent(QDragLeaveEvent*) {
    EndDrag();
}

void FlatListWidget::dropEvent(QDropEvent* event) {
    const int before = DropRowAt(m_model, Metrics(), event->position().toPoint().y());
    EndDrag();
    const QStringList files = AcceptedDroppedFiles(event->mimeData()->urls());
    if (files.isEmpty()) return;
    event->acceptProposedAction();
    if (onFilesDropped) onFilesDropped(files, before);
}

}  // namespace cx
