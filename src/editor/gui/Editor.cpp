#include "editor/gui/Editor.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>

#include "editor/EditorFiles.h"
#include "editor/EditorText.h"
#include "editor/gui/TimeSpinner.h"
#include "lyrics/TimeText.h"
#include "playlist/WindowRect.h"

namespace cx {
namespace {

constexpr const char* kProgramTitle = "Cantabilex";
constexpr int kColText = 0;
constexpr int kColTime = 1;
constexpr int kColBreak = 2;
constexpr int kColLine = 3;
// X11 key code of the key left of "1" (whatever the layout prints on it).
constexpr quint32 kTildeScanCode = 49;
constexpr double kMaxSongSeconds = 99 * 60 + 59.999;
// The question before saving names this many doubtful rows at most.
constexpr std::size_t kListedRows = 12;
// Marks of rows whose time would not read back in their place.
const QColor kUntimedBack(255, 244, 200);
const QColor kOutOfOrderBack(255, 208, 208);

// A caption without its accelerator marker, for labels and titles.
QString Plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

// Menu text with the shortcut shown after a tab.
QString WithShortcut(const QString& caption, const char* shortcut) {
    if (!shortcut || !*shortcut) return caption;
    return caption + QLatin1Char('\t') + QLatin1String(shortcut);
}

}  // namespace

Editor::Editor(PlayerLink link, Hooks hooks, Codepage codepage, QWidget* parent)
    : QMainWindow(parent), m_doc(std::move(link)), m_hooks(std::move(hooks)), m_codepage(codepage) {
    setObjectName("Editor");
    m_correctionTimer.setInterval(kCorrectionTickMs);
    connect(&m_correctionTimer, &QTimer::timeout, this, &Editor::CorrectionTick);
    m_actionTimer.setSingleShot(true);
    m_actionTimer.setInterval(0);
    connect(&m_actionTimer, &QTimer::timeout, this, &Editor::SaveNow);
    BuildWidgets();
    BuildMenus();
    SetCaptions();
    resize(760, 480);
}

Editor::~Editor() = default;

std::string Editor::Tr(const std::string& key) const {
    std::string text = m_hooks.translate ? m_hooks.translate(key) : std::string();
    return text.empty() ? key : text;
}

QString Editor::TrQ(const std::string& key) const {
    return QString::fromStdString(Tr(key));
}

QAction* Editor::Action(const std::string& key) const {
    const auto it = m_actions.find(key);
    return it == m_actions.end() ? nullptr : it->second;
}

// --- building ---------------------------------------------------------------

void Editor::BuildWidgets() {
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    auto* split = new QSplitter(Qt::Horizontal, central);

    auto* textPane = new QWidget(split);
    auto* textColumn = new QVBoxLayout(textPane);
    textColumn->setContentsMargins(0, 0, 0, 0);
    m_textHeader = new QLabel(textPane);
    m_text = new QPlainTextEdit(textPane);
    m_text->setObjectName("Lyrics");
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    textColumn->addWidget(m_textHeader);
    textColumn->addWidget(m_text);

    m_list = new QTreeWidget(split);
    m_list->setObjectName("LISTA");
    m_list->setColumnCount(4);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setAllColumnsShowFocus(true);
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(kColText, 110);
    m_list->setColumnWidth(kColTime, 80);
    m_list->setColumnWidth(kColBreak, 50);
    split->addWidget(textPane);
    split->addWidget(m_list);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    column->addWidget(split, 1);

    auto* pieceRow = new QHBoxLayout;
    m_pieceText = new QLineEdit(central);
    m_pieceText->setObjectName("lText");
    m_break = new QCheckBox(central);
    m_break->setObjectName("chBreak");
    m_correct = new TimeSpinner(0, kMaxSongSeconds, SpinnerValue::TimeFormat::SubRip, central);
    m_correct->setObjectName("Correct");
    m_offset = new TimeSpinner(-kMaxSongSeconds, kMaxSongSeconds,
                               SpinnerValue::TimeFormat::MicroDVD, central);
    m_offset->setObjectName("Offst");
    m_doOffset = new QPushButton(central);
    m_doOffset->setObjectName("DoOff");
    m_capture = new QPushButton(central);
    m_capture->setObjectName("Capture");
    m_detailsButton = new QPushButton(central);
    m_detailsButton->setObjectName("Detale");
    pieceRow->addWidget(m_pieceText, 2);
    pieceRow->addWidget(m_break);
    pieceRow->addWidget(m_correct, 1);
    pieceRow->addWidget(m_offset, 1);
    pieceRow->addWidget(m_doOffset);
    pieceRow->addWidget(m_capture);
    pieceRow->addWidget(m_detailsButton);
    column->addLayout(pieceRow);
    setCentralWidget(central);

    m_statusMedia = new QLabel(this);
    m_statusPieces = new QLabel(this);
    statusBar()->addWidget(m_statusMedia, 1);
    statusBar()->addPermanentWidget(m_statusPieces);

    // Typed text goes into the selected piece; brackets never get in.
    connect(m_pieceText, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QString clean = QString::fromStdString(WithoutBrackets(text.toStdString()));
        if (clean != text) {
            const int cursor = m_pieceText->cursorPosition() - (text.size() - clean.size());
            m_pieceText->setText(clean);
            m_pieceText->setCursorPosition(std::max(0, cursor));
        }
        const int row = SelectedRow();
        if (m_doc.SetText(row, clean.toStdString())) RefreshRows();
    });
    connect(m_pieceText, &QLineEdit::returnPressed, this, [this] { m_list->setFocus(); });
    connect(m_break, &QCheckBox::clicked, this, [this](bool on) {
        const int row = SelectedRow();
        if (m_doc.SetBreak(row, on)) RefreshRows();
    });
    connect(m_correct, &TimeSpinner::valueChanged, this, [this](double v) {
        const int row = SelectedRow();
        if (m_doc.SetTime(row, v)) RefreshRow(row);
    });
    m_correct->onArrowKey = [this](bool up, bool pressed) {
        if (pressed)
            StartCorrection(up ? HeldCorrection::Direction::Up : HeldCorrection::Direction::Down);
        else
            StopCorrection();
        return true;
    };
    connect(m_doOffset, &QPushButton::clicked, this, &Editor::ApplyOffset);
    connect(m_capture, &QPushButton::clicked, this, &Editor::Capture);
    connect(m_detailsButton, &QPushButton::clicked, this, &Editor::ShowDetails);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] {
        if (!m_filling) ShowPiece(SelectedRow());
    });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        const int row = m_list->indexOfTopLevelItem(item) + 1;
        if (m_doc.ValidRow(row) && m_hooks.seekTo)
            m_hooks.seekTo(std::max(0.0, m_doc.Piece(row).StartTime - kReplayLeadSeconds));
    });

    // The capture key works wherever the focus is.
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_text, m_list, m_pieceText, m_correct->Field(), m_offset->Field(), m_break, m_capture,
             m_doOffset, m_detailsButton})
        w->installEventFilter(this);
}

