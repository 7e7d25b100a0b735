#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <vector>

namespace OV {

// The b-trees below the given root pages of a SQLite file, walked from the file itself: every
// page must be a b-tree page of a known kind whose cells lie inside it, and every child a page
// of the file reached once. Pages that only hold the overflow of large values are not looked
// at. The file is read a few aligned blocks of pages at a time through one small cache rather
// than mapped: a walk over every page of a large project would otherwise keep the whole file
// resident in the process.
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
        QByteArray bytes;
        uint64_t used = 0;
    };

    // The page's bytes, or null when it cannot be read.
    const uchar* page(int64_t number);

    QFile m_file;
    qint64 m_pageSize = 0;
    int64_t m_pages = 0;
    std::vector<Block> m_blocks;
    uint64_t m_uses = 0;
};

} // namespace OV
