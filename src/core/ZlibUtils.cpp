#include "core/ZlibUtils.h"

#include "core/FileUtils.h"
#include "core/Logger.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>
#include <QStringList>

#include <zlib.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace OV {

namespace {

constexpr const char* kTag = "ZlibUtils";
constexpr quint64 kMax32 = 0xFFFFFFFFull;
constexpr int kMaxZipEntries = 0xFFFF;
constexpr int kTarBlock = 512;
constexpr int kTarNameSize = 100;
constexpr qint64 kGzipBlockSize = qint64(1) << 19;
constexpr qint64 kDeflateWindow = 32768;
constexpr qint64 kMaxGzipThreads = 8;

struct SourceFile
{
    QString name;
    QString path;
    qint64 size = 0;
    QDateTime modified;
};

// Lists the regular files below a directory, depth first in listing order, with names
// relative to it behind the prefix. Hidden and system entries are left out; a link back to
// a folder that is being walked is not followed again.
void collectFiles(const QString& dirPath, const QString& prefix, QList<SourceFile>& out, QStringList& walking)
{
    const QString canonical = QFileInfo(dirPath).canonicalFilePath();
    if (canonical.isEmpty() || walking.contains(canonical))
        return;
    walking.append(canonical);
    const QFileInfoList list = QDir(dirPath).entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo& info : list) {
        const QString name = prefix.isEmpty() ? info.fileName() : prefix + QLatin1Char('/') + info.fileName();
        if (info.isDir())
            collectFiles(info.absoluteFilePath(), name, out, walking);
        else
            out.append({name, info.absoluteFilePath(), info.size(), info.lastModified()});
    }
    walking.removeLast();
}

QList<SourceFile> collectFiles(const QString& dirPath, const QString& prefix)
{
    QList<SourceFile> out;
    QStringList walking;
    collectFiles(dirPath, prefix, out, walking);
    return out;
}

// Reads the whole file into the buffer, reusing its storage. False when the file cannot be
// opened or a read fails part-way.
bool readWholeFile(const QString& path, QByteArray& buffer)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    qint64 used = 0;
    buffer.resize(qMax<qint64>(file.size(), 0));
    for (;;) {
        if (used == buffer.size())
            buffer.resize(used + qMax<qint64>(used / 2, 64 * 1024));
        const qint64 n = file.read(buffer.data() + used, buffer.size() - used);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        used += n;
    }
    buffer.resize(used);
    return true;
}

void putU16(char* p, quint32 v)
{
    p[0] = char(v & 0xFF);
    p[1] = char((v >> 8) & 0xFF);
}

void putU32(char* p, quint64 v)
{
    putU16(p, quint32(v & 0xFFFF));
    putU16(p + 2, quint32((v >> 16) & 0xFFFF));
}

// DOS time and date in local time; the format covers the years 1980 to 2107 only.
void dosTimeDate(const QDateTime& modified, quint32& time, quint32& date)
{
    QDateTime local = modified.toLocalTime();
    if (!local.isValid() || local.date().year() < 1980)
        local = QDateTime(QDate(1980, 1, 1), QTime(0, 0));
    else if (local.date().year() > 2107)
        local = QDateTime(QDate(2107, 12, 31), QTime(23, 59, 58));
    const QTime t = local.time();
    const QDate d = local.date();
    time = quint32(t.hour() * 2048 + t.minute() * 32 + t.second() / 2);
    date = quint32((d.year() - 1980) * 512 + d.month() * 32 + d.day());
}

// Writes a ZIP archive as it goes: each entry's local header and data straight to the file,
// one file's bytes in memory at a time; only the central directory is kept until the end.
class ZipWriter
{
public:
    enum class Result { Added, Skipped, TooLarge, WriteFailed };

