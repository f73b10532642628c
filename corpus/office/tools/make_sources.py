#!/usr/bin/python3
"""Write SOURCES.md from manifest.tsv and a fresh check of every document.

manifest.tsv columns: corpus path, repository, commit, path in repository.
Run from the corpus root: tools/make_sources.py > SOURCES.md
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import vbacheck  # noqa: E402

LICENCES = {
    "macmillanpublishers/Word-template": ("ISC", "LICENSE.md"),
    "6i-software/vba-monologger": ("MIT", "LICENSE"),
    "KazuhideMimura/ExcelVBA_CoreAnalyzer": ("MIT", "LICENSE"),
    "MaxOffice/VBA-PowerPoint": ("MIT", "LICENSE"),
    "decalage2/oletools": ("BSD-2-Clause", "LICENSE.md"),
    "xlwings/xlwings": ("BSD-3-Clause", "LICENSE.txt"),
    "VBA-tools/VBA-Web": ("MIT", "LICENSE"),
    "GCuser99/SeleniumVBA": ("MIT", "LICENSE.txt"),
    "apache/poi": ("Apache-2.0", "legal/LICENSE"),
    "apache/tika": ("Apache-2.0", "LICENSE.txt"),
    "812610357/Transcripts-Distributor": ("MIT", "LICENSE"),
    "jmcnamara/XlsxWriter": ("BSD-2-Clause", "LICENSE.txt"),
    "navferty/SampleExcelXlamAddin": ("MIT", "LICENSE"),
    "Max-Schmeling/excel-essential-tools": ("GPL-3.0-only", "LICENSE"),
    "zotero/zotero-word-for-windows-integration": ("AGPL-3.0-only", "COPYING"),
    "zotero/zotero-word-for-mac-integration": ("AGPL-3.0-only", "COPYING"),
    "akiGAMEBOY/ExcelVBA_csv-to-excel": ("MIT", "LICENSE"),
    "akiGAMEBOY/ExcelVBA_CreatePdfBookmark": ("MIT", "LICENSE"),
}

# Observations made by hand while checking; keyed by corpus path.
EXTRA_NOTES = {
    "apache__poi/test-data/document/60279.doc":
        "module source area is all zero bytes (source stripped, only the compiled part left)",
    "apache__poi/test-data/spreadsheet/mv-calculator-final-2-20-2013.xlsm":
        "project password set but project still viewable",
    "6i-software__vba-monologger/src/6i_VBA-Monologger.xlam":
        "a module's stream name differs from its name in letter case",
    "decalage2__oletools/tests/test-data/encrypted/autostart-encrypt-standardpassword.xls":
        "RC4 encryption covers the Workbook stream only; the VBA storage is in clear",
    "GCuser99__SeleniumVBA/dist/SeleniumVBA_with_pw_123.xlsm":
        "whole file encrypted (password 123 per its name)",
}


def describe(r):
    notes = []
    if r.get("encrypted"):
        notes.append("ENCRYPTED")
    if r.get("signed"):
        parts = [p.rsplit("/", 1)[-1] for p in r.get("signature_parts", [])]
        notes.append("SIGNED" + (" (" + ", ".join(parts) + ")" if parts else ""))
    prot = r.get("protection") or []
    if "not viewable" in prot:
        notes.append("LOCKED (not viewable, password)")
    facts = r.get("facts") or {}
    sk = facts.get("syskind")
    if sk in ("mac", "win64", "win16"):
        notes.append("SysKind " + sk)
    if facts.get("non_ascii_module_names"):
        notes.append("non-ASCII module names")
    if facts.get("stream_name_differs"):
        notes.append("stream name differs from module name")
    if facts.get("unreferenced_streams"):
        notes.append("unreferenced streams: " + ", ".join(facts["unreferenced_streams"]))
    if r.get("module_errors"):
        notes.append("undecodable module: " + "; ".join(r["module_errors"]))
    extra = EXTRA_NOTES.get(r["rel"])
    if extra:
        notes.append(extra)
    return "; ".join(notes)


def kinds_text(r):
    k = r.get("kinds")
    if not k:
        return ""
    return "std %d, cls %d, doc %d, frm %d" % (k["standard"], k["class"], k["document"], k["form"])


def main():
    rows = []
    with open("tools/manifest.tsv", encoding="utf-8") as f:
        for line in f:
            rel, repo, commit, inrepo = line.rstrip("\n").split("\t")
            r = vbacheck.check(rel)
            r["rel"], r["repo"], r["commit"], r["inrepo"] = rel, repo, commit, inrepo
            rows.append(r)
    refused = [r for r in rows if r.get("encrypted") or r.get("signed")
               or "not viewable" in (r.get("protection") or [])]
    main_rows = [r for r in rows if r not in refused]
    out = sys.stdout
    out.write(HEADER)
    for title, group in (("Documents", main_rows),
                         ("Signed, locked and encrypted documents (kept for refusal tests)", refused)):
        out.write("\n## %s (%d)\n\n" % (title, len(group)))
        out.write("| corpus path | repository | commit | path in repository | licence | kind | size | code page | modules | notes |\n")
        out.write("|---|---|---|---|---|---|---|---|---|---|\n")
        for r in sorted(group, key=lambda r: (r["kind"], r["rel"])):
            spdx, lic = LICENCES[r["repo"]]
            cp = r.get("codepage")
            cptext = "%s %s" % (cp, vbacheck.CODEPAGE_NAMES.get(cp, "")) if cp else "n/a"
            mods = r.get("modules")
            modtext = "%s (%s)" % (mods, kinds_text(r)) if mods is not None else "n/a"
            out.write("| %s | %s | %s | %s | %s (%s) | %s | %d | %s | %s | %s |\n" % (
                r["rel"].replace("|", "\\|"), r["repo"], r["commit"][:12],
                r["inrepo"].replace("|", "\\|"), spdx, lic, r["kind"], r["size"],
                cptext.strip(), modtext, describe(r)))
    out.write(FOOTER)


HEADER = """# Office documents with VBA: sources

