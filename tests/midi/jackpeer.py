#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A JACK MIDI peer for Dorvane's end-to-end tests, on python-rtmidi.

receive: opens the input port <name>:in, prints READY, collects messages and
         prints each as "MSG <hex>", then "END <count>". It stops when --count
         messages have come (plus a short grace for extras), when nothing came
         for --idle-ms after the first message, or after --timeout-s.
send:    opens the output port <name>:out, prints READY, waits for a line GO on
         standard input, sends the messages of --file (one hex message a line)
         no faster than --rate bytes per second, prints "SENT <count>" and keeps
         the port until standard input closes. With --chunk N it sends N
         messages back to back, as fast as it can, then waits --gap-ms before
         the next N: RtMidi's JACK output holds 16 KB until the next process
         cycle and loses what does not fit, without a word.
blink:   opens the input port <name>:in and the output port <name>-out:out
         (JACK wants a client name of its own for each), passes whatever
         arrives on the input on to the output, and prints READY. A line GONE
         on standard input closes both ports and their clients (the peer
         vanishes) and prints GONE; BACK opens them again under the same names
         and prints BACK. Ends when standard input closes.
"""
import argparse
import sys
import threading
import time

import rtmidi


def hexline(message):
    return " ".join("%02X" % b for b in message)


def receive(args):
    lock = threading.Lock()
    got = []
    last = [time.monotonic()]

    def on_message(event, data):
        with lock:
            got.append(event[0])
            last[0] = time.monotonic()

    port = rtmidi.MidiIn(rtapi=rtmidi.API_UNIX_JACK, name=args.name)
    port.ignore_types(sysex=False, timing=False, active_sense=False)
    port.set_callback(on_message)
    port.open_virtual_port("in")
    print("READY", flush=True)
    start = time.monotonic()
    while time.monotonic() - start < args.timeout_s:
        time.sleep(0.01)
        with lock:
            count = len(got)
            idle = (time.monotonic() - last[0]) * 1000
        if args.count and count >= args.count:
            time.sleep(0.3)
            break
        if count and idle > args.idle_ms:
            break
    port.close_port()
    # Leave the server cleanly: a client that is merely dropped can take the
    # server down with it, leaving a stale slot in the machine's JACK registry.
    port.delete()
    with lock:
        for message in got:
            sys.stdout.write("MSG " + hexline(message) + "\n")
        sys.stdout.write("END %d\n" % len(got))
    sys.stdout.flush()


def send(args):
    with open(args.file) as f:
        messages = [bytes.fromhex(line) for line in f if line.strip()]
    port = rtmidi.MidiOut(rtapi=rtmidi.API_UNIX_JACK, name=args.name)
    port.open_virtual_port("out")
    print("READY", flush=True)
    for line in sys.stdin:
        if line.strip() == "GO":
            break
    if args.chunk:
        for first in range(0, len(messages), args.chunk):
            if first:
                time.sleep(args.gap_ms / 1000)
            for message in messages[first:first + args.chunk]:
                port.send_message(list(message))
        messages_sent(port, len(messages))
        return
    start = time.monotonic()
    total = 0
    for message in messages:
        # Paced from the start so the average stays at --rate.
        due = start + total / args.rate
        delay = due - time.monotonic()
        if delay > 0:
            time.sleep(delay)
        port.send_message(list(message))
        total += len(message)
    messages_sent(port, len(messages))


def messages_sent(port, count):
    print("SENT %d" % count, flush=True)
    for line in sys.stdin:
        pass
    time.sleep(0.2)
    port.close_port()
    port.delete()


class Blinker:
    def __init__(self, name):
        self.name = name
        self.port_in = None
        self.port_out = None
        self.lock = threading.Lock()

    def on_message(self, event, data):
        with self.lock:
            if self.port_out is not None:
                self.port_out.send_message(event[0])

    def open(self):
        port_out = rtmidi.MidiOut(rtapi=rtmidi.API_UNIX_JACK, name=self.name + "-out")
        port_out.open_virtual_port("out")
        with self.lock:
            self.port_out = port_out
        port_in = rtmidi.MidiIn(rtapi=rtmidi.API_UNIX_JACK, name=self.name)
        port_in.ignore_types(sysex=False, timing=False, active_sense=False)
        port_in.set_callback(self.on_message)
        port_in.open_virtual_port("in")
        self.port_in = port_in

    def close(self):
        # The clients themselves go, not only the ports: the peer vanishes as
        # a program that ends does.
        self.port_in.cancel_callback()
        self.port_in.close_port()
        self.port_in.delete()
        self.port_in = None
        with self.lock:
            port_out, self.port_out = self.port_out, None
        port_out.close_port()
        port_out.delete()


def blink(args):
    peer = Blinker(args.name)
    peer.open()
    print("READY", flush=True)
    for line in sys.stdin:
        command = line.strip()
        if command == "GONE" and peer.port_in is not None:
            peer.close()
            print("GONE", flush=True)
        elif command == "BACK" and peer.port_in is None:
            peer.open()
            print("BACK", flush=True)
    if peer.port_in is not None:
        peer.close()


def main():
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="mode", required=True)
    r = sub.add_parser("receive")
    r.add_argument("--name", default="peer")
    r.add_argument("--count", type=int, default=0)
    r.add_argument("--idle-ms", type=int, default=2000)
    r.add_argument("--timeout-s", type=float, default=30)
    s = sub.add_parser("send")
    s.add_argument("--name", default="peer")
    s.add_argument("--file", required=True)
    s.add_argument("--rate", type=float, default=312500)
    s.add_argument("--chunk", type=int, default=0)
    s.add_argument("--gap-ms", type=float, default=100)
    b = sub.add_parser("blink")
    b.add_argument("--name", default="blink")
    args = parser.parse_args()
    {"receive": receive, "send": send, "blink": blink}[args.mode](args)


if __name__ == "__main__":
    main()
