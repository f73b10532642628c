#!/usr/bin/python3
"""Check that Office documents hold a VBA project and describe it.

Usage: vbacheck.py [--json] FILE...

For each file prints kind, size, container, whether a VBA project is present,
the project's code page (from the dir stream), module counts by kind, and
flags: signed, locked (password / not viewable), encrypted.
"""
import hashlib
import io
import json
import os
import sys
import zipfile

import olefile

CODEPAGE_NAMES = {
    1252: "Windows-1252", 1250: "Windows-1250", 1251: "Windows-1251",
    1253: "Windows-1253", 1254: "Windows-1254", 1255: "Windows-1255",
    1256: "Windows-1256", 1257: "Windows-1257", 1258: "Windows-1258",
    932: "Shift-JIS", 936: "GBK", 949: "Korean (UHC)", 950: "Big5",
    874: "Thai", 10000: "Mac Roman", 65001: "UTF-8",
}


def codec_for(codepage):
    """Python codec for a project code page; Latin-1 where Python has none."""
    name = {10000: "mac_roman", 10001: "shift_jis", 10007: "mac_cyrillic",
            10029: "mac_latin2", 65001: "utf-8"}.get(codepage, "cp%d" % (codepage or 1252))
    try:
        "".encode(name)
    except LookupError:
        name = "latin-1"
    return name


def decompress(data):
    """Decompress a compressed container (signature byte 1, then chunks)."""
    if not data or data[0] != 1:
        raise ValueError("bad container signature")
    out = bytearray()
    pos = 1
    while pos < len(data):
        if pos + 2 > len(data):
            break
        header = data[pos] | (data[pos + 1] << 8)
        size = (header & 0x0FFF) + 3
        compressed = header >> 15
        chunk = data[pos + 2:pos + size]
        pos += size
        if not compressed:
            out += chunk[:4096]
            continue
        start = len(out)
        i = 0
        while i < len(chunk):
            flags = chunk[i]
            i += 1
            for bit in range(8):
                if i >= len(chunk):
                    break
                if not (flags >> bit) & 1:
                    out.append(chunk[i])
                    i += 1
                    continue
                if i + 1 >= len(chunk):
                    raise ValueError("truncated copy token")
                token = chunk[i] | (chunk[i + 1] << 8)
                i += 2
                diff = len(out) - start
                bits = max((diff - 1).bit_length(), 4)
                length_mask = 0xFFFF >> bits
                length = (token & length_mask) + 3
                offset = (token >> (16 - bits)) + 1
                if offset > diff:
                    raise ValueError("copy token reaches before chunk")
                for _ in range(length):
                    out.append(out[-offset])
    return bytes(out)


def dir_records(data):
    pos = 0
    while pos + 6 <= len(data):
        rid = int.from_bytes(data[pos:pos + 2], "little")
        size = int.from_bytes(data[pos + 2:pos + 6], "little")
        if rid == 0x0009:  # version record: its size field understates the body
            size = 6
        yield rid, data[pos + 6:pos + 6 + size]
        pos += 6 + size


def parse_dir(raw, facts=None):
    codepage = None
    modules = []
    cur = None
    for rid, body in dir_records(raw):
        if facts is not None:
            if rid == 0x004A:
                facts["compat_version_record"] = True
            elif rid == 0x0001 and len(body) >= 4:
                facts["syskind"] = {0: "win16", 1: "win32", 2: "mac", 3: "win64"}.get(
                    int.from_bytes(body[:4], "little"), "other")
            elif rid == 0x0010:
                facts["dir_terminated"] = True
        if rid == 0x0003 and len(body) >= 2:
            codepage = int.from_bytes(body[:2], "little")
        elif rid == 0x0019:
            cur = {"name": body, "stream": None, "offset": 0, "type": None}
        elif rid == 0x001A and cur is not None:
            cur["stream"] = body
        elif rid == 0x0031 and cur is not None:
            cur["offset"] = int.from_bytes(body[:4], "little")
        elif rid in (0x0021, 0x0022) and cur is not None:
            cur["type"] = "procedural" if rid == 0x0021 else "other"
        elif rid == 0x002B and cur is not None:
            modules.append(cur)
            cur = None
    return codepage, modules


