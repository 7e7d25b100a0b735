#!/usr/bin/env python3
"""Writes the ZIP corpus replayed by tst_StoreHelpers and used as the fuzzer's seeds.

valid-*.zip hold a readable "config.json" (the reader checks its CRC, so any content it
returns is the right one); hostile-*.zip are damaged or lying archives, or archives that other
readers read otherwise, in which reading "config.json" must give nothing. Run it in this folder.
"""
import io
import struct
import zipfile
import zlib

CONTENT = b'{"ok":true}'


def deflate(data):
    c = zlib.compressobj(6, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


class Entry:
    def __init__(self, name=b"config.json", data=CONTENT, method=8):
        self.name = name
        self.data = data
        self.method = method
        self.payload = deflate(data) if method == 8 else data
        self.crc = zlib.crc32(data)
        self.csize = len(self.payload)
        self.usize = len(data)
        self.flags = 0x0800
        self.local_method = None
        self.local_name_len = None
        self.local_sig = b"PK\x03\x04"
        self.offset_delta = 0
        self.name_len = None
        self.local_flags = None
        self.extra = b""
        self.version = 20
        self.after = b""  # written after the data: a data descriptor, or anything
        self.listed = True

    def descriptor(self, signature=True):
        self.flags |= 0x0008
        self.after = (b"PK\x07\x08" if signature else b"") + struct.pack("<III", self.crc, self.csize, self.usize)
        return self


def build(entries, count=None, cd_size_delta=0, cd_offset=None, comment=b"", disk=0):
    local = b""
    central = b""
    for e in entries:
        offset = len(local)
        lm = e.method if e.local_method is None else e.local_method
        lnl = len(e.name) if e.local_name_len is None else e.local_name_len
        lf = e.flags if e.local_flags is None else e.local_flags
        local += e.local_sig + struct.pack("<HHHHHIIIHH", e.version, lf, lm, 0, 0x21, e.crc, e.csize, e.usize, lnl, 0)
        local += e.name + e.payload + e.after
        if not e.listed:
            continue
        nl = len(e.name) if e.name_len is None else e.name_len
        central += b"PK\x01\x02" + struct.pack("<HHHHHHIIIHHHHHII", 20, e.version, e.flags, e.method, 0, 0x21, e.crc,
                                              e.csize, e.usize, nl, len(e.extra), 0, 0, 0, 0,
                                              (offset + e.offset_delta) & 0xFFFFFFFF)
        central += e.name + e.extra
    n = len([e for e in entries if e.listed]) if count is None else count
    off = len(local) if cd_offset is None else cd_offset
    end = b"PK\x05\x06" + struct.pack("<HHHHIIH", disk, disk, n, n, (len(central) + cd_size_delta) & 0xFFFFFFFF,
                                      off & 0xFFFFFFFF, len(comment))
    return local + central + end + comment


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)


