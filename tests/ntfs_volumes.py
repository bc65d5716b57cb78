"""NTFS volumes for the tests and the benchmark: image files formatted with
mkntfs, filled through an ntfs-3g mount, then mounted again read-only so that
the raw read of the image and the walk of the mount see one unchanging volume.
The images are made once and kept until this script changes; mounting and
unmounting happen on every run. Needs root (FUSE) and Debian's ntfs-3g.

    ntfs_volumes.py mount DIR       the test volumes under DIR (made once)
    ntfs_volumes.py unmount DIR     every volume mounted under DIR
    ntfs_volumes.py bench DIR TREE_ARGS...
                                    DIR/bench.img holding bench/make_tree.py's
                                    tree for TREE_ARGS in its root (made once),
                                    mounted at DIR/bench

The test volumes, each IMG mounted at DIR/NAME:
    full      every case the MFT search must list as the walk does: Unicode and
              200-character names, names equal but for case, 100-deep nesting, a
              folder of 5,000 files, hard links (one file with so many long names
              that it needs an attribute list), a heavily fragmented file, sparse
              and compressed files, alternate data streams, symbolic links to
              folders and files, deleted files, and an MFT grown in so many
              fragments that record 0 holds an attribute list.
              full.winewalk says where Wine's walk of the mount lists a link
              other than Windows lists it: "size<TAB>FOLDER<TAB>BYTES" for a
              symbolic link to a file in FOLDER (Wine counts the target's
              size, Windows the link's 0 bytes), "date<TAB>LINK<TAB>TEXT" for
              a symbolic link to a folder (Wine shows the target's last-write
              time, Windows the link's own, TEXT as the program shows it).
    small     a few folders; its damaged copies small-boot.img (boot sector),
              small-record0.img (MFT record 0) and small-records.img (some file
              records, their number in small-records.skipped) are not mounted:
              a drive shows them raw beside small's mount.
"""
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import time

SCRIPT = os.path.abspath(__file__)
ROOT = os.path.dirname(os.path.dirname(SCRIPT))


