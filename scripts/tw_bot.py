#!/usr/bin/env python3
"""Joins a local Teeworlds 0.7 server as named players, for tests and pictures.

    python3 scripts/tw_bot.py --port PORT --name NAME [--name NAME2 ...] [--clan TEXT] [--seconds N]
    python3 scripts/tw_bot.py --port PORT --check

Each NAME joins 127.0.0.1:PORT as a player; once the server's own query lists
it, the line `joined NAME` is printed (wait for it). The players stay until
SIGTERM/SIGINT or N seconds, then leave with a disconnect; exit 0. Any failure
(no answer within 10 s, refused with the server's reason, dropped later) ends
every player and exits 1 with the reason on standard error. Names must differ
(the server renames twins) and be 1-15 bytes with no blank at either end; the
server's default lets at most 4 clients in from one address
(sv_max_clients_per_ip). A server with a join password takes it from the
environment variable TW_BOT_PASSWORD (never from the command line, which every
local user can read); a wrong or missing one is refused with the reason.

--check starts nothing: it asks the query of PORT once and prints one JSON line
per client: {"name", "clan", "country", "score", "flag"}; exit 1 if no answer.
While the map changes the server lists every client as "(connecting)", flag 1,
and sets it back to connecting: the players notice through the query and enter
again.

What the server does on the wire (0.7.5, seen with this script):
- Every packet starts with 7 bytes: flags<<2 | ack>>8, ack & 0xff, chunk count,
  then the receiver's 4-byte token. Flags: 1 control, 4 compressed (the server
  Huffman-compresses most packets), 8 connectionless (first byte 0x21, with the
  version 1 in the low bits).
- Join: control TOKEN (05 + our token, padded to 512 bytes after the header,
  header token ffffffff) -> 05 + server token; CONNECT (01 + our token, padded)
  -> CONNECTACCEPT (02); we answer ACCEPT (03). From then on the header token
  is the server's token. CLOSE (04) carries the reason text.
- Chunks: 2 header bytes (flags<<6 | size>>6, size & 0x3f), a vital chunk adds
  the sequence (bits 8-9 in the top of the second byte, low 8 bits in a third).
  Flag 1 = vital, 2 = resent. A message starts with the packed id*2+1 (system)
  or id*2 (game). We send INFO (1: version "0.7 802f1be60a05665f", password,
  client version 0x0705), READY (18), the game's STARTINFO (27: name, clan,
  country, six skin part names, six use-colour flags, six colours), ENTERGAME
  (19), then INPUT (20: acked tick, tick, 40, ten numbers) each second with a
  changed aim, else the server kicks an idle player after sv_inactivekick_time.
- Acks: our header ack must lie between the last ack the server took and the
  last sequence it sent, or it drops the whole packet (keep-alives too); a
  vital chunk of its own not acked within 10 s drops the client. Compressed
  packets cannot be read without the game's table, so their vital chunks are
  found by trial: a packet with the ack one higher and an empty vital chunk of
  ours; the server acking that chunk means it took the ack (it ignores empty
  chunks). It sends a packet every 10 ticks (0.2 s) to a client that acks no
  snapshot, which is how long an answer takes.
- Query: TOKEN as above, then 21 + server token + our token + ffffffff "gie3" +
  packed request number. The answer 21 + our token + server token + ffffffff
  "inf3", the packed request number, texts version, name, host name, map, game
  type, packed flags (1 = password), skill, players, player slots, clients,
  max clients, then per client: text name, text clan, packed country (-1 none),
  packed score, packed flag (0 playing, 1 spectator or still connecting).
  "players" counts the playing ones, "clients" all. The answer is one datagram
  of at most 1400 bytes: one that would be longer (46 clients with 15-byte
  names and 11-byte clans) is not sent at all.
Python's standard library only.
"""
import argparse
import json
import os
import select
import signal
import socket
import struct
import sys
import time

NET_VERSION = b"0.7 802f1be60a05665f"
CLIENT_VERSION = 0x0705
ANSWER_SECONDS = 10.0
PADDED = 519
SEQ = 1024
CONTROL, COMPRESSED = 1, 4
KEEPALIVE, CONNECT, CONNECTACCEPT, ACCEPT, CLOSE, TOKEN = 0, 1, 2, 3, 4, 5
SYS_INFO, SYS_READY, SYS_ENTERGAME, SYS_INPUT = 1, 18, 19, 20
GAME_STARTINFO = 27
SKIN_PARTS = [b"standard", b"", b"", b"standard", b"standard", b"standard"]
NO_TOKEN = 0xFFFFFFFF


class Failed(Exception):
    """Ends every player; the text is the reason shown."""


