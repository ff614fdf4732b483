#include "host/gui/RequestsPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHostAddress>
#include <QLabel>
#include <QNetworkInterface>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "requests/QrCode.h"

namespace cx {
namespace {

constexpr char kEveryInterface[] = "0.0.0.0";
constexpr char kThisComputer[] = "127.0.0.1";
constexpr int kQrSide = 220;
constexpr int kIdRole = Qt::UserRole;
// History rows looked through for a guest's song that went to the history.
constexpr std::size_t kHistoryLooked = 200;

QString Signed(int v) {
    return v > 0 ? QString("+%1").arg(v) : QString::number(v);
}

// The address a guest's phone reaches when the page listens everywhere.
std::string ReachableAddress(const std::string& listening) {
    if (listening != kEveryInterface) return listening;
    for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
            return a.toString().toStdString();
    }
    return kThisComputer;
}

QLabel* LargeLabel(QWidget* parent, int points) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont font = label->font();
    font.setPointSize(points);
    font.setBold(true);
    label->setFont(font);
    return label;
}

}  // namespace

RequestsPanel::RequestsPanel(RequestsHooks hooks, HostSession& session,
                             std::function<void()> rotationChanged,
                             std::function<void()> joinChanged, QWidget* parent)
    : QWidget(parent),
      m_hooks(std::move(hooks)),
      m_session(session),
      m_changed(std::move(rotationChanged)),
      m_joinChanged(std::move(joinChanged)) {
    Build();
}

RequestsPanel::~RequestsPanel() {
    Stop();
}

QString RequestsPanel::Tr(const char* key, const char* fallback) const {
    const std::string text = m_hooks.translate ? m_hooks.translate(key) : std::string();
    return QString::fromStdString(text.empty() ? fallback : text);
}

void RequestsPanel::Build() {
    m_on = new QCheckBox(Tr("HostRequestsOn", "Take requests from phones"), this);
    m_on->setObjectName("RequestsOn");
    m_port = new QSpinBox(this);
    m_port->setRange(1, 65535);
    m_interface = new QComboBox(this);
    m_interface->addItem(Tr("HostRequestsEveryInterface", "All interfaces"), kEveryInterface);
    m_interface->addItem(Tr("HostRequestsThisComputer", "This computer only (127.0.0.1)"),
                         kThisComputer);
    for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
            m_interface->addItem(a.toString(), a.toString());
    }
    m_address = LargeLabel(this, 16);
    m_code = LargeLabel(this, 22);
    m_qr = new QLabel(this);
    m_qr->setFixedSize(kQrSide, kQrSide);
    m_message = new QLabel(this);
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    auto* newCode = new QPushButton(Tr("HostRequestsNewCode", "New code"), this);
    newCode->setToolTip(Tr("HostRequestsNewCodeTip", "The old code stops working at once"));
    m_auto = new QCheckBox(Tr("HostRequestsAutoAccept", "Accept automatically"), this);
    m_auto->setObjectName("AutoAccept");
    m_pending = new QTreeWidget(this);
    m_pending->setObjectName("PendingRequests");
    m_pending->setRootIsDecorated(false);
    m_pending->setHeaderLabels(
        {Tr("HostRequestsColumnName", "Name"), Tr("HostRequestsColumnSong", "Song"),
         Tr("HostRequestsColumnKey", "Key"), Tr("HostRequestsColumnTime", "Time")});
    m_pending->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_pending->header()->setStretchLastSection(false);
    auto* accept = new QPushButton(Tr("HostRequestsAccept", "&Accept"), this);
    accept->setToolTip(Tr("HostRequestsAcceptTip", "Alt+A or Enter: into the singer's queue"));
    accept->setObjectName("AcceptRequest");
    auto* reject = new QPushButton(Tr("HostRequestsReject", "&Reject"), this);
    reject->setObjectName("RejectRequest");
    reject->setToolTip(Tr("HostRequestsRejectTip", "Alt+R: the guest sees it was not taken"));
    auto* acceptAll = new QPushButton(Tr("HostRequestsAcceptAll", "Accept a&ll"), this);

    auto* form = new QFormLayout;
    form->addRow(m_on);
    form->addRow(Tr("HostRequestsPort", "Port"), m_port);
    form->addRow(Tr("HostRequestsInterface", "Interface"), m_interface);
    auto* join = new QVBoxLayout;
    join->addWidget(m_address);
    join->addWidget(m_code);
    join->addWidget(newCode);
    join->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addLayout(form, 1);
    top->addLayout(join, 1);
    top->addWidget(m_qr);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(accept);
    buttons->addWidget(reject);
    buttons->addWidget(acceptAll);
    buttons->addStretch(1);
    buttons->addWidget(m_auto);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_message);
    layout->addWidget(m_pending, 1);
    layout->addLayout(buttons);

    ShowSettings();

    connect(m_on, &QCheckBox::toggled, this, [this](bool on) { Switched(on); });
    connect(m_port, &QSpinBox::editingFinished, this, [this] { StoreSettings(); });
    connect(m_interface, &QComboBox::currentIndexChanged, this, [this] { StoreSettings(); });
    connect(newCode, &QPushButton::clicked, this, [this] { NewCode(); });
    connect(m_auto, &QCheckBox::toggled, this, [this](bool on) { SetAutoAccept(on); });
    connect(accept, &QPushButton::clicked, this, [this] {
        if (const std::int64_t id = SelectedRequest()) Accept(id);
    });
    connect(reject, &QPushButton::clicked, this, [this] {
        if (const std::int64_t id = SelectedRequest()) Reject(id);
    });
    connect(acceptAll, &QPushButton::clicked, this, [this] { AcceptAll(); });
    // Enter or a double click on a request accepts it, as the button does.
    connect(m_pending, &QTreeWidget::itemActivated, this, [this] {
        if (const std::int64_t id = SelectedRequest()) Accept(id);
    });
    m_desk.SetOnRequest([this] {
        // A server thread: the window's thread takes it from here, once for
        // a burst of arrivals, so a flood of requests cannot hold it up.
        if (m_arrivalQueued.exchange(true)) return;
        QMetaObject::invokeMethod(
            this, [this] { Arrived(); }, Qt::QueuedConnection);
    });
}

