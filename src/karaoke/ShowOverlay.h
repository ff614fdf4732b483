// What the karaoke window shows over the lyrics between singers: a card
// "Next: NAME" with the song's title and a countdown, a ticker line naming
// the singers coming up, and the request page's QR code with its address.
// Painted as a pure function of the texts and the size, so the window, cbx
// and the tests get the same picture.
#pragma once

#include <QImage>
#include <QRectF>
#include <QSize>
#include <string>

namespace cx {

// The card's fill: the tests look for it in the window's picture.
inline constexpr QRgb kShowCardColour = 0xFF1C2B5Cu;

struct ShowCard {
    bool card = false;
    std::string heading;      // "Next: Ann"
    std::string title;        // the song
    std::string countdown;    // "0:25", or what the host is to press
    std::string ticker;       // empty: no ticker line
    double tickerOffset = 0;  // pixels the ticker text has moved left
    // The request page: its QR code (null: no panel), address and join code
    // line. Large on its own, in the corner beside the card.
    QImage joinQr;
    std::string joinAddress;
    std::string joinCode;
};

// A transparent picture of `size` with the card and the ticker on it; null
// when there is nothing to show.
QImage PaintShowOverlay(const ShowCard& card, QSize size);

// Where the card and the join panel stand in a picture of `size` (empty for
// what is not shown). They never overlap.
struct ShowPlaces {
    QRectF card;
    QRectF joinPanel;
};
ShowPlaces PlaceShow(const ShowCard& card, QSize size);

// The side in pixels the QR code is painted at, for a sharp picture.
int JoinQrSide(QSize size, bool besideCard);

}  // namespace cx
