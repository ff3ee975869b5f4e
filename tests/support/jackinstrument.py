#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A stand-in MC-505 on JACK for Dorvane's transfer tests, on python-rtmidi.

Opens the ports <name>:in and <name>-out:out (JACK wants a client name of its
own for each) and prints READY. Every message that arrives on <name>:in is kept. A Roland Data Request (RQ1) for the MC-505 is
answered on <name>-out:out with the Data Set messages of --image that lie
wholly inside the requested range (carrying the device ID they were asked by), one message after another, no faster than
--rate bytes a second (in random order with --shuffle), then "ANSWERED <n>" is
printed. With --silent nothing is answered. A request for bytes inside one
message (part 1's name, say) is answered with one Data Set of those bytes.

It plays the instrument's other habits on request: --identity HEX answers the
universal Identity Request with F0 7E <device ID> 06 02, those bytes and F7;
--device-id HEX answers only requests to that device ID (10 by default);
--drop identity|data leaves that kind of answer out, --corrupt identity|data
sends it damaged (an identity reply a byte short, a Data Set with a wrong
checksum), --delay-ms N holds every answer back that long;
every Data Set it receives for its device ID with a right checksum is written
into its image at its address, as the instrument's memory takes it (a damaged
one is ignored, as the instrument ignores it), so the next request is answered
with what was sent; --corrupt-received N:OFFSET:VALUE takes the N-th Data Set
received (from 1) with its data byte OFFSET set to VALUE (@AAAAAAAA for N: every
Data Set to that address, in hex), --drop-received N leaves the N-th out, so
what comes back differs from what was sent in the chosen message only;
--echo sends everything it receives straight back (a MIDI thru loop) and
answers nothing; --vanish-ms N closes its ports that long after READY (and
prints VANISHED), --return-ms N opens them again that long after READY (and
prints RETURNED); --vanish-after N closes them after the Nth message of an
answer instead (as an instrument switched off in the middle of a dump) and
prints VANISHED; --vanish-after-received N closes them when the Nth Data
Set arrives (an instrument switched off while it is sent to); --away-ms N
opens them again N ms after they closed, whenever that was.