    ZipWriter(QIODevice& out, int level) : m_out(out), m_level(level) {}
    ~ZipWriter()
    {
        if (m_deflateReady)
            deflateEnd(&m_stream);
    }
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    Result add(const QString& name, const QString& path, qint64 size, const QDateTime& modified)
    {
        const QByteArray utf8Name = name.toUtf8();
        if (utf8Name.size() > 0xFFFF || quint64(qMax<qint64>(size, 0)) > kMax32)
            return Result::TooLarge;
        if (!readWholeFile(path, m_input)) {
            Logger::warn(kTag, "skipped unreadable file %s", qUtf8Printable(path));
            return Result::Skipped;
        }
        if (quint64(m_input.size()) > kMax32)
            return Result::TooLarge;
        if (m_count >= kMaxZipEntries)
            return Result::TooLarge;

        const uLong crc =
            crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(m_input.constData()), uInt(m_input.size()));
        const quint64 headerPos = m_written;
        const QByteArray* data = &m_input;
        if (m_level > 0) {
            const Result r = deflateInput();
            if (r != Result::Added) {
                if (r == Result::Skipped)
                    Logger::warn(kTag, "skipped file that did not compress %s", qUtf8Printable(path));
                return r;
            }
            data = &m_output;
        }
        const quint64 compressedSize = quint64(data->size());
        if (headerPos + 30 + quint64(utf8Name.size()) + compressedSize > kMax32)
            return Result::TooLarge;

        quint32 dosTime = 0;
        quint32 dosDate = 0;
        dosTimeDate(modified, dosTime, dosDate);
        const quint32 method = m_level > 0 ? 8 : 0;

        char h[30];
        putU32(h, 0x04034b50);
        putU16(h + 4, 20);
        putU16(h + 6, 0x0800);
        putU16(h + 8, method);
        putU16(h + 10, dosTime);
        putU16(h + 12, dosDate);
        putU32(h + 14, crc);
        putU32(h + 18, compressedSize);
        putU32(h + 22, quint64(m_input.size()));
        putU16(h + 26, quint32(utf8Name.size()));
        putU16(h + 28, 0);
        if (!write(h, sizeof(h)) || !write(utf8Name.constData(), utf8Name.size()) ||
            !write(data->constData(), data->size()))
            return Result::WriteFailed;

        char c[46];
        putU32(c, 0x02014b50);
        putU16(c + 4, 20);
        putU16(c + 6, 20);
        putU16(c + 8, 0x0800);
        putU16(c + 10, method);
        putU16(c + 12, dosTime);
        putU16(c + 14, dosDate);
        putU32(c + 16, crc);
        putU32(c + 20, compressedSize);
        putU32(c + 24, quint64(m_input.size()));
        putU16(c + 28, quint32(utf8Name.size()));
        putU16(c + 30, 0);
        putU16(c + 32, 0);
        putU16(c + 34, 0);
        putU16(c + 36, 0);
        putU32(c + 38, 0);
        putU32(c + 42, headerPos);
        m_central.append(c, sizeof(c));
        m_central.append(utf8Name);
        ++m_count;
        return Result::Added;
    }

    // Writes the central directory and the end record; TooLarge when the archive would pass
    // the format's 32-bit limits.
    Result finish()
    {
        const quint64 centralOffset = m_written;
        const quint64 total = centralOffset + quint64(m_central.size()) + 22;
        if (total > kMax32)
            return Result::TooLarge;
        char e[22];
        putU32(e, 0x06054b50);
        putU16(e + 4, 0);
        putU16(e + 6, 0);
        putU16(e + 8, quint32(m_count));
        putU16(e + 10, quint32(m_count));
        putU32(e + 12, quint64(m_central.size()));
        putU32(e + 16, centralOffset);
        putU16(e + 20, 0);
        if (!write(m_central.constData(), m_central.size()) || !write(e, sizeof(e)))
            return Result::WriteFailed;
        return Result::Added;
    }