void RequestsPanel::ShowSettings() {
    const HostSettings& s = m_session.Settings();
    const QSignalBlocker quietPort(m_port), quietInterface(m_interface);
    m_port->setValue(s.requestsPort);
    const QString stored = QString::fromStdString(s.requestsAddress);
    if (m_interface->findData(stored) < 0)  // an address this machine has no more
        m_interface->addItem(stored, stored);
    m_interface->setCurrentIndex(m_interface->findData(stored));
    ShowAddress();
}

void RequestsPanel::StoreSettings() {
    HostSettings s = m_session.Settings();
    s.requestsPort = m_port->value();
    s.requestsAddress = m_interface->currentData().toString().toStdString();
    if (s.requestsPort == m_session.Settings().requestsPort &&
        s.requestsAddress == m_session.Settings().requestsAddress)
        return;
    const std::string reason = m_session.ChangeSettings(s);
    if (!reason.empty()) Say(Tr(reason.c_str(), reason.c_str()));
}

void RequestsPanel::Switched(bool on) {
    if (on == Serving()) return;
    if (!on) return Stop();
    Start(m_interface->currentData().toString().toStdString(), m_port->value());
}

std::string RequestsPanel::Start(const std::string& address, int port) {
    Stop();
    GuestCatalog* catalog = m_hooks.catalog ? m_hooks.catalog() : nullptr;
    std::string why = catalog ? std::string() : "no song library";
    if (catalog) {
        m_api = std::make_unique<GuestApi>(
            m_desk, *catalog, m_hooks.pageTexts ? m_hooks.pageTexts() : std::vector<GuestTexts>(),
            m_hooks.playerLanguage);
        m_server = m_hooks.makeServer ? m_hooks.makeServer(&why) : MakeRequestServer(&why);
        if (m_server) why = m_server->Start(address, port, *m_api);
    }
    if (!why.empty()) {
        m_server.reset();
        m_api.reset();
        Say(Tr("HostRequestsCannotListen", "The request page cannot be served: %1")
                .arg(QString::fromStdString(why)));
    } else {
        m_listening = address;
        // Looked up once: the interfaces' addresses are not asked for at every paint.
        m_pageAddress = "http://" + ReachableAddress(m_listening) + ":" +
                        std::to_string(m_server->Port()) + "/";
        Say({});
    }
    const QSignalBlocker quiet(m_on);
    m_on->setChecked(Serving());
    ShowAddress();
    if (m_joinChanged) m_joinChanged();
    return why;
}

