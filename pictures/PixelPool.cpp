#include "PixelPool.h"

#include "ReturnedMemory.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

// A block is a header holding the pixel byte count, then the pixels, aligned for vector code.
constexpr std::size_t kHeader = 64;

qsizetype blockPixelBytes(void* block) {
    return *static_cast<qsizetype*>(block);
}

uchar* blockPixels(void* block) {
    return static_cast<uchar*>(block) + kHeader;
}

// Fresh memory costs one page fault per page as a decoder writes it; asking the kernel to map
// the whole range in one call is cheaper. Only a hint: the writes map the pages anyway. Recycled
// blocks are mapped already, and walking their pages again would only cost time.
void mapAhead(uchar* bytes, std::size_t size) {
#if defined(Q_OS_LINUX) && defined(MADV_POPULATE_WRITE)
    static const std::uintptr_t page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(bytes) + page - 1) & ~(page - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(bytes) + size) & ~(page - 1);
    if (end > first)
        madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
#else
    Q_UNUSED(bytes);
    Q_UNUSED(size);
#endif
}

} // namespace

PixelPool& PixelPool::instance() {
    static PixelPool pool;
    return pool;
}

PixelPool::~PixelPool() {
    for (void* block : m_free)
        std::free(block);
}

QImage PixelPool::allocate(int width, int height, QImage::Format format) {
    if (width <= 0 || height <= 0)
        return QImage();
    const qsizetype bytesPerLine =
        qsizetype(width) * (QImage::toPixelFormat(format).bitsPerPixel() / 8);
    const qsizetype bytes = bytesPerLine * height;
    void* block = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto it = m_free.begin(); it != m_free.end(); ++it) {
            if (blockPixelBytes(*it) == bytes) {
                block = *it;
                m_free.erase(it);
                m_pooled -= bytes;
                break;
            }
        }
    }
    if (!block) {
        block = std::aligned_alloc(
            kHeader, kHeader + ((std::size_t(bytes) + kHeader - 1) / kHeader * kHeader));
        if (!block)
            return QImage();
        *static_cast<qsizetype*>(block) = bytes;
        mapAhead(blockPixels(block), std::size_t(bytes));
    }
    return QImage(blockPixels(block), width, height, bytesPerLine, format, &PixelPool::giveBack,
                  block);
}

qint64 PixelPool::pooledBytes() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_pooled;
}

void PixelPool::giveBack(void* block) {
    instance().take(block);
}

void PixelPool::take(void* block) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_recycling > 0) {
            m_free.push_back(block);
            m_pooled += blockPixelBytes(block);
            return;
        }
    }
    std::free(block);
}

void PixelPool::beginRecycling() {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_recycling;
}

void PixelPool::endRecycling() {
    std::vector<void*> blocks;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (--m_recycling > 0)
            return;
        blocks.swap(m_free);
        m_pooled = 0;
    }
    for (void* block : blocks)
        std::free(block);
    returnFreedMemory();
}

PixelPool::Recycling::Recycling() {
    instance().beginRecycling();
}

PixelPool::Recycling::~Recycling() {
    instance().endRecycling();
}