private:
    bool write(const char* bytes, qint64 size)
    {
        if (size > 0 && !writeFully(m_out, bytes, size))
            return false;
        m_written += quint64(size);
        return true;
    }

    // Raw deflate of the input, in one call.
    Result deflateInput()
    {
        if (!m_deflateReady) {
            std::memset(&m_stream, 0, sizeof(m_stream));
            if (deflateInit2(&m_stream, m_level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
                return Result::Skipped;
            m_deflateReady = true;
        } else if (deflateReset(&m_stream) != Z_OK) {
            return Result::Skipped;
        }
        const quint64 bound = compressBound(uLong(m_input.size()));
        const quint64 room = qMin(bound, kMax32);
        m_output.resize(qint64(room));
        m_stream.next_in = reinterpret_cast<Bytef*>(m_input.data());
        m_stream.avail_in = uInt(m_input.size());
        m_stream.next_out = reinterpret_cast<Bytef*>(m_output.data());
        m_stream.avail_out = uInt(room);
        const int ret = deflate(&m_stream, Z_FINISH);
        if (ret != Z_STREAM_END)
            return bound > kMax32 ? Result::TooLarge : Result::Skipped;
        m_output.resize(qint64(m_stream.total_out));
        return Result::Added;
    }

    QIODevice& m_out;
    int m_level;
    int m_count = 0;
    quint64 m_written = 0;
    QByteArray m_central;
    QByteArray m_input;
    QByteArray m_output;
    z_stream m_stream{};
    bool m_deflateReady = false;
};

// Writes the value as zero-padded octal digits followed by a NUL, as the tar header expects.
void writeOctal(char* field, int digits, quint64 value)
{
    for (int i = digits - 1; i >= 0; --i) {
        field[i] = char('0' + (value & 7));
        value >>= 3;
    }
    field[digits] = '\0';
}

// gzip (zlib's default header, level 9) in one deflate call.
bool gzipInOneCall(const QByteArray& data, QByteArray& out)
{
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    // deflateBound counts the gzip wrapper as well, unlike compressBound.
    const quint64 bound = deflateBound(&stream, uLong(data.size()));
    int ret = Z_BUF_ERROR;
    if (bound <= kMax32) {
        out.resize(qint64(bound));
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
        stream.avail_in = uInt(data.size());
        stream.next_out = reinterpret_cast<Bytef*>(out.data());
        stream.avail_out = uInt(bound);
        ret = deflate(&stream, Z_FINISH);
        out.resize(qint64(stream.total_out));
    }
    deflateEnd(&stream);
    return ret == Z_STREAM_END;
}

// Raw deflate of one block at level 9, primed with the window that precedes it. A block
// other than the last ends byte-aligned (sync flush), so the blocks join into one stream.
bool deflateBlock(const char* data, qint64 size, const char* window, int windowSize, bool last, QByteArray& out)
{
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    bool ok = windowSize == 0 ||
              deflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(window), uInt(windowSize)) == Z_OK;
    if (ok) {
        out.resize(qint64(deflateBound(&stream, uLong(size))) + 64);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        stream.avail_in = uInt(size);
        stream.next_out = reinterpret_cast<Bytef*>(out.data());
        stream.avail_out = uInt(out.size());
        const int ret = deflate(&stream, last ? Z_FINISH : Z_SYNC_FLUSH);
        ok = last ? ret == Z_STREAM_END : (ret == Z_OK && stream.avail_in == 0 && stream.avail_out != 0);
        out.resize(qint64(stream.total_out));
    }
    deflateEnd(&stream);
    return ok;
}

// The same gzip format for larger input, compressed as it is written in blocks on several
// threads: level 9 costs several times what the usual level 6 does, and the blocks lose next to
// nothing because each one sees the 32 KB window before it. At most one block per thread waits
// in memory, whatever the size of the whole; a tar of one block or less is compressed in one
// call when it is finished.
class GzipBlockWriter
{
public:
    explicit GzipBlockWriter(QIODevice& out)
        : m_out(out), m_threads(qBound<qint64>(1, std::thread::hardware_concurrency(), kMaxGzipThreads))
    {
        m_crc = crc32(0, nullptr, 0);
    }

    bool append(const char* data, qint64 size)
    {
        while (size > 0) {
            const qint64 batch = m_threads * kGzipBlockSize;
            const qint64 take = qMin(size, batch + 1 - m_pending.size());
            m_pending.append(data, take);
            m_crc = crc32(m_crc, reinterpret_cast<const Bytef*>(data), uInt(take));
            m_total += quint64(take);
            data += take;
            size -= take;
            // More than a batch waits: the batch's blocks are not the last ones.
            if (m_pending.size() > batch && !compressBlocks(false))
                return false;
        }
        return true;
    }