def decrypt_project_value(hexstr):
    """Reverse the simple obfuscation used for CMG/DPB/GC values."""
    b = bytes.fromhex(hexstr)
    seed, version_enc, key_enc = b[0], b[1], b[2]
    key = seed ^ key_enc
    unenc1, enc1, enc2 = key, key_enc, version_enc
    pos = 3
    out = []
    ignored = (seed & 6) >> 1
    total = None
    while pos < len(b):
        benc = b[pos]
        byte = benc ^ ((enc2 + unenc1) & 0xFF)
        enc2, enc1, unenc1 = enc1, benc, byte
        out.append(byte)
        pos += 1
        if total is None and len(out) == ignored + 4:
            total = int.from_bytes(bytes(out[ignored:ignored + 4]), "little")
            out = []
    return bytes(out[:total] if total is not None else out)


def parse_project_stream(text):
    info = {"Module": [], "Class": [], "Document": [], "BaseClass": [],
            "DPB": None, "GC": None, "CMG": None}
    for line in text.splitlines():
        if "=" not in line:
            if line.startswith("["):
                break
            continue
        key, val = line.split("=", 1)
        if key in ("Module", "Class", "Document", "BaseClass"):
            info[key].append(val.split("/")[0])
        elif key in ("DPB", "GC", "CMG"):
            info[key] = val.strip('"')
    return info


def protection(info):
    notes = []
    try:
        if info["GC"]:
            vis = decrypt_project_value(info["GC"])
            if vis[:1] == b"\x00":
                notes.append("not viewable")
        if info["DPB"]:
            pw = decrypt_project_value(info["DPB"])
            if pw and pw != b"\x00":
                notes.append("password")
        if info["CMG"]:
            state = int.from_bytes(decrypt_project_value(info["CMG"])[:4], "little")
            if state & 1:
                notes.append("user-protected")
    except (ValueError, IndexError):
        notes.append("protection values unreadable")
    return notes


def describe_project(ole, root):
    """root is the storage path list holding PROJECT and VBA/."""
    res = {}
    vba = root + ["VBA"]
    if not ole.exists("/".join(vba + ["dir"])) or not ole.exists("/".join(vba + ["_VBA_PROJECT"])):
        res["vba"] = False
        return res
    res["vba"] = True
    raw = decompress(ole.openstream(vba + ["dir"]).read())
    facts = {}
    codepage, modules = parse_dir(raw, facts)
    res["codepage"] = codepage
    head = ole.openstream(vba + ["_VBA_PROJECT"]).read(7)
    facts["vba_project_version"] = "0x%04X" % int.from_bytes(head[2:4], "little")
    in_storage = {e[len(vba)] for e in ole.listdir() if e[:len(vba)] == vba and len(e) > len(vba)}
    facts["srp_streams"] = sum(1 for n in in_storage if n.startswith("__SRP_"))
    named = {(m["stream"] or m["name"]).decode(codec_for(codepage), "replace") for m in modules}
    extra = sorted(in_storage - named - {"dir", "_VBA_PROJECT"} - {n for n in in_storage if n.startswith("__SRP_")})
    if extra:
        facts["unreferenced_streams"] = extra
    if any(m["offset"] == 0 for m in modules):
        facts["modules_without_pcode"] = sum(1 for m in modules if m["offset"] == 0)
    if any(m["stream"] and m["stream"] != m["name"] for m in modules):
        facts["stream_name_differs"] = True
    if any(any(b > 0x7F for b in m["name"]) for m in modules):
        facts["non_ascii_module_names"] = True
    res["facts"] = facts
    enc = codec_for(codepage)
    ok = 0
    bad = []
    lines = 0
    for m in modules:
        name = m["stream"] or m["name"]
        try:
            data = ole.openstream(vba + [name.decode(enc, "replace")]).read()
            src = decompress(data[m["offset"]:])
            lines += src.count(b"\n")
            ok += 1
        except Exception as e:  # report and continue with the other modules
            bad.append("%s: %s" % (name.decode(enc, "replace"), e))
    res["modules"] = len(modules)
    res["modules_decoded"] = ok
    res["source_lines"] = lines
    if bad:
        res["module_errors"] = bad
    proj_path = "/".join(root + ["PROJECT"])
    if ole.exists(proj_path):
        text = ole.openstream(root + ["PROJECT"]).read().decode(enc, "replace")
        info = parse_project_stream(text)
        forms = len(info["BaseClass"])
        res["kinds"] = {"standard": len(info["Module"]),
                        "class": len(info["Class"]) - 0,
                        "document": len(info["Document"]),
                        "form": forms}
        res["protection"] = protection(info)
    else:
        res["notes_project"] = "no PROJECT stream"
    sig_names = ("\x05DigitalSignature", "\x05DigitalSignatureEx", "\x05DigitalSignatureExt")
    res["signed"] = any(ole.exists("/".join(root + [s])) for s in sig_names)
    return res


