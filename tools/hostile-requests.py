#!/usr/bin/env python3
"""Sends hostile requests to the guests' request page and checks it still
answers a normal guest afterwards.

    tools/hostile-requests.py URL CODE [--count 10000] [--workers 32]

URL is the page's address (http://HOST:PORT/), CODE the join code on the
screen. Bad codes, huge and lying bodies, path traversal, markup and control
characters in names, malformed HTTP and slow senders, over raw sockets.
Exits 0 when, afterwards, the page and a call with the right code are still
answered and no reply carried a file's content or unescaped markup in JSON.
Python 3 standard library only.
"""
import argparse
import json
import random
import socket
import sys
import threading
import time
import urllib.parse
from collections import Counter
from concurrent.futures import ThreadPoolExecutor

TIMEOUT = 3.0
SLOW_SENDERS = 40


def exchange(host, port, data, source=None, timeout=TIMEOUT, drip=None):
    """Sends raw bytes and returns what came back (b'' when nothing)."""
    try:
        sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        sock.settimeout(timeout)
        if source:
            sock.bind((source, 0))
        sock.connect((host, port))
    except OSError:
        return b"!connect"
    reply = b""
    try:
        if drip:
            for i in range(0, len(data)):
                sock.sendall(data[i:i + 1])
                time.sleep(drip)
        else:
            sock.sendall(data)
        sock.shutdown(socket.SHUT_WR) if not drip else None
        while True:
            chunk = sock.recv(65536)
            if not chunk:
                break
            reply += chunk
            if len(reply) > 1 << 20:
                break
    except OSError:
        pass
    finally:
        sock.close()
    return reply


def request(method, target, code=None, body=b"", headers=()):
    lines = [f"{method} {target} HTTP/1.1", "Host: guest", "Connection: close"]
    if code is not None:
        lines.append(f"X-Join-Code: {code}")
    lines += list(headers)
    if body:
        lines.append(f"Content-Length: {len(body)}")
    return ("\r\n".join(lines) + "\r\n\r\n").encode("utf-8", "surrogateescape") + body


def guest_body(name, song=1, key=0):
    return json.dumps({"name": name, "song": song, "key": key}, ensure_ascii=False).encode("utf-8", "surrogatepass")


def hostile(code, rng):
    """One hostile request as (kind, bytes, drip)."""
    token = "X-Guest: hostile-" + "".join(rng.choice("abcdef0123456789") for _ in range(16))
    kind = rng.randrange(9)
    if kind == 0:
        bad = rng.choice(["", "AAAAAA", code.lower()[:-1], code + "X", "' OR 1=1 --", "\x00" * 6, "%00"])
        return "bad code", request("GET", "/api/search?q=a", urllib.parse.quote(bad)), None
    if kind == 1:
        size = rng.choice([5000, 70000, 1 << 20])
        return "huge body", request("POST", "/api/request", code, b"x" * size,
                                    ["Content-Type: application/json", token]), None
    if kind == 2:
        lie = f"POST /api/request HTTP/1.1\r\nHost: g\r\nX-Join-Code: {code}\r\nContent-Length: 999999999\r\n\r\nabc"
        return "lying length", lie.encode(), None
    if kind == 3:
        path = rng.choice(["/../../etc/passwd", "/%2e%2e/%2e%2e/etc/passwd", "/..%2f..%2fetc%2fpasswd",
                           "/etc/passwd", "//etc/passwd", "/app.js/../../etc/shadow", "/%00", "/.%2e/",
                           "/C:\\Windows\\win.ini", "/api/search/../../../etc/passwd", "/" + "a/" * 3000])
        return "traversal", request("GET", path, code), None
    if kind == 4:
        name = rng.choice(["<script>alert(1)</script>", "<img src=x onerror=alert(1)>", "\"><svg onload=alert(1)>",
                           "</script><script>alert(1)</script>", "\u202eevil\u202c", "a\x00b\x07c\x1b[31m",
                           "x" * 5000, "\ud800", "&lt;b&gt;", "{{7*7}}", "${jndi:ldap://x}"])
        return "hostile name", request("POST", "/api/request", code, guest_body(name, rng.randrange(1, 50)),
                                       ["Content-Type: application/json", token]), None
    if kind == 5:
        junk = rng.choice([b"\x00\xff\xfe" * 100, b"GET\r\n\r\n", b"GET / HTTP/9.9\r\n\r\n", b"BREW /pot HTCPCP/1.0\r\n\r\n",
                           b"GET / HTTP/1.1\r\n" + b"X-A: " + b"a" * 20000 + b"\r\n\r\n",
                           b"GET / HTTP/1.1\r\nNoColonHere\r\n\r\n",
                           b"GET /" + b"a" * 20000 + b" HTTP/1.1\r\n\r\n",
                           b"POST /api/request HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nZZZ\r\n",
                           bytes(rng.randrange(256) for _ in range(300))])
        return "malformed", junk, None
    if kind == 6:
        body = rng.choice([b"{", b"[" * 5000, b"{\"name\":" * 800, b"name=%zz&song=1", b"\xff" * 100,
                           b"{\"name\":\"a\",\"song\":1e999,\"key\":99}", b"{\"song\":-1}",
                           b"{\"name\":\"\\ud800\",\"song\":1}"])
        ctype = rng.choice(["application/json", "application/x-www-form-urlencoded", "text/plain"])
        return "bad body", request("POST", "/api/request", code, body, [f"Content-Type: {ctype}", token]), None
    if kind == 7:
        q = rng.choice(["a" * 5000, "%ff%fe", "%", "<script>", "\u0000", "a&q=b&q=c" * 100])
        return "bad search", request("GET", "/api/search?q=" + urllib.parse.quote(q, safe="%&="), code), None
    method = rng.choice(["PUT", "DELETE", "PATCH", "OPTIONS", "HEAD", "TRACE", "CONNECT"])
    return "wrong method", request(method, rng.choice(["/", "/api/request", "/api/mine"]), code), None


