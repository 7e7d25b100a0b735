#!/usr/bin/env python3
"""Writes the plug-in package corpus replayed by tst_PluginPackage and used as the seeds of
fuzz_plugin_package.

valid-*.zip are packages that unpack; hostile-*.zip must each be refused whole, leaving
nothing behind: path escapes in every form, bombs by member size, total size and member
count, ZIP64, encryption, truncation, an end record hidden in a comment, duplicate and
conflicting names. Run it in this folder. The folder fuzz/ is not written here: it holds the
inputs a run of fuzz_plugin_package kept (merged with -merge=1), replayed by the same test.
"""
import struct
import zlib

CONFIG = b'{"name":"Corpus","button":[{"name":"One","icon":"file://icons/one.png","param":{"output":5}}]}'
PNG = b"\x89PNG\r\n\x1a\n" + bytes(range(256)) * 4


def deflate(data):
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


class Entry:
    def __init__(self, name, data=b"", method=8):
        self.name = name if isinstance(name, bytes) else name.encode()
        self.data = data
        self.method = method
        self.payload = deflate(data) if method == 8 else data
        self.crc = zlib.crc32(data)
        self.csize = len(self.payload)
        self.usize = len(data)
        self.flags = 0x0800
        self.local_name = None
        self.extra = b""


def build(entries, comment=b"", before_end=b"", count=None):
    local = b""
    central = b""
    for e in entries:
        offset = len(local)
        lname = e.name if e.local_name is None else e.local_name
        local += b"PK\x03\x04" + struct.pack("<HHHHHIIIHH", 20, e.flags, e.method, 0, 0x21, e.crc, e.csize, e.usize,
                                            len(lname), 0) + lname + e.payload
        central += b"PK\x01\x02" + struct.pack("<HHHHHHIIIHHHHHII", 20, 20, e.flags, e.method, 0, 0x21, e.crc,
                                              e.csize, e.usize, len(e.name), len(e.extra), 0, 0, 0, 0,
                                              offset) + e.name + e.extra
    n = len(entries) if count is None else count
    end = b"PK\x05\x06" + struct.pack("<HHHHIIH", 0, 0, n, n, len(central), len(local), len(comment))
    return local + central + before_end + end + comment


def package(*extra):
    return [Entry("config.json", CONFIG), Entry("icons/", method=0), Entry("icons/one.png", PNG, method=0),
            Entry("icons/two.png", PNG * 3)] + list(extra)


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)


