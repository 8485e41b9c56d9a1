#pragma once

#include "format/Navigation.h"
#include "pictures/CacheBounds.h"
#include "pictures/KeptDecodes.h"
#include "pictures/Picture.h"
#include "pictures/ViewsAhead.h"

#include <QObject>
#include <QRect>
#include <QThreadPool>
#include <QTimer>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

// What a turn reaches next, as slots of the loaded package (see PictureSlots): where the view is
// and which way it turned, and which slot shows a column at a vertical value (empty: none there,
// nor past the last row of the column's ring, so that the turns ahead go back to the horizontal
// ring where the viewer's turn does).
struct TurnPosition {
    int h = 0;                                // the column
    int v = navigation::kHorizontalRingValue; // the vertical value
    bool forward = true;                      // the direction of the last turn
    int hCount = 0;                           // the columns of the horizontal ring
    std::function<std::optional<int>(int h, int v)> slotFor;
};

// The one owner of what is decoded ahead of turning and what is kept decoded, and of the views
// painted ahead (ViewsAhead); the main window owns one and its picture control paints from it.
// Decodes are made for pictures held compressed, and for pictures with a screen level shown larger
// than the level (the whole picture, or the region of it a paint reads); each is made at the scale
// a paint at the zoom in use needs.
//
// After each turn or zoom the window tells what it shows and how, with the pictures next
// (slotsAhead(), nearest first: follow()); the keeper decides which decodes of them it makes, at
// which scale or as which region, in which order and when (the rest before a whole decode
// included). The ones not yet decoded are decoded on a worker thread, the ones kept already are
// asked for again, and the ones handed over before and not yet started are dropped. Only as many
// are taken as half the byte cap holds (one at least), so that the pictures ahead never push one
// another out and the pictures just left keep the other half: a reversal finds them still decoded.
// The picture shown is decoded on the window thread when it is neither kept nor being decoded ahead
// (then its decode ahead is waited for, never repeated), so the display trails a turn by at most
// that one decode: decodes ahead for positions passed are dropped before they start.
//
// The byte cap is set from the memory check of the opening (capFor()), never above
// kMostKeptBytes. Pictures are held weakly: a kept decode never keeps a package alive. The bounds
// of the decodes and views kept are in pictures/CacheBounds.h.
class PictureKeeper {
public:
    static constexpr std::size_t kKeptDecodes = cacheBounds::kKeptDecodes;
    static constexpr qint64 kMostKeptBytes = cacheBounds::kMostKeptBytes;
    // How many columns ahead of the turn are decoded at most, besides the other rings' neighbours.
    static constexpr int kAhead = 4;
    // A scale that stands for a picture's screen level (its levelDenominator(); 1 for a picture
    // without one).
    static constexpr int kAtLevel = 0;
    // How long the view rests on a photo with a screen level before its whole picture is decoded,
    // so that zooming in or panning paints at once.
    static constexpr int kRestMs = 300;

    // `workers` decode ahead at once (0: the cores the window thread leaves).
    explicit PictureKeeper(qint64 byteCap = kMostKeptBytes, int workers = 0);
    ~PictureKeeper(); // clear()
    PictureKeeper(const PictureKeeper&) = delete;
    PictureKeeper& operator=(const PictureKeeper&) = delete;

    // The byte cap of the decodes kept beyond the latest two for `leftBytes` of memory left once
    // the pictures are held: half of it, at most kMostKeptBytes, never negative.
    static qint64 capFor(qint64 leftBytes);

    // The slots a turn is likely to reach next from `at`, nearest first: the views up to `ahead`
    // turns in the direction of the last one lead to, turned as the viewer turns (RingTurns: on a
    // vertical ring a turn jumps a ring stride, stops where the bar clamps at an end and goes back
    // to the horizontal ring where the column reached has no picture of the row, the next turns
    // then one column each), then the rows above and below on the other rings (a move to another
    // ring comes after a pause, which leaves time for its picture). No slot twice.
    static std::vector<int> slotsAhead(const TurnPosition& at, int ahead = kAhead);

    // What to paint the shown `picture` from at 1/`scale` (kAtLevel: its screen level): the pixels
    // it holds at that scale; else a kept decode, pinned, or else a decode made now (waiting for
    // its decode ahead when one is under way). Window thread.
    Picture::Pixels pixelsToPaint(const PicturePtr& picture, int scale = kAtLevel);

    // The pixels `picture` holds at 1/`scale` (kAtLevel: its screen level) or a kept decode of
    // them, or null pixels; never decodes. Any thread.
    Picture::Pixels kept(const PicturePtr& picture, int scale = kAtLevel) const;