void Editor::BuildMenus() {
    struct Item {
        const char* menu;
        const char* key;
        const char* shortcut;  // shown after the caption
        QKeySequence sequence;
        std::function<void()> run;
    };
    const auto edit = [this](const char* key) { return [this, key] { EditCommand(key); }; };
    const std::vector<Item> items = {
        {"MenuFile", "MenuNew", "Ctrl +N", QKeySequence("Ctrl+N"), [this] { NewLyrics(); }},
        {"MenuFile", "MenuLyricsOpen", "Ctrl +O", QKeySequence("Ctrl+O"), [this] { OpenLyrics(); }},
        {"MenuFile", "MenuLyricsImport", "Ctrl +I", QKeySequence("Ctrl+I"),
         [this] { ImportLyrics(); }},
        {"MenuFile", "MenuSave", "Ctrl +S", QKeySequence("Ctrl+S"), [this] { Save(); }},
        {"MenuFile", "MenuSaveAs", "", {}, [this] { SaveAs(); }},
        {"MenuFile", "MenuExport", "", {}, nullptr},
        {"MenuFile", "MenuTextOpen", "", {}, [this] { OpenText(); }},
        {"MenuFile", "MenuTextSave", "", {}, [this] { SaveText(); }},
        {"MenuFile", "MenuUpdate", "", {}, [this] { UpdateLyrics(); }},
        {"MenuFile", "MenuExit", "Alt + F4", {}, [this] { close(); }},
        {"MenuEdit", "MenuCut", "Ctrl+U", QKeySequence("Ctrl+U"), edit("MenuCut")},
        {"MenuEdit", "MenuCopy", "Ctrl+C", {}, edit("MenuCopy")},
        {"MenuEdit", "MenuPaste", "Ctrl+P", QKeySequence("Ctrl+P"), edit("MenuPaste")},
        {"MenuEdit", "MenuDelete", "Del", {}, edit("MenuDelete")},
        {"MenuEdit", "MenuSelectAll", "", {}, edit("MenuSelectAll")},
        {"MenuEdit", "MenuRemoveAll", "", {}, edit("MenuRemoveAll")},
        {"MenuEdit", "MenuFontSettings", "", {}, [this] { ChooseFont(); }},
        {"MenuKaraoke", "MenuDetails", "Ctrl+D", QKeySequence("Ctrl+D"),
         [this] {
             if (!m_hooks.playerHasLyrics || m_hooks.playerHasLyrics()) ShowDetails();
         }},
        {"MenuKaraoke", "MenuSplitText", "", {}, [this] { SplitText(); }},
        {"MenuKaraoke", "MenuMergeText", "", {}, [this] { MergeText(); }},
        {"MenuKaraoke", "MenuInsert", "Insert", {}, [this] { InsertLine(); }},
        {"MenuKaraoke", "MenuAddNew", "", {}, [this] { AddNewLine(); }},
        {"MenuKaraoke", "MenuClear", "", {}, [this] { ClearLyrics(); }},
        {"MenuPlayer", "Play", "C", QKeySequence("C"),
         [this] {
             if (m_hooks.play) m_hooks.play();
         }},
        {"MenuPlayer", "Pause", "X", QKeySequence("X"),
         [this] {
             if (m_hooks.pause) m_hooks.pause();
         }},
        {"MenuPlayer", "Stop", "Z", QKeySequence("Z"),
         [this] {
             if (m_hooks.stop) m_hooks.stop();
         }},
        {"MenuHelp",
         "MenuTutorial",
         "",
         {},
         [this] {
             if (m_hooks.openHelp) m_hooks.openHelp();
         }},
        {"MenuHelp",
         "MenuSupport",
         "",
         {},
         [this] {
             if (m_hooks.openHelp) m_hooks.openHelp();
         }},
        {"MenuHelp",
         "MenuVersion",
         "",
         {},
         [this] {
             if (m_hooks.about) m_hooks.about();
         }},
        {"MenuHelp",
         "About",
         "",
         {},
         [this] {
             if (m_hooks.about) m_hooks.about();
         }},
    };
    for (const Item& item : items) {
        QMenu*& menu = m_menus[item.menu];
        if (!menu) menu = menuBar()->addMenu(QString());
        if (!item.run) {  // the export submenu
            QMenu* sub = menu->addMenu(QString());
            m_menus[item.key] = sub;
            m_actions[item.key] = sub->menuAction();
            m_actions["ExportLrc"] = sub->addAction(QString(), this, [this] { ExportLrcFile(); });
            m_actions["ExportKok"] = sub->addAction(QString(), this, [this] { ExportKokFile(); });
            continue;
        }
        QAction* a = menu->addAction(QString());
        a->setData(QString::fromLatin1(item.shortcut));
        if (!item.sequence.isEmpty()) {
            a->setShortcut(item.sequence);
            a->setShortcutContext(Qt::WindowShortcut);
        }
        connect(a, &QAction::triggered, this, item.run);
        m_actions[item.key] = a;
        if (std::string(item.key) == "MenuExit" || std::string(item.key) == "MenuUpdate" ||
            std::string(item.key) == "MenuFontSettings" || std::string(item.key) == "MenuMergeText")
            menu->addSeparator();
    }
}

