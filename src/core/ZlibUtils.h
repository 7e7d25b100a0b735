#pragma once

#include <QByteArray>
#include <QString>

namespace OV {

// Writers for the archives sent to the hub: a ZIP archive (stored or raw-deflated entries,
// UTF-8 names) and a gzip-compressed ustar archive. Each archive is written as it is made,
// through a temporary file that replaces the target only when complete, holding one source
// file and a few MB of buffers in memory at a time; an archive the formats cannot describe
// (tar names over 100 bytes, more than 65,535 ZIP entries, more than 4 GiB) is refused rather
// than written wrong, and the target is left as it was.
class ZlibUtils
{
public:
    enum PackMode : int {
        File = 0,
        DirectoryContents = 1,
        DirectoryWithRoot = 2,
    };

    // Level 0 stores, 1 to 9 deflate. True only when every byte of the archive reached the file.
    // False when the archive cannot be written (a full disk too), the level is outside 0..9 or the
    // content exceeds the format's limits; the target is then untouched and `error`, when given,
    // gets the cause.
    static bool packToZip(const QString& sourcePath, const QString& zipPath, PackMode mode, int level,
                          QString* error = nullptr);
    static bool packToTarGz(const QString& directoryPath, const QString& targetPath, QString* error = nullptr);
};

} // namespace OV