void RequestsPanel::Stop() {
    if (!m_server) return;
    m_server->Stop();
    m_server.reset();
    m_api.reset();
    m_listening.clear();
    const QSignalBlocker quiet(m_on);
    m_on->setChecked(false);
    ShowSettings();  // back from what a start from the command line served on
    if (m_joinChanged) m_joinChanged();
}

std::string RequestsPanel::PageAddress() const {
    return m_server ? m_pageAddress : std::string();
}

QImage RequestsPanel::JoinQr(int side) const {
    if (!m_server) return {};
    // The show's timer asks for it many times a second; it changes with the code.
    const std::string text = m_pageAddress + "?code=" + m_desk.JoinCode();
    if (text != m_qrText || side != m_qrSide) {
        m_qrImage = PaintQrCode(text, side);
        m_qrText = text;
        m_qrSide = side;
    }
    return m_qrImage;
}

void RequestsPanel::NewCode() {
    m_desk.NewJoinCode();
    ShowAddress();
    if (m_joinChanged) m_joinChanged();
}

void RequestsPanel::ShowAddress() {
    m_address->setText(QString::fromStdString(PageAddress()));
    m_code->setText(
        Serving()
            ? Tr("HostRequestsCode", "Code: %1").arg(QString::fromStdString(m_desk.JoinCode()))
            : QString());
    m_qr->setPixmap(QPixmap::fromImage(JoinQr(kQrSide)));
    // What is served: a start from the command line may choose apart from the setting.
    if (Serving()) {
        const QSignalBlocker quietPort(m_port), quietInterface(m_interface);
        m_port->setValue(m_server->Port());
        const int listening = m_interface->findData(QString::fromStdString(m_listening));
        if (listening >= 0) m_interface->setCurrentIndex(listening);
    }
    m_port->setEnabled(!Serving());
    m_interface->setEnabled(!Serving());
    const QString why =
        Serving() ? Tr("HostRequestsStopToChange", "Switch requests off to change it") : QString();
    m_port->setToolTip(why);
    m_interface->setToolTip(why);
}

void RequestsPanel::Say(const QString& text) {
    m_message->setText(text);
}

QString RequestsPanel::Message() const {
    return m_message->text();
}

void RequestsPanel::SetAutoAccept(bool on) {
    m_desk.SetAutoAccept(on);
    if (m_auto->isChecked() != on) m_auto->setChecked(on);
    if (on) AcceptAll();
}

void RequestsPanel::Arrived() {
    m_arrivalQueued = false;  // what arrives from now on is queued again
    if (m_desk.AutoAccept()) return AcceptAll();
    RefreshPending();
}

void RequestsPanel::RefreshPending() {
    const std::int64_t selected = SelectedRequest();
    m_pending->clear();
    for (const SongRequest& r : m_desk.Pending()) {
        const std::string song =
            r.song.artist.empty() ? r.song.title : r.song.artist + " \u2013 " + r.song.title;
        const QString when =
            QDateTime::fromMSecsSinceEpoch(r.receivedMs).toLocalTime().toString("hh:mm:ss");
        // Tree items show their text as it is: a guest's markup stays text.
        auto* item = new QTreeWidgetItem(
            m_pending, {QString::fromStdString(r.name), QString::fromStdString(song),
                        Signed(r.keyShift), when});
        item->setData(0, kIdRole, static_cast<qlonglong>(r.id));
        if (r.id == selected || !m_pending->currentItem()) m_pending->setCurrentItem(item);
    }
}

std::int64_t RequestsPanel::SelectedRequest() const {
    const QTreeWidgetItem* item = m_pending->currentItem();
    return item ? item->data(0, kIdRole).toLongLong() : 0;
}