def run(*args):
    """Runs a command quietly; its own messages are shown only when it fails."""
    done = subprocess.run(args, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if done.returncode != 0:
        sys.stderr.write(done.stderr)
        raise SystemExit("ntfs_volumes: %s failed (%d)" % (" ".join(args), done.returncode))


def is_mounted(folder):
    folder = os.path.realpath(folder)
    with open("/proc/mounts") as mounts:
        return any(line.split()[1] == folder for line in mounts)


def unmount(folder):
    for _ in range(50):
        if not is_mounted(folder):
            return
        if subprocess.run(["umount", folder], stderr=subprocess.DEVNULL).returncode != 0:
            time.sleep(0.2)
    subprocess.run(["umount", "-l", folder])


def mount(image, folder, read_only):
    unmount(folder)
    os.makedirs(folder, exist_ok=True)
    options = "ro" if read_only else "streams_interface=windows"
    run("ntfs-3g", "-o", options, image, folder)


def make_image(image, megabytes, fill):
    """Formats IMG, fills it through a writable mount, and unmounts it; what
    `fill` returns."""
    if os.path.exists(image):
        os.remove(image)
    with open(image, "wb") as out:
        out.truncate(megabytes << 20)
    run("mkntfs", "-F", "-f", "-q", image)
    work = image + ".fill"
    mount(image, work, read_only=False)
    try:
        return fill(work)
    finally:
        unmount(work)
        os.rmdir(work)


# --- contents ------------------------------------------------------------

def write(path, size, byte=b"h"):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(byte * size)


def symlink_data(target):
    """A Windows symbolic link's reparse data, relative target."""
    name = target.encode("utf-16-le")
    body = struct.pack("<HHHHI", 0, len(name), len(name), len(name), 1) + name + name
    return struct.pack("<IHH", 0xA000000C, len(body), 0) + body


def windows_symlink(path, target, folder):
    # ln -s would make an Interix link (a system file); Windows makes a reparse point.
    if folder:
        os.mkdir(path)
    else:
        open(path, "wb").close()
    os.setxattr(path, "system.ntfs_reparse_data", symlink_data(target))


def stamp(path, year, month, day):
    when = time.mktime((year, month, day, 13, 14, 15, 0, 0, -1))
    os.utime(path, (when, when))


def fill_full(m):
    # Names: outside Latin-1, beyond the basic plane, equal but for case, long.
    for name in ["naïve-文件", "Ωμέγα", "עברית", "emoji-😀", "Readme", "README", "_under", "ä", "Ä", "z", "B", "a"]:
        write(os.path.join(m, "names", name, "f.bin"), 17 * len(name))
    long_name = "long-" + "x" * 195
    write(os.path.join(m, "names", long_name, "y" * 200), 2000)

    deep = os.path.join(m, "deep")
    for level in range(100):
        deep = os.path.join(deep, "d%02d" % level)
    write(os.path.join(deep, "bottom.bin"), 999)

    # Hard links: two names in one folder, one in another; one file with so
    # many long names that its record needs an attribute list.
    write(os.path.join(m, "links", "file.bin"), 1234)
    os.makedirs(os.path.join(m, "links", "other"))
    os.link(os.path.join(m, "links", "file.bin"), os.path.join(m, "links", "same-folder.bin"))
    os.link(os.path.join(m, "links", "file.bin"), os.path.join(m, "links", "other", "file.bin"))
    write(os.path.join(m, "links", "many", "base.bin"), 4321)
    for i in range(12):
        os.link(os.path.join(m, "links", "many", "base.bin"),
                os.path.join(m, "links", "many" if i % 2 else "other", "%02d-" % i + "n" * 190))

    os.makedirs(os.path.join(m, "sparse"))
    with open(os.path.join(m, "sparse", "huge.bin"), "wb") as out:
        out.truncate(5 << 30)
    with open(os.path.join(m, "sparse", "holes.bin"), "wb") as out:
        out.seek(3 << 20)
        out.write(b"end")

    packed = os.path.join(m, "packed")
    os.makedirs(packed)
    os.setxattr(packed, "system.ntfs_attrib_be", (0x800).to_bytes(4, "big"))
    write(os.path.join(packed, "text.txt"), 300000, b"z")
    write(os.path.join(packed, "inner", "more.txt"), 70000, b"q")

    write(os.path.join(m, "streams", "host.txt"), 10)
    write(os.path.join(m, "streams", "host.txt:extra"), 50000)
    os.mkdir(os.path.join(m, "streams", "folder"))
    write(os.path.join(m, "streams", "folder:hidden"), 7000)

    os.makedirs(os.path.join(m, "reparse"))
    windows_symlink(os.path.join(m, "reparse", "to-folder"), "..\\names", folder=True)
    windows_symlink(os.path.join(m, "reparse", "to-file"), "..\\links\\file.bin", folder=False)

    gone = os.path.join(m, "gone")
    for i in range(30):
        write(os.path.join(gone, "old", "f%02d.bin" % i), 5000)
        write(os.path.join(gone, "f%02d.bin" % i), 100 + i)
    shutil.rmtree(os.path.join(gone, "old"))
    for i in range(0, 30, 2):
        os.remove(os.path.join(gone, "f%02d.bin" % i))

    # The MFT grows into scattered holes: fill the volume, free every other
    # filler file, then make many records.
    filler = os.path.join(m, "filler")
    os.makedirs(filler)
    names = {16: [], 1: []}
    for clusters, keep_free in [(16, 12 << 20), (1, 2 << 20)]:
        while True:
            stat = os.statvfs(m)
            if stat.f_bavail * stat.f_frsize < keep_free:
                break
            name = os.path.join(filler, "%d-%05d.bin" % (clusters, len(names[clusters])))
            write(name, clusters << 12)
            names[clusters].append(name)
    # A file written into a quarter of the one-cluster holes is in hundreds
    # of fragments: its runs need extension records and an attribute list.
    for name in names[1][::2]:
        os.remove(name)
    write(os.path.join(m, "frag", "scattered.bin"), (len(names[1]) // 8 << 12) - 3000, b"s")
    # Empty files take the MFT's spare records, then grow it into the other
    # holes, four records to a hole: its own runs no longer fit in record 0,
    # which then holds an attribute list.
    for i in range(4000):
        write(os.path.join(m, "grown", "e%04d" % i), 0)
    for name in names[16][::2]:
        os.remove(name)
    many = os.path.join(m, "many")
    os.makedirs(many)
    for i in range(5000):
        write(os.path.join(many, "file%04d.txt" % i), (i * 37) % 1500)

    for folder, year in [("names", 1999), ("deep", 2004), ("links", 2010), ("many", 2021),
                         (os.path.join("names", "Ä"), 2001), (os.path.join("links", "other"), 2015)]:
        stamp(os.path.join(m, folder), year, 3, 7)

    linked = time.gmtime(os.lstat(os.path.join(m, "reparse", "to-folder")).st_mtime)
    return ["size\treparse\t1234",
            "date\treparse\\to-folder\t%d/%02d/%04d %02d:%02d:%02d" % (
                linked.tm_mon, linked.tm_mday, linked.tm_year, linked.tm_hour, linked.tm_min, linked.tm_sec)]


def fill_small(m):
    for top in ["alpha", "beta", "gamma", "delta"]:
        for sub in range(8):
            for f in range(4):
                write(os.path.join(m, top, "s%d" % sub, "f%d.bin" % f), 100 * sub + f)


def mft_record(image, number):
    """Byte offset and size of an MFT record of a freshly made volume (its MFT
    is one extent at the start)."""
    with open(image, "rb") as f:
        boot = f.read(512)
    sector = struct.unpack_from("<H", boot, 0x0B)[0]
    cluster = sector * boot[0x0D]
    mft = struct.unpack_from("<Q", boot, 0x30)[0] * cluster
    raw = struct.unpack_from("<b", boot, 0x40)[0]
    size = raw * cluster if raw > 0 else 1 << -raw
    return mft + number * size, size


def record_attribute_types(image, number):
    """The attribute types of an MFT record of a freshly made volume, in order."""
    offset, size = mft_record(image, number)
    with open(image, "rb") as f:
        f.seek(offset)
        record = bytearray(f.read(size))
    fixups, count = struct.unpack_from("<HH", record, 4)
    for sector in range(1, count):
        record[sector * 512 - 2:sector * 512] = record[fixups + 2 * sector:fixups + 2 * sector + 2]
    types, at = [], struct.unpack_from("<H", record, 0x14)[0]
    while at + 8 <= size:
        kind, length = struct.unpack_from("<II", record, at)
        if kind == 0xFFFFFFFF or length == 0:
            break
        types.append(kind)
        at += length
    return types


def damaged_copies(directory):
    small = os.path.join(directory, "small.img")

    def copy(name, patch):
        target = os.path.join(directory, name)
        shutil.copyfile(small, target)
        with open(target, "r+b") as f:
            patch(f)

    def boot(f):
        f.seek(3)
        f.write(b"XXXX    ")

    def record0(f):
        offset, _ = mft_record(small, 0)
        f.seek(offset)
        f.write(b"BAAD")

    skipped = 0

    def records(f):
        nonlocal skipped
        # In-use file records past the system files: break their update
        # sequence (the last two bytes of the first sector).
        for number in range(64, 200, 7):
            offset, _ = mft_record(small, number)
            f.seek(offset)
            header = f.read(0x18)
            if header[:4] != b"FILE" or not header[0x16] & 1:
                continue
            f.seek(offset + 510)
            f.write(b"\xde\xad")
            skipped += 1
            if skipped == 3:
                break

    copy("small-boot.img", boot)
    copy("small-record0.img", record0)
    copy("small-records.img", records)
    if skipped == 0:
        raise SystemExit("ntfs_volumes: no record of small.img could be damaged")
    with open(os.path.join(directory, "small-records.skipped"), "w") as out:
        out.write("%d\n" % skipped)


def file_hash(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def make_test_volumes(directory):
    marker = os.path.join(directory, ".made")
    wanted = file_hash(SCRIPT)
    if os.path.exists(marker) and open(marker).read() == wanted:
        return
    start_afresh(directory, TEST_FILES)
    print("ntfs_volumes: making the NTFS test volumes (once)", file=sys.stderr)
    wine_walk = make_image(os.path.join(directory, "full.img"), 128, fill_full)
    with open(os.path.join(directory, "full.winewalk"), "w") as out:
        out.write("\n".join(wine_walk) + "\n")
    if 0x20 not in record_attribute_types(os.path.join(directory, "full.img"), 0):
        raise SystemExit("ntfs_volumes: the MFT of full.img fits in its first record: no attribute list to read")
    make_image(os.path.join(directory, "small.img"), 8, fill_small)
    damaged_copies(directory)
    with open(marker, "w") as out:
        out.write(wanted)


# What this script makes in its folder; nothing else there is touched.
TEST_FILES = [".made", "full.img", "full.winewalk", "small.img", "small-boot.img", "small-record0.img",
              "small-records.img", "small-records.skipped"]
BENCH_FILES = [".made", "bench.img"]


def start_afresh(directory, files):
    unmount_all(directory)
    os.makedirs(directory, exist_ok=True)
    for name in files:
        path = os.path.join(directory, name)
        if os.path.exists(path):
            os.remove(path)


def unmount_all(directory):
    """Unmounts the volumes this script mounts in its folder, and no other."""
    for name in ["full", "small", "bench"]:
        for folder in [name, name + ".img.fill"]:
            path = os.path.join(directory, folder)
            if os.path.isdir(path):
                unmount(path)


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    command, directory = sys.argv[1], os.path.abspath(sys.argv[2])
    if command == "mount":
        make_test_volumes(directory)
        for name in ["full", "small"]:
            mount(os.path.join(directory, name + ".img"), os.path.join(directory, name), read_only=True)
    elif command == "unmount":
        unmount_all(directory)
    elif command == "bench":
        image, folder = os.path.join(directory, "bench.img"), os.path.join(directory, "bench")
        marker = os.path.join(directory, ".made")
        tree = os.path.join(ROOT, "bench", "make_tree.py")
        wanted = file_hash(tree) + " " + " ".join(sys.argv[3:])
        if not (os.path.exists(marker) and open(marker).read() == wanted):
            start_afresh(directory, BENCH_FILES)
            print("ntfs_volumes: making the benchmark's NTFS volume (once)", file=sys.stderr)
            make_image(image, 2048, lambda m: run(sys.executable, tree, m, *sys.argv[3:]))
            with open(marker, "w") as out:
                out.write(wanted)
        mount(image, folder, read_only=True)
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main()