    bool finish()
    {
        if (!m_started && m_pending.size() <= kGzipBlockSize) {
            QByteArray out;
            if (!gzipInOneCall(m_pending, out))
                return false;
            return writeFully(m_out, out.constData(), out.size());
        }
        if (!compressBlocks(true))
            return false;
        char trailer[8];
        putU32(trailer, m_crc);
        putU32(trailer + 4, m_total & kMax32);
        return writeFully(m_out, trailer, sizeof(trailer));
    }

private:
    // Compresses the whole blocks waiting (all of them, the last one ending the stream, when
    // last) and writes them in order.
    bool compressBlocks(bool last)
    {
        if (!m_started) {
            // zlib's own header for level 9: no name, no time, "maximum compression", Unix.
            if (!writeFully(m_out, "\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03", 10))
                return false;
            m_started = true;
        }
        const qint64 size = m_pending.size();
        const qint64 blocks = last ? (size + kGzipBlockSize - 1) / kGzipBlockSize : size / kGzipBlockSize;
        std::vector<QByteArray> parts(static_cast<size_t>(blocks));
        std::atomic<qint64> next{0};
        std::atomic<bool> failed{false};
        auto work = [&] {
            for (qint64 i = next++; i < blocks && !failed; i = next++) {
                const qint64 start = i * kGzipBlockSize;
                const qint64 length = qMin(kGzipBlockSize, size - start);
                // The window before a block: the end of the block before, or of the last batch.
                const char* window = m_pending.constData() + start - kDeflateWindow;
                int windowSize = int(kDeflateWindow);
                if (i == 0) {
                    window = m_window.constData();
                    windowSize = int(m_window.size());
                }
                if (!deflateBlock(m_pending.constData() + start, length, window, windowSize, last && i == blocks - 1,
                                  parts[size_t(i)]))
                    failed = true;
            }
        };
        std::vector<std::thread> threads;
        for (qint64 t = 1; t < qMin(m_threads, blocks); ++t)
            threads.emplace_back(work);
        work();
        for (std::thread& t : threads)
            t.join();
        if (failed)
            return false;
        for (const QByteArray& part : parts) {
            if (!writeFully(m_out, part.constData(), part.size()))
                return false;
        }
        if (blocks > 0)
            m_window = m_pending.mid(blocks * kGzipBlockSize - kDeflateWindow, kDeflateWindow);
        m_pending.remove(0, blocks * kGzipBlockSize);
        return true;
    }

    QIODevice& m_out;
    const qint64 m_threads;
    QByteArray m_pending;
    QByteArray m_window;
    uLong m_crc = 0;
    quint64 m_total = 0;
    bool m_started = false;
};

// Logs why an archive was not written and hands the cause to the caller.
bool refuse(const char* writer, const QString& target, const QString& cause, QString* error)
{
    Logger::error(kTag, "%s: cannot write %s: %s", writer, qUtf8Printable(target), qUtf8Printable(cause));
    if (error)
        *error = cause;
    return false;
}

// Ends the archive's file after a writer stopped on a failure of its own or of a write.
bool cancel(QSaveFile& file, const char* writer, const QString& target, const QString& cause, QString* error)
{
    file.cancelWriting();
    return refuse(writer, target, cause, error);
}

constexpr QLatin1String kTooLarge("the content exceeds the format's limits");

} // namespace

