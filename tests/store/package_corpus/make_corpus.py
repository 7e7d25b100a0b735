#!/usr/bin/env python3
"""Writes the plug-in package corpus replayed by tst_PluginPackage and used as the seeds of
fuzz_plugin_package.

valid-*.zip are packages that unpack, among them what ZIP tools make (Python's zipfile to a file
and to a stream, with data descriptors; Info-ZIP zip to a file and to a pipe, and bsdtar to a file
and to a pipe, each written only where its tool is installed, of one folder with accented and CJK
names); hostile-*.zip must each be refused whole, leaving nothing behind: path escapes
in every form, bombs by member size, total size, member count and folder count, ZIP64,
encryption, truncation, an end record hidden in a comment, duplicate and conflicting names, and
what other readers read otherwise (missing data descriptors, local headers the directory does
not name, Unicode Path extra fields, local flags that differ). Run it in
this folder. The folder fuzz/ is not written here: it holds the inputs a run of
fuzz_plugin_package kept (merged with -merge=1), replayed by the same test.
"""
import io
import os
import shutil
import struct
import subprocess
import tempfile
import zipfile
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
        self.local_flags = None
        self.local_name = None
        self.extra = b""
        self.local_extra = b""
        self.version = 20
        self.after = b""  # written after the data: a data descriptor, or anything
        self.listed = True

    def descriptor(self, signature=True):
        self.flags |= 0x0008
        self.after = (b"PK\x07\x08" if signature else b"") + struct.pack("<III", self.crc, self.csize, self.usize)
        return self


def build(entries, comment=b"", before_end=b"", count=None):
    local = b""
    central = b""
    for e in entries:
        offset = len(local)
        lname = e.name if e.local_name is None else e.local_name
        lflags = e.flags if e.local_flags is None else e.local_flags
        local += b"PK\x03\x04" + struct.pack("<HHHHHIIIHH", e.version, lflags, e.method, 0, 0x21, e.crc, e.csize,
                                            e.usize, len(lname), len(e.local_extra)) + lname + e.local_extra
        local += e.payload + e.after
        if not e.listed:
            continue
        central += b"PK\x01\x02" + struct.pack("<HHHHHHIIIHHHHHII", 20, e.version, e.flags, e.method, 0, 0x21, e.crc,
                                              e.csize, e.usize, len(e.name), len(e.extra), 0, 0, 0, 0,
                                              offset) + e.name + e.extra
    n = len([e for e in entries if e.listed]) if count is None else count
    end = b"PK\x05\x06" + struct.pack("<HHHHIIH", 0, 0, n, n, len(central), len(local), len(comment))
    return local + central + before_end + end + comment


def package(*extra):
    return [Entry("config.json", CONFIG), Entry("icons/", method=0), Entry("icons/one.png", PNG, method=0),
            Entry("icons/two.png", PNG * 3)] + list(extra)


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)


class Stream(io.RawIOBase):
    """A file that cannot seek: zipfile writes data descriptors to it."""

    def __init__(self):
        self.buf = bytearray()

    def writable(self):
        return True

    def write(self, b):
        self.buf += b
        return len(b)


def python_zip(stream):
    out = Stream() if stream else io.BytesIO()
    with zipfile.ZipFile(out, "w") as z:
        stamp = (2024, 5, 6, 7, 8, 10)
        deflated = zipfile.ZIP_DEFLATED
        z.writestr(zipfile.ZipInfo("config.json", stamp), CONFIG, deflated)
        z.writestr(zipfile.ZipInfo("icons/", stamp), b"", deflated)  # a deflated empty folder
        z.writestr(zipfile.ZipInfo("icons/one.png", stamp), PNG, zipfile.ZIP_STORED)
        z.writestr(zipfile.ZipInfo("icons/two.png", stamp), PNG * 3, deflated)
        z.writestr(zipfile.ZipInfo("ünï cödé.txt", stamp), b"utf-8", deflated)
        z.writestr(zipfile.ZipInfo("empty/", stamp), b"", zipfile.ZIP_STORED)
    return bytes(out.buf) if stream else out.getvalue()


# The folder the packers pack: Info-ZIP writes its UTF-8 names without the UTF-8 flag, bsdtar
# starts every name with "./" and pads what it writes to a pipe with zero bytes.
PACKED = (("config.json", CONFIG), ("a.png", b"a" * 177), ("icons/one.png", PNG), ("icons/caf\u00e9.png", PNG * 3),
          ("\u6587\u4ef6\u5939/\u56fe\u6807.png", PNG * 2))