def packed(value):
    rest = ~value & 0xFFFFFFFF if value < 0 else value
    out = bytearray([(0x40 if value < 0 else 0) | (rest & 0x3F)])
    rest >>= 6
    while rest:
        out[-1] |= 0x80
        out.append(rest & 0x7F)
        rest >>= 7
    return bytes(out)


def text(value):
    return value + b"\0"


class Reader:
    """Reads packed numbers and texts, never past the end."""

    def __init__(self, data, at):
        self.data, self.at = data, at

    def number(self):
        if self.at >= len(self.data):
            raise ValueError("short")
        first = self.data[self.at]
        self.at += 1
        value, shift, more = first & 0x3F, 6, first & 0x80
        while more:
            if self.at >= len(self.data) or shift > 27:
                raise ValueError("bad number")
            value |= (self.data[self.at] & 0x7F) << shift
            more = self.data[self.at] & 0x80
            self.at += 1
            shift += 7
        return ~value if first & 0x40 else value

    def text(self):
        end = self.data.find(b"\0", self.at)
        if end < 0 or end - self.at > 256:
            raise ValueError("bad text")
        out = self.data[self.at : end].decode("utf-8", "replace")
        self.at = end + 1
        return out


def header(flags, ack, chunks, token):
    return bytes([flags << 2 | (ack >> 8) & 3, ack & 0xFF, chunks]) + struct.pack(">I", token)


def control(token, message, data=b"", ack=0, pad=False):
    out = header(CONTROL, ack, 0, token) + bytes([message]) + data
    return out + b"\0" * (PADDED - len(out)) if pad and len(out) < PADDED else out


def chunk(data, seq=None):
    size = len(data)
    if seq is None:
        return bytes([size >> 6 & 0x3F, size & 0x3F]) + data
    return bytes([0x40 | size >> 6 & 0x3F, size & 0x3F | seq >> 2 & 0xC0, seq & 0xFF]) + data


def ahead(seq, of):
    """Whether sequence number seq comes after of (within half the window)."""
    return 0 < (seq - of) % SEQ < SEQ // 2


def vital_sequences(data):
    """Sequence numbers of the vital chunks in an uncompressed packet."""
    out, at = [], 7
    for _ in range(data[2]):
        if at + 2 > len(data):
            break
        flags, size = data[at] >> 6, (data[at] & 0x3F) << 6 | data[at + 1] & 0x3F
        if flags & 1:
            if at + 3 > len(data):
                break
            out.append((data[at + 1] & 0xC0) << 2 | data[at + 2])
            at += 3
        else:
            at += 2
        at += size
    return out


def token_request(token):
    return control(NO_TOKEN, TOKEN, struct.pack(">I", token), pad=True)


def read_info(data, ours):
    """The client entries of the server's inf3 answer, or None."""
    if len(data) < 17 or data[0] != 0x21 or data[1:5] != struct.pack(">I", ours):
        return None
    if data[9:17] != b"\xff\xff\xff\xffinf3":
        return None
    read = Reader(data, 17)
    try:
        read.number()
        for _ in range(5):
            read.text()
        for _ in range(6):
            read.number()
        entries = []
        while read.at < len(data) and len(entries) < 64:
            entries.append(
                {
                    "name": read.text(),
                    "clan": read.text(),
                    "country": read.number(),
                    "score": read.number(),
                    "flag": read.number(),
                }
            )
    except ValueError:
        return None
    return entries


class Query:
    """The server browser's exchange: token, then gie3 -> inf3."""

    def __init__(self, port):
        self.address = ("127.0.0.1", port)
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.sock.connect(self.address)  # so a closed port shows as refused
        self.token = struct.unpack(">I", os.urandom(4))[0]
        self.asked = 0.0
        self.entries = None

    def ask(self, now):
        self.asked = now
        self.sock.send(token_request(self.token))

    def receive(self, data, now):
        mine = struct.pack(">I", self.token)
        if len(data) >= 12 and data[0] & 4 and data[7] == TOKEN and data[3:7] == mine:
            ask = b"\x21" + data[8:12] + mine + b"\xff\xff\xff\xffgie3" + packed(1)
            self.sock.send(ask)
        elif (info := read_info(data, self.token)) is not None:
            self.entries = info


