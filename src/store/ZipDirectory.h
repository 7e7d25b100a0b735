#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace OV {

// The one reading of an archive from outside that every reader shares (readZipEntry,
// verifyPackage, unzipToDirectory), so that all three take or refuse an archive alike, and alike
// with other common ZIP readers, those that walk the local headers as they stream included:
// exactly one end record, following the directory directly and followed by zero bytes at most;
// ZIP64, encrypted and multi-disk archives refused; stored or deflated members needing no more
// than version 2.0, whose names are relative paths of plain names (no "/" or "\" at the start, no
// drive, no "\", no empty, "." or ".." segment) once a leading "./" is dropped, read as UTF-8 when
// marked so or valid as such and as code page 437 otherwise, named nowhere else (no Unicode Path
// extra field), unique also after case folding and Unicode NFC, at most 512 bytes long as read
// and 32 folders deep (a folder member as deep as the folder it makes); extra fields
// of whole records; at most 10,000 members of at most 64 MiB each and 256 MiB in all by their
// announced sizes, making at most 10,000 folders; each with a local header that agrees with the
// directory (sizes and CRC may be zero there for a member with a data descriptor, which must
// then follow its data at once); members, their descriptors included, following one another
// from the start of the file to the directory with no byte shared or left over; folder members
// empty. A deflate stream must end where its data ends. The directory is read once, in time
// linear in its size.
class ZipDirectory
{
public:
    struct Member
    {
        QString name; // relative path; a leading "./" and a folder's trailing "/" removed
        QString key;  // the name by nameKey, unique in the archive
        bool directory = false;
        quint32 method = 0;
        quint32 crc = 0;
        qint64 compressedSize = 0;
        qint64 uncompressedSize = 0;
        qint64 dataStart = 0;
    };

    // Reads and checks the directory. The archive is kept (shared, not copied).
    explicit ZipDirectory(const QByteArray& zip);

    bool isValid() const { return m_error.isEmpty(); }
    // Why the archive is refused; empty when it is not.
    const QString& error() const { return m_error; }
    // In directory order, a "./" member (the root) left out; empty when refused.
    const std::vector<Member>& members() const { return m_members; }
    // The file member with this path, exactly or, with Qt::CaseInsensitive, by nameKey (as the
    // file systems packages are written on find a file); null when there is none.
    const Member* find(const QString& name, Qt::CaseSensitivity cs = Qt::CaseSensitive) const;
    // A name as file systems that ignore letter case, or normalise names, compare it: Unicode
    // form NFC, case folded. Members' names are unique under it, so a look-up by it finds one.
    static QString nameKey(const QString& name);
    // The member's bytes, inflated and checked against its size and CRC; false when damaged,
    // with the reason in `why` when given.
    bool content(const Member& member, QByteArray* content, QString* why = nullptr) const;

private:
    bool read();
    bool refuse(const QString& reason);
    qint64 findEndRecord();

    QByteArray m_zip;
    std::vector<Member> m_members;
    QString m_error;
};

} // namespace OV
