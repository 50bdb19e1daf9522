"""Decodes every "begin ... end" block of a uuencoded message line by line
with binascii.a2b_uu and prints the file names and their bytes (hex) as JSON."""
import binascii
import json
import sys

files = []
current = None
with open(sys.argv[1], "rb") as f:
    for raw in f.read().split(b"\r\n"):
        if current is None:
            if raw.startswith(b"begin 600 "):
                current = {"name": raw[10:].decode("latin-1"), "data": b""}
        elif raw == b"end":
            files.append({"name": current["name"], "data": current["data"].hex()})
            current = None
        else:
            current["data"] += binascii.a2b_uu(raw)
print(json.dumps({"files": files, "open": current is not None}))