class Bot:
    """One player: joins, acks, keeps moving its aim, leaves."""

    def __init__(self, port, name, clan):
        self.address = ("127.0.0.1", port)
        self.name, self.clan = name, clan
        self.shown = name.decode()
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.sock.connect(self.address)  # so a closed port shows as refused
        self.token = struct.unpack(">I", os.urandom(4))[0]
        self.server = NO_TOKEN
        self.state = "token"  # token, connect, joining, entering, in
        self.seq = 0  # our last vital sequence
        self.unacked = []  # (seq, data) of our vital chunks
        self.ack = 0  # the ack the server last took: at most its last sequence
        self.probe = None  # open trial: (ack tried, its fresh chunk, sent at, server packets since)
        self.next_probe = self.entered = 0.0
        self.last_send = self.last_resend = self.last_input = 0.0
        self.last_receive = self.started = time.monotonic()
        self.aim = 1

    def send(self, data, now):
        self.sock.send(data)
        self.last_send = now

    def vital(self, message):
        self.seq = (self.seq + 1) % SEQ
        self.unacked.append((self.seq, message))
        return chunk(message, self.seq)

    def send_chunks(self, chunks, now, ack=None):
        ack = self.ack if ack is None else ack
        self.send(header(0, ack, len(chunks), self.server) + b"".join(chunks), now)

    def start(self, now):
        self.send(token_request(self.token), now)

    def send_connect(self, now):
        self.send(control(self.server, CONNECT, struct.pack(">I", self.token), pad=True), now)

    def receive(self, data, now):
        if len(data) < 7 or data[3:7] != struct.pack(">I", self.token):
            return
        self.last_receive = now
        flags, their_ack = data[0] >> 2, (data[0] & 3) << 8 | data[1]
        if flags & CONTROL:
            self.control(data, now)
        if self.server == NO_TOKEN:
            return
        self.unacked = [(s, m) for s, m in self.unacked if ahead(s, their_ack)]
        self.judge_probe(their_ack, now)
        if not flags & (COMPRESSED | CONTROL) and not self.probe:
            for seq in vital_sequences(data):
                if ahead(seq, self.ack):
                    self.ack = seq
        if self.state == "joining" and not self.unacked:
            self.enter(now)
            self.state = "entering"
        elif self.state == "entering" and not self.unacked:
            self.state = "in"

    def enter(self, now):
        """READY, STARTINFO and ENTERGAME: after INFO, and again after a map
        change, which sets every client back to connecting."""
        start_info = packed(GAME_STARTINFO << 1) + text(self.name) + text(self.clan) + packed(-1)
        start_info += b"".join(map(text, SKIN_PARTS)) + packed(0) * 12
        chunks = [self.vital(packed(SYS_READY << 1 | 1)), self.vital(start_info)]
        chunks.append(self.vital(packed(SYS_ENTERGAME << 1 | 1)))
        if not self.probe:  # else the next trial carries them
            self.send_chunks(chunks, now)
        self.entered = now

    def judge_probe(self, their_ack, now):
        """The trial's fresh chunk acked means the server took the ack. It
        reads what came in before it builds its next packet, one every 10
        ticks: the second packet since, still without it, means it dropped
        the trial. Were that wrong (a stalled server took it late), our
        packets are dropped until the next trial of the same ack heals it."""
        if not self.probe:
            return
        ack, seq, sent, seen = self.probe
        if not ahead(seq, their_ack):
            self.ack, self.probe = ack, None
            self.next_probe = now  # there may be more
        elif seen + 1 >= 2 and now - sent > 0.3:
            self.probe, self.next_probe = None, now + 0.5
        else:
            self.probe = (ack, seq, sent, seen + 1)

    def control(self, data, now):
        message = data[7] if len(data) > 7 else KEEPALIVE
        if message == TOKEN and self.state == "token" and len(data) >= 12:
            self.server = struct.unpack(">I", data[8:12])[0]
            self.send_connect(now)
            self.state = "connect"
        elif message == CONNECTACCEPT and self.state == "connect":
            self.send(control(self.server, ACCEPT), now)
            password = os.environ.get("TW_BOT_PASSWORD", "").encode()
            info = packed(SYS_INFO << 1 | 1) + text(NET_VERSION) + text(password)
            info += packed(CLIENT_VERSION)
            self.send_chunks([self.vital(info)], now)
            self.state = "joining"
        elif message == CLOSE:
            reason = data[8:].split(b"\0")[0].decode("utf-8", "replace") or "no reason given"
            raise Failed(f"server closed the connection of {self.shown}: {reason}")

    def tick(self, now):
        if now - self.last_receive > ANSWER_SECONDS:
            raise Failed(f"no answer from the server for {self.shown} within 10 s")
        if self.state in ("token", "connect"):
            if now - self.last_send > 1.0 and self.state == "token":
                self.start(now)
            elif now - self.last_send > 1.0:
                self.send_connect(now)
            return
        if self.probe:
            if now - self.probe[2] > 2.0:  # no packet at all: try the same again
                self.send_probe(now, self.probe[0])
            return
        if self.state == "in" and now >= self.next_probe:
            self.send_probe(now, (self.ack + 1) % SEQ)
        elif self.unacked and now - self.last_resend > 0.5:
            self.last_resend = now  # under the ack the server took
            self.send_chunks([chunk(m, s) for s, m in self.unacked], now)
        elif self.state == "in" and now - self.last_input > 1.0:
            self.last_input, self.aim = now, -self.aim
            numbers = [0, 100 * self.aim, -50, 0, 0, 0, 0, 0, 0, 0]
            message = packed(SYS_INPUT << 1 | 1) + packed(0) + packed(0) + packed(40)
            self.send_chunks([chunk(message + b"".join(map(packed, numbers)))], now)
        if now - self.last_send > 0.25:
            self.send(control(self.server, KEEPALIVE, ack=self.ack), now)

    def send_probe(self, now, ack):
        """Our unacked chunks and a fresh empty one under a trial ack: only
        the fresh one's ack tells the trial's fate, as the others may be
        acked from an earlier packet."""
        chunks = [chunk(m, s) for s, m in self.unacked] + [self.vital(b"")]
        self.send_chunks(chunks, now, ack)
        self.probe = (ack, self.seq, now, 0)

    def leave(self):
        if self.server == NO_TOKEN:
            return
        # While a trial is open the server took one of the two acks.
        for ack in {self.ack, self.probe[0] if self.probe else self.ack}:
            self.send(control(self.server, CLOSE, b"left\0", ack=ack), time.monotonic())