Ends when standard input closes or after --timeout-s, printing each message
received as "MSG <hex>" (with "AT <seconds>" of its arrival after the first),
then "END <count>".
"""
import argparse
import queue
import random
import sys
import threading
import time

import rtmidi

IDENTITY_REQUEST_HEAD = [0xF0, 0x7E]


def split_sysex(data):
    messages, start = [], None
    for i, b in enumerate(data):
        if b == 0xF0:
            start = i
        elif b == 0xF7 and start is not None:
            messages.append(data[start:i + 1])
            start = None
    return messages


def address_value(four):
    value = 0
    for b in four:
        value = value * 128 + b
    return value


def checksum(body):
    return (128 - sum(body) % 128) % 128


def data_set(device, address, data):
    body = list(address) + list(data)
    return [0xF0, 0x41, device, 0x00, 0x0B, 0x12] + body + [checksum(body), 0xF7]


def store(messages, message):
    """Writes a Data Set's data into the image's messages that hold its
    addresses, and makes their checksums right again."""
    start = address_value(message[6:10])
    data = message[10:-2]
    for m in messages:
        first = address_value(m[6:10])
        low = max(start, first)
        high = min(start + len(data), first + len(m) - 12)
        if low < high:
            m[10 + low - first:10 + high - first] = data[low - start:high - start]
            m[-2] = checksum(m[6:-2])


def is_data_set(message, device):
    return (len(message) >= 13 and message[:6] == [0xF0, 0x41, device, 0x00, 0x0B, 0x12]
            and message[-1] == 0xF7 and checksum(message[6:-2]) == message[-2])


def received_change(text):
    """N:OFFSET:VALUE, N a count from 1 or @ and an address in hex."""
    which, offset, value = text.split(":")
    which = list(bytes.fromhex(which[1:])) if which.startswith("@") else int(which)
    return which, int(offset), int(value)


def answer_for(request, messages):
    """The image's messages inside the range the request asks for, or the one
    Data Set of the bytes asked for when they lie inside one message."""
    start = address_value(request[6:10])
    size = address_value(request[10:14])
    end = start + size
    # Messages wholly inside the range, with the device ID they were asked by.
    whole = [list(m[:2]) + [request[2]] + list(m[3:]) for m in messages
             if start <= address_value(m[6:10]) and address_value(m[6:10]) + len(m) - 12 <= end]
    if whole:
        return whole
    for m in messages:
        first = address_value(m[6:10])
        data = m[10:-2]
        if list(m[6:8]) == list(request[6:8]) and first <= start and end <= first + len(data):
            return [data_set(request[2], request[6:10], data[start - first:end - first])]
    return []


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--name", default="inst")
    parser.add_argument("--image", required=True)
    parser.add_argument("--rate", type=float, default=3125)
    parser.add_argument("--shuffle", action="store_true")
    parser.add_argument("--silent", action="store_true")
    parser.add_argument("--timeout-s", type=float, default=60)
    parser.add_argument("--identity", default="")
    parser.add_argument("--device-id", default="10")
    parser.add_argument("--drop", choices=["identity", "data"], action="append", default=[])
    parser.add_argument("--corrupt", choices=["identity", "data"], action="append", default=[])
    parser.add_argument("--delay-ms", type=float, default=0)
    parser.add_argument("--echo", action="store_true")
    parser.add_argument("--vanish-ms", type=float, default=-1)
    parser.add_argument("--return-ms", type=float, default=-1)
    parser.add_argument("--vanish-after", type=int, default=0)
    parser.add_argument("--vanish-after-received", type=int, default=0)
    parser.add_argument("--away-ms", type=float, default=-1)
    parser.add_argument("--corrupt-received", type=received_change, action="append", default=[])
    parser.add_argument("--drop-received", type=int, action="append", default=[])
    args = parser.parse_args()
    device = int(args.device_id, 16)
    identity = list(bytes.fromhex(args.identity)) if args.identity else None

    with open(args.image, "rb") as f:
        image = [list(m) for m in split_sysex(f.read())]
    data_sets_received = 0

    lock = threading.Lock()
    received = []
    requests = queue.Queue()

    def on_message(event, data):
        message = event[0]
        with lock:
            received.append((time.monotonic(), message))
        requests.put(message)

    def open_ports():
        port_in = rtmidi.MidiIn(rtapi=rtmidi.API_UNIX_JACK, name=args.name)
        port_in.ignore_types(sysex=False, timing=True, active_sense=True)
        port_in.set_callback(on_message)
        port_in.open_virtual_port("in")
        port_out = rtmidi.MidiOut(rtapi=rtmidi.API_UNIX_JACK, name=args.name + "-out")
        port_out.open_virtual_port("out")
        return port_in, port_out

    def close_ports():
        port_in.close_port()
        port_out.close_port()
        # Closes the JACK clients themselves: a client the server still counts
        # when it shuts down gets written to after it is gone.
        port_in.delete()
        port_out.delete()

    port_in, port_out = open_ports()
    print("READY", flush=True)

    done = threading.Event()

    def watch_stdin():
        for _ in sys.stdin:
            pass
        done.set()

    threading.Thread(target=watch_stdin, daemon=True).start()
    shuffler = random.Random(7)
    started = time.monotonic()
    deadline = started + args.timeout_s
    vanished = False
    vanished_at = 0.0
    returned = False
    while not done.is_set() and time.monotonic() < deadline:
        elapsed_ms = (time.monotonic() - started) * 1000
        if 0 <= args.vanish_ms <= elapsed_ms and not vanished and not returned:
            close_ports()
            vanished = True
            vanished_at = time.monotonic()
            print("VANISHED", flush=True)
        away_ms = (time.monotonic() - vanished_at) * 1000 if vanished else 0
        if vanished and (0 <= args.return_ms <= elapsed_ms or 0 <= args.away_ms <= away_ms):
            port_in, port_out = open_ports()
            vanished = False
            returned = True
            print("RETURNED", flush=True)
        try:
            request = requests.get(timeout=0.01)
        except queue.Empty:
            continue
        if vanished:
            continue
        if args.echo:
            port_out.send_message(list(request))
            continue
        if is_data_set(list(request), device):
            data_sets_received += 1
            if data_sets_received == args.vanish_after_received:
                close_ports()
                vanished = True
                vanished_at = time.monotonic()
                print("VANISHED", flush=True)
                continue
            if data_sets_received in args.drop_received:
                continue
            message = list(request)
            for which, offset, value in args.corrupt_received:
                chosen = which == message[6:10] if isinstance(which, list) else which == data_sets_received
                if chosen and 0 <= offset < len(message) - 12:
                    message[10 + offset] = value
            store(image, message)
            continue
        if args.silent:
            continue
        kind = None
        if (len(request) == 6 and request[:2] == IDENTITY_REQUEST_HEAD and request[2] in (0x7F, device)
                and request[3:5] == [0x06, 0x01] and identity is not None):
            kind = "identity"
            answer = [[0xF0, 0x7E, device, 0x06, 0x02] + identity + [0xF7]]
        elif len(request) == 16 and request[:6] == [0xF0, 0x41, device, 0x00, 0x0B, 0x11]:
            kind = "data"
            answer = answer_for(request, image)
        if kind is None or kind in args.drop:
            continue
        if kind in args.corrupt:
            # A byte lost from the reply, a checksum gone wrong in a Data Set.
            answer = [m[:-2] + [0xF7] if kind == "identity" else m[:-2] + [(m[-2] + 1) % 128, 0xF7]
                      for m in answer]
        if args.delay_ms:
            time.sleep(args.delay_ms / 1000)
        if args.shuffle:
            shuffler.shuffle(answer)
        start = time.monotonic()
        total = 0
        for count, message in enumerate(answer, 1):
            total += len(message)
            delay = start + total / args.rate - time.monotonic()
            if delay > 0:
                time.sleep(delay)
            port_out.send_message(list(message))
            if count == args.vanish_after:
                break
        if 0 < args.vanish_after <= len(answer):
            # Long enough for the last message to leave in a process cycle.
            time.sleep(0.05)
            close_ports()
            vanished = True
            vanished_at = time.monotonic()
            print("VANISHED", flush=True)
            continue
        print("ANSWERED %d" % len(answer), flush=True)

    time.sleep(0.1)
    if not vanished:
        close_ports()
    with lock:
        first = received[0][0] if received else 0
        for stamp, message in received:
            sys.stdout.write("MSG %s AT %.4f\n" % (" ".join("%02X" % b for b in message), stamp - first))
        sys.stdout.write("END %d\n" % len(received))
    sys.stdout.flush()


if __name__ == "__main__":
    main()