std::string RequestsPanel::Accept(std::int64_t requestId) {
    for (const SongRequest& r : m_desk.Pending()) {
        if (r.id != requestId) continue;
        std::string reason = AcceptRequest(r);
        if (!reason.empty()) Say(Tr(reason.c_str(), reason.c_str()));
        RefreshPending();
        if (m_changed) m_changed();
        return reason;
    }
    return "HostRequestsGone";
}

void RequestsPanel::Reject(std::int64_t requestId) {
    m_desk.MarkRejected(requestId);
    RefreshPending();
}

void RequestsPanel::AcceptAll() {
    std::string reason;
    for (const SongRequest& r : m_desk.Pending()) {
        if (std::string why = AcceptRequest(r); !why.empty()) reason = why;
    }
    Say(reason.empty() ? QString() : Tr(reason.c_str(), reason.c_str()));
    RefreshPending();
    if (m_changed) m_changed();
}

// The singer by name (case aside) or a new one; the song with the key the
// guest asked for, even when the singer sang it before at another.
std::string RequestsPanel::AcceptRequest(const SongRequest& r) {
    const std::string path = m_hooks.libraryPath ? m_hooks.libraryPath(r.song.id) : std::string();
    if (path.empty()) {
        m_desk.MarkRejected(r.id);
        return "HostRequestsSongGone";
    }
    const QString name = QString::fromStdString(r.name).trimmed();
    std::int64_t singerId = 0;
    for (const Singer& s : m_session.Current().Singers()) {
        if (QString::fromStdString(s.name).compare(name, Qt::CaseInsensitive) == 0) singerId = s.id;
    }
    if (singerId == 0) {
        if (std::string reason = m_session.AddSinger(name.toStdString(), &singerId);
            !reason.empty())
            return reason;
    }
    QueueEntry entry{0, path, r.song.artist, r.song.title, r.song.lengthMs, r.song.id};
    entry.keyShift = r.keyShift;
    AddedSong added;
    if (std::string reason = m_session.AddSong(singerId, entry, &added); !reason.empty())
        return reason;
    if (added.keyShift != r.keyShift)
        m_session.SetSongKey(singerId, added.entryId, r.keyShift, added.tempoPercent);
    m_desk.MarkAccepted(r.id);
    const Singer* singer = m_session.Current().Find(singerId);
    m_accepted.push_back(
        {r.id, singerId, added.entryId, r.song.id, singer ? singer->name : "", m_session.now()});
    return {};
}

void RequestsPanel::PublishStandings(std::int64_t remainingMs) {
    if (m_accepted.empty()) return;
    const Rotation& rotation = m_session.Current();
    const std::vector<Standing> standings = rotation.Standings(remainingMs);
    std::vector<HistoryRow> history;  // read only when a song left its queue
    std::vector<RequestStanding> out;
    for (AcceptedRequest& a : m_accepted) {
        RequestStanding st{a.requestId, 0, -1, a.sung};
        bool queued = false;
        for (std::size_t i = 0; i < rotation.Singers().size() && !a.left; ++i) {
            const Singer& s = rotation.Singers()[i];
            if (s.id != a.singerId) continue;
            for (const QueueEntry& e : s.queue) queued = queued || e.id == a.entryId;
            // A singer sings one song a turn: the place and wait are those of
            // the first song; later ones are only accepted so far.
            if (queued && s.queue.front().id == a.entryId) {
                st.position = standings[i].position;
                st.waitMs = standings[i].waitMs;
            }
        }
        if (!queued && !a.left) {
            a.left = true;
            if (history.empty()) history = m_session.History(kHistoryLooked);
            for (const HistoryRow& h : history) {
                a.sung = a.sung || (h.singer == a.singer && h.libraryId == a.libraryId &&
                                    h.sungAt >= a.acceptedAt);
            }
            st.sung = a.sung;
        }
        out.push_back(st);
    }
    m_desk.PublishStandings(std::move(out));
    // A song that left its queue has had its last word: the desk keeps it.
    std::erase_if(m_accepted, [](const AcceptedRequest& a) { return a.left; });
}

}  // namespace cx
