#!/usr/bin/env python3
"""A TCP proxy on 127.0.0.1 that holds every chunk for a while before passing it on.

    bench/delay_proxy.py --target-port PORT [--listen-port PORT] [--delay-ms MS]
                         [--port-file FILE] [--max-queued-mib N]

Each connection to the listening port gets a connection of its own to the
target port, and the bytes read on either side are written to the other side
--delay-ms milliseconds after they arrived: a round trip through the proxy
takes 2 x MS longer than one straight to the target. It stands in for a
server that is a few milliseconds away, so that the whole-process benchmark
can show what the round trips cost a program.

Every chunk that arrives is given the time at which it is due and goes on at
that time, whatever else is queued: the delay is added to each chunk once,
not summed over the chunks of a connection, and one connection never waits
for another. The order of the bytes in each direction stays as it was. A
direction holds at most --max-queued-mib of bytes at once; past that the
proxy stops reading from the sender until the queue has gone down by half,
so that a large transfer is held back by the delay only, not by memory.

The proxy's own work is kept small: it reads up to 1 MiB at once into
buffers that it keeps and uses again, and sends from them as they are, so
that each byte is copied only by the system's receive and send; only small
chunks are copied out, so that they do not hold a large buffer while they
wait. Still, every pass through it adds a little to a round trip (about
0.1 ms with no delay on a quiet machine, and timers wake a little late) and
takes processor time beside the two programs; the benchmark's --rtt 0p
shows what that costs.

With --listen-port 0 (the default) the system picks a free port. Once the
proxy listens it prints the port on a line of its own and, with --port-file,
writes it to that file (which appears whole, by a rename). SIGTERM or SIGINT
closes every connection and ends the proxy with status 0.
"""

import argparse
import asyncio
import collections
import ctypes
import os
import selectors
import signal
import socket
import sys

HOST = "127.0.0.1"
READ_SIZE = 1 << 20  # the most that one read from a socket takes
COPY_BELOW = 256 << 10  # chunks smaller than this are copied out of the read buffer
EOF = None  # in a queue: the sender has closed its side for writing


class Direction:
    """The bytes that flow from one socket of a connection to the other."""

    def __init__(self, source, target, delay, max_queued):
        self.source = source
        self.target = target
        self.delay = delay
        self.max_queued = max_queued
        self.loop = asyncio.get_running_loop()
        # (due time, bytes or a view of a read buffer, that buffer or None)
        self.queue = collections.deque()
        self.queued_bytes = 0
        self.queued = asyncio.Event()  # the queue has something
        self.room = asyncio.Event()  # the queue may take more
        self.room.set()
        self.buffers = []  # read buffers to use again

    async def read(self):
        """Reads from the source into the queue until the source ends its side."""
        while True:
            if self.queued_bytes > self.max_queued:
                self.room.clear()
                await self.room.wait()
            buffer = self.buffers.pop() if self.buffers else bytearray(READ_SIZE)
            count = await self.loop.sock_recv_into(self.source, buffer)
            due = self.loop.time() + self.delay
            if count == 0:
                self.buffers.append(buffer)
                self.queue.append((due, EOF, None))
                self.queued.set()
                return
            if count < COPY_BELOW:
                self.queue.append((due, bytes(memoryview(buffer)[:count]), None))
                self.buffers.append(buffer)
            else:
                self.queue.append((due, memoryview(buffer)[:count], buffer))
            self.queued_bytes += count
            self.queued.set()

    async def write(self):
        """Writes each queued chunk to the target when it is due."""
        while True:
            while not self.queue:
                self.queued.clear()
                await self.queued.wait()
            due, chunk, buffer = self.queue[0]
            wait = due - self.loop.time()
            if wait > 0:
                await asyncio.sleep(wait)
            self.queue.popleft()
            if chunk is EOF:
                try:
                    self.target.shutdown(socket.SHUT_WR)
                except OSError:
                    pass  # the target has gone already
                return
            await self.loop.sock_sendall(self.target, chunk)
            self.queued_bytes -= len(chunk)
            if buffer is not None:
                chunk.release()
                self.buffers.append(buffer)
            if self.queued_bytes <= self.max_queued // 2:
                self.room.set()


async def relay(client, target_port, delay, max_queued):
    """Connects the client to the target and relays both ways until both end."""
    loop = asyncio.get_running_loop()
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    try:
        server.setblocking(False)
        try:
            await loop.sock_connect(server, (HOST, target_port))
        except OSError as error:
            print(f"delay_proxy: cannot reach {HOST}:{target_port}: {error}", file=sys.stderr)
            return
        for sock in (client, server):
            sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        tasks = []
        for source, target in ((client, server), (server, client)):
            direction = Direction(source, target, delay, max_queued)
            tasks += [asyncio.create_task(direction.read()), asyncio.create_task(direction.write())]
        try:
            # A reset or a broken pipe on either side ends the whole connection.
            await asyncio.gather(*tasks)
        except OSError:
            pass
        finally:
            for task in tasks:
                task.cancel()
            await asyncio.gather(*tasks, return_exceptions=True)
    finally:
        server.close()
        client.close()


async def serve(args):
    loop = asyncio.get_running_loop()
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind((HOST, args.listen_port))
    listener.listen(64)
    listener.setblocking(False)
    port = listener.getsockname()[1]

    delay = args.delay_ms / 1000.0
    max_queued = args.max_queued_mib << 20
    relays = set()

    async def accept():
        while True:
            client, _ = await loop.sock_accept(listener)
            client.setblocking(False)
            task = asyncio.create_task(relay(client, args.target_port, delay, max_queued))
            relays.add(task)
            task.add_done_callback(relays.discard)

    stop = asyncio.Event()
    for signal_number in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(signal_number, stop.set)
    accepting = asyncio.create_task(accept())
    if args.port_file:
        partial = f"{args.port_file}.part"
        with open(partial, "w") as file:
            file.write(f"{port}\n")
        os.replace(partial, args.port_file)
    print(port, flush=True)
    await stop.wait()
    accepting.cancel()
    for task in list(relays):
        task.cancel()
    await asyncio.gather(accepting, *relays, return_exceptions=True)
    listener.close()


def main():
    parser = argparse.ArgumentParser(
        description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter
    )
    parser.add_argument("--target-port", type=int, required=True, help="the port to forward to")
    parser.add_argument("--listen-port", type=int, default=0, help="0: a free port (default)")
    parser.add_argument("--delay-ms", type=float, default=0.0,
                        help="how long each chunk is held, in each direction (default 0)")
    parser.add_argument("--port-file", help="write the listening port to this file once ready")
    parser.add_argument("--max-queued-mib", type=int, default=8,
                        help="bytes held at once in each direction of a connection (default 8)")
    args = parser.parse_args()
    if args.delay_ms < 0 or args.max_queued_mib < 1:
        parser.error("the delay must not be negative and the queue must hold 1 MiB at least")
    # select() waits to the microsecond; epoll and poll round every wait up to
    # whole milliseconds, which would turn a delay of 0.5 ms into 1 ms or more.
    # Linux lets a timed wait end up to 50 us late unless told otherwise.
    loop = asyncio.SelectorEventLoop(selectors.SelectSelector())
    if sys.platform.startswith("linux"):
        PR_SET_TIMERSLACK = 29
        ctypes.CDLL(None, use_errno=True).prctl(PR_SET_TIMERSLACK, 1, 0, 0, 0)
    try:
        loop.run_until_complete(serve(args))
    finally:
        loop.close()


if __name__ == "__main__":
    main()
