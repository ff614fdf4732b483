// The host's side of guests' song requests: the switch that serves the
// request page, its address, join code and QR code, and the requests waiting
// to be accepted into the rotation. Everything here runs on the window's
// thread; the server's threads only reach the desk.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/HostSession.h"
#include "requests/GuestApi.h"
#include "requests/RequestDesk.h"
#include "requests/RequestServer.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
class QTreeWidget;

namespace cx {

struct RequestsHooks {
    // The library as guests may see it; null turns the switch off.
    std::function<GuestCatalog*()> catalog;
    // The page's texts in every language, and the player's language.
    std::function<std::vector<GuestTexts>()> pageTexts;
    std::string playerLanguage = "en";
    // The file of a library song, on the window's thread; empty when gone.
    std::function<std::string(std::int64_t libraryId)> libraryPath;
    std::function<std::string(const std::string& key)> translate;
    // Opens the HTTP server module; the installed one when empty.
    std::function<std::unique_ptr<RequestServer>(std::string* why)> makeServer;
};

// An accepted request and the queue entry it became.
struct AcceptedRequest {
    std::int64_t requestId = 0;
    std::int64_t singerId = 0;
    std::int64_t entryId = 0;
    std::int64_t libraryId = 0;
    std::string singer;
    std::int64_t acceptedAt = 0;  // the session's clock, seconds
    // The song left its queue (its history row is written in the same step):
    // sung or taken out, it is not looked for again.
    bool left = false;
    bool sung = false;
};

class RequestsPanel : public QWidget {
public:
    // `rotationChanged` is called after an accept changed the rotation,
    // `joinChanged` when the page's address or code changed or it stopped.
    RequestsPanel(RequestsHooks hooks, HostSession& session, std::function<void()> rotationChanged,
                  std::function<void()> joinChanged, QWidget* parent);
    ~RequestsPanel() override;

    // Serves the page on `address` and `port` (0: any free port); why not,
    // empty when serving. The switch follows.
    std::string Start(const std::string& address, int port);
    // Returns once every guest's connection is closed.
    void Stop();
    bool Serving() const { return m_server != nullptr; }
    // "http://ADDRESS:PORT/" as a guest types it; empty when not serving.
    std::string PageAddress() const;
    std::string JoinCode() const { return m_desk.JoinCode(); }
    // The page's address with the code, as a QR code `side` pixels wide.
    QImage JoinQr(int side) const;
    void NewCode();
    RequestDesk& Desk() { return m_desk; }
    // Fills port and interface from the session's settings.
    void ShowSettings();

    // The waiting requests, as the list shows them.
    std::vector<SongRequest> Pending() const { return m_desk.Pending(); }
    std::string Accept(std::int64_t requestId);
    void Reject(std::int64_t requestId);
    void AcceptAll();
    void SetAutoAccept(bool on);
    // Tells the guests where their accepted songs stand in the rotation.
    void PublishStandings(std::int64_t remainingMs);
    QTreeWidget* PendingTree() const { return m_pending; }
    QString Message() const;

private:
    void Build();
    void Switched(bool on);
    void Arrived();
    void RefreshPending();
    void ShowAddress();
    void StoreSettings();
    void Say(const QString& text);
    std::int64_t SelectedRequest() const;
    std::string AcceptRequest(const SongRequest& request);
    QString Tr(const char* key, const char* fallback) const;

    RequestsHooks m_hooks;
    HostSession& m_session;
    std::function<void()> m_changed;
    std::function<void()> m_joinChanged;
    RequestDesk m_desk;
    std::unique_ptr<GuestApi> m_api;
    std::unique_ptr<RequestServer> m_server;  // null when not serving
    std::string m_listening;                  // the address the server listens on
    std::string m_pageAddress;                // what guests open, while serving
    mutable std::string m_qrText;             // the QR picture last made, and of what
    mutable int m_qrSide = 0;
    mutable QImage m_qrImage;
    std::vector<AcceptedRequest> m_accepted;
    std::atomic<bool> m_arrivalQueued{false};  // an Arrived() is on its way

    QCheckBox* m_on = nullptr;
    QSpinBox* m_port = nullptr;
    QComboBox* m_interface = nullptr;
    QLabel* m_address = nullptr;
    QLabel* m_code = nullptr;
    QLabel* m_qr = nullptr;
    QLabel* m_message = nullptr;
    QCheckBox* m_auto = nullptr;
    QTreeWidget* m_pending = nullptr;
};

}  // namespace cx
