#!/usr/bin/env python3
"""Dates a compiled help file at a given time, in place:

    date-help.py FILE.chm EPOCH

chmcmd stamps the file with the time of day it ran, twice: in the file's header and in the
#SYSTEM file's record 10. Both become EPOCH's time of day, in milliseconds as chmcmd writes them,
so that the same sources compile to the same bytes.
"""
import struct
import sys


def encoded_number(data, at):
    """A directory number: 7 bits a byte, most significant first, the top bit for 'more'."""
    value = 0
    while True:
        byte = data[at]
        at += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, at


def system_file(data):
    """Where #SYSTEM starts in the file, and its length; it is stored uncompressed."""
    if data[:4] != b"ITSF" or struct.unpack_from("<I", data, 4)[0] != 3:
        raise ValueError("not a version 3 compiled help file")
    directory = struct.unpack_from("<Q", data, 0x48)[0]
    content = struct.unpack_from("<Q", data, 0x58)[0]
    if data[directory:directory + 4] != b"ITSP":
        raise ValueError("no directory")
    header_length, _, chunk_size = struct.unpack_from("<III", data, directory + 8)
    chunks = struct.unpack_from("<I", data, directory + 0x2C)[0]
    for chunk in range(chunks):
        start = directory + header_length + chunk * chunk_size
        if data[start:start + 4] != b"PMGL":
            continue  # an index chunk
        end = start + chunk_size - struct.unpack_from("<I", data, start + 4)[0]
        at = start + 0x14
        while at < end:
            length, at = encoded_number(data, at)
            name = data[at:at + length]
            at += length
            section, at = encoded_number(data, at)
            offset, at = encoded_number(data, at)
            size, at = encoded_number(data, at)
            if name == b"/#SYSTEM":
                if section != 0:
                    raise ValueError("#SYSTEM is compressed")
                return content + offset, size
    raise ValueError("no #SYSTEM")


def main(path, epoch):
    stamp = int(epoch) % 86400 * 1000
    with open(path, "rb") as file:
        data = bytearray(file.read())
    struct.pack_into(">I", data, 0x10, stamp)
    start, size = system_file(data)
    at, end = start + 4, start + size  # after the version
    while at + 4 <= end:
        code, length = struct.unpack_from("<HH", data, at)
        if code == 10 and length == 4:
            struct.pack_into("<I", data, at + 4, stamp)
        at += 4 + length
    with open(path, "wb") as file:
        file.write(data)


if __name__ == "__main__":
    main(*sys.argv[1:])