def ole_encrypted(ole, kind):
    if ole.exists("EncryptionInfo") or ole.exists("EncryptedPackage"):
        return True
    if kind in ("xls", "xla") and ole.exists("Workbook"):
        wb = ole.openstream("Workbook").read(4096)
        pos = 0
        while pos + 4 <= len(wb):
            rid = int.from_bytes(wb[pos:pos + 2], "little")
            size = int.from_bytes(wb[pos + 2:pos + 4], "little")
            if rid == 0x002F:
                return True
            if rid in (0x0085, 0x000A):  # first sheet record or EOF: past the header
                break
            pos += 4 + size
    if kind in ("doc", "dot") and ole.exists("WordDocument"):
        fib = ole.openstream("WordDocument").read(12)
        if len(fib) >= 12 and int.from_bytes(fib[10:12], "little") & 0x0100:
            return True
    return False


def check(path):
    kind = os.path.splitext(path)[1].lower().lstrip(".")
    with open(path, "rb") as f:
        blob = f.read()
    res = {"path": path, "kind": kind, "size": len(blob),
           "sha256": hashlib.sha256(blob).hexdigest()}
    if blob.startswith(b"version https://git-lfs"):
        res["error"] = "Git LFS pointer"
        return res
    if blob[:4] == b"PK\x03\x04":
        res["container"] = "zip"
        z = zipfile.ZipFile(io.BytesIO(blob))
        names = z.namelist()
        bins = [n for n in names if n.lower().endswith("vbaproject.bin")]
        res["signature_parts"] = [n for n in names if "vbaprojectsignature" in n.lower()]
        if not bins:
            res["vba"] = False
            return res
        res["vba_part"] = bins[0]
        ole = olefile.OleFileIO(z.read(bins[0]))
        res.update(describe_project(ole, []))
        res["signed"] = res.get("signed", False) or bool(res["signature_parts"])
        return res
    if not olefile.isOleFile(io.BytesIO(blob)):
        res["error"] = "neither zip nor compound file"
        return res
    res["container"] = "ole"
    ole = olefile.OleFileIO(io.BytesIO(blob))
    if ole_encrypted(ole, kind):
        res["encrypted"] = True
        if ole.exists("EncryptedPackage"):
            res["vba"] = None
            return res
    for root in (["_VBA_PROJECT_CUR"], ["Macros"], ["_VBA_PROJECT"]):
        if ole.exists("/".join(root + ["VBA"])):
            res["vba_root"] = root[0]
            res.update(describe_project(ole, root))
            return res
    res["vba"] = False
    return res


def main(argv):
    as_json = "--json" in argv
    out = []
    for p in [a for a in argv if a != "--json"]:
        try:
            r = check(p)
        except Exception as e:
            r = {"path": p, "error": "%s: %s" % (type(e).__name__, e)}
        out.append(r)
        if not as_json:
            cp = r.get("codepage")
            print("%-70s %-5s %9s vba=%s cp=%s(%s) mods=%s kinds=%s prot=%s signed=%s enc=%s %s" % (
                r["path"][-70:], r.get("kind"), r.get("size"), r.get("vba"), cp,
                CODEPAGE_NAMES.get(cp, "?"), r.get("modules"), r.get("kinds"),
                r.get("protection"), r.get("signed"), r.get("encrypted"),
                r.get("error", "") + " " + "; ".join(r.get("module_errors", []))))
    if as_json:
        json.dump(out, sys.stdout, indent=1)


if __name__ == "__main__":
    main(sys.argv[1:])