    // A region of the whole picture's decode, and where it lies in the picture.
    struct Region {
        QImage image;
        QRect part;
    };
    // What a paint past the screen level of `picture` reads of its whole picture when that is not
    // kept: a kept region holding all of `part`, pinned, else one under way, waited for, else the
    // part decoded now and kept. A null image when the bytes do not decode. Window thread.
    Region regionToPaint(const PicturePtr& picture, const QRect& part);

    // Decodes `next` (nearest first) ahead, in place of what was handed over before, each at the
    // scale a paint that shows it at `shownSize` pixels needs (see paintScale(); empty: its screen
    // level). With a `part`, a photo shown past its screen level is decoded as that part of it
    // (a region, as its paint reads it) unless its whole decode is kept: a whole decode of a
    // camera photo takes longer than a held key's step.
    void ahead(const std::vector<PicturePtr>& next, QSize shownSize = QSize(),
               QRect part = QRect());

    // What the window shows and how: `onScreen` at `shownPixels` device pixels, just turned to
    // (`turned`) or zoomed, with the pictures a turn reaches next (nearest first) and the part of
    // a picture the window shows. The keeper decides what is decoded of them and when: once the
    // event loop is back (the turn painted), zoomed past the screen level the shown photo's whole
    // decode first and the pictures next whole, turning past it the pictures next as that part,
    // else at the scale shown (see ahead()); and once the view has rested kRestMs on a photo
    // with a screen level without another call, its whole decode (wholeAhead()). Window thread.
    void follow(const PicturePtr& onScreen, QSize shownPixels, bool turned,
                std::vector<PicturePtr> next, QRect part);

    // Decodes the whole of `picture` (one with a screen level, shown at it) after the decodes
    // handed over, so that a zoom past the level paints from it at once.
    void wholeAhead(const PicturePtr& picture);

    // The views of the pictures a turn reaches next, painted ahead.
    ViewsAhead& views() { return m_views; }

    // Sets the byte cap (clamped to 0 .. kMostKeptBytes).
    void setByteCap(qint64 byteCap);
    qint64 byteCap() const;

    // Drops the decodes waiting and kept and forgets the picture followed, waiting for the
    // decodes under way (a package closes).
    void clear();
    // Waits until every decode handed over is done (for tests and benches).
    void waitForDone();

    // Told of each decode as it begins, on the thread that makes it: the picture, its scale and
    // whether it is the picture shown (for tests and benches; set before the first decode).
    using DecodeWatch = std::function<void(const PicturePtr& picture, int scale, bool forScreen)>;
    void watchDecodes(DecodeWatch watch) { m_watch = std::move(watch); }

    // How many decodes the picture shown needed (not those decoded ahead), and how many decodes
    // are kept now (for tests and benches).
    qint64 shownDecodes() const;
    std::size_t keptCount() const;

private:
    struct Busy {
        std::weak_ptr<const Picture> picture;
        DecodeKey key;
    };
    struct Wanted {
        PicturePtr picture;
        DecodeKey key;
        qint64 bytes; // about what its decode holds
    };
    bool underWay(const PicturePtr& picture, const DecodeKey& key) const;
    // The kept decode of `picture` at `key`, pinned as the one shown; null pixels when none is
    // kept.
    Picture::Pixels pin(const PicturePtr& picture, const DecodeKey& key);
    // Decodes `picture` at `key` unless it is kept or under way; true when this call decoded.
    bool decode(const PicturePtr& picture, const DecodeKey& key, bool forScreen);
    // What `next` asks to be decoded, nearest first, as ahead() takes them.
    std::vector<Wanted> wanted(const std::vector<PicturePtr>& next, QSize shownSize,
                               const QRect& part) const;

    // Lock order: m_mutex is taken alone; no other lock is taken while it is held (decodes and
    // the freeing of pushed-out decodes run outside it).
    mutable std::mutex m_mutex;
    std::condition_variable m_done; // a decode under way ended
    KeptDecodes m_kept;             // guarded by m_mutex
    std::vector<Busy> m_busy;       // under way; guarded by m_mutex
    qint64 m_shownDecodes = 0;      // guarded by m_mutex
    qint64 m_decodeBytes = 0;       // what the latest decode holds; guarded by m_mutex
    int m_decodeScale = 0;          // and its scale; guarded by m_mutex
    DecodeWatch m_watch;
    QObject m_context;                        // of the calls follow() defers to the event loop
    QTimer m_rest;                            // the rest on the picture followed
    std::weak_ptr<const Picture> m_following; // the picture shown, as the window told
    bool m_fixedWorkers = false; // the workers were given, not the cores the window leaves
    QThreadPool m_pool;          // the decodes ahead, on the cores the window thread leaves
    ViewsAhead m_views;          // takes its decodes from this keeper; destroyed first
};
