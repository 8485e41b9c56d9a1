#pragma once

#include "pictures/Picture.h"

#include <QThreadPool>
#include <vector>

// Decodes the compressed pictures the user is about to see on the cores the window thread leaves
// idle, so that turning through compressed pictures costs what turning through decoded ones does.
//
// The view hands over, after every turn, the pictures next in the direction of the turn (nearest
// first); pictures not started from the previous hand-over are forgotten. Each is decoded into
// the cache of decoded compressed pictures (Picture::prepare), whose bounds (a dozen pictures,
// 256 MB of decodes) cap the memory this takes. Only as many are taken as half those bytes hold
// (one at least), so that the pictures ahead never push one another out of the cache and the
// pictures just left keep the other half; a picture whose decode is kept already is marked as
// asked for again, so the cache lets go of the pictures left behind first. A reversal finds the
// pictures just left still decoded; a jump costs one decode, on the window thread, while the
// decodes ahead go on beside it.
class TurnAhead {
public:
    // How many pictures ahead the view asks for at most, besides the neighbours on the other ring.
    static constexpr int kAhead = 4;

    TurnAhead();
    ~TurnAhead(); // cancel()
    TurnAhead(const TurnAhead&) = delete;
    TurnAhead& operator=(const TurnAhead&) = delete;

    // Replaces the pictures waiting to be decoded by `next`, in that order; `decodeBytes` is about
    // what one decode holds (the shown picture's).
    void prepare(const std::vector<PicturePtr>& next, qint64 decodeBytes);

    // Forgets the pictures waiting and waits for the decodes under way.
    void cancel();

    // Waits until every picture handed over is decoded (for tests and benches).
    void waitForDone();

private:
    QThreadPool m_pool;
};