void Editor::SetCaptions() {
    setWindowTitle(Plain(TrQ("EditorCaption")));
    for (const auto& [key, menu] : m_menus) {
        if (key == "MenuExport") continue;
        menu->setTitle(TrQ(key));
    }
    for (const auto& [key, action] : m_actions) {
        if (key == "MenuExport") {
            action->setText(TrQ(key));
            continue;
        }
        action->setText(WithShortcut(TrQ(key), action->data().toString().toLatin1().constData()));
    }
    m_list->setHeaderLabels({Plain(TrQ("HeaderText")), Plain(TrQ("HeaderTime")),
                             Plain(TrQ("HeaderBreak")), Plain(TrQ("HeaderLine"))});
    m_textHeader->setText(Plain(TrQ("HeaderEditor")));
    m_break->setText(Plain(TrQ("LineBreak")));
    m_doOffset->setText(Plain(TrQ("Offset")));
    m_capture->setText(Plain(TrQ("Capture")));
    m_detailsButton->setText(Plain(TrQ("Details")));
    UpdateStatus();
}

// --- the list ---------------------------------------------------------------

void Editor::FillRow(QTreeWidgetItem* item, int row) {
    const LyricPiece& p = m_doc.Piece(row);
    item->setText(kColText, QString::fromStdString(p.PieceText));
    item->setText(kColTime, QString::fromStdString(FormatTime(p.StartTime)));
    item->setText(kColBreak, p.LineBreak ? QStringLiteral("break") : QString());
    item->setText(kColLine, QString::fromStdString(p.LineText));
}