def packed():
    """The folder through Info-ZIP zip and bsdtar, each to a file and to a pipe (data descriptors,
    padding): {file name: bytes} for the tools installed."""
    made = {}
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, "src")
        for path, data in PACKED:
            full = os.path.join(src, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "wb") as f:
                f.write(data)
        for root, dirs, files in os.walk(src):
            for name in dirs + files + ["."]:
                os.utime(os.path.join(root, name), (1715000000, 1715000000))
        env = dict(os.environ, TZ="UTC", LC_ALL="C.UTF-8")
        tools = {"infozip": ["zip", "-q", "-X", "-r"], "bsdtar": ["bsdtar", "--format", "zip", "-cf"]}
        for tool, command in tools.items():
            if shutil.which(command[0]) is None:
                continue
            to_file = os.path.join(tmp, tool + ".zip")
            subprocess.run(command + [to_file, "."], cwd=src, env=env, check=True)
            with open(to_file, "rb") as f:
                made["valid-%s.zip" % tool] = f.read()
            made["valid-%s-pipe.zip" % tool] = subprocess.run(command + ["-", "."], cwd=src, env=env, check=True,
                                                              stdout=subprocess.PIPE).stdout
    return made


def main():
    write("valid-package.zip", build(package()))
    write("valid-nested-and-comment.zip",
          build(package(Entry("res/deep/er/file.txt", b"deep " * 100), Entry("ünï cödé.txt", b"utf-8")),
                comment=b"an archive comment"))
    write("valid-empty-members.zip", build([Entry("config.json", CONFIG), Entry("empty.txt", b"", method=0),
                                            Entry("empty-deflated.txt", b"")]))

    # Sound archives that a store install still refuses: the configuration is an array, or missing.
    write("valid-python.zip", python_zip(False))
    write("valid-python-stream.zip", python_zip(True))
    for name, data in packed().items():
        write(name, data)
    write("valid-descriptors.zip", build([Entry("config.json", CONFIG).descriptor(False), Entry("icons/", method=0),
                                          Entry("icons/one.png", PNG, method=0).descriptor(),
                                          Entry("icons/two.png", PNG * 3).descriptor()]))

    write("valid-config-array.zip", build([Entry("config.json", b'[{"button":[]}]'), Entry("icons/one.png", PNG, 0)]))
    write("valid-no-config.zip", build([Entry("sub/config.json", CONFIG), Entry("icons/one.png", PNG, 0)]))

    slips = {
        "slip-dotdot": "../evil.txt",
        "slip-nested-dotdot": "icons/../../evil.txt",
        "slip-dotdot-end": "icons/..",
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

    # Read otherwise by other readers, streaming ones above all.
    e = Entry("late.txt", b"late " * 50).descriptor()
    e.after = b""
    write("hostile-descriptor-missing.zip", build(package(e, Entry("after.txt", b"after"))))
    e = Entry("late.txt", b"late " * 50).descriptor(False)
    e.after = e.after[:8]
    write("hostile-descriptor-short.zip", build(package(e, Entry("after.txt", b"after"))))
    e = Entry("config.json", b'{"name":"hidden"}')
    e.listed = False
    write("hostile-hidden-local-header.zip", build([Entry("icons/one.png", PNG, 0), e] + package()[:1]))
    e = Entry("plain.txt", b"evil")
    e.extra = struct.pack("<HHB", 0x7075, 5 + 11, 1) + struct.pack("<I", zlib.crc32(b"plain.txt")) + b"../evil.txt"
    write("hostile-unicode-path.zip", build(package(e)))
    # Read as other readers read them: a leading "./" dropped, a name not marked UTF-8 as UTF-8 when
    # it is, as code page 437 when not.
    e = Entry("ünï.txt", b"utf-8")
    e.flags = 0
    cp437 = Entry("caf\u00e9 cp437.txt".encode("cp437"), b"cp437")
    cp437.flags = 0
    write("valid-names-as-read.zip", build(package(e, cp437, Entry("./", method=0), Entry("./dot/config2.json"))))
    write("hostile-slip-dot-dotdot.zip", build(package(Entry("./../evil.txt", b"evil"))))
    write("hostile-slip-dot-dot.zip", build(package(Entry("././evil.txt", b"evil"))))
    e = Entry("needs.txt", b"more")
    e.version = 45
    write("hostile-version-needed.zip", build(package(e)))
    e = Entry("extra.txt", b"extra")
    e.extra = b"UT\x09\x00\x01"
    write("hostile-extra-malformed.zip", build(package(e)))
    e = Entry("flags.txt", b"flags")
    e.local_flags = 0
    write("hostile-flags-differ.zip", build(package(e)))
    e = Entry("tail.txt", b"tail " * 20)
    e.payload += b"after the end"
    e.csize = len(e.payload)
    write("hostile-deflate-trailing.zip", build(package(e)))
    write("hostile-folder-data.zip", build(package(Entry("more/", b"folder bytes"))))
    write("hostile-folder-deep.zip", build(package(Entry("a/" * 33))))
    write("hostile-bomb-folders.zip",
          build([Entry("config.json", CONFIG), Entry("x/f", method=0)] +
                [Entry("d%d/1/2/3/4/5/6/7/8/9/f" % i, method=0) for i in range(1000)]))


if __name__ == "__main__":
    main()