def main():
    write("valid-package.zip", build(package()))
    write("valid-nested-and-comment.zip",
          build(package(Entry("res/deep/er/file.txt", b"deep " * 100), Entry("ünï cödé.txt", b"utf-8")),
                comment=b"an archive comment"))
    write("valid-empty-members.zip", build([Entry("config.json", CONFIG), Entry("empty.txt", b"", method=0),
                                            Entry("empty-deflated.txt", b"")]))

    # Sound archives that a store install still refuses: the configuration is an array, or missing.
    write("valid-config-array.zip", build([Entry("config.json", b'[{"button":[]}]'), Entry("icons/one.png", PNG, 0)]))
    write("valid-no-config.zip", build([Entry("sub/config.json", CONFIG), Entry("icons/one.png", PNG, 0)]))

    slips = {
        "slip-dotdot": "../evil.txt",
        "slip-nested-dotdot": "icons/../../evil.txt",
        "slip-dotdot-end": "icons/..",
        "slip-dot": "./config2.json",
        "slip-absolute": "/tmp/orvel-evil.txt",
        "slip-backslash-root": "\\evil.txt",
        "slip-backslash": "..\\evil.txt",
        "slip-backslash-inner": "icons\\evil.txt",
        "slip-drive": "C:/evil.txt",
        "slip-drive-relative": "C:evil.txt",
        "slip-colon": "icons/a:b.txt",
        "slip-empty-segment": "icons//evil.txt",
        "slip-dir-dotdot": "../",
        "slip-only-slash": "/",
    }
    for file, name in slips.items():
        write("hostile-%s.zip" % file, build(package(Entry(name, b"evil"))))
    write("hostile-slip-empty-name.zip", build(package(Entry(b"", b"evil"))))
    write("hostile-slip-nul.zip", build(package(Entry(b"evil\x00.txt", b"evil"))))
    write("hostile-slip-control.zip", build(package(Entry(b"evil\n.txt", b"evil"))))
    write("hostile-slip-invalid-utf8.zip", build(package(Entry(b"\xc0\xaf\xc0\xafevil.txt", b"evil"))))
    # The local header names another path than the directory.
    e = Entry("plain.txt", b"evil")
    e.local_name = b"../evil.tx"
    write("hostile-slip-local-name.zip", build(package(e)))

    # Bombs: real deflate streams, announced truthfully, over each limit.
    write("hostile-bomb-member.zip", build(package(Entry("big.bin", bytes(64 * 1024 * 1024 + 1)))))
    big = bytes(60 * 1024 * 1024)
    write("hostile-bomb-total.zip", build(package(*[Entry("big%d.bin" % i, big) for i in range(5)])))
    write("hostile-bomb-count.zip", build([Entry("f%d" % i, b"", method=0) for i in range(10001)]))
    # A lying size: tiny data announced as just over the member limit.
    e = Entry("liar.bin", b"x" * 100)
    e.usize = 64 * 1024 * 1024 + 1
    write("hostile-bomb-announced.zip", build(package(e)))

    e = Entry("zip64.bin", b"data")
    e.csize = e.usize = 0xFFFFFFFF
    write("hostile-zip64-sizes.zip", build(package(e)))
    e = Entry("zip64.bin", b"data")
    e.extra = struct.pack("<HHQ", 1, 8, 4)
    write("hostile-zip64-extra.zip", build(package(e)))
    write("hostile-zip64-locator.zip", build(package(), before_end=b"PK\x06\x07" + struct.pack("<IQI", 0, 0, 1)))

    e = Entry("secret.txt", b"secret")
    e.flags |= 1
    write("hostile-encrypted.zip", build(package(e)))
    e = Entry("secret.txt", b"secret")
    e.method = 99
    e.extra = struct.pack("<HHHHBH", 0x9901, 7, 2, 0x4541, 3, 8)
    write("hostile-encrypted-aes.zip", build(package(e)))
    e = Entry("other.bin", b"data")
    e.method = 12
    write("hostile-method-bzip2.zip", build(package(e)))

    good = build(package())
    write("hostile-truncated-half.zip", good[: len(good) // 2])
    write("hostile-truncated-end.zip", good[:-1])
    write("hostile-trailing-bytes.zip", good + b"trailing")
    # The archive's comment holds a whole end record of its own, ending the file as well and
    # pointing at a directory that escapes: two readers could pick different directories.
    evil_local = b"PK\x03\x04" + struct.pack("<HHHHHIIIHH", 20, 0, 0, 0, 0x21, zlib.crc32(b"evil"), 4, 4, 11, 0)
    evil_local += b"../evil.txt" + b"evil"
    honest = build(package())
    base = len(honest) - 22  # where the honest end record starts
    # The comment: the escaping member, its directory entry, then an end record for them.
    comment_start = base + 22
    evil_central = b"PK\x01\x02" + struct.pack("<HHHHHHIIIHHHHHII", 20, 20, 0, 0, 0, 0x21, zlib.crc32(b"evil"), 4, 4,
                                               11, 0, 0, 0, 0, 0, comment_start) + b"../evil.txt"
    inner = evil_local + evil_central
    inner_end = b"PK\x05\x06" + struct.pack("<HHHHIIH", 0, 0, 1, 1, len(evil_central), comment_start + len(evil_local), 0)
    comment = inner + inner_end
    write("hostile-comment-hides-end.zip", build(package(), comment=comment))

    write("hostile-comment-false-signature.zip", build(package(), comment=b"PK\x05\x06 a record start in a comment"))
    write("hostile-duplicate-names.zip", build(package(Entry("config.json", b'{"name":"second"}'))))
    write("hostile-duplicate-dir-and-file.zip", build(package(Entry("icons", b"file where a folder is"))))
    write("hostile-file-as-folder.zip", build([Entry("config.json", CONFIG), Entry("a", b"file"),
                                              Entry("a/b.txt", b"under a file")]))
    # Written part-way before the damage shows: the unpack must take it all back.
    e = Entry("zz-damaged.bin", b"payload " * 100)
    e.crc ^= 1
    write("hostile-crc-late.zip", build(package(e)))
    e = Entry("zz-corrupt.bin", b"payload " * 100)
    e.payload = b"\xff" * e.csize
    write("hostile-deflate-late.zip", build(package(e)))
    write("hostile-count-lies.zip", build(package(), count=9))


if __name__ == "__main__":
    main()