bool ZlibUtils::packToZip(const QString& sourcePath, const QString& zipPath, PackMode mode, int level, QString* error)
{
    constexpr const char* kWriter = "packToZip";
    if (level < 0 || level > 9)
        return refuse(kWriter, zipPath, QStringLiteral("unsupported compression level %1").arg(level), error);
    QSaveFile file(zipPath);
    if (!file.open(QIODevice::WriteOnly))
        return refuse(kWriter, zipPath, file.errorString(), error);

    QList<SourceFile> sources;
    switch (mode) {
    case File: {
        const QFileInfo info(sourcePath);
        sources.append({info.fileName(), info.absoluteFilePath(), info.size(), info.lastModified()});
        break;
    }
    case DirectoryContents:
        sources = collectFiles(sourcePath, QString());
        break;
    case DirectoryWithRoot:
        sources = collectFiles(sourcePath, QDir(sourcePath).dirName());
        break;
    }

    ZipWriter writer(file, level);
    for (const SourceFile& src : std::as_const(sources)) {
        const ZipWriter::Result added = writer.add(src.name, src.path, src.size, src.modified);
        if (added == ZipWriter::Result::TooLarge)
            return cancel(file, kWriter, zipPath, kTooLarge + QStringLiteral(" at ") + src.name, error);
        if (added == ZipWriter::Result::WriteFailed)
            return cancel(file, kWriter, zipPath, writeFailureText(file), error);
    }
    const ZipWriter::Result finished = writer.finish();
    if (finished == ZipWriter::Result::TooLarge)
        return cancel(file, kWriter, zipPath, kTooLarge, error);
    if (finished != ZipWriter::Result::Added)
        return cancel(file, kWriter, zipPath, writeFailureText(file), error);
    // Most of a small archive still waits in Qt's buffer here.
    QString cause;
    if (!commitSaveFile(file, &cause))
        return refuse(kWriter, zipPath, cause, error);
    return true;
}

namespace {

// Streams the ustar archive of the directory's files into the compressor, one file in memory
// at a time. False when a name or the size does not fit the format (error says which), or a
// write fails (error left empty).
bool writeTar(const QString& directoryPath, GzipBlockWriter& out, QString& error)
{
    const QList<SourceFile> sources = collectFiles(directoryPath, QString());
    quint64 written = 0;
    QByteArray data;
    static const char zeros[2 * kTarBlock] = {};
    for (const SourceFile& src : sources) {
        const QByteArray name = src.name.toUtf8();
        if (name.size() > kTarNameSize) {
            error = QStringLiteral("name longer than %1 bytes: %2").arg(kTarNameSize).arg(src.name);
            return false;
        }
        if (written + quint64(qMax<qint64>(src.size, 0)) > kMax32) {
            error = kTooLarge;
            return false;
        }
        if (!readWholeFile(src.path, data)) {
            Logger::warn(kTag, "skipped unreadable file %s", qUtf8Printable(src.path));
            continue;
        }
        const qint64 padded = (data.size() + kTarBlock - 1) / kTarBlock * kTarBlock;
        if (written + kTarBlock + quint64(padded) + 2 * kTarBlock > kMax32) {
            error = kTooLarge;
            return false;
        }

        char h[kTarBlock];
        std::memset(h, 0, sizeof(h));
        std::memcpy(h, name.constData(), size_t(name.size()));
        writeOctal(h + 100, 7, 0644);
        writeOctal(h + 108, 7, 0);
        writeOctal(h + 116, 7, 0);
        writeOctal(h + 124, 11, quint64(data.size()));
        writeOctal(h + 136, 11, 0);
        h[156] = '0';
        std::memcpy(h + 257, "ustar", 6);
        std::memcpy(h + 263, "00", 2);
        std::memcpy(h + 265, "root", 4);
        std::memcpy(h + 297, "root", 4);
        std::memset(h + 148, ' ', 8);
        quint64 sum = 0;
        for (char byte : h)
            sum += static_cast<unsigned char>(byte);
        writeOctal(h + 148, 6, sum);
        h[154] = '\0';
        h[155] = ' ';

        if (!out.append(h, kTarBlock) || !out.append(data.constData(), data.size()) ||
            !out.append(zeros, padded - data.size()))
            return false;
        written += kTarBlock + quint64(padded);
    }
    return out.append(zeros, 2 * kTarBlock);
}

} // namespace

bool ZlibUtils::packToTarGz(const QString& directoryPath, const QString& targetPath, QString* error)
{
    constexpr const char* kWriter = "packToTarGz";
    QSaveFile file(targetPath);
    if (!file.open(QIODevice::WriteOnly))
        return refuse(kWriter, targetPath, file.errorString(), error);
    GzipBlockWriter gzip(file);
    QString tarError;
    if (!writeTar(directoryPath, gzip, tarError) || !gzip.finish())
        return cancel(file, kWriter, targetPath, tarError.isEmpty() ? writeFailureText(file) : tarError, error);
    QString cause;
    if (!commitSaveFile(file, &cause))
        return refuse(kWriter, targetPath, cause, error);
    return true;
}

} // namespace OV
