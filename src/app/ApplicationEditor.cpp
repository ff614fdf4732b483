// The lyrics editor plugged into the player: its view of the current song,
// the karaoke window following its edits, and its place on the screen.
#include <QFont>

#include "app/Application.h"
#include "editor/gui/Editor.h"
#include "karaoke/KaraokeDisplay.h"
#include "karaoke/KaraokeSong.h"
#include "karaoke/gui/Lyric.h"
#include "playback/player/MediaTransport.h"
#include "playback/player/gui/Player.h"

namespace cx {

Editor* Application::EditorWindow() const {
    return m_editor;
}

void Application::OpenEditor() {
    // The Editor button and Ctrl+E open the editor or, while it is open, close it.
    if (m_editor && m_editor->isVisible()) {
        m_editor->close();
        return;
    }
    // Untimed words come to the editor split into pieces, ready to be timed.
    if (TakeUntimedWords(m_song)) {
        ShowChangedLyrics();
        ShowLyricsStatus();
    }
    if (m_editor) return m_editor->OpenWindow();

    PlayerLink link;
    link.openMediaPath = [this] {
        return m_transport->IsOpen() ? m_media->CurrentPath() : std::string();
    };
    link.playingPosition = [this]() -> std::optional<double> {
        if (m_media->State() != MediaControl::kPlaying) return std::nullopt;
        return m_media->MidiMode() ? m_midi.MidiTime() : m_media->PositionSeconds();
    };
    link.lyrics = [this] { return &m_song.Model; };
    link.edited = [this](LyricsEdit edit, int piece) {
        EditorLyricsEdited(static_cast<int>(edit), piece);
    };

    Editor::Hooks hooks;
    hooks.translate = [this](const std::string& key) { return Tr(key); };
    hooks.play = [this] { Run(Command::Play); };
    hooks.pause = [this] { Run(Command::Pause); };
    hooks.stop = [this] { Run(Command::Stop); };
    hooks.about = [this] { Run(Command::About); };
    hooks.details = [this] { Run(Command::Details); };
    hooks.mediaOpen = [this] { return m_transport->IsOpen(); };
    hooks.playerHasLyrics = [this] { return m_song.Model.HasLyrics(); };
    hooks.seekTo = [this](double seconds) { SeekTo(seconds); };
    hooks.openHelp = [this] { Run(Command::Help); };
    hooks.openChanged = [this](bool open) {
        // While the editor is open, Stop keeps the song open at its start.
        m_media->SetEditorOpen(open);
        if (!open) {
            WriteRegistryText(m_store, kSettingsKey, kEditorPositionValue,
                              m_editor->PositionText().toStdString());
        }
        RefreshPlayer();
    };
    hooks.fontChanged = [this](const QFont& font) {
        m_settings.EditorFont = font.family().toStdString();
        m_settings.EditorFontBold = font.bold();
        m_settings.EditorFontItalic = font.italic();
    };
    const Codepage cp = m_translator.TextCodepage();
    m_editor = new Editor(std::move(link), std::move(hooks), cp, m_player);
    m_editor->setWindowFlag(Qt::Window);
    if (!m_settings.EditorFont.empty()) {
        QFont font(QString::fromStdString(m_settings.EditorFont));
        font.setBold(m_settings.EditorFontBold);
        font.setItalic(m_settings.EditorFontItalic);
        m_editor->List()->setFont(font);
        m_editor->TextEditor()->setFont(font);
    }
    m_editor->ApplyPosition(
        QString::fromStdString(ReadRegistryText(m_store, kSettingsKey, kEditorPositionValue)));
    m_editor->OpenWindow();
}

void Application::EditorLyricsEdited(int edit, int piece) {
    if (!m_lyric) return;
    LyricsModel& model = m_song.Model;
    model.WidestLine = WidestLineOf(model, m_lyric->Display().Settings());
    const bool running = m_media->State() != MediaControl::kStopped;
    switch (static_cast<LyricsEdit>(edit)) {
        case LyricsEdit::Captured:
            // The next tick paints the captured piece: it starts at or before now.
            model.CurrentPiece = std::clamp(piece - 1, 0, model.UpperBound());
            break;
        case LyricsEdit::Retimed:
            if (running && model.HasLyrics()) m_lyric->Seeked(m_media->PlaybackPosition());
            break;
        case LyricsEdit::Reshaped:
            m_lyric->ChangeLyrics(&model, m_song.Look);
            if (running && model.HasLyrics()) m_lyric->Seeked(m_media->PlaybackPosition());
            break;
    }
}

}  // namespace cx