def check(port):
    query = Query(port)
    deadline = time.monotonic() + ANSWER_SECONDS
    while query.entries is None:
        now = time.monotonic()
        if now > deadline:
            print(f"tw_bot: no answer from the query of port {port} within 10 s", file=sys.stderr)
            return 1
        if now - query.asked > 1.0:
            query.ask(now)
        try:
            if select.select([query.sock], [], [], 0.1)[0]:
                query.receive(query.sock.recv(4096), now)
        except ConnectionRefusedError:
            print(f"tw_bot: nothing listens on UDP port {port}", file=sys.stderr)
            return 1
    for entry in query.entries:
        print(json.dumps(entry, ensure_ascii=False), flush=True)
    return 0


def run(port, names, clan, seconds):
    stop = []
    for number in (signal.SIGTERM, signal.SIGINT):
        signal.signal(number, lambda *_: stop.append(True))
    bots = [Bot(port, name.encode(), clan.encode()) for name in names]
    query = Query(port)
    waiting = set(names)
    started = time.monotonic()
    end = started + seconds if seconds is not None else None
    for bot in bots:
        bot.start(started)
    try:
        while not stop and (end is None or time.monotonic() < end):
            now = time.monotonic()
            if waiting and now - started > ANSWER_SECONDS + 5:
                raise Failed("the server's query did not list " + ", ".join(sorted(waiting)))
            if all(b.state == "in" for b in bots) and now - query.asked > (0.5 if waiting else 2.0):
                query.ask(now)
            sockets = {bot.sock: bot for bot in bots}
            sockets[query.sock] = query
            for sock in select.select(list(sockets), [], [], 0.02)[0]:
                try:
                    data = sock.recv(4096)
                except ConnectionRefusedError:
                    raise Failed(f"nothing listens on UDP port {port}")
                sockets[sock].receive(data, now)
            if query.entries is not None:
                listed = {entry["name"] for entry in query.entries}
                for name in sorted(waiting & listed):
                    waiting.discard(name)
                    print(f"joined {name}", flush=True)
                for bot in bots:
                    if bot.shown not in listed and now - bot.entered > 3.0:
                        bot.enter(now)  # shown as "(connecting)": the map changed
                query.entries = None
            for bot in bots:
                bot.tick(time.monotonic())
    except Failed as failure:
        print(f"tw_bot: {failure}", file=sys.stderr)
        return 1
    finally:
        for bot in bots:
            bot.leave()
    return 0


def main():
    parser = argparse.ArgumentParser(description="Joins a local Teeworlds 0.7 server as players.")
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--name", action="append", default=[])
    parser.add_argument("--clan", default="")
    parser.add_argument("--seconds", type=float)
    parser.add_argument("--check", action="store_true", help="print the query's clients as JSON")
    args = parser.parse_args()
    if args.check:
        return check(args.port)
    if not args.name:
        parser.error("give at least one --name")
    if len(set(args.name)) != len(args.name):
        parser.error("names must differ")
    for name in args.name:
        printable = all(ord(c) >= 32 for c in name) and name == name.strip()
        if not 1 <= len(name.encode()) <= 15 or not printable:
            parser.error(f"a name is 1-15 bytes of text, no blank at either end: {name!r}")
    if len(args.clan.encode()) > 11:
        parser.error("a clan is at most 11 bytes")
    return run(args.port, args.name, args.clan, args.seconds)


if __name__ == "__main__":
    sys.exit(main())
