#pragma once

#include "pictures/Picture.h"
#include "pictures/ViewsAhead.h"

#include <QThreadPool>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

// The decodes of pictures, kept in order of their last use, each for a picture at one scale (1 the
// whole picture, 2, 4 or 8 reduced): the decode shown is pinned (a repaint never decodes);
// otherwise the most recently shown, decoded ahead or asked for again come first. At most
// kKeptDecodes of them, and at most a cap of bytes beyond the latest two. No threads and no
// decoding: the rule alone, for PictureKeeper.
class KeptDecodes {
public:
    KeptDecodes(std::size_t most, qint64 byteCap) : m_most(most), m_byteCap(byteCap) {}

    // Puts `picture`'s decode first (replacing one kept for it); `shown` pins it. Returns the
    // decodes it pushes out, for the caller to free outside its lock.
    std::vector<Picture::Pixels> keep(const PicturePtr& picture, Picture::Pixels pixels,
                                      qint64 bytes, bool shown, int scale = 1);
    // Moves a kept decode first; false when none is kept for `picture` at `scale`.
    bool askAgain(const PicturePtr& picture, int scale = 1);
    // The kept decode of `picture` at `scale`, or null pixels.
    Picture::Pixels find(const PicturePtr& picture, int scale = 1) const;
    // Changes the byte cap; returns the decodes it pushes out.
    std::vector<Picture::Pixels> setByteCap(qint64 byteCap);
    void clear() { m_entries.clear(); }

    std::size_t size() const { return m_entries.size(); }
    qint64 bytes() const;
    qint64 byteCap() const { return m_byteCap; }

private:
    struct Entry {
        std::weak_ptr<const Picture> picture;
        int scale = 1;
        Picture::Pixels pixels;
        qint64 bytes = 0;
    };
    std::deque<Entry>::iterator locate(const PicturePtr& picture, int scale);
    std::vector<Picture::Pixels> trim();

    std::size_t m_most;
    qint64 m_byteCap;
    std::deque<Entry> m_entries;
    std::weak_ptr<const Picture> m_shown; // the pin, with its scale
    int m_shownScale = 1;
};

// What a turn reaches next, as slots of the loaded package (see PictureSlots): where the view is
// and which way it turned, and which slot shows a column at a vertical value (empty: none there).
struct TurnPosition {
    int h = 0;           // the column
    int v = 1;           // the vertical value (1: the horizontal ring)
    bool forward = true; // the direction of the last turn
    int hCount = 0;      // the columns of the horizontal ring
    std::function<std::optional<int>(int h, int v)> slotFor;
};

// The one owner of what is decoded ahead of turning and what is kept decoded, and of the views
// painted ahead (ViewsAhead); the main window owns one and its picture control paints from it.
// Decodes are made for pictures held compressed, and for pictures with a screen level shown larger
// than the level (the whole picture); each is made at the scale a paint at the zoom in use needs.
//
// After each turn the window hands over the pictures next (slotsAhead(), nearest first); the ones
// not yet decoded are decoded on a worker thread, the ones kept already are asked for again, and
// the ones handed over before and not yet started are dropped. Only as many are taken as half the
// byte cap holds (one at least), so that the pictures ahead never push one another out and the
// pictures just left keep the other half: a reversal finds them still decoded. The picture shown
// is decoded on the window thread when it is neither kept nor being decoded ahead (then its
// decode ahead is waited for, never repeated), so the display trails a turn by at most that one
// decode: decodes ahead for positions passed are dropped before they start.
//
// The byte cap is set from the memory check of the opening (capFor()), never above
// kMostKeptBytes. Pictures are held weakly: a kept decode never keeps a package alive.
class PictureKeeper {
public:
    static constexpr std::size_t kKeptDecodes = 12;
    static constexpr qint64 kMostKeptBytes = qint64(256) << 20;
    // How many columns ahead of the turn are decoded at most, besides the other rings' neighbours.
    static constexpr int kAhead = 4;

    // `workers` decode ahead at once (0: the cores the window thread leaves).
    explicit PictureKeeper(qint64 byteCap = kMostKeptBytes, int workers = 0);
    ~PictureKeeper(); // clear()
    PictureKeeper(const PictureKeeper&) = delete;
    PictureKeeper& operator=(const PictureKeeper&) = delete;

    // The byte cap of the decodes kept beyond the latest two for `leftBytes` of memory left once
    // the pictures are held: half of it, at most kMostKeptBytes, never negative.
    static qint64 capFor(qint64 leftBytes);

    // The slots a turn is likely to reach next from `at`, nearest first: the columns in the
    // direction of the turn, up to `ahead` of them (on the horizontal ring a step is one column, on
    // a vertical ring three, as the rings branch off every third column; wrapping round), then the
    // rows above and below on the other rings (a move to another ring comes after a pause, which
    // leaves time for its picture). A column without the ring stands for the horizontal ring's
    // column, where the turn returns. No slot twice.
    static std::vector<int> slotsAhead(const TurnPosition& at, int ahead = kAhead);

    // What to paint the shown `picture` from at 1/`scale` (0: its screen level): the pixels it
    // holds at that scale; else a kept decode, pinned, or else a decode made now (waiting for its
    // decode ahead when one is under way). Window thread.
    Picture::Pixels shown(const PicturePtr& picture, int scale = 0);

    // The pixels `picture` holds at 1/`scale` (0: its screen level) or a kept decode of them, or
    // null pixels; never decodes. Any thread.
    Picture::Pixels kept(const PicturePtr& picture, int scale = 0) const;

    // Decodes `next` (nearest first) ahead, in place of what was handed over before, each at the
    // scale a paint that shows it at `shown` pixels needs (see paintScale(); empty: its screen
    // level).
    void ahead(const std::vector<PicturePtr>& next, QSize shown = QSize());

    // Decodes the whole of `picture` (one with a screen level, shown at it) after the decodes
    // handed over, so that a zoom past the level paints from it at once.
    void wholeAhead(const PicturePtr& picture);

    // The views of the pictures a turn reaches next, painted ahead.
    ViewsAhead& views() { return m_views; }

    // Sets the byte cap (clamped to 0 .. kMostKeptBytes).
    void setByteCap(qint64 byteCap);
    qint64 byteCap() const;

    // Drops the decodes waiting and kept, waiting for those under way (a package closes).
    void clear();
    // Waits until every decode handed over is done (for tests and benches).
    void waitForDone();

    // Told of each decode as it begins, on the thread that makes it: the picture, its scale and
    // whether it is the picture shown (for tests and benches; set before the first decode).
    using DecodeWatch = std::function<void(const PicturePtr& picture, int scale, bool shown)>;
    void watchDecodes(DecodeWatch watch) { m_watch = std::move(watch); }

    // How many decodes the picture shown needed (not those decoded ahead), and how many decodes
    // are kept now (for tests and benches).
    qint64 shownDecodes() const;
    std::size_t keptCount() const;

private:
    struct Busy {
        std::weak_ptr<const Picture> picture;
        int scale = 1;
    };
    bool underWay(const PicturePtr& picture, int scale) const;
    // The kept decode of `picture` at `scale`, pinned as the one shown; null pixels when none is
    // kept.
    Picture::Pixels pin(const PicturePtr& picture, int scale);
    // Decodes `picture` at `scale` unless it is kept or under way; true when this call decoded.
    bool decode(const PicturePtr& picture, int scale, bool shown);

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
    QThreadPool m_pool; // the decodes ahead, on the cores the window thread leaves
    ViewsAhead m_views; // takes its decodes from this keeper; destroyed first
};