Every document below was copied unchanged, byte for byte, from a public
repository at the commit shown (first 12 hex digits). Each repository's folder
holds the licence file named in the licence column as `LICENSE.from-repository`
(and the Apache repositories' notice as `NOTICE.from-repository`). Of the two Apache
repositories' licence files that file keeps the Apache License 2.0, which the documents are
under; the licences of other projects' code bundled with theirs, appended after it, are left
out. Corpus paths are
`<owner>__<repo>/<path in the repository>`; where an older version of a file
was taken next to the current one, the folder `@<commit>` keeps the two apart.
"""

FOOTER = """
## How they were chosen and checked

Candidates were found by searching public code for workbooks, add-ins,
templates and presentations that carry macros (including searches in Japanese,
Chinese, Korean and Russian), and by listing the Office files of repositories
known to keep real documents: the test-data folders of two Apache document
libraries hold files attached to bug reports by ordinary users, several of
them saved by non-English Office versions. Only repositories whose licence
file allows redistribution were used; the licence column gives its SPDX id and
the file it was read from (at the repository's current head). Many candidate
repositories without a licence file were skipped, as were Git LFS pointers,
files absent from the snapshot, fuzzing artefacts and files without a VBA
project.

Each document was checked with `tools/vbacheck.py`: for zip packages it
looks for the `vbaProject.bin` part and opens it as a compound file; for
Excel 97-2003 files the `_VBA_PROJECT_CUR` storage, for Word 97-2003 files
the `Macros` storage. It requires a `VBA` storage holding `dir` and
`_VBA_PROJECT`, decompresses the `dir` stream, reads the code page from the
PROJECTCODEPAGE record, lists the modules and decompresses each module's
source from its stated offset. Module kinds come from the `PROJECT` stream
(`Module=`, `Class=`, `Document=`, `BaseClass=` for forms). Signed projects
(`\\x05DigitalSignature*` streams or `vbaProjectSignature*` parts), projects
locked for viewing (decoded `GC`/`DPB` values) and encrypted files
(`EncryptedPackage`, an Excel FILEPASS record, or the Word fEncrypted flag)
are listed in their own table. `tools/make_sources.py` regenerates this file
from `tools/manifest.tsv`.

Two of them, `macro04.xlsm` (XlsxWriter) and `SimpleMacro.docm` (Apache POI), and the VBA part
of the first, are also seeds of the Office formats' fuzzer, in `fuzz/corpus/office`.
"""

if __name__ == "__main__":
    main()
