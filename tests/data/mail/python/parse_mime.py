"""Parses a composed message with the standard email package and prints its
part tree as JSON: content type, file name and decoded bytes (hex) of every
leaf, and the parser's defects."""
import email
import json
import sys


def walk(part):
    node = {"type": part.get_content_type(), "defects": [type(d).__name__ for d in part.defects]}
    if part.is_multipart():
        node["parts"] = [walk(p) for p in part.get_payload()]
    else:
        node["filename"] = part.get_filename()
        node["data"] = part.get_payload(decode=True).hex()
    return node


with open(sys.argv[1], "rb") as f:
    message = email.message_from_bytes(f.read())
print(json.dumps({"subject": message["Subject"], "to": message.get_all("To"), "tree": walk(message)}))
