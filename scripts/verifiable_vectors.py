#!/usr/bin/env python3
"""Prints the test vectors of docs/verifiable-draw.md from its text alone: an implementation
of the algorithm kept apart from the program's, in Python's standard library."""
import hashlib
import hmac
import struct

NAME = b"kelvara-verifiable-draw-1"


def lp(data: bytes) -> bytes:
    return struct.pack(">Q", len(data)) + data


def draw(secret: bytes, list_sha: bytes, plan_sha: bytes, public: str, n: int, count: int):
    key = hmac.new(NAME, lp(secret) + lp(list_sha) + lp(plan_sha) + lp(public.encode("utf-8"))
                   + struct.pack(">Q", n), hashlib.sha256).digest()
    stream = bytearray()
    block = 0

    def next64() -> int:
        nonlocal block
        while len(stream) < 8:
            stream.extend(hmac.new(key, struct.pack(">Q", block), hashlib.sha256).digest())
            block += 1
        value = int.from_bytes(stream[:8], "big")
        del stream[:8]
        return value

    def uniform(m: int) -> int:
        limit = 2**64 - (2**64 % m)
        while True:
            x = next64()
            if x < limit:
                return x % m

    lines = list(range(1, n + 1))
    winners = []
    for k in range(min(count, n)):
        j = k + uniform(n - k)
        lines[k], lines[j] = lines[j], lines[k]
        winners.append(lines[k])
    return winners


SECRET = bytes(range(32))
LIST_SHA = hashlib.sha256("张三\r\n李四\r\n".encode("utf-8")).digest()
PLAN_SHA = hashlib.sha256("三等奖 2\r\n".encode("utf-8")).digest()
PUBLIC = "3141592653-58979"

if __name__ == "__main__":
    print("s      ", SECRET.hex())
    print("C      ", hashlib.sha256(SECRET).hexdigest())
    print("list   ", LIST_SHA.hex())
    print("plan   ", PLAN_SHA.hex())
    print("public ", PUBLIC)
    for n, plan in ((2, b""), (10, PLAN_SHA), (10000, PLAN_SHA)):
        print(f"N={n} plan={'yes' if plan else 'none'}:", draw(SECRET, LIST_SHA, plan, PUBLIC, n, 20))
