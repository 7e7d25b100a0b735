#include "project/ProjectPageWalk.h"

#include <QCoreApplication>

#include <algorithm>

namespace OV {

namespace {

// Pages mapped at once, and blocks kept: the walk goes down one branch at a time, and SQLite
// places the pages of a branch mostly side by side.
constexpr int64_t kBlockPages = 64;
constexpr size_t kBlocks = 8;

uint32_t read16(const uchar* p)
{
    return (uint32_t(p[0]) << 8) | p[1];
}

uint32_t read32(const uchar* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

} // namespace

ProjectPageWalk::ProjectPageWalk(const QString& path) : m_file(path) {}

const uchar* ProjectPageWalk::page(int64_t number)
{
    const int64_t first = (number - 1) / kBlockPages * kBlockPages + 1;
    Block* target = nullptr;
    for (Block& block : m_blocks) {
        if (block.first == first) {
            block.used = ++m_uses;
            return block.bytes + (number - first) * m_pageSize;
        }
        if (!target || block.used < target->used)
            target = &block;
    }
    const int64_t count = std::min(kBlockPages, m_pages - first + 1);
    if (target->bytes)
        m_file.unmap(target->bytes);
    target->first = 0;
    target->bytes = m_file.map((first - 1) * m_pageSize, count * m_pageSize);
    if (!target->bytes)
        return nullptr;
    target->first = first;
    target->used = ++m_uses;
    return target->bytes + (number - first) * m_pageSize;
}

bool ProjectPageWalk::run(const std::vector<int64_t>& roots, QString* why)
{
    if (!m_file.open(QIODevice::ReadOnly) || m_file.size() < 100)
        return true; // an empty new database, or one SQLite has already refused
    const QByteArray header = m_file.read(100);
    if (header.size() < 100 || header.at(18) == 2)
        return true; // write-ahead mode: checked by SQLite instead
    const uint32_t pageSizeField = read16(reinterpret_cast<const uchar*>(header.constData()) + 16);
    m_pageSize = pageSizeField == 1 ? 65536 : pageSizeField;
    const qint64 usable = m_pageSize - static_cast<uint8_t>(header.at(20));
    const auto damaged = [why](int64_t page, const char* what) {
        *why = QCoreApplication::translate("ProjectDatabase", "the project file is damaged: page %1 %2")
                   .arg(page)
                   .arg(QLatin1String(what));
        return false;
    };
    if (m_pageSize < 512 || usable < 480)
        return damaged(1, "has an impossible page size");
    m_pages = m_file.size() / m_pageSize;
    m_blocks.assign(kBlocks, Block());
    std::vector<bool> seen(size_t(m_pages) + 1, false);
    std::vector<int64_t> todo(roots.begin(), roots.end());
    while (!todo.empty()) {
        const int64_t page = todo.back();
        todo.pop_back();
        if (page < 1 || page > m_pages)
            return damaged(page, "is not in the file");
        if (seen[size_t(page)])
            return damaged(page, "belongs to two places");
        seen[size_t(page)] = true;
        const uchar* start = this->page(page);
        if (!start)
            return true; // unreadable now: SQLite's own reads report it
        const uchar* head = start + (page == 1 ? 100 : 0);
        const uint8_t kind = head[0];
        const bool interior = kind == 2 || kind == 5;
        if (!interior && kind != 10 && kind != 13)
            return damaged(page, "is of no known kind");
        const uint32_t cells = read16(head + 3);
        const qint64 pointers = (head - start) + (interior ? 12 : 8);
        if (pointers + 2 * qint64(cells) > usable)
            return damaged(page, "holds more cells than fit");
        for (uint32_t i = 0; i < cells; ++i) {
            const uint32_t cell = read16(head + (interior ? 12 : 8) + 2 * i);
            if (cell < pointers + 2 * qint64(cells) || cell + (interior ? 4 : 1) > usable)
                return damaged(page, "has a cell outside it");
            if (interior)
                todo.push_back(read32(start + cell));
        }
        if (interior)
            todo.push_back(read32(head + 8));
    }
    return true;
}

} // namespace OV
