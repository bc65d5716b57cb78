"""Makes a benchmark's fixture tree: TOPS top folders of SUBS folders with
FILES files each, named topNN/subNNN/fileN.dat. With `sized`, each file has a
size of its own below 64 KiB (sparse); otherwise every file is empty.

    python3 bench/make_tree.py BASE TOPS SUBS FILES [sized]
"""
import os
import sys

base, tops, subs, files = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
sized = len(sys.argv) > 5 and sys.argv[5] == "sized"
top_width, sub_width = len(str(tops)), len(str(subs))
for t in range(tops):
    for s in range(subs):
        folder = os.path.join(base, f"top{t:0{top_width}d}", f"sub{s:0{sub_width}d}")
        os.makedirs(folder)
        for f in range(files):
            with open(os.path.join(folder, f"file{f}.dat"), "wb") as out:
                if sized:
                    out.truncate((t * 7919 + s * 104729 + f * 31) % 65536)
