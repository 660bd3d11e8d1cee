#!/usr/bin/env python3
"""make_zip.py OUT.zip FOLDER EPOCH_FILE NAME...

Zips FOLDER/NAME... at the top level of OUT.zip, in the order given, with no extra fields and
no Unix attributes, so that the bytes depend only on the files and their times. The times are
the seconds since 1970 in EPOCH_FILE (written by SourceDate.cmake: SOURCE_DATE_EPOCH or the last
commit's time) when it holds any, else the files' own."""
import os
import sys
import time
import zipfile

out, folder, epoch_file, names = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
with open(epoch_file) as f:
    epoch = f.read().strip()
tmp = out + ".tmp"
with zipfile.ZipFile(tmp, "w") as archive:
    for name in names:
        path = os.path.join(folder, name)
        stamp = time.gmtime(int(epoch)) if epoch else time.localtime(os.path.getmtime(path))
        info = zipfile.ZipInfo(name, date_time=stamp[:6])
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 0  # MS-DOS
        with open(path, "rb") as f:
            archive.writestr(info, f.read(), compresslevel=9)
os.replace(tmp, out)
