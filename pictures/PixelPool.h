#pragma once

#include <QImage>
#include <QtGlobal>
#include <mutex>
#include <vector>

// Recycles the pixel memory of pictures from one opening to the next. Fresh memory is costly:
// the system has to map and clear every page before a decoder can write it. While a package is
// replaced by another, the released package's pixel buffers are kept (not returned to the system)
// and handed to the pictures of the new package; whatever the new package does not reuse is
// returned when the replacement ends. Outside a replacement a released buffer is freed at once, so
// the pool never holds memory while a package is shown.
//
// The viewer brackets each opening with a Recycling guard, from before it releases the previous
// package until the new one is loaded (or refused). Thread-safe: decoders allocate on worker
// threads, pictures may be released on any thread.
class PixelPool {
public:
    static PixelPool& instance();

    // An image of the given size and format (a whole number of bytes a pixel) whose pixels are
    // uninitialised: a recycled buffer of the
    // same size when one is free, fresh memory otherwise. A null image when out of memory.
    QImage allocate(int width, int height, QImage::Format format);

    // Bytes held for reuse now.
    qint64 pooledBytes() const;

    // While one exists, released buffers are kept for reuse; when the last one goes, every kept
    // buffer is freed.
    class Recycling {
    public:
        Recycling();
        ~Recycling();
        Recycling(const Recycling&) = delete;
        Recycling& operator=(const Recycling&) = delete;
    };

    ~PixelPool();

private:
    PixelPool() = default;
    static void giveBack(void* block);
    void take(void* block);
    void beginRecycling();
    void endRecycling();

    // Lock order: taken alone; no other lock is taken under it, and decoders hold none when they
    // allocate.
    mutable std::mutex m_mutex;
    std::vector<void*> m_free; // blocks held for reuse
    qint64 m_pooled = 0;
    int m_recycling = 0;
};