def check_reply(reply, problems):
    if b"root:" in reply or b"[extensions]" in reply:
        problems.append("a reply carried a file's content")
    head, _, body = reply.partition(b"\r\n\r\n")
    if b"application/json" in head and (b"<" in body or b">" in body):
        problems.append("a JSON reply carried raw markup: " + body[:80].decode("latin-1"))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("url")
    parser.add_argument("code")
    parser.add_argument("--count", type=int, default=10000)
    parser.add_argument("--workers", type=int, default=32)
    args = parser.parse_args()
    address = urllib.parse.urlparse(args.url)
    host, port = address.hostname, address.port or 80
    count = max(1, min(args.count, 100000))
    rng = random.Random(27)

    statuses, problems, lock = Counter(), [], threading.Lock()

    # On this machine, hostile guests come from many loopback addresses, as
    # from many phones; one address alone only ever holds a few connections.
    local = host.startswith("127.")

    def source_for(i):
        return f"127.3.{i // 250 % 250}.{i % 250 + 1}" if local else None

    def one(numbered):
        i, (kind, data, drip) = numbered
        reply = exchange(host, port, data, source=source_for(i % 2000), drip=drip)
        status = reply[9:12].decode("latin-1") if reply.startswith(b"HTTP/1.") else ("none" if not reply else "junk")
        local = []
        check_reply(reply, local)
        with lock:
            statuses[f"{kind}:{status}"] += 1
            problems.extend(local)

    def slow(i):
        # A request sent a byte every half second: the server drops it.
        data = request("GET", "/api/check", args.code)
        reply = exchange(host, port, data, source=source_for(3000 + i), timeout=20, drip=0.5)
        with lock:
            statuses["slow sender:" + ("dropped" if not reply.startswith(b"HTTP/1.1 200") else "answered")] += 1

    started = time.time()
    slow_threads = [threading.Thread(target=slow, args=(i,)) for i in range(min(SLOW_SENDERS, count))]
    for t in slow_threads:
        t.start()
    items = [hostile(args.code, rng) for _ in range(count - len(slow_threads))]
    with ThreadPoolExecutor(max_workers=max(1, min(args.workers, 256))) as pool:
        list(pool.map(one, enumerate(items)))
    for t in slow_threads:
        t.join()
    print(f"{count} hostile requests in {time.time() - started:.1f} s")
    for key in sorted(statuses):
        print(f"  {key:28} {statuses[key]}")

    # A normal guest afterwards; from another loopback address when the page
    # is on this machine, so the hostile calls' rate limit does not count.
    source = "127.0.0.77" if local else None
    page = exchange(host, port, request("GET", "/"), source=source)
    check = exchange(host, port, request("GET", "/api/check", args.code), source=source)
    ok_check = check.startswith(b"HTTP/1.1 200") or (source is None and check.startswith(b"HTTP/1.1 429"))
    if not page.startswith(b"HTTP/1.1 200") or b"<html" not in page:
        problems.append("the page is not answered afterwards")
    if not ok_check:
        problems.append("a call with the right code is not answered afterwards: " + check[:60].decode("latin-1"))
    for problem in sorted(set(problems)):
        print("FAIL:", problem)
    if not problems:
        print("ok: the page still answers a normal guest")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