void Editor::Refill(int select) {
    m_filling = true;
    m_list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(m_doc.Count());
    for (int row = 1; row <= m_doc.Count(); ++row) {
        auto* item = new QTreeWidgetItem;
        FillRow(item, row);
        items.push_back(item);
    }
    m_list->addTopLevelItems(items);
    MarkTimings();
    m_filling = false;
    if (m_doc.HasPieces()) SelectRow(std::clamp(select, 1, m_doc.Count()));
    ShowPiece(SelectedRow());
    UpdateStatus();
}

void Editor::RefreshRow(int row) {
    if (QTreeWidgetItem* item = m_list->topLevelItem(row - 1)) FillRow(item, row);
    MarkTimings();  // one time moved can put the rows after it out of order
}

void Editor::RefreshRows() {
    if (m_list->topLevelItemCount() != m_doc.Count()) return Refill(SelectedRow());
    for (int row = 1; row <= m_doc.Count(); ++row) FillRow(m_list->topLevelItem(row - 1), row);
    MarkTimings();
}

void Editor::MarkTimings() {
    const std::vector<PieceTiming> timings = m_doc.Timings();
    const QString untimed = Plain(TrQ("EditorRowUntimed"));
    const QString outOfOrder = Plain(TrQ("EditorRowOutOfOrder"));
    for (int row = 1; row <= m_doc.Count(); ++row) {
        QTreeWidgetItem* item = m_list->topLevelItem(row - 1);
        if (!item) return;
        const PieceTiming timing = timings[static_cast<std::size_t>(row)];
        const QBrush back = timing == PieceTiming::Untimed      ? QBrush(kUntimedBack)
                            : timing == PieceTiming::OutOfOrder ? QBrush(kOutOfOrderBack)
                                                                : QBrush();
        const QString tip = timing == PieceTiming::Untimed      ? untimed
                            : timing == PieceTiming::OutOfOrder ? outOfOrder
                                                                : QString();
        if (item->toolTip(kColTime) == tip) continue;  // unchanged: no repaint
        for (int col = kColText; col <= kColLine; ++col) {
            item->setBackground(col, back);
            item->setToolTip(col, tip);
        }
    }
}

int Editor::SelectedRow() const {
    QTreeWidgetItem* item = m_list->currentItem();
    return item ? m_list->indexOfTopLevelItem(item) + 1 : 0;
}

void Editor::SelectRow(int row) {
    QTreeWidgetItem* item = m_list->topLevelItem(row - 1);
    if (!item) return;
    m_list->setCurrentItem(item);  // also selects it alone
}

std::vector<int> Editor::SelectedRows() const {
    std::vector<int> rows;
    for (QTreeWidgetItem* item : m_list->selectedItems())
        rows.push_back(m_list->indexOfTopLevelItem(item) + 1);
    std::sort(rows.begin(), rows.end());
    return rows;
}