def main():
    write("valid-deflated.zip", build([Entry(b"icons/a.png", b"\x89PNG" * 40), Entry()]))
    write("valid-stored.zip", build([Entry(method=0)], comment=b"trailing comment PK"))
    # Inflates to far more than its compressed size: the reader's output buffer has to grow.
    write("valid-deflated-large.zip", build([Entry(data=b'{"pad":"' + b"0123456789" * 30000 + b'"}')]))
    # Another writer: data descriptors (written to a stream), extra fields, comments and a nested
    # entry of the same base name first. The same archive with a false end signature inside its
    # comment is refused: a reader that takes that signature for the record sees no directory.
    class Stream(io.RawIOBase):
        def __init__(self):
            self.buf = bytearray()

        def writable(self):
            return True

        def write(self, b):
            self.buf += b
            return len(b)

    def other_writer(comment):
        s = Stream()
        with zipfile.ZipFile(s, "w") as z:
            for name, method, data in (("sub/config.json", zipfile.ZIP_DEFLATED, b"nested"),
                                       ("readme.txt", zipfile.ZIP_STORED, b"hello " * 100),
                                       ("config.json", zipfile.ZIP_DEFLATED, b'{"n":' + b"1" * 3000 + b"}")):
                info = zipfile.ZipInfo(name, (2024, 5, 6, 7, 8, 10))
                info.compress_type = method
                info.extra = b"\x55\x54\x05\x00\x01\x00\x00\x00\x00"
                info.comment = b"entry comment"
                z.writestr(info, data)
            z.comment = comment
        return bytes(s.buf)

    write("valid-descriptors-and-comments.zip", other_writer(b"archive comment PK with no record"))
    write("hostile-comment-false-signature.zip", other_writer(b"archive comment PK\x05\x06 with a false signature"))

    # A deflated entry exactly as long as its data: the method decides, not the sizes.
    for k in range(400):
        data = bytes((i * 131 + 17) % 256 for i in range(64)) + b"x" * k
        e = Entry(data=data)
        if e.csize == e.usize:
            write("valid-deflated-equal-sizes.zip", build([e]))
            break

    good = build([Entry()])
    write("hostile-truncated-half.zip", good[: len(good) // 2])
    write("hostile-truncated-end.zip", good[:-1])
    write("hostile-empty.zip", b"")
    write("hostile-end-record-only-short.zip", b"PK\x05\x06" + b"\0" * 17)
    write("hostile-dir-offset-past-end.zip", build([Entry()], cd_offset=0x7FFFFFF0))
    write("hostile-dir-offset-wraps.zip", build([Entry()], cd_offset=0xFFFFFFF0))
    write("hostile-dir-size-too-big.zip", build([Entry()], cd_size_delta=1000))
    write("hostile-dir-size-cuts-header.zip", build([Entry()], cd_size_delta=-10))
    write("hostile-count-lies-high.zip", build([Entry()], count=7))
    write("hostile-count-lies-zero.zip", build([Entry()], count=0))
    write("hostile-multi-disk.zip", build([Entry()], disk=1))

    e = Entry(); e.offset_delta = 0x10000000
    write("hostile-local-offset-past-end.zip", build([e]))
    e = Entry(); e.local_sig = b"PK\x03\x05"
    write("hostile-local-signature.zip", build([e]))
    e = Entry(); e.local_name_len = 0xFFFF
    write("hostile-local-name-past-end.zip", build([e]))
    e = Entry(); e.name_len = 0xFFFF
    write("hostile-central-name-past-end.zip", build([e]))
    e = Entry(); e.csize = 0x7FFFFFFF
    write("hostile-compressed-size-past-end.zip", build([e]))
    e = Entry(); e.csize = 0xFFFFFFFF; e.usize = 0xFFFFFFFF
    write("hostile-zip64-markers.zip", build([e]))
    e = Entry(); e.usize = 0xFFFFFFF0
    write("hostile-size-bomb.zip", build([e]))
    e = Entry(); e.usize = len(CONTENT) + 1
    write("hostile-size-too-big.zip", build([e]))
    e = Entry(); e.usize = len(CONTENT) - 1
    write("hostile-size-too-small.zip", build([e]))
    e = Entry(method=0); e.usize = len(CONTENT) + 5
    write("hostile-stored-sizes-differ.zip", build([e]))
    e = Entry(); e.method = 12
    write("hostile-method-bzip2.zip", build([e]))
    e = Entry(); e.method = 99
    write("hostile-method-aes.zip", build([e]))
    e = Entry(); e.local_method = 0
    write("hostile-methods-disagree.zip", build([e]))
    e = Entry(); e.flags |= 1
    write("hostile-encrypted.zip", build([e]))
    e = Entry(); e.crc ^= 0x1
    write("hostile-crc-mismatch.zip", build([e]))
    e = Entry(); e.payload = b"\xff" * e.csize
    write("hostile-corrupt-deflate.zip", build([e]))
    e = Entry(); e.payload = e.payload[:-3] + b"\0\0\0"
    write("hostile-truncated-deflate.zip", build([e]))
    e = Entry(method=0); e.csize = e.usize = len(CONTENT); e.method = 8
    e.payload = CONTENT  # stored bytes announced as deflated with equal sizes
    write("hostile-deflated-equal-sizes.zip", build([e]))

    # Read otherwise by other readers, streaming ones above all.
    write("valid-descriptor-no-signature.zip", build([Entry().descriptor(False), Entry(b"readme.txt", b"r", 0)]))
    e = Entry().descriptor()
    e.after = b""
    write("hostile-descriptor-missing.zip", build([e, Entry(b"readme.txt", b"r", 0)]))
    e = Entry().descriptor()
    e.after = e.after[:8]
    write("hostile-descriptor-short.zip", build([e]))
    e = Entry(data=b'{"hidden":true}')
    e.listed = False
    write("hostile-hidden-config.zip", build([e, Entry()]))
    e = Entry()
    e.extra = struct.pack("<HHBI", 0x7075, 5 + 10, 1, zlib.crc32(b"config.json")) + b"other.json"
    write("hostile-unicode-path.zip", build([e]))
    e = Entry("ünï.txt".encode(), b"cp437")
    e.flags = 0
    write("valid-name-not-marked-utf8.zip", build([Entry(), e]))  # read as UTF-8, as it is
    e = Entry()
    e.version = 51
    write("hostile-version-needed.zip", build([e]))
    e = Entry()
    e.extra = b"UT\x05\x00\x01"
    write("hostile-extra-malformed.zip", build([e]))
    e = Entry()
    e.local_flags = 0
    write("hostile-flags-differ.zip", build([e]))
    e = Entry()
    e.payload += b"tail"
    e.csize = len(e.payload)
    write("hostile-deflate-trailing.zip", build([e]))
    write("hostile-folder-data.zip", build([Entry(), Entry(b"icons/", b"folder bytes")]))


if __name__ == "__main__":
    main()
