#pragma once

#include <QFile>
#include <QString>

#include <cstdint>
#include <vector>

namespace OV {

// The b-trees below the given root pages of a SQLite file, walked from the file itself: every
// page must be a b-tree page of a known kind whose cells lie inside it, and every child a page
// of the file reached once. Pages that only hold the overflow of large values are not looked
// at. The file is mapped a few aligned blocks of pages at a time, each unmapped when the walk
// has moved on: mapped whole, a walk over every page of a large project would keep the whole file
// resident in the process, and read into buffers, it would copy every page.
class ProjectPageWalk
{
public:
    explicit ProjectPageWalk(const QString& path);

    // False, with the reason for the user, when a page is damaged. True when the file cannot be
    // read (SQLite has read it and reports what is wrong) or is in write-ahead mode (SQLite checks).
    bool run(const std::vector<int64_t>& roots, QString* why);

private:
    struct Block
    {
        int64_t first = 0; // the block's first page; 0 while unused
        uchar* bytes = nullptr;
        uint64_t used = 0;
    };

    // The page's bytes, or null when they cannot be mapped.
    const uchar* page(int64_t number);

    QFile m_file;
    qint64 m_pageSize = 0;
    int64_t m_pages = 0;
    std::vector<Block> m_blocks;
    uint64_t m_uses = 0;
};

} // namespace OV