void Editor::ShowPiece(int row) {
    const QSignalBlocker blockText(m_pieceText);
    const QSignalBlocker blockBreak(m_break);
    if (!m_doc.ValidRow(row)) {
        m_pieceText->clear();
        m_break->setChecked(false);
        m_correct->setValue(0);
        return;
    }
    const LyricPiece& p = m_doc.Piece(row);
    m_pieceText->setText(QString::fromStdString(p.PieceText));
    m_break->setChecked(p.LineBreak);
    m_correct->setValue(p.StartTime);
}

void Editor::UpdateStatus() {
    const std::string& media = m_doc.MediaFile();
    m_statusMedia->setText(Plain(TrQ("StatusMedia")) + QLatin1Char(' ') +
                           QString::fromStdString(media));
    m_statusPieces->setText(Plain(TrQ("StatusPieces")) + QLatin1Char(' ') +
                            QString::number(m_doc.Count()));
}

// --- opening ----------------------------------------------------------------

void Editor::OpenWindow() {
    m_doc.LoadFromPlayer();
    Refill(1);
    show();
    raise();
    activateWindow();
}

void Editor::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_hooks.openChanged) m_hooks.openChanged(true);
}

void Editor::closeEvent(QCloseEvent* event) {
    StopCorrection();
    if (m_hooks.openChanged) m_hooks.openChanged(false);
    QMainWindow::closeEvent(event);
}

QString Editor::PositionText() const {
    const QRect g = geometry();
    return QString::fromStdString(FormatWindowRect({g.x(), g.y(), g.width(), g.height()}));
}

void Editor::ApplyPosition(const QString& text) {
    const auto rect = ParseWindowRect(text.toStdString());
    if (rect) setGeometry(rect->left, rect->top, rect->width, rect->height);
}

// --- capture and correction -------------------------------------------------

void Editor::Capture() {
    const CaptureOutcome out = m_doc.Capture(SelectedRow());
    if (!out.captured) return;
    RefreshRow(out.row);
    if (out.selected != out.row) {
        SelectRow(out.selected);
        if (out.scroll) {
            QScrollBar* bar = m_list->verticalScrollBar();
            bar->setValue(bar->value() + 1);
        }
    }
    m_correct->setValue(out.correct);
}

