// Guests ask for songs from their phones while the host runs the show: the
// real player serves the request page on 127.0.0.1 and the guests' calls go
// over real sockets.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTcpServer>
#include <QTreeWidget>
#include <QUrl>

#include "ShowScreen.h"
#include "app/AppHarness.h"
#include "host/gui/HostWindow.h"
#include "lyrics/MediaFixtures.h"

namespace cx {
namespace {

using test::AppHarness;

struct HttpReply {
    int status = 0;
    std::string body;
};

// A connection to the page on this machine; -1 when refused.
int Connect(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    timeval wait{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) return fd;
    ::close(fd);
    return -1;
}

// One call as a phone makes it, over a fresh connection.
HttpReply Call(int port, const std::string& method, const std::string& target,
               const std::string& form = {}) {
    const int fd = Connect(port);
    if (fd < 0) return {};
    const std::string request =
        method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" +
        "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
        std::to_string(form.size()) + "\r\n\r\n" + form;
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string got;
    char buffer[4096];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) got.append(buffer, n);
    ::close(fd);
    HttpReply reply;
    if (got.size() > 12) reply.status = std::atoi(got.c_str() + 9);
    if (const auto body = got.find("\r\n\r\n"); body != std::string::npos)
        reply.body = got.substr(body + 4);
    return reply;
}

std::string Encoded(const std::string& text) {
    return QUrl::toPercentEncoding(QString::fromStdString(text)).toStdString();
}

int WhitePixels(Application& app) {
    return test::ShownPixels(app, 0xFFFFFFFFu, QImage::Format_RGB32);
}

// The window's thread takes the arrivals the server queued to it.
void LetTheWindowRun() {
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
}

TEST(RequestsStories, GuestsRequestAndTheHostAcceptsRejectsOrLetsThemIn) {
    AppHarness h;
    ASSERT_TRUE(h.Start());
    test::WriteBytes(h.Home() / "Abba - Waterloo.wav", test::MakeWav(8000));
    ASSERT_NO_FATAL_FAILURE(test::ScanIntoLibrary(h.Home()));
    h.app->Run(Command::Host);
    HostWindow* host = h.app->HostDesk();
    ASSERT_NE(host, nullptr);
    RequestsPanel& requests = host->Requests();
    const int whiteBefore = WhitePixels(*h.app);
    ASSERT_EQ(requests.Start("127.0.0.1", 0), "");
    LetTheWindowRun();
    EXPECT_GT(WhitePixels(*h.app), whiteBefore + 2000) << "no QR code between songs";
    test::SaveShot(*h.app->LyricWindow(), "requests-karaoke");
    const std::string address = requests.PageAddress();
    ASSERT_EQ(address.rfind("http://127.0.0.1:", 0), 0u) << address;
    const int port = std::atoi(address.c_str() + 17);
    EXPECT_EQ(requests.findChild<QSpinBox*>()->value(), port) << "the field shows what is served";
    const std::string code = requests.JoinCode();
    const HttpReply found = Call(port, "GET", "/api/search?q=water&code=" + code);
    ASSERT_EQ(found.status, 200) << found.body;
    const auto idAt = found.body.find("\"id\":");
    ASSERT_NE(idAt, std::string::npos) << found.body;
    const std::string songId = std::to_string(std::atoll(found.body.c_str() + idAt + 5));

    enum class Host { Nothing, Accept, Reject, Auto };
    struct Case {
        const char* what;
        std::string name;
        bool rightCode;
        Host host;
        const char* state;  // what the guest's page then says; "" none kept
        std::size_t singers;
        std::size_t queued;  // the first singer's songs
    };
    const std::string markup = "<b>Ann</b><script>alert(1)</script>";
    const Case cases[] = {
        {"a wrong code changes nothing", "Eve", false, Host::Nothing, "", 0, 0},
        {"markup is a name like any other", markup, true, Host::Accept, "\"accepted\"", 1, 1},
        {"a rejected request", "Bob", true, Host::Reject, "\"rejected\"", 1, 1},
        {"auto-accept finds the singer, case aside", "<B>ANN</B><script>alert(1)</script>", true,
         Host::Auto, "\"accepted\"", 1, 2},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string guest = "guest-token-000000" + std::to_string(++n);
        auto* autoAccept = host->findChild<QCheckBox*>("AutoAccept");
        autoAccept->setChecked(c.host == Host::Auto);
        const HttpReply sent =
            Call(port, "POST", "/api/request",
                 "code=" + (c.rightCode ? code : std::string("WRONG9")) + "&guest=" + guest +
                     "&name=" + Encoded(c.name) + "&song=" + songId + "&key=2");
        EXPECT_EQ(sent.status == 200, c.rightCode) << sent.body;
        LetTheWindowRun();
        QTreeWidget* pending = requests.PendingTree();
        if (c.host == Host::Accept || c.host == Host::Reject) {
            ASSERT_EQ(pending->topLevelItemCount(), 1);
            EXPECT_EQ(pending->topLevelItem(0)->text(0).toStdString(), c.name);
            EXPECT_EQ(pending->topLevelItem(0)->text(2), "+2");
            host->findChild<QTabWidget*>()->setCurrentWidget(&requests);
            test::SaveShot(*host, "requests-pending");
            const char* button = c.host == Host::Accept ? "AcceptRequest" : "RejectRequest";
            host->findChild<QPushButton*>(button)->click();
        }
        EXPECT_EQ(pending->topLevelItemCount(), 0);
        const auto& singers = host->Session().Current().Singers();
        ASSERT_EQ(singers.size(), c.singers);
        if (c.singers) {
            EXPECT_EQ(singers[0].name, markup);
            ASSERT_EQ(singers[0].queue.size(), c.queued);
            EXPECT_EQ(singers[0].queue.back().keyShift, 2);
        }
        const HttpReply mine = Call(port, "GET", "/api/mine?code=" + code + "&guest=" + guest);
        const auto says = [&mine](const std::string& part) {
            return mine.body.find(part) != std::string::npos;
        };
        EXPECT_TRUE(!*c.state || says(std::string("\"state\":") + c.state)) << mine.body;
        EXPECT_TRUE(c.host != Host::Accept || says("\"place\":1")) << mine.body;
        // Ann's second song waits for a later turn: no place of its own yet.
        EXPECT_TRUE(c.host != Host::Auto || says("\"place\":0")) << mine.body;
    }

    // Announced, the first singer's card has the join panel beside it.
    host->AnnounceNext();
    EXPECT_GT(WhitePixels(*h.app), whiteBefore + 500);
    test::SaveShot(*h.app->LyricWindow(), "requests-karaoke-card");
    test::SaveShot(*host, "requests-host");
    host->StopShow();

    // A port another program holds: said in the window, the switch goes off.
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost));
    requests.Stop();
    EXPECT_LE(WhitePixels(*h.app), whiteBefore);
    EXPECT_EQ(requests.findChild<QSpinBox*>()->value(), HostSettings().requestsPort);
    requests.findChild<QComboBox*>()->setCurrentIndex(1);  // this computer only
    requests.findChild<QSpinBox*>()->setValue(holder.serverPort());
    auto* on = host->findChild<QCheckBox*>("RequestsOn");
    on->setChecked(true);
    EXPECT_FALSE(on->isChecked());
    EXPECT_FALSE(requests.Serving());
    EXPECT_FALSE(requests.Message().isEmpty());

    // Quit with the page served and a guest's connection left open.
    ASSERT_EQ(requests.Start("127.0.0.1", 0), "");
    const int idle = Connect(std::atoi(requests.PageAddress().c_str() + 17));
    ASSERT_GE(idle, 0);
    ::send(idle, "GET / HT", 8, MSG_NOSIGNAL);
    h.app->RequestClose();
    LetTheWindowRun();
    EXPECT_TRUE(h.app->ClosingDown());
    EXPECT_FALSE(requests.Serving());
    ::close(idle);
}

}  // namespace
}  // namespace cx
