#!/usr/bin/env python3
"""A scripted SNTP server for the interop tests: answers each request on
ADDRESS:123 with the next reply kind of its list ("RATE", "DENY", "RSTR" a
kiss; "TIME" a stratum-1 time), echoing the request's transmit time, and
writes each request's arrival (monotonic seconds) and the answer to LOG."""
import socket
import struct
import sys
import time

address, log_path, kinds = sys.argv[1], sys.argv[2], sys.argv[3:]
NTP_EPOCH = 2208988800


def ntp_now():
    t = time.time() + NTP_EPOCH
    return struct.pack(">II", int(t), int((t % 1) * 2**32))


sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
sock.bind((address, 123))
with open(log_path, "a", buffering=1) as log:
    log.write("ready\n")
    n = 0
    while True:
        data, peer = sock.recvfrom(512)
        if len(data) < 48 or data[0] & 7 != 3:
            log.write("other %s\n" % data[:16])
            continue
        received = ntp_now()
        kind = kinds[n] if n < len(kinds) else kinds[-1]
        n += 1
        reply = bytearray(48)
        if kind == "TIME":
            reply[0], reply[1] = (0 << 6) | (4 << 3) | 4, 1
            reply[12:16] = b"GPS\0"
        else:
            reply[0], reply[1] = (3 << 6) | (4 << 3) | 4, 0
            reply[12:16] = kind.encode()
        reply[24:32] = data[40:48]
        reply[32:40] = received
        reply[40:48] = ntp_now()
        sock.sendto(bytes(reply), peer)
        log.write("request %.3f %s port %d\n" % (time.monotonic(), kind, peer[1]))