std::int64_t Editor::NowMs() const {
    if (m_hooks.nowMs) return m_hooks.nowMs();
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void Editor::StartCorrection(HeldCorrection::Direction direction) {
    if (!m_doc.ValidRow(SelectedRow())) return;
    // A press that repeats the held key continues the hold: it is timed from the first.
    if (m_held.Running() && m_held.Heading() == direction) return;
    if (m_held.Start(direction, m_correct->value(), NowMs())) m_correctionTimer.start();
}

void Editor::StopCorrection() {
    CorrectionTick();  // the whole hold counts, up to the release
    m_held.Stop();
    m_correctionTimer.stop();
}

void Editor::CorrectionTick() {
    const int row = SelectedRow();
    if (!m_held.Running() || !m_doc.ValidRow(row)) {
        m_held.Stop();
        m_correctionTimer.stop();
        return;
    }
    const double t = m_held.Tick(NowMs());
    if (t != m_correct->value()) {
        m_correct->setValue(t);
        if (m_doc.SetTime(row, t)) RefreshRow(row);
    }
    if (!m_held.Running()) m_correctionTimer.stop();
}

void Editor::ApplyOffset() {
    if (m_doc.ApplyOffset(SelectedRows(), m_offset->value()) == 0) return;
    RefreshRows();
    ShowPiece(SelectedRow());
}

// --- keys -------------------------------------------------------------------

bool Editor::IsCaptureKey(const QKeyEvent* key) const {
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    return key->key() == Qt::Key_QuoteLeft || key->key() == Qt::Key_AsciiTilde ||
           (key->nativeScanCode() == kTildeScanCode && key->key() != Qt::Key_1);
}

bool Editor::eventFilter(QObject* watched, QEvent* event) {
    const bool press = event->type() == QEvent::KeyPress;
    const bool release = event->type() == QEvent::KeyRelease;
    if (!press && !release) return QMainWindow::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (IsCaptureKey(key)) {
        if (press && !key->isAutoRepeat()) Capture();
        return true;
    }
    if (watched == m_list) return ListKey(key) || QMainWindow::eventFilter(watched, event);
    return QMainWindow::eventFilter(watched, event);
}

bool Editor::ListKey(QKeyEvent* key) {
    const bool press = key->type() == QEvent::KeyPress;
    const bool keypad = key->modifiers() & Qt::KeypadModifier;
    if (keypad && (key->key() == Qt::Key_Plus || key->key() == Qt::Key_Minus)) {
        if (key->isAutoRepeat()) return true;  // our own timer repeats
        if (!press) {
            StopCorrection();
        } else {
            StartCorrection(key->key() == Qt::Key_Plus ? HeldCorrection::Direction::Up
                                                       : HeldCorrection::Direction::Down);
        }
        return true;
    }
    if (!press) {
        switch (key->key()) {
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
            case Qt::Key_Home:
            case Qt::Key_End:
                ShowPiece(SelectedRow());
                return false;
            default:
                return false;
        }
    }
    const bool ctrl = key->modifiers() & Qt::ControlModifier;
    switch (key->key()) {
        case Qt::Key_Space:
            if (!key->isAutoRepeat()) Capture();
            return true;
        case Qt::Key_Insert:
            InsertLine();
            return true;
        case Qt::Key_F12:
            AddNewLine();
            return true;
        case Qt::Key_Delete:
            m_doc.RemoveRows(SelectedRows());
            Refill(SelectedRow());
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            m_pieceText->setFocus();
            m_pieceText->selectAll();
            return true;
        case Qt::Key_C:
        case Qt::Key_V:
        case Qt::Key_X:
            if (!ctrl) return false;
            if (key->key() == Qt::Key_V)
                PasteRows();
            else
                CopyRows(key->key() == Qt::Key_X);
            return true;
        default:
            return false;
    }
}

// --- edit menu --------------------------------------------------------------

void Editor::EditCommand(const std::string& key) {
    if (m_list->hasFocus()) {
        if (key == "MenuCut") CopyRows(true);
        if (key == "MenuCopy") CopyRows(false);
        if (key == "MenuPaste") PasteRows();
        if (key == "MenuDelete") {
            m_doc.RemoveRows(SelectedRows());
            Refill(SelectedRow());
        }
        if (key == "MenuSelectAll") m_list->selectAll();
        if (key == "MenuRemoveAll") ClearLyrics();
        return;
    }
    if (key == "MenuCut") m_text->cut();
    if (key == "MenuCopy") m_text->copy();
    if (key == "MenuPaste") m_text->paste();
    if (key == "MenuDelete") m_text->textCursor().removeSelectedText();
    if (key == "MenuSelectAll") m_text->selectAll();
    if (key == "MenuRemoveAll") m_text->clear();
}

void Editor::CopyRows(bool cut) {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) return;
    m_rowClipboard.clear();
    PieceArray copy(1);
    for (int row : rows) {
        m_rowClipboard.push_back(m_doc.Piece(row));
        copy.push_back(m_doc.Piece(row));
    }
    QApplication::clipboard()->setText(QString::fromStdString(MergeToText(copy)));
    if (!cut) return;
    m_doc.RemoveRows(rows);
    Refill(rows.front());
}

void Editor::PasteRows() {
    if (m_rowClipboard.empty()) return;
    const int at = SelectedRow();
    m_doc.InsertPieces(at, m_rowClipboard);
    Refill(at > 0 ? at : 1);
}

void Editor::ChooseFont() {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, m_list->font(), this);
    if (!ok) return;
    m_list->setFont(font);
    m_text->setFont(font);
    if (m_hooks.fontChanged) m_hooks.fontChanged(font);
}

// --- karaoke menu -----------------------------------------------------------

void Editor::SplitText() {
    const std::string text = m_text->toPlainText().toStdString();
    if (text.empty()) return;
    const int before = m_doc.Count();
    if (m_doc.Split(text) > 0) Refill(before + 1);
}

void Editor::MergeText() {
    // The text box keeps its own line ends; files get CR LF when saved.
    QString text = QString::fromStdString(m_doc.Merge());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_text->setPlainText(text);
}

