#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A stand-in MC-505 on JACK for Dorvane's transfer tests, on python-rtmidi.

Opens the ports <name>:in and <name>-out:out (JACK wants a client name of its
own for each) and prints READY. Every message that arrives on <name>:in is kept. A Roland Data Request (RQ1) for the MC-505 is
answered on <name>-out:out with the Data Set messages of --image whose addresses
fall inside the requested range, one message after another, no faster than
--rate bytes a second (in random order with --shuffle), then "ANSWERED <n>" is
printed. With --silent nothing is answered. With --vanish-after N the peer
vanishes after the Nth message of its answer, as an instrument switched off
in the middle of a dump: both ports and their clients close, "VANISHED" is
printed, and it waits for its end with nothing open.

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

MC505_REQUEST = [0xF0, 0x41, 0x10, 0x00, 0x0B, 0x11]


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


def answer_for(request, messages):
    """The image's messages inside the range the request asks for."""
    start = address_value(request[6:10])
    end = start + address_value(request[10:14])
    return [m for m in messages if start <= address_value(m[6:10]) < end]


def close(port_in, port_out):
    port_in.cancel_callback()
    port_in.close_port()
    port_out.close_port()
    # Closes the JACK clients themselves: a client the server still counts when
    # it shuts down gets written to after it is gone.
    port_in.delete()
    port_out.delete()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--name", default="inst")
    parser.add_argument("--image", required=True)
    parser.add_argument("--rate", type=float, default=3125)
    parser.add_argument("--shuffle", action="store_true")
    parser.add_argument("--silent", action="store_true")
    parser.add_argument("--timeout-s", type=float, default=60)
    parser.add_argument("--vanish-after", type=int, default=0)
    args = parser.parse_args()

    with open(args.image, "rb") as f:
        image = split_sysex(f.read())

    lock = threading.Lock()
    received = []
    requests = queue.Queue()

    def on_message(event, data):
        message = event[0]
        with lock:
            received.append((time.monotonic(), message))
        if len(message) == 16 and message[:6] == MC505_REQUEST:
            requests.put(message)

    port_in = rtmidi.MidiIn(rtapi=rtmidi.API_UNIX_JACK, name=args.name)
    port_in.ignore_types(sysex=False, timing=True, active_sense=True)
    port_in.set_callback(on_message)
    port_in.open_virtual_port("in")
    port_out = rtmidi.MidiOut(rtapi=rtmidi.API_UNIX_JACK, name=args.name + "-out")
    port_out.open_virtual_port("out")
    print("READY", flush=True)

    done = threading.Event()

    def watch_stdin():
        for _ in sys.stdin:
            pass
        done.set()

    threading.Thread(target=watch_stdin, daemon=True).start()
    shuffler = random.Random(7)
    deadline = time.monotonic() + args.timeout_s
    while not done.is_set() and time.monotonic() < deadline:
        try:
            request = requests.get(timeout=0.05)
        except queue.Empty:
            continue
        if args.silent:
            continue
        answer = answer_for(request, image)
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
        if args.vanish_after and len(answer) >= args.vanish_after:
            # Long enough for the last message to leave in a process cycle.
            time.sleep(0.05)
            close(port_in, port_out)
            port_in = port_out = None
            print("VANISHED", flush=True)
            done.wait(max(0, deadline - time.monotonic()))
            break
        print("ANSWERED %d" % len(answer), flush=True)

    time.sleep(0.1)
    if port_in is not None:
        close(port_in, port_out)
    with lock:
        first = received[0][0] if received else 0
        for stamp, message in received:
            sys.stdout.write("MSG %s AT %.4f\n" % (" ".join("%02X" % b for b in message), stamp - first))
        sys.stdout.write("END %d\n" % len(received))
    sys.stdout.flush()


if __name__ == "__main__":
    main()
