#!/usr/bin/env python3
"""Sends link messages to a jexremote from the shell and prints what comes back.

    python3 scripts/link_send.py ws://127.0.0.1:4711 TOKEN_FILE MESSAGE [MESSAGE ...] [--follow S]

Logs in with the first token of TOKEN_FILE (a token-file line, or a file
holding the token alone), prints the welcome, then sends each MESSAGE (a JSON
object with an "id") once the answer to the one before came, printing every
message received, answers and pushes alike, one per line. With --follow S it
goes on printing pushes for S seconds after the last answer. Exit 0 when every
message was answered, 1 otherwise. Python's standard library only.
"""
import argparse
import base64
import json
import os
import socket
import ssl
import struct
import sys
import time
from urllib.parse import urlparse

MAX_MESSAGE = 16 * 1024 * 1024


def first_token(path):
    with open(path, encoding="utf-8") as tokens:
        for line in tokens:
            fields = line.split()
            if fields and not fields[0].startswith("#"):
                return fields[0]
    sys.exit(f"{path}: no token in it")


def read_exactly(sock, count):
    data = b""
    while len(data) < count:
        chunk = sock.recv(count - len(data))
        if not chunk:
            raise ConnectionError("the remote side closed the connection")
        data += chunk
    return data


def send_frame(sock, opcode, payload):
    mask = os.urandom(4)
    head = bytes([0x80 | opcode])
    size = len(payload)
    if size < 126:
        head += bytes([0x80 | size])
    elif size < 65536:
        head += bytes([0x80 | 126]) + struct.pack("!H", size)
    else:
        head += bytes([0x80 | 127]) + struct.pack("!Q", size)
    sock.sendall(head + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(payload)))


def receive_text(sock):
    """The next text message; answers pings, ends on a close."""
    message = b""
    while True:
        first, second = read_exactly(sock, 2)
        size = second & 0x7F
        if size == 126:
            size = struct.unpack("!H", read_exactly(sock, 2))[0]
        elif size == 127:
            size = struct.unpack("!Q", read_exactly(sock, 8))[0]
        if size + len(message) > MAX_MESSAGE:
            raise ConnectionError("message too long")
        mask = read_exactly(sock, 4) if second & 0x80 else None
        payload = read_exactly(sock, size)
        if mask:
            payload = bytes(b ^ mask[i % 4] for i, b in enumerate(payload))
        opcode = first & 0x0F
        if opcode == 8:
            raise ConnectionError("the remote side closed the connection")
        if opcode == 9:
            send_frame(sock, 10, payload)
            continue
        if opcode in (0, 1):
            message += payload
            if first & 0x80:
                return message.decode("utf-8")


def connect(url):
    parts = urlparse(url)
    secure = parts.scheme == "wss"
    sock = socket.create_connection((parts.hostname, parts.port or (443 if secure else 80)), 10)
    if secure:
        sock = ssl.create_default_context().wrap_socket(sock, server_hostname=parts.hostname)
    key = base64.b64encode(os.urandom(16)).decode()
    sock.sendall(
        (f"GET {parts.path or '/'} HTTP/1.1\r\nHost: {parts.netloc}\r\nUpgrade: websocket\r\n"
         f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n\r\n"
         ).encode())
    head = b""
    while b"\r\n\r\n" not in head:
        head += read_exactly(sock, 1)
        if len(head) > 8192:
            raise ConnectionError("no WebSocket handshake")
    if b" 101 " not in head.split(b"\r\n", 1)[0]:
        raise ConnectionError(head.split(b"\r\n", 1)[0].decode(errors="replace"))
    return sock


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("url")
    parser.add_argument("token_file")
    parser.add_argument("messages", nargs="+")
    parser.add_argument("--follow", type=float, default=0, metavar="S")
    parser.add_argument("--wait", type=float, default=60, metavar="S",
                        help="how long to wait for each answer (default 60)")
    options = parser.parse_args()
    try:
        sock = connect(options.url)
        send_frame(sock, 1, json.dumps({"token": first_token(options.token_file)}).encode())
        print(receive_text(sock), flush=True)
        for text in options.messages:
            wanted = json.loads(text).get("id")
            send_frame(sock, 1, text.encode())
            sock.settimeout(options.wait)
            while True:
                received = receive_text(sock)
                print(received, flush=True)
                if json.loads(received).get("id") == wanted:
                    break
        end = time.monotonic() + options.follow
        while time.monotonic() < end:
            sock.settimeout(max(0.01, end - time.monotonic()))
            try:
                print(receive_text(sock), flush=True)
            except socket.timeout:
                break
    except (OSError, ConnectionError, ValueError) as error:
        sys.exit(f"link_send: {error}")


if __name__ == "__main__":
    main()