void Editor::InsertLine() {
    const int row = SelectedRow();
    m_doc.InsertBefore(row);
    Refill(m_doc.ValidRow(row) ? row : m_doc.Count());
}

void Editor::AddNewLine() {
    m_doc.Append();
    Refill(m_doc.Count());
}

void Editor::ClearLyrics() {
    m_doc.Clear();
    Refill(1);
}

void Editor::ShowDetails() {
    if (m_hooks.mediaOpen && !m_hooks.mediaOpen()) return Message("DetailsNoMedia", false);
    if (m_hooks.details) m_hooks.details();
}

void Editor::UpdateLyrics() {
    if (m_doc.UpdateLyrics()) UpdateStatus();
}

// --- files ------------------------------------------------------------------

void Editor::Message(const std::string& key, bool error, const std::string& detail) {
    QString text = TrQ(key);
    if (!detail.empty() && key != kMsgSaveKey && key != "DetailsNoMedia")
        text += QStringLiteral("\n") + QString::fromStdString(detail);
    if (m_hooks.message) return m_hooks.message(text, error);
    if (error)
        QMessageBox::critical(this, kProgramTitle, text);
    else
        QMessageBox::information(this, kProgramTitle, text);
}

void Editor::Report(const EditorFileResult& r) {
    if (!r.ok) {
        if (!r.messageKey.empty()) Message(r.messageKey, r.messageKey != kMsgSaveKey, r.detail);
        return;
    }
    if (!r.warning.empty()) {
        if (m_hooks.message)
            m_hooks.message(QString::fromStdString(r.warning), false);
        else
            QMessageBox::information(this, kProgramTitle, QString::fromStdString(r.warning));
    }
}

QString Editor::ChooseFile(const std::string& titleKey, const QString& filter,
                           const QString& proposal, bool save) {
    QString title = titleKey.rfind("CBX:", 0) == 0 ? QString::fromStdString(titleKey)
                                                   : QStringLiteral("CBX: ") + Plain(TrQ(titleKey));
    if (m_hooks.chooseFile) return m_hooks.chooseFile(title, filter, proposal, save);
    return save ? QFileDialog::getSaveFileName(this, title, proposal, filter)
                : QFileDialog::getOpenFileName(this, title, proposal, filter);
}

bool Editor::Ask(const QString& question) {
    if (m_hooks.confirm) return m_hooks.confirm(question);
    return QMessageBox::question(this, kProgramTitle, question,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool Editor::ConfirmTimings() {
    // Written as they stand, such pieces read back at 0 or in time order,
    // not where the list shows them.
    const std::vector<int> rows = m_doc.DoubtfulRows();
    if (rows.empty()) return true;
    QStringList shown;
    for (std::size_t i = 0; i < rows.size() && i < kListedRows; ++i)
        shown << QString::number(rows[i]);
    if (rows.size() > kListedRows) shown << QStringLiteral("...");
    QString question = TrQ("EditorAskTimings");
    if (question.contains(QLatin1String("%1"))) question = question.arg(shown.join(", "));
    return Ask(question);
}

void Editor::NewLyrics() {
    if (m_doc.HasPieces() && !Ask(TrQ("MsgNew"))) return;
    m_text->clear();
    m_doc.New();
    Refill(1);
}

void Editor::OpenLyrics() {
    const QString path = ChooseFile("DialogOpenLyrics", Plain(TrQ("FilterOpenLyrics")) + " (*.lrs)",
                                    QString(), false);
    if (path.isEmpty()) return;
    const EditorFileResult r = OpenLyricsFile(m_doc, path.toStdString(), m_codepage);
    Report(r);
    if (r.ok) Refill(1);
}

void Editor::OpenText() {
    const QString path =
        ChooseFile("DialogOpenText", Plain(TrQ("FilterText")) + " (*.txt)", QString(), false);
    if (path.isEmpty()) return;
    const TextOpen r = OpenTextFile(path.toStdString(), m_codepage);
    Report(r.result);
    if (r.result.ok) m_text->setPlainText(QString::fromStdString(r.text));
}

void Editor::SaveText() {
    const QString path =
        ChooseFile("DialogSaveTezt", Plain(TrQ("FilterText")) + " (*.txt)", QString(), true);
    if (path.isEmpty()) return;
    // Our text files end lines with CR LF, whatever the text box holds.
    QString text = m_text->toPlainText();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    Report(SaveTextFile(path.toStdString(), text.toStdString(), m_codepage));
}

void Editor::ImportLyrics() {
    const QString path = ChooseFile(
        "DialogImportKaraoke",
        Plain(TrQ("FilterImportKaraoke")) + " (*.mp3 *.kar *.mid *.lrc *.kok *.lrs *.ogg *.wav)",
        QString(), false);
    if (path.isEmpty()) return;
    const EditorFileResult r = cx::ImportLyrics(m_doc, path.toStdString(), m_codepage);
    Report(r);
    if (r.ok) Refill(1);
}

void Editor::Save() {
    if (!m_doc.HasPieces() || m_doc.MediaFile().empty()) return Message(kMsgSaveKey, false);
    if (!ConfirmTimings()) return;
    // The write runs after the menu command has returned.
    m_actionTimer.start();
}

void Editor::SaveNow() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const EditorFileResult r = SaveIntoMedia(m_doc, m_codepage);
    QApplication::restoreOverrideCursor();
    Report(r);
}

void Editor::SaveAs() {
    if (!m_doc.HasPieces()) return Message(kMsgSaveKey, false);
    if (!ConfirmTimings()) return;
    const QString proposal =
        QString::fromStdString(WithExtension(m_doc.MediaFile(), ".lrs").string());
    const QString path =
        ChooseFile("DialogSaveLyrics", Plain(TrQ("FilterOpenLyrics")) + " (*.lrs)", proposal, true);
    if (path.isEmpty()) return;
    Report(cx::SaveLyricsAs(m_doc, path.toStdString(), m_codepage));
}

void Editor::ExportLrcFile() {
    if (!m_doc.HasPieces()) return Message(kMsgSaveKey, false);
    if (!ConfirmTimings()) return;
    const std::optional<LrcFlavour> flavour =
        m_hooks.chooseLrcFlavour
            ? m_hooks.chooseLrcFlavour()
            : AskLrcFlavour(this, [this](const std::string& k) { return Tr(k); });
    if (!flavour) return;
    const QString proposal =
        QString::fromStdString(WithExtension(m_doc.MediaFile(), ".lrc").string());
    const QString path = ChooseFile("CBX: " + Tr("ExportLrcCaption"),
                                    Plain(TrQ("FilterLrc")) + " (*.lrc *.LRC)", proposal, true);
    if (path.isEmpty()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const EditorFileResult r = cx::ExportLrc(m_doc, path.toStdString(), *flavour, m_codepage);
    QApplication::restoreOverrideCursor();
    Report(r);
}

void Editor::ExportKokFile() {
    if (!m_doc.HasPieces()) return Message(kMsgSaveKey, false);
    if (!ConfirmTimings()) return;
    const QString proposal =
        QString::fromStdString(WithExtension(m_doc.MediaFile(), ".kok").string());
    const QString path = ChooseFile("CBX: " + Tr("ExportKokCaption"),
                                    Plain(TrQ("FilterKok")) + " (*.kok *.KOK)", proposal, true);
    if (path.isEmpty()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const EditorFileResult r = cx::ExportKok(m_doc, path.toStdString(), m_codepage);
    QApplication::restoreOverrideCursor();
    Report(r);
}

std::optional<LrcFlavour> AskLrcFlavour(QWidget* parent,
                                        const std::function<std::string(const std::string&)>& tr) {
    const auto text = [&](const char* key) { return Plain(QString::fromStdString(tr(key))); };
    QDialog dialog(parent);
    dialog.setWindowTitle(text("ExportLrcCaption"));
    auto* column = new QVBoxLayout(&dialog);
    auto* extended = new QRadioButton(text("ExportLrcExtended"), &dialog);
    auto* plain = new QRadioButton(text("ExportLrcPlain"), &dialog);
    extended->setChecked(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(text("OK"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    column->addWidget(extended);
    column->addWidget(plain);
    column->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return extended->isChecked() ? LrcFlavour::Extended : LrcFlavour::Plain;
}

}  // namespace cx
